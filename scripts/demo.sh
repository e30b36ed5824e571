#!/usr/bin/env bash
# The main job on the bundled sample: builds boneplay and its module, then
# plays the walk clip through the module and draws it as an animated GIF.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
build=${BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DBONEPLAY_WERROR=ON >/dev/null
cmake --build "$build" -j 2 --target boneplay_cli boneplay >/dev/null
mkdir -p out
"$build/boneplay" render samples/walk.bvh -o out/walk.gif
"$build/boneplay" render samples/walk.bvh -o out/walk.png --view side
echo "The walk clip as the module draws it: out/walk.gif (animated) and out/walk.png (contact sheet)"
