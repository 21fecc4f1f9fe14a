#!/usr/bin/python3
"""A small FTP server on loopback for the transfer tests.

Serves --root to the user root (password tq7w) on 127.0.0.1 at a free port, prints
"PORT <n>" on stdout once it listens, and writes what happens to --log, one line per event:

    <conn> connect <ip>          a control connection was accepted
    <conn> cmd <VERB> <arg>      a command was received (PASS arguments are not written)
    <conn> data <ip>             a passive data connection was accepted
    <conn> received <path>       an upload completed (path inside --root, starting with /)
    <conn> incomplete <path>     an upload ended early
    <conn> held <path>           the upload was deferred (mode hold-first-upload)
    <conn> released <path>       the deferred upload went ahead on a live connection
    <conn> dropped <path>        the connection was cut during the upload (mode drop-first-upload)
    <conn> cut <path>            the connection was cut when the upload began
                                 (mode drop-after-first-file)
    <conn> refused <path>        the upload was refused (mode refuse-second-upload)
    <conn> disconnect            the control connection closed

Modes:
    normal             an ordinary server
    refuse-login       the password is never accepted
    drop-first-upload  the first upload's connection is cut as soon as data arrives
    hold-first-upload  the first STOR is answered only after --hold seconds
    silent             accepts connections but never sends a greeting
    masquerade         passive replies name 127.0.0.2 instead of the real address
    drop-after-first-file  once an upload has arrived, the connection of the next STOR is cut
                       without a reply
    refuse-second-upload   once an upload has arrived, every further STOR is answered
                       "452 No space left on device."
    lie-about-size     SIZE answers one byte less than the file holds
    no-size            SIZE is an unknown command

The server stops when stdin reaches its end (the test process went away) or on SIGTERM.
"""

import argparse
import itertools
import logging
import os
import socket
import sys
import threading

USER = "root"
PASSWORD = "tq7w"


class EventLog:
    def __init__(self, path):
        self._file = open(path, "a", buffering=1, encoding="utf-8")
        self._lock = threading.Lock()

    def write(self, conn, text):
        with self._lock:
            self._file.write("%d %s\n" % (conn, text))
            self._file.flush()


def watch_stdin():
    """Ends the process when the test that started it is gone."""
    def run():
        try:
            while sys.stdin.buffer.read(4096):
                pass
        finally:
            os._exit(0)
    threading.Thread(target=run, daemon=True).start()


def listen_socket():
    sock = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    sock.bind(("127.0.0.1", 0))
    sock.listen(16)
    return sock


def announce(port):
    sys.stdout.write("PORT %d\n" % port)
    sys.stdout.flush()


def run_silent(log):
    """Accepts TCP connections and keeps them open without a word."""
    sock = listen_socket()
    announce(sock.getsockname()[1])
    held = []
    counter = itertools.count(1)
    while True:
        conn, addr = sock.accept()
        held.append(conn)
        log.write(next(counter), "connect %s" % addr[0])


def run_ftp(args, log):
    from pyftpdlib.authorizers import DummyAuthorizer
    from pyftpdlib.handlers import DTPHandler, FTPHandler
    from pyftpdlib.servers import FTPServer

    root = os.path.realpath(args.root)
    counter = itertools.count(1)
    first_upload = {"pending": True}
    received = {"count": 0}

    def inside_root(path):
        return "/" + os.path.relpath(os.path.realpath(path), root).replace(os.sep, "/")

    class LoggingDTPHandler(DTPHandler):
        def __init__(self, sock, cmd_channel):
            try:
                peer = sock.getpeername()[0]
            except OSError:
                peer = "?"
            log.write(cmd_channel.conn_id, "data %s" % peer)
            super().__init__(sock, cmd_channel)

        def handle_read(self):
            super().handle_read()
            cmd = self.cmd_channel
            if args.mode == "drop-first-upload" and self.receive and first_upload["pending"]:
                first_upload["pending"] = False
                log.write(cmd.conn_id, "dropped %s" % inside_root(self.file_obj.name))
                cmd.close()

        handle_read_event = handle_read

    class LoggingHandler(FTPHandler):
        dtp_handler = LoggingDTPHandler
        auth_failed_timeout = 0
        if args.mode == "masquerade":
            masquerade_address = "127.0.0.2"
        if args.mode == "no-size":
            proto_cmds = {k: v for k, v in FTPHandler.proto_cmds.items() if k != "SIZE"}

        def on_connect(self):
            self.conn_id = next(counter)
            log.write(self.conn_id, "connect %s" % self.remote_ip)

        def on_disconnect(self):
            log.write(self.conn_id, "disconnect")

        def on_file_received(self, file):
            received["count"] += 1
            log.write(self.conn_id, "received %s" % inside_root(file))

        def on_incomplete_file_received(self, file):
            log.write(self.conn_id, "incomplete %s" % inside_root(file))

        def pre_process_command(self, line, cmd, arg):
            shown = "" if cmd == "PASS" else (arg or "")
            log.write(self.conn_id, ("cmd %s %s" % (cmd, shown)).rstrip())
            super().pre_process_command(line, cmd, arg)

        def ftp_STOR(self, file, mode="w"):
            if args.mode == "drop-after-first-file" and received["count"] > 0:
                log.write(self.conn_id, "cut %s" % inside_root(file))
                self.close()
                return None
            if args.mode == "refuse-second-upload" and received["count"] > 0:
                log.write(self.conn_id, "refused %s" % inside_root(file))
                self.respond("452 No space left on device.")
                return None
            if args.mode == "hold-first-upload" and first_upload["pending"]:
                first_upload["pending"] = False
                log.write(self.conn_id, "held %s" % inside_root(file))
                self.ioloop.call_later(args.hold, self._release, file, mode)
                return file
            return super().ftp_STOR(file, mode)

        def ftp_SIZE(self, path):
            if args.mode == "lie-about-size" and os.path.isfile(path):
                self.respond("213 %d" % max(os.path.getsize(path) - 1, 0))
                return
            super().ftp_SIZE(path)

        def _release(self, file, mode):
            if self._closed:
                return
            log.write(self.conn_id, "released %s" % inside_root(file))
            super().ftp_STOR(file, mode)

    authorizer = DummyAuthorizer()
    password = PASSWORD if args.mode != "refuse-login" else "not-the-password"
    authorizer.add_user(USER, password, root, perm="elradfmwMT")
    LoggingHandler.authorizer = authorizer

    server = FTPServer(listen_socket(), LoggingHandler)
    announce(server.socket.getsockname()[1])
    server.serve_forever(handle_exit=True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--log", required=True)
    parser.add_argument("--mode", default="normal",
                        choices=["normal", "refuse-login", "drop-first-upload",
                                 "hold-first-upload", "silent", "masquerade",
                                 "drop-after-first-file", "refuse-second-upload",
                                 "lie-about-size", "no-size"])
    parser.add_argument("--hold", type=float, default=5.0)
    args = parser.parse_args()
    logging.basicConfig(level=logging.WARNING)
    log = EventLog(args.log)
    watch_stdin()
    if args.mode == "silent":
        run_silent(log)
    else:
        run_ftp(args, log)


if __name__ == "__main__":
    main()
