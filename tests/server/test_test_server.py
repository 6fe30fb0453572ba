"""Checks of test_server.py on the wire: run with
    python3 -m unittest tests/server/test_test_server.py -v
The server runs in a subprocess on free loopback ports; where a fault's
behaviour is about the bytes and the closing of the socket, raw sockets are
used instead of an HTTP client that would hide it."""

import http.client
import json
import os
import select
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time
import unittest
import urllib.error
import urllib.request

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import ctl  # noqa: E402

SERVER = os.path.join(HERE, "test_server.py")
INFO = b"27830 (20230905)"
RSS = "<?xml version=\"1.0\" encoding=\"gbk\"?><rss><channel><title>论坛</title></channel></rss>".encode("gbk")

TMP = None
PROC = None
XVFB = None
PORTS = {}
BASE = ""


def start_server(tmp, ready_name, env=None, extra=()):
    ready = os.path.join(tmp, ready_name)
    proc = subprocess.Popen(
        [sys.executable, SERVER, "--update-port", "0", "--forum-port", "0",
         "--update-root", os.path.join(tmp, "update"),
         "--forum-root", os.path.join(tmp, "forum"),
         "--shot-dir", os.path.join(tmp, "shots"),
         "--ready-file", ready, "--quiet", *extra],
        stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=env)
    try:
        info = ctl.wait_ready(ready, timeout=10)
    except TimeoutError:
        proc.kill()
        out, err = proc.communicate(timeout=5)
        raise RuntimeError("server did not start: %s" % err.decode(errors="replace"))
    return proc, info, ready


