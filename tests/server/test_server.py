#!/usr/bin/env python3
"""Local update mirror and forum for running and testing Korvane Scan.

One process, two loopback HTTP servers:

* the update server (``--update-port``, 81 in production) serves the files
  under ``--update-root`` by URL path and carries the control API under
  ``/_ctl/``;
* the forum server (``--forum-port``, 80) serves ``/forum.php?mod=rss`` from
  ``--forum-root``/rss.xml and a small home page at ``/``.

Tests drive the real program against it and steer it through the control API,
which is plain HTTP/1.1 with Content-Length so that WinINet inside Wine can
talk to it as easily as Python can (see ``ctl.py``):

  POST /_ctl/reset                     clear the log, faults and overrides
  GET  /_ctl/log                       request log as text; ?raw=1 prints the
                                       header lines byte for byte as received
  GET  /_ctl/log.json                  request log as JSON
  POST /_ctl/set?path=P                the request body is served for P
  POST /_ctl/unset?path=P              drop the override of P
  POST /_ctl/delete?path=P             P answers 404
  POST /_ctl/fault?path=P&kind=K&...   misbehave on P (kinds below)
  POST /_ctl/clear?path=P              drop the fault of P
  GET  /_ctl/hits?path=P               number of logged requests for P
  POST /_ctl/screenshot?name=N         import -window root SHOT_DIR/N.png

Paths are matched against the request target including its query; a path
given without a query also matches requests for it that carry one.  Query
values are percent-decoded; '+' stays a literal plus.

Fault kinds: status (code=N), nolength, chunked (chunk=B), cut (after=K),
slow (chunk=B, delay_ms=D), hang, garbage, length (value=N), big (size=N).
Every fault also takes times=N: it then applies to the next N matching
requests only and is dropped afterwards.

Request and header bytes are kept as received; in the text log and in JSON
they are latin-1 code points, one per byte, so the text log's bytes are the
wire bytes.
"""

import argparse
import json
import os
import signal
import socket
import subprocess
import sys
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

CTL_PREFIX = "/_ctl/"
SEND_BLOCK = 64 * 1024
GARBAGE = b"SSH-2.0-nonsense\r\n\x00\xff\xfe\x01\x02garbage\x00\x80\x81\r\n\r\n"
FAULT_KINDS = {"status", "nolength", "chunked", "cut", "slow", "hang",
               "garbage", "length", "big"}
