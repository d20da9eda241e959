#!/usr/bin/env python3
"""The filled page in a real browser: headless Chromium opens ~auto.htm from the data
directory, and each frame's live state (form controls, links, form targets) is read back
over the DevTools protocol, so nothing is added to the generated files."""

import json
import os
import pathlib
import select
import signal
import subprocess
import tempfile
import time
import unittest

import siteherald_e2e as e2e
from siteherald_e2e import Sandbox

CHROMIUM = "/usr/bin/chromium"
ROOT = "http://www.lighthouse-search.example"
SNAPSHOT = """JSON.stringify({
  url: location.href, title: document.title,
  text: document.body ? document.body.innerText : "",
  controls: Object.fromEntries([...document.querySelectorAll("input, textarea, select")]
      .filter(e => e.name).map(e => [e.name, e.value])),
  actions: [...document.forms].map(f => f.getAttribute("action")),
  links: [...document.links].map(a => [a.getAttribute("href"), a.href]),
  images: [...document.images].map(i => i.getAttribute("src")),
})"""


class Chromium:
    """Chromium driven over --remote-debugging-pipe (commands on fd 3, replies on fd 4)."""

    def __init__(self, profile):
        def pipes_to_3_and_4():
            os.dup2(0, 3)
            os.dup2(1, 4)
            null = os.open(os.devnull, os.O_RDWR)
            os.dup2(null, 0)
            os.dup2(null, 1)

        self.proc = subprocess.Popen(
            [CHROMIUM, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
             "--no-first-run", "--disable-background-networking", "--disable-component-update",
             "--disable-sync", "--host-resolver-rules=MAP * ~NOTFOUND",
             "--user-data-dir=" + profile, "--remote-debugging-pipe", "about:blank"],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
            preexec_fn=pipes_to_3_and_4, close_fds=False, start_new_session=True)
        self.buffer, self.last_id, self.events = b"", 0, []
        target = self.call("Target.createTarget", url="about:blank")["targetId"]
        self.session = self.call("Target.attachToTarget", targetId=target, flatten=True)["sessionId"]
        self.call("Page.enable")

    def close(self):
        try:
            self.call("Browser.close")
            self.proc.wait(10)
        except Exception:
            os.killpg(self.proc.pid, signal.SIGKILL)
            self.proc.wait()
        self.proc.stdin.close()
        self.proc.stdout.close()

    def message(self, deadline):
        while b"\0" not in self.buffer:
            if not select.select([self.proc.stdout], [], [], max(0, deadline - time.time()))[0]:
                raise TimeoutError("no reply from Chromium")
            chunk = os.read(self.proc.stdout.fileno(), 65536)
            if not chunk:
                raise EOFError("Chromium closed the pipe")
            self.buffer += chunk
        message, self.buffer = self.buffer.split(b"\0", 1)
        return json.loads(message)

    def call(self, method, **params):
        self.last_id += 1
        command = dict(id=self.last_id, method=method, params=params)
        if method.split(".")[0] in ("Page", "Runtime"):
            command["sessionId"] = self.session
        self.proc.stdin.write(json.dumps(command).encode() + b"\0")
        self.proc.stdin.flush()
        deadline = time.time() + 30
        while (message := self.message(deadline)).get("id") != self.last_id:
            self.events.append(message)
        if "error" in message:
            raise RuntimeError("%s: %s" % (method, message["error"]))
        return message["result"]

    def frames(self, path):
        """Opens the file PATH; returns the snapshots of its child frames by name."""
        self.events.clear()
        self.call("Page.navigate", url=pathlib.Path(path).as_uri())
        deadline = time.time() + 30
        while not any(m.get("method") == "Page.loadEventFired" for m in self.events):
            self.events.append(self.message(deadline))
        tree = self.call("Page.getFrameTree")["frameTree"]

        def snapshot(frame):
            world = self.call("Page.createIsolatedWorld", frameId=frame["id"],
                              worldName="siteherald-test")["executionContextId"]
            result = self.call("Runtime.evaluate", contextId=world,
                               expression=SNAPSHOT, returnByValue=True)["result"]
            return json.loads(result["value"])

        return {c["frame"].get("name"): snapshot(c["frame"]) for c in tree.get("childFrames", [])}


