#!/usr/bin/env bash
# Kills the station at every file-system call of a pass that sends three
# orders, one call after the other, starts it again each time and checks
# everything it left against a pass that was never killed (the test suite's
# crash test tries an even sample of 150 of the calls). Ends with the line
# "crash points: tried N, held N". Takes several minutes.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh --tests
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORV_WERROR=ON -DKORV_TESTS=ON
cmake --build build --target korv_crash_test korv-delayed-send korv_fs_calls
KORV_TEST_BIN_DIR="$PWD/build" KORV_CRASH_POINTS=all build/korv_crash_test --gtest_filter='CrashTest.*'
