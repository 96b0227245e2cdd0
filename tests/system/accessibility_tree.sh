#!/usr/bin/env bash
# The main window as a screen reader finds it: started on a virtual X server
# with its own session bus, its AT-SPI tree walked by accessibility_tree.py.
# Exits 77 (skipped) with the reason when the machine cannot do that.
set -u
program=${1:?usage: accessibility_tree.sh PATH/TO/ZEL-HART}
# Debian's python3-pyatspi is for the system's Python, whatever else is on PATH.
python=/usr/bin/python3
[ -x "$python" ] || python=$(command -v python3 || echo python3)
for tool in dbus-run-session xvfb-run "$python"; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIPPED: $tool is not installed (packages dbus, xvfb, python3)"
    exit 77
  fi
done
if ! "$python" -c 'import pyatspi' 2>/dev/null; then
  echo "SKIPPED: python3-pyatspi is not installed"
  exit 77
fi
if [ ! -x /usr/libexec/at-spi-bus-launcher ] && ! command -v at-spi-bus-launcher >/dev/null; then
  echo "SKIPPED: at-spi2-core is not installed"
  exit 77
fi
here=$(cd "$(dirname "$0")" && pwd)
exec dbus-run-session -- xvfb-run -a -s "-screen 0 1280x1024x24" \
  "$python" "$here/accessibility_tree.py" "$program"
