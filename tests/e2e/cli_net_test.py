#!/usr/bin/env python3
"""siteherald-cli get, and fill without --page, against loopback HTTP and HTTPS servers."""

import os
import subprocess
import tempfile
import unittest

import siteherald_e2e as e2e
from siteherald_e2e import ENGINE, Sandbox, http_server, run_cli

BINARY = bytes(range(256)) * 8 + b"\r\n\x00\r\rend"
PAGES = ("~mainauto.htm", "~adauto.htm", "~auto.htm")
BIG = 21 << 20  # over the 20 MB that a submission page may have


def openssl(*args, cwd):
    subprocess.run(["openssl", *args], cwd=cwd, check=True, capture_output=True, timeout=60)


def make_certificates(folder):
    """A test CA (ca.pem) and a server certificate for localhost and 127.0.0.1 signed by it
    (server.pem, server.key)."""
    ec = ["-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes"]
    openssl("req", "-x509", *ec, "-keyout", "ca.key", "-out", "ca.pem", "-days", "2",
            "-subj", "/CN=Siteherald Test CA", "-addext", "basicConstraints=critical,CA:TRUE",
            "-addext", "keyUsage=critical,keyCertSign,cRLSign", cwd=folder)
    openssl("req", *ec, "-keyout", "server.key", "-out", "server.csr", "-subj", "/CN=localhost",
            cwd=folder)
    with open(os.path.join(folder, "server.ext"), "w") as f:
        f.write("subjectAltName=DNS:localhost,IP:127.0.0.1\nbasicConstraints=CA:FALSE\n"
                "extendedKeyUsage=serverAuth\n")
    openssl("x509", "-req", "-in", "server.csr", "-CA", "ca.pem", "-CAkey", "ca.key",
            "-CAcreateserial", "-out", "server.pem", "-days", "2", "-extfile", "server.ext",
            cwd=folder)


class https_server:
    """openssl s_server -WWW serving DIRECTORY with the certificates of make_certificates;
    gives "https://127.0.0.1:PORT/"."""

    def __init__(self, directory, certificates):
        self.directory, self.certificates = directory, certificates

    def __enter__(self):
        port = e2e.free_port()
        self.process = subprocess.Popen(
            ["openssl", "s_server", "-accept", "127.0.0.1:%d" % port, "-WWW", "-cert",
             os.path.join(self.certificates, "server.pem"), "-key",
             os.path.join(self.certificates, "server.key")],
            cwd=self.directory, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL)
        try:
            e2e.wait_for_port(port, self.process)
        except BaseException:
            self.__exit__()
            raise
        self.port = port
        return "https://127.0.0.1:%d/" % port

    def __exit__(self, *exc):
        self.process.terminate()
        self.process.wait(timeout=10)


class NetTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls._tmp = tempfile.TemporaryDirectory(prefix="sh-net-")
        cls.certs = os.path.join(cls._tmp.name, "certs")
        cls.www = os.path.join(cls._tmp.name, "www")
        os.makedirs(cls.certs)
        os.makedirs(os.path.join(cls.www, "addurl"))
        make_certificates(cls.certs)
        with open(os.path.join(cls.www, "blob.bin"), "wb") as f:
            f.write(BINARY)
        with open(os.path.join(cls.www, "big.html"), "wb") as f:
            f.truncate(BIG)
        with open(e2e.page_file(), "rb") as src, \
                open(os.path.join(cls.www, "addurl", "index.html"), "wb") as dst:
            dst.write(src.read())
        cls.trusted = {"SSL_CERT_FILE": os.path.join(cls.certs, "ca.pem"), "SSL_CERT_DIR": None}

    @classmethod
    def tearDownClass(cls):
        cls._tmp.cleanup()

    def setUp(self):
        self.box = Sandbox()
        self.addCleanup(self.box.cleanup)


