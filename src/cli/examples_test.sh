#!/usr/bin/env bash
# Every example the README's command section and each command's --help give
# runs as written and succeeds; the two give the same examples.
# Usage: examples_test.sh TARNWELL README SCRATCH_DIR
set -euo pipefail
tw=$(realpath "$1") readme=$(realpath "$2") scratch=$3
rm -rf "$scratch"
mkdir -p "$scratch/bin" "$scratch/home"
ln -s "$tw" "$scratch/bin/tarnwell"
cp "$(dirname "$tw")/Tarnwell.doc" "$scratch/bin/"
export PATH="$scratch/bin:$PATH" HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/home/.config"
cd "$scratch"

readme_examples=$(sed -n '/^## The command/,/^## /p' "$readme" | sed -n 's/^\$ //p')
help_examples=$(tarnwell --help | sed -n '/^Subcommands:/,/^$/p' | awk 'NR > 1 && NF {print $1}' |
  while read -r command; do tarnwell "$command" --help | sed -n '/^Examples:/,/^$/p' | sed -n 's/^  //p'; done)
[ -n "$readme_examples" ] || { echo "the README gives no examples"; exit 1; }
[ -n "$help_examples" ] || { echo "--help gives no examples"; exit 1; }

failed=0 ran=0
while IFS= read -r example; do
  grep -qxF -- "$example" <<<"$readme_examples" || { echo "not in the README: $example"; failed=1; }
done <<<"$help_examples"
while IFS= read -r example; do
  tarnwell example --force examples/out >/dev/null
  ran=$((ran + 1))
  if ! bash -c "$example" >"$scratch/out.txt" 2>&1 </dev/null; then
    echo "failed: $example"
    cat "$scratch/out.txt"
    failed=1
  fi
done <<<"$readme_examples"
echo "$ran examples ran"
exit $failed
