#!/bin/bash
# The test command: installs what is missing, builds both presets with warnings
# as errors, and runs every test level:
#   unit   native GoogleTest of the portable logic (fakes of the platform)
#   win32  the Win32 implementations under Wine, against the local test server
#   e2e    the real KorvaneScan.exe under Wine and Xvfb, driven from outside
#   asan   the unit tests again, built with AddressSanitizer and UBSan (g++)
#   fuzz   each libFuzzer target for $KORVANE_FUZZ_SECONDS s (30), tools/fuzz.sh
# Usage: tools/test.sh            (everything)
#        tools/test.sh unit win32 (only these levels; the builds still run)
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$ROOT"

levels=("$@")
[ ${#levels[@]} -gt 0 ] || levels=(unit win32 e2e asan fuzz)

start=$(date +%s)
"$ROOT/tools/install-deps.sh"
echo "test.sh: dependencies ready after $(( $(date +%s) - start )) s"

cmake --preset native -DKORVANE_WERROR=ON >/dev/null
cmake --build --preset native
cmake --preset win32 -DKORVANE_WERROR=ON >/dev/null
cmake --build --preset win32
echo "test.sh: both presets built after $(( $(date +%s) - start )) s"
if [[ " ${levels[*]} " == *" asan "* ]]; then
  cmake --preset native-asan -DKORVANE_WERROR=ON >/dev/null
  cmake --build --preset native-asan
  echo "test.sh: sanitizer build done after $(( $(date +%s) - start )) s"
fi

status=0
for level in "${levels[@]}"; do
  echo "test.sh: running the $level tests"
  if [ "$level" = fuzz ]; then
    "$ROOT/tools/fuzz.sh" "${KORVANE_FUZZ_SECONDS:-30}" || { status=1; echo "test.sh: fuzz FOUND something"; }
    continue
  fi
  if ! ctest --preset "$level"; then
    status=1
    echo "test.sh: $level tests FAILED"
  fi
done
echo "test.sh: finished after $(( $(date +%s) - start )) s (status $status)"
exit $status
