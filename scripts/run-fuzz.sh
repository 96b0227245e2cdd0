#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz/fuzz_*.cpp) with clang into FUZZ_BUILD
# (default build-fuzz/; scripts/check-sanitizers.sh passes its build-asan/)
# and runs every one of them for FUZZ_SECONDS seconds (default 60), starting
# from its seeds in fuzz/corpus/<target>/. Not part of the regular test
# command. A crash, a leak or an input that runs longer than FUZZ_TIMEOUT
# seconds (default 10) is a finding: the fuzzer's report is printed, the
# input is left in $FUZZ_BUILD/fuzz/ as <target>-crash-*, -leak-* or
# -timeout-*, the remaining targets still run, and the script ends non-zero.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${FUZZ_BUILD:-build-fuzz}"
top="$PWD"
# clang with libFuzzer and the sanitizer runtimes.
bash scripts/install-deps.sh clang libclang-rt-14-dev

# Everything is instrumented for coverage (fuzzer-no-link) and checked by the
# sanitizers; only the fuzz targets link libFuzzer's main.
if [ ! -f "$build/CMakeCache.txt" ]; then
  CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DZH_FUZZ=ON -DZH_BUILD_TESTS=OFF -DZH_BUILD_BENCH=OFF \
    -DCMAKE_C_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer" \
    -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
    -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=address,undefined" \
    -DCMAKE_MODULE_LINKER_FLAGS="-fsanitize=address,undefined"
fi

targets=()
for source in fuzz/fuzz_*.cpp; do
  [ -e "$source" ] || continue
  targets+=("$(basename "$source" .cpp)")
done
if [ ${#targets[@]} -eq 0 ]; then
  echo "No fuzz targets in fuzz/"
  exit 0
fi
cmake --build "$build" -j2 --target "${targets[@]}"

seconds="${FUZZ_SECONDS:-60}"
timeout="${FUZZ_TIMEOUT:-10}"
failed=()
for target in "${targets[@]}"; do
  corpus="$build/corpus/$target"
  mkdir -p "$corpus"
  seeds=()
  [ -d "fuzz/corpus/$target" ] && seeds+=("fuzz/corpus/$target")
  echo "=== $target for ${seconds} s"
  if ! (cd "$build/fuzz" && UBSAN_OPTIONS=print_stacktrace=1 "./$target" -max_total_time="$seconds" \
          -timeout="$timeout" -artifact_prefix="$target-" -print_final_stats=1 \
          "$top/$corpus" "${seeds[@]/#/$top/}"); then
    failed+=("$target")
  fi
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "Findings in: ${failed[*]} (inputs in $build/fuzz/)"
  exit 1
fi
echo "All ${#targets[@]} fuzz targets ran ${seconds} s each without a finding."
