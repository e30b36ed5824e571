#!/usr/bin/env bash
# Makes samples/walk.fbx from the bundled walk clip with boneplay convert,
# which reads the written file back and checks it poses like the clip.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DBONEPLAY_WERROR=ON >/dev/null
cmake --build "$build" -j 2 --target boneplay_cli >/dev/null
"$build/boneplay" convert samples/walk.bvh -o samples/walk.fbx
