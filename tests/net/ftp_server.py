"""FTP server for the network tests: serves one folder on 127.0.0.1 with a free port.

Prints "PORT <n>" once it accepts connections. A file whose name starts with "broken" is cut off:
the server sends its first bytes and then drops the data and the control connection.

--cut MODE cuts every file it sends after its first 1024 bytes: "drop" drops both connections
(no reply after the data), "226" closes the data connection and replies 226 as if the file were
whole, "426" closes it and replies 426. --no-size answers SIZE with 502 (not implemented), so that a client learns the
size only from the transfer's reply; --announce-size writes the size into that reply
("150 ... (n bytes)").
"""
import argparse
import os
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.log import logger
from pyftpdlib.servers import FTPServer


class CuttingProducer:
    """Not a FileProducer, so that the server cannot hand the file to sendfile() whole."""

    def __init__(self, handler, file, mode):
        self.handler = handler
        self.file = file
        self.mode = mode
        self.sent = False

    def more(self):
        if not self.sent:
            self.sent = True
            return self.file.read(1024)
        if self.mode == "226":
            # The end of the data: the server replies 226 as for a whole file.
            return b""
        if self.mode == "426":
            channel = self.handler.data_channel
            channel._resp = ("426 Connection closed; transfer aborted.", logger.debug)
            channel.close()
            return b""
        # Drop both connections in the middle of the file.
        self.handler.close()
        return b""


class Handler(FTPHandler):
    use_sendfile = False
    cut = None
    no_size = False
    announce_size = False
    retr_size = None

    def ftp_SIZE(self, path):
        if self.no_size:
            self.respond("502 Command not implemented.")
            return
        return super().ftp_SIZE(path)

    def ftp_RETR(self, file):
        try:
            self.retr_size = os.path.getsize(file)
        except OSError:
            self.retr_size = None
        return super().ftp_RETR(file)

    def respond(self, resp, logfun=logger.debug):
        if self.announce_size and self.retr_size is not None and resp[:4] in ("125 ", "150 "):
            resp = "%s Opening BINARY mode data connection for file (%d bytes)." % (resp[:3], self.retr_size)
            self.retr_size = None
        return super().respond(resp, logfun)

    def push_dtp_data(self, data, isproducer=False, file=None, cmd=None):
        if cmd == "RETR" and file is not None:
            if os.path.basename(file.name).startswith("broken"):
                data = CuttingProducer(self, file, "drop")
            elif self.cut:
                data = CuttingProducer(self, file, self.cut)
        return super().push_dtp_data(data, isproducer, file, cmd)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--user", required=True)
    parser.add_argument("--password", required=True)
    parser.add_argument("--cut", choices=["drop", "226", "426"])
    parser.add_argument("--no-size", action="store_true")
    parser.add_argument("--announce-size", action="store_true")
    args = parser.parse_args()

    authorizer = DummyAuthorizer()
    authorizer.add_user(args.user, args.password, args.root, perm="elr")
    Handler.authorizer = authorizer
    Handler.banner = "test server ready"
    Handler.passive_ports = None
    Handler.cut = args.cut
    Handler.no_size = args.no_size
    Handler.announce_size = args.announce_size
    server = FTPServer(("127.0.0.1", 0), Handler)
    print("PORT %d" % server.socket.getsockname()[1], flush=True)
    server.serve_forever(handle_exit=True)


if __name__ == "__main__":
    sys.exit(main())
