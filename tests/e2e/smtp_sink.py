#!/usr/bin/env python3
"""An SMTP server that keeps every message it receives, for the mail tests.

    smtp_sink.py OUTPUT-DIR [--starttls | --tls] [--cert FILE --key FILE]
                 [--login USER:PASSWORD] [--mechanisms LIST]

listens on loopback, prints its port and writes each message as OUTPUT-DIR/0001.json, ...:
{"mail_from", "rcpt_tos", "data" (CR LF kept, dots unstuffed, non-UTF-8 bytes as surrogate
escapes), "encrypted", "user" (logged in as, or null)}. --starttls wants STARTTLS, --tls speaks
TLS from the first byte, --login wants that login by the mechanisms of LIST. STARTTLS and AUTH
are logged to OUTPUT-DIR/events.jsonl. Runs until killed."""

import argparse, asyncio, contextlib, json, logging, os, ssl, warnings

async def serve(options):
    from aiosmtpd.smtp import SMTP, AuthResult

    directory = options.directory
    login = options.login.split(":", 1) if options.login else None

    def record(event):
        with open(os.path.join(directory, "events.jsonl"), "a") as f:
            f.write(json.dumps(event) + "\n")

    class Keeper:
        count = 0

        async def handle_DATA(self, server, session, envelope):
            # Without decode_data, original_content is the received bytes after the server's
            # dot-unstuffing and before any decoding.
            Keeper.count += 1  # across connections, each of which has a Keeper of its own
            path = os.path.join(directory, "%04d.json" % Keeper.count)
            with open(path + ".part", "w") as f:
                json.dump({"mail_from": envelope.mail_from, "rcpt_tos": envelope.rcpt_tos,
                           "data": envelope.original_content.decode("utf-8", "surrogateescape"),
                           "encrypted": server.encrypted(),
                           "user": session.auth_data if session.authenticated else None}, f)
            os.replace(path + ".part", path)
            return "250 OK"

        def handle_STARTTLS(self, server, session, envelope):
            record({"event": "starttls"})
            return True

    def authenticator(server, session, envelope, mechanism, auth_data):
        if [auth_data.login.decode(), auth_data.password.decode()] == login:
            return AuthResult(success=True, auth_data=login[0])
        # aiosmtpd 1.4 sends no reply for a failure it is told was handled.
        return AuthResult(success=False, handled=False)

    class Sink(SMTP):
        def encrypted(self):
            return options.tls or self._tls_protocol is not None

        async def smtp_AUTH(self, arg):
            await super().smtp_AUTH(arg)
            record({"event": "auth", "mechanism": (arg.split() or [""])[0].upper(),
                    "success": bool(self.session.authenticated), "encrypted": self.encrypted()})

    # A client that refuses the certificate is no server error: no traceback for it.
    logging.getLogger("mail.log").setLevel(logging.CRITICAL)
    context = None
    if options.starttls or options.tls:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(options.cert, options.key)
    offered = context if options.starttls else None
    settings = dict(hostname="sink.siteherald.test", tls_context=offered,
                    require_starttls=offered is not None)
    if login:
        # The plain server that offers a login does so on purpose: no warning about it.
        warnings.simplefilter("ignore")
        # Over implicit TLS aiosmtpd does not know the connection is encrypted.
        settings.update(authenticator=authenticator, auth_required=True,
                        auth_require_tls=offered is not None,
                        auth_exclude_mechanism=[m for m in ("PLAIN", "LOGIN")
                                                if m not in options.mechanisms.upper()])
    # aiosmtpd's Controller checks its start-up by connecting to the port it was given, so
    # it cannot listen on port 0; the protocol class on a plain asyncio server can.
    server = await asyncio.get_running_loop().create_server(
        lambda: Sink(Keeper(), **settings), "127.0.0.1", 0, ssl=context if options.tls else None)
    print(server.sockets[0].getsockname()[1], flush=True)
    await server.serve_forever()

if __name__ == "__main__":
    parser = argparse.ArgumentParser(usage=__doc__.split("\n\n")[1])
    parser.add_argument("directory")
    [parser.add_argument(flag, action="store_true") for flag in ("--starttls", "--tls")]
    [parser.add_argument(option) for option in ("--cert", "--key", "--login")]
    parser.add_argument("--mechanisms", default="PLAIN,LOGIN")
    options = parser.parse_args()
    with contextlib.suppress(KeyboardInterrupt):
        asyncio.run(serve(options))
