#!/usr/bin/env bash
# Installs what is missing, builds, makes a demo station in ./demo and runs
# the station's main job on it: one dispatch pass that sends every due order.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
# The two programs only; scripts/test.sh builds the tests too.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --target korv-delayed-send korvtool
demo="$PWD/demo"
rm -rf "$demo"
echo
echo "== Making the demo station in $demo"
build/korvtool init --root "$demo" --demo
echo
echo "== Pending delayed orders before the pass"
build/korvtool orders --root "$demo"
echo
echo "== One dispatch pass (korv-delayed-send --root demo --headless --once)"
build/korv-delayed-send --root "$demo" --headless --once
echo
echo "== Pending delayed orders after the pass"
build/korvtool orders --root "$demo"
echo
echo "== Tickets printed (each printer is a dir: folder under demo/c/Korvain/printed)"
for dir in "$demo"/c/Korvain/printed/*/; do
  n=$(find "$dir" -name '*.txt' | wc -l)
  printf '  %-10s %s ticket(s)\n' "$(basename "$dir")" "$n"
done
first=$(find "$demo/c/Korvain/printed/kitchen1" -name '*.txt' | sort | head -n 1)
if [ -n "$first" ]; then
  echo
  echo "== The first kitchen ticket ($first)"
  tr -d '\r' < "$first"
fi
echo
echo "Phone orders, archive and log: $demo/f/KORVAIN/PhoneOrders"
