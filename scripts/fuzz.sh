#!/usr/bin/env bash
# Builds the libFuzzer targets with clang 14 (AddressSanitizer and UBSan)
# and runs each for SECONDS (default 60), seeded from documents our own
# code makes and, when it is there, from ../shared/corpus. A crash input is
# left in build/fuzz/crashes/<target>/; copy it to fuzz/regressions/<target>/
# once fixed, so the ordinary test suite replays it.
# Usage: scripts/fuzz.sh [SECONDS] [TARGET...]   (targets: package styles numbering copy)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
targets=("$@")
[[ ${#targets[@]} -eq 0 ]] && targets=(package styles numbering copy)

bash scripts/install-deps.sh --fuzz
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target fuzz_package fuzz_styles fuzz_numbering fuzz_copy
# The example documents come from the ordinary build's command.
cmake --preset linux >/dev/null
cmake --build --preset linux --target tarnwell

work=build/fuzz/work
rm -rf "$work/seeds"
mkdir -p "$work/seeds" build/fuzz/crashes
# Documents of our own making, then the corpus's when present.
build/linux/bin/tarnwell example "$work/seeds/made" >/dev/null
docs=("$work"/seeds/made/*.docx)
corpus=../shared/corpus
if [[ -d $corpus ]]; then
  while IFS= read -r -d '' f; do docs+=("$f"); done < <(find "$corpus" -type f \( -name '*.docx' -o -name '*.dotx' -o -name '*.docm' -o -name '*.dotm' \) -print0)
else
  echo "fuzz: no $corpus; seeding from our own documents only"
fi
for t in package styles numbering copy; do mkdir -p "$work/seeds/$t" fuzz/seeds/"$t"; done
i=0
for d in "${docs[@]}"; do
  i=$((i + 1))
  cp "$d" "$work/seeds/package/$i.docx"
  cp "$d" "$work/seeds/copy/$i.docx"
  unzip -p "$d" word/styles.xml >"$work/seeds/styles/$i.xml" 2>/dev/null || rm -f "$work/seeds/styles/$i.xml"
  unzip -p "$d" word/numbering.xml >"$work/seeds/numbering/$i.xml" 2>/dev/null || rm -f "$work/seeds/numbering/$i.xml"
done
find "$work/seeds" -type f -empty -delete

for t in "${targets[@]}"; do
  # Empty folders do not survive a clone; libFuzzer wants each to exist.
  mkdir -p "$work/corpus/$t" "build/fuzz/crashes/$t" "fuzz/seeds/$t" "fuzz/regressions/$t"
  echo "== fuzz_$t for ${seconds}s"
  log=$work/fuzz_$t.log
  # The evolving corpus keeps what earlier runs found; the seeds join it.
  rc=0
  build/fuzz/bin/fuzz_"$t" "$work/corpus/$t" "$work/seeds/$t" fuzz/seeds/"$t" fuzz/regressions/"$t" \
    -max_total_time="$seconds" -max_len=1048576 -rss_limit_mb=4096 -timeout=20 -print_final_stats=1 \
    -artifact_prefix="build/fuzz/crashes/$t/" >"$log" 2>&1 || rc=$?
  grep -E '^(Done [0-9]+ runs|stat::number_of_executed_units|stat::peak_rss_mb)' "$log" || true
  grep -E '^#[0-9]+' "$log" | tail -1 | sed -E 's/^(#[0-9]+).*(cov: [0-9]+).*/  \1 executions, \2 edges/' || true
  if [[ $rc -ne 0 ]] || compgen -G "build/fuzz/crashes/$t/*" >/dev/null; then
    tail -40 "$log" >&2
    echo "fuzz_$t failed (exit $rc); crash inputs, if any, in build/fuzz/crashes/$t/" >&2
    exit 1
  fi
done
