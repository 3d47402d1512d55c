#!/usr/bin/env bash
# Installs what is missing, builds, makes a demo station and runs the
# station's main job on it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build
echo "demo: the station program is not built yet; the build above is what exists so far."
