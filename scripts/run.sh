#!/usr/bin/env bash
# Builds Harbrook and starts it. Arguments go to harbrook (try --help).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
mkdir -p build
echo "Building Harbrook in build/run (a few minutes the first time; log in build/run.build.log)..." >&2
cmake -S . -B build/run -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHARBROOK_TESTS=OFF \
      -DHARBROOK_BENCH=OFF >build/run.configure.log 2>&1 || { cat build/run.configure.log; exit 1; }
cmake --build build/run -j"${HARBROOK_JOBS:-2}" >build/run.build.log 2>&1 \
  || { tail -50 build/run.build.log; exit 1; }
exec build/run/app/harbrook "$@"
