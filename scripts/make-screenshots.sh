#!/usr/bin/env bash
# Makes the pictures in docs/ that the README shows: the HTML player in a
# headless browser, a labelled contact sheet, and the animated walk.
# Needs the browser (scripts/install-browser.sh); BUILD_DIR overrides the build folder.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/install-browser.sh
build=${BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DBONEPLAY_WERROR=ON >/dev/null
cmake --build "$build" -j 2 --target boneplay_cli boneplay >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/boneplay" render samples/walk.bvh -o "$work/walk.html"
"$build/boneplay" render samples/walk.bvh -o docs/contact-sheet.png --size 640x400
"$build/boneplay" render samples/walk.bvh -o docs/walk.gif --size 480x360

browser=$(command -v chromium-headless-shell || command -v chromium)
# The player at frame 50, the way a user sees it after dragging the slider there.
TMPDIR="$work" HOME="$work" "$browser" --headless --no-sandbox --disable-gpu --disable-background-networking \
  --disable-component-update --disable-sync --no-first-run --hide-scrollbars --force-device-scale-factor=1 \
  --user-data-dir="$work/profile" --window-size=660,580 --virtual-time-budget=500 \
  --screenshot="$PWD/docs/player.png" "file://$work/walk.html#frame=50" 2>/dev/null
echo "wrote docs/player.png, docs/contact-sheet.png and docs/walk.gif"
