#!/usr/bin/env bash
# Builds the Windows add-in and its test program, and runs the tests under
# Wine in a fresh prefix (a temporary HOME), which is removed afterwards.
# The dialogs' tests need a display: the script runs itself again under
# Xvfb, with Wine's virtual desktop, which draws the windows' frames itself
# (there is no window manager). The dialogs' screenshots are left in the
# build's bin folder. TARNWELL_MINGW_BUILD names another, already configured
# build folder to test instead of the preset's. Before anything registers the
# DLL, the 64-bit installer is installed, the installed add-in connected by
# the Word test host, and the package removed again (scripts/build-installer.sh
# builds it; TARNWELL_HELP_CHM names the help file to package).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${TARNWELL_MINGW_BUILD:-build/mingw}

if [[ "${TARNWELL_UNDER_XVFB:-}" != 1 ]]; then
  bash scripts/install-deps.sh --windows
  bash scripts/build-windows-deps.sh
  if [[ -z "${TARNWELL_MINGW_BUILD:-}" ]]; then
    cmake --preset mingw >/dev/null
    cmake --build --preset mingw
  else
    cmake --build "$build"
  fi
  # The command, whose copy the add-in's copy must match.
  cmake --preset linux >/dev/null
  cmake --build --preset linux --target tarnwell
  TARNWELL_MSI=$PWD/$(bash scripts/build-installer.sh x64 "$build" | sed -n 's/: [0-9]* bytes$//p')
  export TARNWELL_MSI
  TARNWELL_UNDER_XVFB=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi

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
# Wine's own fonts, Tahoma among them, where Windows keeps fonts: Wine does
# not pick them up from its data folder here, and the dialogs ask for Tahoma.
cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f </dev/null >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f </dev/null >/dev/null 2>&1
# The desktop that wineboot started has no frames to draw; the next one,
# made for the tests, is the virtual desktop just set.
wineserver -k
wineserver -w
wineserver -p

failed=0

# The installer, while nothing else has registered the DLL in this prefix.
run_msiexec() {
  local log=$home/msiexec-${1#/}.log
  wine msiexec "$1" "$(winepath -w "$TARNWELL_MSI")" /qn /l*v "$(winepath -w "$log")" </dev/null ||
    { echo "msiexec $1 failed; its log ends:" >&2; tr -d '\0' <"$log" | tail -40 >&2; return 1; }
}
host_case() {
  (cd "$build/bin" && TARNWELL_INSTALL_FOLDER='C:\Program Files\Quillon Tarnwell\' wine tw_word_host_tests.exe "$1" </dev/null)
}
if run_msiexec /i; then
  host_case InstalledAddInIsCreatedByProgIdAndConnects || failed=1
  run_msiexec /x || failed=1
  host_case UninstalledAddInLeavesNoKeyOrFile || failed=1
else
  failed=1
fi

# Two copies of the example documents: the command copies styles in one
# (by-command), the add-in in the other (by-addin), driven through its dialog
# by tw_word_host_tests.exe, which then compares the targets. The styles are
# the ones that test chooses.
# The same again with the slow copy, which the add-in takes when it can make
# no scratch document.
tarnwell=$PWD/build/linux/bin/tarnwell
copy_case=$home/copy-case
for method in fast slow; do
  "$tarnwell" example "$copy_case/$method-by-command" >/dev/null
  "$tarnwell" example "$copy_case/$method-by-addin" >/dev/null
  "$tarnwell" --yes copy --method "$method" "$copy_case/$method-by-command/source.docx" \
    "$copy_case/$method-by-command/target.docx" --style "Report Quote" --style "Report Title" \
    >/dev/null 2>"$home/copy.log" || { cat "$home/copy.log" >&2; exit 1; }
done
# The same for the Update button: the example source stands as the Normal
# template beside each target; the command updates one of them.
for side in update-by-command update-by-addin; do
  "$tarnwell" example "$copy_case/$side" >/dev/null
  cp "$copy_case/$side/source.docx" "$copy_case/$side/normal.dotx"
done
"$tarnwell" --normal "$copy_case/update-by-command/normal.dotx" --yes update "$copy_case/update-by-command/target.docx" \
  >/dev/null 2>"$home/update.log" || { cat "$home/update.log" >&2; exit 1; }
TARNWELL_COPY_CASE=$(winepath -w "$copy_case")
export TARNWELL_COPY_CASE

cd "$build/bin"
wine tw_win32_tests.exe </dev/null || failed=1
wine tw_word_host_tests.exe </dev/null || failed=1
echo "Screenshots:" "$PWD"/screenshot-*.png
exit "$failed"
