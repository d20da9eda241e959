#!/usr/bin/env python3
"""siteherald-cli send against real servers: smtp_sink.py for mail, and the INN server named
by SITEHERALD_TEST_NNTP (host:port, set by scripts/test) for news."""

import email.utils
import os
import re
import secrets
import shutil
import tempfile
import time
import unittest

import siteherald_e2e as e2e
import smtp_sink
from nntp_reader import Reader
from siteherald_e2e import Sandbox, run_cli, write_settings

NAME = "Robin Fairweather"
EMAIL = "robin@harbour-kayaks.example"
NNTP = os.environ.get("SITEHERALD_TEST_NNTP")
GROUPS = ["siteherald.test.g%02d" % n for n in range(1, 13)]

# The texts of tests/fixtures/broadcast.sdf's messages as they are sent.
DOTS = "Dots at line starts"
DOTS_TEXT = ["A line of a single dot follows.", ".", ".hidden", "..two", "...", "The end."]
WINTER = "Winter storage"
WINTER_TEXT = ["Boats stored over the winter are ready for collection from 15 March.",
               "Call +44 1632 960 123."]

DATE = re.compile(r"(Mon|Tue|Wed|Thu|Fri|Sat|Sun), [1-9]\d? "
                  r"(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) \d{4} \d\d:\d\d:\d\d GMT$")


def addresses(prefix, count):
    return ["%s%02d@lists.example" % (prefix, n) for n in range(1, count + 1)]


class SendTest(unittest.TestCase):
    def setUp(self):
        self.box = Sandbox()
        self.addCleanup(self.box.cleanup)
        self.identity = {"Name": NAME, "Email": EMAIL, "MailServer": "127.0.0.1:9",
                         "NewsServer": NNTP or "127.0.0.1:9"}
        self.sdf = e2e.fixture("broadcast.sdf")

    def settings(self, **changes):
        """Writes [Identity]; a change to None leaves the key out."""
        keys = dict(self.identity, **changes)
        write_settings(self.box, {"Identity": {k: v for k, v in keys.items() if v is not None}})

    def list_file(self, name, entries):
        path = os.path.join(self.box.root, name + ".txt")
        with open(path, "w") as f:
            f.write("".join(a + "\n" for a in entries))
        return path

    def send(self, subject, *options):
        return run_cli(self.box, "send", self.sdf, subject, *options, env={"TZ": "UTC"})

    def assertSent(self, r, results):
        self.assertEqual((r.returncode, r.stderr), (0, ""))
        self.assertEqual(r.stdout.splitlines(), results)

    def assertLogEntries(self, name, entries):
        """NAME holds ENTRIES: (subject, text, results) each, in order."""
        lines = self.box.lines(name)
        expected = []
        for subject, text, results in entries:
            date = len(expected) + 1
            self.assertTrue(lines[date].startswith("Message sent on "), lines[date])
            expected += ["Submission file: " + self.sdf, lines[date], "", subject, "", *text, "",
                         *results, "^" * 25]
        self.assertEqual(lines, expected)


