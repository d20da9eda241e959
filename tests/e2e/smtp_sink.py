#!/usr/bin/env python3
"""An SMTP server that keeps every message it receives, for the mail tests.

    smtp_sink.py OUTPUT-DIR

listens on a free loopback port, prints the port on its first output line and writes each
message as OUTPUT-DIR/0001.json, 0002.json, ... in arrival order:
{"mail_from": ..., "rcpt_tos": [...], "data": ...}. "data" is the message as the client
meant it: CR LF line ends kept, the transparency dots of the SMTP transfer removed; bytes
that are not UTF-8 are kept as surrogate escapes. Runs until killed."""

import asyncio, contextlib, json, os, sys

async def serve(directory):
    from aiosmtpd.smtp import SMTP

    class Keeper:
        count = 0

        async def handle_DATA(self, server, session, envelope):
            # Without decode_data, original_content is the received bytes after the server's
            # dot-unstuffing and before any decoding.
            Keeper.count += 1  # across connections, each of which has a Keeper of its own
            path = os.path.join(directory, "%04d.json" % Keeper.count)
            with open(path + ".part", "w") as f:
                json.dump({"mail_from": envelope.mail_from, "rcpt_tos": envelope.rcpt_tos,
                           "data": envelope.original_content.decode("utf-8", "surrogateescape")}, f)
            os.replace(path + ".part", path)
            return "250 OK"

    # aiosmtpd's Controller checks its start-up by connecting to the port it was given, so
    # it cannot listen on port 0; the protocol class on a plain asyncio server can.
    server = await asyncio.get_running_loop().create_server(
        lambda: SMTP(Keeper(), hostname="sink.siteherald.test"), "127.0.0.1", 0)
    print(server.sockets[0].getsockname()[1], flush=True)
    await server.serve_forever()

if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit("usage: smtp_sink.py OUTPUT-DIR")
    with contextlib.suppress(KeyboardInterrupt):
        asyncio.run(serve(sys.argv[1]))
