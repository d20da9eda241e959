// The mail and news clients, the composer, the support message and the broadcast run against
// a scripted dialogue server on 127.0.0.1.

#include "broadcast/attached_messages.h"
#include "broadcast/broadcast_errors.h"
#include "broadcast/broadcast_log.h"
#include "broadcast/broadcast_run.h"
#include "broadcast/identity.h"
#include "broadcast/message_format.h"
#include "broadcast/support_message.h"
#include "core/product_defaults.h"
#include "core/settings_store.h"
#include "support/scripted_server.h"
#include "test_support.h"

#include <cerrno>
#include <filesystem>
#include <gmock/gmock.h>
#include <netdb.h>
#include <optional>
#include <set>

namespace siteherald {
namespace {

using namespace std::chrono_literals;
using namespace testing;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using ::testing::MatchesRegex;
using Clock = std::chrono::steady_clock;
using Strings = std::vector<std::string>;

template <typename E, typename F> std::optional<E> Thrown(F&& f) {
    try {
        f();
    } catch (const E& error) {
        return error;
    }
    return std::nullopt;
}

// This machine's name as a resolver gives it, worked out apart from the code under test.
std::string CanonicalHostName() {
    char name[256] = {};
    ::gethostname(name, sizeof name - 1);
    addrinfo hints{};
    hints.ai_flags = AI_CANONNAME;
    addrinfo* found = nullptr;
    if (::getaddrinfo(name, nullptr, &hints, &found) != 0)
        return name;
    const std::string canonical = found->ai_canonname ? found->ai_canonname : name;
    ::freeaddrinfo(found);
    return canonical;
}

void PrepareSmtp(T_SMTP& smtp, const DialogueServer& server) {
    smtp.Hostname = server.address();
    smtp.Timeouts = {5s, 5s, 5s};
    smtp.EnvelopeSender = "\"Robin Hood\" <robin@sherwood.test>";
    smtp.Recipients = {"\"Kim\" <kim@a.test>, lee@b.test;(max@c.test)", "zed@d.test"};
    smtp.MessageLines = {"Subject: hi", "", ".hidden\r\nsecond\r\n", "."};
}

const std::string kSmtpMessage = "Subject: hi\r\n\r\n..hidden\r\nsecond\r\n..\r\n.\r\n";

// With plain replies, and with multi-line replies sent one byte at a time: a client that read
// one line of each would take "250-SIZE" for the answer to MAIL FROM and so on, and never see
// the 354 it needs to send the message.
TEST(SmtpClientTest, SendsTheDialogueAndStuffedMessageExactly) {
    ReplyTable multiLine = SmtpReplies();
    multiLine[""] = Answer({"220-mail.test", "220-no spam here", "220 ready"});
    multiLine["HELO"] = Answer({"250-mail.test", "250-SIZE 1000", "250 HELP"});
    multiLine["MAIL"] = Answer({"250-sender", "250 ok"});
    multiLine["."] = Answer({"250-queued", "250 as 12"});
    for (auto& [word, reply] : multiLine)
        reply.oneByteAtATime = true;
    for (const ReplyTable& replies : {SmtpReplies(), multiLine}) {
        DialogueServer server(replies);
        T_SMTP smtp;
        PrepareSmtp(smtp, server);
        smtp.Action();
        EXPECT_THAT(server.transcripts(),
                    ElementsAre("HELO " + CanonicalHostName() +
                                "\r\nMAIL FROM: <robin@sherwood.test>\r\nRCPT TO: <kim@a.test>\r\n"
                                "RCPT TO: <lee@b.test>\r\nRCPT TO: <max@c.test>\r\n"
                                "RCPT TO: <zed@d.test>\r\nDATA\r\n" +
                                kSmtpMessage + "QUIT\r\n"));
        EXPECT_FALSE(smtp.LoggedIn());
    }
}
TEST(SmtpClientTest, RefusalsAndBrokenRepliesAreProtocolErrors) {
    const std::string closed = "999 The server closed the connection";
    const Reply noUser = Answer({"550 no such user"});
    const struct {
        const char* name;
        ReplyTable replies; // over SmtpReplies()
        std::string error, lastCommand;
        size_t messages;
    } rows[] = {
        {"recipients refused",
         {{"RCPT", noUser}, {"DATA", Answer({"503 no valid recipients"})}},
         "550 no such user",
         "RCPT",
         0},
        {"recipients refused, DATA open", {{"RCPT", noUser}}, "550 no such user", "RCPT", 0},
        {"one recipient refused",
         {{"RCPT TO: <lee@b.test>", noUser}},
         "550 no such user",
         "QUIT",
         1},
        {"greeting 421", {{"", AnswerAndClose({"421 too busy"})}}, "421 too busy", "", 0},
        {"HELO refused", {{"HELO", Answer({"501 bad name"})}}, "501 bad name", "HELO", 0},
        {"sender refused", {{"MAIL", Answer({"553 not you"})}}, "553 not you", "MAIL", 0},
        {"message refused", {{".", Answer({"554 spam"})}}, "554 spam", "DATA", 1},
        {"DATA multi-line", {{"DATA", Answer({"451-try", "451 later"})}}, "451 try", "DATA", 0},
        {"drop at MAIL", {{"MAIL", AnswerAndClose({})}}, closed, "MAIL", 0},
        {"drop at RCPT", {{"RCPT", AnswerAndClose({})}}, closed, "RCPT", 0},
        {"drop after the message", {{".", AnswerAndClose({})}}, closed, "DATA", 1},
        {"no greeting", {{"", AnswerAndClose({})}}, closed, "", 0},
        {"not a reply", {{"HELO", Answer({"hi"})}}, "999 Unreadable reply: hi", "HELO", 0},
        {"DATA answered 250",
         {{"DATA", Answer({"250 fine"})}},
         "250 Unexpected answer to DATA: fine",
         "DATA",
         0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ReplyTable replies = SmtpReplies();
        for (const auto& [word, reply] : row.replies)
            replies[word] = reply;
        DialogueServer server(replies);
        T_SMTP smtp;
        PrepareSmtp(smtp, server);
        const auto error = Thrown<EProtocolError>([&] { smtp.Action(); });
        ASSERT_TRUE(error);
        EXPECT_EQ(std::to_string(error->ErrorCode) + " " + error->what(), row.error);
        EXPECT_EQ(error->Protocol, "SMTP");
        EXPECT_EQ(server.messages().size(), row.messages);
        const auto commands = server.commands();
        const std::string last = commands.empty() ? "" : commands.back();
        EXPECT_EQ(last.substr(0, last.find(' ')), row.lastCommand);
        // Nothing of the message goes out unless the server said 354.
        if (row.messages == 0) {
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

    smtp.Hostname = "127.0.0.1:" + std::to_string(FreePort());
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

    ReplyTable replies = SmtpReplies();
    replies["HELO"] = Silence();
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
    ReplyTable replies = SmtpReplies();
    replies["HELO"] = Silence();
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
    DialogueServer server(NntpReplies());
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
        ReplyTable replies = NntpReplies();
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

const char* const kDate = "Date: (Sun|Mon|Tue|Wed|Thu|Fri|Sat), [1-9][0-9]? [A-Z][a-z]{2} "
                          "[0-9]{4} [0-9]{2}:[0-9]{2}:[0-9]{2} (GMT|[+-][0-9]{4})";

// The Message-ID names this machine.
std::string MessageIdPattern() {
    std::string host;
    for (const char c : CanonicalHostName())
        host += std::isalnum(static_cast<unsigned char>(c)) ? std::string(1, c)
                                                            : "\\" + std::string(1, c);
    return "Message-ID: <[0-9]+\\.[0-9]+\\.[0-9]+@" + host + ">";
}

Strings Starting(const Strings& lines, const std::string& word) {
    Strings found;
    for (const std::string& line : lines)
        if (line.starts_with(word))
            found.push_back(line);
    return found;
}

TEST(ComposerTest, MailHeadersInOrderAndBlindCopiesOnlyInTheEnvelope) {
    DialogueServer server(SmtpReplies());
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
                ElementsAre("From: \"Robin\" <robin@x.test>", MatchesRegex(MessageIdPattern()),
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
    DialogueServer server(NntpReplies());
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
                ElementsAre("From: \"Robin\" <robin@x.test>", MatchesRegex(MessageIdPattern()),
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

LineList Block(const std::string& subject, const LineList& text, bool withEnd = true) {
    LineList lines;
    AppendMessageBlock(lines, subject, "MN", text);
    if (!withEnd)
        lines.pop_back();
    return lines;
}

// A block without its end line must never take the next block, nor its end line when the
// next subject shares the first 37 characters of a shortened name.
TEST(AttachedMessagesTest, ABlockWithoutItsEndLineNeverTakesTheNextBlock) {
    const std::string subject40 = "Spring sale on sea kayaks, paddles and a";
    EXPECT_EQ(MessageDisplayName(subject40), subject40);
    EXPECT_EQ(MessageDisplayName(subject40 + "X"), subject40.substr(0, 37) + "...");
    for (const auto& [first, next] : {std::pair<std::string, std::string>{"First", "Next"},
                                      {subject40 + "X", "Next"},
                                      {subject40 + "1", subject40 + "2"}}) {
        SCOPED_TRACE(first);
        const LineList nextBlock = Block(next, {"n"});
        LineList lines = Block(first, {"f"}, false);
        lines.insert(lines.end(), nextBlock.begin(), nextBlock.end());
        const auto found = FindMessageForRemoval(lines, MessageDisplayName(first));
        ASSERT_TRUE(found);
        EXPECT_FALSE(found->hasEnd);
        LineList erased = lines;
        EraseMessageBlock(erased, *found);
        EXPECT_EQ(erased, nextBlock);
        ASSERT_TRUE(ReplaceMessageBlock(lines, first, {"new"}));
        EXPECT_EQ(LineList(lines.begin(), lines.begin() + 4), nextBlock);
    }
}

// The order of the checks is that of the window's test; here, what each send needs.
TEST(IdentityTest, EachSendNeedsOnlyItsOwnServer) {
    const Identity full{"Robin", "robin@x.test", "mail.test", "news.test"};
    Identity noMail = full, noNews = full;
    noMail.MailServer = noNews.NewsServer = kIdentityUnset;
    EXPECT_EQ(BroadcastValidationMessage({true, true, true}, full), "");
    EXPECT_EQ(BroadcastValidationMessage({false, true, true}, noMail), "");
    EXPECT_EQ(BroadcastValidationMessage({true, false, true}, noNews), "");
}

// The settings' support address goes as a second recipient when it differs from the built-in
// one; missing data files show as "N/A".
TEST(SupportMessageTest, GoesToBothAddressesWithTheSettingsAndDataFiles) {
    ScopedSettings settings;
    TempDir dir;
    const SupportRequest request{"Robin", "robin@x.test", "Question", {"Why?", "Thanks"}};
    const LineList head{"From:",    "Robin|robin@x.test|",
                        "",         "Message Type:",
                        "Question", "",
                        "Message:", "Why?",
                        "Thanks",   "",
                        "Details:"};
    LineList body = head;
    body.insert(body.end(), {"", "SEDATA:", "N/A", "", "PROFS:", "N/A"});
    EXPECT_EQ(SupportMessageBody(request, dir / "missing.ini", dir.path()), body);
    WriteBytes(dir / "sedata.dat", "engine one\r\nengine two\r\n");
    WriteBytes(dir / "profs.dat", "DEFAULT\r\n");
    for (const std::string& configured : {std::string(kSupportEmail), std::string("help@y.test")}) {
        IniWriteString("Main", "SupportEmail", configured);
        DialogueServer server(SmtpReplies());
        T_SMTP smtp;
        T_Mail mail;
        mail.SMTP = &smtp;
        body = SupportMessageBody(request, settings.iniPath(), dir.path());
        PrepareSupportMail(mail, request, body, server.address());
        mail.SendMessage();
        Strings rcpts = {"RCPT TO: <" + std::string(kSupportEmail) + ">"};
        if (configured != kSupportEmail)
            rcpts.push_back("RCPT TO: <" + configured + ">");
        EXPECT_EQ(Starting(server.commands(), "RCPT"), rcpts);
        ASSERT_EQ(server.messages().size(), 1u);
        const std::string message = server.messages()[0];
        EXPECT_THAT(message, HasSubstr("\r\nSubject: E-mail Support - Siteherald\r\n"));
        EXPECT_THAT(message, HasSubstr("\r\nDetails:\r\n[Main]\r\nSupportEmail=" + configured +
                                       "\r\n\r\nSEDATA:\r\nengine one\r\n"
                                       "engine two\r\n\r\nPROFS:\r\nDEFAULT\r\n.\r\n"));
    }
}

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

    TempDir dir;
    DialogueServer mail{SmtpReplies()};
    DialogueServer news{NntpReplies()};
    BroadcastSender sender;
};

TEST_F(RunTest, MailToTheAddressesAmongTheFirst25StoreLinesNewsToTheFirstTenGroups) {
    LineList two = List("one", "b", 5);
    const LineList second = List("two", "c", 5);
    two.insert(two.end(), second.begin(), second.end());
    EXPECT_EQ(sender.Run(MakeRequest(two, {}), {}).mailResults.size(), 10u);
    EXPECT_FALSE(FileExists(dir / "news.log"));

    const LineList big = List("big", "a", 30);
    std::vector<std::string> groups;
    for (int i = 1; i <= 12; ++i)
        groups.push_back("alt.g" + std::to_string(i));
    const auto report = sender.Run(MakeRequest(big, groups), {});
    const LineList first24(big.begin() + 1, big.begin() + 25);
    EXPECT_THAT(report.mailResults, ElementsAreArray(Prefixed("Succeeded: ", first24)));
    const Strings rcpts = Rcpts();
    EXPECT_EQ(Strings(rcpts.begin() + 10, rcpts.end()), first24);
    EXPECT_EQ(mail.connections(), 34u);
    const std::vector<std::string> first10(groups.begin(), groups.begin() + 10);
    EXPECT_THAT(report.newsResults, ElementsAreArray(Prefixed("Succeeded: ", first10)));
    const auto articles = news.messages();
    ASSERT_EQ(articles.size(), 10u);
    EXPECT_THAT(articles[9], HasSubstr("\r\nNewsgroups: alt.g10\r\n"));
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
    const LineList log = CrLfLines(ReadBytes(dir / "mail.log"));
    EXPECT_THAT(LineList(log.end() - 3, log.end() - 1),
                ElementsAre("Succeeded: a1@x.test", "Succeeded: a2@x.test"));
    EXPECT_FALSE(FileExists(dir / "news.log"));
}

TEST_F(RunTest, EachRunAppendsItsOwnEntryToEachLog) {
    sender.Run(MakeRequest(List("l", "a", 2), {"alt.test"}), {});
    mail.Set("MAIL", Answer({"550 not today"}));
    std::vector<std::string> errors;
    BroadcastSender::Hooks hooks;
    hooks.result = [&](const std::string&, const std::string& error) { errors.push_back(error); };
    const auto report = sender.Run(MakeRequest(List("l", "b", 1), {"alt.test"}), hooks);
    EXPECT_THAT(report.mailResults, ElementsAre("Failed: b1@x.test"));
    EXPECT_THAT(report.newsResults, ElementsAre("Succeeded: alt.test"));
    EXPECT_THAT(errors, ElementsAre("SMTP server answered 550 not today", ""));

    const std::string carets(25, '^');
    LineList log = CrLfLines(ReadBytes(dir / "mail.log"));
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
    const LineList newsLog = CrLfLines(ReadBytes(dir / "news.log"));
    ASSERT_EQ(newsLog.size(), 20u);
    EXPECT_EQ(newsLog[8], "Succeeded: alt.test");
    EXPECT_EQ(newsLog[18], "Succeeded: alt.test");
}

TEST_F(RunTest, AServerThatTimedOutFailsTheRestOfItsSendsAtOnce) {
    mail.Set("HELO", Silence());
    news.Set("POST", Silence());
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
    WriteBytes(request.logDir, "not a folder\r\n");
    const auto report = sender.Run(request, {});
    EXPECT_EQ(report.logErrors.size(), 2u);
    EXPECT_EQ(report.mailResults.size(), 2u);
    EXPECT_THAT(report.newsResults, ElementsAre("Succeeded: alt.test"));

    // Logs that are folders: the failed reads leave no descriptor open.
    request.logDir = dir.path();
    std::filesystem::create_directory(dir / "mail.log");
    std::filesystem::create_directory(dir / "news.log");
    const auto openFiles = [] {
        const auto fds = std::filesystem::directory_iterator("/proc/self/fd");
        return std::distance(begin(fds), end(fds));
    };
    const auto before = openFiles();
    EXPECT_EQ(sender.Run(request, {}).logErrors.size(), 2u);
    EXPECT_EQ(openFiles(), before);
}

} // namespace
} // namespace siteherald
