#!/usr/bin/env bash
# Builds and draws one kitchen ticket as two ticket printers print it:
# docs/ticket-80mm.png (an 80 mm thermal printer, 48 columns) and
# docs/ticket-58mm.png (a 58 mm one, 32 columns). For each, a demo station in
# a temporary folder sends its first demo order (with a longer item text)
# to a main kitchen printer that is a plain file, and the picture is drawn
# from the bytes the printer would have received. Nothing is printed.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --target korvtool korv-delayed-send
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p docs
for paper in 80mm:48 58mm:32; do
  name="${paper%%:*}"
  columns="${paper##*:}"
  root="$work/$name"
  build/korvtool init --root "$root" --demo >/dev/null
  orders="$root/f/KORVAIN/PhoneOrders"
  # One ticket: the other due orders go, and the burger gets a longer text.
  rm -f "$orders"/DS2.* "$orders"/DS3.*
  sed -i 's/|CHEESEBURGER MED|/|CHEESEBURGER MED-RARE, AGED CHEDDAR AND SWEET POTATO FRIES|/' \
    "$orders/DS1.Pio"
  touch "$root/f/KORVAIN/data/RED.DAT"  # highlighted instructions print red
  : >"$work/$name.prn"
  sed -i "s#^KITCHEN1 .*#KITCHEN1 TM-T88 = device:$work/$name.prn ; red ; columns=$columns#" \
    "$root/c/Korvain/printers.conf"
  build/korv-delayed-send --root "$root" --headless --once 2>/dev/null
  build/korvtool preview "$work/$name.prn" --columns "$columns" --out "docs/ticket-$name.png"
done
