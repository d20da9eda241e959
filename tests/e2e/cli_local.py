#!/usr/bin/env python3
"""siteherald-cli on local files: fill's pages, and the exit status and message of each kind
of failure of fill, scan and send."""

import os
import unittest

import siteherald_e2e as e2e
from siteherald_e2e import ENGINE, Sandbox, read_lines

USAGE = "Usage: siteherald-cli COMMAND [ARGUMENTS]"


class Cli(unittest.TestCase):
    def setUp(self):
        self.box = Sandbox(self.addCleanup)

    def test_fill_writes_the_three_pages_and_prints_the_frame_page(self):
        r = self.box.fill()
        self.assertEqual((r.returncode, r.stdout, r.stderr), (0, self.box.path("~auto.htm") + "\n", ""))
        page, main = read_lines(e2e.page_file()), self.box.lines("~mainauto.htm")
        # The title box's tag spanned three lines; the description's value is two lines long.
        self.assertEqual(len(main), len(page) - 2 + 1)
        self.assertEqual(main[2], '<HEAD><base href="http://www.lighthouse-search.example/addurl/">')
        self.assertIn('<TR><TD><B>URL:</B></TD><TD><INPUT TYPE="text" NAME="url" SIZE="50" '
                      'VALUE="https://harbour-kayaks.example/?ref=lighthouse&amp;lang=en">'
                      '</TD></TR>', main)
        ad, frame = self.box.lines("~adauto.htm"), self.box.lines("~auto.htm")
        self.assertIn("<title>Siteherald: Lighthouse Search</title>", ad)
        self.assertEqual(frame[0], '<frameset rows="80,*">')
        self.assertIn(' src="~adauto.htm" ', frame[1])
        self.assertIn(' src="~mainauto.htm" ', frame[2])
        hr = 6 + len(ad)
        self.assertEqual(frame[3:hr], ["<noframes>", "<html>", "<body>"] + ad)
        self.assertTrue(frame[hr].startswith("<br><hr "), frame[hr])
        self.assertEqual(frame[hr + 1:], main + ["</body>", "</html>", "</noframes>", "</frameset>"])

        r = self.box.run("fill", ENGINE, e2e.fixture("harbour_kayaks.sdf"), "--page=" + e2e.page_file())
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertEqual(self.box.lines("~mainauto.htm"), main)

    def test_help(self):
        r = self.box.run("--help")
        self.assertEqual((r.returncode, r.stderr), (0, ""))
        self.assertTrue(r.stdout.startswith(USAGE), r.stdout)
        self.assertIn("  fill ENGINE SDF-FILE [--page PAGE-FILE]\n", r.stdout)

    def test_failures_exit_with_their_status_and_write_no_page(self):
        sdf, page = e2e.fixture("harbour_kayaks.sdf"), e2e.page_file()
        missing, folder = os.path.join(self.box.root, "gone.sdf"), self.box.root
        with open(self.box.path("sedata.dat"), "a", newline="") as f:
            f.write("$No Address$\r\nNo Address|\r\n$No Address$\r\n"
                    "$Empty$\r\nEmpty||http://info/|\r\n$Empty$\r\n$Cut$\r\n")
        unknown = 'no search engine named "%s" in ' + self.box.path("sedata.dat")
        damaged = "The record of %s in sedata.dat is damaged."
        scan = "scan --page FILE"
        for status, args, messages in [
            (2, [], [USAGE]),
            (2, ["submit"], [USAGE, 'unknown command "submit"']),
            (2, ["fill"], [USAGE, "fill takes an engine name and a submission data file"]),
            (2, ["fill", ENGINE, sdf, "--page"], [USAGE, "--page needs a file name"]),
            (2, ["fill", ENGINE, "--page", page], [USAGE, "fill takes an engine name"]),
            (2, ["fill", ENGINE, sdf, "--page", page, "--open"], ['unknown option "--open"']),
            (2, ["scan"], [scan]), (2, ["scan", "--page"], [scan]), (2, ["scan", "-x"], [scan]),
            (2, ["scan", "--page", page, "extra"], [scan]), (2, ["scan", page, page], [scan]),
            (2, ["send", e2e.fixture("broadcast.sdf")], [USAGE]),
            (3, ["fill", "Altavista", sdf], [unknown % "Altavista"]),
            # Engine names are matched as written.
            (3, ["fill", "lighthouse search", sdf], [unknown % "lighthouse search"]),
            (3, ["fill", "No Address", sdf], [damaged % "No Address"]),
            (3, ["fill", "Empty", sdf], [damaged % "Empty"]),
            (3, ["fill", "Cut", sdf], [damaged % "Cut"]),
            (5, ["fill", ENGINE, missing], ["Unable to read " + missing]),
            (5, ["fill", ENGINE, folder], ["Unable to read %s: it is a folder" % folder]),
            (5, ["fill", ENGINE, sdf, "--page", missing], ["Unable to read " + missing]),
            (5, ["scan", "--page", missing],
             ["siteherald-cli: Unable to read %s: No such file\n" % missing]),
            (5, ["send", missing, "Subject", "--newsgroup", "a.b"], ["Unable to read " + missing]),
        ]:
            with self.subTest(args=args):
                r = self.box.run(*args)
                self.assertEqual((r.returncode, r.stdout), (status, ""))
                for message in messages:
                    self.assertIn(message, r.stderr)
        self.assertEqual(self.box.pages(), [])
        self.assertFalse(os.path.exists(self.box.ini))

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
                self.assertEqual(self.box.setting("Updates", "sedata.dat"), "1")
        self.assertEqual(self.box.pages(), [])


if __name__ == "__main__":
    e2e.main()
