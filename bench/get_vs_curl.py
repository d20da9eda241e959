#!/usr/bin/env python3
"""Download speed of `siteherald-cli get` against curl on loopback.

Serves one file of --size-mb megabytes from a threaded HTTP/1.0 server on 127.0.0.1 that
answers with sendfile and closes after the body, then downloads it alternately with
`siteherald-cli get URL > /dev/null` and `curl -s -o /dev/null URL` and prints the median
throughput of each and their ratio. Before timing, each client downloads the file once into
a pipe whose bytes are counted and hashed, so that a short or wrong body is caught.

Exits non-zero when a download fails or delivers the wrong bytes; a slow client is only
reported.

Usage: get_vs_curl.py [CLI] [--size-mb N] [--runs N]
"""

import argparse
import hashlib
import os
import shutil
import socket
import socketserver
import statistics
import subprocess
import tempfile
import threading
import time

MB = 1000 * 1000
ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DEFAULT_CLI = os.path.join(ROOT, "build", "bench", "src", "app", "siteherald-cli")
TARGET_RATIO = 0.9
DOWNLOAD_TIMEOUT = 300  # seconds before a hung client is killed


class FileServer(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True

    def __init__(self, path):
        self.path = path
        self.size = os.path.getsize(path)
        self.lock = threading.Lock()
        self.short_sends = []  # (request line, bytes sent) of bodies not sent whole
        super().__init__(("127.0.0.1", 0), FileHandler)


class FileHandler(socketserver.BaseRequestHandler):
    def handle(self):
        server = self.server
        sock = self.request
        request = b""
        while b"\r\n\r\n" not in request and b"\n\n" not in request:
            chunk = sock.recv(4096)
            if not chunk or len(request) > 65536:
                return
            request += chunk
        request_line = request.split(b"\n", 1)[0].strip()
        parts = request_line.split()
        if len(parts) < 2 or parts[0] != b"GET" or parts[1] != b"/file.bin":
            sock.sendall(b"HTTP/1.0 404 Not Found\r\nContent-Length: 0\r\n\r\n")
            return
        sock.sendall(
            b"HTTP/1.0 200 OK\r\nContent-Type: application/octet-stream\r\n"
            b"Content-Length: %d\r\n\r\n" % server.size
        )
        sent = 0
        try:
            with open(server.path, "rb") as f:
                sent = sock.sendfile(f)
        except OSError:
            pass
        if sent != server.size:
            with server.lock:
                server.short_sends.append((request_line.decode("latin-1"), sent))
        # Closing ends the body: HTTP/1.0 without keep-alive.
        try:
            sock.shutdown(socket.SHUT_WR)
        except OSError:
            pass


def make_file(folder, size):
    path = os.path.join(folder, "file.bin")
    digest = hashlib.sha256()
    block = 1 << 20
    with open(path, "wb") as f:
        left = size
        while left > 0:
            data = os.urandom(min(block, left))
            digest.update(data)
            f.write(data)
            left -= len(data)
    return path, digest.hexdigest()


def check_bytes(name, command, size, digest):
    """Runs one download into a pipe and compares what arrived with the file."""
    proc = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    killer = threading.Timer(DOWNLOAD_TIMEOUT, proc.kill)
    killer.start()
    got = hashlib.sha256()
    count = 0
    while True:
        chunk = proc.stdout.read(1 << 20)
        if not chunk:
            break
        got.update(chunk)
        count += len(chunk)
    err = proc.stderr.read().decode(errors="replace").strip()
    rc = proc.wait()
    killer.cancel()
    if rc != 0:
        raise SystemExit(f"{name}: download failed (exit {rc}): {err}")
    if count != size:
        raise SystemExit(f"{name}: received {count} bytes, the file has {size}")
    if got.hexdigest() != digest:
        raise SystemExit(f"{name}: received {count} bytes that differ from the file")


def timed_run(name, command):
    """Wall-clock and CPU seconds (user + system) of one download to /dev/null."""
    with tempfile.TemporaryFile() as err:
        start = time.perf_counter()
        proc = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=err)
        killer = threading.Timer(DOWNLOAD_TIMEOUT, proc.kill)
        killer.start()
        _, status, usage = os.wait4(proc.pid, 0)
        elapsed = time.perf_counter() - start
        killer.cancel()
        proc.returncode = os.waitstatus_to_exitcode(status)
        if proc.returncode != 0:
            err.seek(0)
            raise SystemExit(
                f"{name}: download failed (exit {proc.returncode}): "
                + err.read().decode(errors="replace").strip()
            )
    return elapsed, usage.ru_utime + usage.ru_stime


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("cli", nargs="?", default=DEFAULT_CLI, help="siteherald-cli to measure")
    parser.add_argument("--size-mb", type=int, default=200, help="size of the file (MB)")
    parser.add_argument("--runs", type=int, default=5, help="timed downloads per client")
    args = parser.parse_args()

    cli = os.path.abspath(args.cli)
    if not os.access(cli, os.X_OK):
        raise SystemExit(f"no siteherald-cli at {cli}")
    curl = shutil.which("curl")
    if not curl:
        raise SystemExit("curl is not installed")

    size = args.size_mb * MB
    folder = tempfile.mkdtemp(prefix="siteherald-getbench-")
    server = None
    try:
        path, digest = make_file(folder, size)
        server = FileServer(path)
        threading.Thread(target=server.serve_forever, daemon=True).start()
        url = "http://127.0.0.1:%d/file.bin" % server.server_address[1]

        clients = [
            ("siteherald", [cli, "get", url]),
            ("curl", [curl, "-s", "-S", "-f", "-o", "-", url]),
        ]
        for name, command in clients:
            check_bytes(name, command, size, digest)

        timed = {
            "siteherald": [cli, "get", url],
            "curl": [curl, "-s", "-S", "-f", "-o", "/dev/null", url],
        }
        times = {name: [] for name in timed}
        for _ in range(args.runs):
            for name, command in timed.items():
                times[name].append(timed_run(name, command))
        if server.short_sends:
            raise SystemExit(f"bodies sent short: {server.short_sends}")

        rates = {}
        print(f"download of {args.size_mb} MB from 127.0.0.1, {args.runs} runs each, median:")
        for name, samples in times.items():
            elapsed = [wall for wall, _ in samples]
            rates[name] = size / MB / statistics.median(elapsed)
            cpu = statistics.median(c for _, c in samples)
            runs = " ".join(f"{size / MB / t:.0f}" for t in elapsed)
            print(
                f"  {name:<11} {rates[name]:8.1f} MB/s   CPU {cpu:5.3f} s"
                f"   (runs, MB/s: {runs})"
            )
        ratio = rates["siteherald"] / rates["curl"]
        verdict = "ok" if ratio >= TARGET_RATIO else f"below the goal of {TARGET_RATIO}"
        print(f"  siteherald/curl {ratio:.2f} ({verdict})")
    finally:
        if server is not None:
            server.shutdown()
            server.server_close()
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    main()
