#!/usr/bin/env python3
"""siteherald-cli send against real servers: smtp_sink.py for mail, and the INN server named
by SITEHERALD_TEST_NNTP (host:port, set by scripts/test) for news."""

import email.utils
import glob
import importlib.util
import json
import os
import re
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
DOTS = "Dots at line starts"
DOTS_TEXT = ["A line of a single dot follows.", ".", ".hidden", "..two", "...", "The end."]
WINTER = "Winter storage"
WINTER_TEXT = ["Boats stored over the winter are ready for collection from 15 March.",
               "Call +44 1632 960 123."]

DATE = re.compile(r"(Mon|Tue|Wed|Thu|Fri|Sat|Sun), [1-9]\d? "
                  r"(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) \d{4} \d\d:\d\d:\d\d GMT$")


def addresses(prefix, count):
    return ["%s%02d@lists.example" % (prefix, n) for n in range(1, count + 1)]


def crlf(lines):
    return "".join(line + "\r\n" for line in lines)


class SendTest(unittest.TestCase):
    def setUp(self):
        self.box = Sandbox(self)
        self.identity = {"Name": NAME, "Email": EMAIL, "MailServer": "127.0.0.1:9",
                         "NewsServer": NNTP or "127.0.0.1:9"}
        self.sdf = e2e.fixture("broadcast.sdf")

    def settings(self, **changes):
        """Writes [Identity]; a change to None leaves the key out."""
        keys = dict(self.identity, **changes)
        self.box.write_settings({"Identity": {k: v for k, v in keys.items() if v is not None}})

    def list_file(self, name, entries):
        path = os.path.join(self.box.root, name + ".txt")
        e2e.write(path, "".join(a + "\n" for a in entries))
        return ["--list", path]

    def send(self, subject, *options):
        return self.box.run("send", self.sdf, subject, *options, env={"TZ": "UTC"})

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


class Mail(SendTest):
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
        sink.stdout.close()  # the sink writes nothing more
        if not port.isdigit():
            raise RuntimeError("smtp_sink.py did not start: is python3-aiosmtpd installed?")
        cls.server = "127.0.0.1:" + port

    def setUp(self):
        super().setUp()
        for name in glob.glob(os.path.join(self.inbox, "*.json")):
            os.remove(name)
        self.identity["MailServer"] = self.server
        self.settings()

    def received(self):
        """The messages of this test, in arrival order."""
        messages = []
        for name in sorted(glob.glob(os.path.join(self.inbox, "*.json"))):
            with open(name) as f:
                messages.append(json.load(f))
        return messages

    def test_one_mail_per_address_and_one_log_entry_per_run(self):
        to = addresses("kayak", 3)
        self.assertSent(self.send(DOTS, *self.list_file("paddlers", to)),
                        ["Succeeded: " + a for a in to])
        mails = self.received()
        self.assertEqual([(m["mail_from"], m["rcpt_tos"]) for m in mails], [(EMAIL, [a]) for a in to])
        ids = set()
        for mail, address in zip(mails, to):
            head, body = mail["data"].split("\r\n\r\n", 1)
            headers = [line.split(": ", 1) for line in head.split("\r\n")]
            self.assertEqual([h[0] for h in headers],
                             ["From", "Message-ID", "Date", "Subject", "To", "Reply-To"])
            values = dict(headers)
            self.assertRegex(values["Message-ID"], r"^<[^<>@\s]+@[^<>@\s]+>$")
            ids.add(values["Message-ID"])
            self.assertRegex(values["Date"], DATE)
            sent = email.utils.parsedate_to_datetime(values["Date"]).timestamp()
            self.assertLess(abs(sent - time.time()), 120)
            self.assertEqual([values[h] for h in ("From", "Subject", "To", "Reply-To")],
                             [FROM, DOTS, address, EMAIL])
            self.assertEqual(body, crlf(DOTS_TEXT))
        self.assertEqual(len(ids), 3)

        winter = addresses("winter", 1)
        self.assertSent(self.send(WINTER, *self.list_file("winter", winter)),
                        ["Succeeded: " + winter[0]])
        # The leading empty lines of the attached message are not sent either.
        self.assertEqual(self.received()[-1]["data"].split("\r\n\r\n", 1)[1], crlf(WINTER_TEXT))
        self.assertLog("mail.log", [(DOTS, DOTS_TEXT, ["Succeeded: " + a for a in to]),
                                    (WINTER, WINTER_TEXT, ["Succeeded: " + winter[0]])])
        self.assertFalse(os.path.exists(self.box.path("news.log")))

    def test_at_most_25_list_lines_each_list_counting_two(self):
        many = addresses("many", 30)
        self.assertSent(self.send(DOTS, *self.list_file("many", many)),
                        ["Succeeded: " + a for a in many[:24]])
        self.assertEqual([m["rcpt_tos"] for m in self.received()], [[a] for a in many[:24]])
        first, second = addresses("first", 5), addresses("second", 5)
        r = self.send(DOTS, *self.list_file("first", first), *self.list_file("second", second))
        self.assertSent(r, ["Succeeded: " + a for a in first + second])
        self.assertEqual(len(self.received()), 24 + 10)

    def test_unreachable_mail_server_fails_each_address(self):
        self.settings(MailServer="127.0.0.1:%d" % e2e.free_port())
        to = addresses("gone", 2)
        r = self.send(DOTS, *self.list_file("gone", to))
        self.assertEqual((r.returncode, r.stdout.splitlines()), (0, ["Failed: " + a for a in to]))
        self.assertNotEqual(r.stderr, "")
        self.assertLog("mail.log", [(DOTS, DOTS_TEXT, ["Failed: " + a for a in to])])

    def test_nothing_is_sent_and_the_last_failing_check_is_shown(self):
        one, group = self.list_file("one", ["one@lists.example"]), ["--newsgroup", GROUPS[0]]
        for changes, subject, options, message in [
            ({}, DOTS, [], "You must first add e-mail addresses or newsgroups."),
            ({}, "No such message", one, "You must first select a message."),
            ({"Name": None}, DOTS, [], "Please enter your name in message options."),
            ({"Email": None}, "No such message", one,
             "Please enter your e-mail address in message options."),
            ({"MailServer": None}, DOTS, one, "Please enter a valid mail server in message options."),
            ({"NewsServer": None}, DOTS, one + group,
             "Please enter a valid news server in message options."),
        ]:
            with self.subTest(message):
                self.settings(**changes)
                r = self.send(subject, *options)
                self.assertEqual((r.returncode, r.stdout), (6, ""))
                self.assertIn(message, r.stderr)
                self.assertEqual(r.stderr.count("Please") + r.stderr.count("You must"), 1)
        self.assertEqual((self.received(), self.box.pages()), ([], []))
        for log in ("mail.log", "news.log"):
            self.assertFalse(os.path.exists(self.box.path(log)), log)


