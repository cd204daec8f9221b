#!/bin/sh
# Builds Zeltrand.exe and starts it under Wine: on your display when there is
# one, otherwise on a private virtual display, where a screenshot of the
# dialog is taken and its path printed.
#
#   sh scripts/run.sh --pictures    remakes the README's pictures (docs/*.png)
#                                   on a private virtual display
set -eu
cd "$(dirname "$0")/.."
pictures=""
[ "${1:-}" = "--pictures" ] && pictures=1
scripts/install-deps.sh
cmake --preset mingw >/dev/null
cmake --build --preset mingw
echo "Zeltrand.exe: $(stat -c %s build/mingw/Zeltrand.exe) bytes"

if [ -z "$pictures" ] && [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  export WINEPREFIX="$PWD/build/run/prefix" WINEARCH=win64 WINEDEBUG=-all LANG=ja_JP.UTF-8
  export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
  unset LC_ALL
  if [ ! -f "$WINEPREFIX/.zeltrand-fonts" ]; then
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1
    wine reg import "$(winepath -w tests/fixtures/registry/fonts.reg)" >/dev/null 2>&1
    touch "$WINEPREFIX/.zeltrand-fonts"
  fi
  # The caption buttons' symbol font, where this Wine finds it.
  cp -u /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
  mkdir -p build/run/app
  cp build/mingw/Zeltrand.exe build/run/app/
  cd build/run/app
  exec wine Zeltrand.exe
fi

state=build/run/session/state.json
python3 tests/e2e/harness/wine_session.py start --state "$state" --win-build build/mingw \
  --fixtures tests/fixtures/registry
trap 'python3 tests/e2e/harness/wine_session.py stop --state "$state"' EXIT
if [ -n "$pictures" ]; then
  python3 scripts/make-pictures.py "$state" docs
else
  python3 scripts/show-headless.py "$state"
fi
