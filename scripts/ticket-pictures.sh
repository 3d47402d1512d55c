#!/usr/bin/env bash
# Builds and draws one kitchen ticket as two ticket printers print it:
# docs/ticket-80mm.png (an 80 mm thermal printer, 48 columns) and
# docs/ticket-58mm.png (a 58 mm one, 32 columns). For each, a demo station in
# a temporary folder sends its first demo order (with a longer item text)
# to a main kitchen printer that is a plain file, and the picture is drawn
# from the bytes the printer would have received. Then the same ticket as the
# kitchen sees it on a backup printer (docs/ticket-backup.png: its kitchen
# printer cannot be reached, so its ticket goes to the bar printer after a
# second) and as a possible repeat (docs/ticket-repeat.png: a spooled ticket
# found marked as being handed to its printer when the station starts).
# Nothing is printed.
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

# The backup: the kitchen printer is a device that is not there.
root="$work/backup"
build/korvtool init --root "$root" --demo >/dev/null
rm -f "$root/f/KORVAIN/PhoneOrders"/DS2.* "$root/f/KORVAIN/PhoneOrders"/DS3.*
sed -i "s#^KITCHEN1 .*#KITCHEN1 TM-U220 = device:$work/none.prn ; backup=SPARE ; backup_after=1#" \
  "$root/c/Korvain/printers.conf"
echo "SPARE TM-T88 = device:$work/spare.prn" >>"$root/c/Korvain/printers.conf"
: >"$work/spare.prn"
build/korv-delayed-send --root "$root" --headless --once 2>/dev/null
build/korvtool preview "$work/spare.prn" --out docs/ticket-backup.png

# The repeat: the 80 mm ticket, spooled again and marked, goes out at a start.
root="$work/80mm"
spool="$root/c/Korvain/spool/kitchen1-tm-t88"
mkdir -p "$spool"
cp "$work/80mm.prn" "$spool/000001.job"
: >"$spool/000001.sending"
: >"$work/repeat.prn"
rm -f "$root/f/KORVAIN/PhoneOrders"/DS*.*
sed -i "s#device:$work/80mm.prn#device:$work/repeat.prn#" "$root/c/Korvain/printers.conf"
build/korv-delayed-send --root "$root" --headless --once 2>/dev/null
build/korvtool preview "$work/repeat.prn" --columns 48 --out docs/ticket-repeat.png
