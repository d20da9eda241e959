#!/usr/bin/env python3
"""siteherald-cli get, scan, fill without --page, and update against loopback HTTP and HTTPS
servers: what it prints, the files and settings it writes and its exit status."""

import os
import re
import shutil
import subprocess
import tempfile
import unittest

import siteherald_e2e as e2e
from siteherald_e2e import ENGINE, Sandbox, read_lines

BINARY = bytes(range(256)) * 8 + b"\r\n\x00\r\rend"
BIG = 21 << 20  # over the 20 MB that a submission page may have
NEW = "http://127.0.0.1/siteherald/new.html"
UNABLE = ("Siteherald was unable to download certain files.\n"
          "Please check your connection or try again later.\n")
REFUSED = "\": can't connect: Connection refused (Error #111)\n"
URL_LINE = ('<TR><TD><B>URL:</B></TD><TD><INPUT TYPE="text" NAME="url" SIZE="50" '
            'VALUE="https://harbour-kayaks.example/?ref=lighthouse&amp;lang=en"></TD></TR>')


def records(lines, *names):
    """The records of NAMES (marker to marker) taken from LINES, in the order given."""
    out = []
    for name in names:
        start = lines.index("$%s$" % name)
        out += lines[start:lines.index("$%s$" % name, start + 1) + 1]
    return out