class Mail(SendTest):
    def setUp(self):
        super().setUp()
        self.inbox = tempfile.mkdtemp(prefix="sh-inbox-")
        self.addCleanup(shutil.rmtree, self.inbox)
        sink, port = smtp_sink.start(self.inbox)
        self.addCleanup(sink.wait, 10)
        self.addCleanup(sink.terminate)
        self.identity["MailServer"] = "127.0.0.1:%d" % port
        self.settings()

    def test_one_mail_per_address_with_its_headers_and_the_text_intact(self):
        to = addresses("kayak", 3)
        r = self.send(DOTS, "--list", self.list_file("paddlers", to))
        self.assertSent(r, ["Succeeded: " + a for a in to])

        mails = smtp_sink.received(self.inbox)
        self.assertEqual([(m["mail_from"], m["rcpt_tos"]) for m in mails],
                         [(EMAIL, [a]) for a in to])
        ids = set()
        for mail, address in zip(mails, to):
            head, body = mail["data"].split("\r\n\r\n", 1)
            headers = [line.split(": ", 1) for line in head.split("\r\n")]
            self.assertEqual([h[0] for h in headers],
                             ["From", "Message-ID", "Date", "Subject", "To", "Reply-To"])
            values = dict(headers)
            self.assertEqual(values["From"], '"%s" <%s>' % (NAME, EMAIL))
            self.assertRegex(values["Message-ID"], r"^<[^<>@\s]+@[^<>@\s]+>$")
            ids.add(values["Message-ID"])
            self.assertRegex(values["Date"], DATE)
            sent = email.utils.parsedate_to_datetime(values["Date"]).timestamp()
            self.assertLess(abs(sent - time.time()), 120)
            self.assertEqual((values["Subject"], values["To"], values["Reply-To"]),
                             (DOTS, address, EMAIL))
            self.assertEqual(body, "".join(line + "\r\n" for line in DOTS_TEXT))
        self.assertEqual(len(ids), 3)
        self.assertFalse(os.path.exists(self.box.path("news.log")))

    def test_at_most_25_list_lines_each_list_counting_two(self):
        many = addresses("many", 30)
        r = self.send(DOTS, "--list", self.list_file("many", many))
        self.assertSent(r, ["Succeeded: " + a for a in many[:24]])
        self.assertEqual([m["rcpt_tos"] for m in smtp_sink.received(self.inbox)],
                         [[a] for a in many[:24]])

        first, second = addresses("first", 5), addresses("second", 5)
        r = self.send(DOTS, "--list", self.list_file("first", first), "--list",
                      self.list_file("second", second))
        self.assertSent(r, ["Succeeded: " + a for a in first + second])
        self.assertEqual(len(smtp_sink.received(self.inbox)), 24 + 10)

    def test_each_run_appends_its_own_mail_log_entry(self):
        first, second = addresses("spring", 2), addresses("winter", 1)
        self.send(DOTS, "--list", self.list_file("spring", first))
        r = self.send(WINTER, "--list", self.list_file("winter", second))
        self.assertSent(r, ["Succeeded: " + second[0]])
        self.assertLogEntries("mail.log", [
            (DOTS, DOTS_TEXT, ["Succeeded: " + a for a in first]),
            (WINTER, WINTER_TEXT, ["Succeeded: " + second[0]]),
        ])
        # The leading empty lines of the attached message are not sent either.
        body = smtp_sink.received(self.inbox)[-1]["data"].split("\r\n\r\n", 1)[1]
        self.assertEqual(body, "".join(line + "\r\n" for line in WINTER_TEXT))

    def test_unreachable_mail_server_fails_each_address(self):
        self.settings(MailServer="127.0.0.1:%d" % e2e.free_port())
        to = addresses("gone", 2)
        r = self.send(DOTS, "--list", self.list_file("gone", to))
        self.assertEqual((r.returncode, r.stdout.splitlines()), (0, ["Failed: " + a for a in to]))
        self.assertNotEqual(r.stderr, "")
        self.assertLogEntries("mail.log", [(DOTS, DOTS_TEXT, ["Failed: " + a for a in to])])


