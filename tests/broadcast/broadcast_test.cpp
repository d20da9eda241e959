// The mail and news clients, the composer, the support message and the broadcast run against
// a scripted dialogue server on 127.0.0.1.

#include "broadcast/attached_messages.h"
#include "broadcast/broadcast_errors.h"
#include "broadcast/broadcast_log.h"
#include "broadcast/broadcast_run.h"
#include "broadcast/identity.h"
#include "broadcast/mailing_lists.h"
#include "broadcast/message_format.h"
#include "broadcast/nntp_client.h"
#include "broadcast/support_message.h"
#include "broadcast/tcp_ip.h"
#include "core/product_defaults.h"
#include "core/settings_store.h"
#include "support/scripted_server.h"
#include "test_support.h"

#include <filesystem>
#include <gmock/gmock.h>
#include <netdb.h>
#include <set>

namespace siteherald {
namespace {

using namespace std::chrono_literals;
using namespace testing;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::MatchesRegex;
using Clock = std::chrono::steady_clock;
using Strings = std::vector<std::string>;

// "" when f returns, else the account of its failure that a user reads.
std::string Failure(const std::function<void()>& f) {
    try {
        f();
    } catch (const std::exception& e) {
        return DescribeSendError(e);
    }
    return "";
}

// This machine's name as a resolver gives it, worked out apart from the code under test.
std::string CanonicalHostName() {
    char name[256] = {};
    ::gethostname(name, sizeof name - 1);
    addrinfo hints{AI_CANONNAME, 0, 0, 0, 0, nullptr, nullptr, nullptr}, *found = nullptr;
    std::string canonical = name;
    if (::getaddrinfo(name, nullptr, &hints, &found) == 0 && found->ai_canonname)
        canonical = found->ai_canonname;
    ::freeaddrinfo(found);
    return canonical;
}

Strings Starting(const Strings& lines, const std::string& word) {
    Strings found;
    std::copy_if(lines.begin(), lines.end(), std::back_inserter(found),
                 [&](const std::string& line) { return line.starts_with(word); });
    return found;
}

// Each row's replies replace those of SmtpReplies(). The multi-line replies come one byte at a
// time: a client that read one line of each would take "250-SIZE" for the answer to MAIL FROM
// and so on, and never see the 354 it needs to send the message. A send fails with the
// server's text; it sends nothing of the message unless the server said 354.
TEST(SmtpClientTest, DialogueRefusalsAndBrokenReplies) {
    const std::string closed = "999 The server closed the connection";
    const Reply noUser = Answer({"550 no such user"});
    const auto dribbled = [](Strings lines) { return Reply{std::move(lines), {}, true}; };
    struct Row {
        ReplyTable replies;
        std::string error, lastCommand; // error: after "SMTP server answered "
        size_t messages;
    };
    const Row rows[] = {
        Row({}, "", "QUIT", 1),
        Row({{"", dribbled({"220-mail.test", "220-no spam here", "220 ready"})},
             {"HELO", dribbled({"250-mail.test", "250-SIZE 1000", "250 HELP"})},
             {"MAIL", dribbled({"250-sender", "250 ok"})},
             {".", dribbled({"250-queued", "250 as 12"})}},
            "", "QUIT", 1),
        Row({{"RCPT", noUser}}, "550 no such user", "RCPT", 0),
        Row({{"RCPT TO: <lee@b.test>", noUser}}, "550 no such user", "QUIT", 1),
        Row({{"", AnswerAndClose({"421 too busy"})}}, "421 too busy", "", 0),
        Row({{"HELO", Answer({"501 bad name"})}}, "501 bad name", "HELO", 0),
        Row({{"MAIL", Answer({"553 not you"})}}, "553 not you", "MAIL", 0),
        Row({{".", Answer({"554 spam"})}}, "554 spam", "DATA", 1),
        Row({{"DATA", Answer({"451-try", "451 later"})}}, "451 try", "DATA", 0),
        Row({{".", AnswerAndClose({})}}, closed, "DATA", 1),
        Row({{"", AnswerAndClose({})}}, closed, "", 0),
        Row({{"HELO", Answer({"hi"})}}, "999 Unreadable reply: hi", "HELO", 0),
        Row({{"DATA", Answer({"250 fine"})}}, "250 Unexpected answer to DATA: fine", "DATA", 0)};
    const std::string message = "Subject: hi\r\n\r\n..hidden\r\nsecond\r\n..\r\n.\r\n";
    for (const Row& row : rows) {
        SCOPED_TRACE(row.error);
        ReplyTable replies = SmtpReplies();
        for (const auto& [word, reply] : row.replies)
            replies[word] = reply;
        DialogueServer server(replies);
        T_SMTP smtp;
        smtp.Hostname = server.address();
        smtp.Timeouts = {5s, 5s, 5s};
        smtp.EnvelopeSender = "\"Robin Hood\" <robin@sherwood.test>";
        smtp.Recipients = {"\"Kim\" <kim@a.test>, lee@b.test;(max@c.test)", "zed@d.test"};
        smtp.MessageLines = {"Subject: hi", "", ".hidden\r\nsecond\r\n", "."};
        const std::string error = Failure([&] { smtp.Action(); });
        EXPECT_EQ(error, row.error.empty() ? "" : "SMTP server answered " + row.error);
        EXPECT_EQ(server.messages().size(), row.messages);
        const std::string last = server.commands().empty() ? "" : server.commands().back();
        EXPECT_EQ(last.substr(0, last.find(' ')), row.lastCommand);
        EXPECT_TRUE(row.messages > 0 ||
                    server.transcripts().at(0).find("Subject") == std::string::npos);
        if (error.empty()) {
            EXPECT_THAT(server.transcripts(),
                        ElementsAre("HELO " + CanonicalHostName() +
                                    "\r\nMAIL FROM: <robin@sherwood.test>\r\nRCPT TO: "
                                    "<kim@a.test>\r\nRCPT TO: <lee@b.test>\r\nRCPT TO: "
                                    "<max@c.test>\r\nRCPT TO: <zed@d.test>\r\nDATA\r\n" +
                                    message + "QUIT\r\n"));
        }
        EXPECT_FALSE(smtp.LoggedIn());
    }
}

TEST(SmtpClientTest, RefusedUnresolvedSilentAndAbortedSends) {
    ReplyTable replies = SmtpReplies();
    replies["HELO"] = Silence();
    DialogueServer silent(replies);
    T_SMTP smtp;
    smtp.EnvelopeSender = "robin@sherwood.test";
    smtp.Recipients = {"kim@a.test"};
    smtp.MessageLines = {"Subject: hi"};
    smtp.Timeouts = {5s, 300ms, 300ms};
    const std::string closed = "127.0.0.1:" + std::to_string(FreePort());
    const Strings rows[] = {
        {closed, "Unable to connect to " + closed + ": Connection refused"},
        {"no-such-host.invalid", "Couldn't resolve hostname no-such-host.invalid"},
        {"[::1", "Couldn't resolve hostname [::1"},
        {silent.address(), "No answer from " + silent.address() + " within 300 ms"}};
    auto waited = Clock::duration();
    for (const Strings& row : rows) {
        smtp.Hostname = row[0];
        const auto started = Clock::now();
        EXPECT_EQ(Failure([&] { smtp.Action(); }), row[1]);
        EXPECT_LT(waited = Clock::now() - started, 3s);
    }
    EXPECT_GE(waited, 290ms);

    // An abort ends a wait at once, and every later send until it is cleared.
    smtp.Timeouts.reply = 60s;
    const auto started = Clock::now();
    std::thread aborter([&] {
        std::this_thread::sleep_for(150ms);
        smtp.Abort();
    });
    EXPECT_EQ(Failure([&] { smtp.Action(); }), "Cancelled");
    aborter.join();
    EXPECT_LT(Clock::now() - started, 2s);
    silent.Set("HELO", Answer({"250 ok"}));
    EXPECT_EQ(Failure([&] { smtp.Action(); }), "Cancelled");
    smtp.ClearAbort();
    smtp.Action();
    EXPECT_THAT(silent.messages(), ElementsAre("Subject: hi\r\n.\r\n"));
}

// What a plain server's EHLO reply leads to under each security: the login never goes
// unencrypted, "none" with a user connects nowhere, and HELO follows a 502 only when nothing
// more is needed.
TEST(SmtpClientTest, EhloStartTlsAndLoginOverAPlainConnection) {
    using enum TransportSecurity;
    const Reply offers = Answer({"250-mail.test", "250-auth=plain", "250 AUTH LOGIN PLAIN"});
    const Reply startTls = Answer({"250-mail.test", "250-STARTTLS", "250 AUTH PLAIN"});
    const std::string plain = "does not offer STARTTLS: the password is never sent unencrypted";
    const struct {
        TransportSecurity security;
        std::string user, error;
        Reply ehlo;
        Strings commands; // up to MAIL
    } rows[] = {{Auto, "", "", offers, {"EHLO", "MAIL"}},
                {Auto, "", "", Answer({"502 what?"}), {"EHLO", "HELO", "MAIL"}},
                {Auto, "robin", plain, offers, {"EHLO"}},
                {Auto, "robin", plain, Answer({"500 what?"}), {"EHLO"}},
                {StartTls, "", "does not offer STARTTLS", offers, {"EHLO"}},
                {StartTls, "", "does not offer STARTTLS", Answer({"502 no"}), {"EHLO"}},
                {Auto, "", "refused STARTTLS: 454 not now", startTls, {"EHLO", "STARTTLS"}},
                {None, "robin", "security is \"none\"", offers, {}}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.error);
        DialogueServer server(SmtpReplies());
        server.Set("EHLO", row.ehlo);
        server.Set("STARTTLS", Answer({"454 not now"}));
        T_SMTP smtp;
        smtp.Hostname = server.address();
        smtp.Security = row.security;
        smtp.Credentials = {row.user, "Tide-7"};
        smtp.EnvelopeSender = "robin@sherwood.test";
        smtp.Recipients = {"kim@a.test"};
        smtp.MessageLines = {"Subject: hi"};
        const std::string error = Failure([&] { smtp.Action(); });
        EXPECT_EQ(error.empty(), row.error.empty());
        EXPECT_THAT(error, HasSubstr(row.error));
        Strings words;
        for (const std::string& command : server.commands())
            if (words.empty() || words.back() != "MAIL")
                words.push_back(command.substr(0, command.find(' ')));
        EXPECT_EQ(words, row.commands);
        EXPECT_EQ(server.connections(), row.commands.empty() ? 0u : 1u);
    }
}

TEST(NntpClientTest, ErrorRepliesAndClosedConnections) {
    struct Row {
        std::string word;
        Reply reply;
        std::string error; // "": the article is posted
        size_t articles;
    };
    const std::string closed = "NNTP server answered 999 The server closed the connection";
    const Row rows[] = {
        Row("", Answer({"502 no permission"}), "NNTP server answered 502 no permission", 0),
        Row("MODE", Answer({"500 what?"}), "", 1),
        Row("POST", Answer({"440 not allowed"}), "NNTP server answered 440 not allowed", 0),
        Row(".", Answer({"441 no such group"}), "NNTP server answered 441 no such group", 1),
        Row("POST", AnswerAndClose({}), closed, 0),
        Row(".", AnswerAndClose({}), closed, 1)};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.error);
        ReplyTable replies = NntpReplies();
        replies[row.word] = row.reply;
        DialogueServer server(replies);
        T_NNTP nntp;
        nntp.Hostname = server.address();
        nntp.Timeouts = {5s, 5s, 5s};
        nntp.MessageLines = {"Newsgroups: alt.test", "", "plain"};
        EXPECT_EQ(Failure([&] { nntp.Post(); }), row.error);
        nntp.T_TcpIp::Logout();
        EXPECT_EQ(server.messages().size(), row.articles);
    }
}

