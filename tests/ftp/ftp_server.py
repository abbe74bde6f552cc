"""A pyftpdlib server on a free loopback port for the FTP tests and benchmark.

Prints "PORT <n>" once listening and serves until standard input closes.
  --root DIR --user U --password W   the one account, rooted in DIR
  --log FILE                         appends every command received, one a line
  --drop-after N                     the first upload's data connection is cut after N bytes
  --read-limit BPS                   throttles uploads to BPS bytes per second
"""
import argparse
import logging
import os
import socket
import struct
import sys
import threading

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.log import config_logging
from pyftpdlib.handlers import DTPHandler, FTPHandler, ThrottledDTPHandler
from pyftpdlib.servers import FTPServer


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--user", required=True)
    parser.add_argument("--password", required=True)
    parser.add_argument("--log")
    parser.add_argument("--drop-after", type=int, default=0)
    parser.add_argument("--read-limit", type=int, default=0)
    args = parser.parse_args()
    config_logging(level=logging.WARNING)

    authorizer = DummyAuthorizer()
    authorizer.add_user(args.user, args.password, args.root, perm="elradfmwMT")

    base_dtp = ThrottledDTPHandler if args.read_limit else DTPHandler
    if args.read_limit:
        ThrottledDTPHandler.read_limit = args.read_limit

    drop = {"left": args.drop_after}

    class Dtp(base_dtp):
        def handle_read(self):
            super().handle_read()
            if drop["left"] > 0 and self.get_transmitted_bytes() >= drop["left"]:
                drop["left"] = 0
                # Cut the connection hard, as a crashed or restarted server would.
                self.socket.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
                self._resp = ("426 Connection dropped by the test server.", logging.debug)
                self.close()

        handle_read_event = handle_read  # the loop calls this name

    log_file = open(args.log, "a", buffering=1) if args.log else None

    class Handler(FTPHandler):
        def pre_process_command(self, line, cmd, arg):
            if log_file:
                log_file.write(line + "\n")
            return super().pre_process_command(line, cmd, arg)

    Handler.authorizer = authorizer
    Handler.dtp_handler = Dtp
    Handler.permit_foreign_addresses = False
    Handler.banner = "castora test server ready"

    server = FTPServer(("127.0.0.1", 0), Handler)
    print("PORT %d" % server.address[1], flush=True)

    def watch_stdin():
        sys.stdin.read()
        os._exit(0)

    threading.Thread(target=watch_stdin, daemon=True).start()
    server.serve_forever(timeout=0.2, handle_exit=False)


if __name__ == "__main__":
    main()
