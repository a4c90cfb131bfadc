#!/usr/bin/env bash
# Run a Windows program with wine64, quietly.  Used as
# CMAKE_CROSSCOMPILING_EMULATOR by cmake/mingw-w64-x86_64.cmake, so ctest,
# gtest_discover_tests and try_run can execute .exe files.
#
#   scripts/wine-run.sh path/to/prog.exe [args...]
#
# Environment:
#   WINEPREFIX    default: ${TMPDIR:-/tmp}/harbrook-wine-<uid> (made on first use)
#   HARBROOK_WINE wine binary, default /usr/lib/wine/wine64
#   WINEDEBUG     forced to -all unless HARBROOK_WINEDEBUG is set
set -euo pipefail

wine=${HARBROOK_WINE:-/usr/lib/wine/wine64}
if [[ ! -x $wine ]]; then
  echo "wine-run.sh: $wine not found (apt-get install wine64, or run scripts/win-deps.sh)" >&2
  exit 127
fi

export WINEDEBUG=${HARBROOK_WINEDEBUG:--all}
export WINEPREFIX=${WINEPREFIX:-${TMPDIR:-/tmp}/harbrook-wine-$(id -u)}
# Never offer to download Wine Mono / Gecko (no network, no display).
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
# Wine reads Unix file names and arguments in the locale's character set: make
# it UTF-8 whatever the caller runs under (a bare CI shell has the C locale).
export LC_ALL=C.UTF-8
# No X display for the programs run here; make sure wine does not try one.
unset DISPLAY WAYLAND_DISPLAY

# First use: create the prefix once, serialised so parallel ctest runs do not
# race each other into a half-made prefix.
if [[ ! -f $WINEPREFIX/.harbrook-ready ]]; then
  mkdir -p "$WINEPREFIX"
  (
    flock 9
    if [[ ! -f $WINEPREFIX/.harbrook-ready ]]; then
      "$wine" wineboot -i </dev/null >/dev/null 2>&1 || true
      # Windows without an X display: wine's null display driver takes them
      # (the window tests make and drive windows that nobody sees). With a
      # DISPLAY, X11 still comes first.
      "$wine" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d x11,null /f \
        </dev/null >/dev/null 2>&1 || true
      # Wait until wineserver has flushed the registry, then mark ready.
      "${wine%/*}/wineserver64" -w >/dev/null 2>&1 || "${wine%/*}/wineserver" -w >/dev/null 2>&1 || true
      touch "$WINEPREFIX/.harbrook-ready"
    fi
  ) 9>"$WINEPREFIX.lock"
fi

exec "$wine" "$@"
