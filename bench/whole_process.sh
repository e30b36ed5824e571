#!/usr/bin/env bash
# Loading at speed, measured as a user runs it: `boneplay info` of the
# generated 61-joint clip, whole process (/usr/bin/time), median of RUNS runs
# (default 5), beside each goal:
#   binary 6.1 FBX of FRAMES frames as `convert` writes it (FRAMES default
#     16000, about 60 MB; also 5000, 19 MB): MB/s >= 300, peak memory <= the
#     file's size + 64 MB;
#   the same clip as ASCII FBX (`convert --ascii`): MB/s >= 130;
#   the 20000-frame BVH clip (38 MB): its time against the floor, reading the
#     file and converting every number with std::from_chars (bench_bvh's
#     NumberFloor, median of RUNS): at least 60 % of the floor's speed.
# The load average is printed with each row: the machine's other work slows
# every elapsed figure, beside which the processor seconds (user and system)
# the process itself used are printed.
# Usage: bench/whole_process.sh (BUILD_DIR: a Release build folder, default
# build; JOBS: its build jobs, default 2; BONEPLAY: another program to
# measure on the same inputs, such as an earlier build's).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
runs=${RUNS:-5}
frames=${FRAMES:-16000}
cmake --build "$build" -j"${JOBS:-2}" --target boneplay bvh_clip bench_bvh >/dev/null
convert=$build/boneplay
boneplay=${BONEPLAY:-$convert}
work=$(mktemp -d "${TMPDIR:-/tmp}/whole_process.XXXXXX")
trap 'rm -rf "$work"' EXIT

# The inputs: the clips, and their conversions.
"$build/bench/bvh_clip" write "$work/c20000.bvh" 61 20000
for n in 5000 "$frames"; do
  "$build/bench/bvh_clip" write "$work/c$n.bvh" 61 "$n"
  "$convert" convert "$work/c$n.bvh" -o "$work/c$n.fbx" >/dev/null
done
"$convert" convert "$work/c$frames.bvh" --ascii -o "$work/c$frames-ascii.fbx" >/dev/null

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
load() { cut -d' ' -f1-3 /proc/loadavg; }

# Median elapsed seconds, peak kilobytes and processor seconds (user and
# system) of `boneplay info FILE`.
measure() {
  local times=() peaks=() cpus=()
  for ((i = 0; i < runs; i++)); do
    read -r seconds kilobytes user system < <(/usr/bin/time -f "%e %M %U %S" "$boneplay" info "$1" 2>&1 >/dev/null |
      tail -1)
    times+=("$seconds")
    peaks+=("$kilobytes")
    cpus+=("$(awk -v u="$user" -v s="$system" 'BEGIN { print u + s }')")
  done
  printf '%s %s %s\n' "$(printf '%s\n' "${times[@]}" | median)" "$(printf '%s\n' "${peaks[@]}" | median)" \
    "$(printf '%s\n' "${cpus[@]}" | median)"
}

printf '%-28s %7s %8s %6s %-11s %7s %8s %-11s %s\n' "boneplay info of" "file MB" "seconds" "MB/s" "goal" "cpu s" \
  "peak MB" "goal" "load"
row() {  # label, file, MB/s goal (empty: none), peak goal in MB beyond the file (empty: none)
  local size seconds kilobytes cpu
  size=$(stat -c %s "$2")
  read -r seconds kilobytes cpu < <(measure "$2")
  awk -v label="$1" -v size="$size" -v s="$seconds" -v kb="$kilobytes" -v cpu="$cpu" -v rate="$3" -v extra="$4" \
    -v load="$(load)" 'BEGIN {
       mb = size / 1e6; peak = kb * 1024 / 1e6
       rateGoal = rate == "" ? "" : sprintf(">= %d %s", rate, (mb / s >= rate ? "met" : "MISSED"))
       peakGoal = extra == "" ? "" : sprintf("<= %.0f %s", mb + extra, (peak <= mb + extra ? "met" : "MISSED"))
       printf "%-28s %7.1f %8.3f %6.0f %-11s %7.3f %8.1f %-11s %s\n", label, mb, s, mb / s, rateGoal, cpu, peak,
              peakGoal, load
     }'
}
row "binary FBX, 5000 frames" "$work/c5000.fbx" 300 64
row "binary FBX, $frames frames" "$work/c$frames.fbx" 300 64
row "ASCII FBX, $frames frames" "$work/c$frames-ascii.fbx" 130 ""
row "BVH, 20000 frames" "$work/c20000.bvh" "" ""

# The BVH row against the floor.
bvh_seconds=$(measure "$work/c20000.bvh" | cut -d' ' -f1)
floor_ms=$("$build/bench/bench_bvh" --benchmark_filter=NumberFloor --benchmark_repetitions="$runs" \
  --benchmark_report_aggregates_only=true 2>/dev/null | awk '/_median/ { print $2 }')
awk -v s="$bvh_seconds" -v floor="$floor_ms" -v load="$(load)" 'BEGIN {
  share = floor / 1000 / s
  printf "BVH whole process %.3f s, the floor %.3f s: %.0f %% of the floor (goal >= 60 %%: %s); load %s\n",
         s, floor / 1000, 100 * share, (share >= 0.6 ? "met" : "MISSED"), load
}'
