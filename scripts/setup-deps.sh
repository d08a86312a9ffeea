#!/usr/bin/env bash
# Installs every Debian package the project needs to build, test and run.
# This is the one list of dependencies; it is quiet when everything is present.
set -euo pipefail

packages=(
  # toolchain
  g++ cmake ninja-build pkg-config clang libclang-rt-14-dev
  # libraries
  qt6-base-dev qt6-base-dev-tools qt6-translations-l10n libgl-dev
  libcurl4-openssl-dev libarchive-dev zlib1g-dev libudev-dev libcpp-httplib-dev libblkid-dev
  libssl-dev openssl libfontconfig-dev
  # tests
  googletest libgtest-dev libgmock-dev dbus-daemon
  # the demo, the screenshots and the fonts the window is drawn with
  xvfb xauth x11-apps x11-utils imagemagick fonts-dejavu-core fonts-liberation
  # the formatter behind the format wizard and the label tools of renaming,
  # the loopback reference for benchmarks
  dosfstools exfatprogs curl libarchive-tools libbenchmark-dev time libxcb1-dev
  # real stick file systems for the update run's tests, mounted through FUSE
  fusefat fuse exfat-fuse
  # a real web server for the end-to-end update test
  nginx-light
  # the Debian package and the checks of its menu entry, metainfo and contents
  dpkg-dev fakeroot file desktop-file-utils appstream lintian
  # the privilege prompt of fat32format, refused in its test
  pkexec
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
