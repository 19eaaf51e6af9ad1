"""FTP server for the network tests: serves one folder on 127.0.0.1 with a free port.

Prints "PORT <n>" once it accepts connections. A file whose name starts with "broken" is cut off:
the server sends its first bytes and then drops the data and the control connection.
"""
import argparse
import os
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


class CuttingProducer:
    """Not a FileProducer, so that the server cannot hand the file to sendfile() whole."""

    def __init__(self, handler, file):
        self.handler = handler
        self.file = file
        self.sent = False

    def more(self):
        if not self.sent:
            self.sent = True
            return self.file.read(1024)
        # Drop both connections in the middle of the file.
        self.handler.close()
        return b""


class Handler(FTPHandler):
    use_sendfile = False

    def push_dtp_data(self, data, isproducer=False, file=None, cmd=None):
        if cmd == "RETR" and file is not None and os.path.basename(file.name).startswith("broken"):
            data = CuttingProducer(self, file)
        return super().push_dtp_data(data, isproducer, file, cmd)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--user", required=True)
    parser.add_argument("--password", required=True)
    args = parser.parse_args()

    authorizer = DummyAuthorizer()
    authorizer.add_user(args.user, args.password, args.root, perm="elr")
    Handler.authorizer = authorizer
    Handler.banner = "test server ready"
    Handler.passive_ports = None
    server = FTPServer(("127.0.0.1", 0), Handler)
    print("PORT %d" % server.socket.getsockname()[1], flush=True)
    server.serve_forever(handle_exit=True)


if __name__ == "__main__":
    sys.exit(main())
