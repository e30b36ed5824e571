#!/usr/bin/env bash
# What the Windows build needs beyond the build's own packages: the MinGW-w64
# i686 cross-compiler and GoogleTest's sources, and, to run the tests, either
# 32-bit Wine (route 32: i386 architecture) or the x86-64 cross-compiler and
# 64-bit Wine for the 64-bit test build (route 64).
# Usage: scripts/install-windows-deps.sh [32|64]   (default: 32 where the
# machine executes 32-bit x86 code, else 64). Idempotent.
set -euo pipefail
cd "$(dirname "$0")/.."
route=${1:-}
if [ -z "$route" ]; then
  if scripts/runs-i386.sh; then route=32; else route=64; fi
fi
packages=(g++-mingw-w64-i686 binutils-mingw-w64-i686 googletest)
if [ "$route" = 32 ]; then
  packages+=(wine wine32:i386)
else
  packages+=(g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 wine64)
fi
# Wine's recommended extras (fonts, sound, graphics drivers) are not needed to
# run console test programs and would more than double the download.
exec scripts/install-deps.sh --no-recommends "${packages[@]}"
