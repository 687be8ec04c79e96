#!/usr/bin/env bash
# profctl's bash completion, sourced into bash as bash-completion would, and
# asked for the completions of typed command lines.
set -uo pipefail
export LC_ALL=C
completion=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" && touch a.ini ab.ini b.ini

# shellcheck source=/dev/null
source "$completion"
complete -p profctl >/dev/null || { echo "FAIL: no completion registered for profctl"; exit 1; }

failures=0
# expect "WORDS TYPED SO FAR" "COMPLETIONS, sorted, space-separated"; the
# last word is the one being completed.
expect() {
  read -ra COMP_WORDS <<<"$1"
  [[ $1 == *" " ]] && COMP_WORDS+=("")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  _profctl
  local got
  got=$(printf '%s\n' "${COMPREPLY[@]}" | sort | paste -sd' ' -)
  if [[ $got != "$2" ]]; then
    echo "FAIL: '$1' completes to '$got', expected '$2'"
    failures=$((failures + 1))
  fi
}

all="--help --version -h add-hex add-int add-line delete-key delete-line get get-hex get-unsigned help last-section replace-key set set-hex set-unsigned walk"
keyed="--help --quiet --section --version -h -q -s"

# Subcommands
expect "profctl de" "delete-key delete-line"
expect "profctl set" "set set-hex set-unsigned"
expect "profctl " "$all"
expect "profctl --v" "--version"
expect "profctl frob " ""
# Options, by subcommand
expect "profctl get -" "$keyed"
expect "profctl add-line --" "--help --quiet --section --version"
expect "profctl delete-line -" "--help --quiet --version -h -q"
expect "profctl last-section -" "--help --quiet --version -h -q"
expect "profctl walk -" "--help --quiet --section --trace --version -h -o -p -q -s"
expect "profctl walk --t" "--trace"
# Options only right after the subcommand: not after an operand or --
expect "profctl get a.ini -" ""
expect "profctl get -- -" ""
expect "profctl get --section=x -" "$keyed"
# FILE after the options, whatever spelling they had; nothing for the values
expect "profctl get a" "a.ini ab.ini"
expect "profctl get -s d a" "a.ini ab.ini"
expect "profctl get -sd a" "a.ini ab.ini"
expect "profctl get -qs d " "a.ini ab.ini b.ini"
expect "profctl get --section d b" "b.ini"
expect "profctl walk -o 1 -p 2 --trace -s x b" "b.ini"
expect "profctl get -- " "a.ini ab.ini b.ini"
expect "profctl get -s " ""
expect "profctl get -qs " ""
expect "profctl walk -o " ""
expect "profctl get a.ini " ""
expect "profctl set -s d a.ini k " ""

if ((failures)); then
  echo "$failures completion checks failed"
  exit 1
fi
echo "all completion checks passed"
