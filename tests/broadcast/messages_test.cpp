#include "broadcast/attached_messages.h"
#include "broadcast/identity.h"
#include "broadcast/mailing_lists.h"
#include "broadcast/support_message.h"
#include "test_support.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace siteherald {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

const std::string kSubject40 = "Spring sale on sea kayaks, paddles and a";

LineList Block(const std::string& subject, const LineList& text, bool withEnd = true) {
    LineList lines;
    AppendMessageBlock(lines, subject, "MN", text);
    if (!withEnd)
        lines.pop_back();
    return lines;
}

LineList Join(std::initializer_list<LineList> parts) {
    LineList all;
    for (const LineList& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

TEST(AttachedMessagesTest, SubjectsAreTakenByPrefixAndShortenedAbove40) {
    const LineList lines = Block("Hello world", {"text"});
    EXPECT_TRUE(SubjectTaken(lines, "Hello"));
    EXPECT_TRUE(SubjectTaken(lines, "Hello world"));
    EXPECT_FALSE(SubjectTaken(lines, "Hello world!"));
    EXPECT_FALSE(SubjectTaken(lines, "MN"));

    ASSERT_EQ(kSubject40.size(), 40u);
    EXPECT_EQ(MessageDisplayName(kSubject40), kSubject40);
    EXPECT_EQ(MessageDisplayName(kSubject40 + "X"), kSubject40.substr(0, 37) + "...");
}

TEST(AttachedMessagesTest, EditAndRemoveThroughAShortenedName) {
    const std::string subject = kSubject40 + "X";
    const LineList before = Block("Short", {"s"});
    const LineList after = Block("Other", {"o"});
    const LineList lines = Join({before, Block(subject, {"one", "two"}), after});
    const std::string item = MessageDisplayName(subject);

    for (const auto& found :
         {FindMessageForEdit(lines, item), FindMessageForRemoval(lines, item)}) {
        ASSERT_TRUE(found);
        EXPECT_EQ(found->start, 4u);
        EXPECT_EQ(found->end, 8u);
        EXPECT_TRUE(found->hasEnd);
        EXPECT_EQ(found->subject, subject);
        EXPECT_THAT(found->Text(lines), ElementsAre("one", "two"));
        LineList erased = lines;
        EraseMessageBlock(erased, *found);
        EXPECT_EQ(erased, Join({before, after}));
    }

    LineList edited = lines;
    ASSERT_TRUE(ReplaceMessageBlock(edited, subject, {"new"}));
    EXPECT_THAT(edited, ElementsAreArray(Join(
                            {before, after, {"$START" + subject, "", "new", "$END" + subject}})));
    EXPECT_FALSE(ReplaceMessageBlock(edited, "Missing", {"x"}));
}

TEST(AttachedMessagesTest, ABlockWithoutItsEndLineNeverTakesTheNextBlock) {
    const LineList next = Block("Next", {"n"});
    for (const std::string& subject : {std::string("First"), kSubject40 + "X"}) {
        SCOPED_TRACE(subject);
        const LineList lines = Join({Block(subject, {"f"}, false), next});
        const auto found = FindMessageForRemoval(lines, MessageDisplayName(subject));
        ASSERT_TRUE(found);
        EXPECT_FALSE(found->hasEnd);
        LineList erased = lines;
        EraseMessageBlock(erased, *found);
        EXPECT_EQ(erased, next);
        LineList edited = lines;
        ASSERT_TRUE(ReplaceMessageBlock(edited, subject, {"new"}));
        EXPECT_EQ(LineList(edited.begin(), edited.begin() + 4), next);
    }
}

// Two subjects sharing their first 36 characters: the one without its end line must not take
// the other's end line, and its removal must leave the other whole.
TEST(AttachedMessagesTest, ABlockWithoutItsEndLineKeepsANextBlockOfTheSamePrefix) {
    const std::string first = kSubject40 + "1";
    const LineList next = Block(kSubject40 + "2", {"n"});
    const LineList lines = Join({Block(first, {"f"}, false), next});
    const auto found = FindMessageForRemoval(lines, MessageDisplayName(first));
    ASSERT_TRUE(found);
    EXPECT_FALSE(found->hasEnd);
    LineList erased = lines;
    EraseMessageBlock(erased, *found);
    EXPECT_EQ(erased, next);
}

TEST(AttachedMessagesTest, ReturnMessageDropsLeadingEmptyLinesAndNeedsTheEndLine) {
    const LineList lines =
        Join({{"$PROFILE$x", "Edit1:a"}, Block("S", {"", "", "text", "", "more"}), {"tail"}});
    EXPECT_EQ(ReturnMessage(lines, "S"), "text\r\n\r\nmore");
    EXPECT_EQ(ReturnMessage(Block("S", {"x"}, false), "S"), std::nullopt);
    EXPECT_EQ(ReturnMessage(lines, "T"), std::nullopt);
    EXPECT_EQ(ReturnMessage(Block("S", {}), "S"), "");
}

TEST(MailingListsTest, SendListCountsMarkerLinesTowardsTheLimit) {
    LineList store{"$one", "a@x.test", "", "$one", "$two"};
    for (int i = 0; i < 30; ++i)
        store.push_back("b" + std::to_string(i) + "@x.test");
    const auto list = SendList(store);
    ASSERT_EQ(list.size(), 22u);
    EXPECT_EQ(list[1], ""); // an empty line is no marker
    EXPECT_EQ(list.back(), "b19@x.test");
    EXPECT_THAT(SendList(store, 3), ElementsAre("a@x.test", ""));

    EXPECT_THAT(*MailingListAddresses(store, "one"), ElementsAre("a@x.test", ""));
    EXPECT_TRUE(RemoveMailingList(store, "one"));
    EXPECT_EQ(store.front(), "$two");
}

TEST(IdentityTest, TheLastFailingCheckIsShown) {
    const Identity full{"Robin", "robin@x.test", "mail.test", "news.test"};
    const auto unset = [&](std::string Identity::*field) {
        Identity identity = full;
        identity.*field = kIdentityUnset;
        return identity;
    };
    const BroadcastChecks both{true, true, true};
    EXPECT_EQ(BroadcastValidationMessage(both, full), "");
    EXPECT_EQ(BroadcastValidationMessage({false, false, true}, full),
              "You must first add e-mail addresses or newsgroups.");
    EXPECT_EQ(BroadcastValidationMessage({true, false, false}, full),
              "You must first select a message.");
    EXPECT_EQ(BroadcastValidationMessage({false, false, false}, unset(&Identity::Name)),
              "Please enter your name in message options.");
    Identity noEmail = unset(&Identity::Email);
    EXPECT_EQ(BroadcastValidationMessage({true, false, false}, noEmail),
              "Please enter your e-mail address in message options.");
    noEmail.MailServer = noEmail.NewsServer = kIdentityUnset;
    EXPECT_EQ(BroadcastValidationMessage({true, false, true}, noEmail),
              "Please enter a valid mail server in message options.");
    EXPECT_EQ(BroadcastValidationMessage(both, noEmail),
              "Please enter a valid news server in message options.");
    EXPECT_EQ(BroadcastValidationMessage({false, true, true}, unset(&Identity::MailServer)), "");
}

TEST(SupportMessageTest, BodyHoldsTheSettingsAndDataFiles) {
    testing::TempDir dir;
    const SupportRequest request{"Robin", "robin@x.test", "Question", {"Why?", "Thanks"}};
    const LineList head{"From:",    "Robin|robin@x.test|",
                        "",         "Message Type:",
                        "Question", "",
                        "Message:", "Why?",
                        "Thanks",   "",
                        "Details:"};
    EXPECT_EQ(SupportMessageBody(request, dir / "missing.ini", dir.path()),
              Join({head, {"", "SEDATA:", "N/A", "", "PROFS:", "N/A"}}));

    testing::WriteBytes(dir / "settings.ini", "[Main]\r\nX=1\r\n");
    testing::WriteBytes(dir / "sedata.dat", "engine one\r\nengine two\r\n");
    testing::WriteBytes(dir / "profs.dat", "DEFAULT\r\n");
    EXPECT_EQ(SupportMessageBody(request, dir / "settings.ini", dir.path()),
              Join({head,
                    {"[Main]", "X=1", "", "SEDATA:", "engine one", "engine two", "",
                     "PROFS:", "DEFAULT"}}));
}

} // namespace
} // namespace siteherald