// A plain server: STARTTLS only when listed, and starttls refuses a server without it; the
// password never goes over a plain connection, nor is anything of the login sent.
TEST(NntpClientTest, StartTlsWhenListedAndNoPasswordInTheClear) {
    using enum TransportSecurity;
    const ReplyTable plain = {{"CAPABILITIES", Answer({"101 list:", "VERSION 2", "POST", "."})}};
    const ReplyTable listed = {{"CAPABILITIES", Answer({"101 list:", "starttls", "."})},
                               {"STARTTLS", Answer({"580 no TLS today"})}};
    struct Row {
        TransportSecurity security;
        ReplyTable replies;
        std::string user, error;
        Strings commands;
    };
    const Row rows[] = {
        {Auto, {}, "", "", {"MODE READER", "CAPABILITIES", "POST"}},
        {StartTls, plain, "", "does not offer STARTTLS", {"MODE READER", "CAPABILITIES"}},
        {Auto, listed, "", "refused STARTTLS: 580 no", {"MODE READER", "CAPABILITIES", "STARTTLS"}},
        {Auto, plain, "robin", "unencrypted: choose tls", {"MODE READER", "CAPABILITIES"}},
        {None, {}, "robin", "security is \"none\"", {}}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.error);
        ReplyTable replies = NntpReplies();
        replies.insert(row.replies.begin(), row.replies.end());
        DialogueServer server(replies);
        T_NNTP nntp;
        nntp.Hostname = server.address();
        nntp.Security = row.security;
        nntp.Credentials = {row.user, "Tide-7"};
        nntp.MessageLines = {"Newsgroups: alt.test", "", "plain"};
        const std::string error = Failure([&] { nntp.Post(); });
        EXPECT_EQ(error.empty(), row.error.empty());
        EXPECT_THAT(error, HasSubstr(row.error));
        EXPECT_EQ(server.commands(), row.commands);
        EXPECT_EQ(server.connections(), row.commands.empty() ? 0u : 1u);
        EXPECT_FALSE(nntp.LoggedIn() && !error.empty());
    }
}

