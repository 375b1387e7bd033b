#!/usr/bin/env python3
"""An HTTPS server on loopback that serves an installation set at the product
paths, for the demo and the tests. Its behaviour can be chosen at start and
changed while it runs:

    demo_server.py --set FILE --cert server.pem --key server.key [--port N]
                   [--mode MODE] [--rate BYTES_PER_S] [--after BYTES]

MODE is one of
    normal    200 with Content-Length (the default)
    chunked   200 in chunks of 32 KiB
    nolength  200 without length, ended by closing the connection
    slow      like normal, at --rate bytes a second
    stall     like normal, but stops sending after --after bytes and waits
    short     like normal, but ends the connection after --after bytes, with
              its TLS close notification
    cut       like short, but closes TCP without a close notification
    404, 500  the error status with a small Czech page
    redirect  302 to /moved<path>, which serves the set normally

    GET /_control?mode=M[&rate=R][&after=A]   changes the mode of later requests

The server prints "PORT <n>" on its first line of output once it listens.
"""
import argparse
import http.server
import os
import socket
import socketserver
import ssl
import sys
import threading
import time
import urllib.parse

PRODUCT_PATHS = (
    "/QRTX/Instalace/Tarvo2021_2021K1.zip",
    "/QRTX/Instalace/Tarvo2021_NET_2021K1.zip",
    "/QRTX/Instalace/KveloWin2021_2021K1.zip",
)
BLOCK = 256 * 1024


class State:
    def __init__(self, args):
        self.lock = threading.Lock()
        self.set_file = args.set
        self.mode = args.mode
        self.rate = args.rate
        self.after = args.after
        self.stop = threading.Event()

    def snapshot(self):
        with self.lock:
            return self.mode, self.rate, self.after


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "VornelDemo/1.0"

    def log_message(self, fmt, *args):
        sys.stderr.write("demo_server: %s\n" % (fmt % args))

    def do_HEAD(self):
        self.do_GET(head=True)

    def do_GET(self, head=False):
        state = self.server.state
        url = urllib.parse.urlsplit(self.path)
        if url.path == "/_control":
            self.control(urllib.parse.parse_qs(url.query))
            return
        mode, rate, after = state.snapshot()
        path = url.path
        if path.startswith("/moved/"):
            path, mode = path[len("/moved"):], "normal"
        if path not in PRODUCT_PATHS:
            self.page(404, "Not Found")
            return
        if mode == "404":
            self.page(404, "Not Found")
        elif mode == "500":
            self.page(500, "Internal Server Error")
        elif mode == "redirect":
            self.send_response(302)
            self.send_header("Location", "/moved" + path)
            self.send_header("Content-Length", "0")
            self.end_headers()
        else:
            self.serve_set(mode, rate, after, head)

    def control(self, query):
        state = self.server.state
        with state.lock:
            if "mode" in query:
                state.mode = query["mode"][0]
            if "rate" in query:
                state.rate = int(query["rate"][0])
            if "after" in query:
                state.after = int(query["after"][0])
        body = b"ok\n"
        self.send_response(200)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def page(self, code, reason):
        body = ("<html><body><h1>%d %s</h1><p>Soubor nebyl nalezen.</p></body></html>\n"
                % (code, reason)).encode("utf-8")
        self.send_response(code, reason)
        self.send_header("Content-Type", "text/html; charset=utf-8")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def serve_set(self, mode, rate, after, head):
        size = os.path.getsize(self.server.state.set_file)
        self.send_response(200)
        self.send_header("Content-Type", "application/zip")
        if mode == "chunked":
            self.send_header("Transfer-Encoding", "chunked")
        elif mode == "nolength":
            self.send_header("Connection", "close")
            self.close_connection = True
        else:
            self.send_header("Content-Length", str(size))
        self.end_headers()
        if head:
            return
        sent = 0
        started = time.monotonic()
        with open(self.server.state.set_file, "rb") as f:
            while True:
                block = f.read(32 * 1024 if mode in ("chunked", "slow") else BLOCK)
                if not block:
                    break
                if mode in ("stall", "short", "cut") and sent + len(block) > after:
                    block = block[:max(0, after - sent)]
                    self.wfile.write(block)
                    self.wfile.flush()
                    if mode == "stall":
                        # Keep the connection open and silent until the client leaves.
                        self.server.state.stop.wait(3600)
                    else:
                        self.end_connection(notify=mode == "short")
                    return
                if mode == "chunked":
                    self.wfile.write(b"%x\r\n" % len(block) + block + b"\r\n")
                else:
                    self.wfile.write(block)
                sent += len(block)
                if mode == "slow" and rate > 0:
                    delay = sent / rate - (time.monotonic() - started)
                    if delay > 0:
                        time.sleep(delay)
        if mode == "chunked":
            self.wfile.write(b"0\r\n\r\n")
        elif mode == "nolength":
            self.wfile.flush()
            # The body ends with the connection; the close notification vouches
            # for that end.
            self.end_connection(notify=True)

    def end_connection(self, notify):
        self.close_connection = True
        try:
            if notify:
                self.connection.unwrap()
            self.connection.shutdown(socket.SHUT_RDWR)
        except (OSError, ssl.SSLError):
            pass


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True

    def __init__(self, address, context, state):
        self.context = context
        self.state = state
        super().__init__(address, Handler)

    def get_request(self):
        sock, address = self.socket.accept()
        return sock, address

    def finish_request(self, request, client_address):
        # The handshake runs on the request's own thread, never on the accept loop.
        try:
            tls = self.context.wrap_socket(request, server_side=True)
        except (ssl.SSLError, OSError) as error:
            sys.stderr.write("demo_server: handshake failed: %s\n" % error)
            return
        self.RequestHandlerClass(tls, client_address, self)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--set", required=True)
    parser.add_argument("--cert", required=True)
    parser.add_argument("--key", required=True)
    parser.add_argument("--host", default="127.0.0.1")
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--mode", default="normal")
    parser.add_argument("--rate", type=int, default=0)
    parser.add_argument("--after", type=int, default=0)
    args = parser.parse_args()
    if args.host not in ("127.0.0.1", "::1", "localhost"):
        parser.error("the demo server listens on loopback only")

    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(args.cert, args.key)
    family = socket.AF_INET6 if ":" in args.host else socket.AF_INET
    Server.address_family = family
    server = Server((args.host, args.port), context, State(args))
    print("PORT %d" % server.server_address[1], flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main()
