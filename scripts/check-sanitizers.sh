#!/usr/bin/env bash
# Builds everything with clang and the address and undefined-behaviour
# sanitizers into build-asan/, runs the whole test suite there (one locale:
# the locale runs of the regular build cover that), then every fuzz target
# for FUZZ_SECONDS seconds (default 20). One build serves both: the libraries
# carry the fuzzer's coverage hooks (fuzzer-no-link), which the tests do not
# notice; -O1 with line tables only keeps compiling and the runs short.
# Warnings stop this build as they stop the regular one.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh clang libclang-rt-14-dev
flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
link="-fsanitize=address,undefined"
if [ ! -f build-asan/CMakeCache.txt ]; then
  CC=clang CXX=clang++ cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Sanitize \
    -DZH_BUILD_BENCH=OFF -DZH_FUZZ=ON -DZH_WARNINGS_AS_ERRORS=ON \
    -DCMAKE_C_FLAGS_SANITIZE="-O1 -gline-tables-only" -DCMAKE_CXX_FLAGS_SANITIZE="-O1 -gline-tables-only" \
    -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
    -DCMAKE_EXE_LINKER_FLAGS="$link" -DCMAKE_SHARED_LINKER_FLAGS="$link" \
    -DCMAKE_MODULE_LINKER_FLAGS="$link"
fi
cmake --build build-asan -j2
# The fatal-signal tests crash on purpose; the sanitizers' own handlers stay out of their way.
# The shared-loop test measures the program's requests against the line's
# timers in real time: it runs alone afterwards, where no other sanitized
# test can hold the program up between listening and sending.
realtime='DeviceOnPty.ASharedLoopGivesTheReadAndWriteOfAQuietOne'
(cd build-asan &&
  export ASAN_OPTIONS=handle_segv=0:handle_sigill=0:handle_sigfpe=0:handle_abort=0:handle_sigbus=0:detect_leaks=1 \
    UBSAN_OPTIONS=print_stacktrace=1 LC_ALL=C QT_QPA_PLATFORM=offscreen &&
  ctest -j4 --output-on-failure --timeout 300 -E "$realtime" &&
  ctest --output-on-failure --timeout 300 -R "$realtime")
FUZZ_BUILD=build-asan FUZZ_SECONDS="${FUZZ_SECONDS:-20}" bash scripts/run-fuzz.sh
