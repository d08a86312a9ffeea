#!/usr/bin/env bash
# Checks what the built package installs and how its parts refer to each other.
#   check-layout.sh <output folder of build-deb.sh> <build program folder> <version>
set -uo pipefail
out=$1
build_program_dir=$2
version=$3
root=$out/root
app=/opt/norvane-usbtool
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

deb=$out/norvane-usbtool_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || fail "package file $(basename "$deb") missing; found: $(ls "$out")"

# The files the program reads beside itself, the command, the desktop integration.
for path in \
    $app/norvane-usbtool $app/autorun.inf $app/norvstick.ico $app/file.bmp $app/nofile.bmp \
    $app/q110.png $app/q120.png $app/q130.png $app/q140.png $app/q200.png $app/q210.png \
    $app/q220.png $app/q300.png $app/q400.png $app/icon103.png $app/image2.png $app/image3.png \
    $app/image4.png $app/image5.png \
    /usr/share/applications/de.norvane.usbtool.desktop \
    /usr/share/icons/hicolor/64x64/apps/de.norvane.usbtool.png \
    /usr/share/metainfo/de.norvane.usbtool.metainfo.xml \
    /usr/share/polkit-1/actions/de.norvane.usbtool.fat32format.policy \
    /usr/share/doc/norvane-usbtool/copyright /usr/share/doc/norvane-usbtool/changelog.gz; do
    [ -f "$root$path" ] || fail "$path is not installed"
done
[ -x "$root$app/norvane-usbtool" ] || fail "the program is not executable"
# Whatever the build puts into its program folder belongs into the installed one, except the
# settings a developer's run may have left there.
for file in "$build_program_dir"/*; do
    name=$(basename "$file")
    [ "$name" = Settings.ini ] && continue
    [ -e "$root$app/$name" ] || fail "$name of the build's program folder is not installed"
done
[ ! -e "$root$app/Settings.ini" ] || fail "the package carries a Settings.ini"

# The trusted keys: the distributor's public keys and nothing else; never a private key, never
# the key a demo run made for itself.
[ -f "$root$app/keys/norvane-placeholder.pem" ] || fail "the distributor's public key is not installed"
for key in "$root$app"/keys/*; do
    [ "$(basename "$key")" = servers ] && continue
    [[ "$key" == *.pem ]] || fail "keys/$(basename "$key") is neither a key nor the list of servers"
    grep -q -- "-----BEGIN PUBLIC KEY-----" "$key" || fail "keys/$(basename "$key") is no public key"
done
# The program trusts only keys that root owns and no one else may change (so their folder too).
bad=$(dpkg-deb -c "$deb" | awk '$6 ~ /^\.\/opt\/norvane-usbtool\/keys\// && ($2 != "root/root" || $1 !~ /^.....-..-/)')
[ -z "$bad" ] || fail "keys/ holds what group, others or another owner may change: $bad"
# keys/servers: the servers that must sign from the first contact on. The default server is in
# it only with a real distributor key: with the placeholder alone it could never be verified.
real_keys=$(find "$root$app/keys" -name '*.pem' ! -name norvane-placeholder.pem | wc -l)
listed=$(grep -c '^http://www.norvane.de:80$' "$root$app/keys/servers")
[ "$listed" -eq "$((real_keys > 0))" ] || fail "keys/servers names the default server $listed times with $real_keys real keys"

link=$(readlink "$root/usr/bin/norvane-usbtool") || fail "/usr/bin/norvane-usbtool is no symbolic link"
[ "${link:-}" = "$app/norvane-usbtool" ] || fail "/usr/bin/norvane-usbtool points to '${link:-}'"

desktop=$root/usr/share/applications/de.norvane.usbtool.desktop
exec_line=$(sed -n 's/^Exec=//p' "$desktop")
[ -L "$root/usr/bin/${exec_line%% *}" ] || fail "the menu entry runs '$exec_line', which is not the /usr/bin link"
icon=$(sed -n 's/^Icon=//p' "$desktop")
[ -f "$root/usr/share/icons/hicolor/64x64/apps/$icon.png" ] || fail "the menu icon '$icon' is not installed"
grep -q '<launchable type="desktop-id">de.norvane.usbtool.desktop</launchable>' \
    "$root/usr/share/metainfo/de.norvane.usbtool.metainfo.xml" || fail "the metainfo names another menu entry"
grep -q "<annotate key=\"org.freedesktop.policykit.exec.path\">$app/fat32format</annotate>" \
    "$root/usr/share/polkit-1/actions/de.norvane.usbtool.fat32format.policy" \
    || fail "the polkit action does not name $app/fat32format"

depends=$(dpkg-deb -f "$deb" Depends 2>/dev/null)
for package in dosfstools xdg-utils qt6-translations-l10n libqt6widgets6 libcurl4 libssl3 libarchive13; do
    [[ ", $depends," == *", $package"[\ ,]* ]] || fail "Depends lacks $package: $depends"
done

[ "$failures" -eq 0 ] || exit 1
echo "layout of $(basename "$deb") is complete"
