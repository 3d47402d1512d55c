#!/usr/bin/env bash
# Builds, makes a demo station in a temporary folder and saves pictures of
# the station's window: docs/window.png (the pending orders),
# docs/order-view.png (the first order opened), docs/attention.png (the
# kitchen printer off: the state line) and docs/printers.png (the printers
# window then). The window is drawn offscreen, so no display is needed; no
# order is sent and nothing is printed.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --target korvtool korv-screenshot
root="$(mktemp -d)"
trap 'rm -rf "$root"' EXIT
build/korvtool init --root "$root" --demo >/dev/null
mkdir -p docs
build/korv-screenshot --root "$root" --out docs/window.png --view-first-order docs/order-view.png \
  --attention docs/attention.png --printers docs/printers.png
