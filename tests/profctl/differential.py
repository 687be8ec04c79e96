#!/usr/bin/env python3
"""Runs two builds of profctl side by side over generated files and reports
every difference: standard output, exit status, and every file left behind,
byte for byte.

    tests/profctl/differential.py OLD_PROFCTL NEW_PROFCTL [--runs N] [--seed S]

Each run copies one generated file into two fresh folders, runs the same
subcommand there with each program, and compares what came back and what
the folders hold afterwards. The files mix headers, keys, comments, blank
lines, long lines, every line end, Ctrl-Z and NUL bytes; some are large
enough to cross the programs' read buffers many times. Exit status: 0 when
no run differed, 1 otherwise.
"""

import argparse
import os
import random
import shutil
import subprocess
import sys
import tempfile

LINES = [
    b"[drivers]", b"[ Drivers ]", b"[DRIVERS] ; audio", b"[other]", b"[]", b"[ ]",
    b"; [drivers] note", b";wave=x", b"wave=a.drv", b"WAVE = b.drv", b"  wave\tc.drv",
    b"wave", b"wave=", b"waveout=q", b"midi=m", b"mixer=z", b"k=[v]", b"path=[x]", b"",
    b"   ", b"\t", b"device=vkt617.386", b"DEVICE = VKT617.386", b"device=vkt617.386 ;old",
    b"x=1", b"]y[z", b"=key=v", b"Port=0x220", b"Vol=-5", b"n=4294967295",
    b"mscdex.exe /d:mscd001 /m:6 /v", b"\x80\xa0=hi",
]
ENDS = [b"\r\n"] * 6 + [b"\n", b"\r", b"", b"\r\r\n"]
SECTIONS = [b"drivers", b"Drivers", b"other", b"", b"fresh", b" drivers", b"y[z", b"x\n"]
KEYS = [b"wave", b"WAVE", b"midi", b"k", b"path", b"x", b"absent", b"Port", b"Vol", b"n",
        b"[other]", b"wave\n", b"device", b"", b"key7", b"w" * 10]


def random_line(rng):
    roll = rng.random()
    if roll < 0.06:
        return rng.choice([b"w", b"v", b" ", b"[", b"="]) * rng.randint(120, 450)
    if roll < 0.09:
        return b"key%d=" % rng.randint(0, 9) + b"v" * rng.randint(100, 300)
    if roll < 0.11:
        return b"\x00" + rng.choice(LINES)
    if roll < 0.13:
        return rng.choice(LINES) + b"\x00tail"
    return rng.choice(LINES)


def random_file(rng):
    roll = rng.random()
    if roll < 0.03:
        count = rng.randint(2000, 9000)   # crosses the 64 KiB buffer
    elif roll < 0.15:
        count = rng.randint(100, 1500)
    else:
        count = rng.randint(0, 40)
    parts = []
    for _ in range(count):
        parts.append(random_line(rng) + rng.choice(ENDS))
    data = b"".join(parts)
    if data and rng.random() < 0.08:
        at = rng.randint(0, len(data))
        data = data[:at] + b"\x1a" + data[at:]
    return data


def pick_line(rng, data):
    lines = data.replace(b"\r\n", b"\n").split(b"\n")
    line = rng.choice(lines) if lines else b""
    return line.replace(b"\x00", b"").replace(b"\x1a", b"")


def random_number(rng):
    return rng.choice([b"0", b"1", b"-1", b"0x220", b"-5", b"4294967295", b"-2147483648", b"31",
                       b"0x7fffffff", b"65535"])


def section_args(rng):
    return [b"-s", rng.choice(SECTIONS)] if rng.random() < 0.7 else []


