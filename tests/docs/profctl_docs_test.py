#!/usr/bin/env python3
"""profctl's section of the README, its man page and its --help say the same
(synopsis lines, options, exit statuses, diagnostics, examples), and the
examples print what they show when run with the built profctl."""

import argparse
import os
import re
import subprocess
import sys
import tempfile

failures = []


def Check(condition, message):
    if not condition:
        failures.append(message)


def Unroff(text):
    """The text of roff source lines, escapes resolved."""
    text = re.sub(r"\\f[BIRP]", "", text)
    for escape, plain in (("\\-", "-"), ("\\(aq", "'"), ("\\e", "\\"), ("\\&", ""), ("\\c", "")):
        text = text.replace(escape, plain)
    return text


def ManSections(roff):
    sections = {}
    for part in re.split(r"^\.SH ", roff, flags=re.M)[1:]:
        name, _, body = part.partition("\n")
        sections[name.strip('"')] = body
    return sections


def ManBlocks(body):
    """The no-fill blocks (.nf to .fi), as lists of lines."""
    return [Unroff(block).split("\n")[:-1] for block in re.findall(r"^\.nf\n(.*?)^\.fi\n", body, re.S | re.M)]


def ManText(body):
    """The running text: request names dropped, escapes resolved, one line."""
    words = []
    for line in body.split("\n"):
        if line.startswith("."):
            line = re.sub(r"^\.\S+\s*", "", line).replace('"', "")
        words.append(Unroff(line))
    return " ".join(" ".join(words).split())


def ReadmeSection(readme, heading):
    start = readme.index(heading + "\n")
    end = readme.find("\n### ", start + len(heading))
    end2 = readme.find("\n## ", start + len(heading))
    ends = [e for e in (end, end2) if e >= 0]
    return readme[start + len(heading):min(ends) if ends else len(readme)]


def ReadmeBlocks(section):
    return [block.split("\n")[:-1] for block in re.findall(r"^```\n(.*?)^```$", section, re.S | re.M)]


def ReadmeText(section):
    return " ".join(section.replace("`", "").split())


def OptionNames(text):
    return sorted(set(re.findall(r"(?<![\w-])--?[a-z][a-z]*(?:-[a-z]+)*", text)))


def Statuses(text):
    return sorted(set(re.findall(r"(?<![\w.,(-])(\d+) (?=[a-z])", text)))


def Reasons(text):
    found = re.search(r"The reasons are: (.*?)\. (?:-q|`-q`)", text)
    return [reason.strip() for reason in found.group(1).split(";")] if found else []


def RunExamples(profctl, system_ini, transcript, afterwards):
    """Runs every '$ command' of the transcript and compares what it printed."""
    with tempfile.TemporaryDirectory() as work:
        path = os.path.join(work, "system.ini")
        with open(path, "wb") as out:
            out.write("".join(line + "\r\n" for line in system_ini).encode())
        env = dict(os.environ, PATH=os.path.dirname(os.path.abspath(profctl)) + os.pathsep + os.environ["PATH"],
                   LC_ALL="C")
        env.pop("WIN95_MACHINE", None)
        commands = []
        for line in transcript:
            if line.startswith("$ "):
                commands.append((line[2:], []))
            else:
                commands[-1][1].append(line)
        for command, expected in commands:
            run = subprocess.run(["bash", "-c", command], cwd=work, env=env, stdout=subprocess.PIPE,
                                 stderr=subprocess.STDOUT, timeout=30)
            got = run.stdout.decode(errors="replace").split("\n")[:-1]
            Check(got == expected, f"example '{command}' printed {got}, the docs show {expected}")
        with open(path, "rb") as result:
            final = result.read()
        Check(final == "".join(line + "\r\n" for line in afterwards).encode(),
              f"the file after the examples is {final!r}")
        Check(sorted(os.listdir(work)) == ["system.ini"], f"files left: {sorted(os.listdir(work))}")
        return len(commands)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--profctl", required=True)
    parser.add_argument("--readme", required=True)
    parser.add_argument("--man", required=True)
    options = parser.parse_args()

    with open(options.readme, encoding="utf-8") as f:
        readme = f.read()
    readme = readme[readme.index("## profctl\n"):]
    readme = readme[:readme.index("\n## ", 3)]
    with open(options.man, encoding="utf-8") as f:
        man = ManSections(f.read())
    usage = subprocess.run([options.profctl, "--help"], stdout=subprocess.PIPE, check=True).stdout.decode()

    # Synopsis: the usage's lines, the README's block and the man page's, in one order.
    from_help = [line.strip() for line in usage.split("\n")
                 if line.startswith("  profctl ") or line.strip().startswith("profctl --help")]
    from_help = from_help[1:] + from_help[:1]  # the usage names --help first
    from_readme = ReadmeBlocks(ReadmeSection(readme, "### Synopsis"))[0]
    from_man = ManBlocks(man["SYNOPSIS"])[0]
    Check(from_readme == from_help, f"README synopsis {from_readme} differs from --help {from_help}")
    Check(from_man == from_help, f"man synopsis {from_man} differs from --help {from_help}")

    # Options: the same names in the three.
    readme_options = OptionNames(ReadmeText(ReadmeSection(readme, "### Options")))
    man_options = OptionNames(ManText(man["OPTIONS"]))
    help_options = OptionNames(usage)
    Check(readme_options == man_options, f"options: README {readme_options}, man {man_options}")
    Check(help_options == man_options, f"options: --help {help_options}, man {man_options}")
    Check(len(man_options) == 10, f"options: {man_options}")

    # Exit statuses.
    readme_statuses = sorted(set(re.findall(r"^\| (\d+) \|", ReadmeSection(readme, "### Exit status"), re.M)))
    man_statuses = sorted(set(re.findall(r"^\.B (\d+)$", man["EXIT STATUS"], re.M)))
    help_statuses = Statuses(usage[usage.index("Exit status:"):])
    Check(readme_statuses == man_statuses == help_statuses == ["0", "1", "64", "74"],
          f"exit statuses: README {readme_statuses}, man {man_statuses}, --help {help_statuses}")

    # Diagnostics: the same reasons.
    readme_reasons = Reasons(ReadmeText(ReadmeSection(readme, "### Diagnostics")))
    man_reasons = Reasons(ManText(man["DIAGNOSTICS"]))
    Check(readme_reasons == man_reasons and len(man_reasons) == 13,
          f"reasons: README {readme_reasons}, man {man_reasons}")

    # Examples: the same blocks, and they are true.
    readme_examples = ReadmeBlocks(ReadmeSection(readme, "### Examples"))
    man_examples = ManBlocks(man["EXAMPLES"])
    Check(readme_examples == man_examples, "the README's examples differ from the man page's")
    Check(len(man_examples) == 3, f"{len(man_examples)} example blocks in the man page")
    if len(man_examples) == 3:
        count = RunExamples(options.profctl, *man_examples)
        print(f"{count} example commands print what the docs show")

    for failure in failures:
        print("FAIL:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
