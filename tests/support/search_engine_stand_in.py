#!/usr/bin/env python3
"""A stand-in for the Baidu web search on 127.0.0.1 (standard library only).

Usage:
  search_engine_stand_in.py start --state-dir DIR --cert-dir CERTS [--delay-ms N]
  search_engine_stand_in.py stop --state-dir DIR
  search_engine_stand_in.py run --state-dir DIR --cert-dir CERTS [--delay-ms N]

Two listeners on free loopback ports, named in DIR/ports ("name port" a line):
  proxy   an HTTP proxy: "CONNECT host:port" is tunnelled to the https listener,
          whatever the host. A Wine program reaches https://www.baidu.com/ here with
          http_proxy=127.0.0.1:<proxy port>, once its prefix trusts the test
          authority of CERTS (make_test_certs.sh CERTS www.baidu.com).
  https   TLS with CERTS/server.pem and server.key. Requests may come in origin
          form ("GET /baidu?...") or, as Wine sends them through a proxy, in
          absolute form ("GET https://www.baidu.com:443/baidu?...").

GET /baidu?word=W&ie=utf-8 answers by W, percent-decoded as UTF-8: the first of
these words found in it picks the reply (first match in this list wins):
  not-found-url     a page holding "没有找到该URL。您可以直接访问"
  no-results        a page holding "抱歉，没有找到与"
  robot-check       the anti-robot page, holding "百度安全验证"
  robot-redirect    302 to /static/captcha/tuxing.html on this host, which serves
                    the anti-robot page
  status-500        500 with an error page (no marker in it)
  slow-reply        held for 20 s, or until the client goes away; then a results page
  zero-byte         a results page with a zero byte before "没有找到该URL"
  empty-200         200 with an empty body
  hold-NAME         held until the file DIR/release-NAME exists (or 20 s, or the
                    client goes away); then a results page
  (anything else)   a results page, without any "没有找"
"delay-N" in W (N in milliseconds), or --delay-ms N for every reply, delays the
reply by N ms.

DIR/requests.log gets one line per event, fields separated by tabs, written when
the event happens; the last field of each is the time of the event, in seconds
on a monotonic clock:
  connect  SEQ  host:port                      a proxy tunnel was asked for
  request  SEQ  /path?query  reply-kind        a request arrived (origin form)
  reply    SEQ  status-or-gone  MILLISECONDS   its reply was sent ("gone": the client
                                               left first); the time from the request
                                               line's arrival to the reply's last byte
  tunnel   SEQ  MILLISECONDS                   a tunnel closed; its whole life
Lines are appended and flushed one at a time; a reader takes whole lines only.
DIR/stand_in.pid holds the process id, DIR/stand_in.log its own output.
"""

import argparse
import html
import os
import select
import socket
import ssl
import sys
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler

sys.dont_write_bytecode = True  # leave no __pycache__ in the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from local_server import relay, tls_context  # noqa: E402  (the proxy tunnel, TLS set-up)
import local_server  # noqa: E402

STOPPING = local_server.STOPPING  # relay() ends its tunnels when this is set
HOLD_SECONDS = 20
CAPTCHA_PATH = "/static/captcha/tuxing.html"


class RequestLog:
    """requests.log: one line per event, flushed at once, numbered in order."""

    def __init__(self, path):
        self.file = open(path, "a", encoding="utf-8", newline="\n")
        self.lock = threading.Lock()
        self.sequence = 0

    def next_sequence(self):
        with self.lock:
            self.sequence += 1
            return self.sequence

    def write(self, *fields):
        line = "\t".join(str(f) for f in fields + ("%.6f" % time.monotonic(),)) + "\n"
        with self.lock:
            self.file.write(line)
            self.file.flush()


def page(title, body):
    return ("<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>%s</title></head>"
            "<body>%s</body></html>" % (title, body)).encode("utf-8")


def results_page(word):
    shown = html.escape(word)
    entries = "".join(
        "<div class=\"result c-container\" id=\"%d\"><h3 class=\"t\"><a href=\"http://www.baidu.com/"
        "link?url=%s%d\">%s - 第%d条结果</a></h3><div class=\"c-abstract\">该网页的描述信息，"
        "百度快照中收录了这个地址的标题、摘要与更新时间。网站运营者可以在这里看到页面是否已被"
        "收录，以及收录的时间。</div></div>" % (n, "x" * 40, n, shown, n)
        for n in range(1, 11))
    return page("%s_百度搜索" % shown,
                "<div id=\"content_left\"><div class=\"nums\">百度为您找到相关结果约10个</div>%s</div>"
                % entries)


