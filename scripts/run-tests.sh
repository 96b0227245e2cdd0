#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
cd build
# Once in the C locale, once under a German desktop locale: numbers in
# profiles, data files and entries must not depend on it. Four at a time on
# two cores: the tests over a pseudo-terminal spend most of their time
# waiting out the line's timers (the quiet time, HOLD after each answer).
LC_ALL=C QT_QPA_PLATFORM=offscreen ctest -j4 --output-on-failure --timeout 300
LC_ALL=de_DE.UTF-8 QT_QPA_PLATFORM=offscreen ctest -j4 --output-on-failure --timeout 300
