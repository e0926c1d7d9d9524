#!/usr/bin/env python3
"""A web server for the tests that fetch photos: it listens on 127.0.0.1 (and ::1 where the
machine has it) only, over HTTP, over HTTPS with a certificate of a test authority it makes
itself, and over HTTPS with a certificate nobody trusts.

    fetch_server.py start STATE_DIR   starts it in the background; returns once it listens
    fetch_server.py stop STATE_DIR    stops it
    fetch_server.py serve STATE_DIR   runs it in the foreground

STATE_DIR/state.txt then holds "key=value" lines: http, https, untrusted and http6 (the ports;
http6 is 0 without IPv6), ca (the test authority's certificate, PEM) and pid.

What it serves, by path:
  /image?kind=jpeg|png&payload=TEXT&type=CONTENT-TYPE&delay=MS&gzip=1
                      the tests' small image of that kind (see tests/extract/thorough/TestImages.cpp)
  /status/CODE        that status, with a short text body (401 asks for credentials)
  /redirect?to=URL    302 to URL;   /redirects/N   a chain of N redirects, then an image
  /loop               302 to itself
  /signin             a sign-in page in HTML, 30 KB
  /empty              an empty body, called image/jpeg
  /cut                an image whose body ends long before its Content-Length
  /big                21 MB in chunks, no length;   /big?declared=1   a Content-Length of 25 MB
  /stall              the start of an image, then nothing
  /check              an image when the request has a User-Agent "Orvandel/..." and no Cookie or
                      Authorization header, else 400
  /cookie             302 to /check, setting a cookie
  /count              how many requests it has answered, as text
  /peak?group=G       the most images of group G (/image?group=G) answered at once since the
                      last /peak of G: "total=N" and a line per Host ("localhost=N"); the
                      group keeps tests that run side by side on one server out of each
                      other's counts
"""

import gzip
import http.server
import os
import signal
import socket
import ssl
import struct
import subprocess
import sys
import threading
import time
import urllib.parse

REQUESTS = 0
REQUESTS_LOCK = threading.Lock()
# Images being answered at once, by group, in all and by the Host header, and the most seen
# since /peak.
UNDER_WAY = {}
PEAK = {}


def jpeg(payload: bytes) -> bytes:
    return (b"\xFF\xD8\xFF\xE0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00"
            + payload + b"\xFF\xD9")


