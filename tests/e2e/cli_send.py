#!/usr/bin/env python3
"""siteherald-cli send to smtp_sink.py and to the INN server named by SITEHERALD_TEST_NNTP
(host:port); the headers' forms are the composer's unit test's, here as the servers got them."""

import email.utils
import glob
import importlib.util
import json
import os
import pathlib
import secrets
import socket
import subprocess
import sys
import tempfile
import time
import unittest

import siteherald_e2e as e2e
from siteherald_e2e import Sandbox

NAME, EMAIL = "Robin Fairweather", "robin@harbour-kayaks.example"
FROM = '"%s" <%s>' % (NAME, EMAIL)
NNTP = os.environ.get("SITEHERALD_TEST_NNTP")
GROUPS = ["siteherald.test.g%02d" % n for n in range(1, 13)]
# The texts of tests/fixtures/broadcast.sdf's messages as they are sent.
DOTS, WINTER = "Dots at line starts", "Winter storage"
DOTS_TEXT = ["A line of a single dot follows.", ".", ".hidden", "..two", "...", "The end."]
WINTER_TEXT = ["Boats stored over the winter are ready for collection from 15 March.",
               "Call +44 1632 960 123."]


def addresses(prefix, count):
    return ["%s%02d@lists.example" % (prefix, n) for n in range(1, count + 1)]


def crlf(lines):
    return "".join(line + "\r\n" for line in lines)


def succeeded(names, result="Succeeded: "):
    return [result + name for name in names]


