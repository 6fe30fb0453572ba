#!/usr/bin/env python3
"""Runs win32_tests.exe (the Win32 implementations) under Wine next to the
local test server on 127.0.0.1:81, in a private network namespace when the
system allows it.

    run_win32_tests.py --exe build/win32/tests/win32/win32_tests.exe --source . [-- <gtest arguments>]
"""

import argparse
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from wine_session import WineSession, enter_network_namespace, log  # noqa: E402


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--exe", required=True)
    parser.add_argument("--source", required=True)
    parser.add_argument("--keep", action="store_true")
    parser.add_argument("--no-netns", action="store_true")
    parser.add_argument("gtest", nargs="*")
    args = parser.parse_args(argv)
    with WineSession(args.source, keep=args.keep) as session:
        rc = session.run_wine([os.path.abspath(args.exe)] + args.gtest, timeout=900,
                              extra_env={"KORVANE_E2E_CTL": "http://127.0.0.1:81"})
        log("win32_tests.exe exit code", rc)
        return rc


if __name__ == "__main__":
    argv = sys.argv[1:]
    enter_network_namespace(__file__, argv)
    sys.exit(main(argv))
