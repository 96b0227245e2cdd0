#!/usr/bin/env bash
# Installs what is missing, builds, and starts the tool (edition ZEL-HART) on
# the device its profile names: `Sim`, the built-in simulated device.
# On a desktop the window opens. Without a display the tool runs on a virtual
# one: it reads the device, saves a picture of its window as
# build/screenshot.png and ends. Extra arguments are passed to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
# Only the program (with the link library and resources it loads): the tests,
# benchmarks and simulator wait for scripts/run-tests.sh.
bash scripts/build.sh ZEL-HART
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec build/bin/ZEL-HART "$@"
fi
shot="$(pwd)/build/screenshot.png"
exec xvfb-run -a -s "-screen 0 1280x900x24" build/bin/ZEL-HART --screenshot "$shot" "$@"
