#!/bin/sh
# Runs a Windows test program under Wine in the test prefix (made on first use).
# KORVANE_WINEPREFIX overrides the prefix; WINEDEBUG stays quiet unless set.
: "${WINEPREFIX:=${KORVANE_WINEPREFIX:-/tmp/korvane-wine-tests}}"
: "${WINEDEBUG:=-all}"
export WINEPREFIX WINEDEBUG
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot -i >/dev/null 2>&1
  wineserver -w
fi
exec wine "$@"
