#!/usr/bin/env bash
# Builds the libraries, the module and their tests as 32-bit x86 Linux
# programs (build-i686/, Debian's multilib GCC), the word size of the module
# the host loads, and runs the tests: natively where the machine executes
# 32-bit code, under qemu-i386 (Debian's qemu-user) where it does not.
# I686_ROUTE=qemu forces the emulator (to check that route on any machine).
# Prints the route taken and the count of tests passed.
# Usage: scripts/build-i686.sh   (JOBS overrides the build's parallel jobs)
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${JOBS:-2}
route=${I686_ROUTE:-}
if [ -z "$route" ]; then
  if scripts/runs-i386.sh; then route=native; else route=qemu; fi
fi
packages=(g++-multilib googletest)
emulator=
if [ "$route" = qemu ]; then
  packages+=(qemu-user)
  emulator=qemu-i386
fi
scripts/install-deps.sh --no-recommends "${packages[@]}"
build=${BUILD_DIR:-build-i686}
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/linux-i686.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DBONEPLAY_WERROR=ON -DBONEPLAY_I386_EMULATOR="$emulator" >/dev/null
cmake --build "$build" -j "$jobs"
# The programs must really be 32-bit, whichever route runs them.
# (byte 4 of an ELF file is its class: 1 for 32-bit)
if [ "$(od -An -tx1 -j4 -N1 "$build/boneplay.so" | tr -d ' ')" != 01 ]; then
  echo "build-i686: $build/boneplay.so is not a 32-bit program" >&2
  exit 1
fi
log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0
ctest --test-dir "$build" --output-on-failure -j "$jobs" | tee "$log" || status=$?
echo "build-i686: route $route; $(grep -E 'tests passed' "$log" || echo 'no test summary')"
exit $status
