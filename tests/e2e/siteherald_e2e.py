#!/usr/bin/env python3
"""siteherald-cli end to end: fill, get, scan and update on fixture files and loopback HTTP(S)
(Commands), send to smtp_sink.py and to the INN server at SITEHERALD_TEST_NNTP, host:port
(Send), logins over TLS (Security), the filled pages in headless Chromium (Browser).
Arguments below."""

import collections, configparser, email.utils, functools, glob, html, http.server, importlib.util, json, os, pathlib
import re, shutil, socket, ssl, subprocess, sys, tempfile, threading, time, unittest, urllib.parse

if len(sys.argv) < 3:
    sys.exit("usage: %s SITEHERALD-CLI SOURCE-DIR [unittest arguments]" % sys.argv[0])
CLI, SOURCE = sys.argv[1:3]
del sys.argv[1:3]
ENGINE = "Lighthouse Search"
TMP = tempfile.TemporaryDirectory(prefix="sh-e2e-")  # removed at exit with all that is in it

def fixture(*parts): return os.path.join(SOURCE, "tests", "fixtures", *parts)

PAGE, SDF = fixture("pages", "lighthouse_addurl.html"), fixture("harbour_kayaks.sdf")

def read_lines(path):
    """The file's lines; fails on a line ending other than CR LF."""
    data = pathlib.Path(path).read_bytes()
    body = data[:-2].split(b"\r\n")
    assert data.endswith(b"\r\n") and not any(b"\r" in l or b"\n" in l for l in body), path
    return [l.decode() for l in body]

def write(path, data):
    """Writes DATA to PATH, creating folders; None removes the file."""
    if data is None:
        return os.remove(path)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb" if isinstance(data, bytes) else "w") as f:
        f.write(data)

def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]

class Sandbox:
    """A data directory seeded from tests/fixtures/data, and a settings folder."""

    def __init__(self):
        self.root = tempfile.mkdtemp(dir=TMP.name)
        self.data = os.path.join(self.root, "data")
        shutil.copytree(fixture("data"), self.data)
        self.ini = os.path.join(self.root, "config", "siteherald", "siteherald.ini")

    def path(self, name): return os.path.join(self.data, name)
    def lines(self, name): return read_lines(self.path(name))

    def run(self, *args, env=None, binary=False, stdout=subprocess.PIPE):
        """siteherald-cli ARGS, stdin not a terminal, ENV added to its environment (None removes
        a variable); output as bytes when BINARY, standard output to STDOUT."""
        env = dict(os.environ, SITEHERALD_DATA_DIR=self.data, HOME=self.root,
                   XDG_CONFIG_HOME=os.path.join(self.root, "config"), **(env or {}))
        return subprocess.run([CLI, *args], env={k: v for k, v in env.items() if v is not None},
                              stdout=stdout, stderr=subprocess.PIPE, text=not binary,
                              stdin=subprocess.DEVNULL, timeout=60)

    def fill(self, engine=ENGINE, page=None): return self.run("fill", engine, SDF, "--page", page or PAGE)

    def write_settings(self, sections):
        write(self.ini, "".join("[%s]\n" % s + "".join("%s=%s\n" % kv for kv in keys.items())
                                for s, keys in sections.items()))

    def setting(self, section, key):
        (settings := configparser.ConfigParser(interpolation=None)).read(self.ini)
        return settings.get(section, key, fallback=None)

class Handler(http.server.SimpleHTTPRequestHandler):
    def do_GET(self): return self.send_error(500) if self.path.startswith("/500/") else super().do_GET()
    def log_message(self, *args): pass

def serve(test_class, directory, tls=None):
    """Serves DIRECTORY on loopback until the tests of TEST_CLASS end, over HTTPS with TLS =
    (certificate, key); addresses under /500/ fail with status 500. Returns the base address."""
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0),
                                             functools.partial(Handler, directory=directory))
    server.handle_error = lambda *args: None  # a client that stops reading a big page
    if tls:
        (context := ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)).load_cert_chain(*tls)
        server.socket = context.wrap_socket(server.socket, server_side=True)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    test_class.addClassCleanup(server.server_close), test_class.addClassCleanup(server.shutdown)
    return "%s://127.0.0.1:%d/" % ("https" if tls else "http", server.server_port)

USAGE = "Usage: siteherald-cli COMMAND [ARGUMENTS]"
BINARY = bytes(range(256)) * 8 + b"\r\n\x00\r\rend"
BIG = 21 << 20  # over the 20 MB that a submission page may have
NEW = "http://127.0.0.1/siteherald/new.html"
UNABLE = ("Siteherald was unable to download certain files.\n"
          "Please check your connection or try again later.\n")
REFUSED = "\": can't connect: Connection refused (Error #111)\n"

def records(lines, *names):
    """The records of NAMES (marker to marker) taken from LINES, in the order given."""
    marks = [("$%s$" % name, lines.index("$%s$" % name)) for name in names]
    return [line for mark, i in marks for line in lines[i:lines.index(mark, i + 1) + 1]]

