#!/usr/bin/env python3
"""Local HTTP and HTTPS test server for the web request tests (standard library only).

Usage:
  local_server.py start --state-dir DIR [--cert-dir CERTS]   # forks, returns once ready
  local_server.py stop --state-dir DIR
  local_server.py run --state-dir DIR [--cert-dir CERTS]     # in the foreground

Every listener binds 127.0.0.1 on a free port (port 0). Once all listen, the server
writes DIR/ports, one "name port" pair a line:
  http              plain HTTP; also a proxy (see below)
  https             TLS with CERTS/server.pem + server.key (signed by the test CA)
  https_untrusted   TLS with CERTS/self_signed.pem + self_signed.key
The TLS listeners exist only with --cert-dir (make them with make_test_certs.sh).
DIR/server.pid holds the process id, DIR/server.log its output.

Proxy use: the http listener also answers absolute-form requests
("GET http://any.host/path") and tunnels "CONNECT host:port" to its own https
listener, whatever the host. So with http_proxy=127.0.0.1:<http port> in a Wine
prefix that trusts the test CA, https://www.example.test/x reaches this server,
provided the server certificate names that host (make_test_certs.sh HOST...).

Routes (any method unless told; the query string is ignored unless told):
  /echo                 200, body: method, path with query, each request header as
                        "Name: value", an empty line, then the request body (lines end
                        in LF). HEAD gets the headers alone.
  /status/404, /status/500
                        that status with the body "status 404 body" / "status 500 body"
  /cookies              200 with "Set-Cookie: a=1; path=/" and "set-cookie: b=2"
  /redirect             302 to /echo?redirected, body "redirect body"
  /slow?seconds=N       waits N seconds (default 5), then 200 "slow body"
  /never                never answers (until the server stops)
  /close-mid-body       announces 1000 bytes, sends 10, closes the connection
Other modules can import this one and add routes: ROUTES["/path"] = fn(handler),
where fn sends the whole reply through the BaseHTTPRequestHandler it gets; or run
servers of their own the same way, with serve_until_stopped, start_daemon and
stop_daemon.
"""

import argparse
import os
import select
import signal
import socket
import ssl
import sys
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

STOPPING = threading.Event()
ROUTES = {}
TUNNEL_TARGET = {}  # "port": the https listener's port, for CONNECT


def route(path):
    def register(fn):
        ROUTES[path] = fn
        return fn
    return register


def send_body(handler, status, body, headers=()):
    handler.send_response(status)
    for name, value in headers:
        handler.send_header(name, value)
    handler.send_header("Content-Length", str(len(body)))
    handler.end_headers()
    if handler.command != "HEAD":
        handler.wfile.write(body)


@route("/echo")
def echo(handler):
    lines = [handler.command, handler.target]
    lines += ["%s: %s" % (name, value) for name, value in handler.headers.items()]
    body = ("\n".join(lines) + "\n\n").encode("latin-1") + handler.request_body
    send_body(handler, 200, body, [("Content-Type", "text/plain")])


@route("/status/404")
def status_404(handler):
    send_body(handler, 404, b"status 404 body")


@route("/status/500")
def status_500(handler):
    send_body(handler, 500, b"status 500 body")


@route("/cookies")
def cookies(handler):
    send_body(handler, 200, b"cookies body",
              [("Set-Cookie", "a=1; path=/"), ("set-cookie", "b=2")])


@route("/redirect")
def redirect(handler):
    send_body(handler, 302, b"redirect body", [("Location", "/echo?redirected")])


@route("/slow")
def slow(handler):
    query = urllib.parse.parse_qs(urllib.parse.urlsplit(handler.target).query)
    seconds = float(query.get("seconds", ["5"])[0])
    if not STOPPING.wait(seconds):
        send_body(handler, 200, b"slow body")


@route("/never")
def never(handler):
    STOPPING.wait()
    handler.close_connection = True


@route("/close-mid-body")
def close_mid_body(handler):
    handler.send_response(200)
    handler.send_header("Content-Length", "1000")
    handler.end_headers()
    handler.wfile.write(b"0123456789")
    handler.wfile.flush()
    handler.connection.shutdown(socket.SHUT_RDWR)
    handler.close_connection = True


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, format, *args):
        sys.stderr.write("%s %s\n" % (self.server.name, format % args))

    def handle_any(self):
        # Absolute-form targets come from proxy clients; route on the path alone.
        self.target = self.path
        parts = urllib.parse.urlsplit(self.path)
        if parts.scheme:
            self.target = parts.path + ("?" + parts.query if parts.query else "")
        length = int(self.headers.get("Content-Length", "0") or "0")
        self.request_body = self.rfile.read(length) if length > 0 else b""
        path = urllib.parse.urlsplit(self.target).path
        handler = ROUTES.get(path)
        if handler is None:
            send_body(self, 404, b"no such route")
        else:
            handler(self)

    do_GET = do_POST = do_HEAD = do_PUT = do_DELETE = do_OPTIONS = handle_any

    def do_CONNECT(self):
        port = TUNNEL_TARGET.get("port")
        if port is None:
            send_body(self, 502, b"no https listener")
            return
        upstream = socket.create_connection(("127.0.0.1", port))
        self.send_response(200, "Connection established")
        self.end_headers()
        self.wfile.flush()
        relay(self.connection, upstream)
        self.close_connection = True


