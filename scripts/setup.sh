#!/usr/bin/env bash
# Installs the Debian packages the build needs. Safe to run again: it only
# asks apt when something is missing.
#   scripts/setup.sh           what the station and korvtool need (the demo)
#   scripts/setup.sh --tests   and what the tests, the benchmarks and the
#                              package's checks need (scripts/test.sh);
#                              FUSE for the share that waits on every call
set -euo pipefail
packages=(
  g++ cmake ninja-build pkg-config
  libcurl4-openssl-dev
  libcups2-dev
  libsystemd-dev
  qt6-base-dev fonts-dejavu-core
)
if [ "${1:-}" = "--tests" ]; then
  packages+=(
    clang-format
    libgtest-dev libgmock-dev libbenchmark-dev
    libfuse3-dev fuse3
    cups
    dpkg-dev lintian systemd man-db desktop-file-utils
  )
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  apt-get install -y "${missing[@]}"
else
  echo "setup: all packages present"
fi
