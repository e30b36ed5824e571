#!/usr/bin/env bash
# Builds the fuzz targets with clang (every library instrumented, address and
# undefined-behaviour sanitizers) and runs each one for a short while over its
# seed corpus. Fails on any finding, or when a target reaches fewer than
# MIN_EDGES coverage edges (a sign that the libraries were not instrumented).
# Usage: scripts/fuzz-smoke.sh [SECONDS per target]   (skipped without clang)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
min_edges=${MIN_EDGES:-500}
if ! command -v clang++ >/dev/null; then
  echo "fuzz-smoke: clang++ is not installed; skipped"
  exit 0
fi
build=${FUZZ_BUILD_DIR:-build-fuzz}
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DBONEPLAY_FUZZ=ON -DBONEPLAY_BENCH=OFF -DBONEPLAY_WERROR=ON >/dev/null
# Everything the fuzz configuration holds is built, the seed makers and the
# tests with it, so that a target that no longer links fails here.
cmake --build "$build" -j 2
targets=$(cd fuzz && ls fuzz_*.cpp | sed 's/\.cpp$//')
status=0
for t in $targets; do
  # The seed corpus is named after the target (fuzz_bvh: corpus_bvh,
  # fuzz_fbx_structure: corpus_fbx_structure) or after its format alone
  # (fuzz_fbx_container: corpus_fbx).
  corpus=fuzz/corpus_${t#fuzz_}
  [ -d "$corpus" ] || corpus=fuzz/corpus_$(echo "${t#fuzz_}" | cut -d_ -f1)
  work=$(mktemp -d)
  [ -d "$corpus" ] && cp -r "$corpus"/. "$work"/
  log="$build/$t.smoke.log"
  if ! "$build/fuzz/$t" -max_total_time="$seconds" -close_fd_mask=3 -print_final_stats=1 \
      -artifact_prefix="$build/$t-" "$work" >"$log" 2>&1; then
    echo "fuzz-smoke: $t reported a finding:"
    tail -40 "$log"
    status=1
  fi
  edges=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | awk '{print $2}')
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | awk '{print $2}')
  echo "fuzz-smoke: $t: ${runs:-?} inputs in ${seconds} s, ${edges:-0} coverage edges"
  if [ "${edges:-0}" -lt "$min_edges" ]; then
    echo "fuzz-smoke: $t reached fewer than $min_edges edges"
    status=1
  fi
  rm -rf "$work"
done
exit $status