class Send(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        tmp = tempfile.TemporaryDirectory(prefix="sh-inbox-")
        cls.addClassCleanup(tmp.cleanup)
        cls.inbox = tmp.name
        # The system's python3 has aiosmtpd from python3-aiosmtpd where another comes first.
        python = sys.executable if importlib.util.find_spec("aiosmtpd") else "/usr/bin/python3"
        sink = subprocess.Popen([python, os.path.join(os.path.dirname(__file__), "smtp_sink.py"),
                                 cls.inbox], stdout=subprocess.PIPE, text=True)
        cls.addClassCleanup(sink.wait, 10)
        cls.addClassCleanup(sink.terminate)
        port = sink.stdout.readline().strip()
        sink.stdout.close()
        assert port.isdigit(), "smtp_sink.py did not start: is python3-aiosmtpd installed?"
        cls.identity = {"Name": NAME, "Email": EMAIL, "MailServer": "127.0.0.1:" + port,
                        "NewsServer": NNTP or "127.0.0.1:9"}

    def setUp(self):
        for name in glob.glob(os.path.join(self.inbox, "*.json")):
            os.remove(name)
        self.box, self.sdf = Sandbox(self.addCleanup), e2e.fixture("broadcast.sdf")
        self.settings()

    def settings(self, **changes):
        """Writes [Identity]; a change to None leaves the key out."""
        keys = dict(self.identity, **changes)
        self.box.write_settings({"Identity": {k: v for k, v in keys.items() if v is not None}})

    def to(self, name, entries):
        path = os.path.join(self.box.root, name + ".txt")
        e2e.write(path, "".join(a + "\n" for a in entries))
        return ["--list", path]

    def send(self, subject, *options):
        return self.box.run("send", self.sdf, subject, *options, env={"TZ": "UTC"})

    def received(self):
        """The messages of this test, in arrival order."""
        names = sorted(glob.glob(os.path.join(self.inbox, "*.json")))
        return [json.loads(pathlib.Path(name).read_text()) for name in names]

    def assertSent(self, r, results):
        self.assertEqual((r.returncode, r.stderr, r.stdout.splitlines()), (0, "", results))

    def assertLog(self, name, entries):
        """Log NAME holds ENTRIES: (subject, text, results) each, in order."""
        lines, expected = self.box.lines(name), []
        for subject, text, results in entries:
            date = len(expected) + 1
            self.assertTrue(lines[date].startswith("Message sent on "), lines[date])
            expected += ["Submission file: " + self.sdf, lines[date], "", subject, "", *text, "",
                         *results, "^" * 25]
        self.assertEqual(lines, expected)

    def test_mail_one_per_address_at_most_25_list_lines_one_log_entry_per_run(self):
        many, first, second = addresses("many", 30), addresses("first", 5), addresses("second", 5)
        # Each list counts two lines: 30 addresses in one list reach 24, two lists of 5 all.
        self.assertSent(self.send(DOTS, *self.to("many", many)), succeeded(many[:24]))
        r = self.send(WINTER, *self.to("first", first), *self.to("second", second))
        self.assertSent(r, succeeded(first + second))
        mails, sent = self.received(), many[:24] + first + second
        self.assertEqual([(m["mail_from"], m["rcpt_tos"]) for m in mails], [(EMAIL, [a]) for a in sent])
        for mail, address in zip(mails, sent):
            head, body = mail["data"].split("\r\n\r\n", 1)
            headers = dict(line.split(": ", 1) for line in head.split("\r\n"))
            subject = DOTS if address in many else WINTER
            self.assertEqual(list(headers), ["From", "Message-ID", "Date", "Subject", "To", "Reply-To"])
            self.assertEqual([headers[h] for h in ("From", "Subject", "To", "Reply-To")],
                             [FROM, subject, address, EMAIL])
            sent_at = email.utils.parsedate_to_datetime(headers["Date"]).timestamp()
            self.assertLess(abs(sent_at - time.time()), 120)
            # The leading empty lines of Winter storage are not sent either.
            self.assertEqual(body, crlf(DOTS_TEXT if subject == DOTS else WINTER_TEXT))
        self.assertLog("mail.log", [(DOTS, DOTS_TEXT, succeeded(many[:24])),
                                    (WINTER, WINTER_TEXT, succeeded(first + second))])
        self.assertFalse(os.path.exists(self.box.path("news.log")))

        self.box = Sandbox(self.addCleanup)
        self.settings(MailServer="127.0.0.1:%d" % e2e.free_port())
        r = self.send(DOTS, *self.to("gone", first))
        self.assertEqual((r.returncode, r.stdout.splitlines()), (0, succeeded(first, "Failed: ")))
        self.assertNotEqual(r.stderr, "")
        self.assertLog("mail.log", [(DOTS, DOTS_TEXT, succeeded(first, "Failed: "))])

    def test_nothing_is_sent_and_the_last_failing_check_is_shown(self):
        one, group = self.to("one", ["one@lists.example"]), ["--newsgroup", GROUPS[0]]
        please = "Please enter %s in message options."
        for changes, subject, options, message in [
            ({}, DOTS, [], "You must first add e-mail addresses or newsgroups."),
            ({}, "No such message", one, "You must first select a message."),
            ({"Name": None}, DOTS, [], please % "your name"),
            ({"Email": None}, "No such message", one, please % "your e-mail address"),
            ({"MailServer": None}, DOTS, one, please % "a valid mail server"),
            ({"NewsServer": None}, DOTS, one + group, please % "a valid news server"),
        ]:
            with self.subTest(message):
                self.settings(**changes)
                r = self.send(subject, *options)
                self.assertEqual((r.returncode, r.stdout), (6, ""))
                self.assertIn(message, r.stderr)
                self.assertEqual(r.stderr.count("Please") + r.stderr.count("You must"), 1)
        self.assertEqual((self.received(), os.listdir(self.box.data)), ([], ["sedata.dat"]))

    @unittest.skipUnless(NNTP, "SITEHERALD_TEST_NNTP (host:port of an INN server, see "
                         "scripts/news-server) is not set")
    def test_news_to_the_first_ten_groups_in_sorted_order_each_readable(self):
        host, port = NNTP.rsplit(":", 1)
        news = socket.create_connection((host, int(port)), 30)
        self.addCleanup(news.close)
        replies = news.makefile("rb")
        self.addCleanup(replies.close)
        line = lambda: replies.readline().decode("utf-8", "surrogateescape")[:-2]

        def ask(command, multi_line=False):
            """The reply line, or the lines of a multi-line reply with dot-stuffing undone."""
            news.sendall(command.encode() + b"\r\n")
            lines = [line()]
            if lines[0].startswith("423"):  # no articles in the range
                return []
            self.assertTrue(lines[0].startswith("2"), lines[0])
            while multi_line and lines[-1] != ".":
                lines.append(line())
            return [l[1:] if l[:1] == "." else l for l in lines[1:-1]] if multi_line else lines[0]

        line()
        ask("MODE READER")
        # INN keeps articles between runs: a subject of this run's own tells ours apart.
        subject = "%s %s" % (DOTS, secrets.token_hex(6))
        with open(self.sdf) as f:
            self.sdf = os.path.join(self.box.root, "broadcast.sdf")
            e2e.write(self.sdf, f.read().replace(DOTS, subject))
        newest = [int(ask("GROUP " + g).split()[3]) for g in GROUPS]
        r = self.send(subject, *[a for g in GROUPS[6:] + GROUPS[:6] for a in ("--newsgroup", g)])
        self.assertSent(r, succeeded(GROUPS[:10]))
        for group, last in zip(GROUPS, newest):
            ask("GROUP " + group)
            # The overview of the articles since: number, subject, from, date, message-id, ...
            over = [o.split("\t") for o in ask("OVER %d-%d" % (last + 1, last + 99), True)]
            ours = [o for o in over if o[1] == subject]
            self.assertEqual([o[2] for o in ours], [FROM] if group in GROUPS[:10] else [], group)
            for o in ours:
                article = ask("ARTICLE " + o[4], True)
                end = article.index("")
                headers = dict(l.split(": ", 1) for l in article[:end] if l[:1] not in " \t")
                self.assertEqual((headers["Newsgroups"], headers["Reply-To"]), (group, EMAIL))
                self.assertEqual(article[end + 1:], DOTS_TEXT)
        self.assertLog("news.log", [(subject, DOTS_TEXT, succeeded(GROUPS[:10]))])
        self.assertFalse(os.path.exists(self.box.path("mail.log")))


if __name__ == "__main__":
    e2e.main()
