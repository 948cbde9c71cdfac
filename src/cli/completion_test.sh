#!/usr/bin/env bash
# The shell completion as installed: bash completes commands, options, their
# values and documents; zsh reads its script.
# Usage: completion_test.sh BUILD_DIR SCRATCH_DIR
set -euo pipefail
build=$1 scratch=$2
rm -rf "$scratch"
cmake --install "$build" --prefix "$scratch/prefix" >/dev/null
bash_script=$scratch/prefix/share/bash-completion/completions/tarnwell
zsh_script=$scratch/prefix/share/zsh/site-functions/_tarnwell
[ -x "$scratch/prefix/bin/tarnwell" ] || { echo "tarnwell was not installed"; exit 1; }
[ -f "$scratch/prefix/bin/Tarnwell.doc" ] || { echo "Tarnwell.doc was not installed beside it"; exit 1; }
# shellcheck source=/dev/null
source "$bash_script"
mkdir -p "$scratch/docs/sub"
touch "$scratch/docs/report.docx" "$scratch/docs/notes.txt" "$scratch/docs/house.dotx"
cd "$scratch/docs"

failed=0
expect() {  # expect "WORDS ON THE LINE" "expected replies, sorted"
  read -ra COMP_WORDS <<<"$1"
  [[ $1 == *" " ]] && COMP_WORDS+=("")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  _tarnwell
  local got
  got=$(printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' ')
  if [ "$got" != "$2 " ]; then
    echo "'$1': got '$got', expected '$2 '"
    failed=1
  fi
}
expect "tarnwell co" "copy"
expect "tarnwell --yes i" "inspect"
expect "tarnwell --normal N.dotx st" "styles"
expect "tarnwell copy --type P" "Paragraph"
expect "tarnwell styles -t " "Character List Paragraph Table"
expect "tarnwell --word-version " "00 03 07 97 XP"
expect "tarnwell copy a b --deps a" "all ask"
expect "tarnwell copy --save-t" "--save-target-as"
expect "tarnwell inspect --num" "--numeric-types"
expect "tarnwell copy --ye" "--yes"
expect "tarnwell copy " "house.dotx report.docx sub"
expect "tarnwell example " "sub"
if command -v zsh >/dev/null; then
  zsh -n "$zsh_script" || failed=1
fi
grep -q '^#compdef tarnwell' "$zsh_script" || { echo "the zsh script is not a completion function"; failed=1; }
[ $failed -eq 0 ] && echo "completion: all cases passed"
exit $failed
