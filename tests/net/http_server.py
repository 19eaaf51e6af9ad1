"""HTTP server for the network tests: records the path of every GET in a file, one line each.

Prints "PORT <n>" once it accepts connections. "/status/<code>" answers with that status;
"/slow?seconds=<s>" answers after s seconds; anything else answers 200 "OK". --answer TEXT=CODE
(repeatable) answers every request whose path holds TEXT with status CODE.
"""
import argparse
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import parse_qs, urlsplit

lock = threading.Lock()


class Handler(BaseHTTPRequestHandler):
    log_path = None
    answers = []

    def do_GET(self):
        with lock, open(self.log_path, "a", encoding="utf-8") as log:
            log.write(self.path + "\n")
        url = urlsplit(self.path)
        status = 200
        if url.path.startswith("/status/"):
            status = int(url.path.rsplit("/", 1)[1])
        elif url.path == "/slow":
            time.sleep(float(parse_qs(url.query).get("seconds", ["5"])[0]))
        for text, code in self.answers:
            if text in self.path:
                status = code
                break
        body = b"OK" if status == 200 else b"NO"
        try:
            self.send_response(status)
            self.send_header("Content-Type", "text/plain")
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)
        except (BrokenPipeError, ConnectionResetError):
            pass

    def log_message(self, format, *args):
        pass


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--log", required=True)
    parser.add_argument("--answer", action="append", default=[])
    args = parser.parse_args()
    Handler.log_path = args.log
    Handler.answers = [(a.rsplit("=", 1)[0], int(a.rsplit("=", 1)[1])) for a in args.answer]
    server = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    print("PORT %d" % server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    sys.exit(main())
