#!/usr/bin/env bash
# Line removal on a large profile file next to grep -vxF and sed -i: wall
# time and peak memory of each. Usage: bench/compare.sh [MEGABYTES]
set -euo pipefail
cd "$(dirname "$0")/.."
megabytes=${1:-100}
cmake --preset hosted >/dev/null
cmake --build --preset hosted --target profile_bench profctl >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

build/hosted/bench/profile_bench "$megabytes" "$work"

# The same file again for the command-line comparison.
python3 - "$work/base.ini" "$megabytes" <<'PY'
import sys
path, mb = sys.argv[1], int(sys.argv[2])
with open(path, "wb") as out:
    written, section = 0, 0
    while written < mb * 1024 * 1024:
        chunk = [b"[section%d]\r\n" % section]
        chunk += [b"key%d=value number %d of section %d\r\n" % (k, k, section) for k in range(40)]
        chunk.append(b"wave=kt617.drv\r\n")
        data = b"".join(chunk)
        out.write(data)
        written += len(data)
        section += 1
PY

measure() {
  local label=$1; shift
  cp "$work/base.ini" "$work/t.ini"
  /usr/bin/time -f "$label  %e s  %M KiB peak" "$@" 2>&1 >/dev/null | tail -1
}
measure "profctl delete-line  " build/hosted/tools/profctl/profctl delete-line "$work/t.ini" $'wave=kt617.drv\n' 0
measure "grep -vxF            " bash -c 'grep -vxF "$1" "$2" > "$3"' _ $'wave=kt617.drv\r' "$work/t.ini" "$work/out.ini"
measure "sed -i               " sed -i '/^wave=kt617\.drv\r$/d' "$work/t.ini"
