#!/usr/bin/env python3
"""Benchmark of the database update under Wine (not a test).

Builds tools/bench-update.cpp against the win32 build, then, in a private
network namespace with Xvfb, the local test server and a fresh Wine prefix,
runs it: each round times a bare WinINet read loop over nine module URLs
(~11.6 MB each, 104.85 MB in all), the same loop writing the files, and a full
update of the same nine files through the program's window, while it sends
WM_NULL to the main window every 20 ms and samples the program's private bytes.

    tools/bench-update.py [--build build/win32] [--source .] [--rounds 3]

Needs the win32 preset built first (cmake --build --preset win32).
"""

import argparse
import os
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests"))
from wine_session import WineSession, enter_network_namespace, log, windows_path  # noqa: E402


def build(source, build_dir):
    out_dir = os.path.join(build_dir, "tools")
    os.makedirs(out_dir, exist_ok=True)
    exe = os.path.join(out_dir, "bench_update.exe")
    cmd = ["i686-w64-mingw32-g++-posix", "-std=c++20", "-O2", "-Wall", "-Wextra", "-municode", "-static",
           "-DUNICODE", "-D_UNICODE", "-DWIN32_LEAN_AND_MEAN", "-DNOMINMAX", "-D_WIN32_WINNT=0x0601",
           "-I" + os.path.join(source, "src"), "-I" + os.path.join(source, "tests", "e2e"),
           os.path.join(source, "tools", "bench-update.cpp"),
           os.path.join(source, "tests", "e2e", "Driver.cpp"),
           os.path.join(source, "tests", "e2e", "UpdateHelpers.cpp"),
           os.path.join(build_dir, "libkorvane_logic.a"),
           "-lwininet", "-lpsapi", "-ladvapi32", "-luser32", "-lgdi32", "-o", exe]
    subprocess.check_call(cmd)
    return exe


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", default="build/win32")
    parser.add_argument("--source", default=".")
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--no-netns", action="store_true")
    args = parser.parse_args(argv)
    source = os.path.abspath(args.source)
    build_dir = os.path.abspath(args.build)
    for needed in ("KorvaneScan.exe", "libkorvane_logic.a"):
        if not os.path.exists(os.path.join(build_dir, needed)):
            log("missing", needed, "- build the win32 preset first")
            return 2
    exe = build(source, build_dir)
    with WineSession(source) as session:
        env = {
            "KORVANE_E2E_EXE": windows_path(os.path.join(build_dir, "KorvaneScan.exe")),
            "KORVANE_E2E_STANDINS": windows_path(os.path.join(build_dir, "standins")),
            "KORVANE_E2E_SAMPLE": windows_path(os.path.join(source, "sample")),
            "KORVANE_E2E_ROOT": "C:\\bench",
            "KORVANE_E2E_CTL": "http://127.0.0.1:81",
        }
        return session.run_wine([exe, str(args.rounds)], timeout=1800, extra_env=env)


if __name__ == "__main__":
    argv = sys.argv[1:]
    enter_network_namespace(__file__, argv)
    sys.exit(main(argv))