class Commands(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.www = tempfile.mkdtemp(dir=TMP.name)
        cert, key = os.path.join(cls.www, "cert"), os.path.join(cls.www, "key")
        # A self-signed certificate for localhost and 127.0.0.1, trusted through SSL_CERT_FILE.
        subprocess.run(("openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes"
                        " -days 2 -subj /CN=localhost -addext subjectAltName=DNS:localhost,IP:127.0.0.1"
                        " -keyout %s -out %s" % (key, cert)).split(), check=True, capture_output=True)
        for name, data in [("blob.bin", BINARY), ("big.html", bytes(BIG)),
                           ("addurl/index.html", pathlib.Path(PAGE).read_bytes())]:
            write(os.path.join(cls.www, name), data)
        cls.http, cls.https = serve(cls, cls.www), serve(cls, cls.www, (cert, key))
        cls.trusted, cls.sites = {"SSL_CERT_FILE": cert, "SSL_CERT_DIR": None}, 0

    def setUp(self): self.box = Sandbox()

    def test_fill_writes_the_three_pages_from_a_page_file_or_a_download(self):
        url = "http://www.lighthouse-search.example/"
        for page, address, env in [(["--page", PAGE], url, {}), (["--page=" + PAGE], url, {}),
                                   ([], self.http, {}), ([], self.https, self.trusted)]:
            with self.subTest(page=page, address=address):
                [os.remove(name) for name in glob.glob(self.box.path("~*"))]
                if not page:
                    self.use_address(address + "addurl/index.html")
                r = self.box.run("fill", ENGINE, SDF, *page, env=env)
                self.assertEqual((r.returncode, r.stdout, r.stderr),
                                 (0, self.box.path("~auto.htm") + "\n", ""))
                main = self.box.lines("~mainauto.htm")
                self.assertEqual(main[2], '<HEAD><base href="%saddurl/">' % address)
                self.assertIn('<TR><TD><B>URL:</B></TD><TD><INPUT TYPE="text" NAME="url" SIZE="50" '
                              'VALUE="https://harbour-kayaks.example/?ref=lighthouse&amp;lang=en">'
                              '</TD></TR>', main)
                # The title box's tag spanned three lines; the description's value is two long.
                self.assertEqual(len(main), len(read_lines(PAGE)) - 2 + 1)
        # The frames themselves are loaded in Chromium (Browser); here the <noframes> copy.
        ad, frame = self.box.lines("~adauto.htm"), self.box.lines("~auto.htm")
        self.assertEqual(frame[3:6 + len(ad)], ["<noframes>", "<html>", "<body>"] + ad)
        self.assertEqual(frame[7 + len(ad):], main + ["</body>", "</html>", "</noframes>", "</frameset>"])

    def use_address(self, address):  # Lighthouse Search's submission address in sedata.dat
        lines = self.box.lines("sedata.dat")
        i = lines.index("$" + ENGINE + "$") + 1
        lines[i] = "|".join([ENGINE, address] + lines[i].split("|")[2:])
        write(self.box.path("sedata.dat"), "".join(l + "\r\n" for l in lines))

    def test_get_and_scan_read_an_address(self):
        for address, env in [(self.http, {}), (self.https, self.trusted)]:
            r = self.box.run("get", address + "blob.bin", env=env, binary=True)
            self.assertEqual((r.returncode, r.stderr, r.stdout), (0, b"", BINARY), address)
        with open("/dev/full", "wb") as full:  # a disk that is full ends get with the reason
            r = self.box.run("get", self.http + "blob.bin", stdout=full)
        self.assertEqual((r.returncode, r.stderr), (4, "siteherald-cli: %sblob.bin: cannot store "
                                                       "the document: No space left on device\n" % self.http))
        # get streams: the 20 MB limit is for pages.
        r = self.box.run("get", self.http + "big.html", binary=True)
        self.assertEqual((r.returncode, len(r.stdout)), (0, BIG))
        r = self.box.run("scan", self.http + "addurl/index.html")
        self.assertEqual((r.returncode, r.stderr), (0, ""))
        self.assertEqual(r.stdout, self.box.run("scan", "--page", PAGE).stdout)
        self.assertIn("description (Textarea)\n", r.stdout)
        r = self.box.run("--help")
        self.assertEqual((r.returncode, r.stderr), (0, ""))
        self.assertTrue(r.stdout.startswith(USAGE), r.stdout)
        self.assertIn("  fill ENGINE SDF-FILE [--page PAGE-FILE]\n", r.stdout)

    def test_failures_exit_with_their_status_and_write_no_page(self):
        sdf, page, scan, h = SDF, PAGE, "scan --page FILE", self.http
        missing, folder, read = os.path.join(self.box.root, "gone.sdf"), self.box.root, "Unable to read "
        with open(self.box.path("sedata.dat"), "a") as f:
            f.write("$No Address$\r\nNo Address|\r\n$No Address$\r\n"
                    "$Empty$\r\nEmpty||http://info/|\r\n$Empty$\r\n$Cut$\r\n")
        unknown = 'no search engine named "%s" in ' + self.box.path("sedata.dat")
        damaged = "The record of %s in sedata.dat is damaged."
        gone, lost = "http://127.0.0.1:%d/blob.bin" % free_port(), h + "addurl/gone"
        self.use_address(h + "big.html")
        for status, args, messages, *env in [
            (2, [], [USAGE]), (2, ["submit"], [USAGE, 'unknown command "submit"']),
            (2, ["fill"], [USAGE, "fill takes an engine name and a submission data file"]),
            (2, ["fill", ENGINE, sdf, "--page"], [USAGE, "--page needs a file name"]),
            (2, ["fill", ENGINE, "--page", page], [USAGE, "fill takes an engine name"]),
            (2, ["fill", ENGINE, sdf, "--page", page, "--open"], ['unknown option "--open"']),
            *[(2, ["scan", *a], [scan]) for a in ([], ["--page"], ["-x"], [page, page],
                                                   ["--page", page, "extra"])],
            (2, ["send", fixture("broadcast.sdf")], [USAGE]),
            (2, ["indexnow"], [USAGE, "indexnow takes one site address"]),
            (2, ["indexnow", h, "--key", "short"], ["--key: an IndexNow key is 8 to 128 letters"]),
            # Engine names are matched as written.
            *[(3, ["fill", n, sdf], [unknown % n]) for n in ("Altavista", "lighthouse search")],
            *[(3, ["fill", name, sdf], [damaged % name]) for name in ("No Address", "Empty", "Cut")],
            (4, ["get", h + "gone"], [": %sgone: File not found\n" % h]),
            (4, ["get", gone], ["siteherald-cli: %s: " % gone]),
            (4, ["get", self.https + "blob.bin"], ["certificate"],
             {"SSL_CERT_FILE": None, "SSL_CERT_DIR": None}),
            (4, ["scan", h + "big.html"], [": %sbig.html: The page is larger than 20 MB.\n" % h]),
            (4, ["scan", lost], [': %s: File not found\nUnable to retrieve "%s".\n' % (lost, lost)]),
            # fill keeps the 20 MB limit of a page
            (4, ["fill", ENGINE, sdf], ['Unable to retrieve "%sbig.html".\n' % h]),
            *[(5, a, [read + missing]) for a in (
                ["fill", ENGINE, missing], ["fill", ENGINE, sdf, "--page", missing],
                ["send", missing, "Subject", "--newsgroup", "a.b"])],
            (5, ["fill", ENGINE, folder], [read + "%s: it is a folder" % folder]),
            (5, ["scan", "--page", missing], ["siteherald-cli: %s%s: No such file\n" % (read, missing)])]:
            with self.subTest(args=args):
                r = self.box.run(*args, env=env[0] if env else None)
                self.assertEqual((r.returncode, r.stdout), (status, ""))
                [self.assertIn(message, r.stderr) for message in messages]
        self.assertEqual(glob.glob(self.box.path("~*")), [])
        self.assertFalse(os.path.exists(self.box.ini))

        for name, prepare, message in [("~mainauto.htm", os.mkdir, "Unable to write to "),
                                       ("sedata.dat", os.remove, read),
                                       ("sedata.dat", lambda p: write(p, ""), read)]:
            prepare(self.box.path(name))
            r = self.box.fill()
            self.assertEqual((r.returncode, r.stdout), (5, ""))
            self.assertIn(message + self.box.path(name), r.stderr)
            # and sedata.dat is marked for the next update
            self.assertEqual("Please select Update from the file" in r.stderr, name == "sedata.dat")
        self.assertEqual(self.box.setting("Updates", "sedata.dat"), "1")

    def update(self, *args, updates=None, files=None):
        """siteherald-cli update ARGS against a site of its own holding tests/fixtures/update,
        update.upd and FILES ({name: content, or None to remove it}), with UPDATES in the
        [Updates] settings (VersionUpdate goes to [Main])."""
        Commands.sites += 1
        site, base = os.path.join(self.www, "u%d" % self.sites), self.http + "u%d/" % self.sites
        shutil.copytree(fixture("update"), site)
        for name, data in dict({"update.upd": "175\r\n%s\r\n" % NEW}, **(files or {})).items():
            write(os.path.join(site, name), data)
        updates = dict({"URL": base, "Filenumber": 7, "VersionUpdate": "update.upd"}, **updates)
        self.box.write_settings({"Main": {"VersionUpdate": urllib.parse.urljoin(
            base, updates.pop("VersionUpdate"))}, "Updates": updates})
        r = self.box.run("update", *args)
        r.stderr = re.sub(r"http://127\.0\.0\.1:\d+/(u\d+/)?", "", r.stderr)
        return r

    def test_update_prints_each_step_and_exits_4_naming_each_failed_download(self):
        old, upd = self.box.lines("sedata.dat"), read_lines(fixture("update", "000007.upd"))
        kept, dead = old + records(upd, "Beacon Finder"), "http://127.0.0.1:%d/" % free_port()
        ask = "Overwrite search engine data for Lighthouse Search? no"
        for args, updates, files, status, stdout, stderr, engines, settings in [
            # The steps' texts are the update test's of the net layer; here what the CLI adds.
            (["--yes"], {}, {"update.upd": "176\r\n%s\r\n" % NEW}, 0,
             "View information? yes\nOpen this address in your browser: " + NEW, "",
             records(old, "Siteherald Demo Engine", "Harbour Directory") + upd[1:-1],
             {"Filenumber": "8", "VersionNumber": "176"}),
            (["--no"], {}, {}, 0, ask, "", kept, {"Filenumber": "8"}),
            ([], {}, {}, 0, ask + " (no terminal to ask on; give --yes or --no)", "", kept,
             {"Filenumber": "8"}),
            # A whole file missing or damaged is named and keeps its flag; the engines update.
            (["--no"], {"sedata.dat": 1, "profs.dat": 1},
             {"profs.dat": None, "sedata.dat": "<html>Not here</html>\n"}, 4, ask,
             '"sedata.dat" is corrupted. Please try again later or contact '
             "support@siteherald.example for help.\n" + UNABLE +
             'Unable to retrieve "profs.dat": 404 File not found\n', kept,
             {"sedata.dat": "1", "profs.dat": "1"}),
            # Only a 404 for the next update file means there is nothing new.
            (["--no"], {"VersionUpdate": dead + "update.upd", "URL": dead}, {}, 4,
             "Downloading search engine data...",
             UNABLE + 'Unable to retrieve "update.upd' + REFUSED + 'Unable to retrieve "000007.upd'
             + REFUSED, old, {"Filenumber": "7"}),
            *[(["--no"], {"VersionUpdate": version}, {}, 4, ask, UNABLE + 'Unable to retrieve "%s'
               % version.replace(self.http, "") + failure, kept, {}) for version, failure in [
                  (self.http + "500/update.upd", '": 500 Internal Server Error\n'),
                  ("gone.upd", '": 404 File not found\n')]],
        ]:
            with self.subTest(args=args, updates=updates):
                self.box = Sandbox()
                r = self.update(*args, updates=updates, files=files)
                self.assertEqual((r.returncode, r.stderr), (status, stderr))
                self.assertIn(stdout + "\n", r.stdout)
                self.assertNotIn("No new updates available.", r.stdout)
                self.assertEqual(self.box.lines("sedata.dat"), engines)
                self.assertFalse(os.path.exists(self.box.path("profs.dat")))
                self.assertEqual({k: self.box.setting("Main" if k == "VersionNumber" else "Updates", k)
                                  for k in settings}, settings)
        os.mkdir(self.box.path("profs.dat"))
        r = self.update("--no", updates={"profs.dat": 1})
        self.assertEqual(r.returncode, 5)
        self.assertIn("siteherald-cli: Unable to write to " + self.box.path("profs.dat"), r.stderr)
        self.assertEqual(self.box.setting("Updates", "profs.dat"), "1")

NAME, EMAIL = "Robin Fairweather", "robin@harbour-kayaks.example"
FROM = '"%s" <%s>' % (NAME, EMAIL)
NNTP = os.environ.get("SITEHERALD_TEST_NNTP")
GROUPS = ["siteherald.test.g%02d" % n for n in range(1, 13)]
# The texts of tests/fixtures/broadcast.sdf's messages as they are sent.
DOTS, WINTER = "Dots at line starts", "Winter storage"
DOTS_TEXT = ["A line of a single dot follows.", ".", ".hidden", "..two", "...", "The end."]
WINTER_TEXT = ["Boats stored over the winter are ready for collection from 15 March.",
               "Call +44 1632 960 123."]

def succeeded(names, result="Succeeded: "): return [result + name for name in names]

def start_sink(add_cleanup, inbox, *options):
    """smtp_sink.py INBOX OPTIONS, stopped by ADD_CLEANUP; returns its port."""
    # The system's python3 has aiosmtpd from python3-aiosmtpd where another comes first.
    python = sys.executable if importlib.util.find_spec("aiosmtpd") else "/usr/bin/python3"
    sink = subprocess.Popen([python, os.path.join(os.path.dirname(os.path.abspath(__file__)), "smtp_sink.py"),
                             inbox, *options], stdout=subprocess.PIPE, text=True)
    add_cleanup(sink.wait, 10), add_cleanup(sink.terminate)
    port = sink.stdout.readline().strip()
    sink.stdout.close()
    assert port.isdigit(), "smtp_sink.py did not start: is python3-aiosmtpd installed?"
    return int(port)

class Send(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.inbox = tempfile.mkdtemp(dir=TMP.name)
        port = str(start_sink(cls.addClassCleanup, cls.inbox))
        cls.identity = {"Name": NAME, "Email": EMAIL, "MailServer": "127.0.0.1:" + port,
                        "NewsServer": NNTP or "127.0.0.1:9", "NewsSecurity": "none"}

    def setUp(self):
        [os.remove(name) for name in glob.glob(os.path.join(self.inbox, "*.json"))]
        self.box, self.sdf = Sandbox(), fixture("broadcast.sdf")
        self.settings()

    def settings(self, **changes):
        """Writes [Identity]; a change to None leaves the key out."""
        keys = dict(self.identity, **changes)
        self.box.write_settings({"Identity": {k: v for k, v in keys.items() if v is not None}})

    def to(self, name, entries):
        write(path := os.path.join(self.box.root, name + ".txt"), "".join(a + "\n" for a in entries))
        return ["--list", path]

    def send(self, subject, *options):
        return self.box.run("send", self.sdf, subject, *options, env={"TZ": "UTC"})

    def received(self):
        return [json.loads(p.read_text()) for p in sorted(pathlib.Path(self.inbox).glob("*.json"))]

    def assertSent(self, r, results):
        self.assertEqual((r.returncode, r.stderr, r.stdout.splitlines()), (0, "", results))

    def assertLog(self, name, entries):
        """Log NAME holds ENTRIES: (subject, text, results) each, in order."""
        lines, expected = self.box.lines(name), []
        for subject, text, results in entries:
            date = len(expected) + 1
            self.assertTrue(lines[date].startswith("Message sent on "), lines[date])
            expected += ["Submission file: " + self.sdf, lines[date], "", subject, "", *text, "",
                         *results, "^" * 25]
        self.assertEqual(lines, expected)

    def test_mail_one_per_address_at_most_25_list_lines_one_log_entry_per_run(self):
        many, first, second = [["%s%02d@lists.example" % (prefix, n) for n in range(1, count + 1)]
                               for prefix, count in [("many", 30), ("first", 5), ("second", 5)]]
        # Each list counts two lines: 30 addresses in one list reach 24, two lists of 5 all.
        self.assertSent(self.send(DOTS, *self.to("many", many)), succeeded(many[:24]))
        r = self.send(WINTER, *self.to("first", first), *self.to("second", second))
        self.assertSent(r, succeeded(first + second))
        mails, sent = self.received(), many[:24] + first + second
        self.assertEqual([(m["mail_from"], m["rcpt_tos"]) for m in mails], [(EMAIL, [a]) for a in sent])
        for mail, address in zip(mails, sent):
            head, body = mail["data"].split("\r\n\r\n", 1)
            headers = dict(line.split(": ", 1) for line in head.split("\r\n"))
            subject, text = (DOTS, DOTS_TEXT) if address in many else (WINTER, WINTER_TEXT)
            self.assertEqual(list(headers), ["From", "Message-ID", "Date", "Subject", "To", "Reply-To"])
            self.assertEqual([headers[h] for h in ("From", "Subject", "To", "Reply-To")],
                             [FROM, subject, address, EMAIL])
            sent_at = email.utils.parsedate_to_datetime(headers["Date"]).timestamp()
            self.assertLess(abs(sent_at - time.time()), 120)
            # The leading empty lines of Winter storage are not sent either.
            self.assertEqual(body.split("\r\n"), text + [""])
        self.assertLog("mail.log", [(DOTS, DOTS_TEXT, succeeded(many[:24])),
                                    (WINTER, WINTER_TEXT, succeeded(first + second))])
        self.assertFalse(os.path.exists(self.box.path("news.log")))

        self.box = Sandbox()
        self.settings(MailServer="127.0.0.1:%d" % free_port())
        r = self.send(DOTS, *self.to("gone", first))
        self.assertEqual((r.returncode, r.stdout.splitlines()), (0, succeeded(first, "Failed: ")))
        self.assertNotEqual(r.stderr, "")
        self.assertLog("mail.log", [(DOTS, DOTS_TEXT, succeeded(first, "Failed: "))])

    def test_nothing_is_sent_and_the_last_failing_check_is_shown(self):
        one, group = self.to("one", ["one@lists.example"]), ["--newsgroup", GROUPS[0]]
        please = "Please enter %s in message options."
        for changes, subject, options, message in [
            ({}, DOTS, [], "You must first add e-mail addresses or newsgroups."),
            ({}, "No such message", one, "You must first select a message."),
            ({"Name": None}, DOTS, [], please % "your name"),
            ({"Email": None}, "No such message", one, please % "your e-mail address"),
            ({"MailServer": None}, DOTS, one, please % "a valid mail server"),
            ({"NewsServer": None}, DOTS, one + group, please % "a valid news server"),
        ]:
            with self.subTest(message):
                self.settings(**changes)
                r = self.send(subject, *options)
                self.assertEqual((r.returncode, r.stdout), (6, ""))
                self.assertIn(message, r.stderr)
                self.assertEqual(r.stderr.count("Please") + r.stderr.count("You must"), 1)
        self.assertEqual((self.received(), os.listdir(self.box.data)), ([], ["sedata.dat"]))

    @unittest.skipUnless(NNTP, "SITEHERALD_TEST_NNTP (host:port of an INN server, see "
                         "scripts/news-server) is not set")
    def test_news_to_the_first_ten_groups_in_sorted_order_one_article_each(self):
        news = socket.create_connection(NNTP.rsplit(":", 1), 30)
        replies = news.makefile("rb")
        self.addCleanup(news.close), self.addCleanup(replies.close)

        def ask(command=""):
            """The reply's lines: the status line and, for 224 (an overview), those to the dot."""
            news.sendall((command + "\r\n" if command else "").encode())
            lines = [replies.readline().decode(errors="replace")[:-2]]
            while lines[0][:3] == "224" and lines[-1] != ".":
                lines.append(replies.readline().decode(errors="replace")[:-2])
            self.assertRegex(lines[0], "^(2|423 )")  # 423: no articles in the range
            return lines

        ask(), ask("MODE READER")
        # INN keeps articles between runs: a subject of this run's own tells ours apart.
        subject = "%s %s" % (DOTS, os.urandom(6).hex())
        self.sdf, text = os.path.join(self.box.root, "broadcast.sdf"), pathlib.Path(self.sdf).read_text()
        write(self.sdf, text.replace(DOTS, subject))
        newest = [int(ask("GROUP " + g)[0].split()[3]) for g in GROUPS]
        r = self.send(subject, *[a for g in GROUPS[6:] + GROUPS[:6] for a in ("--newsgroup", g)])
        self.assertSent(r, succeeded(GROUPS[:10]))
        ids = []
        for group, last in zip(GROUPS, newest):
            # The overview since: number, subject, from, date, message-id, references, bytes, lines
            ask("GROUP " + group)
            over = ask("OVER %d-%d" % (last + 1, last + 99))[1:-1]
            ours = [o.split("\t") for o in over if o.split("\t")[1] == subject]
            self.assertEqual([(o[2], o[7]) for o in ours], [(FROM, "6")] * (group in GROUPS[:10]))
            ids += [o[4] for o in ours]
        self.assertEqual(len(set(ids)), 10)  # not one article cross-posted
        self.assertLog("news.log", [(subject, DOTS_TEXT, succeeded(GROUPS[:10]))])
        self.assertFalse(os.path.exists(self.box.path("mail.log")))

def make_ca(folder, name):
    """Paths of a new certificate authority NAME, and a certificate and key it issued for
    localhost and 127.0.0.1."""
    ca, cert, key = [os.path.join(folder, name + end) for end in (".pem", "-cert.pem", "-key.pem")]
    new = "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2".split()
    for args in (["-subj", "/CN=" + name, "-addext", "basicConstraints=critical,CA:TRUE", "-addext",
                  "keyUsage=critical,keyCertSign", "-keyout", ca + ".key", "-out", ca],
                 ["-CA", ca, "-CAkey", ca + ".key", "-subj", "/CN=localhost", "-addext",
                  "subjectAltName=DNS:localhost,IP:127.0.0.1", "-keyout", key, "-out", cert]):
        subprocess.run(new + args, check=True, capture_output=True)
    return ca, cert, key

USER, PASSWORD = "robin", "Tide-7:salt water"

class Security(unittest.TestCase):
    """Rows: a server of its own (smtp_sink.py options), the [Identity] keys, the password (None:
    not in the environment), the exit status, what each address got ("Succeeded: ", "Failed: ",
    None: no run), the reason shown once per address, and what the server saw ("starttls",
    "PLAIN ok", "LOGIN failed"). A failed address ends the run's sends to that server."""
    Row = collections.namedtuple("Row", "name server identity password status result reason seen")
    ADDRESSES = ["a%d@lists.example" % n for n in (1, 2, 3)]

    @classmethod
    def setUpClass(cls):
        pki = tempfile.mkdtemp(dir=TMP.name)
        cls.ca, cert, key = make_ca(pki, "Siteherald Test CA")
        _, stranger, stranger_key = make_ca(pki, "Unrelated CA")
        tls, other = ["--cert", cert, "--key", key], ["--cert", stranger, "--key", stranger_key]
        login, R, ok, failed = ["--login", USER + ":" + PASSWORD], cls.Row, "Succeeded: ", "Failed: "
        starttls, auto, tls_only = [dict(MailUser=USER, MailSecurity=s) for s in ("starttls", "auto", "tls")]
        cls.rows = [
            R("STARTTLS, AUTH PLAIN", ["--starttls", *tls, *login], starttls, PASSWORD, 0, ok, None,
              ["starttls", "PLAIN ok"] * 3),
            R("auto takes STARTTLS, AUTH LOGIN", ["--starttls", *tls, *login, "--mechanisms", "LOGIN"],
              auto, PASSWORD, 0, ok, None, ["starttls", "LOGIN ok"] * 3),
            R("implicit TLS", ["--tls", *tls, *login], tls_only, PASSWORD, 0, ok, None, ["PLAIN ok"] * 3),
            R("auto with a user, no STARTTLS", login, auto, PASSWORD, 0, failed,
              "does not offer STARTTLS: the password is never sent unencrypted", []),
            R("another CA", ["--starttls", *other, *login], starttls, PASSWORD, 0, failed,
              "certificate verification failed", []),
            R("wrong password", ["--starttls", *tls, *login], starttls, PASSWORD[::-1], 0, failed,
              "Authentication failed: 535 5.7.8 Authentication credentials invalid",
              ["starttls", "PLAIN failed"]),
            R("no password", ["--starttls", *tls, *login], starttls, None, 6, None,
              "SITEHERALD_MAIL_PASSWORD", []),
        ]

    def test_logins_only_over_verified_tls_and_a_refusal_ends_the_run(self):
        for row in self.rows:
            with self.subTest(row.name):
                inbox, box = tempfile.mkdtemp(dir=TMP.name), Sandbox()
                server = "127.0.0.1:%d" % start_sink(self.addCleanup, inbox, *row.server)
                box.write_settings({"Identity": dict(Name=NAME, Email=EMAIL, MailServer=server,
                                                     NewsServer="127.0.0.1:9", **row.identity)})
                write(path := os.path.join(box.root, "list.txt"), "\n".join(self.ADDRESSES) + "\n")
                r = box.run("send", fixture("broadcast.sdf"), WINTER, "--list", path, env={
                    "SITEHERALD_MAIL_PASSWORD": row.password, "SSL_CERT_FILE": self.ca,
                    "SSL_CERT_DIR": None, "DBUS_SESSION_BUS_ADDRESS": None})
                results = succeeded(self.ADDRESSES, row.result) if row.result else []
                self.assertEqual((r.returncode, r.stdout.splitlines()), (row.status, results))
                if row.reason:  # once for each address, or once when nothing was tried
                    self.assertEqual(r.stderr.count(row.reason), len(results) or 1, r.stderr)
                else:
                    self.assertEqual(r.stderr, "")
                mails = [json.loads(p.read_text()) for p in sorted(pathlib.Path(inbox).glob("*.json"))]
                self.assertEqual([(m["rcpt_tos"], m["encrypted"], m["user"]) for m in mails],
                                 [] if row.reason else [([a], True, USER) for a in self.ADDRESSES])
                events = pathlib.Path(inbox, "events.jsonl")  # only there when something happened
                events = [json.loads(e) for e in events.read_text().splitlines()] if events.exists() else []
                self.assertEqual([e["event"] if e["event"] != "auth" else e["mechanism"] + (
                    " ok" if e["success"] else " failed") for e in events], row.seen)
                logs = "".join(p.read_text(errors="replace") for p in pathlib.Path(box.data).glob("*.log"))
                [self.assertNotIn(p, r.stdout + r.stderr + logs) for p in (PASSWORD, PASSWORD[::-1])]

    def test_news_over_nntps_with_a_login_and_over_starttls(self):
        nntps, ca, login = (os.environ.get("SITEHERALD_TEST_" + v) for v in ("NNTPS", "NEWS_CA", "NEWS_LOGIN"))
        if not (NNTP and nntps and ca and login):
            self.skipTest("scripts/test sets SITEHERALD_TEST_NNTP, _NNTPS, _NEWS_CA and _NEWS_LOGIN")
        user, password = login.split(":", 1)
        for server, identity in ((nntps, dict(NewsSecurity="tls", NewsUser=user)), (NNTP, dict(NewsSecurity="starttls"))):
            with self.subTest(server=server):
                (box := Sandbox()).write_settings({"Identity": dict(Name=NAME, Email=EMAIL, NewsServer=server, **identity)})
                r = box.run("send", fixture("broadcast.sdf"), WINTER, "--newsgroup", "siteherald.test.g02", env={
                    "SITEHERALD_NEWS_PASSWORD": password, "SSL_CERT_FILE": ca, "SSL_CERT_DIR": None})
                self.assertEqual((r.returncode, r.stdout, r.stderr), (0, "Succeeded: siteherald.test.g02\n", ""))

CHROMIUM = "/usr/bin/chromium"
ROOT = "http://www.lighthouse-search.example"
# Every frame of every <iframe> by name, read when all have loaded.
READER = """<script>onload = () => { document.body.textContent = JSON.stringify(
  [...document.querySelectorAll("iframe")].map(f => f.contentWindow).map(top =>
    Object.fromEntries(Array.from({length: top.frames.length}, (_, i) => top.frames[i]).map(w =>
      [w.name, {url: w.location.href, title: w.document.title,
        controls: Object.fromEntries([...w.document.querySelectorAll("input, textarea, select")]
          .filter(e => e.name).map(e => [e.name, e.value])),
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
        cls.boxes, frames = {}, []
        for name in [None, *SHAPE_SCANS]:
            box = cls.boxes[name] = Sandbox()
            page = name and fixture("shapes", name + ".html")
            r = box.fill("Siteherald Demo Engine", page) if name else box.fill()
            assert r.returncode == 0, r.stderr
            frames.append('<iframe src="%s"></iframe>' % pathlib.Path(r.stdout.strip()).as_uri())
        tmp = tempfile.mkdtemp(dir=TMP.name)
        write(os.path.join(tmp, "pages.html"), "".join(frames) + READER)
        dump = subprocess.run(
            [CHROMIUM, "--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
             "--disable-background-networking", "--disable-component-update", "--disable-sync",
             "--allow-file-access-from-files", "--host-resolver-rules=MAP * ~NOTFOUND",
             "--user-data-dir=" + os.path.join(tmp, "profile"), "--dump-dom",
             pathlib.Path(tmp, "pages.html").as_uri()],
            capture_output=True, text=True, timeout=120).stdout
        shown = json.loads(html.unescape(dump.split("<body>", 1)[1].rsplit("</body>", 1)[0]))
        cls.shown = dict(zip(cls.boxes, shown))

    def test_each_shape_is_filled_byte_for_byte_scanned_and_shown(self):
        for name, scan in SHAPE_SCANS.items():
            with self.subTest(name):
                box = self.boxes[name]
                self.assertEqual(*[pathlib.Path(p).read_bytes().decode() for p in (
                    box.path("~mainauto.htm"), fixture("shapes", name + ".filled.html"))])
                r = box.run("scan", "--page", fixture("shapes", name + ".html"))
                self.assertEqual((r.returncode, r.stderr), (0, ""))
                self.assertEqual(r.stdout.splitlines(), [
                    f + (" (Textarea)" if f.lower() == "description" else " (Text Box)")
                    for f in scan])
                # The site's values as tests/ui reads them from the Lighthouse page, and its contact.
                controls = {k.lower(): v for k, v in self.shown[name]["Main"]["controls"].items()}
                values = dict(self.shown[None]["Main"]["controls"], contact="Robin Fairweather")
                [self.assertTrue(controls[f].startswith(values[f]), f) for f in FIELDS]
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
        # "/browse/" is not in the <A HREF="..."> form: the <base href> resolves it. That would
        # send "#top" to the engine's site; it stays on the filled page.
        self.assertEqual(list(links), [
            ROOT + "/", "/browse/", ROOT + "/faq.html", ROOT + "/addurl/guidelines.html",
            "https://secure.lighthouse-search.example/account/",
            ROOT + "/addurl/guidelines.html#rules", ROOT + "/terms.html", ROOT + "/about.html",
            "mailto:editors@lighthouse-search.example", main["url"] + "#top",
            "http://www.lighthouse-partners.example/"])
        self.assertEqual(links["/browse/"], ROOT + "/browse/")
        self.assertEqual(main["images"], [ROOT + "/images/lighthouse.gif"])

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from indexnow_endpoint import Endpoint

def sitemap(entries, index=False):
    """A sitemap of ENTRIES, (address, lastmod or None) each; a sitemap index with INDEX."""
    tag, item = ("sitemapindex", "sitemap") if index else ("urlset", "url")
    return ('<?xml version="1.0" encoding="UTF-8"?>\n<%s xmlns="http://www.sitemaps.org/schemas/'
            'sitemap/0.9">%s</%s>\n' % (tag, "".join("<%s><loc>%s</loc>%s</%s>" % (
                item, html.escape(loc), lastmod and "<lastmod>%s</lastmod>" % lastmod or "", item)
                for loc, lastmod in entries), tag))

class IndexNow(unittest.TestCase):
    """A loopback site (robots.txt naming a sitemap index and a gzip sitemap) and the loopback
    endpoint of indexnow_endpoint.py, which checks requests as the protocol does."""

    @classmethod
    def setUpClass(cls):
        import gzip
        cls.www = tempfile.mkdtemp(dir=TMP.name)
        cls.site, cls.endpoint = serve(cls, cls.www), Endpoint()
        cls.addClassCleanup(cls.endpoint.server_close), cls.addClassCleanup(cls.endpoint.shutdown)
        page = lambda n: cls.site + "p%d.html" % n
        cls.pages = [page(n) for n in range(5)]
        write(os.path.join(cls.www, "robots.txt"), "User-agent: *\nSitemap: %sindex.xml\n"
              "sitemap: %sb.xml.gz\n" % (cls.site, cls.site))
        write(os.path.join(cls.www, "index.xml"), sitemap([(cls.site + "a.xml", None)], index=True))
        write(os.path.join(cls.www, "b.xml.gz"), gzip.compress(sitemap(
            [(page(3), "2026-01-03"), (page(4), None)]).encode()))
        write(os.path.join(cls.www, "bad.xml"), "<urlset><url><loc>x</url>")
        write(os.path.join(cls.www, "bad.xml.gz"), b"\x1f\x8b\x08\x00garbage")
        write(os.path.join(cls.www, "big.xml"), sitemap([(page(n), None) for n in range(50001)]))
        cls.lists = {}
        for count in (25000, 50000):
            write(path := os.path.join(cls.www, "list%d.txt" % count), "".join(
                page(n) + "\n" for n in range(10, count + 10)))
            cls.lists[count] = path

    def a_xml(self, lastmod):
        write(os.path.join(self.www, "a.xml"), sitemap([(self.pages[0], lastmod), (
            self.pages[1], "2026-01-01"), (self.pages[2], "2026-01-02"), ("http://other.example/", None)]))

    def test_runs_in_turn_submit_what_changed(self):
        """Rows: the endpoint's plan, the arguments, the exit status, the addresses of each
        request, the counts printed last (submitted, unchanged, other hosts), a text of stderr."""
        box, site, keep = Sandbox(), self.site, (5, 0, 1)
        self.a_xml("2026-01-01")
        for name, plan, args, status, sizes, counts, message in [
            ("first run writes the key file", "200", [], 7, [], (0, 0, 1), "(found: File not found). Upload "),
            ("every address", "200", [], 0, [5], keep, ""),
            ("nothing new", "200", [], 0, [], (0, 5, 1), ""),
            ("a changed lastmod", "200", [], 0, [1], (1, 4, 1), ""),
            ("429 then 200 a second later", "429.200", ["--all"], 0, [5, 5], (5, 5, 1), ""),
            ("429 with Retry-After: 1, then 202", "429r1.202", ["--all"], 0, [5, 5], (5, 5, 1), ""),
            ("429 four times", "429d", ["--all"], 8, [5] * 4, (0, 5, 1), "429 Too Many Requests 4 times"),
            ("403", "403", ["--all"], 8, [5], (0, 5, 1), ": 403 Forbidden: the key is not valid"),
            ("400", "400", ["--all"], 8, [5], (0, 5, 1), ": 400 Bad Request"),
            ("bad XML", "200", ["--sitemap", site + "bad.xml"], 4, [], (0, 0, 0), site + "bad.xml"),
            ("bad gzip", "200", ["--sitemap", site + "bad.xml.gz"], 4, [], (0, 0, 0), site + "bad.xml.gz"),
            ("over the limit", "200", ["--sitemap", site + "big.xml"], 4, [], (0, 0, 0), "50,000"),
            ("missing list", "200", ["--urls", self.www + "/gone.txt"], 5, [], (0, 0, 0), self.www + "/gone.txt"),
            ("25,000 addresses", "200", ["--urls", self.lists[25000]], 0, [10000, 10000, 5000], (25000, 0, 0), ""),
            ("50,000 addresses", "200", ["--urls", self.lists[50000], "--all"], 0, [10000] * 5, (50000, 25000, 0), ""),
            ("another key served", "200", ["--key-location", site + "robots.txt"], 7, [], (0, 5, 1),
             "(found: a file that does not hold the key). Upload "),
        ]:
            with self.subTest(name):
                if name == "a changed lastmod":
                    self.a_xml("2026-02-01")
                if name == "every address":  # the key file goes up
                    [shutil.copy(box.path(n), self.www) for n in os.listdir(box.data) if n.endswith(".txt")]
                start, before = time.monotonic(), len(self.endpoint.requests)
                # The 200 rows take the endpoint from the settings; --endpoint comes before them.
                url = self.endpoint.url(name.replace(" ", "_") + "-" + plan)
                box.write_settings({"IndexNow": {"Endpoint": url if plan == "200" else "http://127.0.0.1:9/"}})
                r = box.run("indexnow", site, *(["--endpoint", url] if plan != "200" else []), *args)
                requests = self.endpoint.requests[before:]
                self.assertEqual((r.returncode, [len(urls) for _, _, urls in requests]), (status, sizes), r.stderr)
                self.assertEqual(r.stdout.count(" addresses to "), len(sizes))
                self.assertTrue(r.stdout.endswith("Submitted: %d, unchanged: %d, other hosts: %d\n" % counts), r.stdout)
                self.assertIn(message, r.stderr)
                if plan.startswith("429"):  # a wait of 1 s, or none after a date already past
                    self.assertEqual(time.monotonic() - start >= 1, plan != "429d")
                if sizes == [10000] * 5:
                    print("\n%s: %.2f s" % (name, time.monotonic() - start), file=sys.stderr)
        key = pathlib.Path(self.www, [n for n in os.listdir(box.data) if n.endswith(".txt")][0])
        self.assertRegex(key.name, "^[a-z0-9]{32}\\.txt$")
        self.assertEqual(box.lines("indexnow.dat"), ["127.0.0.1\t%s\t%srobots.txt" % (key.stem, site)])
        # The ledger holds what was accepted, with the lastmod it had; the log every request.
        ledger = {l.split("\t")[0]: l.split("\t")[1] for l in box.lines("indexnow-127.0.0.1.ledger")}
        self.assertEqual(ledger, dict({self.site + "p%d.html" % n: "" for n in range(10, 50010)}, **dict(zip(
            self.pages, ["2026-02-01", "2026-01-01", "2026-01-02", "2026-01-03", ""]))))
        log = box.lines("indexnow.log")
        self.assertEqual(len(log), len(self.endpoint.requests))
        self.assertRegex(log[0], "^[-0-9]{10} [:0-9]{8}\thttp://127.0.0.1:%d/every_address-200/indexnow\t%s\t"
                         "5 addresses\t200 OK$" % (self.endpoint.server_port, site))

unittest.main(verbosity=2)
