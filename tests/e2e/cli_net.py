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
NEW_VERSION = "http://127.0.0.1/siteherald/new.html"
CORRUPTED = (" is corrupted. Please try again later or contact support@siteherald.example "
             "for help.\n")
UNABLE = ("Siteherald was unable to download certain files.\n"
          "Please check your connection or try again later.\n")
REFUSED = "\": can't connect: Connection refused (Error #111)\n"


def make_certificates(folder):
    """A test CA (ca.pem) and a server certificate for localhost and 127.0.0.1 signed by it."""
    ec = ["-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes", "-days", "2"]
    e2e.write(os.path.join(folder, "server.ext"), "subjectAltName=DNS:localhost,IP:127.0.0.1\n")
    for args in (["req", "-x509", *ec, "-keyout", "ca.key", "-out", "ca.pem", "-subj", "/CN=CA",
                  "-addext", "basicConstraints=critical,CA:TRUE",
                  "-addext", "keyUsage=critical,keyCertSign,cRLSign"],
                 ["req", *ec, "-keyout", "server.key", "-out", "server.csr", "-subj", "/CN=localhost"],
                 ["x509", "-req", "-in", "server.csr", "-CA", "ca.pem", "-CAkey", "ca.key",
                  "-CAcreateserial", "-out", "server.pem", "-days", "2", "-extfile", "server.ext"]):
        subprocess.run(["openssl", *args], cwd=folder, check=True, capture_output=True, timeout=60)


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
        certs, cls.www = os.path.join(tmp.name, "certs"), os.path.join(tmp.name, "www")
        os.makedirs(certs)
        make_certificates(certs)
        e2e.write(os.path.join(cls.www, "blob.bin"), BINARY)
        with open(os.path.join(cls.www, "big.html"), "wb") as f:
            f.truncate(BIG)
        os.mkdir(os.path.join(cls.www, "addurl"))
        shutil.copy(e2e.page_file(), os.path.join(cls.www, "addurl", "index.html"))
        cls.http = e2e.serve(cls, cls.www)
        cls.https = e2e.serve(cls, cls.www, (os.path.join(certs, "server.pem"),
                                             os.path.join(certs, "server.key")))
        cls.trusted = {"SSL_CERT_FILE": os.path.join(certs, "ca.pem"), "SSL_CERT_DIR": None}
        cls.sites = 0

    def setUp(self):
        self.box = Sandbox(self)

    def test_get_gives_the_body_byte_for_byte_and_failures_exit_4(self):
        https_localhost = self.https.replace("127.0.0.1", "localhost")
        for address, env in [(self.http, {}), (self.https, self.trusted),
                             (https_localhost, self.trusted)]:
            r = self.box.run("get", address + "blob.bin", env=env, binary=True)
            self.assertEqual((r.returncode, r.stderr, r.stdout), (0, b"", BINARY), address)
        # get streams: the 20 MB limit is for pages.
        r = self.box.run("get", self.http + "big.html", binary=True)
        self.assertEqual((r.returncode, len(r.stdout)), (0, BIG))

        gone = "http://127.0.0.1:%d/blob.bin" % e2e.free_port()
        for args, env, message in [
            (["get", self.http + "missing.txt"], {},
             "siteherald-cli: %smissing.txt: File not found\n" % self.http),
            (["get", gone], {}, "siteherald-cli: %s: " % gone),
            (["get", self.https + "blob.bin"], {"SSL_CERT_FILE": None, "SSL_CERT_DIR": None},
             "certificate"),
            (["scan", self.http + "big.html"], {},
             "siteherald-cli: %sbig.html: The page is larger than 20 MB.\n" % self.http),
            (["scan", self.http + "addurl/gone.html"], {},
             'siteherald-cli: {0}: File not found\nUnable to retrieve "{0}".\n'.format(
                 self.http + "addurl/gone.html")),
        ]:
            with self.subTest(args=args):
                r = self.box.run(*args, env=env)
                self.assertEqual((r.returncode, r.stdout), (4, ""))
                self.assertIn(message, r.stderr)

    def test_scan_address_lists_the_fields_of_the_page(self):
        r = self.box.run("scan", self.http + "addurl/index.html")
        self.assertEqual((r.returncode, r.stderr), (0, ""))
        self.assertEqual(r.stdout, self.box.run("scan", "--page", e2e.page_file()).stdout)
        self.assertIn("description (Textarea)\n", r.stdout)

    def use_address(self, address):
        """Points Lighthouse Search's submission address at ADDRESS in sedata.dat."""
        lines = self.box.lines("sedata.dat")
        i = lines.index("$" + ENGINE + "$") + 1
        lines[i] = "|".join([ENGINE, address] + lines[i].split("|")[2:])
        e2e.write(self.box.path("sedata.dat"), "".join(l + "\r\n" for l in lines).encode())

    def test_fill_downloads_the_page(self):
        for base, env in [(self.http, {}), (self.https, self.trusted)]:
            with self.subTest(base=base):
                for name in self.box.pages():
                    os.remove(self.box.path(name))
                self.use_address(base + "addurl/index.html")
                r = self.box.run("fill", ENGINE, e2e.fixture("harbour_kayaks.sdf"), env=env)
                self.assertEqual((r.returncode, r.stderr), (0, ""))
                self.assertEqual(r.stdout, self.box.path("~auto.htm") + "\n")
                main = self.box.lines("~mainauto.htm")
                self.assertEqual(main[2], '<HEAD><base href="%saddurl/">' % base)
                self.assertIn('<TR><TD><B>URL:</B></TD><TD><INPUT TYPE="text" NAME="url" SIZE="50" '
                              'VALUE="https://harbour-kayaks.example/?ref=lighthouse&amp;lang=en">'
                              '</TD></TR>', main)
        for name in self.box.pages():
            os.remove(self.box.path(name))
        for address in (self.http + "addurl/gone.html", self.http + "big.html"):
            self.use_address(address)
            r = self.box.run("fill", ENGINE, e2e.fixture("harbour_kayaks.sdf"))
            self.assertEqual((r.returncode, r.stdout, self.box.pages()), (4, "", []))
            self.assertIn('Unable to retrieve "%s".\n' % address, r.stderr)

    def update(self, *args, updates=None, version="update.upd", files=None):
        """siteherald-cli update ARGS against a site of its own holding tests/fixtures/update,
        update.upd and FILES ({name: content, or None to remove it})."""
        Net.sites += 1
        site = os.path.join(self.www, "u%d" % Net.sites)
        shutil.copytree(e2e.fixture("update"), site)
        files = dict({"update.upd": ("175\r\n%s\r\n" % NEW_VERSION).encode()}, **(files or {}))
        for name, data in files.items():
            if data is None:
                os.remove(os.path.join(site, name))
            else:
                e2e.write(os.path.join(site, name), data)
        base = self.http + "u%d/" % Net.sites
        self.box.write_settings({"Main": {"VersionUpdate": version if "//" in version
                                          else base + version},
                                 "Updates": dict({"URL": base, "Filenumber": 7}, **(updates or {}))})
        r = self.box.run("update", *args)
        r.stderr = re.sub(r"http://127\.0\.0\.1:\d+/(u\d+/)?", "", r.stderr)
        return r

    def test_update_with_yes_opens_the_new_version_and_overwrites_known_engines(self):
        old, upd = self.box.lines("sedata.dat"), read_lines(e2e.fixture("update", "000007.upd"))
        r = self.update("--yes", files={"update.upd": ("176\r\n%s\r\n" % NEW_VERSION).encode()})
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
                         records(old, "Siteherald Demo Engine", "Harbour Directory") + upd[1:-1])
        self.assertEqual((self.box.setting("Updates", "Filenumber"),
                          self.box.setting("Main", "VersionNumber")), ("8", "176"))

    def test_update_with_no_or_no_terminal_keeps_known_engines(self):
        old, upd = self.box.lines("sedata.dat"), read_lines(e2e.fixture("update", "000007.upd"))
        for args, answer in [(["--no"], " no"),
                             ([], " no (no terminal to ask on; give --yes or --no)")]:
            with self.subTest(args=args):
                self.box = Sandbox(self)
                r = self.update(*args)
                self.assertEqual((r.returncode, r.stderr), (0, ""))
                self.assertIn("Overwrite search engine data for Lighthouse Search?" + answer,
                              r.stdout.splitlines())
                self.assertEqual(self.box.lines("sedata.dat"), old + records(upd, "Beacon Finder"))
                self.assertEqual(self.box.setting("Updates", "Filenumber"), "8")
        # A whole file that is missing or damaged is named, keeps its flag and makes exit 4;
        # the engine update goes on.
        r = self.update("--no", updates={"sedata.dat": 1, "profs.dat": 1},
                        files={"profs.dat": None, "sedata.dat": b"<html>Not here</html>\n"})
        self.assertEqual(r.returncode, 4)
        self.assertEqual(r.stderr, '"sedata.dat"' + CORRUPTED + UNABLE +
                         'Unable to retrieve "profs.dat": 404 File not found\n')
        self.assertIn("Processing updated information.", r.stdout.splitlines())
        self.assertEqual(self.box.lines("sedata.dat"), old + records(upd, "Beacon Finder"))
        self.assertFalse(os.path.exists(self.box.path("profs.dat")))
        self.assertEqual((self.box.setting("Updates", "sedata.dat"),
                          self.box.setting("Updates", "profs.dat")), ("1", "1"))

    def test_update_fetches_whole_files_and_clears_their_flags(self):
        r = self.update("--yes", updates={"sedata.dat": 1, "profs.dat": 1, "Filenumber": 9})
        self.assertEqual((r.returncode, r.stderr), (0, ""))
        self.assertEqual(r.stdout.splitlines(), [
            "Checking for newer version...", "Downloading data files...",
            "Downloading data files...", "Downloading search engine data...",
            "No new updates available."])
        self.assertEqual(self.box.lines("sedata.dat"), read_lines(e2e.fixture("update", "sedata.dat")))
        self.assertEqual(self.box.lines("profs.dat"), ["$AutoFill", "email", "title", "url",
                                                       "$AutoFill", "$sdffiles", "$sdffiles"])
        self.assertEqual([self.box.setting("Updates", k) for k in ("sedata.dat", "profs.dat",
                                                                   "Filenumber")], ["0", "0", "9"])

    def test_update_reports_each_failed_download_with_its_reason_and_exits_4(self):
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
