#include "core/profile_rows.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace siteherald {
namespace {

using ::testing::ElementsAre;
using List = std::vector<std::string>;

RowInput Half(std::string name1, std::string auto1, std::string name2, std::string auto2) {
    RowInput row;
    row.name1 = std::move(name1);
    row.autoFill1 = std::move(auto1);
    row.name2 = std::move(name2);
    row.autoFill2 = std::move(auto2);
    return row;
}

RowInput Whole(std::string name, std::string autoFill, std::string type = "Edit") {
    RowInput row = Half(std::move(name), std::move(autoFill), "", "None");
    row.halfSize = false;
    row.type1 = std::move(type);
    return row;
}

TEST(RowProblemTest, FirstFailingCheckIsReported) {
    const std::string pipe = "Names and Default Values cannot contain a \"|\".";
    const std::string autoFill = "Each AutoFill value can only be used once.";
    const std::string comma = "Names and Default Values cannot contain a \",\".";
    const std::string noName = "Please type in a name for each field.";
    struct Case {
        RowInput row;
        std::string expected;
    };
    std::vector<Case> cases;
    const auto add = [&](RowInput row, const std::string& expected, auto&& change) {
        change(row);
        cases.push_back({row, expected});
    };
    const RowInput good = Half("Name", "name", "E-mail", "email");
    const RowInput whole = Whole("Title", "title");
    add(good, "", [](RowInput&) {});
    add(whole, "", [](RowInput&) {});
    add(good, pipe, [](RowInput& r) { r.name1 = "a,|"; }); // before the comma check
    add(good, pipe, [](RowInput& r) { r.default1 = "x|y"; });
    add(good, pipe, [](RowInput& r) { r.default2 = "|"; });
    add(good, pipe, [](RowInput& r) {
        r.name2 = "b|";
        r.autoFill2 = "name";
    });
    // Field two is not part of a whole row, except for its auto fill and comma checks.
    add(whole, "", [](RowInput& r) {
        r.name2 = "b|";
        r.default2 = "|";
    });
    add(whole, autoFill, [](RowInput& r) { r.autoFill2 = "title"; });
    add(whole, comma, [](RowInput& r) { r.name2 = "b,c"; });
    add(good, autoFill, [](RowInput& r) {
        r.autoFill2 = "name";
        r.name1 = "a,b";
    });
    add(good, "", [](RowInput& r) { r.autoFill1 = r.autoFill2 = "None"; });
    add(good, comma, [](RowInput& r) {
        r.name2 = "x,";
        r.name1 = "";
    });
    add(good, "", [](RowInput& r) { r.default1 = "1,2"; }); // a default may hold a comma
    add(good, noName, [](RowInput& r) { r.name1.clear(); });
    add(good, noName, [](RowInput& r) { r.name2.clear(); });
    add(whole, noName, [](RowInput& r) { r.name1.clear(); });
    for (size_t i = 0; i < cases.size(); ++i)
        EXPECT_EQ(RowProblem(cases[i].row), cases[i].expected) << "case " << i;
}

TEST(ProfileRowsTest, AddEditAndRemoveKeepMarkersAndFreeIdentifiers) {
    List free{"addre", "City", "desc1", "email", "name", "phone", "title"};
    LineList rows;
    RowInput first = Half("Contact", "name", "Notes", "None");
    first.type2 = "Memo";
    first.default2 = "first";
    AddRow(rows, 1, first, free);
    AddRow(rows, 2, Whole("About", "desc1", "Memo"), free);
    AddRow(rows, 3, Half("Street", "addre", "Town", "City"), free);
    EXPECT_THAT(rows, ElementsAre("1", "E|HALF|Contact|name||", "M|HALF|Notes|None|first|", "1",
                                  "2", "M|WHOLE|About|desc1||", "2", "3", "E|HALF|Street|addre||",
                                  "E|HALF|Town|City||", "3"));
    EXPECT_THAT(free, ElementsAre("email", "phone", "title"));
    EXPECT_EQ(RowCount(rows), 3);
    EXPECT_EQ(RowListEntry(1, first), "Row 1: Contact, Notes");
    EXPECT_EQ(RowListEntry(2, Whole("About", "desc1")), "Row 2: About");

    // The editor frees a row's identifiers while it is being edited.
    FreeAutoFill(free, "name");
    EXPECT_TRUE(EditRow(rows, 1, Whole("Phone", "phone"), free));
    EXPECT_FALSE(EditRow(rows, 4, Whole("Gone", "None"), free));
    EXPECT_THAT(free, ElementsAre("email", "name", "title"));
    ASSERT_EQ(RowFields(rows, 1).size(), 1u);
    EXPECT_EQ(RowFields(rows, 1)[0].name, "Phone");
    EXPECT_EQ(RowFields(rows, 1)[0].width, "WHOLE");

    RemoveRow(rows, 2, free);
    EXPECT_THAT(rows, ElementsAre("1", "E|WHOLE|Phone|phone||", "1", "2", "E|HALF|Street|addre||",
                                  "E|HALF|Town|City||", "2"));
    EXPECT_THAT(free, ElementsAre("desc1", "email", "name", "title"));
    EXPECT_EQ(RowCount(rows), 2);
    EXPECT_TRUE(RowFields(rows, 3).empty());
    RemoveRow(rows, 1, free);
    RemoveRow(rows, 7, free);
    EXPECT_THAT(rows, ElementsAre("1", "E|HALF|Street|addre||", "E|HALF|Town|City||", "1"));
    EXPECT_THAT(free, ElementsAre("desc1", "email", "name", "phone", "title"));
}

TEST(ProfileRowsTest, FreeListStaysSortedWithoutCaseAndUnique) {
    List free{"b", "D"};
    FreeAutoFill(free, "c");
    FreeAutoFill(free, "A");
    FreeAutoFill(free, "None");
    FreeAutoFill(free, "d"); // "D" is already there
    FreeAutoFill(free, "e");
    EXPECT_THAT(free, ElementsAre("A", "b", "c", "D", "e"));
    TakeAutoFill(free, "c");
    TakeAutoFill(free, "None");
    EXPECT_THAT(free, ElementsAre("A", "b", "D", "e"));
}

TEST(ProfileRowsTest, ShiftRowListKeepsNumbersAndMovesNamesUp) {
    List entries{"Row 1: A, B", "Row 2: C", "Row 3: D, E", "Row 4: F"};
    ShiftRowList(entries, 1);
    EXPECT_THAT(entries, ElementsAre("Row 1: A, B", "Row 2: D, E", "Row 3: F"));
    ShiftRowList(entries, 2);
    EXPECT_THAT(entries, ElementsAre("Row 1: A, B", "Row 2: D, E"));
    ShiftRowList(entries, 5);
    EXPECT_EQ(entries.size(), 2u);
    ShiftRowList(entries, 0);
    EXPECT_THAT(entries, ElementsAre("Row 1: D, E"));
}

} // namespace
} // namespace siteherald
