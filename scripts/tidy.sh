#!/usr/bin/env bash
# Runs clang-tidy (the checks of .clang-tidy, every finding an error) over the library's own sources,
# using the compilation database of a configured build (build/dev unless one is named), and prints
# how long it took. The tests, benchmarks and fuzz targets are not checked.
#
# The static analyzer's path checks (clang-analyzer-*) take most of the time, so they
# run over the code that reads what a user or a file hands the library (files, configuration, text,
# and the image, sample, MIDI and SoundFont loaders); every other check runs over everything.
# `scripts/tidy.sh --all-analyzer` runs the analyzer over every file as well.
set -euo pipefail
cd "$(dirname "$0")/.."

all_analyzer=0
if [ "${1:-}" = "--all-analyzer" ]; then
  all_analyzer=1
  shift
fi
build_dir=${1:-build/dev}
if [ ! -f "$build_dir/compile_commands.json" ]; then
  echo "tidy: no $build_dir/compile_commands.json; configure first (cmake --preset dev)" >&2
  exit 1
fi
jobs=$(nproc 2>/dev/null || echo 2)
root=$(pwd)
start=$(date +%s)
library="^$root/(core|config|file|text|gfx|input|timer|sound|platform)/"
readers="(config|file|text)/|gfx/png_file\.cpp|sound/(load_sample|midi_file|ogg_sample|voc_sample|wav_sample|soundfont_file|sound_file_reading)\.cpp"

# The build uses GCC; clang does not know some of its warning options, and its -Wdouble-promotion
# also flags a float initialising a double, which GCC's (checked by the build) rightly allows.
tidy() {
  run-clang-tidy -quiet -p "$build_dir" -j "$jobs" -extra-arg=-Wno-unknown-warning-option \
    -extra-arg=-Wno-double-promotion "$@"
}
if [ "$all_analyzer" -eq 1 ]; then
  tidy "$library"
else
  tidy -checks='-clang-analyzer-*' "^$root/(?!($readers))(core|gfx|input|timer|sound|platform)/"
  tidy "^$root/($readers)"
fi
echo "tidy: clean in $(($(date +%s) - start)) s"