class Net(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        tmp = tempfile.TemporaryDirectory(prefix="sh-net-")
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

    def test_get_gives_the_body_byte_for_byte_and_failures_exit_4(self):
        for address, env in [(self.http, {}), (self.https, self.trusted),
                             (self.https.replace("127.0.0.1", "localhost"), self.trusted)]:
            r = self.box.run("get", address + "blob.bin", env=env, binary=True)
            self.assertEqual((r.returncode, r.stderr, r.stdout), (0, b"", BINARY), address)
        # get streams: the 20 MB limit is for pages.
        r = self.box.run("get", self.http + "big.html", binary=True)
        self.assertEqual((r.returncode, len(r.stdout)), (0, BIG))

        gone, missing = "http://127.0.0.1:%d/blob.bin" % e2e.free_port(), self.http + "add/gone.html"
        for args, env, message in [
            (["get", self.http + "missing.txt"], {}, ": %smissing.txt: File not found\n" % self.http),
            (["get", gone], {}, "siteherald-cli: %s: " % gone),
            (["get", self.https + "blob.bin"], {"SSL_CERT_FILE": None, "SSL_CERT_DIR": None},
             "certificate"),
            (["scan", self.http + "big.html"], {}, ": %sbig.html: The page is larger than 20 MB.\n"
             % self.http),
            (["scan", missing], {}, ': {0}: File not found\nUnable to retrieve "{0}".\n'.format(missing)),
        ]:
            with self.subTest(args=args):
                r = self.box.run(*args, env=env)
                self.assertEqual((r.returncode, r.stdout), (4, ""))
                self.assertIn(message, r.stderr)

    def test_scan_and_fill_download_the_page(self):
        r = self.box.run("scan", self.http + "addurl/index.html")
        self.assertEqual((r.returncode, r.stderr), (0, ""))
        self.assertEqual(r.stdout, self.box.run("scan", "--page", e2e.page_file()).stdout)
        self.assertIn("description (Textarea)\n", r.stdout)
        for base, page, env in [(self.http, "addurl/index.html", {}),
                                (self.https, "addurl/index.html", self.trusted),
                                (self.http, "addurl/gone.html", {}), (self.http, "big.html", {})]:
            with self.subTest(address=base + page):
                for name in self.box.pages():
                    os.remove(self.box.path(name))
                lines = self.box.lines("sedata.dat")
                i = lines.index("$" + ENGINE + "$") + 1
                lines[i] = "|".join([ENGINE, base + page] + lines[i].split("|")[2:])
                e2e.write(self.box.path("sedata.dat"), "".join(l + "\r\n" for l in lines))
                r = self.box.run("fill", ENGINE, e2e.fixture("harbour_kayaks.sdf"), env=env)
                if page.startswith("addurl/index"):
                    self.assertEqual((r.returncode, r.stdout, r.stderr),
                                     (0, self.box.path("~auto.htm") + "\n", ""))
                    main = self.box.lines("~mainauto.htm")
                    self.assertEqual(main[2], '<HEAD><base href="%saddurl/">' % base)
                    self.assertIn(URL_LINE, main)
                else:
                    self.assertEqual((r.returncode, r.stdout, self.box.pages()), (4, "", []))
                    self.assertIn('Unable to retrieve "%s".\n' % (base + page), r.stderr)

    def update(self, *args, updates=None, version="update.upd", files=None):
        """siteherald-cli update ARGS against a site of its own holding tests/fixtures/update,
        update.upd and FILES ({name: content, or None to remove it})."""
        Net.sites += 1
        site, base = os.path.join(self.www, "u%d" % Net.sites), self.http + "u%d/" % Net.sites
        shutil.copytree(e2e.fixture("update"), site)
        for name, data in dict({"update.upd": "175\r\n%s\r\n" % NEW}, **(files or {})).items():
            if data is None:
                os.remove(os.path.join(site, name))
            else:
                e2e.write(os.path.join(site, name), data)
        self.box.write_settings({
            "Main": {"VersionUpdate": version if "//" in version else base + version},
            "Updates": dict({"URL": base, "Filenumber": 7}, **(updates or {}))})
        r = self.box.run("update", *args)
        r.stderr = re.sub(r"http://127\.0\.0\.1:\d+/(u\d+/)?", "", r.stderr)
        return r

    def test_update_prints_each_step_and_changes_engines_files_and_settings(self):
        old, upd = self.box.lines("sedata.dat"), read_lines(e2e.fixture("update", "000007.upd"))
        kept = {"sedata.dat": old + records(upd, "Beacon Finder"), "profs.dat": None}
        ask = "Overwrite search engine data for Lighthouse Search? no"
        for args, updates, files, status, stdout, stderr, written, settings in [
            (["--yes"], {}, {"update.upd": "176\r\n%s\r\n" % NEW}, 0, [
                "Checking for newer version...",
                "A newer version is available for download. View information? yes",
                "Open this address in your browser: " + NEW, "Downloading search engine data...",
                "Processing updated information.",
                "Overwrite search engine data for Lighthouse Search? yes"], "",
             {"sedata.dat": records(old, "Siteherald Demo Engine", "Harbour Directory")
              + upd[1:-1]}, {"Updates": {"Filenumber": "8"}, "Main": {"VersionNumber": "176"}}),
            (["--no"], {}, {}, 0, ask, "", kept, {"Updates": {"Filenumber": "8"}}),
            ([], {}, {}, 0, ask + " (no terminal to ask on; give --yes or --no)", "", kept,
             {"Updates": {"Filenumber": "8"}}),
            (["--yes"], {"sedata.dat": 1, "profs.dat": 1, "Filenumber": 9}, {}, 0, [
                "Checking for newer version...", "Downloading data files...",
                "Downloading data files...", "Downloading search engine data...",
                "No new updates available."], "",
             {"sedata.dat": read_lines(e2e.fixture("update", "sedata.dat")), "profs.dat": [
                 "$AutoFill", "email", "title", "url", "$AutoFill", "$sdffiles", "$sdffiles"]},
             {"Updates": {"sedata.dat": "0", "profs.dat": "0", "Filenumber": "9"}}),
            # A whole file missing or damaged is named and keeps its flag; the engines update.
            (["--no"], {"sedata.dat": 1, "profs.dat": 1},
             {"profs.dat": None, "sedata.dat": "<html>Not here</html>\n"}, 4,
             "Processing updated information.", '"sedata.dat" is corrupted. Please try again '
             "later or contact support@siteherald.example for help.\n" + UNABLE +
             'Unable to retrieve "profs.dat": 404 File not found\n', kept,
             {"Updates": {"sedata.dat": "1", "profs.dat": "1"}}),
        ]:
            with self.subTest(args=args, updates=updates):
                self.box = Sandbox(self.addCleanup)
                r = self.update(*args, updates=updates, files=files)
                self.assertEqual((r.returncode, r.stderr), (status, stderr))
                if isinstance(stdout, str):
                    self.assertIn(stdout, r.stdout.splitlines())
                else:
                    self.assertEqual(r.stdout.splitlines(), stdout)
                self.assertEqual({n: self.box.lines(n) if os.path.exists(self.box.path(n))
                                  else None for n in written}, written)
                for section, keys in settings.items():
                    for key, value in keys.items():
                        self.assertEqual(self.box.setting(section, key), value, key)

    def test_update_reports_each_failed_download_with_its_reason(self):
        dead = "http://127.0.0.1:%d/" % e2e.free_port()
        for version, url, failures in [
                (dead + "update.upd", dead, ["update.upd" + REFUSED, "000007.upd" + REFUSED]),
                (self.http + "500/update.upd", None, ['500/update.upd": 500 Internal Server Error\n']),
                ("gone.upd", None, ['gone.upd": 404 File not found\n'])]:
            with self.subTest(version=version):
                r = self.update("--no", version=version, updates=url and {"URL": url})
                self.assertEqual(r.returncode, 4)
                self.assertNotIn("No new updates available.", r.stdout)
                self.assertEqual(r.stderr, UNABLE + "".join('Unable to retrieve "' + f
                                                            for f in failures))
        os.mkdir(self.box.path("profs.dat"))
        r = self.update("--no", updates={"profs.dat": 1})
        self.assertEqual(r.returncode, 5)
        self.assertIn("siteherald-cli: Unable to write to " + self.box.path("profs.dat"), r.stderr)
        self.assertEqual(self.box.setting("Updates", "profs.dat"), "1")


if __name__ == "__main__":
    e2e.main()
