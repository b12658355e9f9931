#!/usr/bin/env bash
# Runs clang-tidy (the checks of .clang-tidy, every finding an error) over the library's own sources,
# using the compilation database of a configured build (build/dev unless one is named), and prints
# how long it took. The tests, benchmarks and fuzz targets are not checked.
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${1:-build/dev}
if [ ! -f "$build_dir/compile_commands.json" ]; then
  echo "tidy: no $build_dir/compile_commands.json; configure first (cmake --preset dev)" >&2
  exit 1
fi
jobs=$(nproc 2>/dev/null || echo 2)
root=$(pwd)
start=$(date +%s)
# The build uses GCC; clang does not know some of its warning options.
run-clang-tidy -quiet -p "$build_dir" -j "$jobs" \
  -extra-arg=-Wno-unknown-warning-option \
  "^$root/(core|config|file|text|gfx|input|timer|sound|platform)/"
echo "tidy: clean in $(($(date +%s) - start)) s"
