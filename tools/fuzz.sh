#!/bin/bash
# Builds the libFuzzer targets (preset "fuzz", clang++) and runs each one for a
# bounded time, then prints what each run did and found.
#   tools/fuzz.sh [seconds] [target...]   (default: 60 seconds each, every target)
# Each target starts from its seed corpus tests/fuzz/corpus/<target>/ plus what
# earlier local runs found (build/fuzz/corpus/<target>/, new inputs land there).
# A crash, sanitizer report, broken property or timeout leaves the input in
# build/fuzz/artifacts/<target>/; replay it with
#   build/fuzz/tests/fuzz/<target> <artifact file>
# Exit status 1 when any target found something.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$ROOT"

seconds=${1:-60}
shift || true
case "$seconds" in ''|*[!0-9]*) echo "fuzz.sh: seconds must be a number, got '$seconds'" >&2; exit 2 ;; esac

# clang++ with libFuzzer and the sanitizer runtimes.
if ! command -v clang++ >/dev/null 2>&1 || ! ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1; then
  echo "fuzz.sh: installing clang and its runtime libraries"
  SUDO=()
  [ "$(id -u)" -eq 0 ] || SUDO=(sudo)
  "${SUDO[@]}" apt-get update -q
  "${SUDO[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends clang libclang-rt-dev
fi

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

BIN="$ROOT/build/fuzz/tests/fuzz"
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for exe in "$BIN"/*_fuzz; do targets+=("$(basename "$exe")"); done
fi

status=0
summary=()
for target in "${targets[@]}"; do
  seeds="$ROOT/tests/fuzz/corpus/$target"
  work="$ROOT/build/fuzz/corpus/$target"
  artifacts="$ROOT/build/fuzz/artifacts/$target"
  log="$ROOT/build/fuzz/$target.log"
  mkdir -p "$work" "$artifacts" "$seeds"
  dict=()
  [ -f "$ROOT/tests/fuzz/$target.dict" ] && dict=(-dict="$ROOT/tests/fuzz/$target.dict")
  echo "fuzz.sh: $target for $seconds s"
  start=$(date +%s)
  set +e
  # The outer timeout is a safety net; libFuzzer stops itself after max_total_time.
  timeout --kill-after=10 $((seconds + 120)) "$BIN/$target" \
    -max_total_time="$seconds" -timeout=10 -print_final_stats=1 "${dict[@]}" \
    -artifact_prefix="$artifacts/" "$work" "$seeds" >"$log" 2>&1
  rc=$?
  set -e
  took=$(( $(date +%s) - start ))
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1 || true)
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1 || true)
  cov=$( (grep -oE 'cov: [0-9]+' "$log" || true) | tail -1 | cut -d' ' -f2)
  corpus=$(find "$work" -type f | wc -l)
  if [ "$rc" -eq 0 ]; then
    found="nothing"
  else
    status=1
    what=$(grep -m1 -E 'PROPERTY FAILED|ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error|ALARM|out-of-memory' "$log" || true)
    found="FOUND (exit $rc): ${what:-see $log}; input kept in $artifacts"
    grep -E 'PROPERTY FAILED|ERROR:|runtime error|SUMMARY|^  \(|#[0-9]+ 0x' "$log" | head -40 || true
  fi
  line="$target: ${took} s, ${runs:-?} runs (${speed:-?}/s), coverage ${cov:-?}, corpus $corpus inputs, found $found"
  echo "fuzz.sh: $line"
  summary+=("$line")
done

echo "fuzz.sh: summary"
for line in "${summary[@]}"; do echo "  $line"; done
exit $status
