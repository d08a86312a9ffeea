#!/usr/bin/env bash
# Builds the Debian package from a built tree and unpacks it into a scratch root.
#   build-deb.sh <build folder> <output folder>
# The output folder receives the .deb and root/, the package's files as dpkg would lay them out.
set -euo pipefail
build=$1
out=$2
rm -rf "$out"
mkdir -p "$out"
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$out" > "$out/cpack.log" 2>&1 \
    || { cat "$out/cpack.log" >&2; exit 1; }
debs=("$out"/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "expected one .deb in $out" >&2; exit 1; }
dpkg-deb -x "${debs[0]}" "$out/root"
