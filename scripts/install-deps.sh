#!/usr/bin/env bash
# Installs the Debian packages Boneplay needs to build, test and render, and
# any further packages named as arguments (the CI scripts name theirs).
# Idempotent: does nothing (and says nothing) when everything is present.
set -euo pipefail

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
"${sudo_cmd[@]}" apt-get update -qq >/dev/null
"${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
