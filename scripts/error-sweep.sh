#!/usr/bin/env bash
# Fails every file-system call of a pass that sends three orders, one call
# after the other (a full disk, an I/O error or a refused permission; that
# call alone or every call from it on, in turn), then clears the fault and
# runs the station again, checking each time that no order was logged SENT
# without its tickets, that the faulted run ended and said what failed, and
# that the run after it leaves what a pass that never failed leaves (the
# test suite tries an even sample of 24 of the calls). Ends with the line
# "error points: tried N, held N". Takes several minutes.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh --tests
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORV_WERROR=ON -DKORV_TESTS=ON
cmake --build build --target korv_crash_test korv-delayed-send korv_fs_calls
KORV_TEST_BIN_DIR="$PWD/build" KORV_ERROR_POINTS=all build/korv_crash_test \
  --gtest_filter='ErrorTest.*'
