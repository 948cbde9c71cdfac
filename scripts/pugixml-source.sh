#!/usr/bin/env bash
# Fetches Debian's own source of pugixml into build/pugixml-src, so that the
# engine compiles the parser into itself: its tree walks are then inlined,
# several times faster than calls into the shared library. Nothing
# third-party enters the git tree (build/ is ignored). Without it (no
# network, no root) the build uses the packaged library: slower, the same.
set -uo pipefail
cd "$(dirname "$0")/.."
dest=build/pugixml-src
if compgen -G "$dest/pugixml-*/src/pugixml.cpp" >/dev/null; then exit 0; fi
source scripts/deb-src.sh
note() { echo "pugixml source: $1; the build uses the packaged library" >&2; exit 0; }
command -v dpkg-source >/dev/null || note "dpkg-dev is not installed"
enable_deb_src pugixml || note "no deb-src entry could be added"
rm -rf "$dest" && mkdir -p "$dest"
(cd "$dest" && apt-get source -qq pugixml >source.log 2>&1) || note "apt-get source failed (see $dest/source.log)"
compgen -G "$dest/pugixml-*/src/pugixml.cpp" >/dev/null || note "the source did not unpack"
echo "pugixml source: in $dest"
