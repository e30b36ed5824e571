#!/usr/bin/env bash
# Installs the headless browser the HTML player's browser test drives.
# Separate from install-deps.sh: building and the other tests do not need it,
# and without it that test skips. Idempotent and quiet when it is present.
set -euo pipefail

package=chromium-headless-shell
if dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then exit 0; fi

echo "install-browser: installing $package" >&2
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq >/dev/null
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "$package" >/dev/null
