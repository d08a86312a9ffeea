#!/usr/bin/env bash
# Builds the Debian package norvane-usbtool_<version>_<arch>.deb from the sources, in its own
# release build without tests, and prints where it lies:
#   scripts/package.sh [output folder]     (default: build-package/)
# Install it with:  sudo apt-get install ./build-package/norvane-usbtool_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
out=$(realpath -m "${1:-$root/build-package}")

bash scripts/setup-deps.sh
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DNORVANE_TESTS=OFF >/dev/null
cmake --build build-package -j "$(nproc)"
mkdir -p "$out"
rm -f "$out"/norvane-usbtool_*.deb
cpack --config build-package/CPackConfig.cmake -G DEB -B "$out"
rm -rf "$out/_CPack_Packages"
deb=$(ls "$out"/norvane-usbtool_*.deb)
echo "Package: $deb"