// The lines of a composed message after the headers every message starts with: From, a
// Message-ID that names this machine, Date and Subject.
Strings AfterCommonHeaders(const std::string& message, const std::string& subject) {
    std::string host = CanonicalHostName();
    for (size_t dot = 0; (dot = host.find('.', dot)) != std::string::npos; dot += 2)
        host.insert(dot, "\\");
    const Strings lines = SplitLines(message);
    EXPECT_THAT(Strings(lines.begin(), lines.begin() + 4),
                ElementsAre("From: \"Robin\" <robin@x.test>",
                            MatchesRegex("Message-ID: <[0-9]+\\.[0-9]+\\.[0-9]+@" + host + ">"),
                            MatchesRegex("Date: (Sun|Mon|Tue|Wed|Thu|Fri|Sat), [1-9][0-9]? "
                                         "[A-Z][a-z]{2} [0-9]{4} [0-9]{2}:[0-9]{2}:[0-9]{2} "
                                         "(GMT|[+-][0-9]{4})"),
                            "Subject: " + subject));
    return Strings(lines.begin() + 4, lines.end());
}

// The mail's blind copies go only into the envelope; the article's groups are continued
// lines, and an article for more than ten groups is not sent. Both are dot-stuffed.
TEST(ComposerTest, MailAndArticleHeadersInOrder) {
    DialogueServer mailServer(SmtpReplies()), newsServer(NntpReplies());
    T_SMTP smtp;
    smtp.Hostname = mailServer.address();
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
    ASSERT_EQ(mailServer.messages().size(), 1u);
    EXPECT_THAT(AfterCommonHeaders(mailServer.messages()[0], "Spring sale"),
                ElementsAre("To: kim@a.test", "To: \"Lee\" <lee@b.test>", "CC: cc@c.test",
                            "Sender: list@x.test", "References: <r1@x.test>",
                            "Reply-To: reply@x.test", "X-Mailer: Siteherald", "", "first", "second",
                            "..third", "."));
    const Strings commands = mailServer.commands();
    EXPECT_THAT(Starting(commands, "MAIL"), ElementsAre("MAIL FROM: <list@x.test>"));
    EXPECT_THAT(Starting(commands, "RCPT"),
                ElementsAre("RCPT TO: <kim@a.test>", "RCPT TO: <lee@b.test>",
                            "RCPT TO: <cc@c.test>", "RCPT TO: <hidden@d.test>"));
    EXPECT_TRUE(smtp.EnvelopeSender.empty());

    T_NNTP nntp;
    nntp.Hostname = newsServer.address();
    T_News news;
    news.NNTP = &nntp;
    news.From = "\"Robin\" <robin@x.test>";
    news.Subject = "Kayaks";
    news.ReplyTo = "robin@x.test";
    news.Organization = "Sherwood";
    news.Newsgroups = {"alt.a", "alt.b", "alt.c"};
    news.Body = {".dot\r\nHello\r\n"};
    news.SendMessage();
    ASSERT_EQ(newsServer.messages().size(), 1u);
    EXPECT_THAT(AfterCommonHeaders(newsServer.messages()[0], "Kayaks"),
                ElementsAre("Newsgroups: alt.a,", "  alt.b,", "  alt.c", "Organization: Sherwood",
                            "Reply-To: robin@x.test", "", "..dot", "Hello", "."));
    EXPECT_THAT(newsServer.commands(), ElementsAre("MODE READER", "POST", "QUIT"));
    news.Newsgroups.assign(11, "alt.a");
    news.SendMessage();
    EXPECT_EQ(newsServer.connections(), 1u);
}

