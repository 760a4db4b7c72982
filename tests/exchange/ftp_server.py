"""An FTP server for the exchange tests: pyftpdlib with one account on 127.0.0.1.

--raw-names   keeps the bytes of every name as the client sent them (on disk too) and lists no
              UTF8 among its features, as the GBK servers of the Windows edition do
--upload-rate reads uploads at that many bytes per second
--download-rate sends downloads at that many bytes per second
--no-rename-over refuses to rename onto an existing file, as IIS does
--no-rename   an account that may store and delete but not rename, as upload folders often are
"""
import argparse
import asynchat
import logging
import os

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler, ThrottledDTPHandler
from pyftpdlib.log import config_logging
from pyftpdlib.servers import FTPServer

parser = argparse.ArgumentParser()
parser.add_argument("--port", type=int, required=True)
parser.add_argument("--root", required=True)
parser.add_argument("--user", required=True)
parser.add_argument("--password", required=True)
parser.add_argument("--raw-names", action="store_true")
parser.add_argument("--upload-rate", type=int, default=0)
parser.add_argument("--download-rate", type=int, default=0)
parser.add_argument("--no-rename-over", action="store_true")
parser.add_argument("--no-rename", action="store_true")
args = parser.parse_args()


class NoRenameOverHandler(FTPHandler):
    def ftp_RNTO(self, path):
        if os.path.isfile(path):
            self._rnfr = None
            self.respond("550 Cannot create a file when that file already exists.")
            return
        return FTPHandler.ftp_RNTO(self, path)


class RawNameHandler(FTPHandler):
    # Undecodable bytes become surrogates, which os functions and push turn back into them.
    def decode(self, data):
        return data.decode("utf8", "surrogateescape")

    def push(self, s):
        asynchat.async_chat.push(self, s.encode("utf8", "surrogateescape"))

    def ftp_FEAT(self, line):
        self.push("211-Features supported:\r\n SIZE\r\n REST STREAM\r\n")
        self.respond("211 End FEAT.")


class Throttled(ThrottledDTPHandler):
    read_limit = args.upload_rate
    write_limit = args.download_rate


authorizer = DummyAuthorizer()
authorizer.add_user(args.user, args.password, args.root,
                    perm="elradmwMT" if args.no_rename else "elradfmwMT")
handler = (RawNameHandler if args.raw_names else
           NoRenameOverHandler if args.no_rename_over else FTPHandler)
handler.authorizer = authorizer
if args.upload_rate or args.download_rate:
    handler.dtp_handler = Throttled
config_logging(level=logging.WARNING)
FTPServer(("127.0.0.1", args.port), handler).serve_forever()
