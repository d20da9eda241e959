#!/usr/bin/env python3
"""The filled pages in a real browser: headless Chromium opens each ~auto.htm in a frame of
a page of the test's own and prints, as that page's text, every frame's live state (form
controls, form targets, links), so nothing is added to the generated files."""

import html
import json
import os
import pathlib
import subprocess
import tempfile
import unittest

import siteherald_e2e as e2e
from siteherald_e2e import Sandbox

CHROMIUM = "/usr/bin/chromium"
ROOT = "http://www.lighthouse-search.example"
# Every frame of every <iframe> by name, read when all have loaded.
READER = """<script>onload = () => { document.body.textContent = JSON.stringify(
  [...document.querySelectorAll("iframe")].map(f => f.contentWindow).map(top =>
    Object.fromEntries(Array.from({length: top.frames.length}, (_, i) => top.frames[i]).map(w =>
      [w.name, {url: w.location.href, title: w.document.title, text: w.document.body.innerText,
        controls: Object.fromEntries([...w.document.querySelectorAll("input, textarea, select")]
          .filter(e => e.name).map(e => [e.name, e.value])),
        actions: [...w.document.forms].map(f => f.getAttribute("action")),
        links: [...w.document.links].map(a => [a.getAttribute("href"), a.href]),
        images: [...w.document.images].map(i => i.getAttribute("src"))}])))); };</script>"""

# Pages shaped as sites ship them, filled for the demo engine: each is checked byte for byte
# against its .filled.html, scanned, and opened in Chromium. Every one holds the six mapped
# fields, a password box and a box "q" of its own ("own" or another value, kept).
FIELDS = "url title email keywords contact description".split()
SHAPE_SCANS = {"minified": ["q"] + FIELDS, "single_quotes": FIELDS + ["q"],
               "unquoted_name_first": FIELDS + ["q"], "existing_values": FIELDS + ["q"],
               "upper_case": "URL Title EMAIL KEYWORDS Contact DESCRIPTION q".split(),
               "forms_on_one_line": ["q"] + FIELDS}


class Browser(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if not os.path.exists(CHROMIUM):
            raise AssertionError(CHROMIUM + " is missing: the browser tests need Chromium")
        cls.boxes, frames = {}, []
        for name in [None, *SHAPE_SCANS]:
            box = cls.boxes[name] = Sandbox(cls.addClassCleanup)
            if name:
                r = box.fill("Siteherald Demo Engine", page=e2e.fixture("shapes", name + ".html"))
            else:
                r = box.fill()
            assert r.returncode == 0, r.stderr
            frames.append('<iframe src="%s"></iframe>' % pathlib.Path(r.stdout.strip()).as_uri())
        tmp = tempfile.TemporaryDirectory(prefix="sh-chromium-")
        cls.addClassCleanup(tmp.cleanup)
        e2e.write(os.path.join(tmp.name, "pages.html"), "".join(frames) + READER)
        dump = subprocess.run(
            [CHROMIUM, "--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
             "--disable-background-networking", "--disable-component-update", "--disable-sync",
             "--allow-file-access-from-files", "--host-resolver-rules=MAP * ~NOTFOUND",
             "--user-data-dir=" + os.path.join(tmp.name, "profile"), "--dump-dom",
             pathlib.Path(tmp.name, "pages.html").as_uri()],
            capture_output=True, text=True, timeout=120).stdout
        shown = json.loads(html.unescape(dump.split("<body>", 1)[1].rsplit("</body>", 1)[0]))
        cls.shown = dict(zip(cls.boxes, shown))

    def test_each_shape_is_filled_byte_for_byte_scanned_and_shown(self):
        for name, scan in SHAPE_SCANS.items():
            with self.subTest(name):
                box = self.boxes[name]
                with open(box.path("~mainauto.htm"), "rb") as filled, \
                        open(e2e.fixture("shapes", name + ".filled.html"), "rb") as expected:
                    self.assertEqual(filled.read().decode(), expected.read().decode())
                r = box.run("scan", "--page", e2e.fixture("shapes", name + ".html"))
                self.assertEqual((r.returncode, r.stderr), (0, ""))
                self.assertEqual(r.stdout.splitlines(), [
                    f + (" (Textarea)" if f.lower() == "description" else " (Text Box)")
                    for f in scan])
                # The site's values as tests/ui reads them from the Lighthouse page, and its contact.
                controls = {k.lower(): v for k, v in self.shown[name]["Main"]["controls"].items()}
                values = dict(self.shown[None]["Main"]["controls"], contact="Robin Fairweather")
                for field in FIELDS:
                    self.assertTrue(controls[field].startswith(values[field]), field)
                self.assertEqual(controls["password"], "secret" if name == "existing_values" else "")
                self.assertEqual(controls.get("q", "own"), "own")

    def test_filled_page_in_its_frame_page(self):
        # Its frames, the mapped boxes' values and the forms' targets are read in tests/ui (GO).
        main = self.shown[None]["Main"]
        self.assertEqual(main["url"], pathlib.Path(self.boxes[None].path("~mainauto.htm")).as_uri())
        self.assertEqual(main["title"], "Lighthouse Search: Add Your Site")
        # The boxes that are not mapped keep their own values.
        self.assertEqual({k: v for k, v in main["controls"].items() if k not in FIELDS}, dict(
            q="", lang="en", src="addurl", ts="1041379200", cat="Recreation", pw="", agree="yes",
            nl_email="", next="/addurl/", user="", **{"pass": ""}))
        links = dict(main["links"])
        self.assertEqual(list(links), [
            ROOT + "/",
            "/browse/",  # not in the <A HREF="..."> form: the <base href> resolves it
            ROOT + "/faq.html", ROOT + "/addurl/guidelines.html",
            "https://secure.lighthouse-search.example/account/",
            ROOT + "/addurl/guidelines.html#rules", ROOT + "/terms.html", ROOT + "/about.html",
            "mailto:editors@lighthouse-search.example",
            # The <base href> would send "#top" to the engine's site; it stays on the filled page.
            main["url"] + "#top",
            "http://www.lighthouse-partners.example/",
        ])
        self.assertEqual(links["/browse/"], ROOT + "/browse/")
        self.assertEqual(main["images"], [ROOT + "/images/lighthouse.gif"])


if __name__ == "__main__":
    e2e.main()
