#!/usr/bin/env bash
# Builds the embedded engine's libraries, pugixml and libzip, for 64-bit
# Windows from Debian's own source packages, with the project's mingw-w64
# toolchain: static libraries installed into build/windows-deps/x86_64, which
# the mingw preset looks in. zlib is Debian's libz-mingw-w64-dev. Nothing
# third-party enters the git tree (build/ is ignored).
# Skips the work when the prefix was built by this same script.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
work=$root/build/windows-deps
prefix=$work/x86_64
stamp=$prefix/.built-by
toolchain=$root/cmake/mingw-w64-x86_64.cmake
triplet=x86_64-w64-mingw32

# The stamp names the script and toolchain it was built with, so a change to
# either rebuilds.
want=$(cat "$0" "$toolchain" "$root/cmake/mingw-w64-common.cmake" | sha256sum | cut -d' ' -f1)
if [[ -f $stamp && $(cat "$stamp") == "$want" ]]; then
  echo "Windows libraries: up to date in $prefix"
  exit 0
fi

source "$root/scripts/deb-src.sh"
enable_deb_src pugixml libzip

rm -rf "$work/src" "$work/build" "$prefix"
mkdir -p "$work/src" "$work/build"
echo "Windows libraries: building pugixml and libzip from Debian's sources into $prefix"
(cd "$work/src" && apt-get source -qq pugixml libzip >"$work/source.log" 2>&1) ||
  { cat "$work/source.log" >&2; exit 1; }
pugixml_src=$(find "$work/src" -maxdepth 1 -type d -name 'pugixml-*' | head -n1)
libzip_src=$(find "$work/src" -maxdepth 1 -type d -name 'libzip-*' | head -n1)
[[ -d $pugixml_src && -d $libzip_src ]] || { echo "apt-get source did not unpack pugixml and libzip" >&2; exit 1; }

log=$work/build.log
: >"$log"
# Quiet unless something fails: then the log's end says why.
run() { "$@" >>"$log" 2>&1 || { tail -n 40 "$log" >&2; echo "failed: $*" >&2; exit 1; }; }

common=(-G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release
        -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF -Wno-dev)

run cmake -S "$pugixml_src" -B "$work/build/pugixml" "${common[@]}" -DPUGIXML_BUILD_TESTS=OFF
run cmake --build "$work/build/pugixml" -j2
run cmake --install "$work/build/pugixml"

# Only deflate (zlib) is needed for Word's packages: no other codecs, no
# encryption, no tools, tests or documentation.
zlib_static=/usr/$triplet/lib/libz.a
[[ -f $zlib_static ]] || { echo "$zlib_static missing: install libz-mingw-w64-dev" >&2; exit 1; }
run cmake -S "$libzip_src" -B "$work/build/libzip" "${common[@]}" \
  -DZLIB_INCLUDE_DIR=/usr/$triplet/include -DZLIB_LIBRARY="$zlib_static" \
  -DENABLE_BZIP2=OFF -DENABLE_LZMA=OFF -DENABLE_ZSTD=OFF \
  -DENABLE_COMMONCRYPTO=OFF -DENABLE_GNUTLS=OFF -DENABLE_MBEDTLS=OFF -DENABLE_OPENSSL=OFF \
  -DENABLE_WINDOWS_CRYPTO=OFF \
  -DBUILD_TOOLS=OFF -DBUILD_REGRESS=OFF -DBUILD_EXAMPLES=OFF -DBUILD_DOC=OFF
run cmake --build "$work/build/libzip" -j2
run cmake --install "$work/build/libzip"

echo "$want" >"$stamp"
echo "Windows libraries: built into $prefix"
