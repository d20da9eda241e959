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
  url: location.href,
  title: document.title,
  text: document.body ? document.body.innerText : "",
  controls: Object.fromEntries([...document.querySelectorAll("input, textarea, select")]
      .filter(e => e.name).map(e => [e.name, e.value])),
  actions: [...document.forms].map(f => f.getAttribute("action")),
  links: [...document.links].map(a => [a.getAttribute("href"), a.href]),
  images: [...document.images].map(i => i.getAttribute("src")),
})"""


class DevTools:
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
        self.buffer = b""
        self.last_id = 0
        self.events = []

    def close(self):
        try:
            self.call("Browser.close")
            self.proc.wait(10)
        except Exception:
            os.killpg(self.proc.pid, signal.SIGKILL)
            self.proc.wait()
        self.proc.stdin.close()
        self.proc.stdout.close()

    def _message(self, deadline):
        while b"\0" not in self.buffer:
            ready, _, _ = select.select([self.proc.stdout], [], [], max(0, deadline - time.time()))
            if not ready:
                raise TimeoutError("no reply from Chromium")
            chunk = os.read(self.proc.stdout.fileno(), 65536)
            if not chunk:
                raise EOFError("Chromium closed the pipe")
            self.buffer += chunk
        message, self.buffer = self.buffer.split(b"\0", 1)
        return json.loads(message)

    def call(self, method, session=None, **params):
        self.last_id += 1
        command = {"id": self.last_id, "method": method, "params": params}
        if session:
            command["sessionId"] = session
        self.proc.stdin.write(json.dumps(command).encode() + b"\0")
        self.proc.stdin.flush()
        deadline = time.time() + 30
        while True:
            message = self._message(deadline)
            if message.get("id") == self.last_id:
                if "error" in message:
                    raise RuntimeError("%s: %s" % (method, message["error"]))
                return message["result"]
            self.events.append(message)

    def wait_for(self, event):
        deadline = time.time() + 30
        while True:
            for i, message in enumerate(self.events):
                if message.get("method") == event:
                    return self.events.pop(i)
            self.events.append(self._message(deadline))

    def frames(self, url):
        """Opens url; returns the snapshot of the top frame and of each child frame by name."""
        target = self.call("Target.createTarget", url="about:blank")["targetId"]
        session = self.call("Target.attachToTarget", targetId=target, flatten=True)["sessionId"]
        self.call("Page.enable", session=session)
        self.call("Page.navigate", session=session, url=url)
        self.wait_for("Page.loadEventFired")
        tree = self.call("Page.getFrameTree", session=session)["frameTree"]

        def snapshot(frame):
            world = self.call("Page.createIsolatedWorld", session=session, frameId=frame["id"],
                              worldName="siteherald-test")["executionContextId"]
            result = self.call("Runtime.evaluate", session=session, contextId=world,
                               expression=SNAPSHOT, returnByValue=True)["result"]
            return json.loads(result["value"])

        children = {c["frame"].get("name"): snapshot(c["frame"]) for c in tree.get("childFrames", [])}
        return snapshot(tree["frame"]), children


# Pages shaped as sites ship them, filled for the demo engine: each is checked byte for byte
# against its .filled.html, scanned, and opened in Chromium. Every one holds the six mapped
# fields, a password box and a box "q" of its own ("own" or another value, kept).
SHAPE_FIELDS = ["url", "title", "email", "keywords", "contact", "description"]
SHAPE_SCANS = {
    "minified": ["q", "url", "title", "email", "keywords", "contact", "description (Textarea)"],
    "single_quotes": ["url", "title", "email", "keywords", "contact", "description (Textarea)",
                      "q"],
    "unquoted_name_first": ["url", "title", "email", "keywords", "contact",
                            "description (Textarea)", "q"],
    "existing_values": ["url", "title", "email", "keywords", "contact", "description (Textarea)",
                        "q"],
    "upper_case": ["URL", "Title", "EMAIL", "KEYWORDS", "Contact", "DESCRIPTION (Textarea)", "q"],
    "forms_on_one_line": ["q", "url", "title", "email", "keywords", "contact",
                          "description (Textarea)"],
}
DEMO_ENGINE = "Siteherald Demo Engine"
SITE_VALUES = {
    "url": "https://harbour-kayaks.example/?ref=lighthouse&lang=en",
    "title": "Harbour Kayak Tours",
    "email": "robin@harbour-kayaks.example",
    "keywords": 'kayak, sea kayaking, "harbour tours", paddling',
    "contact": "Robin Fairweather",
    "description": 'Guided sea-kayak tours of the harbour & the islands, for beginners and '
                   '"old salts" alike.\nSmall groups (<8 boats), every day from April to October.',
}


def setUpModule():
    global box, top, frames, shapes
    if not os.path.exists(CHROMIUM):
        raise AssertionError(CHROMIUM + " is missing: the browser tests need Chromium")
    box = Sandbox()
    shapes = {}
    with tempfile.TemporaryDirectory(prefix="sh-chromium-") as profile:
        browser = DevTools(profile)
        try:
            def fill(engine, page=None):
                filled = box.fill(engine, page=page)
                if filled.returncode != 0:
                    raise AssertionError("siteherald-cli fill failed: " + filled.stderr)
                return browser.frames(pathlib.Path(filled.stdout.strip()).as_uri())
            for name in SHAPE_SCANS:
                page = e2e.fixture("shapes", name + ".html")
                _, shape_frames = fill(DEMO_ENGINE, page)
                with open(box.path("~mainauto.htm"), "rb") as f:
                    shapes[name] = (f.read(), shape_frames["Main"],
                                    box.run("scan", "--page", page))
            top, frames = fill(e2e.ENGINE)
        except BaseException:
            box.cleanup()
            raise
        finally:
            browser.close()


def tearDownModule():
    box.cleanup()


class PageShapes(unittest.TestCase):
    def test_each_shape_is_filled_byte_for_byte_scanned_and_shown(self):
        for name, scan in SHAPE_SCANS.items():
            with self.subTest(name):
                filled, main, scanned = shapes[name]
                with open(e2e.fixture("shapes", name + ".filled.html"), "rb") as f:
                    self.assertEqual(filled.decode(), f.read().decode())
                self.assertEqual(scanned.stdout.splitlines(),
                                 [f if " (" in f else f + " (Text Box)" for f in scan])
                controls = {k.lower(): v for k, v in main["controls"].items()}
                for field in SHAPE_FIELDS:
                    self.assertTrue(controls[field].startswith(SITE_VALUES[field]), field)
                self.assertEqual(controls["password"], "secret" if name == "existing_values" else "")
                self.assertEqual(controls.get("q", "own"), "own")


class FilledPageInBrowser(unittest.TestCase):
    def test_frame_page_holds_the_banner_and_the_filled_page(self):
        self.assertTrue(top["url"].endswith("/data/~auto.htm"), top["url"])
        self.assertEqual(sorted(frames), ["Ad", "Main"])
        self.assertEqual(frames["Ad"]["url"], pathlib.Path(box.path("~adauto.htm")).as_uri())
        self.assertIn("filled in the submission form of Lighthouse Search", frames["Ad"]["text"])
        self.assertEqual(frames["Main"]["url"], pathlib.Path(box.path("~mainauto.htm")).as_uri())
        self.assertEqual(frames["Main"]["title"], "Lighthouse Search: Add Your Site")

    def test_mapped_boxes_hold_the_site_values(self):
        controls = frames["Main"]["controls"]
        self.assertEqual(controls["url"], "https://harbour-kayaks.example/?ref=lighthouse&lang=en")
        self.assertEqual(controls["title"], "Harbour Kayak Tours")
        self.assertEqual(controls["email"], "robin@harbour-kayaks.example")
        self.assertEqual(controls["keywords"], 'kayak, sea kayaking, "harbour tours", paddling')
        self.assertEqual(controls["description"],
                         'Guided sea-kayak tours of the harbour & the islands, for beginners and '
                         '"old salts" alike.\nSmall groups (<8 boats), every day from April to '
                         'October.')

    def test_other_controls_keep_their_own_values(self):
        controls = frames["Main"]["controls"]
        expected = {"q": "", "lang": "en", "src": "addurl", "ts": "1041379200", "cat": "Recreation",
                    "pw": "", "agree": "yes", "nl_email": "", "next": "/addurl/", "user": "",
                    "pass": ""}
        self.assertEqual({name: controls.get(name) for name in expected}, expected)

    def test_forms_post_to_absolute_addresses(self):
        self.assertEqual(frames["Main"]["actions"], [
            ROOT + "/cgi-bin/search.cgi",
            ROOT + "/addurl/submit.cgi",
            ROOT + "/addurl/index.html",
            "https://secure.lighthouse-search.example/account/login",
        ])

    def test_links_and_images_are_absolute(self):
        links = dict(frames["Main"]["links"])
        self.assertEqual(list(links), [
            ROOT + "/",
            "/browse/",  # not in the <A HREF="..."> form: the <base href> resolves it
            ROOT + "/faq.html",
            ROOT + "/addurl/guidelines.html",
            "https://secure.lighthouse-search.example/account/",
            ROOT + "/addurl/guidelines.html#rules",
            ROOT + "/terms.html",
            ROOT + "/about.html",
            "mailto:editors@lighthouse-search.example",
            frames["Main"]["url"] + "#top",
            "http://www.lighthouse-partners.example/",
        ])
        self.assertEqual(links["/browse/"], ROOT + "/browse/")
        self.assertEqual(frames["Main"]["images"], [ROOT + "/images/lighthouse.gif"])


class InPageLinks(unittest.TestCase):
    # The <base href> would send "#top" to the engine's site; it must stay on the filled page.
    def test_fragment_link_stays_on_the_filled_page(self):
        links = dict(frames["Main"]["links"])
        self.assertEqual(links[frames["Main"]["url"] + "#top"], frames["Main"]["url"] + "#top")


if __name__ == "__main__":
    e2e.main()
