#!/usr/bin/env bash
# The main job on the bundled sample: builds boneplay and shows the walk clip.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
build=${BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja >/dev/null
cmake --build "$build" -j 2 --target boneplay_cli >/dev/null
mkdir -p out
"$build/boneplay" info samples/walk.bvh
"$build/boneplay" pose samples/walk.bvh --times 0,0.5,1,1.5,2 > out/walk-pose.json
echo "Joint transforms of samples/walk.bvh at 0, 0.5, 1, 1.5 and 2 s: out/walk-pose.json"
