#!/usr/bin/env python3
"""Writes the manual page of korv-inventory (roff, section 1) from the program's own help.

Usage: make_man_page.py PROGRAM OUTPUT

The page is the --help text of the program and of each of its commands, set as roff, so it
says exactly what the program says and cannot drift from it.
"""
import re
import subprocess
import sys


def help_text(program, *words):
    result = subprocess.run([program, *words, "--help"], capture_output=True, text=True,
                            check=True)
    return result.stdout.rstrip("\n")


def roff(text):
    lines = []
    for line in text.splitlines():
        line = line.replace("\\", "\\e").replace("-", "\\-")
        if line.startswith((".", "'")):
            line = "\\&" + line
        lines.append(line)
    return "\n".join(lines)


def commands(main_help):
    """The command names listed under the main help's SUBCOMMANDS heading."""
    names, listing = [], False
    for line in main_help.splitlines():
        if line.strip().upper().startswith("SUBCOMMANDS"):
            listing = True
        elif listing:
            match = re.match(r"\s+([a-z][a-z-]*)\s", line + " ")
            if match:
                names.append(match.group(1))
            elif line.strip():
                listing = False
    return names


def main():
    program, output = sys.argv[1], sys.argv[2]
    main_help = help_text(program)
    version = subprocess.run([program, "--version"], capture_output=True, text=True,
                             check=True).stdout.strip()
    page = [
        f'.TH KORV\\-INVENTORY 1 "" "{version}" "User Commands"',
        ".SH NAME",
        "korv\\-inventory \\- the structural inventories of a drawing, without the CAD host",
        ".SH SYNOPSIS",
        ".nf",
        roff(next((line[len("Usage: "):] for line in main_help.splitlines()
                   if line.startswith("Usage: ")), "korv-inventory [OPTIONS] [SUBCOMMAND]")),
        ".fi",
        ".SH DESCRIPTION",
        ".nf",
        roff(main_help),
        ".fi",
    ]
    for command in commands(main_help):
        page += [f".SH COMMAND {roff(command.upper())}", ".nf", roff(help_text(program, command)),
                 ".fi"]
    with open(output, "w", encoding="utf-8") as out:
        out.write("\n".join(page) + "\n")


if __name__ == "__main__":
    main()