TEST(MessageFormatTest, DateInTheLocalZoneAndMessageIdsWithinOneSecondDiffer) {
    for (const auto& [zone, date] : {std::pair{"UTC", "Sat, 5 Dec 1998 13:03:07 GMT"},
                                     {"CET-1", "Sat, 5 Dec 1998 14:03:07 +0100"},
                                     {"<-0330>3:30", "Sat, 5 Dec 1998 09:33:07 -0330"}}) {
        const ScopedEnv tz("TZ", zone);
        ::tzset();
        EXPECT_EQ(MessageDate(912862987), date);
    }
    ::tzset();
    std::set<std::string> ids;
    for (int i = 0; i < 1000; ++i)
        ids.insert(MakeMessageId(912862987, "host.test"));
    EXPECT_EQ(ids.size(), 1000u);
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
        LineList nextBlock, lines;
        AppendMessageBlock(nextBlock, next, "MN", {"n"});
        AppendMessageBlock(lines, first, "MN", {"f"});
        lines.back() = nextBlock[0]; // the first block's end line gone
        lines.insert(lines.end(), nextBlock.begin() + 1, nextBlock.end());
        const auto found = FindMessageForRemoval(lines, MessageDisplayName(first));
        ASSERT_TRUE(found);
        EXPECT_FALSE(found->hasEnd);
        LineList erased = lines;
        EraseMessageBlock(erased, *found);
        EXPECT_EQ(erased, nextBlock);
        ASSERT_TRUE(ReplaceMessageBlock(lines, first, {"new"}));
        EXPECT_EQ(LineList(lines.begin(), lines.begin() + 4), nextBlock);
    }
    // A long subject found by its first 36 characters, in the file's last block, which has no
    // end line: the block runs to the end of the file.
    LineList last;
    AppendMessageBlock(last, subject40 + "X", "MN", {"f"});
    last.pop_back();
    const auto found = FindMessageForEdit(last, subject40 + "Y");
    ASSERT_TRUE(found);
    EXPECT_FALSE(found->hasEnd);
}

