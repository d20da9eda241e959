#!/usr/bin/env python3
"""An SMTP server that keeps every message it receives, for the mail tests.

    smtp_sink.py OUTPUT-DIR

listens on a free loopback port, prints the port on its first output line and writes each
message as OUTPUT-DIR/0001.json, 0002.json, ... in arrival order:
{"mail_from": ..., "rcpt_tos": [...], "data": ...}. "data" is the message as the client
meant it: CR LF line ends kept, the transparency dots of the SMTP transfer removed; bytes
that are not UTF-8 are kept as surrogate escapes. Runs until killed.

Other tests use start() and received().
"""

import asyncio
import importlib.util
import json
import os
import subprocess
import sys

HOST = "127.0.0.1"


class Keeper:
    def __init__(self, directory):
        self.directory = directory
        self.count = 0

    async def handle_DATA(self, server, session, envelope):
        # Without decode_data, original_content is the received bytes after the server's
        # dot-unstuffing and before any decoding; content is the same object.
        self.count += 1
        message = {
            "mail_from": envelope.mail_from,
            "rcpt_tos": list(envelope.rcpt_tos),
            "data": envelope.original_content.decode("utf-8", "surrogateescape"),
        }
        path = os.path.join(self.directory, "%04d.json" % self.count)
        with open(path + ".part", "w") as f:
            json.dump(message, f)
        os.replace(path + ".part", path)
        return "250 OK"


async def serve(directory):
    from aiosmtpd.smtp import SMTP

    keeper = Keeper(directory)
    loop = asyncio.get_running_loop()
    # aiosmtpd's Controller checks its start-up by connecting to the port it was given, so
    # it cannot listen on port 0; the protocol class on a plain asyncio server can.
    server = await loop.create_server(lambda: SMTP(keeper, hostname="sink.siteherald.test"),
                                      HOST, 0)
    print(server.sockets[0].getsockname()[1], flush=True)
    await server.serve_forever()


def python():
    """An interpreter that has aiosmtpd: this one, or the system's, where the Debian package
    python3-aiosmtpd puts it when another python3 comes first on the PATH."""
    if importlib.util.find_spec("aiosmtpd"):
        return sys.executable
    system = "/usr/bin/python3"
    if os.path.exists(system) and subprocess.run([system, "-c", "import aiosmtpd"]).returncode == 0:
        return system
    raise RuntimeError("aiosmtpd is missing: install python3-aiosmtpd (scripts/install-deps)")


def start(directory):
    """Runs the sink in a new process; returns (process, port). Terminate the process when
    done."""
    process = subprocess.Popen([python(), os.path.abspath(__file__), directory],
                               stdout=subprocess.PIPE, text=True)
    line = process.stdout.readline()
    process.stdout.close()  # the sink writes nothing more
    if not line.strip().isdigit():
        process.kill()
        process.wait()
        raise RuntimeError("smtp_sink.py did not start (status %s)" % process.returncode)
    return process, int(line)


def received(directory):
    """The messages written so far, in arrival order."""
    names = sorted(n for n in os.listdir(directory) if n.endswith(".json"))
    messages = []
    for name in names:
        with open(os.path.join(directory, name)) as f:
            messages.append(json.load(f))
    return messages


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit("usage: smtp_sink.py OUTPUT-DIR")
    try:
        asyncio.run(serve(sys.argv[1]))
    except KeyboardInterrupt:
        pass
