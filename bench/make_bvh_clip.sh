#!/usr/bin/env bash
# Writes the reader benchmark's clip (61 joints x 20000 frames, about 38 MB,
# seed 1 unless given) for runs by hand and as a fuzz seed; the benchmark
# makes the same clip in memory by itself.
# Usage: bench/make_bvh_clip.sh OUT.bvh [JOINTS [FRAMES [SEED]]]   (BUILD_DIR: the build folder, default build)
set -euo pipefail
[ $# -ge 1 ] || { echo "usage: $0 OUT.bvh [JOINTS [FRAMES [SEED]]]" >&2; exit 2; }
out=$(realpath -m "$1")
shift
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
cmake --build "$build" -j1 --target bvh_clip >/dev/null
exec "$build/bench/bvh_clip" write "$out" "$@"
