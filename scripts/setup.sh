#!/usr/bin/env bash
# Installs every Debian package the build and the tests need. Safe to run
# again: it only asks apt when something is missing.
set -euo pipefail
packages=(
  g++ cmake ninja-build pkg-config clang-format
  libgtest-dev libgmock-dev libbenchmark-dev
  libcurl4-openssl-dev
  libcups2-dev cups
  qt6-base-dev fonts-dejavu-core
  dpkg-dev lintian systemd man-db
)
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
