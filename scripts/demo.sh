#!/usr/bin/env bash
# The main job on the bundled samples: builds boneplay and its module, then
# plays the walk clip (BVH, and the same clip as FBX) through the module and
# draws it as animated GIFs.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
build=${BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DBONEPLAY_WERROR=ON >/dev/null
cmake --build "$build" -j 2 --target boneplay_cli boneplay >/dev/null
mkdir -p out
"$build/boneplay" render samples/walk.bvh -o out/walk.gif
"$build/boneplay" render samples/walk.bvh -o out/walk.png --view side
"$build/boneplay" render samples/walk.fbx -o out/walk-fbx.gif
echo "The walk clip as the module draws it: out/walk.gif (animated), out/walk.png (contact sheet)"
echo "and, read from FBX, out/walk-fbx.gif"
