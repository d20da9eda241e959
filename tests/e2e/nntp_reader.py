"""Reads what a news server holds, over a plain NNTP connection, for the news tests.

    with Reader("127.0.0.1", 119) as news:
        count, first, last = news.group("local.test")
        article = news.article("<id@host>")   # or an article number in the current group
        article.header("Subject"), article.body
"""

import socket


class NNTPError(Exception):
    pass


class Article:
    def __init__(self, headers, body):
        self.headers = headers  # [(name, value)] in order, folded lines joined
        self.body = body  # the body lines, dot-stuffing undone

    def header(self, name):
        """The first value of header NAME (any case), or None."""
        for key, value in self.headers:
            if key.lower() == name.lower():
                return value
        return None


class Reader:
    def __init__(self, host, port, timeout=30):
        self.sock = socket.create_connection((host, port), timeout)
        self.file = self.sock.makefile("rb")
        self.expect(self.read_line(), "200", "201")
        self.command("MODE READER", "200", "201")

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def close(self):
        try:
            self.send("QUIT")
            self.read_line()
        except OSError:
            pass
        self.file.close()
        self.sock.close()

    def send(self, line):
        self.sock.sendall(line.encode("utf-8", "surrogateescape") + b"\r\n")

    def read_line(self):
        raw = self.file.readline()
        if not raw.endswith(b"\r\n"):
            raise NNTPError("connection closed or line not ended by CR LF: %r" % raw)
        return raw[:-2].decode("utf-8", "surrogateescape")

    @staticmethod
    def expect(reply, *codes):
        if reply[:3] not in codes:
            raise NNTPError(reply)
        return reply

    def command(self, line, *codes):
        """Sends LINE; returns the reply line, which must start with one of CODES."""
        self.send(line)
        return self.expect(self.read_line(), *codes)

    def read_block(self):
        """The lines of a multi-line reply up to its "." line, dot-stuffing undone."""
        lines = []
        while True:
            line = self.read_line()
            if line == ".":
                return lines
            lines.append(line[1:] if line.startswith(".") else line)

    def group(self, name):
        """Selects group NAME; returns (count, first, last) as the server reports them."""
        reply = self.command("GROUP " + name, "211")
        count, first, last = (int(x) for x in reply.split()[1:4])
        return count, first, last

    def listgroup(self, name):
        """The article numbers group NAME holds."""
        self.command("LISTGROUP " + name, "211")
        return [int(n) for n in self.read_block()]

    def article(self, which):
        """The article WHICH: a "<message-id>" or a number in the selected group."""
        self.command("ARTICLE %s" % which, "220")
        lines = self.read_block()
        end = lines.index("")
        headers = []
        for line in lines[:end]:
            if line[:1] in (" ", "\t") and headers:
                name, value = headers[-1]
                headers[-1] = (name, value + line)
            else:
                name, _, value = line.partition(":")
                headers.append((name, value.lstrip(" \t")))
        return Article(headers, lines[end + 1:])
