#!/usr/bin/env bash
# Installs the Debian packages the build needs, only those missing.
# Usage: scripts/install-deps.sh [--windows]   (--windows adds the 64- and 32-bit
# mingw-w64 compilers (the 32-bit one also with win32 threads, whose runtime
# loads on Windows XP), the Windows zlib for the engine's libraries, Wine,
# which runs the Windows tests, Wine's own fonts (the dialogs ask for Tahoma),
# Xvfb, the display the dialogs' windows need under test, wixl and msitools,
# which build the installers and read their tables back, and fp-utils, whose
# chmcmd compiles the help file)
set -euo pipefail

# python3 finds the sites for scripts/mutation-sample.sh
# dpkg-dev unpacks Debian's pugixml source (scripts/pugixml-source.sh)
packages=(cmake ninja-build g++ pkg-config python3 dpkg-dev libpugixml-dev libzip-dev libcli11-dev nlohmann-json3-dev googletest libgtest-dev)
# --fuzz: clang 14 with its sanitizer and libFuzzer runtimes, for scripts/fuzz.sh
# --libreoffice: a real client, for scripts/check-with-libreoffice.sh
if [[ "${1:-}" == "--libreoffice" ]]; then
  packages+=(libreoffice-writer-nogui)
fi
if [[ "${1:-}" == "--fuzz" ]]; then
  packages+=(clang-14 libclang-rt-14-dev unzip)
fi
if [[ "${1:-}" == "--windows" ]]; then
  packages+=(g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix g++-mingw-w64-i686-win32 libz-mingw-w64-dev dpkg-dev wine wine64 fonts-wine xvfb xauth wixl msitools fp-utils)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [[ ${#missing[@]} -eq 0 ]]; then
  bash "$(dirname "$0")/pugixml-source.sh"
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo=()
if [[ $(id -u) -ne 0 ]]; then
  command -v sudo >/dev/null || { echo "Please run as root, or install: ${missing[*]}" >&2; exit 1; }
  sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
bash "$(dirname "$0")/pugixml-source.sh"