// A list runs from its "$" + name line to the next; the last one may lack its closing line.
TEST(MailingListsTest, AddressesBetweenTheMarkersAndRemoval) {
    LineList store = {"$Shops", "a@shop.test", "b@shop.test", "$Shops", "$Press", "p@news.test"};
    EXPECT_EQ(MailingListAddresses(store, "Shops"), LineList({"a@shop.test", "b@shop.test"}));
    EXPECT_EQ(MailingListAddresses(store, "Press"), LineList({"p@news.test"}));
    EXPECT_EQ(MailingListAddresses(store, "Clubs"), std::nullopt);
    EXPECT_TRUE(RemoveMailingList(store, "Shops"));
    EXPECT_EQ(store, LineList({"$Press", "p@news.test"}));
}

// A server setting is "host", "host:port", "[v6]" or "[v6]:port"; anything else is refused.
TEST(IdentityTest, ServerAddressesWithAndWithoutPorts) {
    for (const std::string& row :
         SplitLines("mail.test mail.test|25\nmail.test:587 mail.test|587\n[::1]:2525 ::1|2525\n"
                    "[::1] ::1|25\n::1 ::1|25\n[::1 -\n[::1]587 -\nmail.test: -\n"
                    "mail.test:0 -\nmail.test:65536 -")) {
        const size_t blank = row.find(' ');
        const auto address = ParseServerAddress(row.substr(0, blank), 25);
        EXPECT_EQ(address ? address->host + "|" + std::to_string(address->port) : "-",
                  row.substr(blank + 1));
    }
    // Each send needs only its own server.
    const Identity full{"Robin", "robin@x.test", "mail.test", "news.test", "", "", "", ""};
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
    EXPECT_EQ(SupportMessageBody(request, dir / "missing.ini", dir.path()),
              SplitLines("From:\nRobin|robin@x.test|\n\nMessage Type:\nQuestion\n\nMessage:\nWhy?"
                         "\nThanks\n\nDetails:\n\nSEDATA:\nN/A\n\nPROFS:\nN/A\n"));
    WriteBytes(dir / "sedata.dat", "engine one\r\nengine two\r\n");
    WriteBytes(dir / "profs.dat", "DEFAULT\r\n");
    const std::string builtIn = "RCPT TO: <" + std::string(kSupportEmail) + ">";
    DialogueServer server(SmtpReplies());
    for (const std::string& configured : {std::string(kSupportEmail), std::string("help@y.test")}) {
        IniWriteString("Main", "SupportEmail", configured);
        T_SMTP smtp;
        smtp.Hostname = server.address();
        T_Mail mail;
        mail.SMTP = &smtp;
        PrepareSupportMail(mail, request,
                           SupportMessageBody(request, settings.iniPath(), dir.path()));
        mail.SendMessage();
        EXPECT_THAT(server.messages().back(),
                    AllOf(HasSubstr("\r\nSubject: E-mail Support - Siteherald\r\n"),
                          HasSubstr("\r\nDetails:\r\n[Main]\r\nSupportEmail=" + configured +
                                    "\r\n\r\nSEDATA:\r\nengine one\r\nengine two\r\n\r\nPROFS:"
                                    "\r\nDEFAULT\r\n.\r\n")));
    }
    EXPECT_THAT(Starting(server.commands(), "RCPT"),
                ElementsAre(builtIn, builtIn, "RCPT TO: <help@y.test>"));
}