# Pages shaped as sites ship them, filled for the demo engine: each is checked byte for byte
# against its .filled.html, scanned, and opened in Chromium. Every one holds the six mapped
# fields, a password box and a box "q" of its own ("own" or another value, kept).
SHAPE_SCANS = {
    "minified": ["q", "url", "title", "email", "keywords", "contact", "description"],
    "single_quotes": ["url", "title", "email", "keywords", "contact", "description", "q"],
    "unquoted_name_first": ["url", "title", "email", "keywords", "contact", "description", "q"],
    "existing_values": ["url", "title", "email", "keywords", "contact", "description", "q"],
    "upper_case": ["URL", "Title", "EMAIL", "KEYWORDS", "Contact", "DESCRIPTION", "q"],
    "forms_on_one_line": ["q", "url", "title", "email", "keywords", "contact", "description"],
}
SITE_VALUES = {
    "url": "https://harbour-kayaks.example/?ref=lighthouse&lang=en",
    "title": "Harbour Kayak Tours",
    "email": "robin@harbour-kayaks.example",
    "keywords": 'kayak, sea kayaking, "harbour tours", paddling',
    "contact": "Robin Fairweather",
    "description": 'Guided sea-kayak tours of the harbour & the islands, for beginners and '
                   '"old salts" alike.\nSmall groups (<8 boats), every day from April to October.',
}


class Browser(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if not os.path.exists(CHROMIUM):
            raise AssertionError(CHROMIUM + " is missing: the browser tests need Chromium")
        profile = tempfile.TemporaryDirectory(prefix="sh-chromium-")
        cls.addClassCleanup(profile.cleanup)
        cls.chromium = Chromium(profile.name)
        cls.addClassCleanup(cls.chromium.close)

    def setUp(self):
        self.box = Sandbox(self)

    def fill(self, engine=e2e.ENGINE, page=None):
        r = self.box.fill(engine, page=page)
        self.assertEqual((r.returncode, r.stderr), (0, ""))
        return self.chromium.frames(r.stdout.strip())

    def test_each_shape_is_filled_byte_for_byte_scanned_and_shown(self):
        for name, scan in SHAPE_SCANS.items():
            with self.subTest(name):
                page = e2e.fixture("shapes", name + ".html")
                main = self.fill("Siteherald Demo Engine", page)["Main"]
                with open(self.box.path("~mainauto.htm"), "rb") as filled, \
                        open(e2e.fixture("shapes", name + ".filled.html"), "rb") as expected:
                    self.assertEqual(filled.read().decode(), expected.read().decode())
                r = self.box.run("scan", "--page", page)
                self.assertEqual((r.returncode, r.stderr), (0, ""))
                self.assertEqual(r.stdout.splitlines(), [
                    f + (" (Textarea)" if f.lower() == "description" else " (Text Box)")
                    for f in scan])
                controls = {k.lower(): v for k, v in main["controls"].items()}
                for field, value in SITE_VALUES.items():
                    self.assertTrue(controls[field].startswith(value), field)
                self.assertEqual(controls["password"], "secret" if name == "existing_values" else "")
                self.assertEqual(controls.get("q", "own"), "own")

    def test_filled_page_in_its_frame_page(self):
        frames = self.fill()
        self.assertEqual(sorted(frames), ["Ad", "Main"])
        ad, main = frames["Ad"], frames["Main"]
        self.assertEqual(ad["url"], pathlib.Path(self.box.path("~adauto.htm")).as_uri())
        self.assertIn("filled in the submission form of Lighthouse Search", ad["text"])
        self.assertEqual(main["url"], pathlib.Path(self.box.path("~mainauto.htm")).as_uri())
        self.assertEqual(main["title"], "Lighthouse Search: Add Your Site")
        # The mapped boxes hold the site's values; the others keep their own.
        self.assertEqual(main["controls"], dict(
            {k: v for k, v in SITE_VALUES.items() if k != "contact"}, q="", lang="en",
            src="addurl", ts="1041379200", cat="Recreation", pw="", agree="yes", nl_email="",
            next="/addurl/", user="", **{"pass": ""}))
        self.assertEqual(main["actions"], [
            ROOT + "/cgi-bin/search.cgi", ROOT + "/addurl/submit.cgi", ROOT + "/addurl/index.html",
            "https://secure.lighthouse-search.example/account/login"])
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
