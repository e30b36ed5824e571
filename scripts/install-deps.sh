#!/usr/bin/env bash
# Installs the Debian packages Boneplay needs to build, test and render, and
# any further packages named as arguments (the CI scripts name theirs).
# --no-recommends before the names leaves out what packages only recommend;
# a NAME:i386 package turns on the i386 architecture first.
# Idempotent: does nothing (and says nothing) when everything is present.
set -euo pipefail

options=()
if [ "${1:-}" = "--no-recommends" ]; then
  options+=(--no-install-recommends)
  shift
fi

packages=(
  cmake ninja-build g++ pkg-config
  flex bison
  libboost-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libpng-dev libgif-dev
  nlohmann-json3-dev libcli11-dev
  binutils
  "$@"
)

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
# The architecture must be known before the package lists are fetched.
if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo_cmd[@]}" dpkg --add-architecture i386
fi
"${sudo_cmd[@]}" apt-get update -qq >/dev/null
"${sudo_cmd[@]}" apt-get install -y -qq "${options[@]}" "${missing[@]}" >/dev/null
