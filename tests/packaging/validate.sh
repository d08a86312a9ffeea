#!/usr/bin/env bash
# Runs the distribution's validators on the built package: the menu entry, the AppStream
# metainfo and lintian (errors fail; the package's own overrides apply).
#   validate.sh <output folder of build-deb.sh>
set -euo pipefail
out=$1
root=$out/root
desktop-file-validate "$root/usr/share/applications/de.norvane.usbtool.desktop"
appstreamcli validate --no-net "$root/usr/share/metainfo/de.norvane.usbtool.metainfo.xml"
lintian --fail-on error "$out"/*.deb
