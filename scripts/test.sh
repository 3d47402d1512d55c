#!/usr/bin/env bash
# Sets up, configures, builds with warnings as errors and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORV_WERROR=ON
cmake --build build
ctest --test-dir build --output-on-failure -j2 --timeout 300
