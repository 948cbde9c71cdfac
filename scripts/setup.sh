#!/usr/bin/env bash
# First run: installs what is missing, builds, makes two example documents,
# copies a style with the styles it depends on from one into the other, and
# shows what changed in the target.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset linux >/dev/null
cmake --build --preset linux
bash scripts/demo.sh build/linux/bin/tarnwell examples/out