def png(payload: bytes) -> bytes:
    return (b"\x89PNG\r\n\x1A\n" + struct.pack(">I", 13) + b"IHDR" + struct.pack(">II", 1, 1)
            + b"\x08\x00\x00\x00\x00" + payload)


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    # Headers and body go out in two writes: without this, each answer would wait for the
    # client's delayed acknowledgement (40 ms), as Nagle's algorithm holds the second write back.
    disable_nagle_algorithm = True

    def log_message(self, *args):  # quiet
        pass

    def reply(self, status, body=b"", content_type="text/plain", headers=()):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        for name, value in headers:
            self.send_header(name, value)
        self.end_headers()
        self.wfile.write(body)

    def do_GET(self):
        global REQUESTS
        with REQUESTS_LOCK:
            REQUESTS += 1
        url = urllib.parse.urlsplit(self.path)
        query = dict(urllib.parse.parse_qsl(url.query))
        path = url.path
        if path == "/image":
            host = self.headers.get("Host", "").rsplit(":", 1)[0]
            group = query.get("group", "")
            keys = ((group, "total"), (group, host))
            with REQUESTS_LOCK:
                for key in keys:
                    UNDER_WAY[key] = UNDER_WAY.get(key, 0) + 1
                    PEAK[key] = max(PEAK.get(key, 0), UNDER_WAY[key])
            try:
                if "delay" in query:
                    time.sleep(int(query["delay"]) / 1000.0)
            finally:
                with REQUESTS_LOCK:
                    for key in keys:
                        UNDER_WAY[key] -= 1
            payload = query.get("payload", "fetched").encode()
            body = png(payload) if query.get("kind") == "png" else jpeg(payload)
            headers = []
            if query.get("gzip"):
                body = gzip.compress(body)
                headers.append(("Content-Encoding", "gzip"))
            self.reply(200, body, query.get("type", "image/jpeg"), headers)
        elif path.startswith("/status/"):
            code = int(path.split("/")[2])
            headers = [("WWW-Authenticate", 'Basic realm="photos"')] if code == 401 else []
            self.reply(code, b"status %d\n" % code, "text/plain", headers)
        elif path == "/redirect":
            self.reply(302, b"", "text/plain", [("Location", query["to"])])
        elif path.startswith("/redirects/"):
            left = int(path.split("/")[2])
            if left == 0:
                self.reply(200, jpeg(b"chain"), "image/jpeg")
            else:
                self.reply(302, b"", "text/plain", [("Location", "/redirects/%d" % (left - 1))])
        elif path == "/loop":
            self.reply(302, b"", "text/plain", [("Location", "/loop")])
        elif path == "/signin":
            page = b"<!DOCTYPE html><html><head><title>Sign in</title></head><body>"
            page += b"<p>Sign in to see this photo.</p>" * 900 + b"</body></html>"
            self.reply(200, page, "text/html; charset=utf-8")
        elif path == "/empty":
            self.reply(200, b"", "image/jpeg")
        elif path == "/cut":
            self.send_response(200)
            self.send_header("Content-Type", "image/jpeg")
            self.send_header("Content-Length", "5000")
            self.end_headers()
            self.wfile.write(jpeg(b"cut")[:100])
            self.wfile.flush()
            self.close_connection = True
        elif path == "/big":
            self.send_response(200)
            self.send_header("Content-Type", "image/jpeg")
            if query.get("declared"):
                self.send_header("Content-Length", str(25 * 1000 * 1000))
                self.end_headers()
                self.close_connection = True
                return
            self.send_header("Transfer-Encoding", "chunked")
            self.end_headers()
            chunk = b"\0" * 65536
            sent = 0
            first = jpeg(b"big")[:20]
            try:
                self.wfile.write(b"%x\r\n%s\r\n" % (len(first), first))
                while sent < 21 * 1000 * 1000:
                    self.wfile.write(b"%x\r\n%s\r\n" % (len(chunk), chunk))
                    sent += len(chunk)
                self.wfile.write(b"0\r\n\r\n")
            except OSError:
                pass
            self.close_connection = True
        elif path == "/stall":
            self.send_response(200)
            self.send_header("Content-Type", "image/jpeg")
            self.send_header("Content-Length", "1000")
            self.end_headers()
            self.wfile.write(jpeg(b"stall")[:30])
            self.wfile.flush()
            # Nothing more until the client gives up.
            self.connection.settimeout(600)
            try:
                while self.connection.recv(1024):
                    pass
            except OSError:
                pass
            self.close_connection = True
        elif path == "/check":
            agent = self.headers.get("User-Agent", "")
            if (agent.startswith("Orvandel/") and "Cookie" not in self.headers
                    and "Authorization" not in self.headers):
                self.reply(200, jpeg(b"checked"), "image/jpeg")
            else:
                self.reply(400, b"bad request\n")
        elif path == "/cookie":
            self.reply(302, b"", "text/plain", [("Set-Cookie", "session=secret; Path=/"),
                                                ("Location", "/check")])
        elif path == "/peak":
            group = query.get("group", "")
            with REQUESTS_LOCK:
                mine = sorted(key for key in PEAK if key[0] == group)
                text = "".join("%s=%d\n" % (key[1], PEAK.pop(key)) for key in mine)
            self.reply(200, text.encode())
        elif path == "/count":
            with REQUESTS_LOCK:
                count = REQUESTS - 1  # not this one
            self.reply(200, b"%d" % count)
        else:
            self.reply(404, b"no such path\n")


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True
    request_queue_size = 128


class Server6(Server):
    address_family = socket.AF_INET6


