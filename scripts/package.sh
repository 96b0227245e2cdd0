#!/usr/bin/env bash
# Builds the Debian package (build/package/zel-hart_<version>-1_<arch>.deb)
# from the regular build folder, configuring and building it first when
# needed, and checks it with lintian. Ends non-zero on any lintian error;
# lintian's warnings are printed, not fatal.
set -euo pipefail
cd "$(dirname "$0")/.."
# The package tools come on top of the build's packages.
bash scripts/install-deps.sh lintian appstream desktop-file-utils dpkg-dev fakeroot file man-db
if [ ! -f build/CMakeCache.txt ]; then
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
# Only what the package holds; an existing full build is reused as it is.
cmake --build build -j2 --target ZEL-HART KALVERO_S hartsim hartcmd hartlink packaging_files
rm -f build/package/zel-hart_*.deb
(cd build && cpack -G DEB)
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
