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
