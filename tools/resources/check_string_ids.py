#!/usr/bin/env python3
"""Fails when two string tables of the resource scripts give the same id.

The resource compiler keeps one of the texts without a word, so a string
added in a second file silently replaces (or loses to) the first."""
import re
import sys
from pathlib import Path

ENTRY = re.compile(r'^\s*(\d+|[A-Z_][A-Z0-9_]*)\s+L?"')


def string_ids(path):
    inside = False
    for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
        stripped = line.strip()
        if stripped == "STRINGTABLE":
            inside = True
        elif inside and stripped == "END":
            inside = False
        elif inside:
            match = ENTRY.match(line)
            if match:
                yield match.group(1), number


def main(directory):
    seen = {}
    duplicates = []
    for path in sorted(Path(directory).glob("*.rc")):
        if path.name == "kvuimodl.rc":   # a module of its own
            continue
        for string_id, line in string_ids(path):
            where = f"{path.name}:{line}"
            if string_id in seen:
                duplicates.append(f"string {string_id}: {seen[string_id]} and {where}")
            else:
                seen[string_id] = where
    for duplicate in duplicates:
        print(duplicate)
    return 1 if duplicates else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
