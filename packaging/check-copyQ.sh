#!/bin/bash
# Runs the shipped data/copyQ.cmd under Wine in a private prefix and checks what
# it does: no ESET Smart Security for the user, no quarantine folder, an empty
# one, and files to copy (names with blanks and '&'). Prints one line per case;
# exit status 1 when a case fails. Needs wine (tools/install-deps.sh).
set -euo pipefail
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
export WINEPREFIX=$(mktemp -d /tmp/korvane-copyq.XXXXXX)
export WINEDEBUG=-all
trap 'timeout 20 wineserver -k 2>/dev/null || true; rm -rf "$WINEPREFIX"' EXIT
timeout 120 wineboot -i >/dev/null 2>&1

C="$WINEPREFIX/drive_c"
local_win=$(wine cmd /c 'echo %LOCALAPPDATA%' 2>/dev/null | tr -d '\r')
LOCAL=$(winepath -u "$local_win" 2>/dev/null)
LOCAL=${LOCAL%/}
QUAR="$C/KorvaneScanData/data/quarantine"
LOG="$C/KorvaneScanData/copyQ.log"
cp "$HERE/data/copyQ.cmd" "$C/copyQ.cmd"

failures=0
run() {  # run <case> <expected exit code> <text the log's last lines must hold>
  local rc=0
  rm -f "$LOG"
  wine cmd /c 'C:\copyQ.cmd' >/dev/null 2>&1 || rc=$?
  if [ "$rc" -eq "$2" ] && grep -qF "$3" "$LOG"; then
    echo "check-copyQ: ok    $1 (exit $rc)"
  else
    echo "check-copyQ: FAIL  $1 (exit $rc, expected $2; log:)"; sed 's/^/    /' "$LOG" 2>/dev/null || true
    failures=$((failures + 1))
  fi
}

mkdir -p "$QUAR"
printf 'one' > "$QUAR/A1B2C3.NQF"
run "no ESET product for the user" 2 "ESET Smart Security is not installed for this user"
[ ! -e "$LOCAL/ESET" ] || { echo "check-copyQ: FAIL  created an ESET folder"; failures=$((failures + 1)); }

mkdir -p "$LOCAL/ESET/ESET Smart Security"
rm -rf "$C/KorvaneScanData/data"
run "no quarantine folder" 1 "does not exist"

mkdir -p "$QUAR"
run "empty quarantine folder" 1 "holds no files"

printf 'one' > "$QUAR/A1B2C3.NQF"
printf 'two two' > "$QUAR/with blank.NQF"
printf 'three' > "$QUAR/a&b.NQF"
run "three files" 0 "Copied 3 file(s)"
for f in "A1B2C3.NQF" "with blank.NQF" "a&b.NQF"; do
  if ! cmp -s "$QUAR/$f" "$LOCAL/ESET/ESET Smart Security/Quarantine/$f"; then
    echo "check-copyQ: FAIL  $f not copied unchanged"; failures=$((failures + 1))
  fi
  [ -e "$QUAR/$f" ] || { echo "check-copyQ: FAIL  $f left the source folder"; failures=$((failures + 1)); }
done
grep -qF "copied: a&b.NQF" "$LOG" || { echo "check-copyQ: FAIL  the log does not name a&b.NQF"; failures=$((failures + 1)); }

rm -rf "$LOCAL/ESET/ESET Smart Security"
mkdir -p "$LOCAL/ESET/ESET Security"
run "later product folder" 0 "ESET Security\\Quarantine"
[ -e "$LOCAL/ESET/ESET Security/Quarantine/a&b.NQF" ] || { echo "check-copyQ: FAIL  not copied into ESET Security"; failures=$((failures + 1)); }

sed "s/^/    log: /" "$LOG"
echo "check-copyQ: $failures failure(s)"
[ "$failures" -eq 0 ]
