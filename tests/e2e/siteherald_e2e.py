"""Shared by the end-to-end scripts: the fixture paths and a sandbox in which
siteherald-cli runs with its own data directory and settings folder.

Each script is run as:  SCRIPT SITEHERALD-CLI SOURCE-DIR [unittest arguments]
"""

import os
import shutil
import subprocess
import sys
import tempfile
import unittest

CLI = None
SOURCE = None

ENGINE = "Lighthouse Search"
SUBMISSION_DIR = "http://www.lighthouse-search.example/addurl/"


def fixture(*parts):
    return os.path.join(SOURCE, "tests", "fixtures", *parts)


def sdf_file():
    return fixture("harbour_kayaks.sdf")


def page_file():
    return fixture("pages", "lighthouse_addurl.html")


class Sandbox:
    """A temporary data directory seeded from tests/fixtures/data, and a settings folder."""

    def __init__(self):
        self._tmp = tempfile.TemporaryDirectory(prefix="sh-e2e-")
        self.root = self._tmp.name
        self.data = os.path.join(self.root, "data")
        self.config = os.path.join(self.root, "config")
        shutil.copytree(fixture("data"), self.data)
        os.mkdir(self.config)

    def cleanup(self):
        self._tmp.cleanup()

    def path(self, name):
        return os.path.join(self.data, name)

    def run(self, *args):
        env = dict(os.environ, SITEHERALD_DATA_DIR=self.data, XDG_CONFIG_HOME=self.config,
                   HOME=self.root)
        return subprocess.run([CLI, *args], env=env, capture_output=True, text=True, timeout=60)

    def fill(self, engine=ENGINE, sdf=None, page=None):
        return self.run("fill", engine, sdf or sdf_file(), "--page", page or page_file())

    def lines(self, name):
        return read_lines(self.path(name))


def read_lines(path):
    """The file's lines; fails on a line ending other than CR LF."""
    with open(path, "rb") as f:
        data = f.read()
    assert data.endswith(b"\r\n"), path
    body = data[:-2].split(b"\r\n")
    assert not any(b"\r" in l or b"\n" in l for l in body), path + " has a bare CR or LF"
    return [l.decode() for l in body]


def main():
    global CLI, SOURCE
    if len(sys.argv) < 3:
        sys.exit("usage: %s SITEHERALD-CLI SOURCE-DIR [unittest arguments]" % sys.argv[0])
    CLI, SOURCE = sys.argv[1], sys.argv[2]
    del sys.argv[1:3]
    # unittest.main exits with 1 when a test fails or errs.
    unittest.main(module="__main__", verbosity=2)


# Network helpers for the update, get and fill-download scripts. Everything listens on
# 127.0.0.1 only.

def free_port():
    """A loopback port nothing listens on at the moment."""
    import socket
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_for_port(port, process, seconds=15):
    """Waits until PORT accepts connections; fails when PROCESS ends first."""
    import socket
    import time
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if process.poll() is not None:
            raise RuntimeError("server ended with status %d" % process.returncode)
        try:
            socket.create_connection(("127.0.0.1", port), timeout=1).close()
            return
        except OSError:
            time.sleep(0.05)
    raise RuntimeError("server on port %d did not start" % port)


class http_server:
    """python3 -m http.server serving DIRECTORY; `with http_server(d) as base:` gives
    "http://127.0.0.1:PORT/"."""

    def __init__(self, directory):
        self.directory = directory

    def __enter__(self):
        port = free_port()
        self.process = subprocess.Popen(
            [sys.executable, "-m", "http.server", "--bind", "127.0.0.1", str(port),
             "--directory", self.directory],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            wait_for_port(port, self.process)
        except BaseException:
            self.__exit__()
            raise
        return "http://127.0.0.1:%d/" % port

    def __exit__(self, *exc):
        self.process.terminate()
        self.process.wait(timeout=10)


def run_cli(box, *args, env=None, binary=False):
    """Runs siteherald-cli in the sandbox like Sandbox.run, with ENV added to its environment
    (a value of None removes the variable), stdin not a terminal, output as bytes when
    BINARY."""
    full = dict(os.environ, SITEHERALD_DATA_DIR=box.data, XDG_CONFIG_HOME=box.config,
                HOME=box.root)
    for name, value in (env or {}).items():
        if value is None:
            full.pop(name, None)
        else:
            full[name] = value
    return subprocess.run([CLI, *args], env=full, capture_output=True, text=not binary,
                          stdin=subprocess.DEVNULL, timeout=60)


def settings_path(box):
    return os.path.join(box.config, "siteherald", "siteherald.ini")


def write_settings(box, sections):
    """Writes the sandbox's settings file from {section: {key: value}}."""
    os.makedirs(os.path.dirname(settings_path(box)), exist_ok=True)
    with open(settings_path(box), "w") as f:
        for section, keys in sections.items():
            f.write("[%s]\n" % section)
            for key, value in keys.items():
                f.write("%s=%s\n" % (key, value))


def read_settings(box):
    import configparser
    settings = configparser.ConfigParser(interpolation=None)
    settings.optionxform = str
    settings.read(settings_path(box))
    return settings
