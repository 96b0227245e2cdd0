#!/usr/bin/env bash
# Cross-builds the HART master library and hartcmd for 64-bit Windows with
# Debian's mingw-w64 (POSIX threads) into build-windows/: bin/hartlink.dll
# with its import library libhartlink.dll.a and export list hartlink.def,
# bin/hartcmd.exe, and hartlink-windows-<version>.zip with those, the C
# header and a README. The C++ runtime and the threads are linked in: the
# two run on a bare Windows. The program itself (Qt) is not built here.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh g++-mingw-w64-x86-64-posix zip
out=build-windows
if [ ! -f "$out/CMakeCache.txt" ]; then
  cmake -S . -B "$out" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZH_WARNINGS_AS_ERRORS=ON \
    -DZH_LINK_LIBRARY_ONLY=ON \
    -DCMAKE_SYSTEM_NAME=Windows -DCMAKE_SYSTEM_PROCESSOR=x86_64 \
    -DCMAKE_C_COMPILER=x86_64-w64-mingw32-gcc-posix \
    -DCMAKE_CXX_COMPILER=x86_64-w64-mingw32-g++-posix \
    -DCMAKE_RC_COMPILER=x86_64-w64-mingw32-windres
fi
cmake --build "$out" -j2 --target hartlink hartcmd

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$out/CMakeCache.txt")
name=hartlink-windows-$version
stage=$out/zip/$name
rm -rf "$out/zip" "$out/$name.zip"
mkdir -p "$stage"
cp "$out"/bin/{hartlink.dll,libhartlink.dll.a,hartlink.def,hartcmd.exe} src/hartlink/hartlink.h \
  "$stage/"
sed "s/@VERSION@/$version/" packaging/windows/README.txt > "$stage/README.txt"
(cd "$out/zip" && zip -q -r -X "../$name.zip" "$name")
echo "build-windows: $out/$name.zip"
