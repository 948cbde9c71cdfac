#!/usr/bin/env bash
# Measures how many small faults the Linux suite catches: applies a fixed,
# seeded sample of one-line mutations to the core's sources, one at a time,
# rebuilds, runs the suite, and reports which mutants it killed.
#
# Usage: scripts/mutation-sample.sh [--seed N] [--count N] [--list] [--only ID]
#                                   [--build-dir DIR] [--timeout SECONDS] [--resume]
#   --seed N        order of the candidates (default 14); same seed, same sample
#   --count N       mutants that build to run (default 60); one that does not
#                   build is reported as stillborn and the next one takes its place
#   --list          print the candidates in the seeded order without running them
#   --only ID       run just the mutant with that id (as --list prints it)
#   --build-dir DIR its own build tree (default build/mutation), configured like
#                   the linux preset but at -O1 without debug information
#   --timeout S     per-test timeout; a test that runs out kills the mutant (300:
#                   the slowest test takes 6 s alone but minutes on a busy machine)
#   --resume        keep the verdicts of the last run's results file (same seed)
#                   and run only the rest; a kill by timeout is run again
#   --ids A,B,...   run just these mutants of the sample (ids as --list prints)
#   --killers FILE  a results file of an earlier run (another tree's tests, say):
#                   the test that killed a mutant there runs first, and the
#                   whole suite only when it is gone or passes
#
# Results go to DIR/mutation-results.txt (the same text as printed; a run
# with --only to DIR/mutation-ID.txt, so the sample's results stay) and each
# mutant's build and test output to DIR/mutation-logs/. The core's sources must
# be unchanged in git when it starts; every mutated file is put back byte for
# byte on exit, whatever ends the run.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
seed=14
count=60
list=0
only=""
build_dir="$root/build/mutation"
timeout=300
resume=0
killers=""
ids=""

while [[ $# -gt 0 ]]; do
  case "$1" in
    --seed) seed=$2; shift 2 ;;
    --count) count=$2; shift 2 ;;
    --list) list=1; shift ;;
    --only) only=$2; shift 2 ;;
    --build-dir) build_dir=$(realpath -m "$2"); shift 2 ;;
    --timeout) timeout=$2; shift 2 ;;
    --resume) resume=1; shift ;;
    --killers) killers=$(realpath "$2"); shift 2 ;;
    --ids) ids=$2; shift 2 ;;
    -h|--help) sed -n '2,25p' "$0"; exit 0 ;;
    *) echo "mutation-sample: unknown option $1" >&2; exit 2 ;;
  esac
done
[[ "$seed" =~ ^[0-9]+$ && "$count" =~ ^[1-9][0-9]*$ && "$timeout" =~ ^[1-9][0-9]*$ ]] || {
  echo "mutation-sample: --seed, --count and --timeout take whole numbers" >&2; exit 2; }

command -v python3 >/dev/null || { echo "mutation-sample: needs python3 (scripts/install-deps.sh)" >&2; exit 1; }
sites=(python3 "$root/scripts/mutation/sites.py")

launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
if [[ ! -f "$build_dir/build.ninja" ]]; then
  cmake -S "$root" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g0" "${launcher[@]}" >/dev/null
fi
db="$build_dir/compile_commands.json"

order=$("${sites[@]}" order "$root" --seed "$seed" --compile-db "$db")
if [[ $list -eq 1 ]]; then
  echo "# seed $seed: the first $count candidates; one that does not build is replaced by the next"
  head -n "$count" <<<"$order" | awk -F'\t' '{ printf "%3d %s %s %s: %s -> %s\n", NR, $1, $2, $3, $4, $5 }'
  exit 0
fi
if [[ -n "$only" ]]; then
  order=$(awk -F'\t' -v id="$only" '$1 == id' <<<"$order")
  [[ -n "$order" ]] || { echo "mutation-sample: no mutant $only" >&2; exit 2; }
  count=1
fi

cd "$root"
if [[ -n "$(git status --porcelain --untracked-files=no -- src)" ]]; then
  echo "mutation-sample: src/ has uncommitted changes; commit or stash them first" >&2
  exit 1
fi

