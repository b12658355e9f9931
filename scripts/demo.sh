#!/usr/bin/env bash
# Installs what is missing, builds the library and the demonstration program, and runs it.
# On a desktop the greeting opens in a window; without a display it renders headless and a key
# on standard input ends it. Arguments are passed to the program.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset dev >/dev/null
cmake --build --preset dev --target demo
exec build/dev/demo/demo "$@"
