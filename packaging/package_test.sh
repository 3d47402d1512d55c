#!/usr/bin/env bash
# The Debian package as a restaurant installs it: made by cpack from the
# built tree BUILD, then looked into without installing it. Its contents,
# dependencies and maintainer scripts, the packaged programs run from the
# unpacked tree, the unit verified by systemd-analyze, and lintian's verdict.
#   packaging/package_test.sh BUILD
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
arch=$(dpkg --print-architecture)
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log" >&2; exit 1; }
deb="$work/out/korv-delayed-send_${version}_${arch}.deb"
[ -f "$deb" ] || { ls "$work/out" >&2; fail "no $deb"; exit 1; }

# Contents, in their Debian places.
dpkg-deb -c "$deb" | awk '{print $6}' >"$work/contents"
for path in ./usr/bin/korv-delayed-send ./usr/bin/korvtool \
  ./lib/systemd/system/korv-delayed-send.service \
  ./etc/xdg/autostart/korv-delayed-send.desktop \
  ./usr/share/applications/korv-delayed-send.desktop \
  ./usr/share/icons/hicolor/scalable/apps/korv-delayed-send.svg \
  ./usr/share/man/man1/korv-delayed-send.1.gz ./usr/share/man/man1/korvtool.1.gz \
  ./usr/share/man/man5/printers.conf.5.gz ./usr/share/man/man5/mail.conf.5.gz \
  ./usr/share/man/man5/station.conf.5.gz ./usr/share/man/man5/korvini.dat.5.gz \
  ./usr/share/doc/korv-delayed-send/examples/printers.conf \
  ./usr/share/doc/korv-delayed-send/examples/mail.conf \
  ./usr/share/doc/korv-delayed-send/copyright ./usr/share/doc/korv-delayed-send/changelog.gz; do
  grep -qxF "$path" "$work/contents" || fail "the package lacks $path"
done
grep -q '^\./usr/local' "$work/contents" && fail "the package installs under /usr/local"

# Dependencies: computed from the programs, and what the scripts call.
depends=$(dpkg-deb -f "$deb" Depends)
for lib in adduser libc6 libstdc++6 libqt6widgets6 libcups2 libcurl4 libsystemd0; do
  [[ ", $depends," == *", $lib "* || ", $depends," == *", $lib,"* ]] ||
    fail "Depends lacks $lib: $depends"
done
dpkg-deb -e "$deb" "$work/control"
grep -qxF /etc/xdg/autostart/korv-delayed-send.desktop "$work/control/conffiles" ||
  fail "the autostart entry is not a conffile"
for script in postinst prerm postrm; do
  sh -n "$work/control/$script" || fail "$script is not a shell script"
done
grep -q 'adduser --quiet korvain lp' "$work/control/postinst" ||
  fail "postinst does not put the station's user in the group lp"
grep -qE 'systemctl (--system )?(enable|start)|deb-systemd-helper enable|deb-systemd-invoke start' \
  "$work/control/postinst" && fail "installing must not enable or start the service"
grep -q 'rm -' "$work/control/postrm" && fail "postrm must leave the station's data"

# The packaged programs run from the unpacked tree.
root="$work/root"
dpkg-deb -x "$deb" "$root"
[ "$("$root/usr/bin/korv-delayed-send" --version)" = "korv-delayed-send $version" ] ||
  fail "korv-delayed-send --version"
[ "$("$root/usr/bin/korvtool" --version)" = "korvtool $version" ] || fail "korvtool --version"
"$root/usr/bin/korv-delayed-send" --help >"$work/help" || fail "korv-delayed-send --help"
"$root/usr/bin/korvtool" --help-all >"$work/help-all" || fail "korvtool --help-all"
"$root/usr/bin/korvtool" init --root "$work/station" >/dev/null || fail "korvtool init"
"$root/usr/bin/korv-delayed-send" --root "$work/station" --once 2>/dev/null ||
  fail "korv-delayed-send --once on a new station"

# The manual pages say what --help says: every option and command in it;
# and a terminal of 80 columns shows every line whole.
for page in man1/korv-delayed-send.1 man1/korvtool.1 man5/printers.conf.5 man5/mail.conf.5 \
  man5/station.conf.5 man5/korvini.dat.5; do
  name=$(basename "$page" | sed 's/\.[15]$//')
  MANWIDTH=200 man --warnings -l "$root/usr/share/man/$page.gz" >"$work/$name.txt" \
    2>"$work/man-warnings" ||
    fail "man $page"
  [ -s "$work/man-warnings" ] && fail "man $page warns: $(cat "$work/man-warnings")"
  grep -q '\.br' "$work/$name.txt" && fail "man $page shows a literal .br"
  wide=$(MANWIDTH=80 man -l "$root/usr/share/man/$page.gz" | awk 'length > 80')
  [ -z "$wide" ] || fail "man $page has lines wider than 80 columns:"$'\n'"$wide"
done
for option in $(grep -o -- '--[a-z-]*' "$work/help" | sort -u); do
  grep -q -- "$option" "$work/korv-delayed-send.txt" || fail "korv-delayed-send(1) lacks $option"
done
for command in $(awk '/^Commands:/ {on = 1; next} /^$/ {on = 0} on && /^  [a-z]/ {print $1}' \
  "$work/help-all"); do
  grep -q "korvtool $command" "$work/korvtool.txt" || fail "korvtool(1) lacks the command $command"
done

# The unit: ExecStart names the packaged program, and systemd finds nothing
# to complain about (checked on a copy that points into the unpacked tree).
unit="$root/lib/systemd/system/korv-delayed-send.service"
grep -q '^ExecStart=/usr/bin/korv-delayed-send --headless --root /var/lib/korvain$' "$unit" ||
  fail "ExecStart: $(grep ExecStart "$unit")"
mkdir "$work/unit"
sed "s|/usr/bin/|$root/usr/bin/|" "$unit" >"$work/unit/korv-delayed-send.service"
MANPATH="$root/usr/share/man" systemd-analyze verify "$work/unit/korv-delayed-send.service" ||
  fail "systemd-analyze verify"

# The desktop entries, as the desktop reads them.
for entry in "$root/usr/share/applications/korv-delayed-send.desktop" \
  "$root/etc/xdg/autostart/korv-delayed-send.desktop"; do
  desktop-file-validate "$entry" || fail "desktop-file-validate $entry"
done
grep -qx 'Exec=korv-delayed-send --autostart' "$root/etc/xdg/autostart/korv-delayed-send.desktop" ||
  fail "the autostart entry does not start the station as a session's copy"

# Debian's package checker, every tag shown: no error, and the programs
# hardened as Debian's own (checked calls, bound at start, no .comment).
lintian --pedantic -I --fail-on error "$deb" >"$work/lintian" 2>&1 || fail "lintian reports errors"
grep -v 'running with root privileges' "$work/lintian" || true
grep -E 'hardening-no-(fortify-functions|bindnow|relro)|binary-has-unneeded-section' \
  "$work/lintian" && fail "lintian finds the programs not hardened"

if [ "$failures" -gt 0 ]; then
  echo "$failures failure(s)" >&2
  exit 1
fi
echo "package $deb: contents, dependencies, programs, manual pages, unit and lintian all good"
