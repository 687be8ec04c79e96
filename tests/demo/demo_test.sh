#!/usr/bin/env bash
# scripts/demo as a reader and a new user meet it: its output and summary,
# --keep, its refusals, and what it says when the build tools are missing.
set -uo pipefail
root=$1 program=$2 work=$3
demo=$root/scripts/demo
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
expect_line() {  # output line description
  grep -qxF -- "$2" <<<"$1" || fail "$3: no line '$2'"
}

rm -rf "$work"
mkdir -p "$work"

# ---- a whole run, kept for inspection ----
out=$("$demo" --program "$program" --keep "$work/kept" 2>"$work/err")
status=$?
((status == 0)) || fail "run: exit $status: $(cat "$work/err")"
[[ $out != *$'\r'* ]] || fail "run: a raw CR in the output"
expect_line "$out" "restarted: 5 files deleted; 3 were already gone" "restart line"
expect_line "$out" "c/autoexec.bat: 1 line removed" "summary"
expect_line "$out" "c/config.sys: 2 lines removed" "summary"
expect_line "$out" "c/WINDOWS/system.ini: 5 lines removed" "summary"
expect_line "$out" "8 files deleted at once, 5 files deleted at the restart" "summary"
expect_line "$out" "3 keys removed from the registry (and 4 keys below them)" "summary"
expect_line "$out" "-device=vkt617.386" "system.ini diff"
expect_line "$out" "The uninstalled machine is in $work/kept; examples/machine is untouched." "keep"
[[ -f $work/kept/c/WINDOWS/wininit.bak ]] || fail "keep: no wininit.bak in the kept machine"
[[ ! -e $work/kept/c/WINDOWS/SYSTEM/kt617.drv ]] || fail "keep: kt617.drv is still there"
grep -q 'installCP' "$work/kept/registry.reg" && fail "keep: the uninstall entry is still in the registry"
git -C "$root" diff --quiet -- examples/machine || fail "examples/machine changed"

# ---- refusals ----
"$demo" --program "$program" --keep "$work/kept" >/dev/null 2>"$work/err"
status=$?
((status == 1)) || fail "non-empty --keep: exit $status"
grep -q "is not empty" "$work/err" || fail "non-empty --keep: $(cat "$work/err")"
"$demo" --bogus >/dev/null 2>"$work/err"
status=$?
((status == 64)) || fail "unknown argument: exit $status"
[[ $(cat "$work/err") == "demo: unknown argument '--bogus'"$'\n'"Try 'scripts/demo --help' for more information." ]] ||
  fail "unknown argument: $(cat "$work/err")"
"$demo" --help | grep -q -- "--keep DIR" || fail "--help says nothing of --keep"

# ---- missing build tools: named, nothing installed by a user who cannot ----
tools=$work/tools
mkdir -p "$tools"
for tool in bash dirname mktemp ls sed grep tr cat cp rm find sort diff cmp wc mkdir head; do
  ln -sf "$(command -v "$tool")" "$tools/$tool"
done
printf '#!/bin/sh\necho 1000\n' >"$tools/id"
printf '#!/bin/sh\necho "apt-get was run" >&2\nexit 99\n' >"$tools/apt-get"
chmod +x "$tools/id" "$tools/apt-get"
PATH=$tools "$tools/bash" "$demo" >"$work/out" 2>"$work/err"
status=$?
((status == 1)) || fail "no tools, not root: exit $status"
grep -q "the build needs g++ cmake ninja-build; install them as root with:" "$work/err" ||
  fail "no tools, not root: $(cat "$work/err")"
grep -q "apt-get was run" "$work/err" && fail "no tools, not root: apt-get was run"
rm "$tools/apt-get"
PATH=$tools "$tools/bash" "$demo" >"$work/out" 2>"$work/err"
status=$?
((status == 1)) || fail "no tools, no apt-get: exit $status"
grep -q "install them and run the demo again" "$work/err" || fail "no tools, no apt-get: $(cat "$work/err")"

rm -rf "$work"
((failures == 0)) && echo "demo: every check passed"
exit $((failures > 0))
