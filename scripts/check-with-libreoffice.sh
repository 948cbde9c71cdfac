#!/usr/bin/env bash
# Has a real client open what we write: the copy tests' documents (ours and,
# when ../shared/corpus is there, the corpus's, each as source and as target)
# are kept and converted to PDF by LibreOffice, headless. Fails on any that
# does not convert.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh --libreoffice
cmake --preset linux >/dev/null
cmake --build --preset linux --target tw_cli_tests
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
TARNWELL_KEEP_WRITTEN=$work/written build/linux/bin/tw_cli_tests --gtest_filter='CopyBody.*' >"$work/tests.log" ||
  { cat "$work/tests.log"; exit 1; }
docs=("$work"/written/*)
echo "LibreOffice: converting ${#docs[@]} written documents"
mkdir -p "$work/pdf"
# One profile of our own, so no user's settings or running office interfere.
convert() {
  HOME=$work soffice -env:UserInstallation="file://$work/profile" --headless --norestore \
    --convert-to pdf --outdir "$work/pdf" "$@" >>"$work/soffice.log" 2>&1 || true
}
pdf_of() { echo "$work/pdf/$(basename "${1%.*}").pdf"; }
# All at once; a document the batch did not get to, alone, so that one
# failure cannot hide the others.
convert "${docs[@]}"
failed=0
for d in "${docs[@]}"; do
  [[ -s $(pdf_of "$d") ]] && continue
  convert "$d"
  if [[ ! -s $(pdf_of "$d") ]]; then
    echo "LibreOffice could not open $(basename "$d")" >&2
    failed=$((failed + 1))
  fi
done
if ((failed)); then
  grep -v '^convert ' "$work/soffice.log" | tail -20 >&2
  exit 1
fi
echo "LibreOffice: all ${#docs[@]} opened"
