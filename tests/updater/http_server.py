#!/usr/bin/env python3
"""HTTP/1.0 test server for the downloader tests, on loopback only.

  /file/NAME   a file of the served directory, with its Content-Length
  /body?...    a made-up response:
                 size=N        body length (bytes i % 251), default 0
                 length=L      Content-Length header: a number, "none" (no header) or any text;
                               default: the real size
                 status=S      status code, default 200
                 chunk=K, delay=MS   send the body in K-byte pieces, MS milliseconds apart
               the connection closes after the body, cut short or not
  /DIR/NAME    a file of the served directory named NAME, when there is one (else 404)
  /echo        the request as the server received it, as JSON: method, target, version, headers
               (a list of [name, value]) and body (bytes as Latin-1 text)

With --proxy USER:PASSWORD it is a proxy instead, one that wants these Basic credentials: a request
without them gets 407 with a Basic challenge; one with them is passed on to 127.0.0.1:80 and the
answer sent back as it came.

Stops by itself after --lifetime seconds.
"""
import argparse
import base64
import http.client
import json
import os
import socket
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer


def pattern(size):
    block = bytes(i % 251 for i in range(251))
    return (block * (size // 251 + 1))[:size]


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"
    root = "."
    proxy_authorization = None  # as a proxy: the Proxy-Authorization header it wants

    def log_message(self, *args):
        pass

    def do_GET(self):
        self.respond()

    def do_POST(self):
        self.respond()

    def respond(self):
        url = urllib.parse.urlsplit(self.path)
        query = dict(urllib.parse.parse_qsl(url.query))
        try:
            if self.proxy_authorization is not None:
                self.pass_on(url)
            elif url.path.startswith("/file/"):
                self.send_file(url.path[len("/file/"):])
            elif url.path == "/body":
                self.send_body(query)
            elif url.path == "/echo":
                self.send_echo()
            elif os.path.isfile(os.path.join(self.root, os.path.basename(url.path))):
                # Any other address of a served file, as an update server lays them out.
                self.send_file(url.path)
            else:
                self.send_made_up(404, b"<html><body>Not here</body></html>", None)
        except (BrokenPipeError, ConnectionResetError):
            pass

    def send_file(self, name):
        path = os.path.join(self.root, os.path.basename(name))
        if not os.path.isfile(path):
            self.send_made_up(404, b"no such file", None)
            return
        size = os.path.getsize(path)
        self.send_response(200)
        self.send_header("Content-Length", str(size))
        self.end_headers()
        with open(path, "rb") as f:
            self.wfile.flush()
            self.connection.sendfile(f)

    def send_body(self, query):
        size = int(query.get("size", "0"))
        length = query.get("length")
        status = int(query.get("status", "200"))
        chunk = int(query.get("chunk", "0")) or max(size, 1)
        delay = int(query.get("delay", "0")) / 1000.0
        self.send_made_up(status, pattern(size), length, chunk, delay)

    def pass_on(self, url):
        if self.headers.get("Proxy-Authorization", "") != self.proxy_authorization:
            self.send_made_up(407, b"<html><body>Proxy Authentication Required</body></html>", None,
                              headers=[("Proxy-Authenticate", 'Basic realm="Quorvex test proxy"')])
            return
        origin = http.client.HTTPConnection("127.0.0.1", 80, timeout=30)
        origin.request("GET", url.path + (f"?{url.query}" if url.query else ""), headers={"Host": url.netloc})
        answer = origin.getresponse()
        body = answer.read()
        self.send_response(answer.status)
        for name, value in answer.getheaders():
            if name.lower() not in ("connection", "server", "date"):
                self.send_header(name, value)
        self.end_headers()
        self.wfile.write(body)

    def send_made_up(self, status, body, length, chunk=None, delay=0.0, headers=()):
        self.send_response(status)
        for name, value in headers:
            self.send_header(name, value)
        if length is None:
            self.send_header("Content-Length", str(len(body)))
        elif length != "none":
            self.send_header("Content-Length", length)
        self.end_headers()
        self.wfile.flush()
        chunk = chunk or max(len(body), 1)
        for start in range(0, len(body), chunk):
            if start and delay:
                time.sleep(delay)
            self.wfile.write(body[start:start + chunk])
            self.wfile.flush()

    def send_echo(self):
        length = int(self.headers.get("Content-Length", "0"))
        body = self.rfile.read(length) if length else b""
        method, target, version = self.requestline.split(" ", 2)
        report = {
            "method": method,
            "target": target,
            "version": version,
            "headers": [[k, v] for k, v in self.headers.items()],
            "body": body.decode("latin-1"),
        }
        self.send_made_up(200, json.dumps(report).encode(), None)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", default=".")
    parser.add_argument("--port", type=int, default=80)
    parser.add_argument("--lifetime", type=float, default=900)
    parser.add_argument("--proxy", metavar="USER:PASSWORD")
    args = parser.parse_args()
    Handler.root = args.root
    if args.proxy:
        Handler.proxy_authorization = "Basic " + base64.b64encode(args.proxy.encode()).decode()
    ThreadingHTTPServer.daemon_threads = True
    ThreadingHTTPServer.request_queue_size = 64
    server = ThreadingHTTPServer(("127.0.0.1", args.port), Handler)
    server.socket.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    timer = threading.Timer(args.lifetime, server.shutdown)
    timer.daemon = True
    timer.start()
    server.serve_forever()


if __name__ == "__main__":
    main()
