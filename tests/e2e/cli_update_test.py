#!/usr/bin/env python3
"""siteherald-cli update against python3 -m http.server on loopback: what it prints, the
files it writes, the settings it changes and its exit status."""

import http.server
import os
import re
import shutil
import tempfile
import threading
import unittest

import siteherald_e2e as e2e
from siteherald_e2e import Sandbox, http_server, read_lines, run_cli

NEW_VERSION = "http://127.0.0.1/siteherald/new.html"
BOX_TAIL = (" is corrupted. Please try again later or contact support@siteherald.example "
            "for help.\n")
UNABLE = ("Siteherald was unable to download certain files.\n"
          "Please check your connection or try again later.\n")


class Fails(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        self.send_error(500)

    def log_message(self, *args):
        pass


def records(lines, *names):
    """The records of NAMES (marker to marker) taken from LINES, in the order given."""
    out = []
    for name in names:
        start = lines.index("$%s$" % name)
        out += lines[start:lines.index("$%s$" % name, start + 1) + 1]
    return out


class Update(unittest.TestCase):
    def setUp(self):
        self.box = Sandbox()
        self.addCleanup(self.box.cleanup)
        tmp = tempfile.TemporaryDirectory(prefix="sh-upd-")
        self.addCleanup(tmp.cleanup)
        self.www = os.path.join(tmp.name, "www")
        shutil.copytree(e2e.fixture("update"), self.www)
        self.old = self.box.lines("sedata.dat")
        self.update = read_lines(e2e.fixture("update", "000007.upd"))[1:-1]
        self.serve("update.upd", b"175\r\nhttp://127.0.0.1/siteherald/new.html\r\n")

    def serve(self, name, data):
        with open(os.path.join(self.www, name), "wb") as f:
            f.write(data)

    def run_update(self, *args, updates=None, version="{base}update.upd"):
        with http_server(self.www) as base:
            e2e.write_settings(self.box, {
                "Main": {"VersionUpdate": version.format(base=base)},
                "Updates": dict({"URL": base, "Filenumber": 7}, **(updates or {})),
            })
            return run_cli(self.box, "update", *args)

    def settings(self, section, key):
        return e2e.read_settings(self.box).get(section, key, fallback=None)

    def test_yes_opens_the_new_version_and_overwrites_known_engines(self):
        self.serve("update.upd", ("176\r\n%s\r\n" % NEW_VERSION).encode())
        r = self.run_update("--yes")
        self.assertEqual((r.returncode, r.stderr), (0, ""))
        self.assertEqual(r.stdout.splitlines(), [
            "Checking for newer version...",
            "A newer version is available for download. View information? yes",
            "Open this address in your browser: " + NEW_VERSION,
            "Downloading search engine data...",
            "Processing updated information.",
            "Overwrite search engine data for Lighthouse Search? yes",
        ])
        self.assertEqual(self.box.lines("sedata.dat"),
                         records(self.old, "Siteherald Demo Engine", "Harbour Directory")
                         + self.update)
        self.assertEqual((self.settings("Updates", "Filenumber"),
                          self.settings("Main", "VersionNumber")), ("8", "176"))

    def test_no_or_no_terminal_keeps_known_engines(self):
        for args, answer in [(["--no"], " no"),
                             ([], " no (no terminal to ask on; give --yes or --no)")]:
            with self.subTest(args=args):
                self.box = Sandbox()
                self.addCleanup(self.box.cleanup)
                r = self.run_update(*args)
                self.assertEqual((r.returncode, r.stderr), (0, ""))
                self.assertIn("Overwrite search engine data for Lighthouse Search?" + answer,
                              r.stdout.splitlines())
                self.assertEqual(self.box.lines("sedata.dat"),
                                 self.old + records(self.update, "Beacon Finder"))
                self.assertEqual(self.settings("Updates", "Filenumber"), "8")

    def test_whole_files_are_fetched_and_their_flags_cleared(self):
        r = self.run_update("--yes", updates={"sedata.dat": 1, "profs.dat": 1, "Filenumber": 9})
        self.assertEqual((r.returncode, r.stderr), (0, ""))
        self.assertEqual(r.stdout.splitlines(), [
            "Checking for newer version...", "Downloading data files...",
            "Downloading data files...", "Downloading search engine data...",
            "No new updates available."])
        with open(self.box.path("sedata.dat"), "rb") as f, \
                open(e2e.fixture("update", "sedata.dat"), "rb") as served:
            self.assertEqual(f.read(), served.read())
        self.assertEqual(self.box.lines("profs.dat"),
                         ["$AutoFill", "email", "title", "url", "$AutoFill", "$sdffiles",
                          "$sdffiles"])
        self.assertEqual((self.settings("Updates", "sedata.dat"),
                          self.settings("Updates", "profs.dat"),
                          self.settings("Updates", "Filenumber")), ("0", "0", "9"))

    def test_missing_or_damaged_whole_file_exits_4(self):
        os.remove(os.path.join(self.www, "profs.dat"))
        self.serve("sedata.dat", b"<html><body>Not here</body></html>\n")
        r = self.run_update("--no", updates={"sedata.dat": 1, "profs.dat": 1})
        self.assertEqual(r.returncode, 4)
        self.assertEqual(re.sub(r"http://127\.0\.0\.1:\d+/", "", r.stderr), '"sedata.dat"' +
                         BOX_TAIL + UNABLE + 'Unable to retrieve "profs.dat": 404 File not found\n')
        self.assertIn("Processing updated information.", r.stdout.splitlines())
        self.assertEqual(self.box.lines("sedata.dat"),
                         self.old + records(self.update, "Beacon Finder"))
        self.assertFalse(os.path.exists(self.box.path("profs.dat")))
        self.assertEqual((self.settings("Updates", "sedata.dat"),
                          self.settings("Updates", "profs.dat")), ("1", "1"))

    def test_unreachable_or_failing_server_exits_4(self):
        dead = "http://127.0.0.1:%d/" % e2e.free_port()
        fails = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Fails)
        threading.Thread(target=fails.serve_forever, daemon=True).start()
        self.addCleanup(fails.shutdown)
        refused = "\": can't connect: Connection refused (Error #111)\n"
        for version, url, failures in [
                (dead + "update.upd", dead, ["update.upd" + refused, "000007.upd" + refused]),
                ("http://127.0.0.1:%d/update.upd" % fails.server_port, None,
                 ['update.upd": 500 Internal Server Error\n']),
                ("{base}gone.upd", None, ['gone.upd": 404 File not found\n'])]:
            with self.subTest(version=version):
                r = self.run_update("--no", version=version, updates=url and {"URL": url})
                self.assertEqual(r.returncode, 4)
                self.assertNotIn("No new updates available.", r.stdout)
                self.assertEqual(re.sub(r"http://127\.0\.0\.1:\d+/", "", r.stderr),
                                 UNABLE + "".join('Unable to retrieve "' + f for f in failures))

    def test_unwritable_data_file_exits_5(self):
        os.mkdir(self.box.path("profs.dat"))
        r = self.run_update("--no", updates={"profs.dat": 1})
        self.assertEqual(r.returncode, 5)
        self.assertIn("siteherald-cli: Unable to write to " + self.box.path("profs.dat"),
                      r.stderr)
        self.assertEqual(self.settings("Updates", "profs.dat"), "1")


if __name__ == "__main__":
    e2e.main()
