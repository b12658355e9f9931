#!/usr/bin/env bash
# Makes the examples' pictures under docs/images/ anew: builds the examples, runs each one
# headless for its fixed number of frames (the CTest tests labelled "examples" say how many),
# and copies each screenshot over the committed picture. Look at the pictures before committing
# them: the tests take them as the truth from then on.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset dev >/dev/null
cmake --build --preset dev --target all_examples example_image_check
CORVANE_UPDATE_EXAMPLE_IMAGES=1 ctest --preset dev -L examples "$@"