def start_xvfb():
    """A private Xvfb for the screenshot check; None where there is none."""
    if not (shutil.which("Xvfb") and shutil.which("import")):
        return None, None
    r, w = os.pipe()
    proc = subprocess.Popen(["Xvfb", "-displayfd", str(w), "-screen", "0", "320x200x24",
                             "-nolisten", "tcp"], pass_fds=(w,),
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(w)
    number = b""
    deadline = time.monotonic() + 10
    while not number.endswith(b"\n") and time.monotonic() < deadline:
        ready, _, _ = select.select([r], [], [], 0.5)
        if ready:
            chunk = os.read(r, 16)
            if not chunk:
                break
            number += chunk
    os.close(r)
    if not number.strip():
        proc.kill()
        proc.wait(timeout=5)
        return None, None
    return proc, ":" + number.decode().strip()


def setUpModule():
    global TMP, PROC, XVFB, PORTS, BASE
    TMP = tempfile.mkdtemp(prefix="korvane-ts-")
    os.makedirs(os.path.join(TMP, "update", "eset", "Update"))
    os.makedirs(os.path.join(TMP, "forum"))
    with open(os.path.join(TMP, "update", "eset", "Update", "info.txt"), "wb") as f:
        f.write(INFO)
    with open(os.path.join(TMP, "forum", "rss.xml"), "wb") as f:
        f.write(RSS)
    with open(os.path.join(TMP, "secret.txt"), "wb") as f:
        f.write(b"outside the root")
    env = dict(os.environ)
    XVFB, display = start_xvfb()
    if display:
        env["DISPLAY"] = display
    else:
        env.pop("DISPLAY", None)
    PROC, PORTS, _ = start_server(TMP, "ready", env=env)
    BASE = ctl.base_for(PORTS)


def tearDownModule():
    for proc in (PROC, XVFB):
        if proc is not None and proc.poll() is None:
            proc.terminate()
            try:
                proc.wait(timeout=5)
            except subprocess.TimeoutExpired:
                proc.kill()
                proc.wait(timeout=5)
    if PROC is not None:
        PROC.stdout.close()
        PROC.stderr.close()
    shutil.rmtree(TMP, ignore_errors=True)


# -- helpers -----------------------------------------------------------------

def request_bytes(method, path, headers=(), version="HTTP/1.1", body=b""):
    lines = ["%s %s %s" % (method, path, version)] + list(headers)
    return ("\r\n".join(lines) + "\r\n\r\n").encode("latin-1") + body


def exchange(port, data, timeout=5.0):
    """Send raw bytes, read until the server closes. Returns (bytes, closed):
    closed is False when the read timed out with the socket still open."""
    with socket.create_connection(("127.0.0.1", port), timeout=timeout) as s:
        s.sendall(data)
        out = b""
        deadline = time.monotonic() + timeout
        while True:
            s.settimeout(max(0.01, deadline - time.monotonic()))
            try:
                chunk = s.recv(65536)
            except socket.timeout:
                return out, False
            if not chunk:
                return out, True
            out += chunk


def split_response(data):
    head, _, body = data.partition(b"\r\n\r\n")
    lines = head.decode("latin-1").split("\r\n")
    parts = lines[0].split(" ", 2)
    headers = {}
    for line in lines[1:]:
        name, _, value = line.partition(":")
        headers[name.strip().lower()] = value.strip()
    return int(parts[1]), headers, body


def get(port, path, method="GET", headers=None):
    conn = http.client.HTTPConnection("127.0.0.1", port, timeout=10)
    try:
        conn.request(method, path, headers=headers or {})
        resp = conn.getresponse()
        return resp.status, {k.lower(): v for k, v in resp.getheaders()}, resp.read()
    finally:
        conn.close()


def ctl_status(command, method="POST"):
    req = urllib.request.Request(BASE + "/_ctl/" + command, data=b"" if method == "POST" else None,
                                 method=method)
    try:
        with urllib.request.urlopen(req, timeout=10) as resp:
            return resp.status, resp.read()
    except urllib.error.HTTPError as err:
        return err.code, err.read()


class ServerCase(unittest.TestCase):
    def setUp(self):
        ctl.reset(BASE)

    @property
    def up(self):
        return PORTS["update_port"]

    @property
    def forum(self):
        return PORTS["forum_port"]


class ContentTest(ServerCase):
    def test_get_and_head_of_a_file(self):
        status, headers, body = get(self.up, "/eset/Update/info.txt")
        self.assertEqual((status, body), (200, INFO))
        self.assertEqual(headers["content-length"], str(len(INFO)))
        status, headers, body = get(self.up, "/eset/Update/info.txt", method="HEAD")
        self.assertEqual((status, body), (200, b""))
        self.assertEqual(headers["content-length"], str(len(INFO)))

    def test_not_found_answers(self):
        for port, path in [(self.up, "/eset/Update/missing.dat"),
                           (self.up, "/eset/Update"),          # a folder
                           (self.up, "/../secret.txt"),
                           (self.up, "/eset/%2e%2e/%2e%2e/secret.txt"),
                           (self.up, "/forum.php?mod=rss"),    # forum page, wrong server
                           (self.forum, "/eset/Update/info.txt"),
                           (self.forum, "/forum.php?mod=other")]:
            with self.subTest(port=port, path=path):
                status, headers, body = get(port, path)
                self.assertEqual(status, 404)
                self.assertIn(b"Not Found", body)
                self.assertEqual(headers["content-length"], str(len(body)))

    def test_forum_pages(self):
        status, headers, body = get(self.forum, "/forum.php?mod=rss")
        self.assertEqual((status, body), (200, RSS))
        self.assertTrue(headers["content-type"].startswith("text/xml"))
        status, headers, body = get(self.forum, "/")
        self.assertEqual(status, 200)
        self.assertIn(b"<html>", body)

    def test_ranges(self):
        n = len(INFO)
        cases = [  # header line as sent, status, body, Content-Range
            ("Range: bytes=6-", 206, INFO[6:], "bytes 6-%d/%d" % (n - 1, n)),
            ("Range:bytes=6-", 206, INFO[6:], "bytes 6-%d/%d" % (n - 1, n)),
            ("Range:bytes=0-", 206, INFO, "bytes 0-%d/%d" % (n - 1, n)),
            ("Range: bytes=2-4", 206, INFO[2:5], "bytes 2-4/%d" % n),
            ("Range:bytes=%d-" % (n - 1), 206, INFO[-1:], "bytes %d-%d/%d" % (n - 1, n - 1, n)),
            ("Range:bytes=%d-" % n, 416, None, "bytes */%d" % n),
            ("Range: bytes=99999-", 416, None, "bytes */%d" % n),
            ("Range: items=1-", 200, INFO, None),
        ]
        for line, status, body, crange in cases:
            with self.subTest(line=line):
                data, _ = exchange(self.up, request_bytes(
                    "GET", "/eset/Update/info.txt", ["Host: x", line, "Connection: close"]))
                got_status, headers, got_body = split_response(data)
                self.assertEqual(got_status, status)
                self.assertEqual(headers.get("content-range"), crange)
                self.assertEqual(int(headers["content-length"]), len(got_body))
                if body is not None:
                    self.assertEqual(got_body, body)

    def test_keep_alive_and_connection_close(self):
        conn = http.client.HTTPConnection("127.0.0.1", self.up, timeout=10)
        try:
            for _ in range(3):
                conn.request("GET", "/eset/Update/info.txt")
                self.assertEqual(conn.getresponse().read(), INFO)
        finally:
            conn.close()
        data, closed = exchange(self.up, request_bytes(
            "GET", "/eset/Update/info.txt", ["Host: x", "Connection: close"]), timeout=3)
        self.assertTrue(closed)
        self.assertTrue(data.endswith(INFO))


class OverrideTest(ServerCase):
    def test_set_unset_delete(self):
        odd = b"line1\r\nline2\r\n\x00\x00zero\xff\r\n"
        cases = [  # port, path set, path requested
            (self.up, "/eset/Update/info.txt", "/eset/Update/info.txt"),
            (self.up, "/eset/Update/new.dat", "/eset/Update/new.dat"),
            (self.forum, "/forum.php?mod=rss", "/forum.php?mod=rss"),
            (self.forum, "/forum.php?mod=viewthread&tid=3", "/forum.php?mod=viewthread&tid=3"),
            (self.up, "/eset/Update/info.txt", "/eset/Update/info.txt?nocache=1"),
        ]
        for port, key, path in cases:
            for content in (odd, b""):
                with self.subTest(path=path, content=content):
                    ctl.set_body(key, content, base=BASE)
                    status, headers, body = get(port, path)
                    self.assertEqual((status, body), (200, content))
                    self.assertEqual(headers["content-length"], str(len(content)))
            ctl.delete(key, base=BASE)
            self.assertEqual(get(port, path)[0], 404)
            ctl.unset(key, base=BASE)

        self.assertEqual(get(self.up, "/eset/Update/info.txt")[2], INFO)
        self.assertEqual(get(self.forum, "/forum.php?mod=rss")[2], RSS)
        self.assertEqual(get(self.up, "/eset/Update/new.dat")[0], 404)

    def test_reset_drops_overrides_and_a_query_key_needs_its_query(self):
        ctl.set_body("/forum.php?mod=rss", b"x", base=BASE)
        self.assertEqual(get(self.forum, "/forum.php")[0], 200)   # home page untouched
        self.assertEqual(get(self.forum, "/forum.php?mod=rss")[2], b"x")
        ctl.reset(BASE)
        self.assertEqual(get(self.forum, "/forum.php?mod=rss")[2], RSS)

    def test_bad_control_requests(self):
        for command, status in [("set", 400), ("fault?path=%2Fa&kind=explode", 400),
                                ("fault?path=%2Fa&kind=status", 400),
                                ("fault?path=%2Fa&kind=cut&after=x", 400),
                                ("nonsense", 404)]:
            with self.subTest(command=command):
                self.assertEqual(ctl_status(command)[0], status)


class FaultTest(ServerCase):
    PATH = "/eset/Update/info.txt"

    def raw_get(self, extra=(), timeout=5.0, path=None, port=None):
        return exchange(port or self.up, request_bytes(
            "GET", path or self.PATH, ["Host: x", *extra]), timeout=timeout)

    def test_status(self):
        for code in (404, 500, 200):
            with self.subTest(code=code):
                ctl.fault(self.PATH, "status", code=code, base=BASE)
                status, headers, body = get(self.up, self.PATH, headers={"Range": "bytes=3-"})
                self.assertEqual((status, body), (code, INFO))
        ctl.fault("/forum.php?mod=rss", "status", code=503, base=BASE)
        self.assertEqual(get(self.forum, "/forum.php?mod=rss")[:3:2], (503, RSS))

    def test_nolength(self):
        ctl.fault(self.PATH, "nolength", base=BASE)
        data, closed = self.raw_get()
        status, headers, body = split_response(data)
        self.assertTrue(closed)
        self.assertEqual((status, body), (200, INFO))
        self.assertNotIn("content-length", headers)

    def test_chunked(self):
        ctl.fault(self.PATH, "chunked", chunk=5, base=BASE)
        data, closed = self.raw_get(["Connection: close"])
        status, headers, body = split_response(data)
        self.assertEqual(headers["transfer-encoding"], "chunked")
        self.assertNotIn("content-length", headers)
        expected = b"".join(b"%x\r\n%s\r\n" % (len(INFO[i:i + 5]), INFO[i:i + 5])
                            for i in range(0, len(INFO), 5)) + b"0\r\n\r\n"
        self.assertEqual(body, expected)
        self.assertEqual(get(self.up, self.PATH)[2], INFO)   # a client decodes it

    def test_cut(self):
        ctl.fault(self.PATH, "cut", after=4, base=BASE)
        data, closed = self.raw_get()
        status, headers, body = split_response(data)
        self.assertTrue(closed)
        self.assertEqual(headers["content-length"], str(len(INFO)))
        self.assertEqual(body, INFO[:4])
        # A resumed request is cut the same way, counted from its start.
        data, closed = self.raw_get(["Range:bytes=4-"])
        status, headers, body = split_response(data)
        self.assertEqual((status, body), (206, INFO[4:8]))
        self.assertEqual(headers["content-length"], str(len(INFO) - 4))

    def test_slow(self):
        ctl.fault(self.PATH, "slow", chunk=4, delay_ms=60, base=BASE)
        start = time.monotonic()
        status, headers, body = get(self.up, self.PATH)
        elapsed = time.monotonic() - start
        self.assertEqual((status, body), (200, INFO))
        self.assertGreaterEqual(elapsed, 0.15)   # 4 pieces, 3 pauses of 60 ms
        # A client that leaves early does not upset the server.
        ctl.fault(self.PATH, "slow", chunk=1, delay_ms=50, base=BASE)
        with socket.create_connection(("127.0.0.1", self.up), timeout=5) as s:
            s.sendall(request_bytes("GET", self.PATH, ["Host: x"]))
            s.recv(10)
        ctl.clear(self.PATH, base=BASE)
        self.assertEqual(get(self.up, self.PATH)[2], INFO)

    def test_hang_until_reset_or_clear(self):
        for release in ("reset", "clear"):
            with self.subTest(release=release):
                ctl.fault(self.PATH, "hang", base=BASE)
                with socket.create_connection(("127.0.0.1", self.up), timeout=5) as s:
                    s.sendall(request_bytes("GET", self.PATH, ["Host: x"]))
                    s.settimeout(0.4)
                    with self.assertRaises(socket.timeout):
                        s.recv(100)
                    # other requests are still answered meanwhile
                    self.assertEqual(get(self.up, "/_ctl/hits?path=%2Fx")[0], 200)
                    if release == "reset":
                        ctl.reset(BASE)
                    else:
                        ctl.clear(self.PATH, base=BASE)
                    s.settimeout(3)
                    self.assertEqual(s.recv(100), b"")

    def test_garbage(self):
        ctl.fault(self.PATH, "garbage", base=BASE)
        data, closed = self.raw_get()
        self.assertTrue(closed)
        self.assertTrue(data)
        self.assertFalse(data.startswith(b"HTTP/"))

    def test_length(self):
        for value in (2147483648, 4294967295):
            with self.subTest(value=value):
                ctl.fault(self.PATH, "length", value=value, base=BASE)
                data, closed = self.raw_get()
                status, headers, body = split_response(data)
                self.assertTrue(closed)
                self.assertEqual(headers["content-length"], str(value))
                self.assertEqual(body, INFO)

    def test_big(self):
        size = 3 * 1024 * 1024 + 7
        ctl.fault("/eset/Update/em000_32.dat", "big", size=size, base=BASE)
        status, headers, body = get(self.up, "/eset/Update/em000_32.dat")
        self.assertEqual((status, len(body)), (200, size))
        self.assertEqual(headers["content-length"], str(size))
        self.assertEqual(body[:300], bytes(i % 251 for i in range(300)))
        self.assertEqual(body, bytes(range(251)) * (size // 251) + bytes(range(size % 251)))
        status, headers, tail = get(self.up, "/eset/Update/em000_32.dat",
                                    headers={"Range": "bytes=1000000-"})
        self.assertEqual((status, tail), (206, body[1000000:]))

    def test_times_limits_a_fault_and_other_paths_are_untouched(self):
        ctl.fault(self.PATH, "status", code=500, times=2, base=BASE)
        self.assertEqual(get(self.up, "/forum.php")[0], 404)
        self.assertEqual([get(self.up, self.PATH)[0] for _ in range(3)], [500, 500, 200])

    def test_fault_on_forum_path_with_query(self):
        ctl.fault("/forum.php?mod=rss", "cut", after=10, base=BASE)
        data, closed = self.raw_get(path="/forum.php?mod=rss", port=self.forum)
        self.assertEqual(split_response(data)[2], RSS[:10])
        self.assertEqual(get(self.forum, "/")[0], 200)


class LogTest(ServerCase):
    def test_log_keeps_order_case_duplicates_and_version(self):
        exchange(self.forum, request_bytes(
            "GET", "/forum.php?mod=rss",
            ["Host: localhost", "user-AGENT: Korvane", "X-Dup: one", "X-Dup: two",
             "Range:bytes=0-"], version="HTTP/1.0"), timeout=5)
        get(self.up, "/eset/Update/info.txt", method="HEAD")
        ctl.hits("/x", base=BASE)                     # control calls stay out
        text = ctl.log_text(BASE)
        first, second, rest = text.split("\n\n", 2)
        self.assertEqual(first.split("\n"), [
            "forum GET /forum.php?mod=rss HTTP/1.0",
            "Host: localhost", "user-AGENT: Korvane", "X-Dup: one", "X-Dup: two",
            "Range: bytes=0-"])
        self.assertTrue(second.startswith("update HEAD /eset/Update/info.txt HTTP/1.1\n"))
        self.assertEqual(rest, "")
        raw = ctl.log_text(BASE, raw=True)
        self.assertIn("\nRange:bytes=0-\n", raw)

        entries = ctl.log(BASE)
        self.assertEqual([(e["server"], e["method"], e["version"]) for e in entries],
                         [("forum", "GET", "HTTP/1.0"), ("update", "HEAD", "HTTP/1.1")])
        self.assertEqual(entries[0]["headers"][2:4], [["X-Dup", "one"], ["X-Dup", "two"]])
        self.assertEqual(entries[0]["raw_headers"][-1], "Range:bytes=0-")

    def test_hits_and_reset(self):
        for _ in range(3):
            get(self.up, "/eset/Update/info.txt")
        get(self.up, "/eset/Update/info.txt?x=1")
        get(self.up, "/eset/Update/inf.txt")
        get(self.forum, "/forum.php?mod=rss")
        self.assertEqual(ctl.hits("/eset/Update/info.txt", base=BASE), 4)
        self.assertEqual(ctl.hits("/eset/Update/info.txt?x=1", base=BASE), 1)
        self.assertEqual(ctl.hits("/forum.php?mod=rss", base=BASE), 1)
        ctl.reset(BASE)
        self.assertEqual(ctl.hits("/eset/Update/info.txt", base=BASE), 0)
        status, headers, body = get(self.up, "/_ctl/log.json")
        self.assertEqual(json.loads(body), [])
        self.assertEqual(headers["cache-control"], "no-store")

    def test_non_ascii_header_bytes_come_back_as_sent(self):
        ua = "Korvane 扫描".encode("utf-8")
        exchange(self.up, request_bytes("GET", "/", ["Host: x", "Connection: close"])
                 .replace(b"Host: x", b"Host: x\r\nUser-Agent: " + ua), timeout=5)
        status, _, body = get(self.up, "/_ctl/log")
        self.assertIn(b"User-Agent: " + ua + b"\n", body)


class ScreenshotTest(ServerCase):
    def test_names_are_checked(self):
        for name in ("../x", "a b", "", "a/b", "..", "x;rm"):
            with self.subTest(name=name):
                status, _ = ctl_status("screenshot?name=" + urllib.request.quote(name, safe=""))
                self.assertEqual(status, 400)

    def test_capture(self):
        status, body = ctl_status("screenshot?name=shot-1.a")
        path = os.path.join(TMP, "shots", "shot-1.a.png")
        if XVFB is None:
            self.assertEqual(status, 500, body)
            self.assertFalse(os.path.exists(path))
        else:
            self.assertEqual(status, 200, body)
            with open(path, "rb") as f:
                self.assertEqual(f.read(8), b"\x89PNG\r\n\x1a\n")


class LifecycleTest(unittest.TestCase):
    def test_sigterm_with_a_hung_connection(self):
        proc, info, ready = start_server(TMP, "ready-life")
        try:
            base = ctl.base_for(info)
            ctl.fault("/eset/Update/info.txt", "hang", base=base)
            with socket.create_connection(("127.0.0.1", info["update_port"]), timeout=5) as s:
                s.sendall(request_bytes("GET", "/eset/Update/info.txt", ["Host: x"]))
                time.sleep(0.2)
                proc.send_signal(signal.SIGTERM)
                self.assertEqual(proc.wait(timeout=5), 0)
                s.settimeout(3)
                self.assertEqual(s.recv(10), b"")
            self.assertFalse(os.path.exists(ready))
        finally:
            if proc.poll() is None:
                proc.kill()
                proc.wait(timeout=5)
            proc.stdout.close()
            proc.stderr.close()

    def test_port_in_use_is_reported(self):
        proc = subprocess.run(
            [sys.executable, SERVER, "--update-port", str(PORTS["update_port"]),
             "--forum-port", "0", "--update-root", os.path.join(TMP, "update"),
             "--forum-root", os.path.join(TMP, "forum"), "--quiet"],
            stdin=subprocess.DEVNULL, capture_output=True, timeout=10)
        self.assertEqual(proc.returncode, 2)
        self.assertIn(b"cannot listen on 127.0.0.1:%d" % PORTS["update_port"], proc.stderr)


if __name__ == "__main__":
    unittest.main()
