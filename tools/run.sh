#!/bin/bash
# Builds Korvane Scan and runs it under Wine against a local update mirror
# (127.0.0.1:81) and forum (127.0.0.1:80) served from sample/server.
#
# The run folder build/run/ is laid out afresh each time:
#   build/run/KorvaneScan.exe
#   build/run/data/        sample/run/data plus the stand-in ecls.exe and KorvaneQR.exe
# With $DISPLAY set the program shows there and this script waits until it is
# closed. Without one it runs on a private Xvfb for a few seconds, saves
# build/run/screenshot.png and ends the program.
#
# Environment:
#   WINEPREFIX           Wine prefix to use (default ~/.korvane-wine, made on first use)
#   KORVANE_EXE          run this exe instead of build/win32/KorvaneScan.exe
#   KORVANE_STANDIN_DIR  take ecls.exe and KorvaneQR.exe from here (default build/win32/standins)
#   KORVANE_SKIP_BUILD=1 skip install-deps and the build (use what is already built)
#   KORVANE_RUN_SECONDS  how long the program runs before the screenshot without a display (8)
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
RUN="$ROOT/build/run"
EXE="${KORVANE_EXE:-$ROOT/build/win32/KorvaneScan.exe}"
STANDINS="${KORVANE_STANDIN_DIR:-$ROOT/build/win32/standins}"
RUN_SECONDS="${KORVANE_RUN_SECONDS:-8}"
UPDATE_PORT=81
FORUM_PORT=80
export WINEPREFIX="${WINEPREFIX:-$HOME/.korvane-wine}"
export WINEDEBUG="${WINEDEBUG:--all}"

say() { echo "run.sh: $*"; }
die() { echo "run.sh: $*" >&2; exit 1; }

SERVER_PID=""
XVFB_PID=""
WINE_PID=""
ORIG_DISPLAY="${DISPLAY:-}"

# Waits up to $1 seconds for pid $2 to end; 0 if it ended.
wait_gone() {
  local limit=$(( $1 * 10 ))
  local i
  for (( i = 0; i < limit; i++ )); do
    kill -0 "$2" 2>/dev/null || return 0
    sleep 0.1
  done
  return 1
}

# Ends a process this script started: TERM, then KILL after a few seconds.
stop_pid() {
  local pid=$1
  [ -n "$pid" ] || return 0
  kill -0 "$pid" 2>/dev/null || return 0
  kill -TERM "$pid" 2>/dev/null || true
  wait_gone 5 "$pid" || kill -KILL "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}

cleanup() {
  local status=$?
  trap - EXIT INT TERM
  if [ -n "$WINE_PID" ] && kill -0 "$WINE_PID" 2>/dev/null; then
    stop_pid "$WINE_PID"
  fi
  if [ -n "$WINE_PID" ]; then
    # Ends what is left of the program's Wine session in this prefix.
    timeout 20 wineserver -k 2>/dev/null || true
  fi
  stop_pid "$SERVER_PID"
  stop_pid "$XVFB_PID"
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# -- build ----------------------------------------------------------------------
if [ "${KORVANE_SKIP_BUILD:-0}" != 1 ]; then
  bash "$ROOT/tools/install-deps.sh"
  (cd "$ROOT" && cmake --preset win32 && cmake --build --preset win32)
fi
[ -f "$EXE" ] || die "no program at $EXE (build it, or set KORVANE_EXE)"
for standin in ecls.exe KorvaneQR.exe; do
  [ -f "$STANDINS/$standin" ] || die "no $standin in $STANDINS (build the stand-ins first)"
done

# -- run folder -----------------------------------------------------------------
rm -rf "$RUN"
mkdir -p "$RUN/data"
cp "$EXE" "$RUN/KorvaneScan.exe"
cp -R "$ROOT/sample/run/data/." "$RUN/data/"
cp "$STANDINS/ecls.exe" "$STANDINS/KorvaneQR.exe" "$RUN/data/"
say "run folder $RUN"

# -- display --------------------------------------------------------------------
if [ -z "$ORIG_DISPLAY" ]; then
  for n in $(seq 90 189); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >"$RUN/xvfb.log" 2>&1 &
    XVFB_PID=$!
    for (( i = 0; i < 100; i++ )); do
      kill -0 "$XVFB_PID" 2>/dev/null || break
      xdpyinfo -display ":$n" >/dev/null 2>&1 && break
      sleep 0.1
    done
    if kill -0 "$XVFB_PID" 2>/dev/null && xdpyinfo -display ":$n" >/dev/null 2>&1; then
      export DISPLAY=":$n"
      break
    fi
    stop_pid "$XVFB_PID"   # lost a race for this display: try the next
    XVFB_PID=""
  done
  [ -n "$XVFB_PID" ] || die "could not start Xvfb (see $RUN/xvfb.log)"
  say "no DISPLAY: running on a private Xvfb at $DISPLAY"
fi

# -- local update mirror and forum ----------------------------------------------
READY="$RUN/.server-ready"
python3 "$ROOT/tests/server/test_server.py" \
  --update-port "$UPDATE_PORT" --forum-port "$FORUM_PORT" \
  --update-root "$ROOT/sample/server/update" --forum-root "$ROOT/sample/server/forum" \
  --shot-dir "$RUN" --ready-file "$READY" >"$RUN/server.log" 2>&1 &
SERVER_PID=$!
for (( i = 0; i < 100; i++ )); do
  [ -f "$READY" ] && break
  kill -0 "$SERVER_PID" 2>/dev/null || break
  sleep 0.1
done
if [ ! -f "$READY" ]; then
  cat "$RUN/server.log" >&2
  die "the local servers could not start: ports $UPDATE_PORT and $FORUM_PORT on 127.0.0.1 must be free"
fi
say "update mirror on 127.0.0.1:$UPDATE_PORT, forum on 127.0.0.1:$FORUM_PORT (log: $RUN/server.log)"

# -- Wine -----------------------------------------------------------------------
# The UI is Simplified Chinese: Wine takes its code page from the locale.
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  say "preparing the Wine prefix $WINEPREFIX (first use)"
  # No Mono/Gecko download prompts: the program needs neither.
  WINEDLLOVERRIDES="mscoree=;mshtml=" timeout 300 wineboot -i >"$RUN/wineboot.log" 2>&1 ||
    die "wineboot failed (see $RUN/wineboot.log)"
  timeout 120 wineserver -w || true
fi

cd "$RUN"
wine "$RUN/KorvaneScan.exe" >"$RUN/wine.log" 2>&1 &
WINE_PID=$!
say "started KorvaneScan.exe (pid $WINE_PID, Wine output: $RUN/wine.log)"

if [ -n "$XVFB_PID" ]; then
  if wait_gone "$RUN_SECONDS" "$WINE_PID"; then
    code=0
    wait "$WINE_PID" || code=$?
    say "the program ended by itself within $RUN_SECONDS s (exit code $code)"
  fi
  timeout 30 import -window root "$RUN/screenshot.png" ||
    die "could not take the screenshot"
  say "screenshot: $RUN/screenshot.png"
else
  say "waiting for the program to be closed on $DISPLAY"
  code=0
  wait "$WINE_PID" || code=$?
  say "the program exited (code $code)"
fi
