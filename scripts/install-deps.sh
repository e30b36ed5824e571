#!/usr/bin/env bash
# Installs the Debian packages Boneplay needs to build, test and render, and
# any further packages named as arguments (the CI scripts name theirs).
# --no-recommends before the names leaves out what packages only recommend;
# a NAME:i386 package turns on the i386 architecture first.
# Idempotent: does nothing (and says nothing) when everything is present.
#
# Mirrors have bad moments ("File has unexpected size ... Mirror sync in
# progress?"): the package lists are fetched up to APT_UPDATE_TRIES times
# (default 3) with APT_RETRY_PAUSE seconds between (default 10), and when an
# index still fails the install goes ahead with the lists there are. A
# package that then cannot be installed is named with apt's reason.
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
  zlib1g-dev
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

tries=${APT_UPDATE_TRIES:-3}
pause=${APT_RETRY_PAUSE:-10}
log=$(mktemp)
trap 'rm -f "$log"' EXIT
updated=0
for ((try = 1; try <= tries; try++)); do
  if "${sudo_cmd[@]}" apt-get update -qq >"$log" 2>&1; then
    updated=1
    break
  fi
  echo "install-deps: apt-get update failed (try $try of $tries): $(grep -m1 -E '^(E|W):' "$log" || tail -1 "$log")" >&2
  [ "$try" -lt "$tries" ] && sleep "$pause"
done
[ "$updated" -eq 1 ] || echo "install-deps: going on with the package lists this machine has" >&2

if "${sudo_cmd[@]}" apt-get install -y -qq "${options[@]}" "${missing[@]}" >"$log" 2>&1; then
  exit 0
fi
# Say which packages cannot be had, and why, one by one.
status=0
for p in "${missing[@]}"; do
  if ! "${sudo_cmd[@]}" apt-get install -y -qq "${options[@]}" "$p" >"$log" 2>&1; then
    echo "install-deps: cannot install $p: $(grep -m1 -E '^E:' "$log" || tail -1 "$log")" >&2
    status=1
  fi
done
exit $status