logs="$build_dir/mutation-logs"
results="$build_dir/mutation-results.txt"
[[ -z "$only" ]] || results="$build_dir/mutation-$only.txt"
mkdir -p "$logs"
backup=$(mktemp)
mutated=""
suite_pid=""
restore() {
  if [[ -n "$mutated" ]]; then
    # A fresh mtime on purpose: the objects built from the mutant are newer
    # than the original's old mtime, so keeping it would leave them in place.
    cp "$backup" "$mutated"
    mutated=""
  fi
}
trap '[[ -z "$suite_pid" ]] || kill -TERM -- "-$suite_pid" 2>/dev/null; restore; rm -f "$backup"' EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# Everything but the benchmarks, which no test runs.
targets=$(cmake --build "$build_dir" --target help | sed -nE 's/^([A-Za-z0-9_]+): phony$/\1/p' \
            | grep -vE '^(test|edit_cache|rebuild_cache|list_install_components|install|tarnwell_bench.*)$')
# A mutant can make a tool the build runs loop for ever: the build runs in a
# group of its own and counts as failed when it takes longer than build_limit.
build_limit=900
build() {
  setsid cmake --build "$build_dir" -j2 --target $targets </dev/null >"$1" 2>&1 &
  local pid=$! waited=0
  while kill -0 "$pid" 2>/dev/null && [[ $waited -lt $build_limit ]]; do
    sleep 1
    waited=$((waited + 1))
  done
  if kill -0 "$pid" 2>/dev/null; then
    kill -TERM -- "-$pid" 2>/dev/null || true
    wait "$pid" || true
    echo "mutation-sample: build ended after $build_limit s" >>"$1"
    return 1
  fi
  wait "$pid"
}

# The first failure decides: ctest's --stop-on-failure would still wait for
# the slowest test under way, so each ctest runs in a group of its own that
# is ended as soon as its log names a failure.
suite_pid=""
run_ctest() {
  local log=$1
  shift
  setsid ctest --test-dir "$build_dir" -j2 --timeout "$timeout" --output-on-failure "$@" </dev/null >>"$log" 2>&1 &
  suite_pid=$!
  while [[ "$(ps -o stat= -p "$suite_pid" 2>/dev/null)" == [^Z]* ]]; do
    if grep -qE '\*\*\*(Failed|Timeout|Exception|Not Run)' "$log"; then
      kill -TERM -- "-$suite_pid" 2>/dev/null || true
      wait "$suite_pid" || true
      suite_pid=""
      return 1
    fi
    sleep 0.5
  done
  local rc=0
  wait "$suite_pid" || rc=$?
  suite_pid=""
  return "$rc"
}
# A mutant runs the quick tests first and the few slowest (by the unmutated
# run) after them: most mutants fall to a quick test, and the slow ones,
# which take minutes on a busy machine, then only run for those that do not.
slow=""
suite() {
  : >"$1"
  if [[ -z "$slow" ]]; then
    run_ctest "$1"
  else
    run_ctest "$1" -E "$slow" && run_ctest "$1" -R "$slow"
  fi
}

echo "mutation-sample: building and testing the unmutated tree in $build_dir"
build "$logs/baseline-build.log" || { echo "mutation-sample: the unmutated tree does not build (see $logs/baseline-build.log)" >&2; exit 1; }
start=$SECONDS
suite "$logs/baseline-test.log" || { echo "mutation-sample: the suite fails without a mutant (see $logs/baseline-test.log)" >&2; exit 1; }
echo "mutation-sample: suite passes in $((SECONDS - start)) s"
slow=$(grep -E 'Test +#[0-9]+: ' "$logs/baseline-test.log" | awk '{ print $(NF - 1), $4 }' | sort -rn \
         | awk 'NR <= 8 { gsub(/\./, "\\.", $2); printf "%s%s", (NR > 1 ? "|" : ""), $2 }')
[[ -z "$slow" ]] || slow="^($slow)\$"

# The test that killed each mutant in the earlier run.
declare -A killer=()
if [[ -n "$killers" ]]; then
  while IFS= read -r line; do
    [[ "$line" =~ ^[0-9-]+\ ([0-9a-f]{10})\ .*\ \ KILLED\ ([A-Za-z0-9_./]+)\ \((Failed|Exception)\) ]] || continue
    killer[${BASH_REMATCH[1]}]=${BASH_REMATCH[2]}
  done <"$killers"
fi
# True when the named test exists and fails on the tree as built.
killed_by() {
  local name=$1 log=$2
  ctest --test-dir "$build_dir" -R "^${name//./\\.}\$" --timeout "$timeout" --output-on-failure </dev/null >"$log" 2>&1 && return 1
  grep -qE '\*\*\*(Failed|Exception)' "$log"
}

