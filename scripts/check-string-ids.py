#!/usr/bin/python3
"""Fails on a string id typed as a number in the C++ sources.

Every text has a name in res/strings/english.txt (ID Name "text"), and the
code says kStrName from the generated locale/string_ids.h. A number that is
a string id, where the code loads a text or keeps a text's id, is reported
with its file and line:
  - the first argument of a text load (LoadUiString(129, ...), Text(152));
  - an unsigned constant or enumerator set to an id (unsigned kX = 412);
  - an unsigned literal of an id on a line about a text or a message (142u).
The tests of the string machinery itself (tests/locale/) read texts by id on
purpose and are not checked.
"""
import pathlib
import re
import subprocess
import sys

root = pathlib.Path(__file__).resolve().parent.parent
ids = set()
for line in (root / "res/strings/english.txt").read_text(encoding="utf-8").splitlines():
    m = re.match(r"(\d+)\s", line)
    if m:
        ids.add(int(m.group(1)))

rules = [
    re.compile(r"\b(?:LoadUiString|LoadText|Text|WithProductName|Find|ShowStatus)\(\s*(\d+)\b"),
    re.compile(r"\b(?:unsigned|UINT)\b[^=;()]*\bk\w*\s*=\s*(\d+)u?\s*[;,]"),
    re.compile(r"^\s*k\w+\s*=\s*(\d+)u?\s*,"),  # an enumerator (checked in unsigned enums below)
    re.compile(r"\b(\d+)u\b"),
]
about_text = re.compile(r"message|[Tt]ext|[Ss]tring|\bid\b|Str")

files = subprocess.run(["git", "ls-files", "*.cpp", "*.h"], cwd=root, check=True,
                       capture_output=True, text=True).stdout.split()
found = 0
for name in files:
    if name.startswith("tests/locale/"):
        continue
    in_unsigned_enum = False
    for number, line in enumerate((root / name).read_text(encoding="utf-8").splitlines(), 1):
        if re.search(r"\benum\b.*:\s*unsigned", line):
            in_unsigned_enum = True
        elif in_unsigned_enum and "}" in line:
            in_unsigned_enum = False
        code = line.split("//")[0]
        for index, rule in enumerate(rules):
            if index == 2 and not in_unsigned_enum:
                continue
            if index == 3 and not about_text.search(code):
                continue
            for m in rule.finditer(code):
                if int(m.group(1)) in ids:
                    print(f"{name}:{number}: string id {m.group(1)} as a number; use its kStr name")
                    found += 1
if found:
    print(f"{found} string id(s) typed as numbers (names: res/strings/english.txt)")
    sys.exit(1)
