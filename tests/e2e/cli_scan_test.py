#!/usr/bin/env python3
"""siteherald-cli scan: the fields of a page from a file and from a loopback HTTP server."""

import os
import shutil
import tempfile
import unittest

import siteherald_e2e as e2e
from siteherald_e2e import Sandbox, http_server, run_cli

FIELDS = [
    "q (Text Box)",
    "URL (Text Box)",
    "Title (Text Box)",
    "email (Text Box)",
    "keywords (Text Box)",
    "description (Textarea)",
    "ref (Text Box)",
    "nl_email (Text Box)",
]


def scan_page():
    return e2e.fixture("scan", "suggest_site.html")


class Scan(unittest.TestCase):
    def setUp(self):
        self.box = Sandbox()
        self.addCleanup(self.box.cleanup)

    def assertFields(self, r, fields=FIELDS):
        self.assertEqual((r.returncode, r.stderr), (0, ""))
        self.assertEqual(r.stdout, "".join(f + "\n" for f in fields))

    def test_page_file(self):
        self.assertFields(run_cli(self.box, "scan", "--page", scan_page()))
        # The same page with CR LF line ends, and a page without forms.
        crlf = self.box.path("crlf.html")
        with open(scan_page(), "rb") as src, open(crlf, "wb") as dst:
            dst.write(src.read().replace(b"\n", b"\r\n"))
        self.assertFields(run_cli(self.box, "scan", "--page", crlf))
        plain = self.box.path("plain.html")
        with open(plain, "w") as f:
            f.write("<html><body><p>No forms here.</p>\n</body></html>\n")
        self.assertFields(run_cli(self.box, "scan", "--page", plain), [])

    def test_address_on_a_loopback_server(self):
        with tempfile.TemporaryDirectory(prefix="sh-scan-") as www:
            os.mkdir(os.path.join(www, "add"))
            shutil.copy(scan_page(), os.path.join(www, "add", "index.html"))
            with http_server(www) as base:
                self.assertFields(run_cli(self.box, "scan", base + "add/index.html"))
                missing = base + "add/gone.html"
                r = run_cli(self.box, "scan", missing)
        self.assertEqual((r.returncode, r.stdout), (4, ""))
        self.assertEqual(r.stderr, 'siteherald-cli: %s: File not found\nUnable to retrieve "%s".\n'
                         % (missing, missing))

    def test_unreadable_file_and_wrong_usage(self):
        missing = self.box.path("missing.html")
        r = run_cli(self.box, "scan", "--page", missing)
        self.assertEqual((r.returncode, r.stdout), (5, ""))
        self.assertEqual(r.stderr, "siteherald-cli: Unable to read %s: No such file\n" % missing)

        for args in ([], ["--page"], ["--page", scan_page(), "extra"], ["-x"],
                     [scan_page(), scan_page()]):
            r = run_cli(self.box, "scan", *args)
            self.assertEqual((r.returncode, r.stdout), (2, ""), args)
            self.assertIn("scan --page FILE", r.stderr, args)


if __name__ == "__main__":
    e2e.main()
