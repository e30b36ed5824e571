#!/usr/bin/env bash
# What the Windows build needs beyond the build's own packages: the MinGW-w64
# i686 cross-compiler, GoogleTest's sources and, to run the tests, 32-bit Wine
# (i386 architecture); on a machine that cannot execute 32-bit x86 code, the
# x86-64 cross-compiler and 64-bit Wine for the 64-bit test build instead.
# Idempotent.
set -euo pipefail
cd "$(dirname "$0")/.."
packages=(g++-mingw-w64-i686 binutils-mingw-w64-i686 googletest)
if scripts/runs-i386.sh; then
  packages+=(wine wine32:i386)
else
  packages+=(g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 wine64)
fi
# Wine's recommended extras (fonts, sound, graphics drivers) are not needed to
# run console test programs and would more than double the download.
exec scripts/install-deps.sh --no-recommends "${packages[@]}"
