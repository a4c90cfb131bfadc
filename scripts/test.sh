#!/usr/bin/env bash
# Builds Harbrook and runs every test: plain (with the benchmarks built, the
# formatting, the string ids and the layer order of the includes checked, and
# the Debian package built, unpacked and checked),
# under AddressSanitizer + UndefinedBehaviorSanitizer, under ThreadSanitizer,
# as Windows programs (mingw-w64 cross-build, tests under wine64, then the
# Windows and Linux programs against each other), and the libFuzzer targets
# for a few seconds each (clang).
#   scripts/test.sh            all five
#   scripts/test.sh plain      one of: plain asan tsan win fuzz
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh

jobs=${HARBROOK_JOBS:-2}
variants=("$@")
((${#variants[@]})) || variants=(plain asan tsan win fuzz)

# Everything a test runs talks to loopback only.
export HARBROOK_ADDRESS=127.0.0.1
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp print_suppressions=0"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# libzmq, libpgm and libstdc++ are not built with ThreadSanitizer: it only
# checks accesses made from our own (instrumented) code, and scripts/tsan.supp
# names what is left.
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 ignore_noninstrumented_modules=1 suppressions=$PWD/scripts/tsan.supp"

# The Windows leg: libraries from the cache (built once), the cross-build,
# every Windows test under a throw-away wine prefix, one at a time (they share
# the prefix's registry), then the interop tests from the Linux build.
run_win() {
  local prefix dir=build/test-win native=build/test-interop
  prefix=$(scripts/win-deps.sh | tail -n1)
  # (win-deps.sh also installs what is missing: mingw-w64, wine64, googletest's sources.)
  mkdir -p build
  echo "== win: building in $dir"
  # -O2 like the Linux builds, without debug information: it makes the
  # statically linked executables over four times the size and slow to link. (-O3
  # would trip GCC 12's false -Wrestrict warnings inside std::string.)
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
        -DCMAKE_C_FLAGS_RELEASE="-O2 -DNDEBUG" -DHARBROOK_WERROR=ON -DHARBROOK_BENCH=OFF \
        -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" \
        -DHARBROOK_WIN_DEPS_PREFIX="$prefix" >"$dir.configure.log" 2>&1 \
    || { cat "$dir.configure.log"; return 1; }
  nice cmake --build "$dir" -j"$jobs" >"$dir.build.log" 2>&1 \
    || { grep -E -B2 -A12 'error|Error' "$dir.build.log" | head -150; echo "build failed (win)"; return 1; }
  # A program of the window subsystem: Windows opens no console for it.
  # (The headers first: grep -q would end the pipe early, and pipefail fail it.)
  local headers
  headers=$(x86_64-w64-mingw32-objdump -p "$dir/app/harbrook.exe")
  if ! grep -q 'Subsystem.*Windows GUI' <<<"$headers"; then
    echo "harbrook.exe is not a Windows GUI program"; return 1
  fi
  local wineprefix rc=0
  wineprefix=$(mktemp -d "${TMPDIR:-/tmp}/harbrook-wine-XXXXXX")
  echo "== win: running the tests under wine (WINEPREFIX=$wineprefix)"
  (cd "$dir" && WINEPREFIX=$wineprefix ctest -j1 --output-on-failure) || rc=1
  WINEPREFIX=$wineprefix /usr/lib/wine/wineserver -k 2>/dev/null || true
  rm -rf "$wineprefix" "$wineprefix.lock"
  ((rc == 0)) || return 1
  # HARBROOK_WIN_INTEROP=0 leaves the interop tests out.
  if [[ ${HARBROOK_WIN_INTEROP:-1} == 1 ]]; then
    # A Linux build of its own, so that the plain leg's build is never
    # reconfigured (its flags are the plain leg's, so ccache serves it).
    echo "== win: Windows and Linux programs together ($native)"
    cmake -S . -B "$native" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHARBROOK_WERROR=ON \
          -DHARBROOK_SANITIZE= -DHARBROOK_BENCH=OFF \
          -DHARBROOK_WIN_BINARIES="$PWD/$dir" >"$native.configure.log" 2>&1 \
      || { cat "$native.configure.log"; return 1; }
    nice cmake --build "$native" -j"$jobs" --target windows_interop_tests windows_window_e2e_tests harbrook harbrook-phone \
         >"$native.build.log" 2>&1 \
      || { grep -E -B2 -A12 'error|Error' "$native.build.log" | head -150; echo "build failed (interop)"; return 1; }
    (cd "$native" && ctest -j1 -L windows-interop --output-on-failure) || return 1
  fi
}

# Every C++ file of the tree as .clang-format has it.
check_format() {
  local unformatted
  unformatted=$(git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run 2>&1 | grep -o '^[^:]*: warning' \
                | cut -d: -f1 | sort -u)
  if [[ -n $unformatted ]]; then
    echo "not formatted (run clang-format -i on them):"
    echo "$unformatted"
    return 1
  fi
}

# The fuzz leg: every reader of outside input (frames, numbers, dates, the
# INI and hive files, the history, stored names) under libFuzzer with ASan and
# UBSan, each for HARBROOK_FUZZ_SECONDS (8) from its seeds in tests/fuzz/corpus;
# what the fuzzer learns goes to a throw-away folder. A failing input is kept
# under build/ and named in the output.
run_fuzz() {
  local dir=build/test-fuzz seconds=${HARBROOK_FUZZ_SECONDS:-8} rc=0
  mkdir -p build
  echo "== fuzz: building in $dir"
  cmake -S . -B "$dir" -DCMAKE_C_COMPILER=clang-15 -DCMAKE_CXX_COMPILER=clang++-15 \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHARBROOK_SANITIZE=fuzzer -DHARBROOK_TESTS=OFF \
        -DHARBROOK_BENCH=OFF -DHARBROOK_WERROR=ON >"$dir.configure.log" 2>&1 \
    || { cat "$dir.configure.log"; return 1; }
  nice cmake --build "$dir" -j"$jobs" --target fuzzers >"$dir.build.log" 2>&1 \
    || { grep -E -B2 -A12 'error|Error' "$dir.build.log" | head -150; echo "build failed (fuzz)"; return 1; }
  # A crash report with file and line numbers needs clang's own symbolizer.
  [[ -x /usr/lib/llvm-15/bin/llvm-symbolizer ]] \
    && export ASAN_SYMBOLIZER_PATH=/usr/lib/llvm-15/bin/llvm-symbolizer
  local corpus name work
  for corpus in tests/fuzz/corpus/*/; do
    name=$(basename "$corpus")
    work=$(mktemp -d "${TMPDIR:-/tmp}/harbrook-fuzz-XXXXXX")
    if "$dir/tests/fuzz/fuzz_$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
         -print_final_stats=1 -artifact_prefix="$dir/crash-$name-" "$work" "$corpus" \
         >"$dir/$name.log" 2>&1; then
      echo "fuzz_$name: $(awk '/stat::number_of_executed_units/ {print $2}' "$dir/$name.log") runs, no failure"
    else
      echo "fuzz_$name FAILED:"; tail -n 60 "$dir/$name.log"; rc=1
    fi
    rm -rf "$work"
  done
  return $rc
}

# A native leg: plain, asan or tsan. Like the other legs, a failed configure
# or build fails the leg and the script goes on with the next one.
run_native() {
  local v=$1 sanitize bench=OFF dir=build/test-$1 rc=0
  case $v in
    plain) sanitize=""; bench=ON
           echo "== plain: checking the formatting"
           check_format || rc=1
           echo "== plain: checking that no string id is typed as a number"
           /usr/bin/python3 scripts/check-string-ids.py || rc=1
           echo "== plain: checking that every include keeps the layer order"
           /usr/bin/python3 scripts/check-layers.py || rc=1 ;;
    asan)  sanitize=address ;;
    tsan)  sanitize=thread ;;
  esac
  mkdir -p build
  echo "== $v: building in $dir"
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHARBROOK_WERROR=ON \
        -DHARBROOK_SANITIZE="$sanitize" -DHARBROOK_BENCH=$bench -DHARBROOK_WIN_BINARIES= >"$dir.configure.log" 2>&1 \
    || { cat "$dir.configure.log"; echo "configure failed ($v)"; return 1; }
  nice cmake --build "$dir" -j"$jobs" >"$dir.build.log" 2>&1 \
    || { grep -E -B2 -A12 'error|Error' "$dir.build.log" | head -150; echo "build failed ($v)"; return 1; }
  echo "== $v: running the tests"
  (cd "$dir" && ctest -j"$jobs" --output-on-failure) || rc=1
  if [[ $v == plain ]]; then
    # The Debian package from the same build: unpacked, run and linted.
    echo "== plain: the Debian package"
    local log=$dir.package.log
    if scripts/package-deb.sh "$dir" >"$log" 2>&1 &&
       scripts/check-deb.sh "$(tail -n1 "$log")" "$dir" >>"$log" 2>&1; then
      grep '^lintian summary' "$log" || true; tail -n1 "$log"
    else
      cat "$log"; echo "package checks failed"; rc=1
    fi
  fi
  return $rc
}

for v in "${variants[@]}"; do
  case $v in
    plain|asan|tsan|win|fuzz) ;;
    *) echo "unknown variant: $v (plain, asan, tsan, win or fuzz)" >&2; exit 2 ;;
  esac
done
status=0
for v in "${variants[@]}"; do
  case $v in
    plain|asan|tsan) run_native "$v" || status=1 ;;
    win) run_win || status=1 ;;
    fuzz) run_fuzz || status=1 ;;
  esac
done
exit $status
