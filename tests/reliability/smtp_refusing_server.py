"""An SMTP server on 127.0.0.1 that refuses mail, for the fault tests.

Prints "PORT <n>" once it listens; appends every command it receives to the file named by --log.
--refuse greeting: answers the connection with 554 and takes nothing;
--refuse rcpt:     greets and accepts the sender, then refuses the recipient with 550.
Stops when its standard input closes.
"""
import argparse
import asyncio
import sys


async def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--log", required=True)
    parser.add_argument("--refuse", choices=["greeting", "rcpt"], required=True)
    args = parser.parse_args()

    def note(line):
        with open(args.log, "a", encoding="utf-8") as f:
            f.write(line + "\n")

    async def session(reader, writer):
        if args.refuse == "greeting":
            writer.write(b"554 5.7.1 No SMTP service here\r\n")
        else:
            writer.write(b"220 refusing.test ESMTP\r\n")
        await writer.drain()
        while True:
            line = await reader.readline()
            if not line:
                break
            text = line.decode("utf-8", "replace").rstrip("\r\n")
            note(text)
            verb = text.split(" ")[0].split(":")[0].upper()
            if verb == "QUIT":
                writer.write(b"221 bye\r\n")
                await writer.drain()
                break
            if args.refuse == "greeting":
                writer.write(b"503 5.5.1 No service\r\n")
            elif verb in ("EHLO", "HELO"):
                writer.write(b"250 refusing.test\r\n")
            elif verb == "MAIL":
                writer.write(b"250 2.1.0 OK\r\n")
            elif verb == "RCPT":
                writer.write(b"550 5.1.1 Mailbox unavailable\r\n")
            else:
                writer.write(b"503 5.5.1 Bad sequence of commands\r\n")
            await writer.drain()
        writer.close()

    server = await asyncio.start_server(session, "127.0.0.1", 0)
    print("PORT %d" % server.sockets[0].getsockname()[1], flush=True)
    loop = asyncio.get_running_loop()
    await loop.run_in_executor(None, sys.stdin.read)
    server.close()


if __name__ == "__main__":
    asyncio.run(main())
