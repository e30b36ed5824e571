#!/usr/bin/env bash
# Installs the headless browser the HTML player's browser test drives.
# Separate from the build's own packages: building and the other tests do not
# need it, and without it that test skips. Idempotent and quiet when present.
set -euo pipefail
cd "$(dirname "$0")/.."
exec scripts/install-deps.sh chromium-headless-shell
