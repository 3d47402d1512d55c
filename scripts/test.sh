#!/usr/bin/env bash
# Sets up, checks the formatting, configures, builds with warnings as errors
# and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh --tests
# Every C++ file of the project, committed or new, in the style of .clang-format.
git ls-files -z --cached --others --exclude-standard '*.cc' '*.h' |
  xargs -0 clang-format --dry-run --Werror
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORV_WERROR=ON -DKORV_TESTS=ON
cmake --build build
ctest --test-dir build --output-on-failure -j2 --timeout 300
