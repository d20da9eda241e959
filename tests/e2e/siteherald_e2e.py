"""Shared by the end-to-end scripts, each run as  SCRIPT SITEHERALD-CLI SOURCE-DIR [unittest
arguments]: the fixtures, siteherald-cli run in a sandbox with its own data directory and
settings folder, and a loopback HTTP(S) server."""

import configparser
import functools
import http.server
import os
import shutil
import socket
import ssl
import subprocess
import sys
import tempfile
import threading
import unittest

CLI = SOURCE = None
ENGINE = "Lighthouse Search"


def fixture(*parts):
    return os.path.join(SOURCE, "tests", "fixtures", *parts)


def page_file():
    return fixture("pages", "lighthouse_addurl.html")


def read_lines(path):
    """The file's lines; fails on a line ending other than CR LF."""
    with open(path, "rb") as f:
        data = f.read()
    body = data[:-2].split(b"\r\n")
    assert data.endswith(b"\r\n") and not any(b"\r" in l or b"\n" in l for l in body), path
    return [l.decode() for l in body]


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb" if isinstance(data, bytes) else "w") as f:
        f.write(data)


def free_port():
    """A loopback port nothing listens on at the moment."""
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Sandbox:
    """A temporary data directory seeded from tests/fixtures/data, and a settings folder;
    ADD_CLEANUP (addCleanup or addClassCleanup) removes them."""

    def __init__(self, add_cleanup):
        tmp = tempfile.TemporaryDirectory(prefix="sh-e2e-")
        add_cleanup(tmp.cleanup)
        self.root, self.data = tmp.name, os.path.join(tmp.name, "data")
        shutil.copytree(fixture("data"), self.data)
        self.ini = os.path.join(self.root, "config", "siteherald", "siteherald.ini")

    def path(self, name):
        return os.path.join(self.data, name)

    def lines(self, name):
        return read_lines(self.path(name))

    def pages(self):
        """The filled pages that exist."""
        return [n for n in ("~mainauto.htm", "~adauto.htm", "~auto.htm")
                if os.path.exists(self.path(n))]

    def run(self, *args, env=None, binary=False):
        """siteherald-cli ARGS, stdin not a terminal, ENV added to its environment (None removes
        a variable); output as bytes when BINARY."""
        full = dict(os.environ, SITEHERALD_DATA_DIR=self.data, HOME=self.root,
                    XDG_CONFIG_HOME=os.path.join(self.root, "config"), **(env or {}))
        return subprocess.run([CLI, *args], env={k: v for k, v in full.items() if v is not None},
                              capture_output=True, text=not binary, stdin=subprocess.DEVNULL,
                              timeout=60)

    def fill(self, engine=ENGINE, page=None):
        return self.run("fill", engine, fixture("harbour_kayaks.sdf"), "--page", page or page_file())

    def write_settings(self, sections):
        """Writes the settings file from {section: {key: value}}."""
        write(self.ini, "".join("[%s]\n" % s + "".join("%s=%s\n" % kv for kv in keys.items())
                                for s, keys in sections.items()))

    def setting(self, section, key):
        settings = configparser.ConfigParser(interpolation=None)
        settings.optionxform = str
        settings.read(self.ini)
        return settings.get(section, key, fallback=None)


class Handler(http.server.SimpleHTTPRequestHandler):
    def do_GET(self):
        return self.send_error(500) if self.path.startswith("/500/") else super().do_GET()

    def log_message(self, *args):
        pass


def serve(test_class, directory, tls=None):
    """Serves DIRECTORY on loopback until the tests of TEST_CLASS end, over HTTPS with TLS =
    (certificate, key); addresses under /500/ fail with status 500. Returns the base address."""
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0),
                                             functools.partial(Handler, directory=directory))
    server.handle_error = lambda *args: None  # a client that stops reading a big page
    if tls:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(*tls)
        server.socket = context.wrap_socket(server.socket, server_side=True)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    test_class.addClassCleanup(server.server_close)
    test_class.addClassCleanup(server.shutdown)
    return "%s://127.0.0.1:%d/" % ("https" if tls else "http", server.server_port)


def main():
    global CLI, SOURCE
    if len(sys.argv) < 3:
        sys.exit("usage: %s SITEHERALD-CLI SOURCE-DIR [unittest arguments]" % sys.argv[0])
    CLI, SOURCE = sys.argv[1:3]
    del sys.argv[1:3]
    unittest.main(module="__main__", verbosity=2)
