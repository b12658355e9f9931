#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the whole test suite twice: the plain build,
# then under AddressSanitizer and UndefinedBehaviorSanitizer, then the threaded modules under
# ThreadSanitizer, then the fuzz smoke runs.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
jobs=$(nproc 2>/dev/null || echo 2)

echo "== plain build"
cmake --preset dev
cmake --build --preset dev
ctest --preset dev -j "$jobs"

echo "== AddressSanitizer + UndefinedBehaviorSanitizer build"
cmake --preset asan
cmake --build --preset asan
ctest --preset asan -j "$jobs"

echo "== ThreadSanitizer build of the threaded modules"
cmake --preset tsan
cmake --build --preset tsan --target timer_tests input_tests
ctest --preset tsan -j "$jobs" -L 'timer|input'

if [ -x fuzz/run ]; then
  echo "== fuzz smoke runs"
  fuzz/run --smoke
fi
echo "== all tests passed"