SHOT_NAME_CHARS = set("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                      "0123456789_.-")

CONTENT_TYPES = {
    ".txt": "text/plain",
    ".xml": "text/xml",
    ".html": "text/html",
    ".htm": "text/html",
    ".zip": "application/zip",
}

FORUM_HOME = (
    "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">"
    "<title>Korvane forum (local)</title></head>\n<body>"
    "<h1>Korvane forum (local test copy)</h1>\n"
    "<p><a href=\"/forum.php?mod=rss\">RSS</a></p>\n</body></html>\n"
).encode("utf-8")


def not_found_page(path):
    text = ("<html><head><title>404 Not Found</title></head><body>"
            "<h1>Not Found</h1><p>%s</p></body></html>\n"
            % path.replace("&", "&amp;").replace("<", "&lt;"))
    return text.encode("latin-1", "replace")


def parse_query(query):
    """Query string to dict; later values win, '+' is kept literally."""
    out = {}
    if not query:
        return out
    for part in query.split("&"):
        if not part:
            continue
        name, _, value = part.partition("=")
        out[urllib.parse.unquote(name)] = urllib.parse.unquote(value)
    return out


def strip_absolute(target):
    """Reduce an absolute-form request target (http://host/p) to /p."""
    low = target[:8].lower()
    if low.startswith("http://") or low.startswith("https://"):
        rest = target.split("//", 1)[1]
        slash = rest.find("/")
        return rest[slash:] if slash >= 0 else "/"
    return target


def path_matches(key, target):
    """Whether a control key (P) names this request target."""
    target = strip_absolute(target)
    if key == target:
        return True
    return "?" not in key and target.split("?", 1)[0] == key


class Body:
    """A response body: bytes in memory, or a byte pattern made on the fly."""

    def __init__(self, data=None, size=None):
        self.data = data
        self.length = len(data) if data is not None else size

    def pieces(self, start, end, block):
        """Yield the bytes [start, end) in pieces of at most `block` bytes."""
        pos = start
        while pos < end:
            n = min(block, end - pos)
            if self.data is not None:
                yield self.data[pos:pos + n]
            else:
                yield pattern_bytes(pos, n)
            pos += n


_PATTERN_PERIOD = 251
_PATTERN = bytes(range(_PATTERN_PERIOD)) * (SEND_BLOCK // _PATTERN_PERIOD + 2)


def pattern_bytes(offset, n):
    """Bytes of the generated `big` body: byte i is i % 251."""
    out = bytearray()
    while n > 0:
        skip = offset % _PATTERN_PERIOD
        take = min(n, len(_PATTERN) - skip)
        out += _PATTERN[skip:skip + take]
        offset += take
        n -= take
    return bytes(out)


class State:
    """Everything the control API changes, shared by both servers."""

    def __init__(self, update_root, forum_root, shot_dir):
        self.update_root = os.path.realpath(update_root)
        self.forum_root = os.path.realpath(forum_root)
        self.shot_dir = shot_dir
        self.lock = threading.Lock()
        self.log = []
        self.overrides = {}      # path -> bytes, or None for "answer 404"
        self.faults = {}         # path -> dict(kind=..., params..., times=N)
        self.hung = []           # [path, threading.Event] per hung connection
        self.stopping = threading.Event()

    # -- log -------------------------------------------------------------
    def record(self, entry):
        with self.lock:
            self.log.append(entry)

    def log_copy(self):
        with self.lock:
            return list(self.log)

    def hits(self, key):
        with self.lock:
            return sum(1 for e in self.log if path_matches(key, e["path"]))

    # -- overrides and faults ---------------------------------------------
    def _lookup(self, table, target):
        target = strip_absolute(target)
        if target in table:
            return target
        bare = target.split("?", 1)[0]
        if bare in table:
            return bare
        return None

    def override_for(self, target):
        """(found, bytes-or-None) for the override of this target."""
        with self.lock:
            key = self._lookup(self.overrides, target)
            if key is None:
                return False, None
            return True, self.overrides[key]

    def take_fault(self, target):
        """The fault for this target, counting down a limited one."""
        with self.lock:
            key = self._lookup(self.faults, target)
            if key is None:
                return None
            fault = self.faults[key]
            times = fault.get("times")
            if times is not None:
                if times <= 1:
                    del self.faults[key]
                else:
                    fault["times"] = times - 1
            return dict(fault)

    def reset(self):
        with self.lock:
            self.log.clear()
            self.overrides.clear()
            self.faults.clear()
            hung, self.hung = self.hung, []
        for _, event in hung:
            event.set()

    def clear_fault(self, key):
        with self.lock:
            self.faults.pop(key, None)
            release = [h for h in self.hung if h[0] == key]
            self.hung = [h for h in self.hung if h[0] != key]
        for _, event in release:
            event.set()

    def hang_here(self, key):
        """Block until reset, clear of `key`, or server stop."""
        event = threading.Event()
        entry = [key, event]
        with self.lock:
            self.hung.append(entry)
        while not event.is_set() and not self.stopping.is_set():
            event.wait(0.2)
        with self.lock:
            if entry in self.hung:
                self.hung.remove(entry)

    def release_all(self):
        self.stopping.set()
        with self.lock:
            hung, self.hung = self.hung, []
        for _, event in hung:
            event.set()


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "KorvaneTestServer/1.0"
    # Idle keep-alive connections are dropped after this many seconds so
    # that abandoned clients do not pin threads forever.
    timeout = 120
    is_control = False

    # The server object carries .state, .role ("update"/"forum") and .quiet.

    def version_string(self):
        return self.server_version

    def log_message(self, fmt, *args):
        if not self.server.quiet:
            sys.stderr.write("[%s] %s - %s\n" % (
                self.server.role, self.address_string(), fmt % args))

    # -- request parsing --------------------------------------------------
    def parse_request(self):
        # Keep the header lines exactly as they arrive while the standard
        # parser reads them.
        recorder = _LineRecorder(self.rfile)
        self.rfile, real = recorder, self.rfile
        try:
            ok = super().parse_request()
        finally:
            self.rfile = real
        self.raw_header_lines = recorder.header_lines()
        if not ok:
            return False
        words = self.requestline.split()
        self.raw_target = words[1] if len(words) >= 2 else "/"
        self.is_control = (self.server.role == "update"
                           and self.raw_target.startswith(CTL_PREFIX))
        if not self.is_control:
            self.server.state.record({
                "server": self.server.role,
                "method": self.command,
                "path": self.raw_target,
                "version": self.request_version,
                "headers": [[k, v] for k, v in self.headers.items()],
                "raw_headers": self.raw_header_lines,
            })
        return True

    def read_body(self):
        """The request body (Content-Length or chunked); b'' if none."""
        te = self.headers.get("Transfer-Encoding", "")
        if "chunked" in te.lower():
            data = bytearray()
            while True:
                line = self.rfile.readline(65537)
                if not line:
                    break
                size = int(line.split(b";", 1)[0].strip() or b"0", 16)
                if size == 0:
                    while self.rfile.readline(65537) not in (b"\r\n", b"\n", b""):
                        pass
                    break
                data += self.rfile.read(size)
                self.rfile.readline(65537)
            return bytes(data)
        length = self.headers.get("Content-Length")
        if length is None:
            return b""
        try:
            n = int(length)
        except ValueError:
            self.close_connection = True
            return b""
        return self.rfile.read(n) if n > 0 else b""

    # -- dispatch ---------------------------------------------------------
    def do_GET(self):
        self.dispatch()

    do_HEAD = do_POST = do_PUT = do_DELETE = do_OPTIONS = do_GET

    def dispatch(self):
        try:
            body = self.read_body()
            if self.is_control:
                self.control(body)
            else:
                self.serve_content()
        except (BrokenPipeError, ConnectionResetError, ConnectionAbortedError,
                socket.timeout):
            self.close_connection = True

    # -- plain responses --------------------------------------------------
    def simple(self, code, body, ctype="text/plain; charset=utf-8", extra=()):
        if isinstance(body, str):
            body = body.encode("utf-8")
        self.send_response(code)
        self.send_header("Content-Type", ctype)
        self.send_header("Content-Length", str(len(body)))
        for name, value in extra:
            self.send_header(name, value)
        if self.is_control:
            # Control answers change from call to call: no client may cache them.
            self.send_header("Cache-Control", "no-store")
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(body)

    # -- content ----------------------------------------------------------
    def resolve(self):
        """(status, Body, content type) for the request target."""
        target = strip_absolute(self.raw_target)
        found, data = self.server.state.override_for(target)
        if found:
            if data is None:
                return 404, Body(not_found_page(target)), "text/html"
            return 200, Body(data), self.content_type(target)
        bare, _, query = target.partition("?")
        if self.server.role == "update":
            path = self.file_under(self.server.state.update_root, bare)
            if path is not None:
                with open(path, "rb") as f:
                    return 200, Body(f.read()), self.content_type(bare)
        else:
            if bare == "/forum.php" and parse_query(query).get("mod") == "rss":
                path = os.path.join(self.server.state.forum_root, "rss.xml")
                if os.path.isfile(path):
                    with open(path, "rb") as f:
                        return 200, Body(f.read()), "text/xml"
            elif bare in ("/", "/index.html", "/forum.php") and not query:
                return 200, Body(FORUM_HOME), "text/html; charset=utf-8"
        return 404, Body(not_found_page(target)), "text/html"

    @staticmethod
    def content_type(target):
        bare = target.split("?", 1)[0]
        if bare.startswith("/forum.php"):
            return "text/xml"
        ext = os.path.splitext(bare)[1].lower()
        return CONTENT_TYPES.get(ext, "application/octet-stream")

    @staticmethod
    def file_under(root, url_path):
        """The file that a URL path names under root, or None (no escape)."""
        rel = urllib.parse.unquote(url_path).lstrip("/")
        if "\0" in rel:
            return None
        full = os.path.realpath(os.path.join(root, rel))
        if full != root and not full.startswith(root + os.sep):
            return None
        return full if os.path.isfile(full) else None

    def parse_range(self, length):
        """None (no usable Range), (start, end) exclusive, or 'unsatisfiable'."""
        value = self.headers.get("Range")
        if value is None:
            return None
        value = value.strip()
        if not value.lower().startswith("bytes="):
            return None
        range_spec = value[6:].strip()
        if "," in range_spec or "-" not in range_spec:
            return None
        first, _, last = range_spec.partition("-")
        first, last = first.strip(), last.strip()
        try:
            if first == "":                 # bytes=-N: the last N bytes
                n = int(last)
                if n <= 0:
                    return "unsatisfiable"
                return (max(0, length - n), length)
            start = int(first)
            end = int(last) + 1 if last else length
        except ValueError:
            return None
        if start >= length:
            return "unsatisfiable"
        if end <= start:
            return None
        return (start, min(end, length))

    def serve_content(self):
        state = self.server.state
        fault = state.take_fault(self.raw_target)
        kind = fault["kind"] if fault else None

        if kind == "hang":
            self.close_connection = True
            state.hang_here(fault["path"])
            return
        if kind == "garbage":
            self.close_connection = True
            self.wfile.write(GARBAGE)
            return

        if kind == "big":
            status, body, ctype = 200, Body(size=fault["size"]), "application/octet-stream"
        else:
            status, body, ctype = self.resolve()

        start, end = 0, body.length
        extra = []
        if status == 200 and kind != "status":
            rng = self.parse_range(body.length)
            if rng == "unsatisfiable":
                self.simple(416, "range not satisfiable\n",
                            extra=[("Content-Range", "bytes */%d" % body.length)])
                return
            if rng is not None:
                start, end = rng
                status = 206
                extra.append(("Content-Range", "bytes %d-%d/%d"
                              % (start, end - 1, body.length)))
        if kind == "status":
            status = fault["code"]
        send_body = self.command != "HEAD" and not (
            100 <= status < 200 or status in (204, 304))
        count = end - start

        self.send_response(status)
        self.send_header("Content-Type", ctype)
        for name, value in extra:
            self.send_header(name, value)

        if kind == "nolength":
            self.close_connection = True
            self.send_header("Connection", "close")
            self.end_headers()
            if send_body:
                self.write_pieces(body, start, end, SEND_BLOCK)
        elif kind == "chunked":
            self.send_header("Transfer-Encoding", "chunked")
            self.end_headers()
            if send_body:
                for piece in body.pieces(start, end, fault["chunk"]):
                    self.wfile.write(b"%x\r\n%s\r\n" % (len(piece), piece))
                self.wfile.write(b"0\r\n\r\n")
        elif kind == "cut":
            self.close_connection = True
            self.send_header("Content-Length", str(count))
            self.end_headers()
            if send_body:
                self.write_pieces(body, start, min(end, start + fault["after"]),
                                  SEND_BLOCK)
        elif kind == "length":
            self.close_connection = True
            self.send_header("Content-Length", str(fault["value"]))
            self.end_headers()
            if send_body:
                self.write_pieces(body, start, end, SEND_BLOCK)
        elif kind == "slow":
            self.send_header("Content-Length", str(count))
            self.end_headers()
            if send_body:
                delay = fault["delay_ms"] / 1000.0
                first = True
                for piece in body.pieces(start, end, fault["chunk"]):
                    if not first and state.stopping.wait(delay):
                        self.close_connection = True
                        return
                    first = False
                    self.wfile.write(piece)
        else:
            if not (100 <= status < 200 or status in (204, 304)):
                self.send_header("Content-Length", str(count))
            self.end_headers()
            if send_body:
                self.write_pieces(body, start, end, SEND_BLOCK)

    def write_pieces(self, body, start, end, block):
        for piece in body.pieces(start, end, block):
            self.wfile.write(piece)

    # -- control API --------------------------------------------------------
    def control(self, body):
        state = self.server.state
        name, _, query = self.raw_target[len(CTL_PREFIX):].partition("?")
        params = parse_query(query)
        path = params.get("path")
        need_path = {"set", "unset", "delete", "fault", "clear", "hits"}
        if name in need_path and not path:
            self.simple(400, "missing path\n")
            return

        if name == "reset":
            state.reset()
        elif name == "log":
            raw = params.get("raw") in ("1", "yes", "true")
            self.simple(200, format_log(state.log_copy(), raw).encode("latin-1"),
                        ctype="text/plain")
            return
        elif name == "log.json":
            self.simple(200, json.dumps(state.log_copy(), indent=1),
                        ctype="application/json")
            return
        elif name == "set":
            with state.lock:
                state.overrides[path] = body
        elif name == "unset":
            with state.lock:
                state.overrides.pop(path, None)
        elif name == "delete":
            with state.lock:
                state.overrides[path] = None
        elif name == "fault":
            try:
                fault = make_fault(path, params)
            except ValueError as err:
                self.simple(400, "bad fault: %s\n" % err)
                return
            with state.lock:
                state.faults[path] = fault
        elif name == "clear":
            state.clear_fault(path)
        elif name == "hits":
            self.simple(200, "%d\n" % state.hits(path))
            return
        elif name == "screenshot":
            self.screenshot(params.get("name", ""))
            return
        else:
            self.simple(404, "unknown control command\n")
            return
        self.simple(200, "ok\n")

    def screenshot(self, name):
        if not name or not set(name) <= SHOT_NAME_CHARS or name in (".", ".."):
            self.simple(400, "name may only use A-Z a-z 0-9 _ . -\n")
            return
        shot_dir = self.server.state.shot_dir
        target = os.path.join(shot_dir, name + ".png")
        try:
            os.makedirs(shot_dir, exist_ok=True)
            if os.path.exists(target):
                os.remove(target)
            proc = subprocess.run(["import", "-window", "root", target],
                                  stdin=subprocess.DEVNULL,
                                  stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                  timeout=30)
            output = proc.stdout.decode("utf-8", "replace")
        except (OSError, subprocess.TimeoutExpired) as err:
            self.simple(500, "screenshot failed: %s\n" % err)
            return
        if proc.returncode == 0 and os.path.isfile(target):
            self.simple(200, "ok\n")
        else:
            self.simple(500, "screenshot failed (exit %d): %s\n"
                        % (proc.returncode, output.strip()))


class _LineRecorder:
    """File wrapper that remembers the lines read through readline()."""

    def __init__(self, f):
        self.f = f
        self.lines = []

    def readline(self, *args):
        line = self.f.readline(*args)
        self.lines.append(line)
        return line

    def __getattr__(self, name):
        return getattr(self.f, name)

    def header_lines(self):
        out = []
        for line in self.lines:
            if line in (b"\r\n", b"\n", b""):
                break
            out.append(line.rstrip(b"\r\n").decode("latin-1"))
        return out


def make_fault(path, params):
    kind = params.get("kind", "")
    if kind not in FAULT_KINDS:
        raise ValueError("unknown kind %r" % kind)

    def number(name, default=None, minimum=0):
        value = params.get(name)
        if value is None or value == "":
            if default is None:
                raise ValueError("%s= is needed" % name)
            return default
        n = int(value)
        if n < minimum:
            raise ValueError("%s= must be at least %d" % (name, minimum))
        return n

    fault = {"path": path, "kind": kind}
    if kind == "status":
        fault["code"] = number("code", minimum=100)
        if fault["code"] > 999:
            raise ValueError("code= must have three digits")
    elif kind == "chunked":
        fault["chunk"] = number("chunk", 1000, minimum=1)
    elif kind == "cut":
        fault["after"] = number("after")
    elif kind == "slow":
        fault["chunk"] = number("chunk", 1000, minimum=1)
        fault["delay_ms"] = number("delay_ms", 100)
    elif kind == "length":
        fault["value"] = number("value")
    elif kind == "big":
        fault["size"] = number("size")
    if "times" in params:
        fault["times"] = number("times", minimum=1)
    return fault


def format_log(entries, raw=False):
    out = []
    for e in entries:
        out.append("%s %s %s %s\n" % (e["server"], e["method"], e["path"], e["version"]))
        if raw:
            out.extend(line + "\n" for line in e["raw_headers"])
        else:
            out.extend("%s: %s\n" % (k, v) for k, v in e["headers"])
        out.append("\n")
    return "".join(out)


class Server(ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True

    def __init__(self, port, role, state, quiet):
        self.role = role
        self.state = state
        self.quiet = quiet
        super().__init__(("127.0.0.1", port), Handler)

    def handle_error(self, request, client_address):
        if not self.quiet:
            super().handle_error(request, client_address)


def write_ready(path, update_port, forum_port):
    tmp = path + ".tmp%d" % os.getpid()
    with open(tmp, "w") as f:
        f.write("update_port=%d\nforum_port=%d\npid=%d\n"
                % (update_port, forum_port, os.getpid()))
    os.replace(tmp, path)


def main(argv=None):
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("--update-port", type=int, default=81)
    ap.add_argument("--forum-port", type=int, default=80)
    ap.add_argument("--update-root", required=True)
    ap.add_argument("--forum-root", required=True)
    ap.add_argument("--shot-dir", default=".")
    ap.add_argument("--ready-file")
    ap.add_argument("--quiet", action="store_true")
    args = ap.parse_args(argv)

    for label, root in (("--update-root", args.update_root),
                        ("--forum-root", args.forum_root)):
        if not os.path.isdir(root):
            print("test_server: %s %s is not a folder" % (label, root), file=sys.stderr)
            return 2

    state = State(args.update_root, args.forum_root, os.path.abspath(args.shot_dir))
    servers = []
    try:
        for port, role in ((args.update_port, "update"), (args.forum_port, "forum")):
            try:
                servers.append(Server(port, role, state, args.quiet))
            except OSError as err:
                print("test_server: cannot listen on 127.0.0.1:%d for the %s server: %s"
                      % (port, role, err.strerror or err), file=sys.stderr)
                return 2

        stop = threading.Event()

        def on_signal(signum, frame):
            stop.set()

        signal.signal(signal.SIGTERM, on_signal)
        signal.signal(signal.SIGINT, on_signal)

        threads = [threading.Thread(target=s.serve_forever, kwargs={"poll_interval": 0.2},
                                    daemon=True) for s in servers]
        for t in threads:
            t.start()
        update_port = servers[0].server_address[1]
        forum_port = servers[1].server_address[1]
        if args.ready_file:
            write_ready(args.ready_file, update_port, forum_port)
        if not args.quiet:
            print("test_server: update on 127.0.0.1:%d, forum on 127.0.0.1:%d"
                  % (update_port, forum_port), file=sys.stderr, flush=True)

        while not stop.wait(0.5):
            pass

        state.release_all()
        for s in servers:
            s.shutdown()
        if args.ready_file:
            try:
                os.remove(args.ready_file)
            except OSError:
                pass
        return 0
    finally:
        for s in servers:
            s.server_close()


if __name__ == "__main__":
    sys.exit(main())
