#!/bin/bash
# Start-up time of KorvaneScan.exe under Wine, from process start until both
# database version fields are filled: with the local server answering (median
# of 5 runs), with nothing listening (connection refused) and with a server that
# accepts and never answers. Prints one BENCH line per case.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$ROOT"
args=(--build build/win32 --source . --skip-c-locale)
gtest=(-- --gtest_also_run_disabled_tests --gtest_filter=BenchStartup.*)
for mode in up refused hang; do
  ports=81,80
  [ "$mode" = refused ] && ports=8081,8080
  KORVANE_BENCH_MODE=$mode python3 tests/e2e/run_e2e.py "${args[@]}" --server-ports "$ports" "${gtest[@]}" \
    | grep -E '^(run [0-9]|BENCH)'
done
