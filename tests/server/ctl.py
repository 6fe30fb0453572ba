"""Python client for the control API of test_server.py.

Every function takes `base`, the update server's base URL (default
http://127.0.0.1:81, or $KORVANE_CTL_BASE).  Errors from the server raise urllib.error.HTTPError.
"""

import json
import os
import time
import urllib.parse
import urllib.request

DEFAULT_BASE = os.environ.get("KORVANE_CTL_BASE", "http://127.0.0.1:81")
TIMEOUT = 30


def _url(base, command, **params):
    query = urllib.parse.urlencode(
        {k: str(v) for k, v in params.items()}, quote_via=urllib.parse.quote, safe="")
    return "%s/_ctl/%s%s" % (base.rstrip("/"), command, "?" + query if query else "")


def _call(base, command, data=None, method="POST", **params):
    req = urllib.request.Request(_url(base, command, **params), data=data, method=method)
    with urllib.request.urlopen(req, timeout=TIMEOUT) as resp:
        return resp.read()


def reset(base=DEFAULT_BASE):
    """Clear the log, all faults and all overrides; releases hung connections."""
    _call(base, "reset", data=b"")


def set_body(path, data, base=DEFAULT_BASE):
    """Serve exactly `data` (bytes) for `path` (e.g. '/forum.php?mod=rss')."""
    _call(base, "set", data=bytes(data), path=path)


def unset(path, base=DEFAULT_BASE):
    _call(base, "unset", data=b"", path=path)


def delete(path, base=DEFAULT_BASE):
    """Make `path` answer 404."""
    _call(base, "delete", data=b"", path=path)


def fault(path, kind, base=DEFAULT_BASE, **params):
    """Make `path` misbehave: fault('/x', 'cut', after=10), fault('/x', 'hang')."""
    _call(base, "fault", data=b"", path=path, kind=kind, **params)


def clear(path, base=DEFAULT_BASE):
    _call(base, "clear", data=b"", path=path)


def hits(path, base=DEFAULT_BASE):
    return int(_call(base, "hits", method="GET", path=path).decode().strip())


def log(base=DEFAULT_BASE):
    """The request log: a list of dicts with server, method, path, version,
    headers ([name, value] pairs) and raw_headers (lines as received).
    Strings hold the received bytes as latin-1 code points."""
    return json.loads(_call(base, "log.json", method="GET").decode("utf-8"))


def log_text(base=DEFAULT_BASE, raw=False):
    params = {"raw": 1} if raw else {}
    return _call(base, "log", method="GET", **params).decode("latin-1")


def screenshot(name, base=DEFAULT_BASE):
    _call(base, "screenshot", data=b"", name=name)


def wait_ready(ready_file, timeout=15.0):
    """Wait for the server's ready file; returns its fields as a dict of ints
    (update_port, forum_port, pid).  Raises TimeoutError."""
    deadline = time.monotonic() + timeout
    while True:
        try:
            with open(ready_file) as f:
                fields = dict(line.strip().split("=", 1) for line in f if "=" in line)
            return {k: int(v) for k, v in fields.items()}
        except FileNotFoundError:
            pass
        if time.monotonic() >= deadline:
            raise TimeoutError("test server not ready after %.1f s (%s)" % (timeout, ready_file))
        time.sleep(0.05)


def base_for(ready):
    """Base URL of the update server described by wait_ready()'s result."""
    return "http://127.0.0.1:%d" % ready["update_port"]


__all__ = ["reset", "set_body", "unset", "delete", "fault", "clear", "hits",
           "log", "log_text", "screenshot", "wait_ready", "base_for", "DEFAULT_BASE"]
