#!/usr/bin/env python3
"""An HTTP proxy on loopback that wants Basic credentials, for the tests of proxy prompts.

  proxy_server.py --port 8080 --user tester --password secret

A request without the right Proxy-Authorization gets 407 with a Basic challenge (and a body with
its Content-Length); one with it is passed on to 127.0.0.1:80 and the answer sent back as it came.
Stops by itself after --lifetime seconds.
"""
import argparse
import base64
import http.client
import threading
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer


class Proxy(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"
    wanted = ""

    def log_message(self, *args):
        pass

    def do_GET(self):
        if self.headers.get("Proxy-Authorization", "") != self.wanted:
            body = b"<html><body>407 Proxy Authentication Required</body></html>"
            self.send_response(407)
            self.send_header("Proxy-Authenticate", 'Basic realm="Quorvex test proxy"')
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)
            return
        url = urllib.parse.urlsplit(self.path)
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


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port", type=int, default=8080)
    parser.add_argument("--user", default="tester")
    parser.add_argument("--password", default="secret")
    parser.add_argument("--lifetime", type=float, default=900)
    args = parser.parse_args()
    Proxy.wanted = "Basic " + base64.b64encode(f"{args.user}:{args.password}".encode()).decode()
    ThreadingHTTPServer.daemon_threads = True
    server = ThreadingHTTPServer(("127.0.0.1", args.port), Proxy)
    timer = threading.Timer(args.lifetime, server.shutdown)
    timer.daemon = True
    timer.start()
    server.serve_forever()


if __name__ == "__main__":
    main()
