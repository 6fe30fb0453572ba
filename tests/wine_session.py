"""A private place to run Windows test programs: a network namespace (when the
system allows), an Xvfb display, the local test server on 127.0.0.1:81 and :80,
and a fresh Wine prefix. Used by the Win32 and end-to-end test runners.

    with WineSession(source, shot_dir) as s:
        rc = s.run_wine([program, args...], lang="zh_CN.UTF-8")

Every process started here is ended by its id on the way out.
"""

import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time


def log(*args):
    print("[wine-session]", *args, flush=True)


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def enter_network_namespace(script, argv):
    """Re-runs `script` inside `unshare -n` (a private loopback), when possible."""
    if os.environ.get("KORVANE_NETNS") or "--no-netns" in argv:
        return
    if shutil.which("unshare") and subprocess.call(["unshare", "-n", "true"], stderr=subprocess.DEVNULL) == 0:
        env = dict(os.environ, KORVANE_NETNS="1")
        os.execvpe("unshare", ["unshare", "-n", sys.executable, os.path.abspath(script)] + argv, env)
    log("no private network namespace available; using the machine's loopback")


def _wait_for(predicate, timeout, what):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        if predicate():
            return
        time.sleep(0.1)
    raise RuntimeError("timed out waiting for " + what)


def _free_display():
    for n in range(90, 400):
        if not os.path.exists("/tmp/.X%d-lock" % n) and not os.path.exists("/tmp/.X11-unix/X%d" % n):
            return n
    raise RuntimeError("no free X display number")


class WineSession:
    def __init__(self, source, shot_dir=None, keep=False, display=True, update_port=81, forum_port=80):
        self.update_port = update_port
        self.forum_port = forum_port
        self.source = os.path.abspath(source)
        self.shot_dir = shot_dir
        self.keep = keep
        self.want_display = display
        self.started = []
        self.tmp = None
        self.env = None

    def _start(self, args, **kw):
        p = subprocess.Popen(args, start_new_session=True, **kw)
        self.started.append(p)
        return p

    def __enter__(self):
        if os.environ.get("KORVANE_NETNS"):
            subprocess.check_call(["ip", "link", "set", "lo", "up"])
        self.tmp = tempfile.mkdtemp(prefix="korvane-wine-")
        self.env = dict(os.environ, WINEPREFIX=os.path.join(self.tmp, "prefix"),
                        WINEDEBUG=os.environ.get("WINEDEBUG", "-all"), WINEDLLOVERRIDES="mscoree,mshtml=")
        try:
            if self.want_display:
                display = _free_display()
                self._start(["Xvfb", ":%d" % display, "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                _wait_for(lambda: os.path.exists("/tmp/.X11-unix/X%d" % display), 20, "Xvfb")
                self.env["DISPLAY"] = ":%d" % display
            else:
                self.env.pop("DISPLAY", None)
            ready = os.path.join(self.tmp, "server-ready")
            server_args = [sys.executable, os.path.join(self.source, "tests", "server", "test_server.py"),
                           "--update-port", str(self.update_port), "--forum-port", str(self.forum_port),
                           "--update-root", os.path.join(self.source, "sample", "server", "update"),
                           "--forum-root", os.path.join(self.source, "sample", "server", "forum"),
                           "--ready-file", ready, "--quiet"]
            if self.shot_dir:
                os.makedirs(self.shot_dir, exist_ok=True)
                server_args += ["--shot-dir", self.shot_dir]
            self.server_log = open(os.path.join(self.tmp, "server.log"), "w")
            self._start(server_args, stdout=self.server_log, stderr=subprocess.STDOUT, env=self.env)
            _wait_for(lambda: os.path.exists(ready), 20, "the test server")
            started = time.monotonic()
            env = dict(self.env, LANG="zh_CN.UTF-8", LC_ALL="zh_CN.UTF-8")
            subprocess.run(["wineboot", "-i"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                           timeout=300, check=False)
            subprocess.run(["wineserver", "-w"], env=env, timeout=120, check=False)
            log("wine prefix ready in %.1f s" % (time.monotonic() - started))
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def run_wine(self, args, lang="zh_CN.UTF-8", timeout=1500, extra_env=None):
        """Runs a Windows program to its end; returns its exit code (124 on time-out)."""
        env = dict(self.env, LANG=lang, LC_ALL=lang, **(extra_env or {}))
        try:
            rc = subprocess.run(["wine"] + args, env=env, timeout=timeout).returncode
        except subprocess.TimeoutExpired:
            log("timed out after %d s: %s" % (timeout, " ".join(args)))
            rc = 124
        subprocess.run(["wineserver", "-k"], env=env, timeout=60, check=False)
        return rc

    def __exit__(self, *exc):
        if self.env:
            subprocess.run(["wineserver", "-k"], env=self.env, timeout=60, check=False,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for p in reversed(self.started):
            if p.poll() is None:
                try:
                    os.killpg(p.pid, signal.SIGTERM)
                except ProcessLookupError:
                    pass
                try:
                    p.wait(timeout=10)
                except subprocess.TimeoutExpired:
                    os.killpg(p.pid, signal.SIGKILL)
                    p.wait(timeout=10)
        if self.tmp:
            if self.keep:
                log("kept", self.tmp)
            else:
                shutil.rmtree(self.tmp, ignore_errors=True)
        return False
