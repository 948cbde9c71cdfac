#!/usr/bin/env bash
# First run: installs what is missing, builds, makes two example documents,
# copies a style with the styles it depends on from one into the other, and
# shows what changed in the target.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset linux >/dev/null
cmake --build --preset linux
tw=build/linux/bin/tarnwell
out=examples/out
rm -rf "$out"
$tw example "$out" >/dev/null
echo
echo "== Styles of $out/target.docx before (name, type, based on, next):"
$tw inspect "$out/target.docx" | tee "$out/before.txt"
echo
echo "== tarnwell --yes copy $out/source.docx $out/target.docx --style \"Report Quote\" --style \"Report Title\""
$tw --yes copy "$out/source.docx" "$out/target.docx" --style "Report Quote" --style "Report Title"
echo
echo "== Styles of $out/target.docx after; the new lines are what the copy brought:"
$tw inspect "$out/target.docx" > "$out/after.txt"
diff "$out/before.txt" "$out/after.txt" | sed -n 's/^> /  + /p'
