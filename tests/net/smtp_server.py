"""SMTP server for the network tests: writes every message it receives into a folder.

Prints "PORT <n>" once it accepts connections. Message n is written as msg-<n>.eml (as received)
and msg-<n>.json (envelope, decoded subject and body), each complete before it appears.
"""
import argparse
import email
import email.policy
import json
import os
import signal
import socket
import sys
import threading

from aiosmtpd.controller import Controller


class Handler:
    def __init__(self, folder):
        self.folder = folder
        self.count = 0

    def write(self, name, data):
        tmp = os.path.join(self.folder, "." + name + ".tmp")
        with open(tmp, "wb") as f:
            f.write(data)
        os.replace(tmp, os.path.join(self.folder, name))

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        raw = envelope.original_content or envelope.content
        message = email.message_from_bytes(raw, policy=email.policy.default)
        record = {
            "mail_from": envelope.mail_from,
            "rcpt_tos": envelope.rcpt_tos,
            "subject": str(message["subject"]),
            "content_type": message.get_content_type(),
            "charset": message.get_content_charset(),
            "body": message.get_content(),
        }
        self.write("msg-%d.eml" % self.count, raw)
        self.write("msg-%d.json" % self.count, json.dumps(record, ensure_ascii=False).encode("utf-8"))
        return "250 Message accepted"


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--folder", required=True)
    args = parser.parse_args()
    controller = Controller(Handler(args.folder), hostname="127.0.0.1", port=free_port())
    controller.start()
    print("PORT %d" % controller.port, flush=True)
    stop = threading.Event()
    signal.signal(signal.SIGTERM, lambda *a: stop.set())
    signal.signal(signal.SIGINT, lambda *a: stop.set())
    stop.wait()
    controller.stop()


if __name__ == "__main__":
    sys.exit(main())
