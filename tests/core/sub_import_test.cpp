#include "broadcast/attached_messages.h"
#include "core/sub_import.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace siteherald {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Pair;

// 28 lines: the message ends at position 14 (N-14), the trailer holds the contact lines.
const LineList kSubFile{"SHSUB",
                        "Harbour Kayaks",
                        "https://kayaks.example/",
                        "Guided sea kayak tours",
                        "along the coast.",
                        "$MEMO2$",
                        "kayak",
                        "tours",
                        "$MEMO3$",
                        "Rentals by the day.",
                        "$MEMO4$",
                        "$MEMO7$",
                        "Hello,",
                        "please list our site.",
                        "Regards",
                        "ann@kayaks.example",
                        "Ann Berg",
                        "Norway",
                        "9008",
                        "fax",
                        "",
                        "1 Quay Street",
                        "Tromso",
                        "Harbour Kayaks AS",
                        "+47 555 0100",
                        "spare1",
                        "spare2",
                        "spare3"};

TEST(SubImportTest, ReadsValuesByPositionAndSectionsByMarker) {
    std::string problem;
    const auto contents = ReadSubFile(kSubFile, problem);
    ASSERT_TRUE(contents) << problem;
    EXPECT_THAT(contents->singles,
                ElementsAre(Pair("title", "Harbour Kayaks"), Pair("url", "https://kayaks.example/"),
                            Pair("email", "ann@kayaks.example"), Pair("name", "Ann Berg"),
                            Pair("addre", "1 Quay Street"), Pair("city", "Tromso"),
                            Pair("busna", "Harbour Kayaks AS"), Pair("phone", "+47 555 0100")));
    EXPECT_THAT(contents->sections, ElementsAre(Pair("desc1", ElementsAre("Guided sea kayak tours",
                                                                          "along the coast.")),
                                                Pair("keywo", ElementsAre("kayak", "tours")),
                                                Pair("desc2", ElementsAre("Rentals by the day.")),
                                                Pair("desc3", ElementsAre())));
    EXPECT_THAT(contents->message, ElementsAre("Hello,", "please list our site.", "Regards"));

    // The last marker just before the trailer: no message.
    LineList bare = kSubFile;
    bare.erase(bare.begin() + 12, bare.begin() + 15);
    bare.insert(bare.begin() + 3, {"one", "two", "three"});
    const auto noMessage = ReadSubFile(bare, problem);
    ASSERT_TRUE(noMessage) << problem;
    EXPECT_TRUE(noMessage->message.empty());
    EXPECT_THAT(noMessage->sections[0].second,
                ElementsAre("one", "two", "three", "Guided sea kayak tours", "along the coast."));
    EXPECT_EQ(noMessage->singles[2].second, "ann@kayaks.example");
}

TEST(SubImportTest, RefusesShortFilesAndMissingMarkers) {
    std::string problem;
    EXPECT_FALSE(ReadSubFile(LineList(kSubFile.begin(), kSubFile.begin() + 13), problem));
    EXPECT_THAT(problem, HasSubstr("13 lines"));
    for (const char* marker : {"$MEMO2$", "$MEMO3$", "$MEMO4$", "$MEMO7$"}) {
        LineList lines = kSubFile;
        std::erase(lines, std::string(marker));
        problem.clear();
        EXPECT_FALSE(ReadSubFile(lines, problem)) << marker;
        EXPECT_THAT(problem, HasSubstr(marker));
    }
}

TEST(SubImportTest, SubjectFromFileNameNumberedWhileTaken) {
    LineList messages;
    EXPECT_EQ(ImportSubject(messages, "/home/ann/old sites/kayaks.sub"), "kayaks");
    messages = {"$STARTkayaks tours", "M", "text", "$ENDkayaks tours"};
    EXPECT_EQ(ImportSubject(messages, "kayaks.sub"), "kayaks1");
    messages.push_back("$STARTkayaks1");
    EXPECT_EQ(ImportSubject(messages, "/x/kayaks.sub"), "kayaks12");
    messages.push_back("$STARTkayaks12");
    EXPECT_EQ(ImportSubject(messages, "/x/kayaks.sub"), "kayaks123");

    const std::string forty(40, 'a');
    EXPECT_EQ(ImportSubject({}, "/x/" + forty + ".sub"), forty);
    const std::string long45 = std::string(37, 'b') + "cdefghij";
    EXPECT_EQ(ImportSubject({}, "/x/" + long45 + ".sub"), std::string(37, 'b') + "...");
    // A second import of the long name gets a subject of its own.
    const std::string second =
        ImportSubject({"$START" + std::string(37, 'b') + "..."}, "/x/" + long45 + ".sub");
    EXPECT_EQ(second, std::string(36, 'b') + "1...");
}

} // namespace
} // namespace siteherald
