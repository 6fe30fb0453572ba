#!/bin/bash
# Builds the release package build/package/Korvane_Scan.zip: the MinGW release
# build of KorvaneScan.exe (preset "package": the win32 build without its tests)
# packed by CPack ZIP with the user guide and the data folder from packaging/.
# The build folder is made afresh, so the zip never holds anything stale.
#
#   tools/package.sh            build the zip, print its size and SHA-256
#   tools/package.sh --verify   then build it twice more, from copies of the
#                               source tree in two other folders, and check that
#                               all three zips are the same bytes
#
# Every entry's time is SOURCE_DATE_EPOCH: taken from the environment when set,
# else the time of the last commit.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$ROOT"

verify=0
case "${1:-}" in
  "") ;;
  --verify) verify=1 ;;
  *) echo "usage: tools/package.sh [--verify]" >&2; exit 2 ;;
esac

"$ROOT/tools/install-deps.sh"

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git -C "$ROOT" log -1 --format=%ct 2>/dev/null || echo 1693526400)
fi
export SOURCE_DATE_EPOCH
export TZ=UTC

# Builds the package in source tree $1; prints the zip's path last.
build_package() {
  local src=$1
  local log="$src/build/package.log"
  rm -rf "$src/build/package"
  mkdir -p "$src/build"
  if ! (cd "$src" && cmake --preset package && cmake --build --preset package && cpack --preset package) \
       >"$log" 2>&1; then
    cat "$log" >&2
    echo "package.sh: the build in $src failed" >&2
    return 1
  fi
  echo "$src/build/package/Korvane_Scan.zip"
}

zip=$(build_package "$ROOT")
size=$(stat -c %s "$zip")
hash=$(sha256sum "$zip" | cut -d' ' -f1)
echo "package.sh: $zip"
unzip -l "$zip" | sed 's/^/  /'
echo "package.sh: $size bytes, sha256 $hash (entry time $(date -u -d "@$SOURCE_DATE_EPOCH" '+%Y-%m-%d %H:%M:%S') UTC)"

if [ "$verify" = 1 ]; then
  work=$(mktemp -d /tmp/korvane-package.XXXXXX)
  trap 'rm -rf "$work"' EXIT
  status=0
  for copy in "$work/first/src" "$work/second/deeper/source"; do
    mkdir -p "$copy"
    # The tracked and the new (not ignored) files of the working tree, as they are now.
    git -C "$ROOT" ls-files -z --cached --others --exclude-standard \
      | (cd "$ROOT" && xargs -0 tar cf - --no-recursion) | tar xf - -C "$copy"
    other=$(build_package "$copy")
    other_hash=$(sha256sum "$other" | cut -d' ' -f1)
    if [ "$other_hash" = "$hash" ]; then
      echo "package.sh: same bytes when built in $copy"
    else
      echo "package.sh: DIFFERENT bytes when built in $copy: sha256 $other_hash"
      status=1
    fi
  done
  [ "$status" = 0 ] && echo "package.sh: reproducible: 3 builds in 3 folders, one sha256"
  exit $status
fi
