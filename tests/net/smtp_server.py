"""SMTP server for the network tests: writes every message it receives into a folder.

Prints "PORT <n>" once it accepts connections. Message n is written as msg-<n>.eml (as received)
and msg-<n>.json (envelope, decoded subject and body), each complete before it appears.
"""
import argparse
import asyncio
import email
import email.policy
import json
import os
import signal
import sys

from aiosmtpd.smtp import SMTP


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


async def serve(folder):
    loop = asyncio.get_running_loop()
    handler = Handler(folder)
    server = await loop.create_server(lambda: SMTP(handler), "127.0.0.1", 0)
    print("PORT %d" % server.sockets[0].getsockname()[1], flush=True)
    stop = asyncio.Event()
    loop.add_signal_handler(signal.SIGTERM, stop.set)
    loop.add_signal_handler(signal.SIGINT, stop.set)
    await stop.wait()
    server.close()
    await server.wait_closed()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--folder", required=True)
    args = parser.parse_args()
    asyncio.run(serve(args.folder))


if __name__ == "__main__":
    sys.exit(main())
