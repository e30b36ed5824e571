#!/usr/bin/env bash
# What CI needs beyond scripts/install-deps.sh: clang with its libFuzzer and
# sanitizer runtimes, and clang-format. Idempotent.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
packages=(clang libclang-rt-dev clang-format)
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "install-ci-deps: installing ${missing[*]}" >&2
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq >/dev/null
"${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
