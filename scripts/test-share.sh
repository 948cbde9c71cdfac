#!/usr/bin/env bash
# Prints how much of the source is tests: non-blank lines of the git-tracked
# C++, shell and CMake files, split into tests and code, and the tests' share
# of the two together.
# Usage: scripts/test-share.sh [--files]   (--files also lists each file's
# count and side, largest first)
set -euo pipefail
cd "$(dirname "$0")/.."
show=0
[[ "${1:-}" == --files ]] && show=1

git ls-files -- '*.cpp' '*.h' '*.hpp' '*.cc' '*.c' '*.sh' '*.cmake' '*CMakeLists.txt' \
  | awk -v show="$show" '
      {
        name = $0; base = name; sub(/.*\//, "", base)
        side = (base ~ /_test\./ || base ~ /^(test_support|test_home|fakes|test_runner|test_view_driver|test_png)/ \
                || name ~ /^fuzz\/regression_test/) ? "tests" : "code"
        n = 0
        while ((getline line < name) > 0) if (line ~ /[^[:space:]]/) n++
        close(name)
        lines[side] += n
        if (show) printf "%7d %-5s %s\n", n, side, name | "sort -rn"
      }
      END {
        if (show) close("sort -rn")
        t = lines["tests"] + 0; c = lines["code"] + 0
        printf "tests %d, code %d, share %.1f%%\n", t, c, (t + c) ? 100 * t / (t + c) : 0
      }'