class Validation(SendTest):
    def test_nothing_is_sent_and_the_last_failing_check_is_shown(self):
        some_list = ["--list", self.list_file("one", ["one@lists.example"])]
        group = ["--newsgroup", GROUPS[0]]
        cases = [
            ({}, DOTS, [], "You must first add e-mail addresses or newsgroups."),
            ({}, "No such message", some_list, "You must first select a message."),
            ({"Name": None}, DOTS, [], "Please enter your name in message options."),
            ({"Email": None}, "No such message", some_list,
             "Please enter your e-mail address in message options."),
            ({"MailServer": None}, DOTS, some_list,
             "Please enter a valid mail server in message options."),
            ({"NewsServer": None}, DOTS, some_list + group,
             "Please enter a valid news server in message options."),
        ]
        for changes, subject, options, message in cases:
            with self.subTest(message):
                self.settings(**changes)
                r = self.send(subject, *options)
                self.assertEqual((r.returncode, r.stdout), (6, ""))
                self.assertIn(message, r.stderr)
                self.assertEqual(r.stderr.count("Please") + r.stderr.count("You must"), 1)
        for log in ("mail.log", "news.log"):
            self.assertFalse(os.path.exists(self.box.path(log)), log)

    def test_unreadable_file_and_wrong_usage(self):
        self.settings()
        self.sdf = os.path.join(self.box.root, "missing.sdf")
        self.assertEqual(self.send(DOTS, "--newsgroup", GROUPS[0]).returncode, 5)
        self.assertEqual(run_cli(self.box, "send", e2e.fixture("broadcast.sdf")).returncode, 2)


@unittest.skipUnless(NNTP, "SITEHERALD_TEST_NNTP (host:port of an INN server, see "
                     "scripts/news-server) is not set")
class News(SendTest):
    def setUp(self):
        super().setUp()
        self.settings()
        # INN keeps articles between runs: a subject of this run's own tells ours apart.
        self.subject = "%s %s" % (DOTS, secrets.token_hex(6))
        with open(self.sdf, "rb") as f:
            data = f.read().replace(DOTS.encode(), self.subject.encode())
        self.sdf = os.path.join(self.box.root, "broadcast.sdf")
        with open(self.sdf, "wb") as f:
            f.write(data)
        host, port = NNTP.rsplit(":", 1)
        self.news = Reader(host, int(port))
        self.addCleanup(self.news.close)

    def newest(self):
        return [self.news.group(g)[2] for g in GROUPS]

    def ours(self, newest):
        """For each group, the articles with this run's subject posted after NEWEST. Reading
        them rather than counting keeps other posters to these groups out of the result."""
        found = []
        for group, last in zip(GROUPS, newest):
            numbers = [n for n in self.news.listgroup(group) if n > last]
            articles = (self.news.article(n) for n in numbers)
            found.append([a for a in articles if a.header("Subject") == self.subject])
        return found

    def test_ten_articles_in_one_run_each_readable_with_its_body(self):
        newest = self.newest()
        groups = GROUPS[:10]
        r = self.send(self.subject, *[a for g in reversed(groups) for a in ("--newsgroup", g)])
        self.assertSent(r, ["Succeeded: " + g for g in groups])

        ids = set()
        for group, posted in zip(groups, self.ours(newest)):
            self.assertEqual(len(posted), 1, group)
            message_id = posted[0].header("Message-ID")
            article = self.news.article(message_id)
            self.assertEqual([article.header(h) for h in ("Newsgroups", "From", "Reply-To")],
                             [group, '"%s" <%s>' % (NAME, EMAIL), EMAIL])
            self.assertRegex(article.header("Date"), DATE)
            self.assertEqual(article.body, DOTS_TEXT)
            ids.add(message_id)
        self.assertEqual(len(ids), 10)
        self.assertLogEntries("news.log", [(self.subject, DOTS_TEXT,
                                            ["Succeeded: " + g for g in groups])])
        self.assertFalse(os.path.exists(self.box.path("mail.log")))

    def test_only_the_first_ten_groups_in_sorted_order_get_the_article(self):
        newest = self.newest()
        shuffled = GROUPS[6:] + GROUPS[:6]
        r = self.send(self.subject, *[a for g in shuffled for a in ("--newsgroup", g)])
        self.assertSent(r, ["Succeeded: " + g for g in GROUPS[:10]])
        self.assertEqual([len(posted) for posted in self.ours(newest)], [1] * 10 + [0, 0])


if __name__ == "__main__":
    e2e.main()