LineList List(const std::string& name, const std::string& prefix, int count) {
    LineList lines{"$" + name};
    for (int i = 1; i <= count; ++i)
        lines.push_back(prefix + std::to_string(i) + "@x.test");
    lines.push_back("$" + name);
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
        request.identity = {"Robin", "robin@x.test", mail.address(), news.address(), "",
                            "",      "none",         "none"};
        request.logDir = dir.path();
        return request;
    }

    TempDir dir;
    DialogueServer mail{SmtpReplies()};
    DialogueServer news{NntpReplies()};
    BroadcastSender sender;
};

// Three runs on the same servers: a complete one; one whose mails fail, cancelled after its
// second send, so that its news is skipped; one whose servers both time out, which fails the
// rest of their sends at once.
TEST_F(RunTest, CancelAndTimeOutsEndTheRestOfARun) {
    std::vector<std::string> errors;
    BroadcastSender::Hooks hooks;
    hooks.result = [&](const std::string&, const std::string& error) {
        errors.push_back(error);
        if (errors.size() == 5)
            sender.Cancel();
    };
    auto report = sender.Run(MakeRequest(List("l", "a", 2), {"alt.test"}), hooks);
    EXPECT_THAT(report.newsResults, ElementsAre("Succeeded: alt.test"));
    mail.Set("MAIL", Answer({"550 not today"}));
    report = sender.Run(MakeRequest(List("l", "b", 5), {"alt.test"}), hooks);
    EXPECT_TRUE(report.cancelled);
    EXPECT_THAT(report.mailResults, ElementsAre("Failed: b1@x.test", "Failed: b2@x.test"));
    EXPECT_TRUE(report.newsResults.empty());
    const std::string failed = "SMTP server answered 550 not today";
    EXPECT_THAT(errors, ElementsAre("", "", "", failed, failed));
    EXPECT_EQ(mail.connections(), 4u);
    EXPECT_EQ(news.connections(), 1u);

    mail.Set("HELO", Silence());
    news.Set("POST", Silence());
    sender.SMTP1.Timeouts.reply = sender.NNTP1.Timeouts.reply = 200ms;
    sender.Run(MakeRequest(List("l", "c", 3), {"alt.a", "alt.b"}), hooks);
    const std::string m = "No answer from " + mail.address() + " within 200 ms";
    const std::string n = "No answer from " + news.address() + " within 200 ms";
    EXPECT_EQ(Strings(errors.begin() + 5, errors.end()), Strings({m, m, m, n, n}));
    EXPECT_EQ(mail.connections(), 5u);
    EXPECT_EQ(news.connections(), 2u);
}

