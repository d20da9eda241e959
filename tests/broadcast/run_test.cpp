#include "broadcast/broadcast_log.h"
#include "broadcast/broadcast_run.h"
#include "dialogue_server.h"
#include "test_support.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace siteherald {
namespace {

using testing::DialogueServer;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;

LineList List(const std::string& name, const std::string& prefix, int count) {
    LineList lines{"$" + name};
    for (int i = 1; i <= count; ++i)
        lines.push_back(prefix + std::to_string(i) + "@x.test");
    lines.push_back("$" + name);
    return lines;
}

std::vector<std::string> Prefixed(const std::string& prefix, const LineList& items) {
    std::vector<std::string> out;
    for (const std::string& item : items)
        out.push_back(prefix + item);
    return out;
}

// Lines of a CR LF file; a line feed without its CR fails the test.
LineList CrLfLines(const std::string& bytes) {
    LineList lines;
    size_t from = 0;
    for (size_t crlf; (crlf = bytes.find("\r\n", from)) != std::string::npos; from = crlf + 2)
        lines.push_back(bytes.substr(from, crlf - from));
    EXPECT_EQ(from, bytes.size()) << "no CR LF at the end";
    for (const std::string& line : lines)
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << line;
    return lines;
}

class RunTest : public ::testing::Test {
protected:
    BroadcastSender::Request MakeRequest(LineList store, std::vector<std::string> groups) {
        BroadcastSender::Request request;
        request.mailingListLines = std::move(store);
        request.newsgroups = std::move(groups);
        request.subject = "Spring sale";
        request.messageText = "Hello\r\nBye";
        request.preview = MessagePreview(request.subject, request.messageText);
        request.submissionFile = "kayaks.sdf";
        request.identity = {"Robin", "robin@x.test", mail.address(), news.address()};
        request.logDir = dir.path();
        return request;
    }
    std::vector<std::string> Rcpts() const {
        std::vector<std::string> out;
        for (const std::string& line : mail.commands())
            if (line.starts_with("RCPT TO: <"))
                out.push_back(line.substr(10, line.size() - 11));
        return out;
    }

