#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer in
# its own folder (build-asan) and runs every test under them: a read past a
# buffer, a use after free, a leak or undefined behaviour fails its test.
# Not part of CI (it takes several times as long as scripts/test.sh).
#   scripts/sanitize-test.sh [CTEST ARGS...]   e.g. -R Dispatch
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh --tests
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORV_WERROR=ON \
  -DKORV_TESTS=ON -DKORV_SANITIZE=ON
cmake --build build-asan -j2
# The crash test preloads the file-system call counter into the station,
# ahead of the sanitizer's own library: allowed. Leaks are said with the
# whole stack, except fontconfig's (testing/lsan.supp), which keeps its
# caches until the process ends.
export ASAN_OPTIONS=verify_asan_link_order=0:detect_leaks=1:abort_on_error=0:strict_string_checks=1
export LSAN_OPTIONS="suppressions=$PWD/testing/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir build-asan --output-on-failure -j2 --timeout 900 "$@"
