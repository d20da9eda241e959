#include "broadcast/mail_news.h"
#include "broadcast/message_format.h"
#include "core/line_file.h"
#include "dialogue_server.h"

#include <chrono>
#include <cstdlib>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <optional>
#include <set>
#include <string>

namespace siteherald {
namespace {

using namespace std::chrono_literals;
using testing::DialogueServer;
using ::testing::ElementsAre;
using ::testing::MatchesRegex;

const char* const kMessageId = "Message-ID: <[0-9]+\\.[0-9]+\\.[0-9]+@.+>";
const char* const kDate = "Date: (Sun|Mon|Tue|Wed|Thu|Fri|Sat), [1-9][0-9]? [A-Z][a-z]{2} "
                          "[0-9]{4} [0-9]{2}:[0-9]{2}:[0-9]{2} (GMT|[+-][0-9]{4})";

std::vector<std::string> Starting(const std::vector<std::string>& lines, const std::string& word) {
    std::vector<std::string> found;
    for (const std::string& line : lines)
        if (line.starts_with(word))
            found.push_back(line);
    return found;
}

TEST(ComposerTest, MailHeadersInOrderAndBlindCopiesOnlyInTheEnvelope) {
    DialogueServer server(testing::SmtpReplies());
    T_SMTP smtp;
    smtp.Hostname = server.address();
    T_Mail mail;
    mail.SMTP = &smtp;
    mail.From = "\"Robin\" <robin@x.test>";
    mail.Sender = "list@x.test";
    mail.Subject = "Spring\r\n sale\n";
    mail.References = "<r1@x.test>";
    mail.ReplyTo = "reply@x.test";
    mail.Header = {"X-Mailer: Siteherald"};
    mail.Recipients = {"kim@a.test", "\"Lee\" <lee@b.test>"};
    mail.CC = {"cc@c.test"};
    mail.BCC = {"hidden@d.test"};
    mail.Body = {"first\r\nsecond", ".third"};
    mail.SendMessage();

    ASSERT_EQ(server.messages().size(), 1u);
    EXPECT_THAT(SplitLines(server.messages()[0]),
                ElementsAre("From: \"Robin\" <robin@x.test>", MatchesRegex(kMessageId),
                            MatchesRegex(kDate), "Subject: Spring sale", "To: kim@a.test",
                            "To: \"Lee\" <lee@b.test>", "CC: cc@c.test", "Sender: list@x.test",
                            "References: <r1@x.test>", "Reply-To: reply@x.test",
                            "X-Mailer: Siteherald", "", "first", "second", "..third", "."));
    const auto commands = server.commands();
    EXPECT_THAT(Starting(commands, "MAIL"), ElementsAre("MAIL FROM: <list@x.test>"));
    EXPECT_THAT(Starting(commands, "RCPT"),
                ElementsAre("RCPT TO: <kim@a.test>", "RCPT TO: <lee@b.test>",
                            "RCPT TO: <cc@c.test>", "RCPT TO: <hidden@d.test>"));
    EXPECT_TRUE(smtp.EnvelopeSender.empty());
}

TEST(ComposerTest, ArticleHeadersWithContinuedNewsgroups) {
    DialogueServer server(testing::NntpReplies());
    T_NNTP nntp;
    nntp.Hostname = server.address();
    T_News news;
    news.NNTP = &nntp;
    news.From = "\"Robin\" <robin@x.test>";
    news.Subject = "Kayaks";
    news.ReplyTo = "robin@x.test";
    news.Organization = "Sherwood";
    news.Newsgroups = {"alt.a", "alt.b", "alt.c"};
    news.Body = {"Hello\r\n"};
    news.SendMessage();

    ASSERT_EQ(server.messages().size(), 1u);
    EXPECT_THAT(SplitLines(server.messages()[0]),
                ElementsAre("From: \"Robin\" <robin@x.test>", MatchesRegex(kMessageId),
                            MatchesRegex(kDate), "Subject: Kayaks", "Newsgroups: alt.a,",
                            "  alt.b,", "  alt.c", "Organization: Sherwood",
                            "Reply-To: robin@x.test", "", "Hello", "."));
    EXPECT_THAT(server.commands(), ElementsAre("MODE READER", "POST", "QUIT"));
    EXPECT_FALSE(nntp.LoggedIn());

    // More than ten groups: nothing is sent.
    news.Newsgroups.assign(11, "alt.a");
    news.SendMessage();
    EXPECT_EQ(server.connections(), 1u);
}

// MessageDate of 5 Dec 1998 13:03:07 UTC with TZ set to `zone`.
std::string DateIn(const char* zone) {
    const char* old = std::getenv("TZ");
    const std::optional<std::string> saved = old ? std::optional<std::string>(old) : std::nullopt;
    ::setenv("TZ", zone, 1);
    ::tzset();
    const std::string date = MessageDate(912862987);
    saved ? ::setenv("TZ", saved->c_str(), 1) : ::unsetenv("TZ");
    ::tzset();
    return date;
}

TEST(MessageFormatTest, DateInTheLocalZone) {
    EXPECT_EQ(DateIn("UTC"), "Sat, 5 Dec 1998 13:03:07 GMT");
    EXPECT_EQ(DateIn("CET-1"), "Sat, 5 Dec 1998 14:03:07 +0100");
    EXPECT_EQ(DateIn("<-0330>3:30"), "Sat, 5 Dec 1998 09:33:07 -0330");
}

TEST(MessageFormatTest, MessageIdsWithinOneSecondDiffer) {
    std::set<std::string> ids;
    for (int i = 0; i < 1000; ++i)
        ids.insert(MakeMessageId(912862987, "host.test"));
    EXPECT_EQ(ids.size(), 1000u);
    EXPECT_THAT(*ids.begin(), MatchesRegex("<[0-9]+\\.[0-9]+\\.[0-9]+@host\\.test>"));
}

TEST(MessageFormatTest, NthAddressOfARecipientLine) {
    const std::string line = "\"Robin\" <robin@x.org>, kim@y.org;(lee@z.org)";
    EXPECT_EQ(NthAddress(line, 1), "robin@x.org");
    EXPECT_EQ(NthAddress(line, 2), "kim@y.org");
    EXPECT_EQ(NthAddress(line, 3), "lee@z.org");
    EXPECT_EQ(NthAddress(line, 4), std::nullopt);
    EXPECT_EQ(NthAddress("no address", 1), std::nullopt);
}

} // namespace
} // namespace siteherald
