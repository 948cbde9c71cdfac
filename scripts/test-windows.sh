#!/usr/bin/env bash
# Builds the Windows add-in and its test program, and runs the tests under
# Wine in a fresh prefix (a temporary HOME), which is removed afterwards.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh --windows
bash scripts/build-windows-deps.sh
cmake --preset mingw >/dev/null
cmake --build --preset mingw

home=$(mktemp -d)
export HOME=$home WINEPREFIX=$home/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$WINEPREFIX"
cleanup() {
  wineserver -k 2>/dev/null || true
  rm -rf "$home"
}
trap cleanup EXIT
# A persistent server started first, so no test inherits the one that
# wineboot would leave holding our pipes open.
wineserver -p
wine wineboot -i </dev/null >/dev/null 2>&1
cd build/mingw/bin
wine tw_win32_tests.exe </dev/null
