#!/usr/bin/env bash
# Compiles the manual into a CHM with chmcmd and checks the result.
# Usage: build-chm.sh HELP_DIR OUTPUT.chm
#
# chmcmd writes each context id's topic as an absolute path on the build
# machine (the project's folder followed by the file), which no help viewer
# finds inside the CHM. Compiled with the project in "/", the paths come out
# as the CHM's own ("/using.html"): chmcmd runs in a user namespace whose
# root is the staging folder, with /usr mounted into it.
set -euo pipefail
help_dir=$1
out=$2
project=TarnwellHelp.hhp
chmcmd=$(readlink -f "$(command -v chmcmd)")
stage=$out.stage
rm -rf "$stage"
mkdir -p "$stage/usr"
cp "$help_dir"/*.html "$help_dir"/*.css "$help_dir"/*.hhp "$help_dir"/*.hhc "$stage/"
ln -s usr/lib "$stage/lib"
ln -s usr/lib64 "$stage/lib64"
ln -s usr/bin "$stage/bin"
if ! unshare --user --map-root-user --mount sh -c \
    'mount --rbind /usr "$1/usr" && exec chroot "$1" "$2" --no-html-scan "/$3"' sh "$stage" "$chmcmd" "$project" \
    >"$stage.log" 2>&1; then
  cat "$stage.log" >&2
  echo "build-chm: chmcmd failed (user namespaces are needed to give the CHM correct context ids)" >&2
  exit 1
fi

chm=$stage/TarnwellHelp.chm
listing=$(chmls --no-page --name-only list "$chm" 2>/dev/null)
# Every file of the project is in the CHM, every topic in its contents.
files=$(sed -n '/^\[FILES\]/,/^\[/{/^\[/d;/^$/d;p}' "$help_dir/$project")
for f in $files; do
  grep -qx "/$f" <<<"$listing" || { echo "build-chm: $f is missing from the CHM" >&2; exit 1; }
  [[ $f != *.html ]] || grep -q "value=\"$f\"" "$help_dir/TarnwellHelp.hhc" ||
    { echo "build-chm: $f is missing from the contents" >&2; exit 1; }
done
# Every context id of the map leads to its topic inside the CHM.
(cd "$stage" && chmls extractalias TarnwellHelp.chm >/dev/null)
while read -r _ name id; do
  file=$(sed -n "s/^$name=//p" "$help_dir/$project" | tr -d '\r')
  grep -qx "helpid$id=/$file" "$stage/TarnwellHelp.ali" || {
    echo "build-chm: context id $id does not lead to /$file:" >&2
    cat "$stage/TarnwellHelp.ali" >&2
    exit 1
  }
done < <(grep '^#define' "$help_dir/$project")
mv "$chm" "$out"
rm -rf "$stage" "$stage.log"
