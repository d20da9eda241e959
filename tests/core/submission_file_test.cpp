#include "core/field_layout.h"
#include "core/submission_file.h"
#include "test_support.h"

#include <algorithm>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace siteherald {
namespace {

using ::testing::ElementsAre;

FieldValue Edit(const std::string& name, const std::string& text = "") {
    return {name, false, text, {}};
}
FieldValue Memo(const std::string& name, const LineList& lines = {}) {
    return {name, true, "", lines};
}

// "name=text" or "name=[line|line]".
std::vector<std::string> Values(const SubmissionFileContents& contents) {
    std::vector<std::string> out;
    for (const FieldValue& f : contents.fields) {
        std::string lines;
        for (size_t i = 0; i < f.lines.size(); ++i)
            lines += (i ? "|" : "") + f.lines[i];
        out.push_back(f.name + "=" + (f.multiLine ? "[" + lines + "]" : f.text));
    }
    return out;
}

TEST(SubmissionFileTest, BuildWritesFieldsMessagesAndIdentifiers) {
    EXPECT_EQ(JoinLines(BuildSubmissionFile(
                  "DEFAULT",
                  {Edit("Ident1", "some text"), Edit("Edit11"),
                   Memo("Memo10", {"first line of the description", "second line"})},
                  {"$STARTSubject", "...", "$ENDSubject"}, {"Ident1", "None", "None"})),
              "$PROFILE$DEFAULT\r\nIdent1:some text\r\nEdit11:\r\nMemo10:\r\n"
              "first line of the description\r\nsecond line\r\n$Memo10:\r\n$STARTSubject\r\n"
              "...\r\n$ENDSubject\r\n$FieldNames$\r\nIdent1\r\nNone\r\nNone\r\n$FieldNames$\r\n");
}

TEST(SubmissionFileTest, ReadMatchesNamesByPrefixAndStopsAtMessages) {
    testing::TempDir dir;
    testing::WriteBytes(dir / "site.sdf",
                        "$PROFILE$Site\r\nEdit100:hundred\r\nEdit10:ten\r\n"
                        "url:http://x.test:8080/a:b\r\nMemo10:\r\nline one\r\n"
                        "$Memo10 quoted in the text\r\ncut off\r\n$Memo10:\r\n"
                        "$STARTSubj\r\nLate:value\r\n$ENDSubj\r\n$FieldNames$\r\nNone\r\n"
                        "$FieldNames$\r\n");
    LineList file;
    ASSERT_TRUE(LoadLineFile(dir / "site.sdf", file));
    EXPECT_EQ(SubmissionFileProfile(file), "Site");
    // The text already in a control is ignored.
    const auto contents =
        ReadSubmissionFile(file, {Edit("Edit10", "old"), Edit("Edit100"), Edit("url"),
                                  Memo("Memo10", {"old"}), Edit("Late"), Memo("Memo11")});
    EXPECT_THAT(Values(contents),
                ElementsAre("Edit10=:hundred", "Edit100=hundred", "url=http://x.test:8080/a:b",
                            "Memo10=[line one]", "Late=", "Memo11=[]"));
    EXPECT_THAT(contents.attachmentLines, ElementsAre("$STARTSubj", "Late:value", "$ENDSubj"));
    EXPECT_EQ(ReadSubmissionFile(file, {}).attachmentLines, contents.attachmentLines);
    EXPECT_TRUE(ReadSubmissionFile({"$PROFILE$Site", "Edit10:x", "$FieldNames$", "$FieldNames$"},
                                   {Edit("Edit10")})
                    .attachmentLines.empty());
    EXPECT_EQ(SubmissionFileProfile({"$PROFILE$"}), "");
    EXPECT_EQ(SubmissionFileProfile({"Edit10:$PROFILE$x"}), "");
    EXPECT_THAT(SubmissionFileFieldNames(file), ElementsAre("None"));
    EXPECT_TRUE(SubmissionFileFieldNames({"$PROFILE$Site", "$FieldNames$", "url"}).empty());
}

TEST(SubmissionFileTest, SavingAndOpeningAgainKeepsTheFileAsItWas) {
    testing::TempDir dir;
    const std::string path = dir / "site.sdf";
    const LineList saved = BuildSubmissionFile(
        "DEFAULT", {Edit("title", "A: title"), Memo("desc1", {"one", "", "two"}), Edit("Edit11")},
        {"$STARTHello", "To:x", "$ENDHello", "$STARTBye", "$ENDBye"}, {"title", "desc1", "None"});
    SaveLineFile(path, saved);
    LineList file;
    for (int round = 0; round < 3; ++round) {
        ASSERT_TRUE(LoadLineFile(path, file));
        const auto contents =
            ReadSubmissionFile(file, {Edit("title"), Memo("desc1"), Edit("Edit11")});
        EXPECT_THAT(Values(contents), ElementsAre("title=A: title", "desc1=[one||two]", "Edit11="));
        SaveLineFile(path,
                     BuildSubmissionFile(SubmissionFileProfile(file), contents.fields,
                                         contents.attachmentLines, {"title", "desc1", "None"}));
    }
    ASSERT_TRUE(LoadLineFile(path, file));
    EXPECT_EQ(file, saved);
    EXPECT_EQ(std::count(file.begin(), file.end(), "$FieldNames$"), 2);
}

// "Label(left,top) kind Name(left,top width x height)=default".
std::string Placed(FieldLayoutCursor& cursor, const std::string& definition) {
    const PlacedField p = cursor.Place(ParseFieldDefinition(definition));
    const char* kind = p.kind == PlacedField::Kind::Edit   ? "edit"
                       : p.kind == PlacedField::Kind::Memo ? "memo"
                                                           : "label-only";
    auto s = [](int n) { return std::to_string(n); };
    return p.labelName + "(" + s(p.labelLeft) + "," + s(p.labelTop) + ") " + kind + " " +
           p.controlName + "(" + s(p.left) + "," + s(p.top) + " " + s(p.width) + "x" + s(p.height) +
           ")=" + p.defaultValue;
}

TEST(FieldLayoutTest, WholeAndHalfRows) {
    FieldLayoutCursor one;
    EXPECT_EQ(Placed(one, "E|WHOLE|Title|None|dflt|"),
              "Label10(14,13) edit Edit10(86,8 428x21)=dflt");
    EXPECT_EQ(one.rowTop(), 32);

    FieldLayoutCursor c;
    EXPECT_EQ(Placed(c, "E|HALF|Name|None||"), "Label10(14,13) edit Edit10(86,8 170x21)=");
    EXPECT_EQ(c.rowTop(), 8);
    EXPECT_EQ(Placed(c, "M|HALF|Notes|None||"), "Label11(270,13) memo Memo10(344,8 170x49)=");
    EXPECT_EQ(c.rowTop(), 60);
    Placed(c, "M|HALF|A|None||"); // the taller first half sets the row's height
    Placed(c, "E|HALF|B|None||");
    EXPECT_EQ(Placed(c, "M|WHOLE|C|None||"), "Label14(14,117) memo Memo12(86,112 428x49)=");
    EXPECT_EQ(c.rowTop(), 164);
}

TEST(FieldLayoutTest, CountersAdvanceForNamedControlsToo) {
    FieldLayoutCursor c;
    EXPECT_EQ(Placed(c, "E|WHOLE|A|url|http://|"), "Label10(14,13) edit url(86,8 428x21)=http://");
    EXPECT_EQ(Placed(c, "E|WHOLE|B|None||"), "Label11(14,37) edit Edit11(86,32 428x21)=");
    EXPECT_EQ(Placed(c, "M|WHOLE|C|desc|x|"), "Label12(14,61) memo desc(86,56 428x49)=x");
    EXPECT_EQ(Placed(c, "M|WHOLE|D|None||"), "Label13(14,113) memo Memo11(86,108 428x49)=");
    EXPECT_EQ(Placed(c, "X|WHOLE|E|None||"), "Label14(14,165) label-only (86,160 428x0)=");
    EXPECT_EQ(Placed(c, "E|WHOLE|F|None||"), "Label15(14,189) edit Edit12(86,184 428x21)=");
}

TEST(FieldLayoutTest, ShippedDefaultProfile) {
    LineList layout;
    ASSERT_TRUE(LoadLineFile(std::string(SITEHERALD_SHIPPED_DATA_DIR) + "/filelay.dat", layout));
    const auto rows = ReadProfileRows(layout, "DEFAULT");
    ASSERT_TRUE(rows);
    FieldLayoutCursor c;
    std::vector<std::string> names;
    for (const auto& row : *rows)
        for (const FieldDefinition& field : row)
            names.push_back(c.Place(field).controlName + (row.size() == 2 ? "/2" : ""));
    EXPECT_THAT(names, ElementsAre("title", "url", "desc1", "keywo", "desc2", "desc3", "name/2",
                                   "email/2", "busna/2", "phone/2", "addre/2", "city/2"));
    EXPECT_EQ(c.rowTop(), 8 + 6 * 24 + 3 * 52);
}

} // namespace
} // namespace siteherald
