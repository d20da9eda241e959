#!/usr/bin/env python3
"""siteherald-cli fill: exit statuses, messages and the pages it writes."""

import configparser
import os
import unittest

import siteherald_e2e as e2e
from siteherald_e2e import ENGINE, Sandbox, read_lines

PAGES = ("~mainauto.htm", "~adauto.htm", "~auto.htm")
USAGE = "Usage: siteherald-cli COMMAND [ARGUMENTS]"


class Fill(unittest.TestCase):
    def setUp(self):
        self.box = Sandbox()
        self.addCleanup(self.box.cleanup)

    def assertNoPages(self):
        for name in PAGES:
            self.assertFalse(os.path.exists(self.box.path(name)), name)

    def test_writes_the_three_pages_and_prints_the_frame_page(self):
        r = self.box.fill()
        self.assertEqual((r.returncode, r.stderr), (0, ""))
        self.assertEqual(r.stdout, self.box.path("~auto.htm") + "\n")

        page = read_lines(e2e.page_file())
        main = self.box.lines("~mainauto.htm")
        # The title box's tag spanned three lines; the description's value is two lines long.
        self.assertEqual(len(main), len(page) - 2 + 1)
        self.assertEqual(main[2], '<HEAD><base href="%s">' % e2e.SUBMISSION_DIR)
        self.assertIn('<TR><TD><B>URL:</B></TD><TD><INPUT TYPE="text" NAME="url" SIZE="50" '
                      'VALUE="https://harbour-kayaks.example/?ref=lighthouse&amp;lang=en">'
                      '</TD></TR>', main)

        ad = self.box.lines("~adauto.htm")
        self.assertIn("<title>Siteherald: Lighthouse Search</title>", ad)
        frame = self.box.lines("~auto.htm")
        self.assertEqual(frame[0], '<frameset rows="80,*">')
        self.assertIn(' src="~adauto.htm" ', frame[1])
        self.assertIn(' src="~mainauto.htm" ', frame[2])
        self.assertEqual(frame[3:6], ["<noframes>", "<html>", "<body>"])
        hr = 6 + len(ad)
        self.assertEqual(frame[6:hr], ad)
        self.assertTrue(frame[hr].startswith("<br><hr "), frame[hr])
        self.assertEqual(frame[hr + 1:-4], main)
        self.assertEqual(frame[-4:], ["</body>", "</html>", "</noframes>", "</frameset>"])

        with open(self.box.path("~mainauto.htm"), "rb") as f:
            first = f.read()
        r = self.box.run("fill", ENGINE, e2e.sdf_file(), "--page=" + e2e.page_file())
        self.assertEqual(r.returncode, 0, r.stderr)
        with open(self.box.path("~mainauto.htm"), "rb") as f:
            self.assertEqual(f.read(), first)

    def test_wrong_usage_exits_2_with_the_usage_text(self):
        sdf, page = e2e.sdf_file(), e2e.page_file()
        for args, problem in [
            ([], ""),
            (["submit"], 'unknown command "submit"'),
            (["fill"], "fill takes an engine name and a submission data file"),
            (["fill", ENGINE, sdf, "--page"], "--page needs a file name"),
            (["fill", ENGINE, "--page", page], "fill takes an engine name"),
            (["fill", ENGINE, sdf, "--page", page, "--open"], 'unknown option "--open"'),
        ]:
            with self.subTest(args=args):
                r = self.box.run(*args)
                self.assertEqual((r.returncode, r.stdout), (2, ""))
                self.assertIn(problem, r.stderr)
                self.assertIn(USAGE, r.stderr)
        self.assertNoPages()

    def test_help_lists_the_fill_command(self):
        r = self.box.run("--help")
        self.assertEqual((r.returncode, r.stderr), (0, ""))
        self.assertTrue(r.stdout.startswith(USAGE), r.stdout)
        self.assertIn("  fill ENGINE SDF-FILE [--page PAGE-FILE]\n", r.stdout)

    def test_unknown_engine_or_damaged_record_exits_3(self):
        with open(self.box.path("sedata.dat"), "a", newline="") as f:
            f.write("$No Address$\r\nNo Address|\r\n$No Address$\r\n"
                    "$Empty$\r\nEmpty||http://info/|\r\n$Empty$\r\n$Cut$\r\n")
        unknown = 'no search engine named "%s" in ' + self.box.path("sedata.dat")
        damaged = "The record of %s in sedata.dat is damaged."
        for name, message in [("Altavista", unknown), ("lighthouse search", unknown),
                              ("No Address", damaged), ("Empty", damaged), ("Cut", damaged)]:
            with self.subTest(name=name):
                r = self.box.fill(engine=name)
                self.assertEqual((r.returncode, r.stdout), (3, ""))
                self.assertIn(message % name, r.stderr)
        self.assertNoPages()

    def test_unreadable_input_exits_5_naming_the_file(self):
        missing = os.path.join(self.box.root, "gone.sdf")
        for args, named in [
            ({"sdf": missing}, missing),
            ({"sdf": self.box.root}, self.box.root + ": it is a folder"),
            ({"page": missing}, missing),
        ]:
            with self.subTest(args=args):
                r = self.box.fill(**args)
                self.assertEqual((r.returncode, r.stdout), (5, ""))
                self.assertIn("Unable to read " + named, r.stderr)
        self.assertNoPages()
        self.assertFalse(os.path.exists(self.settings_file()))

    def test_unwritable_page_exits_5(self):
        os.mkdir(self.box.path("~mainauto.htm"))
        r = self.box.fill()
        self.assertEqual((r.returncode, r.stdout), (5, ""))
        self.assertIn("Unable to write to " + self.box.path("~mainauto.htm"), r.stderr)

    def test_missing_engine_file_exits_5_and_marks_it_for_update(self):
        se_file = self.box.path("sedata.dat")
        for prepare in (os.remove, lambda path: open(path, "w").close()):
            with self.subTest(prepare=prepare):
                prepare(se_file)
                r = self.box.fill()
                self.assertEqual((r.returncode, r.stdout), (5, ""))
                self.assertIn("Unable to read " + se_file, r.stderr)
                self.assertIn("Please select Update from the file menu", r.stderr)
                settings = configparser.ConfigParser(interpolation=None)
                self.assertEqual(settings.read(self.settings_file()), [self.settings_file()])
                self.assertEqual(settings.get("Updates", "sedata.dat"), "1")
        self.assertNoPages()

    def settings_file(self):
        return os.path.join(self.box.config, "siteherald", "siteherald.ini")


if __name__ == "__main__":
    e2e.main()