def run_openssl(*args):
    subprocess.run(["openssl", *args], check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def make_certificates(folder):
    """A test authority, a certificate it signs for localhost, 127.0.0.1 and ::1, and a
    self-signed one for the same names."""
    ca_key, ca = os.path.join(folder, "ca.key"), os.path.join(folder, "ca.pem")
    key, request, cert = (os.path.join(folder, name) for name in ("server.key", "server.csr", "server.pem"))
    names = os.path.join(folder, "names.ext")
    with open(names, "w") as f:
        f.write("subjectAltName=DNS:localhost,IP:127.0.0.1,IP:::1\n"
                "basicConstraints=CA:FALSE\nkeyUsage=digitalSignature,keyEncipherment\n"
                "extendedKeyUsage=serverAuth\n")
    run_openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-keyout", ca_key,
                "-out", ca, "-subj", "/CN=Orvandel Test Authority",
                "-addext", "basicConstraints=critical,CA:TRUE", "-addext", "keyUsage=critical,keyCertSign,cRLSign")
    run_openssl("req", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out", request, "-subj", "/CN=localhost")
    run_openssl("x509", "-req", "-in", request, "-CA", ca, "-CAkey", ca_key, "-CAcreateserial", "-days", "2",
                "-out", cert, "-extfile", names)
    untrusted_key, untrusted = os.path.join(folder, "untrusted.key"), os.path.join(folder, "untrusted.pem")
    run_openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-keyout", untrusted_key,
                "-out", untrusted, "-subj", "/CN=localhost",
                "-addext", "subjectAltName=DNS:localhost,IP:127.0.0.1,IP:::1")
    return ca, (cert, key), (untrusted, untrusted_key)


def serve_tls(server, pair):
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(*pair)
    server.socket = context.wrap_socket(server.socket, server_side=True)


def serve(folder):
    os.makedirs(folder, exist_ok=True)
    ca, trusted, untrusted = make_certificates(folder)
    servers = {"http": Server(("127.0.0.1", 0), Handler)}
    servers["https"] = Server(("127.0.0.1", 0), Handler)
    serve_tls(servers["https"], trusted)
    servers["untrusted"] = Server(("127.0.0.1", 0), Handler)
    serve_tls(servers["untrusted"], untrusted)
    try:
        servers["http6"] = Server6(("::1", 0), Handler)
    except OSError:
        pass
    for server in servers.values():
        threading.Thread(target=server.serve_forever, daemon=True).start()
    state = {name: server.server_address[1] for name, server in servers.items()}
    state.setdefault("http6", 0)
    state["ca"] = ca
    state["pid"] = os.getpid()
    temporary = os.path.join(folder, "state.txt.part")
    with open(temporary, "w") as f:
        for key, value in state.items():
            f.write("%s=%s\n" % (key, value))
    os.replace(temporary, os.path.join(folder, "state.txt"))
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    while True:
        time.sleep(3600)


def start(folder):
    os.makedirs(folder, exist_ok=True)
    stop(folder)
    state_file = os.path.join(folder, "state.txt")
    log = open(os.path.join(folder, "server.log"), "w")
    child = subprocess.Popen([sys.executable, os.path.abspath(__file__), "serve", folder],
                             stdout=log, stderr=log, stdin=subprocess.DEVNULL, start_new_session=True)
    for _ in range(600):
        if os.path.exists(state_file):
            return 0
        if child.poll() is not None:
            break
        time.sleep(0.05)
    sys.stderr.write("the test server did not start; see %s\n" % log.name)
    return 1


def stop(folder):
    state_file = os.path.join(folder, "state.txt")
    if not os.path.exists(state_file):
        return 0
    with open(state_file) as f:
        state = dict(line.strip().split("=", 1) for line in f if "=" in line)
    os.remove(state_file)
    try:
        os.kill(int(state["pid"]), signal.SIGTERM)
    except (KeyError, ValueError, ProcessLookupError):
        pass
    return 0


if __name__ == "__main__":
    if len(sys.argv) != 3 or sys.argv[1] not in ("start", "stop", "serve"):
        sys.stderr.write(__doc__)
        sys.exit(2)
    command, where = sys.argv[1], os.path.abspath(sys.argv[2])
    sys.exit({"start": start, "stop": stop, "serve": serve}[command](where))
