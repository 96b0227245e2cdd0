#!/usr/bin/env bash
# Installs what is missing, builds, and starts the tool (edition ZEL-HART).
# Extra arguments are passed to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
exec build/bin/ZEL-HART "$@"
