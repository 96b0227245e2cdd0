#!/usr/bin/env bash
# Runs clang-tidy with the checks of .clang-tidy over every source file in
# src/ (and the headers they include from there), using the compile commands
# of the regular build in build/ (configured here as scripts/build.sh does,
# when missing; nothing needs to be built). Any warning fails the check.
# TIDY_JOBS sets how many files are checked at once (default: the number of
# cores). Only the product's code is checked, not the tests. .clang-tidy
# makes every finding an error, and any file with one fails the run. A folder
# or file of src/ given as argument (e.g. src/ui/) is checked alone.
# TIDY_ANALYSIS=shallow makes the static analyser follow calls into small
# functions only, which takes a third off the time of the whole run; by
# default it looks as deep as it can.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh clang-tidy
if [ ! -f build/CMakeCache.txt ]; then
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
what="${1:-src/}"
depth=()
if [ "${TIDY_ANALYSIS:-}" = shallow ]; then
  depth=(-extra-arg=-Xclang -extra-arg=-analyzer-config -extra-arg=-Xclang -extra-arg=mode=shallow)
fi
start=$SECONDS
status=0
run-clang-tidy -p build -j "${TIDY_JOBS:-$(nproc)}" -quiet "${depth[@]}" "$PWD/$what" ||
  status=$?
echo "clang-tidy over $what: $((SECONDS - start)) s, $([ $status -eq 0 ] && echo clean || echo FINDINGS)"
exit $status