declare -A earlier=()
if [[ $resume -eq 1 && -f "$results" ]] && grep -q "^# mutation sample: seed $seed," "$results"; then
  while IFS= read -r line; do
    [[ "$line" =~ ^[0-9-]+\ ([0-9a-f]{10})\ .*\ \ (KILLED|SURVIVED|STILLBORN)\ (.*)\ ([0-9]+)s$ ]] || continue
    [[ "${BASH_REMATCH[3]}" == *"(Timeout)"* ]] && continue
    earlier[${BASH_REMATCH[1]}]="${BASH_REMATCH[2]}"$'\x1f'"${BASH_REMATCH[3]}"$'\x1f'"${BASH_REMATCH[4]}"
  done <"$results"
fi

{
  echo "# mutation sample: seed $seed, count $count, timeout $timeout s, commit $(git rev-parse --short HEAD), $(date -u '+%Y-%m-%d %H:%M UTC')"
} | tee "$results"

n=0 killed=0 survived=0 stillborn=0 built_seconds=0
survivors=()
while IFS=$'\t' read -r id place op before after; do
  [[ $n -lt $count ]] || break
  [[ -z "$ids" || ",$ids," == *",$id,"* ]] || continue
  file=${place%:*}
  t0=$SECONDS
  if [[ -n "${earlier[$id]:-}" ]]; then
    IFS=$'\x1f' read -r status by took <<<"${earlier[$id]}"
    t0=$((SECONDS - took))
  else
    cp "$file" "$backup"
    mutated=$file
    "${sites[@]}" apply "$root" --seed "$seed" --compile-db "$db" --id "$id"
    status=""
  fi
  if [[ $status == STILLBORN ]] || { [[ -z $status ]] && ! build "$logs/$id-build.log"; }; then
    status=STILLBORN by=""
    stillborn=$((stillborn + 1))
  else
    n=$((n + 1))
    if [[ -z $status && -n "${killer[$id]:-}" ]] && killed_by "${killer[$id]}" "$logs/$id-test.log"; then
      status=KILLED by="${killer[$id]} (Failed, run first)"
    fi
    if [[ $status == SURVIVED ]] || { [[ -z $status ]] && suite "$logs/$id-test.log"; }; then
      status=SURVIVED by=""
      survived=$((survived + 1))
      survivors+=("$id"$'\t'"$place"$'\t'"$op"$'\t'"$before"$'\t'"$after")
    else
      [[ $status == KILLED ]] || by=$(grep -m1 -oE 'Test +#[0-9]+: [^ ]+ .*\*\*\*(Failed|Timeout|Exception|Not Run)' "$logs/$id-test.log" \
             | sed -E 's/Test +#[0-9]+: ([^ ]+) .*\*\*\*([A-Za-z ]+)$/\1 (\2)/' || true)
      status=KILLED
      [[ -n "$by" ]] || by="(see $logs/$id-test.log)"
      killed=$((killed + 1))
    fi
    built_seconds=$((built_seconds + SECONDS - t0))
  fi
  restore
  label=$([[ $status == STILLBORN ]] && echo "--" || printf '%02d' "$n")
  printf '%s %s %s %s: %s -> %s  %s %s %ss\n' "$label" "$id" "$place" "$op" "$before" "$after" \
    "$status" "$by" "$((SECONDS - t0))" | tee -a "$results"
done <<<"$order"

{
  echo
  echo "built $n, killed $killed, survived $survived, stillborn $stillborn"
  if [[ $n -gt 0 ]]; then
    echo "kill rate $(awk -v k="$killed" -v n="$n" 'BEGIN { printf "%.1f%%", 100 * k / n }') ($killed/$n)"
    echo "mean time per built mutant $((built_seconds / n)) s (rebuild + suite)"
  fi
  [[ $n -ge $count ]] || echo "only $n of $count mutants built: the candidates ran out"
  if [[ ${#survivors[@]} -gt 0 ]]; then
    echo
    echo "survivors:"
    for s in "${survivors[@]}"; do
      IFS=$'\t' read -r id place op before after <<<"$s"
      echo "$id $place ($op)"
      echo "  - $before"
      echo "  + $after"
    done
  fi
} | tee -a "$results"
