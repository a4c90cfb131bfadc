#!/usr/bin/env bash
# Builds the Debian package of Harbrook (CPack's DEB generator).
#   scripts/package-deb.sh              builds in build/package with Debian's
#                                       hardening flags, tests and benchmarks off
#   scripts/package-deb.sh BUILD_DIR    packages an already configured tree
#                                       (CI reuses the plain test build)
# Prints the path of the .deb as its last line.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh

jobs=${HARBROOK_JOBS:-2}
dir=${1:-}
if [[ -z $dir ]]; then
  dir=build/package
  mkdir -p build
  # The flags dpkg-buildpackage would give, without -g (the binaries are
  # stripped anyway, and debug information only slows the build down).
  export DEB_BUILD_MAINT_OPTIONS=hardening=+all
  cxxflags="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
  cflags="$(dpkg-buildflags --get CFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=None -DCMAKE_INSTALL_PREFIX=/usr \
        -DCMAKE_CXX_FLAGS="${cxxflags//-g /}" -DCMAKE_C_FLAGS="${cflags//-g /}" \
        -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" \
        -DHARBROOK_TESTS=OFF -DHARBROOK_BENCH=OFF >"$dir.configure.log" 2>&1 \
    || { cat "$dir.configure.log"; exit 1; }
else
  # Only the install prefix changes: nothing is compiled again for it.
  cmake -S . -B "$dir" -DCMAKE_INSTALL_PREFIX=/usr >"$dir.configure.log" 2>&1 \
    || { cat "$dir.configure.log"; exit 1; }
fi
nice cmake --build "$dir" -j"$jobs" --target harbrook harbrook-phone harbrook_desktop_files \
  >"$dir.build.log" 2>&1 \
  || { grep -E -B2 -A12 'error|Error' "$dir.build.log" | head -150; echo "build failed (package)"; exit 1; }
rm -f "$dir"/harbrook_*.deb
(cd "$dir" && cpack -G DEB >cpack.log 2>&1) || { cat "$dir/cpack.log"; exit 1; }
ls "$PWD/$dir"/harbrook_*.deb
