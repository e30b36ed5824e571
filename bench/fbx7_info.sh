#!/usr/bin/env bash
# `boneplay info` of a binary 7500 file as a whole process, its arrays
# deflated (as convert writes them) and raw: the generated 61-joint clip
# (FRAMES frames, default 25000: about 60 MB raw) written by fbx7_clip, then
# /usr/bin/time -v on each, with the machine's load beside each figure.
# Usage: bench/fbx7_info.sh BUILD_DIR [FRAMES]   (a Release build)
set -euo pipefail
build=${1:?usage: bench/fbx7_info.sh BUILD_DIR [FRAMES]}
frames=${2:-25000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bench/bvh_clip" write "$work/c.bvh" 61 "$frames"
for form in deflated raw; do
  "$build/bench/fbx7_clip" write "$work/c.bvh" "$work/c_$form.fbx" "$form" 7500
  size=$(stat -c %s "$work/c_$form.fbx")
  for run in 1 2 3; do
    load=$(cut -d' ' -f1-3 /proc/loadavg)
    /usr/bin/time -v "$build/boneplay" info "$work/c_$form.fbx" >/dev/null 2>"$work/time.txt"
    wall=$(grep 'Elapsed (wall clock)' "$work/time.txt" | awk '{print $NF}' | awk -F: '{print $(NF-1)*60 + $NF}')
    cpu=$(awk '/User time|System time/ {s += $NF} END {print s}' "$work/time.txt")
    rss=$(awk '/Maximum resident/ {print $NF}' "$work/time.txt")
    awk -v f="$form" -v b="$size" -v w="$wall" -v c="$cpu" -v r="$rss" -v l="$load" 'BEGIN {
      printf "%-8s %6.1f MB  wall %.2f s (%.0f MB/s)  cpu %.2f s (%.0f MB/s)  peak %.0f MB  load %s\n",
        f, b / 1e6, w, b / 1e6 / w, c, b / 1e6 / c, r / 1024, l }'
  done
  "$build/bench/fbx7_clip" read "$work/c_$form.fbx"
done
