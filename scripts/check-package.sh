#!/usr/bin/env bash
# Builds the Debian package from the existing build (scripts/package.sh,
# which fails on lintian errors), installs it, and as a normal user runs the
# installed programs from /usr/bin: the version, and a batch read of the
# simulated device on a pseudo-terminal into a data file, which must leave
# the user's profile in ~/.config/zel-hart; that the desktop entries are
# valid and the data files' types known (xdg-mime). Then purges the package and
# checks that nothing of it is left. Needs root (CI runs it as root).
set -euo pipefail
cd "$(dirname "$0")/.."
started=$SECONDS
bash scripts/package.sh
deb=$(ls "$PWD"/build/package/zel-hart_*.deb)

export DEBIAN_FRONTEND=noninteractive
# What the check of the file types uses (xdg-mime asks gio on a GNOME desktop).
apt-get install -y -q --no-install-recommends xdg-utils libglib2.0-bin desktop-file-utils
apt-get install -y -q "$deb"

user=zelhart-check
home=/home/$user
simulator=""
cleanup() {
  [ -n "$simulator" ] && kill "$simulator" 2>/dev/null || true
  userdel -r "$user" >/dev/null 2>&1 || true
}
trap cleanup EXIT
id "$user" >/dev/null 2>&1 || useradd -m -s /bin/bash "$user"
as_user() { runuser -u "$user" -- env -i HOME="$home" USER="$user" PATH=/usr/bin:/bin \
  LANG=C.UTF-8 "$@"; }

fail() { echo "check-package: $*" >&2; exit 1; }
command -v ZEL-HART | grep -qx /usr/bin/ZEL-HART || fail "ZEL-HART is not in /usr/bin"

as_user ZEL-HART --version | tee "$home/version.txt"
grep -q "^ZEL-HART " "$home/version.txt" || fail "ZEL-HART --version printed no version"

# KALVERO_S is a link to ZEL-HART, and started under that name it is the
# other edition, with the other profile.
[ "$(readlink /usr/bin/KALVERO_S)" = ZEL-HART ] || fail "/usr/bin/KALVERO_S is not a link to ZEL-HART"
as_user KALVERO_S --version | tee "$home/version.txt"
grep -q "^KALVERO_S " "$home/version.txt" || fail "KALVERO_S --version printed no KALVERO_S version"
grep -q "^profile: .*/Config\.ini$" "$home/version.txt" || fail "KALVERO_S does not read Config.ini"

# Built with Debian's hardening: read-only relocations bound at start, the
# stack protector, and fortified C library calls where the compiler could
# check them.
# (readelf's output is read whole: grep -q ending early would fail the pipe.)
for file in /usr/bin/ZEL-HART /usr/bin/hartsim /usr/bin/hartcmd /usr/lib/zel-hart/libhartlink.so; do
  headers=$(readelf -lW "$file")
  dynamic=$(readelf -dW "$file")
  symbols=$(readelf --dyn-syms -W "$file")
  grep -q GNU_RELRO <<<"$headers" || fail "$file has no read-only relocations"
  grep -Eq "BIND_NOW|FLAGS.*NOW" <<<"$dynamic" || fail "$file is not bound at start (-z now)"
  grep -q __stack_chk_fail <<<"$symbols" || fail "$file has no stack protector"
  grep -Eq "__[a-z_]+_chk@" <<<"$symbols" || fail "$file calls no fortified C library function"
done

# The simulator prints the pseudo-terminal's path as its first line.
as_user hartsim --pty --seconds 60 > "$home/hartsim.out" 2>&1 &
simulator=$!
for _ in $(seq 50); do
  [ -s "$home/hartsim.out" ] && break
  sleep 0.1
done
pty=$(head -n 1 "$home/hartsim.out")
[ -e "$pty" ] || fail "hartsim --pty gave no pseudo-terminal: $(cat "$home/hartsim.out")"

(cd "$home" && as_user ZEL-HART read "$pty" "$home/reading") || fail "the batch read failed"
ls "$home"/reading.* >/dev/null 2>&1 || fail "the batch read wrote no data file"
[ -f "$home/.config/zel-hart/Config-125.ini" ] ||
  fail "the profile is not in ~/.config/zel-hart"

# The data files are known by their type, and the desktop entries open them.
desktop-file-validate /usr/share/applications/org.zelhart.*.desktop ||
  fail "a desktop entry is not valid"
for pair in cfp:application/x-zel-hart-pressure cft:application/x-zel-hart-temperature \
    hrt:application/x-zel-hart-device; do
  file="$home/x.${pair%%:*}"
  printf '[x]\n' > "$file"
  type=$(XDG_CURRENT_DESKTOP=GNOME xdg-mime query filetype "$file")
  [ "$type" = "${pair#*:}" ] || fail "xdg-mime names $file $type, not ${pair#*:}"
done
grep -q "MimeType=.*application/x-zel-hart-pressure" \
  /usr/share/applications/org.zelhart.ZelHart.desktop || fail "the desktop entry opens no data file"
kill "$simulator" 2>/dev/null || true
wait "$simulator" 2>/dev/null || true
simulator=""

apt-get purge -y -q zel-hart
[ ! -e /usr/bin/ZEL-HART ] || fail "/usr/bin/ZEL-HART is left after the purge"
[ ! -e /usr/share/zel-hart ] || fail "/usr/share/zel-hart is left after the purge"
[ ! -e /usr/lib/zel-hart ] || fail "/usr/lib/zel-hart is left after the purge"
[ ! -e /usr/share/mime/packages/zel-hart.xml ] || fail "the file types are left after the purge"
echo "check-package: ok ($((SECONDS - started)) s)"
