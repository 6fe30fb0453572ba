#!/bin/bash
# Installs what building, running and testing Korvane Scan needs on Debian 12:
# the MinGW-w64 cross compiler, CMake/Ninja, googletest, 32-bit Wine, Xvfb,
# ImageMagick (screenshots), a Chinese font and the zh_CN.UTF-8 locale.
# Safe to run again: it only installs what is missing and is a quick no-op
# when everything is there.
set -euo pipefail

PACKAGES=(cmake ninja-build g++ python3 googletest g++-mingw-w64-i686
          wine wine32:i386 wine64 xvfb xauth x11-utils imagemagick
          fonts-wqy-microhei locales iproute2 util-linux)
LOCALE=zh_CN.UTF-8

SUDO=()
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then
    SUDO=(sudo)
  else
    echo "install-deps: run as root (or install sudo)" >&2
    exit 1
  fi
fi

installed() {
  dpkg-query -W -f='${db:Status-Abbrev}\n' "$1" 2>/dev/null | grep -q '^ii'
}

missing=()
for pkg in "${PACKAGES[@]}"; do
  installed "$pkg" || missing+=("$pkg")
done

if [ "${#missing[@]}" -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${SUDO[@]}" dpkg --add-architecture i386
  fi
  export DEBIAN_FRONTEND=noninteractive
  "${SUDO[@]}" apt-get update -q
  "${SUDO[@]}" env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# The program's UI is Simplified Chinese; Wine takes its code page from the locale.
if ! locale -a 2>/dev/null | grep -qix "${LOCALE%.UTF-8}.utf8"; then
  echo "install-deps: generating the $LOCALE locale"
  if grep -q "^# *$LOCALE UTF-8" /etc/locale.gen; then
    "${SUDO[@]}" sed -i "s/^# *$LOCALE UTF-8/$LOCALE UTF-8/" /etc/locale.gen
  elif ! grep -q "^$LOCALE UTF-8" /etc/locale.gen; then
    echo "$LOCALE UTF-8" | "${SUDO[@]}" tee -a /etc/locale.gen >/dev/null
  fi
  "${SUDO[@]}" locale-gen
fi
