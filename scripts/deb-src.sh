# Sourced: makes Debian's source packages reachable with apt-get source.
# Source packages come from the same archive as the binary ones: a deb-src
# twin of the deb822 entry the system already uses.
# Usage: enable_deb_src PACKAGE...  (returns non-zero when it cannot)
enable_deb_src() {
  local last=${*: -1}
  apt-cache showsrc "$@" 2>/dev/null | grep -q "^Package: $last\$" && return 0
  local sudo=()
  if [[ $(id -u) -ne 0 ]]; then
    command -v sudo >/dev/null || { echo "Please run as root: a deb-src entry must be added" >&2; return 1; }
    sudo=(sudo)
  fi
  local src_list=/etc/apt/sources.list.d/debian-src.sources
  if [[ ! -f $src_list ]]; then
    local binary_list=/etc/apt/sources.list.d/debian.sources
    [[ -f $binary_list ]] || { echo "No $binary_list to take a deb-src entry from; add one for: $*" >&2; return 1; }
    sed 's/^Types:.*/Types: deb-src/' "$binary_list" | "${sudo[@]}" tee "$src_list" >/dev/null
  fi
  "${sudo[@]}" apt-get update -qq
}
