#!/usr/bin/env python3
"""siteherald-cli fill, get, scan and update on fixture files and against loopback HTTP and
HTTPS servers: what it prints, the files and settings it writes and its exit status."""

import os
import re
import shutil
import subprocess
import tempfile
import unittest

import siteherald_e2e as e2e
from siteherald_e2e import ENGINE, Sandbox, read_lines

USAGE = "Usage: siteherald-cli COMMAND [ARGUMENTS]"
BINARY = bytes(range(256)) * 8 + b"\r\n\x00\r\rend"
BIG = 21 << 20  # over the 20 MB that a submission page may have
NEW = "http://127.0.0.1/siteherald/new.html"
UNABLE = ("Siteherald was unable to download certain files.\n"
          "Please check your connection or try again later.\n")
REFUSED = "\": can't connect: Connection refused (Error #111)\n"


def records(lines, *names):
    """The records of NAMES (marker to marker) taken from LINES, in the order given."""
    out = []
    for name in names:
        start = lines.index("$%s$" % name)
        out += lines[start:lines.index("$%s$" % name, start + 1) + 1]
    return out


class Commands(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        tmp = tempfile.TemporaryDirectory(prefix="sh-www-")
        cls.addClassCleanup(tmp.cleanup)
        cls.www, cert, key = tmp.name, os.path.join(tmp.name, "cert"), os.path.join(tmp.name, "key")
        # A self-signed certificate for localhost and 127.0.0.1, trusted through SSL_CERT_FILE.
        subprocess.run(["openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt",
                        "ec_paramgen_curve:prime256v1", "-nodes", "-days", "2", "-keyout", key,
                        "-out", cert, "-subj", "/CN=localhost", "-addext",
                        "subjectAltName=DNS:localhost,IP:127.0.0.1"], check=True, capture_output=True)
        e2e.write(os.path.join(cls.www, "blob.bin"), BINARY)
        with open(os.path.join(cls.www, "big.html"), "wb") as f:
            f.truncate(BIG)
        os.mkdir(os.path.join(cls.www, "addurl"))
        shutil.copy(e2e.page_file(), os.path.join(cls.www, "addurl", "index.html"))
        cls.http, cls.https = e2e.serve(cls, cls.www), e2e.serve(cls, cls.www, (cert, key))
        cls.trusted = {"SSL_CERT_FILE": cert, "SSL_CERT_DIR": None}
        cls.sites = 0

    def setUp(self):
        self.box = Sandbox(self.addCleanup)

    def test_fill_writes_the_three_pages_from_a_page_file_or_a_download(self):
        sdf, url = e2e.fixture("harbour_kayaks.sdf"), "http://www.lighthouse-search.example/"
        for page, address, env in [(["--page", e2e.page_file()], url, {}),
                                   (["--page=" + e2e.page_file()], url, {}),
                                   ([], self.http, {}), ([], self.https, self.trusted)]:
            with self.subTest(page=page, address=address):
                for name in self.box.pages():
                    os.remove(self.box.path(name))
                if not page:
                    self.use_address(address + "addurl/index.html")
                r = self.box.run("fill", ENGINE, sdf, *page, env=env)
                self.assertEqual((r.returncode, r.stdout, r.stderr),
                                 (0, self.box.path("~auto.htm") + "\n", ""))
                main = self.box.lines("~mainauto.htm")
                self.assertEqual(main[2], '<HEAD><base href="%saddurl/">' % address)
                self.assertIn('<TR><TD><B>URL:</B></TD><TD><INPUT TYPE="text" NAME="url" SIZE="50" '
                              'VALUE="https://harbour-kayaks.example/?ref=lighthouse&amp;lang=en">'
                              '</TD></TR>', main)
                # The title box's tag spanned three lines; the description's value is two long.
                self.assertEqual(len(main), len(read_lines(e2e.page_file())) - 2 + 1)
        # The frames themselves are loaded in Chromium (e2e_browser.py); here the <noframes> copy.
        ad, frame = self.box.lines("~adauto.htm"), self.box.lines("~auto.htm")
        self.assertEqual(frame[3:6 + len(ad)], ["<noframes>", "<html>", "<body>"] + ad)
        self.assertEqual(frame[7 + len(ad):], main + ["</body>", "</html>", "</noframes>", "</frameset>"])

    def use_address(self, address):
        """Points Lighthouse Search's submission address at ADDRESS in sedata.dat."""
        lines = self.box.lines("sedata.dat")
        i = lines.index("$" + ENGINE + "$") + 1
        lines[i] = "|".join([ENGINE, address] + lines[i].split("|")[2:])
        e2e.write(self.box.path("sedata.dat"), "".join(l + "\r\n" for l in lines))

    def test_get_and_scan_read_an_address(self):
        for address, env in [(self.http, {}), (self.https, self.trusted)]:
            r = self.box.run("get", address + "blob.bin", env=env, binary=True)
            self.assertEqual((r.returncode, r.stderr, r.stdout), (0, b"", BINARY), address)
        # get streams: the 20 MB limit is for pages.
        r = self.box.run("get", self.http + "big.html", binary=True)
        self.assertEqual((r.returncode, len(r.stdout)), (0, BIG))
        r = self.box.run("scan", self.http + "addurl/index.html")
        self.assertEqual((r.returncode, r.stderr), (0, ""))
        self.assertEqual(r.stdout, self.box.run("scan", "--page", e2e.page_file()).stdout)
        self.assertIn("description (Textarea)\n", r.stdout)
        r = self.box.run("--help")
        self.assertEqual((r.returncode, r.stderr), (0, ""))
        self.assertTrue(r.stdout.startswith(USAGE), r.stdout)
        self.assertIn("  fill ENGINE SDF-FILE [--page PAGE-FILE]\n", r.stdout)

    def test_failures_exit_with_their_status_and_write_no_page(self):
        sdf, page, scan = e2e.fixture("harbour_kayaks.sdf"), e2e.page_file(), "scan --page FILE"
        missing, folder = os.path.join(self.box.root, "gone.sdf"), self.box.root
        with open(self.box.path("sedata.dat"), "a") as f:
            f.write("$No Address$\r\nNo Address|\r\n$No Address$\r\n"
                    "$Empty$\r\nEmpty||http://info/|\r\n$Empty$\r\n$Cut$\r\n")
        unknown = 'no search engine named "%s" in ' + self.box.path("sedata.dat")
        damaged = "The record of %s in sedata.dat is damaged."
        gone, lost = "http://127.0.0.1:%d/blob.bin" % e2e.free_port(), self.http + "addurl/gone"
        self.use_address(self.http + "big.html")
        for status, args, messages, *env in [
            (2, [], [USAGE]),
            (2, ["submit"], [USAGE, 'unknown command "submit"']),
            (2, ["fill"], [USAGE, "fill takes an engine name and a submission data file"]),
            (2, ["fill", ENGINE, sdf, "--page"], [USAGE, "--page needs a file name"]),
            (2, ["fill", ENGINE, "--page", page], [USAGE, "fill takes an engine name"]),
            (2, ["fill", ENGINE, sdf, "--page", page, "--open"], ['unknown option "--open"']),
            *[(2, ["scan", *a], [scan]) for a in ([], ["--page"], ["-x"], [page, page],
                                                   ["--page", page, "extra"])],
            (2, ["send", e2e.fixture("broadcast.sdf")], [USAGE]),
            (3, ["fill", "Altavista", sdf], [unknown % "Altavista"]),
            # Engine names are matched as written.
            (3, ["fill", "lighthouse search", sdf], [unknown % "lighthouse search"]),
            *[(3, ["fill", name, sdf], [damaged % name]) for name in ("No Address", "Empty", "Cut")],
            (4, ["get", self.http + "gone"], [": %sgone: File not found\n" % self.http]),
            (4, ["get", gone], ["siteherald-cli: %s: " % gone]),
            (4, ["get", self.https + "blob.bin"], ["certificate"],
             {"SSL_CERT_FILE": None, "SSL_CERT_DIR": None}),
            (4, ["scan", self.http + "big.html"],
             [": %sbig.html: The page is larger than 20 MB.\n" % self.http]),
            (4, ["scan", lost], [': %s: File not found\nUnable to retrieve "%s".\n' % (lost, lost)]),
            # fill keeps the 20 MB limit of a page
            (4, ["fill", ENGINE, sdf], ['Unable to retrieve "%sbig.html".\n' % self.http]),
            (5, ["fill", ENGINE, missing], ["Unable to read " + missing]),
            (5, ["fill", ENGINE, folder], ["Unable to read %s: it is a folder" % folder]),
            (5, ["fill", ENGINE, sdf, "--page", missing], ["Unable to read " + missing]),
            (5, ["scan", "--page", missing],
             ["siteherald-cli: Unable to read %s: No such file\n" % missing]),
            (5, ["send", missing, "Subject", "--newsgroup", "a.b"], ["Unable to read " + missing]),
        ]:
            with self.subTest(args=args):
                r = self.box.run(*args, env=env[0] if env else None)
                self.assertEqual((r.returncode, r.stdout), (status, ""))
                for message in messages:
                    self.assertIn(message, r.stderr)
        self.assertEqual(self.box.pages(), [])
        self.assertFalse(os.path.exists(self.box.ini))

        os.mkdir(self.box.path("~mainauto.htm"))
        r = self.box.fill()
        self.assertEqual((r.returncode, r.stdout), (5, ""))
        self.assertIn("Unable to write to " + self.box.path("~mainauto.htm"), r.stderr)
        for prepare in (os.remove, lambda path: open(path, "w").close()):
            prepare(self.box.path("sedata.dat"))
            r = self.box.fill()
            self.assertEqual((r.returncode, r.stdout), (5, ""))
            self.assertIn("Unable to read " + self.box.path("sedata.dat"), r.stderr)
            # and the file is marked for the next update
            self.assertIn("Please select Update from the file menu", r.stderr)
            self.assertEqual(self.box.setting("Updates", "sedata.dat"), "1")

    def update(self, *args, updates=None, files=None):
        """siteherald-cli update ARGS against a site of its own holding tests/fixtures/update,
        update.upd and FILES ({name: content, or None to remove it}), with UPDATES in the
        [Updates] settings (VersionUpdate goes to [Main])."""
        Commands.sites += 1
        site, base = os.path.join(self.www, "u%d" % self.sites), self.http + "u%d/" % self.sites
        shutil.copytree(e2e.fixture("update"), site)
        for name, data in dict({"update.upd": "175\r\n%s\r\n" % NEW}, **(files or {})).items():
            if data is None:
                os.remove(os.path.join(site, name))
            else:
                e2e.write(os.path.join(site, name), data)
        updates = dict({"URL": base, "Filenumber": 7, "VersionUpdate": "update.upd"}, **updates)
        version = updates.pop("VersionUpdate")
        self.box.write_settings({"Main": {"VersionUpdate": version if "//" in version
                                          else base + version}, "Updates": updates})
        r = self.box.run("update", *args)
        r.stderr = re.sub(r"http://127\.0\.0\.1:\d+/(u\d+/)?", "", r.stderr)
        return r

    def test_update_prints_each_step_and_exits_4_naming_each_failed_download(self):
        old, upd = self.box.lines("sedata.dat"), read_lines(e2e.fixture("update", "000007.upd"))
        kept, dead = old + records(upd, "Beacon Finder"), "http://127.0.0.1:%d/" % e2e.free_port()
        ask = "Overwrite search engine data for Lighthouse Search? no"
        for args, updates, files, status, stdout, stderr, engines, settings in [
            (["--yes"], {}, {"update.upd": "176\r\n%s\r\n" % NEW}, 0, [
                "Checking for newer version...",
                "A newer version is available for download. View information? yes",
                "Open this address in your browser: " + NEW, "Downloading search engine data...",
                "Processing updated information.",
                "Overwrite search engine data for Lighthouse Search? yes"], "",
             records(old, "Siteherald Demo Engine", "Harbour Directory") + upd[1:-1],
             {"Filenumber": "8", "VersionNumber": "176"}),
            (["--no"], {}, {}, 0, ask, "", kept, {"Filenumber": "8"}),
            ([], {}, {}, 0, ask + " (no terminal to ask on; give --yes or --no)", "", kept,
             {"Filenumber": "8"}),
            # A whole file missing or damaged is named and keeps its flag; the engines update.
            (["--no"], {"sedata.dat": 1, "profs.dat": 1},
             {"profs.dat": None, "sedata.dat": "<html>Not here</html>\n"}, 4, ask,
             '"sedata.dat" is corrupted. Please try again later or contact '
             "support@siteherald.example for help.\n" + UNABLE +
             'Unable to retrieve "profs.dat": 404 File not found\n', kept,
             {"sedata.dat": "1", "profs.dat": "1"}),
            # Only a 404 for the next update file means there is nothing new.
            (["--no"], {"VersionUpdate": dead + "update.upd", "URL": dead}, {}, 4,
             "Downloading search engine data...",
             UNABLE + 'Unable to retrieve "update.upd' + REFUSED + 'Unable to retrieve "000007.upd'
             + REFUSED, old, {"Filenumber": "7"}),
            *[(["--no"], {"VersionUpdate": version}, {}, 4, ask, UNABLE + 'Unable to retrieve "%s'
               % version.replace(self.http, "") + failure, kept, {}) for version, failure in [
                  (self.http + "500/update.upd", '": 500 Internal Server Error\n'),
                  ("gone.upd", '": 404 File not found\n')]],
        ]:
            with self.subTest(args=args, updates=updates):
                self.box = Sandbox(self.addCleanup)
                r = self.update(*args, updates=updates, files=files)
                self.assertEqual((r.returncode, r.stderr), (status, stderr))
                lines = r.stdout.splitlines()
                if isinstance(stdout, list):
                    self.assertEqual(lines, stdout)
                else:
                    self.assertIn(stdout, lines)
                self.assertNotIn("No new updates available.", lines)
                self.assertEqual(self.box.lines("sedata.dat"), engines)
                self.assertFalse(os.path.exists(self.box.path("profs.dat")))
                for key, value in settings.items():
                    section = "Main" if key == "VersionNumber" else "Updates"
                    self.assertEqual(self.box.setting(section, key), value, key)
        os.mkdir(self.box.path("profs.dat"))
        r = self.update("--no", updates={"profs.dat": 1})
        self.assertEqual(r.returncode, 5)
        self.assertIn("siteherald-cli: Unable to write to " + self.box.path("profs.dat"), r.stderr)
        self.assertEqual(self.box.setting("Updates", "profs.dat"), "1")


if __name__ == "__main__":
    e2e.main()
