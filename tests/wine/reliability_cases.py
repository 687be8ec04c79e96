"""Nothing lost under Wine: the commit's paths with the platform's fault seam
(commit_probe.exe), and hostile folders under profctl.exe, each compared with
the hosted profctl where both builds meet the same disk.

Wine shows a Windows program no unix link or FIFO as such: DeleteFileA on a
link removes the link's target, and on a FIFO fails. So links at the scratch
name are not run here (the hosted build removes the link itself), and a FIFO
there refuses the edit under Wine where the hosted build removes it."""

import os
import shutil
import subprocess

from winebox import Check

OLD = b"[drivers]\r\nwave=a.drv\r\nmidi=m\r\n"
NEW = b"[drivers]\r\nwave=b\r\nmidi=m\r\n"
OUTSIDE = b"[drivers]\r\nwave=outside\r\n"
SET = ["set", "-s", "drivers", "s.ini", "wave", "b"]
GET = ["get", "-s", "drivers", "s.ini", "wave", "none"]

# commit_probe.exe MODE s.ini: (mode, its output, the folder afterwards).
PROBE_CASES = [
    ("one-step", b"0\n", {"s.ini": NEW}),
    ("no-one-step", b"0\n", {"s.ini": NEW}),
    ("no-one-step-rename-fails", b"-1\n", {"s.$$$": NEW}),
    ("move-fails", b"-1\n", {"s.ini": OLD, "s.$$$": NEW}),
    ("held-open", b"-1\n", {"s.ini": OLD, "s.$$$": NEW}),
    ("which-path", b"0 one-step\n", {"s.ini": NEW}),
]

# The same probe under a name Wine answers as Windows 95 (GetVersion's high
# bit set): the commit must delete and rename without trying MoveFileExA.
WIN95_PROBE = "probe95.exe"
WIN95_CASE = ("which-path", b"0 delete-rename\n", {"s.ini": NEW})


def HardLinkOut(folder, outside):
    os.link(outside, folder / "s.$$$")


def FolderAt(name):
    def Make(folder, outside):
        (folder / name).mkdir()
        (folder / name / "inside.txt").write_bytes(b"kept")
    return Make


def FifoAt(name):
    def Make(folder, outside):
        os.mkfifo(folder / name)
    return Make


def Nothing(folder, outside):
    pass


def NoFile(folder, outside):
    (folder / "s.ini").unlink()


# (name, arguments, how the folder is made hostile, Wine's own outcome when
# it differs from the hosted build's: (stdout, the folder afterwards)).
HOSTILE_CASES = [
    ("hard link out at the scratch name", SET, HardLinkOut, None),
    ("folder at the scratch name", SET, FolderAt("s.$$$"), None),
    ("folder at the file, set", SET, lambda f, o: (NoFile(f, o), FolderAt("s.ini")(f, o)), None),
    ("folder at the file, get", GET, lambda f, o: (NoFile(f, o), FolderAt("s.ini")(f, o)), None),
    ("FIFO at the file, set", SET, lambda f, o: (NoFile(f, o), FifoAt("s.ini")(f, o)), None),
    ("FIFO at the file, get", GET, lambda f, o: (NoFile(f, o), FifoAt("s.ini")(f, o)), None),
    ("device name NUL, set", ["set", "-s", "drivers", "nul.ini", "wave", "b"], Nothing, None),
    ("device name CON, get", ["get", "-s", "drivers", "con.ini", "wave", "none"], Nothing, None),
    ("FIFO at the scratch name", SET, FifoAt("s.$$$"), (b"1\n", {"s.ini": OLD, "s.$$$": "<special>"})),
]


def Contents(folder):
    """Every entry, without opening FIFOs or following links."""
    found = {}
    for path in sorted(folder.rglob("*")):
        name = path.relative_to(folder).as_posix()
        if path.is_symlink():
            found[name] = "<link>"
        elif path.is_dir():
            found[name] = "<dir>"
        elif path.is_file():
            found[name] = path.read_bytes()
        else:
            found[name] = "<special>"
    return found


def Fill(base, make):
    if base.exists():
        shutil.rmtree(base)
    folder = base / "work"
    outside = base / "outside" / "victim.ini"
    folder.mkdir(parents=True)
    outside.parent.mkdir()
    outside.write_bytes(OUTSIDE)
    (folder / "s.ini").write_bytes(OLD)
    make(folder, outside)
    return folder, outside


def Win95Probe(session, probe, work):
    """A copy of the probe that Wine runs as on Windows 95."""
    copy = work / WIN95_PROBE
    shutil.copyfile(probe, copy)
    result = session.Wine("reg", "add", "HKCU\\Software\\Wine\\AppDefaults\\" + WIN95_PROBE,
                          "/v", "Version", "/d", "win95", "/f")
    Check(result.returncode == 0, "could not make Wine play Windows 95 for the probe")
    return copy


def RunAll(session, probe, windowsProfctl, hostedProfctl, work):
    failures = []
    base = work / "reliability-folders"  # beside the session's prefix, never the prefix itself
    probe95 = Win95Probe(session, probe, work)
    runs = [(probe, *case) for case in PROBE_CASES] + [(probe95, *WIN95_CASE)]
    for program, mode, output, files in runs:
        folder, outside = Fill(base, Nothing)
        result = session.Wine(program, mode, "s.ini", cwd=folder)
        printed = result.stdout.replace(b"\r\n", b"\n")  # the console's text mode
        if printed != output or Contents(folder) != files:
            failures.append(f"  {program.name} {mode}: printed {printed!r}, left {Contents(folder)}")
    for name, args, make, wineOwn in HOSTILE_CASES:
        folder, outside = Fill(base, make)
        hosted = subprocess.run([hostedProfctl, *args], cwd=folder, capture_output=True,
                                stdin=subprocess.DEVNULL, timeout=30)
        hostedOutcome = (hosted.stdout, Contents(folder), outside.read_bytes())
        folder, outside = Fill(base, make)
        wine = session.Wine(windowsProfctl, *args, cwd=folder, timeout=30)
        wineOutcome = (wine.stdout, Contents(folder), outside.read_bytes())
        expected = hostedOutcome if wineOwn is None else (*wineOwn, OUTSIDE)
        if wineOutcome != expected:
            failures.append(f"  {name}: Wine {wineOutcome!r}, expected {expected!r}")
        if hostedOutcome[2] != OUTSIDE:
            failures.append(f"  {name}: the hosted profctl changed a file outside")
    shutil.rmtree(base, ignore_errors=True)
    Check(not failures, "the commit or a hostile folder under Wine:\n" + "\n".join(failures))
    print(f"{len(runs)} commit paths and {len(HOSTILE_CASES)} hostile folders passed under Wine")
