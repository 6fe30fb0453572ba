#!/usr/bin/env python3
"""Runs the end-to-end tests: the real KorvaneScan.exe under Wine and Xvfb,
driven from outside by e2e_tests.exe, next to the local test server on
127.0.0.1:81 (update server, with its control API) and :80 (forum).

Runs in a private network namespace when the system allows it. The test
program runs twice: under LANG=zh_CN.UTF-8 (ANSI code page 936), then its
Captions* tests again under LANG=C.UTF-8 (code page 1252).

    run_e2e.py --build build/win32 --source . [--keep] [-- <gtest arguments>]
"""

import argparse
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from wine_session import WineSession, enter_network_namespace, log, windows_path  # noqa: E402


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", required=True, help="the win32 build folder")
    parser.add_argument("--source", required=True, help="the source tree")
    parser.add_argument("--keep", action="store_true", help="keep the temporary folder (prefix, server log)")
    parser.add_argument("--no-netns", action="store_true", help="do not use a private network namespace")
    parser.add_argument("--skip-c-locale", action="store_true", help="skip the pass under LANG=C.UTF-8")
    parser.add_argument("--timeout", type=int, default=1500, help="seconds for each pass")
    parser.add_argument("--server-ports", default="81,80",
                        help="update,forum ports of the test server (others than 81,80 leave the program "
                             "with nothing listening where it connects)")
    parser.add_argument("gtest", nargs="*", help="arguments for e2e_tests.exe (after --)")
    args = parser.parse_args(argv)

    build = os.path.abspath(args.build)
    tests_exe = os.path.join(build, "tests", "e2e", "e2e_tests.exe")
    for needed in (tests_exe, os.path.join(build, "KorvaneScan.exe")):
        if not os.path.exists(needed):
            log("missing", needed, "- build the win32 preset first")
            return 2

    update_port, forum_port = (int(p) for p in args.server_ports.split(","))
    with WineSession(args.source, shot_dir=os.path.join(build, "e2e-shots"), keep=args.keep,
                     update_port=update_port, forum_port=forum_port) as session:
        env = {
            "KORVANE_E2E_EXE": windows_path(os.path.join(build, "KorvaneScan.exe")),
            "KORVANE_E2E_STANDINS": windows_path(os.path.join(build, "standins")),
            "KORVANE_E2E_SAMPLE": windows_path(os.path.join(os.path.abspath(args.source), "sample")),
            "KORVANE_E2E_ROOT": "C:\\e2e",
            "KORVANE_E2E_CTL": "http://127.0.0.1:%d" % update_port,
        }
        passes = [("zh_CN.UTF-8", args.gtest)]
        filters = [a for a in args.gtest if a.startswith("--gtest_filter=")]
        if not args.skip_c_locale and (not filters or "Captions" in filters[-1]):
            others = [a for a in args.gtest if not a.startswith("--gtest_filter=")]
            passes.append(("C.UTF-8", others + ["--gtest_filter=Captions*"]))
        result = 0
        for lang, gtest_args in passes:
            log("e2e_tests.exe under LANG=%s %s" % (lang, " ".join(gtest_args)))
            rc = session.run_wine([tests_exe] + gtest_args, lang=lang, timeout=args.timeout, extra_env=env)
            log("LANG=%s: exit code %d" % (lang, rc))
            result = result or rc
        log("screenshots in", os.path.join(build, "e2e-shots"))
        return result


if __name__ == "__main__":
    argv = sys.argv[1:]
    enter_network_namespace(__file__, argv)
    sys.exit(main(argv))
