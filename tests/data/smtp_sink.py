"""A real SMTP server on 127.0.0.1 for the error-mail tests.

Prints "READY <port>" once it listens, appends every message it receives to the file named by the
first argument as one JSON object per line (envelope, decoded subject and plain-text body), and
stops when its standard input closes.
"""
import asyncio
import email
import json
import sys
from email import policy

from aiosmtpd.smtp import SMTP


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


async def serve(out):
    loop = asyncio.get_running_loop()
    server = await loop.create_server(lambda: SMTP(Sink(out)), "127.0.0.1", 0)
    print("READY %d" % server.sockets[0].getsockname()[1], flush=True)
    await loop.run_in_executor(None, sys.stdin.read)
    server.close()
    await server.wait_closed()


def main():
    asyncio.run(serve(sys.argv[1]))


if __name__ == "__main__":
    main()
