"""A real SMTP server on 127.0.0.1 for the error-mail tests.

Prints "READY <port>" once it listens, appends every message it receives to the file named by the
first argument as one JSON object per line (envelope, decoded subject and plain-text body), and
stops when its standard input closes.
"""
import email
import json
import socket
import sys
from email import policy

from aiosmtpd.controller import Controller


class Sink:
    def __init__(self, out):
        self.out = out

    async def handle_DATA(self, server, session, envelope):
        msg = email.message_from_bytes(envelope.original_content or envelope.content, policy=policy.default)
        part = msg.get_body(preferencelist=("plain",))
        record = {
            "helo": session.host_name,
            "mail_from": envelope.mail_from,
            "rcpt_tos": envelope.rcpt_tos,
            "from": str(msg["from"] or ""),
            "to": str(msg["to"] or ""),
            "cc": str(msg["cc"] or ""),
            "subject": str(msg["subject"] or ""),
            "content_type": msg.get_content_type(),
            "body": part.get_content() if part is not None else "",
        }
        with open(self.out, "a", encoding="utf-8") as f:
            f.write(json.dumps(record, ensure_ascii=False) + "\n")
        return "250 OK"


def main():
    out = sys.argv[1]
    probe = socket.socket()
    probe.bind(("127.0.0.1", 0))
    port = probe.getsockname()[1]
    probe.close()
    controller = Controller(Sink(out), hostname="127.0.0.1", port=port)
    controller.start()
    print("READY %d" % port, flush=True)
    sys.stdin.read()
    controller.stop()


if __name__ == "__main__":
    main()
