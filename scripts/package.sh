#!/usr/bin/env bash
# Builds the Debian package (build/package/zel-hart_<version>-1_<arch>.deb)
# and checks it with lintian. Ends non-zero on any lintian error; lintian's
# warnings are printed, not fatal.
#
# The package has a build folder of its own, build-deb/, compiled and linked
# with Debian's hardening flags as dpkg-buildflags gives them (stack
# protector, fortified C library calls, read-only relocations bound at
# start), and only what the package holds: no tests or benchmarks.
set -euo pipefail
cd "$(dirname "$0")/.."
# The package tools come on top of the build's packages.
bash scripts/install-deps.sh lintian appstream desktop-file-utils dpkg-dev fakeroot file man-db
if [ ! -f build-deb/CMakeCache.txt ]; then
  flag() { DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get "$1"; }
  # CMake takes CFLAGS, CXXFLAGS and LDFLAGS from the environment when it
  # first configures; the preprocessor's flags go with the compilers'.
  CFLAGS="$(flag CFLAGS) $(flag CPPFLAGS)" CXXFLAGS="$(flag CXXFLAGS) $(flag CPPFLAGS)" \
    LDFLAGS="$(flag LDFLAGS)" \
    cmake -S . -B build-deb -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DZH_BUILD_TESTS=OFF -DZH_BUILD_BENCH=OFF
fi
cmake --build build-deb -j2 --target ZEL-HART KALVERO_S hartsim hartcmd hartlink packaging_files
# The package goes where it always went, beside the regular build.
out="$PWD/build/package"
rm -f "$out"/zel-hart_*.deb
(cd build-deb && cpack -G DEB -D CPACK_OUTPUT_FILE_PREFIX="$out")
deb=$(ls build/package/zel-hart_*.deb)
echo "Package: $deb"
dpkg-deb --field "$deb" Package Version Architecture Section Priority Depends Suggests
# The desktop files and metainfo as the package holds them.
check_dir=$(mktemp -d)
trap 'rm -rf "$check_dir"' EXIT
dpkg-deb -x "$deb" "$check_dir"
desktop-file-validate "$check_dir"/usr/share/applications/*.desktop
appstreamcli validate --no-net "$check_dir"/usr/share/metainfo/*.metainfo.xml
# The manual pages render without a warning.
for page in "$check_dir"/usr/share/man/man1/*.gz; do
  [ -L "$page" ] && continue
  warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || { echo "$(basename "$page"): $warnings" >&2; exit 1; }
done
echo "lintian:"
lintian_status=0
lintian --fail-on error --tag-display-limit 0 "$deb" || lintian_status=$?
[ "$lintian_status" -eq 0 ] && echo "lintian: no errors"
exit "$lintian_status"
