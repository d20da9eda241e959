#include "broadcast/broadcast_errors.h"
#include "broadcast/message_format.h"
#include "broadcast/nntp_client.h"
#include "broadcast/smtp_client.h"
#include "dialogue_server.h"

#include <cerrno>
#include <chrono>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <optional>
#include <thread>

namespace siteherald {
namespace {

using namespace std::chrono_literals;
using testing::Answer;
using testing::AnswerAndClose;
using testing::DialogueServer;
using ::testing::ElementsAre;
using testing::Reply;
using testing::ReplyTable;
using Clock = std::chrono::steady_clock;

template <typename E, typename F> std::optional<E> Thrown(F&& f) {
    try {
        f();
    } catch (const E& error) {
        return error;
    }
    return std::nullopt;
}

// A port nothing listens on.
std::string ClosedPort() {
    DialogueServer server(testing::SmtpReplies());
    return server.address();
}

void PrepareSmtp(T_SMTP& smtp, const DialogueServer& server) {
    smtp.Hostname = server.address();
    smtp.Timeouts = {5s, 5s, 5s};
    smtp.EnvelopeSender = "\"Robin Hood\" <robin@sherwood.test>";
    smtp.Recipients = {"\"Kim\" <kim@a.test>, lee@b.test", "(max@c.test)"};
    smtp.MessageLines = {"Subject: hi", "", ".hidden\r\nsecond\r\n", "."};
}

const std::string kSmtpMessage = "Subject: hi\r\n\r\n..hidden\r\nsecond\r\n..\r\n.\r\n";

std::string SmtpDialogue() {
    return "HELO " + LocalHostName() +
           "\r\nMAIL FROM: <robin@sherwood.test>\r\nRCPT TO: <kim@a.test>\r\n"
           "RCPT TO: <lee@b.test>\r\nRCPT TO: <max@c.test>\r\nDATA\r\n" +
           kSmtpMessage + "QUIT\r\n";
}

TEST(SmtpClientTest, SendsTheDialogueAndStuffedMessageExactly) {
    DialogueServer server(testing::SmtpReplies());
    T_SMTP smtp;
    PrepareSmtp(smtp, server);
    smtp.Action();
    EXPECT_THAT(server.transcripts(), ElementsAre(SmtpDialogue()));
    EXPECT_THAT(server.messages(), ElementsAre(kSmtpMessage));
    EXPECT_FALSE(smtp.LoggedIn());
}

TEST(SmtpClientTest, ReadsMultiLineRepliesWhole) {
    ReplyTable replies = testing::SmtpReplies();
    replies[""] = Answer({"220-mail.test", "220-no spam here", "220 ready"});
    replies["HELO"] = Answer({"250-mail.test", "250-SIZE 1000", "250 HELP"});
    replies["MAIL"] = Answer({"250-sender", "250 ok"});
    replies["."] = Answer({"250-queued", "250 as 12"});
    DialogueServer server(replies);
    T_SMTP smtp;
    PrepareSmtp(smtp, server);
    smtp.Action();
    // A client that read one line of each would take "250-SIZE" for the answer to MAIL FROM
    // and so on, and never see the 354 it needs to send the message.
    EXPECT_THAT(server.transcripts(), ElementsAre(SmtpDialogue()));
}

TEST(SmtpClientTest, RefusalsAndBrokenRepliesAreProtocolErrors) {
    struct Case {
        const char* name;
        std::vector<std::pair<std::string, Reply>> replies;
        int code;
        std::string text;
        std::string lastCommand;
        size_t messages;
    };
    const std::string closed = "The server closed the connection";
    const std::vector<Case> cases = {
        {"recipients refused",
         {{"RCPT", Answer({"550 no such user"})}, {"DATA", Answer({"503 no valid recipients"})}},
         550,
         "no such user",
         "RCPT",
         0},
        {"recipients refused, DATA open",
         {{"RCPT", Answer({"550 no such user"})}},
         550,
         "no such user",
         "RCPT",
         0},
        {"one recipient refused",
         {{"RCPT TO: <lee@b.test>", Answer({"550 no such user"})}},
         550,
         "no such user",
         "QUIT",
         1},
        {"greeting 421", {{"", AnswerAndClose({"421 too busy"})}}, 421, "too busy", "", 0},
        {"HELO refused", {{"HELO", Answer({"501 bad name"})}}, 501, "bad name", "HELO", 0},
        {"sender refused", {{"MAIL", Answer({"553 not you"})}}, 553, "not you", "MAIL", 0},
        {"message refused", {{".", Answer({"554 spam"})}}, 554, "spam", "DATA", 1},
        {"DATA multi-line", {{"DATA", Answer({"451-try", "451 later"})}}, 451, "try", "DATA", 0},
        {"drop at MAIL", {{"MAIL", AnswerAndClose({})}}, 999, closed, "MAIL", 0},
        {"drop at RCPT", {{"RCPT", AnswerAndClose({})}}, 999, closed, "RCPT", 0},
        {"drop after the message", {{".", AnswerAndClose({})}}, 999, closed, "DATA", 1},
        {"no greeting", {{"", AnswerAndClose({})}}, 999, closed, "", 0},
        {"not a reply", {{"HELO", Answer({"hi"})}}, 999, "Unreadable reply: hi", "HELO", 0},
        {"DATA answered 250",
         {{"DATA", Answer({"250 fine"})}},
         250,
         "Unexpected answer to DATA: fine",
         "DATA",
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ReplyTable replies = testing::SmtpReplies();
        for (const auto& [word, reply] : c.replies)
            replies[word] = reply;
        DialogueServer server(replies);
        T_SMTP smtp;
        PrepareSmtp(smtp, server);
        const auto error = Thrown<EProtocolError>([&] { smtp.Action(); });
        ASSERT_TRUE(error);
        EXPECT_EQ(error->ErrorCode, c.code);
        EXPECT_EQ(error->Protocol, "SMTP");
        EXPECT_STREQ(error->what(), c.text.c_str());
        EXPECT_EQ(server.messages().size(), c.messages);
        const auto commands = server.commands();
        const std::string last = commands.empty() ? "" : commands.back();
        EXPECT_EQ(last.substr(0, last.find(' ')), c.lastCommand);
        // Nothing of the message goes out unless the server said 354.
        if (c.messages == 0) {
            EXPECT_EQ(server.transcripts().at(0).find("Subject"), std::string::npos);
        }
    }
}

TEST(SmtpClientTest, ConnectionFailuresAndTimeOuts) {
    T_SMTP smtp;
    smtp.EnvelopeSender = "robin@sherwood.test";
    smtp.Recipients = {"kim@a.test"};
    smtp.MessageLines = {"Subject: hi"};
    smtp.Timeouts = {5s, 300ms, 300ms};

    smtp.Hostname = ClosedPort();
    const auto refused = Thrown<ESocketError>([&] { smtp.Action(); });
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->ErrorCode, ECONNREFUSED);
    EXPECT_EQ(DescribeSendError(*refused),
              "Unable to connect to " + smtp.Hostname + ": Connection refused");

    smtp.Hostname = "no-such-host.invalid";
    const auto unresolved = Thrown<ETcpIpError>([&] { smtp.Action(); });
    ASSERT_TRUE(unresolved);
    EXPECT_STREQ(unresolved->what(), "Couldn't resolve hostname no-such-host.invalid");
    EXPECT_EQ(dynamic_cast<const ESocketError*>(&*unresolved), nullptr);

    ReplyTable replies = testing::SmtpReplies();
    replies["HELO"] = testing::Silence();
    DialogueServer silent(replies);
    smtp.Hostname = silent.address();
    const auto started = Clock::now();
    const auto timedOut = Thrown<ETcpIpError>([&] { smtp.Action(); });
    const auto waited = Clock::now() - started;
    ASSERT_TRUE(timedOut);
    EXPECT_STREQ(timedOut->what(),
                 ("No answer from " + silent.address() + " within 300 ms").c_str());
    EXPECT_GE(waited, 290ms);
    EXPECT_LT(waited, 3s);
}

TEST(SmtpClientTest, AbortEndsAWaitAtOnceUntilCleared) {
    ReplyTable replies = testing::SmtpReplies();
    replies["HELO"] = testing::Silence();
    DialogueServer server(replies);
    T_SMTP smtp;
    PrepareSmtp(smtp, server);
    smtp.Timeouts.reply = 60s;
    const auto started = Clock::now();
    std::thread aborter([&] {
        std::this_thread::sleep_for(150ms);
        smtp.Abort();
    });
    const auto cancelled = Thrown<ETcpIpError>([&] { smtp.Action(); });
    aborter.join();
    ASSERT_TRUE(cancelled);
    EXPECT_STREQ(cancelled->what(), "Cancelled");
    EXPECT_LT(Clock::now() - started, 2s);

    // Still aborted: the next send ends before it gets anywhere.
    server.Set("HELO", Answer({"250 ok"}));
    EXPECT_THROW(smtp.Action(), ETcpIpError);
    smtp.ClearAbort();
    smtp.Action();
    EXPECT_THAT(server.messages(), ElementsAre(kSmtpMessage));
}

void PrepareNntp(T_NNTP& nntp, const DialogueServer& server) {
    nntp.Hostname = server.address();
    nntp.Timeouts = {5s, 5s, 5s};
    nntp.MessageLines = {"Newsgroups: alt.test", "", ".dot\r\nplain"};
}

TEST(NntpClientTest, PostsTheStuffedArticleAndQuits) {
    DialogueServer server(testing::NntpReplies());
    T_NNTP nntp;
    PrepareNntp(nntp, server);
    nntp.Post();
    nntp.Logout();
    EXPECT_THAT(server.transcripts(), ElementsAre("MODE READER\r\nPOST\r\nNewsgroups: alt.test\r\n"
                                                  "\r\n..dot\r\nplain\r\n.\r\nQUIT\r\n"));
    EXPECT_FALSE(nntp.LoggedIn());
}

TEST(NntpClientTest, ErrorRepliesAndClosedConnections) {
    struct Case {
        const char* name;
        std::string word;
        Reply reply;
        int code; // 0: the article is posted
        std::string text;
        size_t articles;
    };
    const std::string closed = "The server closed the connection";
    const std::vector<Case> cases = {
        {"greeting refused", "", Answer({"502 no permission"}), 502, "no permission", 0},
        {"reader mode refused", "MODE", Answer({"500 what?"}), 0, "", 1},
        {"posting refused", "POST", Answer({"440 not allowed"}), 440, "not allowed", 0},
        {"article refused", ".", Answer({"441 no such group"}), 441, "no such group", 1},
        {"drop at POST", "POST", AnswerAndClose({}), 999, closed, 0},
        {"drop after the article", ".", AnswerAndClose({}), 999, closed, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ReplyTable replies = testing::NntpReplies();
        replies[c.word] = c.reply;
        DialogueServer server(replies);
        T_NNTP nntp;
        PrepareNntp(nntp, server);
        const auto error = Thrown<EProtocolError>([&] { nntp.Post(); });
        EXPECT_EQ(error ? error->ErrorCode : 0, c.code);
        if (error) {
            EXPECT_EQ(error->Protocol, "NNTP");
            EXPECT_STREQ(error->what(), c.text.c_str());
        }
        nntp.T_TcpIp::Logout();
        EXPECT_EQ(server.messages().size(), c.articles);
    }
}

} // namespace
} // namespace siteherald
