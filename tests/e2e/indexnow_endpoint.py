#!/usr/bin/env python3
"""A loopback IndexNow endpoint. POST /NAME-PLAN/indexnow answers by PLAN, a dot-separated list
of answers taken in turn per path (the last one repeats): 200, 202, 400, 403, 429 (no Retry-After),
429r1 (Retry-After: 1), 429d (Retry-After: a date already past). Before a 200 or 202 it checks
the request as the protocol does: a JSON body with host, key, keyLocation and urlList (else
400), a key of 8-128 a-zA-Z0-9- and every address on the host (else 422), and the key file
fetched from keyLocation holding the key (else 403). Every request is kept in `requests`:
(plan, status, addresses). Run alone, it prints its port and serves until killed."""

import collections, email.utils, http.server, json, re, threading, urllib.parse, urllib.request

class Endpoint(http.server.ThreadingHTTPServer):
    def __init__(self):
        super().__init__(("127.0.0.1", 0), Handler)
        self.requests, self.turns, self.lock = [], collections.Counter(), threading.Lock()
        threading.Thread(target=self.serve_forever, daemon=True).start()

    def url(self, plan="200"): return "http://127.0.0.1:%d/%s/indexnow" % (self.server_port, plan)

def checked(body, content_type):
    """The status the protocol gives the request, and its addresses."""
    try:
        assert content_type == "application/json; charset=utf-8"
        doc = json.loads(body)
        host, key, location, urls = doc["host"], doc["key"], doc["keyLocation"], doc["urlList"]
        assert all(isinstance(v, str) for v in [host, key, location, *urls]) and 0 < len(urls) <= 10000
    except (AssertionError, ValueError, KeyError, TypeError):
        return 400, []
    if not re.fullmatch("[a-zA-Z0-9-]{8,128}", key) or any(
            urllib.parse.urlsplit(u).hostname != host for u in urls + [location]):
        return 422, urls
    try:
        served = urllib.request.urlopen(location, timeout=10).read().decode().strip()
    except OSError:
        served = None
    return (200 if served == key else 403), urls

class Handler(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        plan = self.path.split("/")[1]
        body = self.rfile.read(int(self.headers.get("Content-Length", 0)))
        with self.server.lock:
            answers = plan.rsplit("-", 1)[-1].split(".")
            answer = answers[min(self.server.turns[plan], len(answers) - 1)]
            self.server.turns[plan] += 1
        status, urls = checked(body, self.headers.get("Content-Type"))
        status = int(answer[:3]) if status == 200 else status
        with self.server.lock:
            self.server.requests.append((plan, status, urls))
        self.send_response(status)
        if answer[3:] == "r1":
            self.send_header("Retry-After", "1")
        elif answer[3:] == "d":
            self.send_header("Retry-After", email.utils.formatdate(0, usegmt=True))
        self.end_headers()

    def log_message(self, *args): pass

if __name__ == "__main__":
    print(Endpoint().server_port, flush=True)
    threading.Event().wait()