def not_found_url_page(word):
    return page("%s_百度搜索" % html.escape(word),
                "<div class=\"content_none\"><div class=\"nors\"><p>没有找到该URL。您可以直接访问"
                "&nbsp;<a href=\"%s\">%s</a>，还可<a href=\"#\">提交网址</a>给我们。</p></div></div>"
                % (html.escape(word, quote=True), html.escape(word)))


def no_results_page(word):
    return page("%s_百度搜索" % html.escape(word),
                "<div class=\"content_none\"><div class=\"nors\"><p>抱歉，没有找到与<span "
                "style=\"font-family:宋体\">“</span><em>%s</em><span>”</span>相关的网页。</p>"
                "<p>温馨提示：请检查您的输入是否正确</p></div></div>" % html.escape(word))


ROBOT_PAGE = page("百度安全验证",
                  "<div class=\"timeout\"><div class=\"timeout-title\">百度安全验证</div>"
                  "<div class=\"timeout-feedback-title\">网络不给力，请稍后重试</div>"
                  "<a class=\"timeout-button\" href=\"/\">返回首页</a></div>")

ERROR_PAGE = page("服务器错误", "<h1>服务器暂时无法处理您的请求</h1>")


def zero_byte_page(word):
    return (page("%s_百度搜索" % html.escape(word), "<div>") + b"\0"
            + "<p>没有找到该URL。您可以直接访问</p></div>".encode("utf-8"))


REPLY_KINDS = ["not-found-url", "no-results", "robot-check", "robot-redirect", "status-500",
               "slow-reply", "zero-byte", "empty-200", "hold-"]


def reply_kind(word):
    for kind in REPLY_KINDS:
        if kind in word:
            return kind
    return "results"


def hold_name(word):
    name = word[word.index("hold-") + len("hold-"):]
    return "".join(c for c in name.split("/")[0] if c.isalnum() or c in "-_")


