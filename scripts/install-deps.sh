#!/usr/bin/env bash
# Installs the Debian packages Boneplay needs to build, test and render.
# With --windows, also what the Windows DLL needs: the MinGW-w64 i686
# cross-compiler, GoogleTest's sources and, to run the tests, 32-bit Wine
# (i386 architecture) -- or, on a machine that cannot execute 32-bit x86 code,
# the x86-64 cross-compiler and 64-bit Wine for the 64-bit test build.
# Idempotent: does nothing (and says nothing) when everything is present.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  cmake ninja-build g++ pkg-config
  flex bison
  libboost-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libpng-dev libgif-dev
  nlohmann-json3-dev libcli11-dev
  binutils
)
windows=0
if [ "${1:-}" = "--windows" ]; then
  windows=1
  # googletest: its sources, cross-built with the tests.
  packages+=(g++-mingw-w64-i686 binutils-mingw-w64-i686 googletest)
  if scripts/runs-i386.sh; then
    packages+=(wine wine32:i386)
  else
    packages+=(g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 wine64)
  fi
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "install-deps: installing ${missing[*]}" >&2
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
# wine32 is an i386 package: the architecture must be known before the update.
if [[ " ${missing[*]} " == *" wine32:i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo_cmd[@]}" dpkg --add-architecture i386
fi
"${sudo_cmd[@]}" apt-get update -qq >/dev/null
# Wine's recommended extras (fonts, media, debugging) are not needed to run
# console test programs and would triple the download.
options=()
if [ $windows -eq 1 ]; then options+=(--no-install-recommends); fi
"${sudo_cmd[@]}" apt-get install -y -qq "${options[@]}" "${missing[@]}" >/dev/null
