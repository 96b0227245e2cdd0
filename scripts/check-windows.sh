#!/usr/bin/env bash
# The Windows build, checked under wine: cross-builds it (build-windows.sh),
# checks that hartlink.dll exports exactly the header's entry points and
# that neither it nor hartcmd.exe needs a DLL beyond Windows' own, then runs
# hartcmd.exe and a C program linked against the DLL (tests/windows) under
# wine64 on COM5, which a private wine prefix in build-windows/ maps to the
# device simulator on a pseudo-terminal. Each reads command 0 and command
# 13; the frames the simulator logs must be those of the Linux hartcmd, byte
# for byte.
#
# Where wine cannot start at all (not installed, no wine prefix can be made,
# wine's own cmd.exe does not run) the check says why and is skipped (exit
# 0). Once wine runs, every failure of the Windows programs fails the check.
# Runs headless, downloads nothing (no Mono, no Gecko).
set -euo pipefail
cd "$(dirname "$0")/.."
started=$SECONDS
bash scripts/build.sh hartsim hartcmd
bash scripts/build-windows.sh
out=$PWD/build-windows
bin=$out/bin
fail() { echo "check-windows: $*" >&2; exit 1; }

# The DLL's exports: the entry points whose types hartlink.h declares.
header_names=$(sed -n 's/^typedef .*(\*\(BaTinHrtCPr_[A-Za-z]*\)_t)(.*/\1/p' src/hartlink/hartlink.h |
  grep -v -e _WaitCallback -e _FrameCallback | sort)
dll_names=$(x86_64-w64-mingw32-objdump -p "$bin/hartlink.dll" |
  sed -n 's/^\t\[ *[0-9]*\] \(BaTinHrtCPr_[A-Za-z]*\)$/\1/p' | sort)
[ "$(echo "$header_names" | wc -l)" -eq 15 ] || fail "hartlink.h declares no 15 entry points"
[ "$dll_names" = "$header_names" ] ||
  fail "hartlink.dll exports $(echo $dll_names) instead of $(echo $header_names)"
for file in hartlink.dll hartcmd.exe; do
  foreign=$(x86_64-w64-mingw32-objdump -p "$bin/$file" | sed -n 's/^\tDLL Name: //p' |
    grep -v -i -x -e kernel32.dll -e msvcrt.dll || true)
  [ -z "$foreign" ] || fail "$file needs $(echo $foreign)"
done
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$out/CMakeCache.txt")
zip_files=$(python3 -m zipfile -l "$out/hartlink-windows-$version.zip" | awk 'NR > 1 {print $1}' |
  sed 's|^hartlink-windows-[^/]*/||' | grep -v '^$' | sort | tr '\n' ' ')
[ "$zip_files" = "README.txt hartcmd.exe hartlink.def hartlink.dll hartlink.h libhartlink.dll.a " ] ||
  fail "the zip holds: $zip_files"

x86_64-w64-mingw32-gcc-posix -std=gnu11 -Wall -Wextra -Werror -O2 -Isrc \
  -o "$bin/read_identity.exe" tests/windows/read_identity.c "$bin/libhartlink.dll.a"

# wine, headless, in a prefix of its own.
skip() {
  echo "check-windows: SKIPPED, wine cannot start: $*" >&2
  exit 0
}
bash scripts/install-deps.sh wine64 wine || skip "wine64 and wine could not be installed"
export WINEPREFIX=$out/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
unset DISPLAY WAYLAND_DISPLAY
simulator=""
cleanup() {
  [ -z "$simulator" ] || kill "$simulator" 2>/dev/null || true
  # Lets wine's server end by itself (a killed one dumps its state).
  timeout 30 wineserver -w 2>/dev/null || wineserver -k 2>/dev/null || true
}
trap cleanup EXIT
# What wine said, without the state dump its server writes when it ends.
wine_said() { grep -v '^ *0x' "$1" | tail -n 3; }
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  rm -rf "$WINEPREFIX"
  timeout 300 wine wineboot --init >"$out/wineboot.log" 2>&1 ||
    skip "wineboot could not make $WINEPREFIX: $(wine_said "$out/wineboot.log")"
fi
timeout 60 wine cmd.exe /c exit 0 >"$out/wine-start.log" 2>&1 ||
  skip "wine's cmd.exe does not run: $(wine_said "$out/wine-start.log")"
rm -f "$out/wineboot.log" "$out/wine-start.log"

run_exe() { timeout 60 wine "$@" | tr -d '\r'; }
[ "$(run_exe "$bin/hartcmd.exe" --version)" = "hartcmd $version" ] ||
  fail "hartcmd.exe --version does not say hartcmd $version"

# The simulator on a new pseudo-terminal, logging its frames to $1; COM5
# leads to it. It prints the terminal's path as its first line.
start_simulator() {
  exec 3< <(exec build/bin/hartsim --pty --seconds 60 --log "$1")
  simulator=$!
  read -r -t 5 -u 3 pty || fail "hartsim printed no pseudo-terminal"
  ln -sfn "$pty" "$WINEPREFIX/dosdevices/com5"
}
stop_simulator() {
  kill "$simulator" 2>/dev/null || true
  wait "$simulator" 2>/dev/null || true
  exec 3<&-
  simulator=""
}
frames() { sed 's/^[0-9:.]* //' "$1"; }

start_simulator "$out/linux.log"
build/bin/hartcmd --port "$pty" --command 13 >"$out/linux.out" || fail "the Linux hartcmd failed"
stop_simulator

start_simulator "$out/hartcmd-exe.log"
run_exe "$bin/hartcmd.exe" --port COM5 --command 13 >"$out/hartcmd-exe.out" ||
  fail "hartcmd.exe failed: $(cat "$out/hartcmd-exe.out")"
stop_simulator

start_simulator "$out/read-identity.log"
run_exe "$bin/read_identity.exe" 5 >"$out/read-identity.out" ||
  fail "read_identity.exe failed: $(cat "$out/read-identity.out")"
stop_simulator

[ "$(frames "$out/linux.log" | wc -l)" -eq 4 ] ||
  fail "the Linux hartcmd did not exchange two frames: $(cat "$out/linux.log")"
diff -u "$out/linux.out" "$out/hartcmd-exe.out" || fail "hartcmd.exe printed other answers"
for log in hartcmd-exe read-identity; do
  diff -u <(frames "$out/linux.log") <(frames "$out/$log.log") ||
    fail "the frames of $log differ from the Linux hartcmd's"
done
echo "check-windows: hartcmd.exe and hartlink.dll under wine: the Linux frames, byte for byte" \
  "($((SECONDS - started)) s)"