def relay(a, b):
    sockets = [a, b]
    try:
        while not STOPPING.is_set():
            readable, _, _ = select.select(sockets, [], [], 0.5)
            for s in readable:
                data = s.recv(65536)
                if not data:
                    return
                (b if s is a else a).sendall(data)
    except OSError:
        pass
    finally:
        b.close()


class Server(ThreadingHTTPServer):
    daemon_threads = True

    def __init__(self, name, context=None):
        super().__init__(("127.0.0.1", 0), Handler)
        self.name = name
        self.context = context

    def get_request(self):
        conn, address = super().get_request()
        if self.context is not None:
            # The handshake runs in the request's own thread (see finish_request).
            conn = self.context.wrap_socket(conn, server_side=True,
                                            do_handshake_on_connect=False)
        return conn, address

    def finish_request(self, request, client_address):
        if self.context is not None:
            try:
                request.do_handshake()
            except (ssl.SSLError, OSError):
                return  # a client that refuses the certificate
        super().finish_request(request, client_address)


def tls_context(cert_dir, stem):
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(os.path.join(cert_dir, stem + ".pem"),
                            os.path.join(cert_dir, stem + ".key"))
    return context


# Shared with the other test servers in this folder, which import this module.
def serve_until_stopped(state_dir, servers):
    """Serves each listener on a thread of its own, names their ports in
    state_dir/ports (written whole, then renamed: a reader never sees half of it),
    and shuts them down once SIGTERM or SIGINT comes."""
    for server in servers:
        threading.Thread(target=server.serve_forever, daemon=True).start()
    temporary = os.path.join(state_dir, "ports.tmp")
    with open(temporary, "w") as f:
        f.write("".join("%s %d\n" % (s.name, s.server_address[1]) for s in servers))
    os.replace(temporary, os.path.join(state_dir, "ports"))
    signal.signal(signal.SIGTERM, lambda *_: STOPPING.set())
    signal.signal(signal.SIGINT, lambda *_: STOPPING.set())
    while not STOPPING.wait(0.5):
        pass
    for server in servers:
        server.shutdown()


def start_daemon(state_dir, stem, what, run_server):
    """Runs run_server() in a detached child, its output in state_dir/STEM.log and
    its process id in state_dir/STEM.pid. Returns 0 once state_dir/ports exists,
    after copying it to stdout; 1 if it does not appear within 10 s (`what` names
    the server in the message). The caller removes a stale ports file first."""
    pid = os.fork()
    if pid == 0:
        os.setsid()
        log = os.open(os.path.join(state_dir, stem + ".log"),
                      os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o644)
        null = os.open(os.devnull, os.O_RDONLY)
        os.dup2(null, 0)
        os.dup2(log, 1)
        os.dup2(log, 2)
        try:
            run_server()
        finally:
            os._exit(0)
    with open(os.path.join(state_dir, stem + ".pid"), "w") as f:
        f.write("%d\n" % pid)
    ports = os.path.join(state_dir, "ports")
    deadline = time.monotonic() + 10
    while time.monotonic() < deadline:
        if os.path.exists(ports):
            sys.stdout.write(open(ports).read())
            return 0
        finished, _ = os.waitpid(pid, os.WNOHANG)
        if finished:
            break
        time.sleep(0.05)
    sys.stderr.write("the %s did not start; see %s\n"
                     % (what, os.path.join(state_dir, stem + ".log")))
    return 1


def stop_daemon(state_dir, stem):
    """Stops the child start_daemon() left in state_dir/STEM.pid: SIGTERM, then
    SIGKILL if it still runs 5 s later. Nothing to stop is no failure."""
    pid_file = os.path.join(state_dir, stem + ".pid")
    try:
        with open(pid_file) as f:
            pid = int(f.read())
    except (OSError, ValueError):
        return 0
    try:
        os.kill(pid, signal.SIGTERM)
        for _ in range(100):
            os.kill(pid, 0)
            time.sleep(0.05)
        os.kill(pid, signal.SIGKILL)
    except ProcessLookupError:
        pass
    os.remove(pid_file)
    return 0


def run(state_dir, cert_dir):
    servers = [Server("http")]
    if cert_dir:
        servers.append(Server("https", tls_context(cert_dir, "server")))
        servers.append(Server("https_untrusted", tls_context(cert_dir, "self_signed")))
        TUNNEL_TARGET["port"] = servers[1].server_address[1]
    serve_until_stopped(state_dir, servers)


def start(state_dir, cert_dir):
    ports = os.path.join(state_dir, "ports")
    if os.path.exists(ports):
        os.remove(ports)
    return start_daemon(state_dir, "server", "server", lambda: run(state_dir, cert_dir))


def stop(state_dir):
    return stop_daemon(state_dir, "server")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("action", choices=["start", "stop", "run"])
    parser.add_argument("--state-dir", required=True)
    parser.add_argument("--cert-dir")
    args = parser.parse_args()
    os.makedirs(args.state_dir, exist_ok=True)
    if args.action == "start":
        return start(args.state_dir, args.cert_dir)
    if args.action == "stop":
        return stop(args.state_dir)
    run(args.state_dir, args.cert_dir)
    return 0


if __name__ == "__main__":
    sys.exit(main())
