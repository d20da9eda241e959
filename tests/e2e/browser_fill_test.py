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


def setUpModule():
    global box, top, frames
    if not os.path.exists(CHROMIUM):
        raise AssertionError(CHROMIUM + " is missing: the browser tests need Chromium")
    box = Sandbox()
    filled = box.fill()
    if filled.returncode != 0:
        box.cleanup()
        raise AssertionError("siteherald-cli fill failed: " + filled.stderr)
    with tempfile.TemporaryDirectory(prefix="sh-chromium-") as profile:
        browser = DevTools(profile)
        try:
            top, frames = browser.frames(pathlib.Path(filled.stdout.strip()).as_uri())
        finally:
            browser.close()


def tearDownModule():
    box.cleanup()


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
