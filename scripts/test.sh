#!/usr/bin/env bash
# Installs dependencies, configures, builds and runs the whole test suite.
# Usage: scripts/test.sh [extra cmake options]   (BUILD_DIR overrides the build folder)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
build=${BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DBONEPLAY_WERROR=ON "$@" >/dev/null
cmake --build "$build" -j 2
ctest --test-dir "$build" --output-on-failure -j 2
