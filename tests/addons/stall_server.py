#!/usr/bin/env python3
"""A catalogue server for the interruption test: serves files under ROOT with
Range support, optionally throttled, logs each request line and Range header,
and answers the form interfaces with 404 (the client then keeps its
catalogue). Listens on PORT (default: a free one) and prints
"listening on 127.0.0.1:PORT".
Usage: stall_server.py ROOT BYTES_PER_SECOND LOG [PORT]"""
import http.server
import os
import socket
import sys
import time

root, rate, log_path = sys.argv[1], int(sys.argv[2]), sys.argv[3]
port = int(sys.argv[4]) if len(sys.argv) > 4 else 0


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def do_POST(self):
        with open(log_path, "a") as log:
            log.write("POST %s\n" % self.path)
        self.send_response(404)
        self.send_header("Content-Length", "0")
        self.send_header("Connection", "close")
        self.end_headers()

    def do_GET(self):
        path = os.path.normpath(os.path.join(root, self.path.lstrip("/")))
        start = 0
        ranged = self.headers.get("Range", "")
        with open(log_path, "a") as log:
            log.write("GET %s %s\n" % (self.path, ranged))
        if not path.startswith(root) or not os.path.isfile(path):
            self.send_response(404)
            self.send_header("Content-Length", "0")
            self.send_header("Connection", "close")
            self.end_headers()
            return
        data = open(path, "rb").read()
        if ranged.startswith("bytes="):
            start = min(int(ranged[6:].split("-")[0] or 0), len(data))
        self.send_response(206 if start else 200)
        if start:
            self.send_header("Content-Range", "bytes %d-%d/%d" % (start, len(data) - 1, len(data)))
        self.send_header("Content-Length", str(len(data) - start))
        self.send_header("Connection", "close")
        self.end_headers()
        step = 8192
        try:
            for at in range(start, len(data), step):
                self.wfile.write(data[at:at + step])
                self.wfile.flush()
                if rate:
                    time.sleep(step / rate)
        except (BrokenPipeError, ConnectionResetError):
            pass  # the client was killed


http.server.ThreadingHTTPServer.allow_reuse_address = True
# The system's longest accept queue (the default of 5 makes bursts wait).
http.server.ThreadingHTTPServer.request_queue_size = socket.SOMAXCONN
server = http.server.ThreadingHTTPServer(("127.0.0.1", port), Handler)
print("listening on 127.0.0.1:%d" % server.server_address[1], flush=True)
server.serve_forever()