// A login that cannot go safely fails every address and group of the run with one reason,
// on one connection to each server: a server is not asked again.
TEST_F(RunTest, ALoginRefusedBeforeItIsSentEndsTheRunsSends) {
    mail.Set("EHLO", Answer({"250-mail.test", "250 AUTH PLAIN"}));
    auto request = MakeRequest(List("l", "a", 3), {"alt.a", "alt.b"});
    request.identity.MailSecurity = request.identity.NewsSecurity = "auto";
    request.mailLogin = request.newsLogin = {"robin", "Tide-7"};
    std::set<std::string> errors;
    BroadcastSender::Hooks hooks;
    hooks.result = [&](const std::string&, const std::string& error) { errors.insert(error); };
    const auto report = sender.Run(request, hooks);
    EXPECT_THAT(report.mailResults,
                ElementsAre("Failed: a1@x.test", "Failed: a2@x.test", "Failed: a3@x.test"));
    EXPECT_THAT(report.newsResults, ElementsAre("Failed: alt.a", "Failed: alt.b"));
    EXPECT_THAT(errors, ::testing::Each(HasSubstr("the password is never sent unencrypted")));
    EXPECT_EQ(errors.size(), 2u);
    EXPECT_EQ(mail.connections() + news.connections(), 2u);
    EXPECT_THAT(mail.commands(), ElementsAre(::testing::StartsWith("EHLO ")));
    EXPECT_THAT(news.commands(), ElementsAre("MODE READER", "CAPABILITIES"));
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
    // Sockets not counted: the servers' threads close their side of a connection at their pace.
    const auto openFiles = [] {
        long files = 0;
        for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fd")) {
            std::error_code gone;
            files +=
                !std::filesystem::read_symlink(fd, gone).string().starts_with("socket:") && !gone;
        }
        return files;
    };
    const auto before = openFiles();
    EXPECT_EQ(sender.Run(request, {}).logErrors.size(), 2u);
    EXPECT_EQ(openFiles(), before);
}

// The INN server of scripts/news-server: NNTPS with a login, and STARTTLS on the plain port,
// under auto (siteherald-cli's tests cover tls and starttls), each article then asked for by
// its Message-ID.
TEST_F(RunTest, NewsOverTlsAndLoginsWithINN) {
    using enum TransportSecurity;
    const char *plain = std::getenv("SITEHERALD_TEST_NNTP"),
               *nntps = std::getenv("SITEHERALD_TEST_NNTPS"),
               *ca = std::getenv("SITEHERALD_TEST_NEWS_CA"),
               *login = std::getenv("SITEHERALD_TEST_NEWS_LOGIN");
    if (!plain || !nntps || !ca || !login)
        GTEST_SKIP() << "scripts/test sets SITEHERALD_TEST_NNTP, _NNTPS, _NEWS_CA and _NEWS_LOGIN";
    // TLS clients read SSL_CERT_FILE once per process, at their first connection: ctest runs
    // each test in a process of its own.
    const ScopedEnv trust("SSL_CERT_FILE", ca);
    const std::string user(login, ::strchr(login, ':')), password = ::strchr(login, ':') + 1;
    const std::string refused = "Authentication failed: 481 Authentication failed (news server " +
                                std::string(nntps) + ", user " + user + ")";
    const std::tuple<std::string, TransportSecurity, ServerLogin, std::string> rows[] = {
        {nntps, Auto, {user, password}, ""},
        {plain, Auto, {}, ""},
        {nntps, Tls, {user, "not-" + password}, refused},
        {nntps, Tls, {}, "NNTP server answered 480 Authentication required for command"},
    };
    for (const auto& [server, security, credentials, expected] : rows) {
        SCOPED_TRACE(server + " " + SecurityName(security) + " " + credentials.user);
        T_NNTP nntp;
        nntp.Hostname = server;
        nntp.Security = security;
        nntp.Credentials = credentials;
        nntp.Timeouts = {10s, 10s, 10s};
        const std::string id = MakeMessageId(std::time(nullptr), "tls.siteherald.test");
        nntp.MessageLines = SplitLines("From: robin@x.test\nNewsgroups: siteherald.test.g01\n"
                                       "Subject: over TLS\nMessage-ID: " +
                                       id + "\n\nHello");
        const std::string error = Failure([&] { nntp.Post(); });
        EXPECT_EQ(error.empty(), expected.empty());
        EXPECT_THAT(error, ::testing::StartsWith(expected));
        if (!error.empty())
            continue;
        EXPECT_TRUE(nntp.Encrypted());
        nntp.SendCommand("STAT " + id);
        EXPECT_EQ(nntp.ReadLine(10s).value_or("").substr(0, 4), "223 ");
    }
}

} // namespace
} // namespace siteherald
