#!/usr/bin/env bash
# First run: installs what is missing, builds, makes example documents and
# shows what Tarnwell sees in them.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset linux >/dev/null
cmake --build --preset linux
tw=build/linux/bin/tarnwell
$tw example examples/out
echo
echo "== Styles of examples/out/source.docx and examples/out/target.docx (name, type, based on, next):"
$tw inspect examples/out/source.docx examples/out/target.docx
