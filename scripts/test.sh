#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the whole test suite twice: the plain build
# (with the HTML reference, and the tests that need a display, under a virtual X server), clang-tidy
# over the library, then under AddressSanitizer and UndefinedBehaviorSanitizer, then the simulated
# Mac OS X build and its tests, then the threaded modules under ThreadSanitizer (on Linux and on the
# simulated Mac), then the fuzz smoke runs.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
jobs=$(nproc 2>/dev/null || echo 2)

# Repeated runs on the same machine reuse what an earlier run compiled, wherever the checkout is.
if command -v ccache >/dev/null 2>&1; then
  export CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache
  export CCACHE_BASEDIR="$PWD"
  # Builds with the same flags in different folders (the sanitizer build and the simulated Mac
  # build) share objects; the debug information then names the first build's folder.
  export CCACHE_NOHASHDIR=true
fi

echo "== plain build"
cmake --preset dev
cmake --build --preset dev
ctest --preset dev -j "$jobs" -LE docs
# The HTML reference: Doxygen must find every public declaration documented, without a warning.
ctest --preset dev --no-tests=error --output-on-failure -L docs

echo "== tests on a display (a virtual X server)"
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --preset dev -L display

echo "== clang-tidy"
scripts/tidy.sh build/dev

echo "== AddressSanitizer + UndefinedBehaviorSanitizer build"
cmake --preset asan
cmake --build --preset asan
ctest --preset asan -j "$jobs"

echo "== the simulated Mac OS X build (stand-in frameworks) under AddressSanitizer + UBSan"
cmake --preset macosx
cmake --build --preset macosx --target macosx_tests demo
ctest --preset macosx -j "$jobs"

echo "== ThreadSanitizer build of the threaded modules"
cmake --preset tsan
cmake --build --preset tsan --target timer_tests input_tests sound_tests platform_tests
ctest --preset tsan -j "$jobs" -L 'timer|input|sound'
# The sound output drivers' threads (the SDL2 device callback, the file driver's output thread).
ctest --preset tsan -j "$jobs" -L platform -R '^(SdlSound|FileSound)'
# The SDL2 mouse with input arriving on the display's host thread, and the program drawing on the
# screen while the host thread presents it.
ctest --preset tsan -j "$jobs" --no-tests=error \
  -R '^(SdlMouseThreadsTest\.|SdlDisplayTest\.DrawingWithoutPause)'

echo "== ThreadSanitizer build of the simulated Mac OS X build's tests"
# Among them the render and Sound Manager call-backs on the simulated output's thread, the event
# loop feeding the mouse and keyboard from its own thread while the program reads them, and the
# window update copying the screen while the program draws. The fatal-signal tests are left out:
# the Mac handler shuts the library down inside the signal, which ThreadSanitizer reports as such.
cmake --preset macosx-tsan
cmake --build --preset macosx-tsan --target macosx_tests
ctest --preset macosx-tsan -j "$jobs" --no-tests=error -E 'AFatalSignal'

if [ -x fuzz/run ]; then
  echo "== fuzz smoke runs"
  fuzz/run --smoke
fi
echo "== all tests passed"
