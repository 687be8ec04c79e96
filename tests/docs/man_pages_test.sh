#!/usr/bin/env bash
# The man pages format without a single groff warning and carry the
# project's version.
set -uo pipefail
version=$1
shift
command -v groff >/dev/null || { echo "groff is not installed (Debian: groff-base)"; exit 77; }
failures=0
for page in "$@"; do
  warnings=$(LC_ALL=C.UTF-8 groff -man -Tutf8 -ww -z "$page" 2>&1)
  if [[ -n $warnings ]]; then
    echo "FAIL: $page: $warnings"
    failures=$((failures + 1))
  fi
  if ! grep -q "^\.TH [A-Z]* 1 \"[^\"]*\" \"cpuninst $version\"" "$page"; then
    echo "FAIL: $page: its .TH line does not name cpuninst $version"
    failures=$((failures + 1))
  fi
done
((failures == 0)) && echo "$# man pages format cleanly"
exit $((failures > 0))
