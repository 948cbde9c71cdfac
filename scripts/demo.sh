#!/usr/bin/env bash
# Makes two example documents, copies a style with the styles it depends on
# from one into the other, and shows what changed in the target.
# Usage: demo.sh [TARNWELL [OUT]]
set -euo pipefail
tw=${1:-build/linux/bin/tarnwell}
out=${2:-examples/out}
rm -rf "$out"
"$tw" example "$out" >/dev/null
echo
echo "== Styles of $out/target.docx before (name, type, based on, next):"
"$tw" inspect "$out/target.docx" | tee "$out/before.txt"
echo
echo "== tarnwell --yes copy $out/source.docx $out/target.docx --style \"Report Quote\" --style \"Report Title\""
"$tw" --yes copy "$out/source.docx" "$out/target.docx" --style "Report Quote" --style "Report Title"
echo
echo "== Styles of $out/target.docx after; the new lines are what the copy brought:"
"$tw" inspect "$out/target.docx" > "$out/after.txt"
# diff says 1 when the files differ, as they must here; 2 is trouble.
status=0
diff "$out/before.txt" "$out/after.txt" > "$out/changes.txt" || status=$?
if [ "$status" -gt 1 ]; then exit "$status"; fi
if [ "$status" -eq 0 ]; then
  echo "The copy changed nothing in $out/target.docx." >&2
  exit 1
fi
sed -n 's/^> /  + /p' "$out/changes.txt"
