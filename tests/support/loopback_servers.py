"""FTP, HTTP and HTTPS servers on loopback for the transfer tests.

Usage: loopback_servers.py ROOT CERT KEY
Serves ROOT/ftp over FTP (user "veltrane", password "secret") and ROOT/http over HTTP and HTTPS,
prints one JSON line with the three ports, and ends when its standard input closes.

HTTP paths: GET serves files; POST and PUT store the body as ROOT/http/uploads/<last path part>
and answer "stored <n> bytes"; /slow never answers in time; /status/<code> answers that code;
/headers echoes the request headers; /private/... needs basic authentication veltrane:secret;
/delay/<ms> answers "late" after that many milliseconds; /big/<n> answers n zero bytes;
/trickle announces 1 MB, sends its first 64 KB and then stalls for 30 seconds.
FTP: NLST of a folder named "hostile" adds names that are paths to what the folder holds.
"""
import base64
import http.server
import json
import logging
import os
import ssl
import sys
import threading
import time

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.filesystems import AbstractedFS
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer

root, cert, key = sys.argv[1], sys.argv[2], sys.argv[3]
ftp_root = os.path.join(root, "ftp")
http_root = os.path.join(root, "http")
os.makedirs(ftp_root, exist_ok=True)
os.makedirs(os.path.join(http_root, "uploads"), exist_ok=True)
logging.basicConfig(level=logging.ERROR)


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def answer(self, code, body, ctype="application/octet-stream"):
        self.send_response(code)
        self.send_header("Content-Type", ctype)
        self.send_header("Content-Length", str(len(body)))
        self.send_header("X-Test-Server", "loopback")
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(body)

    def authorized(self):
        if not self.path.startswith("/private/"):
            return True
        expected = "Basic " + base64.b64encode(b"veltrane:secret").decode()
        if self.headers.get("Authorization") == expected:
            return True
        self.send_response(401)
        self.send_header("WWW-Authenticate", 'Basic realm="test"')
        self.send_header("Content-Length", "0")
        self.end_headers()
        return False

    def do_GET(self):
        if not self.authorized():
            return
        if self.path == "/slow":
            time.sleep(30)
            return
        if self.path.startswith("/status/"):
            code = int(self.path.split("/")[2])
            return self.answer(code, ("status %d" % code).encode(), "text/plain")
        if self.path == "/headers":
            return self.answer(200, str(self.headers).encode(), "text/plain")
        if self.path.startswith("/delay/"):
            time.sleep(int(self.path.split("/")[2]) / 1000.0)
            return self.answer(200, b"late", "text/plain")
        if self.path.startswith("/big/"):
            return self.answer(200, bytes(int(self.path.split("/")[2])))
        if self.path == "/trickle":
            self.send_response(200)
            self.send_header("Content-Length", str(1024 * 1024))
            self.end_headers()
            self.wfile.write(bytes(64 * 1024))
            self.wfile.flush()
            time.sleep(30)
            return
        rel = self.path.split("?")[0].lstrip("/")
        if rel.startswith("private/"):
            rel = rel[len("private/"):]
        path = os.path.realpath(os.path.join(http_root, rel))
        if not path.startswith(os.path.realpath(http_root)) or not os.path.isfile(path):
            return self.answer(404, b"not found", "text/plain")
        with open(path, "rb") as f:
            self.answer(200, f.read())

    do_HEAD = do_GET

    def store(self):
        if not self.authorized():
            return
        length = int(self.headers.get("Content-Length", "0"))
        body = self.rfile.read(length)
        name = os.path.basename(self.path.split("?")[0]) or "body"
        with open(os.path.join(http_root, "uploads", name), "wb") as f:
            f.write(body)
        self.answer(200, ("stored %d bytes" % len(body)).encode(), "text/plain")

    do_POST = store
    do_PUT = store


def serve_http(tls):
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    # A client that drops a response half-way (a size limit, a cancel) is no server fault.
    server.handle_error = lambda request, address: None
    if tls:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(cert, key)
        server.socket = context.wrap_socket(server.socket, server_side=True)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server.server_address[1]


class HostileFS(AbstractedFS):
    def listdir(self, path):
        names = super().listdir(path)
        if os.path.basename(os.path.normpath(path)) == "hostile":
            names = names + ["../../x.edi", "sub/y.edi", "..\\z.edi", ".."]
        return names


FTPHandler.abstracted_fs = HostileFS
authorizer = DummyAuthorizer()
authorizer.add_user("veltrane", "secret", ftp_root, perm="elradfmwMT")
FTPHandler.authorizer = authorizer
FTPHandler.banner = "loopback test server"
# A refused login is answered at once: tests of wrong passwords need not wait.
FTPHandler.auth_failed_timeout = 0.05
ftp = FTPServer(("127.0.0.1", 0), FTPHandler)
threading.Thread(target=ftp.serve_forever, kwargs={"timeout": 0.2}, daemon=True).start()

ports = {"ftp": ftp.socket.getsockname()[1], "http": serve_http(False), "https": serve_http(True)}
print(json.dumps(ports), flush=True)
sys.stdin.read()
os._exit(0)