def random_command(rng, data):
    """A subcommand and its arguments; FILE stands for the edited file."""
    kind = rng.choice(["delete-line"] * 4 + ["delete-key"] * 2 + ["replace-key", "add-line",
                       "add-hex", "add-int", "set", "set", "set-unsigned", "set-hex", "get", "get",
                       "get-hex", "get-unsigned", "last-section", "walk", "walk"])
    key = rng.choice(KEYS)
    if kind == "delete-line":
        pattern = pick_line(rng, data) if rng.random() < 0.7 else rng.choice(LINES)
        if rng.random() < 0.5:
            pattern += b"\n"
        if rng.random() < 0.3:
            pattern = pattern.upper()
        return [b"delete-line", b"FILE", pattern, b"%d" % rng.randint(0, 7)]
    if kind == "delete-key":
        return [b"delete-key"] + section_args(rng) + [b"FILE", key]
    if kind == "replace-key":
        line = [key + b"=new"] if rng.random() < 0.7 else []
        return [b"replace-key"] + section_args(rng) + [b"FILE", key] + line
    if kind == "add-line":
        return [b"add-line"] + section_args(rng) + [b"FILE", rng.choice([b"added=1", b"[x]", b"a b"])]
    if kind in ("add-hex", "add-int", "set-unsigned", "set-hex"):
        return [kind.encode()] + section_args(rng) + [b"FILE", key, random_number(rng)]
    if kind == "set":
        value = [rng.choice([b"v", b"a b", b""])] if rng.random() < 0.8 else []
        return [b"set"] + section_args(rng) + [b"FILE", key] + value
    if kind == "get":
        default = [b"dflt"] if rng.random() < 0.5 else []
        return [b"get"] + section_args(rng) + [b"FILE", key] + default
    if kind in ("get-hex", "get-unsigned"):
        return [kind.encode()] + section_args(rng) + [b"FILE", key, random_number(rng)]
    if kind == "last-section":
        return [b"last-section", b"FILE", b"none"]
    walk = [b"walk", b"-s", rng.choice(SECTIONS), b"--trace"]
    if rng.random() < 0.5:
        walk += [b"-o", b"%d" % rng.randint(0, 3)]
    if rng.random() < 0.3:
        walk += [b"-p", b"%d" % rng.randint(0, max(1, len(data)))]
    return walk + [b"FILE"]


def run(program, folder, data, command):
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    path = os.path.join(folder, "p.ini").encode()
    with open(path, "wb") as out:
        out.write(data)
    args = [program.encode()] + [path if a == b"FILE" else a for a in command]
    done = subprocess.run(args, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    left = {}
    for name in sorted(os.listdir(folder)):
        with open(os.path.join(folder, name), "rb") as kept:
            left[name] = kept.read()
    return done.returncode, done.stdout.replace(path, b"FILE"), left


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("old")
    parser.add_argument("new")
    parser.add_argument("--runs", type=int, default=5000)
    parser.add_argument("--seed", type=int, default=1)
    options = parser.parse_args()
    rng = random.Random(options.seed)
    work = tempfile.mkdtemp(prefix="profctl-differential-")
    differences = 0
    counts = {}
    try:
        for number in range(options.runs):
            data = random_file(rng)
            command = random_command(rng, data)
            counts[command[0]] = counts.get(command[0], 0) + 1
            old = run(options.old, os.path.join(work, "old"), data, command)
            new = run(options.new, os.path.join(work, "new"), data, command)
            if old != new:
                differences += 1
                sample = os.path.join(work, "difference-%d.ini" % number)
                with open(sample, "wb") as kept:
                    kept.write(data)
                print("run %d differs: %r (file kept as %s)" % (number, command, sample))
                print("  old: status %d, output %r, files %r" % (old[0], old[1][:200], {k: len(v) for k, v in old[2].items()}))
                print("  new: status %d, output %r, files %r" % (new[0], new[1][:200], {k: len(v) for k, v in new[2].items()}))
    finally:
        if differences == 0:
            shutil.rmtree(work, ignore_errors=True)
    summary = ", ".join("%s %d" % (name.decode(), count) for name, count in sorted(counts.items()))
    print("%d runs, %d differences (%s)" % (options.runs, differences, summary))
    return 1 if differences else 0


if __name__ == "__main__":
    sys.exit(main())