    testing::TempDir dir;
    DialogueServer mail{testing::SmtpReplies()};
    DialogueServer news{testing::NntpReplies()};
    BroadcastSender sender;
};

TEST_F(RunTest, MailGoesToTheAddressesAmongTheFirst25StoreLines) {
    const LineList big = List("big", "a", 30);
    const auto report = sender.Run(MakeRequest(big, {}), {});
    const LineList first24(big.begin() + 1, big.begin() + 25);
    EXPECT_THAT(report.mailResults, ElementsAreArray(Prefixed("Succeeded: ", first24)));
    EXPECT_THAT(Rcpts(), ElementsAreArray(first24));
    EXPECT_EQ(mail.connections(), 24u);

    LineList two = List("one", "b", 5);
    const LineList second = List("two", "c", 5);
    two.insert(two.end(), second.begin(), second.end());
    EXPECT_EQ(sender.Run(MakeRequest(two, {}), {}).mailResults.size(), 10u);
    EXPECT_EQ(mail.connections(), 34u);
    EXPECT_EQ(news.connections(), 0u);
    EXPECT_FALSE(FileExists(dir / "news.log"));
}

TEST_F(RunTest, NewsGoesToTheFirstTenGroups) {
    std::vector<std::string> groups;
    for (int i = 1; i <= 12; ++i)
        groups.push_back("alt.g" + std::to_string(i));
    const auto report = sender.Run(MakeRequest({}, groups), {});
    const std::vector<std::string> first10(groups.begin(), groups.begin() + 10);
    EXPECT_THAT(report.newsResults, ElementsAreArray(Prefixed("Succeeded: ", first10)));
    const auto articles = news.messages();
    ASSERT_EQ(articles.size(), 10u);
    EXPECT_THAT(articles[9], HasSubstr("\r\nNewsgroups: alt.g10\r\n"));
    EXPECT_EQ(mail.connections(), 0u);
    EXPECT_FALSE(FileExists(dir / "mail.log"));
}

TEST_F(RunTest, CancelStopsBeforeTheNextSendAndSkipsTheNews) {
    BroadcastSender::Hooks hooks;
    int sends = 0;
    hooks.result = [&](const std::string&, const std::string&) {
        if (++sends == 2)
            sender.Cancel();
    };
    const auto report = sender.Run(MakeRequest(List("l", "a", 5), {"alt.test"}), hooks);
    EXPECT_TRUE(report.cancelled);
    EXPECT_THAT(report.mailResults, ElementsAre("Succeeded: a1@x.test", "Succeeded: a2@x.test"));
    EXPECT_TRUE(report.newsResults.empty());
    EXPECT_EQ(mail.connections(), 2u);
    EXPECT_EQ(news.connections(), 0u);
    const LineList log = CrLfLines(testing::ReadBytes(dir / "mail.log"));
    EXPECT_THAT(LineList(log.end() - 3, log.end() - 1),
                ElementsAre("Succeeded: a1@x.test", "Succeeded: a2@x.test"));
    EXPECT_FALSE(FileExists(dir / "news.log"));
}

TEST_F(RunTest, EachRunAppendsItsOwnEntryToEachLog) {
    sender.Run(MakeRequest(List("l", "a", 2), {"alt.test"}), {});
    mail.Set("MAIL", testing::Answer({"550 not today"}));
    std::vector<std::string> errors;
    BroadcastSender::Hooks hooks;
    hooks.result = [&](const std::string&, const std::string& error) { errors.push_back(error); };
    const auto report = sender.Run(MakeRequest(List("l", "b", 1), {"alt.test"}), hooks);
    EXPECT_THAT(report.mailResults, ElementsAre("Failed: b1@x.test"));
    EXPECT_THAT(report.newsResults, ElementsAre("Succeeded: alt.test"));
    EXPECT_THAT(errors, ElementsAre("SMTP server answered 550 not today", ""));

    const std::string carets(25, '^');
    LineList log = CrLfLines(testing::ReadBytes(dir / "mail.log"));
    ASSERT_EQ(log.size(), 21u);
    for (const size_t dateLine : {1, 12}) {
        EXPECT_THAT(log[dateLine], ::testing::MatchesRegex("Message sent on .*[0-9].*"));
        log[dateLine] = "(date)";
    }
    EXPECT_THAT(log,
                ElementsAre("Submission file: kayaks.sdf", "(date)", "", "Spring sale", "", "Hello",
                            "Bye", "", "Succeeded: a1@x.test", "Succeeded: a2@x.test", carets, //
                            "Submission file: kayaks.sdf", "(date)", "", "Spring sale", "", "Hello",
                            "Bye", "", "Failed: b1@x.test", carets));
    const LineList newsLog = CrLfLines(testing::ReadBytes(dir / "news.log"));
    ASSERT_EQ(newsLog.size(), 20u);
    EXPECT_EQ(newsLog[8], "Succeeded: alt.test");
    EXPECT_EQ(newsLog[18], "Succeeded: alt.test");
}

TEST_F(RunTest, AServerThatTimedOutFailsTheRestOfItsSendsAtOnce) {
    mail.Set("HELO", testing::Silence());
    news.Set("POST", testing::Silence());
    sender.SMTP1.Timeouts.reply = sender.NNTP1.Timeouts.reply = std::chrono::milliseconds(200);
    std::vector<std::string> errors;
    BroadcastSender::Hooks hooks;
    hooks.result = [&](const std::string&, const std::string& error) { errors.push_back(error); };
    sender.Run(MakeRequest(List("l", "a", 3), {"alt.a", "alt.b"}), hooks);
    const std::string m = "No answer from " + mail.address() + " within 200 ms";
    const std::string n = "No answer from " + news.address() + " within 200 ms";
    EXPECT_THAT(errors, ElementsAre(m, m, m, n, n));
    EXPECT_EQ(mail.connections() + news.connections(), 2u);
}

TEST_F(RunTest, UnwritableLogsAreReportedAndTheRunCompletes) {
    auto request = MakeRequest(List("l", "a", 2), {"alt.test"});
    request.logDir = dir / "file";
    testing::WriteBytes(request.logDir, "not a folder\r\n");
    const auto report = sender.Run(request, {});
    EXPECT_EQ(report.logErrors.size(), 2u);
    EXPECT_EQ(report.mailResults.size(), 2u);
    EXPECT_THAT(report.newsResults, ElementsAre("Succeeded: alt.test"));
}

} // namespace
} // namespace siteherald
