#!/usr/bin/env python3
"""Fails on an #include that goes against the layer order.

Dependencies point downwards only:
  platform < core < locale < link < {qr, send, backup, update} < app
  < {ui/console, ui/qt, ui/win32} < program
The services beside each other (qr, send, backup, update) do not include one
another, nor do the front ends. The phone stand-in (tools/phone) and the
signing tool (tools/sign) sit on the core libraries, never on app/ or ui/.
Below ui/, no Qt or Windows header is included, and `#ifdef _WIN32` lives
only in platform/. Tests and benchmarks may include anything.
"""
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent

BASE = {"platform"}
CORE = BASE | {"core"}
LOCALE = CORE | {"locale"}
LINK = LOCALE | {"link"}
SERVICES = {"qr", "send", "backup", "update"}
APP = LINK | SERVICES | {"app"}
ALLOWED = {
    "platform": BASE,
    "core": CORE,
    "locale": LOCALE,
    "link": LINK,
    **{service: LINK | {service} for service in SERVICES},
    "app": APP,
    **{ui: APP | {ui} for ui in ("ui/console", "ui/qt", "ui/win32")},
    "program": APP | {"ui/console", "ui/qt", "ui/win32", "program"},
    "tools/phone": LINK | {"tools/phone"},
    "tools/sign": CORE | {"update", "tools/sign"},
}
# Toolkit and system headers that only the front ends and platform/ may use.
TOOLKIT = re.compile(
    r"#\s*include\s*<(Q[A-Z][A-Za-z]+>|Qt[A-Za-z]+/|(?i:windows|winsock2?|ws2tcpip|shellapi"
    r"|shlobj|commctrl|commdlg|wininet|objbase)\.h>)"
)
OWN = re.compile(r'#\s*include\s*"([^"]+)"')


def layer_of(path: pathlib.PurePosixPath):
    parts = path.parts
    if parts[0] in ("ui", "tools") and len(parts) > 2:
        return "/".join(parts[:2])
    return parts[0]


def main() -> int:
    faults = []
    for file in sorted(ROOT.rglob("*")):
        if file.suffix not in (".h", ".cpp") or not file.is_file():
            continue
        rel = pathlib.PurePosixPath(file.relative_to(ROOT).as_posix())
        layer = layer_of(rel)
        if layer not in ALLOWED:
            continue  # tests, benchmarks, the build tree
        allowed = ALLOWED[layer]
        for number, line in enumerate(file.read_text(encoding="utf-8").splitlines(), 1):
            own = OWN.match(line.strip())
            if own and "/" in own.group(1):
                target = layer_of(pathlib.PurePosixPath(own.group(1)))
                if target in ALLOWED and target not in allowed:
                    faults.append(f"{rel}:{number}: {layer} includes {own.group(1)}")
            if layer not in ("platform", "ui/qt", "ui/win32", "program") and TOOLKIT.match(
                line.strip()
            ):
                faults.append(f"{rel}:{number}: a toolkit header below the front ends: {line}")
            if layer != "platform" and re.match(r"#\s*if.*\b_WIN32\b", line.strip()):
                faults.append(f"{rel}:{number}: _WIN32 outside platform/")
    for fault in faults:
        print(fault)
    if faults:
        print(f"{len(faults)} include(s) against the layer order", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