class Get(NetTest):
    def test_http_body_byte_for_byte_and_failures_exit_4(self):
        with http_server(self.www) as base:
            r = run_cli(self.box, "get", base + "blob.bin", binary=True)
            self.assertEqual((r.returncode, r.stderr), (0, b""))
            self.assertEqual(r.stdout, BINARY)
            r = run_cli(self.box, "get", base + "big.html", binary=True)
            self.assertEqual((r.returncode, len(r.stdout)), (0, BIG))

            r = run_cli(self.box, "scan", base + "big.html")
            self.assertEqual((r.returncode, r.stderr.splitlines()[0]),
                             (4, "siteherald-cli: %sbig.html: The page is larger than 20 MB." % base))
            r = run_cli(self.box, "get", base + "missing.txt")
            self.assertEqual((r.returncode, r.stdout), (4, ""))
            self.assertEqual(r.stderr, "siteherald-cli: %smissing.txt: File not found\n" % base)

        gone = "http://127.0.0.1:%d/blob.bin" % e2e.free_port()
        r = run_cli(self.box, "get", gone)
        self.assertEqual((r.returncode, r.stdout), (4, ""))
        self.assertTrue(r.stderr.startswith("siteherald-cli: %s: " % gone), r.stderr)

    def test_https_verifies_the_server_certificate(self):
        server = https_server(self.www, self.certs)
        with server as base:
            for address in (base, "https://localhost:%d/" % server.port):
                r = run_cli(self.box, "get", address + "blob.bin", env=self.trusted, binary=True)
                self.assertEqual((r.returncode, r.stderr), (0, b""), address)
                self.assertEqual(r.stdout, BINARY)

            r = run_cli(self.box, "get", base + "blob.bin",
                        env={"SSL_CERT_FILE": None, "SSL_CERT_DIR": None})
            self.assertEqual((r.returncode, r.stdout), (4, ""))
            self.assertIn("certificate", r.stderr)


class FillDownload(NetTest):
    def use_address(self, address):
        """Points Lighthouse Search's submission address (field 2 of its engine line) at
        ADDRESS in the sandbox's sedata.dat."""
        lines = self.box.lines("sedata.dat")
        i = lines.index("$" + ENGINE + "$") + 1
        fields = lines[i].split("|")
        fields[1] = address
        lines[i] = "|".join(fields)
        with open(self.box.path("sedata.dat"), "wb") as f:
            f.write("".join(l + "\r\n" for l in lines).encode())

    def assertFilled(self, r, directory):
        self.assertEqual((r.returncode, r.stderr), (0, ""))
        self.assertEqual(r.stdout, self.box.path("~auto.htm") + "\n")
        main = self.box.lines("~mainauto.htm")
        self.assertEqual(main[2], '<HEAD><base href="%s">' % directory)
        self.assertIn('<TR><TD><B>URL:</B></TD><TD><INPUT TYPE="text" NAME="url" SIZE="50" '
                      'VALUE="https://harbour-kayaks.example/?ref=lighthouse&amp;lang=en">'
                      '</TD></TR>', main)

    def test_page_is_downloaded_over_http_and_https(self):
        with http_server(self.www) as base:
            self.use_address(base + "addurl/index.html")
            self.assertFilled(self.box.run("fill", ENGINE, e2e.sdf_file()), base + "addurl/")
        for name in PAGES:
            os.remove(self.box.path(name))
        with https_server(self.www, self.certs) as base:
            self.use_address(base + "addurl/index.html")
            r = run_cli(self.box, "fill", ENGINE, e2e.sdf_file(), env=self.trusted)
            self.assertFilled(r, base + "addurl/")

    def test_page_not_found_or_too_large_exits_4_without_pages(self):
        for page in ("addurl/gone.html", "big.html"):
            with http_server(self.www) as base:
                address = base + page
                self.use_address(address)
                r = self.box.run("fill", ENGINE, e2e.sdf_file())
            self.assertEqual((r.returncode, r.stdout), (4, ""))
            self.assertIn('Unable to retrieve "%s".\n' % address, r.stderr)
            for name in PAGES:
                self.assertFalse(os.path.exists(self.box.path(name)), name)


if __name__ == "__main__":
    e2e.main()