class NewsReader:
    """A plain NNTP connection that reads what the server holds."""

    def __init__(self, address):
        host, port = address.rsplit(":", 1)
        self.sock = socket.create_connection((host, int(port)), 30)
        self.file = self.sock.makefile("rb")
        self.command(None)
        self.command("MODE READER")

    def close(self):
        self.file.close()
        self.sock.close()

    def line(self):
        raw = self.file.readline()
        assert raw.endswith(b"\r\n"), raw
        return raw[:-2].decode("utf-8", "surrogateescape")

    def command(self, text):
        if text:
            self.sock.sendall(text.encode() + b"\r\n")
        reply = self.line()
        if not reply.startswith("2"):
            raise RuntimeError("%s: %s" % (text, reply))
        return reply

    def block(self):
        """The lines of a multi-line reply, dot-stuffing undone."""
        lines = []
        while (line := self.line()) != ".":
            lines.append(line[1:] if line.startswith(".") else line)
        return lines

    def article(self, which):
        """({lower-case header name: first value}, body lines) of a message-id or number."""
        self.command("ARTICLE %s" % which)
        lines = self.block()
        headers = {}
        for line in lines[:lines.index("")]:
            name, _, value = line.partition(":")
            headers.setdefault(name.lower(), value.strip())
        return headers, lines[lines.index("") + 1:]


@unittest.skipUnless(NNTP, "SITEHERALD_TEST_NNTP (host:port of an INN server, see "
                     "scripts/news-server) is not set")
class News(SendTest):
    def test_the_first_ten_groups_in_sorted_order_each_get_one_readable_article(self):
        self.settings()
        # INN keeps articles between runs: a subject of this run's own tells ours apart.
        subject = "%s %s" % (DOTS, secrets.token_hex(6))
        with open(self.sdf, "rb") as f:
            data = f.read().replace(DOTS.encode(), subject.encode())
        self.sdf = os.path.join(self.box.root, "broadcast.sdf")
        e2e.write(self.sdf, data)
        news = NewsReader(NNTP)
        self.addCleanup(news.close)
        newest = [int(news.command("GROUP " + g).split()[3]) for g in GROUPS]

        shuffled = GROUPS[6:] + GROUPS[:6]
        r = self.send(subject, *[a for g in shuffled for a in ("--newsgroup", g)])
        self.assertSent(r, ["Succeeded: " + g for g in GROUPS[:10]])
        ids = set()
        for group, last in zip(GROUPS, newest):
            # Reading the articles rather than counting them keeps other posters out.
            news.command("LISTGROUP " + group)
            articles = [news.article(n) for n in [int(n) for n in news.block()] if n > last]
            ours = [headers for headers, _ in articles if headers["subject"] == subject]
            self.assertEqual(len(ours), 1 if group in GROUPS[:10] else 0, group)
            if not ours:
                continue
            headers, body = news.article(ours[0]["message-id"])
            self.assertEqual([headers[h] for h in ("newsgroups", "from", "reply-to")],
                             [group, FROM, EMAIL])
            self.assertRegex(headers["date"], DATE)
            self.assertEqual(body, DOTS_TEXT)
            ids.add(ours[0]["message-id"])
        self.assertEqual(len(ids), 10)
        self.assertLog("news.log", [(subject, DOTS_TEXT, ["Succeeded: " + g for g in GROUPS[:10]])])
        self.assertFalse(os.path.exists(self.box.path("mail.log")))


if __name__ == "__main__":
    e2e.main()
