#!/usr/bin/env bash
# Configures (once) and builds into ./build: everything, or only the targets
# named as arguments (scripts/run-tool.sh builds just the program).
# Warnings stop this build: the project's own compiler gives none.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
if [ ! -f build/CMakeCache.txt ]; then
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZH_WARNINGS_AS_ERRORS=ON
fi
targets=()
for target in "$@"; do targets+=(--target "$target"); done
cmake --build build -j2 "${targets[@]}"
