#!/usr/bin/env bash
# Cross-builds harbrook.exe and harbrook-phone.exe for 64-bit Windows and packs
# them, with the language DLLs in "harbrook locales\", into
# build/harbrook-windows.zip. The third-party libraries come from
# scripts/win-deps.sh (built once, cached outside the checkout).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
prefix=$(scripts/win-deps.sh | tail -n1)
dir=build/release-win
mkdir -p build
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release -DHARBROOK_TESTS=OFF -DHARBROOK_BENCH=OFF \
      -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" \
      -DHARBROOK_WIN_DEPS_PREFIX="$prefix" >"$dir.configure.log" 2>&1 \
  || { cat "$dir.configure.log"; exit 1; }
nice cmake --build "$dir" -j"${HARBROOK_JOBS:-2}" --target harbrook harbrook-phone harbrook_locales >"$dir.build.log" 2>&1 \
  || { grep -E -B2 -A12 'error|Error' "$dir.build.log" | head -150; echo "build failed"; exit 1; }
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir "$stage/Harbrook"
cp "$dir/app/harbrook.exe" "$dir/app/harbrook.ini" "$dir/tools/phone/harbrook-phone.exe" \
   "$stage/Harbrook/"
x86_64-w64-mingw32-strip "$stage/Harbrook/"*.exe
cp -r "$dir/app/harbrook locales" "$stage/Harbrook/"
rm -f build/harbrook-windows.zip
# cmake writes the zip itself: no zip or python needed on the machine.
(cd "$stage" && cmake -E tar cf "$OLDPWD/build/harbrook-windows.zip" --format=zip Harbrook)
echo "build/harbrook-windows.zip"
