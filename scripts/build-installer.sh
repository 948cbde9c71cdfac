#!/usr/bin/env bash
# Builds the add-in's installer for one architecture from installer/Tarnwell.wxs
# with wixl: build/installer/Tarnwell-<version>-<arch>.msi.
# Usage: scripts/build-installer.sh x64|x86 [BUILD]
#   BUILD: the Windows build holding bin/VellDLLCOM.dll (build/mingw for x64,
#   build/mingw32 for x86). Tarnwell.doc comes from the native build
#   (build/linux/bin, made by the tarnwell target), the help file from
#   TARNWELL_HELP_CHM, by default build/mingw/bin/TarnwellHelp.chm.
set -euo pipefail
cd "$(dirname "$0")/.."
arch=${1:-}
case "$arch" in
  x64) build=${2:-build/mingw} ;;
  x86) build=${2:-build/mingw32} ;;
  *) echo "usage: $0 x64|x86 [BUILD]" >&2; exit 2 ;;
esac
dll=$build/bin/VellDLLCOM.dll
blank=build/linux/bin/Tarnwell.doc
help=${TARNWELL_HELP_CHM:-build/mingw/bin/TarnwellHelp.chm}
for f in "$dll" "$blank" "$help"; do
  [[ -f "$f" ]] || { echo "$0: $f is missing; build it first" >&2; exit 1; }
done
# wixl takes only paths relative to where it runs.
dll=$(realpath --relative-to=. "$dll")
blank=$(realpath --relative-to=. "$blank")
help=$(realpath --relative-to=. "$help")
version=$(sed -n 's/^project(tarnwell VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[[ -n "$version" ]] || { echo "$0: no version in CMakeLists.txt" >&2; exit 1; }

mkdir -p build/installer
msi=build/installer/Tarnwell-$version-$arch.msi
wixl -a "$arch" -D Arch="$arch" -D Version="$version" -D Dll="$dll" -D BlankDocument="$blank" \
  -D HelpFile="$help" -o "$msi" installer/Tarnwell.wxs

# The package's components must write the view their Word reads: 64-bit
# components (attribute bit 256) in the x64 package only.
want=$([[ "$arch" == x64 ]] && echo 256 || echo 0)
while IFS=$'\t' read -r component _ _ attributes _; do
  if (( (attributes & 256) != want )); then
    echo "$0: component $component of $msi is in the wrong registry view (attributes $attributes)" >&2
    exit 1
  fi
done < <(msiinfo export "$msi" Component | tail -n +4)
echo "$msi: $(stat -c %s "$msi") bytes"
