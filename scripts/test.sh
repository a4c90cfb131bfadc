#!/usr/bin/env bash
# Builds Harbrook three times and runs every test in each: plain, under
# AddressSanitizer + UndefinedBehaviorSanitizer, and under ThreadSanitizer.
#   scripts/test.sh            all three
#   scripts/test.sh plain      one of: plain asan tsan
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh

jobs=${HARBROOK_JOBS:-2}
variants=("$@")
((${#variants[@]})) || variants=(plain asan tsan)

# Everything a test runs talks to loopback only.
export HARBROOK_ADDRESS=127.0.0.1
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# libzmq, libpgm and libstdc++ are not built with ThreadSanitizer: it only
# checks accesses made from our own (instrumented) code, and scripts/tsan.supp
# names what is left.
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 ignore_noninstrumented_modules=1 suppressions=$PWD/scripts/tsan.supp"

status=0
for v in "${variants[@]}"; do
  case $v in
    plain) sanitize="" ;;
    asan)  sanitize=address ;;
    tsan)  sanitize=thread ;;
    *) echo "unknown variant: $v (plain, asan or tsan)" >&2; exit 2 ;;
  esac
  dir=build/test-$v
  mkdir -p build
  echo "== $v: building in $dir"
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHARBROOK_WERROR=ON \
        -DHARBROOK_SANITIZE="$sanitize" -DHARBROOK_BENCH=OFF >"$dir.configure.log" 2>&1 \
    || { cat "$dir.configure.log"; exit 1; }
  cmake --build "$dir" -j"$jobs" >"$dir.build.log" 2>&1 \
    || { grep -E -B2 -A12 'error|Error' "$dir.build.log" | head -150; echo "build failed ($v)"; exit 1; }
  echo "== $v: running the tests"
  (cd "$dir" && ctest -j"$jobs" --output-on-failure) || status=1
done
exit $status