def delay_of(word, default_ms):
    at = word.find("delay-")
    if at < 0:
        return default_ms
    digits = ""
    for c in word[at + len("delay-"):]:
        if not c.isdigit():
            break
        digits += c
    return int(digits) if digits else default_ms


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    # Headers and body go out in separate writes: without TCP_NODELAY each reply
    # would wait for the client's delayed acknowledgement (about 40 ms).
    disable_nagle_algorithm = True
    # Set by run(): the log, the state folder, the delay for every reply.
    log = None
    state_dir = None
    delay_ms = 0

    def log_message(self, format, *args):
        sys.stderr.write("%s %s\n" % (self.server.name, format % args))

    def do_CONNECT(self):
        sequence = self.log.next_sequence()
        self.log.write("connect", sequence, self.path)
        opened = time.monotonic()
        upstream = socket.create_connection(("127.0.0.1", self.server.tunnel_port))
        upstream.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        self.send_response(200, "Connection established")
        self.end_headers()
        self.wfile.flush()
        relay(self.connection, upstream)
        self.close_connection = True
        self.log.write("tunnel", sequence, "%.3f" % ((time.monotonic() - opened) * 1000))

    def do_GET(self):
        arrived = time.monotonic()
        target = self.path
        parts = urllib.parse.urlsplit(target)
        if parts.scheme:  # absolute form, as sent through a proxy
            target = parts.path + ("?" + parts.query if parts.query else "")
            parts = urllib.parse.urlsplit(target)
        if parts.path == "/baidu":
            query = urllib.parse.parse_qs(parts.query, keep_blank_values=True)
            word = query.get("word", [""])[0]
            kind = reply_kind(word)
        elif parts.path == CAPTCHA_PATH:
            word, kind = "", "captcha"
        else:
            word, kind = "", "unknown-path"
        sequence = self.log.next_sequence()
        self.log.write("request", sequence, target, kind)
        outcome = self.answer(kind, word)
        self.log.write("reply", sequence, outcome, "%.3f" % ((time.monotonic() - arrived) * 1000))

    def answer(self, kind, word):
        """Sends the reply; gives its status, or "gone" when the client left first."""
        if not self.wait(delay_of(word, self.delay_ms) / 1000.0):
            return "gone"
        if kind in ("slow-reply", "hold-"):
            release = None
            if kind == "hold-":
                release = os.path.join(self.state_dir, "release-" + hold_name(word))
            if not self.wait(HOLD_SECONDS, release):
                return "gone"
        if kind == "not-found-url":
            return self.send(200, not_found_url_page(word))
        if kind == "no-results":
            return self.send(200, no_results_page(word))
        if kind in ("robot-check", "captcha"):
            return self.send(200, ROBOT_PAGE)
        if kind == "robot-redirect":
            location = "https://www.baidu.com%s?ak=stand-in&backurl=%s" % (
                CAPTCHA_PATH, urllib.parse.quote("https://www.baidu.com" + self.path, safe=""))
            return self.send(302, b"", [("Location", location)])
        if kind == "status-500":
            return self.send(500, ERROR_PAGE)
        if kind == "zero-byte":
            return self.send(200, zero_byte_page(word))
        if kind == "empty-200":
            return self.send(200, b"")
        if kind == "unknown-path":
            return self.send(404, page("404", "not here"))
        return self.send(200, results_page(word))

    def send(self, status, body, headers=()):
        try:
            self.send_response(status)
            self.send_header("Content-Type", "text/html;charset=utf-8")
            for name, value in headers:
                self.send_header(name, value)
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)
            self.wfile.flush()
        except (OSError, ssl.SSLError):
            self.close_connection = True
            return "gone"
        return str(status)

    def wait(self, seconds, release_file=None):
        """Waits `seconds`, or until `release_file` exists; False when the client
        closed its end (or the stand-in stops) first."""
        deadline = time.monotonic() + seconds
        while True:
            if release_file and os.path.exists(release_file):
                return True
            left = deadline - time.monotonic()
            if left <= 0:
                return True
            if STOPPING.is_set() or self.client_gone(min(left, 0.02)):
                self.close_connection = True
                return False

    def client_gone(self, timeout):
        # A client waiting for its reply sends nothing: anything readable is the
        # end of the connection.
        readable, _, _ = select.select([self.connection], [], [], timeout)
        if not readable:
            return False
        try:
            self.connection.setblocking(False)
            try:
                return self.connection.recv(1) == b""
            finally:
                self.connection.setblocking(True)
        except (ssl.SSLWantReadError, BlockingIOError):
            return False
        except (OSError, ssl.SSLError):
            return True


class Server(local_server.Server):
    """local_server's listener (TLS handshakes in each connection's own thread),
    answering with this module's Handler."""

    def __init__(self, name, context=None):
        super().__init__(name, context)
        self.RequestHandlerClass = Handler
        self.tunnel_port = None


def run(state_dir, cert_dir, delay_ms):
    Handler.log = RequestLog(os.path.join(state_dir, "requests.log"))
    Handler.state_dir = state_dir
    Handler.delay_ms = delay_ms
    proxy = Server("proxy")
    https = Server("https", tls_context(cert_dir, "server"))
    proxy.tunnel_port = https.server_address[1]
    local_server.serve_until_stopped(state_dir, [proxy, https])


def start(state_dir, cert_dir, delay_ms):
    for name in os.listdir(state_dir):
        if name in ("ports", "requests.log") or name.startswith("release-"):
            os.remove(os.path.join(state_dir, name))
    return local_server.start_daemon(state_dir, "stand_in", "stand-in",
                                     lambda: run(state_dir, cert_dir, delay_ms))


def stop(state_dir):
    return local_server.stop_daemon(state_dir, "stand_in")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("action", choices=["start", "stop", "run"])
    parser.add_argument("--state-dir", required=True)
    parser.add_argument("--cert-dir")
    parser.add_argument("--delay-ms", type=int, default=0)
    args = parser.parse_args()
    os.makedirs(args.state_dir, exist_ok=True)
    if args.action == "stop":
        return stop(args.state_dir)
    if not args.cert_dir:
        parser.error("--cert-dir is needed to start")
    if args.action == "start":
        return start(args.state_dir, args.cert_dir, args.delay_ms)
    run(args.state_dir, args.cert_dir, args.delay_ms)
    return 0


if __name__ == "__main__":
    sys.exit(main())
