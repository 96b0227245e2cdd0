#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
cd build
# Once in the C locale, once under a German desktop locale: numbers in
# profiles, data files and entries must not depend on it.
LC_ALL=C QT_QPA_PLATFORM=offscreen ctest -j2 --output-on-failure --timeout 300
LC_ALL=de_DE.UTF-8 QT_QPA_PLATFORM=offscreen ctest -j2 --output-on-failure --timeout 300
