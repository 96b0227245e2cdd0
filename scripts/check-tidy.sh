#!/usr/bin/env bash
# Runs clang-tidy with the checks of .clang-tidy over every source file in
# src/ (and the headers they include from there), using the compile commands
# of the regular build in build/ (configured here when missing). Any warning
# fails the check. TIDY_JOBS sets how many files are checked at once
# (default: the number of cores).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh clang-tidy
if [ ! -f build/compile_commands.json ]; then
  cmake -S . -B build -G Ninja
fi
run-clang-tidy -p build -j "${TIDY_JOBS:-$(nproc)}" -quiet -warnings-as-errors='*' "$PWD/src/"
