#!/usr/bin/env bash
# Builds everything with clang and the address and undefined-behaviour
# sanitizers into build-asan/ and runs the tests there. Not part of the
# regular test command (it doubles the build time); run it before a release
# and after changes to parsing or memory handling.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh clang libclang-rt-14-dev
if [ ! -f build-asan/CMakeCache.txt ]; then
  CC=clang CXX=clang++ cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DZH_BUILD_BENCH=OFF \
    -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer" \
    -DCMAKE_C_FLAGS="-fsanitize=address,undefined -fno-omit-frame-pointer" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
    -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=address,undefined" \
    -DCMAKE_MODULE_LINKER_FLAGS="-fsanitize=address,undefined"
fi
cmake --build build-asan -j2
cd build-asan
# The fatal-signal tests crash on purpose; the sanitizers' own handlers stay out of their way.
ASAN_OPTIONS=handle_segv=0:handle_sigill=0:handle_sigfpe=0:handle_abort=0:handle_sigbus=0:detect_leaks=1 \
UBSAN_OPTIONS=print_stacktrace=1 QT_QPA_PLATFORM=offscreen ctest -j2 --output-on-failure
