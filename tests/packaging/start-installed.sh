#!/usr/bin/env bash
# Starts the program as the package installs it, offscreen, against the demo download server
# and a folder-backed stick, and checks that its update search reaches the server.
#   start-installed.sh <output folder of build-deb.sh> <demo server> <demo download folder>
# The program is started through a copy of the package's /usr/bin link that points into the
# scratch root, so it must find its program folder behind a symbolic link.
set -euo pipefail
out=$1
server=$2
download=$3
root=$out/root
run=$(mktemp -d)
server_pid=
program_pid=
cleanup() {
    # Either may have ended already; the server must stop and the folder go in any case.
    if [ -n "$program_pid" ]; then kill "$program_pid" 2>/dev/null || true; fi
    if [ -n "$server_pid" ]; then kill "$server_pid" 2>/dev/null || true; fi
    wait 2>/dev/null || true
    rm -rf "$run"
}
trap cleanup EXIT

"$server" --root "$download" --port 0 --port-file "$run/port" > "$run/server.log" 2>&1 &
server_pid=$!
# Bounds for a busy machine: each wait ends as soon as its step is done.
deadline=$((SECONDS + 60))
while [ "$SECONDS" -lt "$deadline" ]; do
    [ -s "$run/port" ] && break
    sleep 0.1
done
[ -s "$run/port" ] || { cat "$run/server.log" >&2; echo "the demo server did not start" >&2; exit 1; }

mkdir -p "$run/stick" "$run/bin" "$run/home"
cat > "$run/drives.ini" <<TABLE
[Stick]
Root=$run/stick
Type=removable
Capacity=1000000000
Label=DEMO
FileSystem=FAT32
TABLE
ln -s "$root$(readlink "$root/usr/bin/norvane-usbtool")" "$run/bin/norvane-usbtool"

HOME=$run/home XDG_CONFIG_HOME=$run/home/.config XDG_STATE_HOME=$run/home/.local/state QT_QPA_PLATFORM=offscreen \
    NORVANE_SERVER_URL="http://127.0.0.1:$(cat "$run/port")" NORVANE_DRIVES=$run/drives.ini \
    "$run/bin/norvane-usbtool" > "$run/program.log" 2>&1 &
program_pid=$!

# The search starts 4 s after the start and fetches three files, then the signed list of
# digests and its signature (the demo folder served here has neither).
expected="/norvane/download/usb-version.txt /norvane/download/usb-news.csv /norvane/download/usb-list.csv"
expected="$expected /norvane/download/usb-sha256.txt /norvane/download/usb-sha256.txt.sig"
requests=""
deadline=$((SECONDS + 120))
while [ "$SECONDS" -lt "$deadline" ]; do
    requests=$(awk '$1 == "GET" { printf "%s%s", sep, $2; sep = " " }' "$run/server.log")
    [ "$requests" = "$expected" ] && break
    kill -0 "$program_pid" 2>/dev/null || break
    sleep 0.1
done
if [ "$requests" != "$expected" ]; then
    echo "requests: '$requests'" >&2
    echo "expected: '$expected'" >&2
    cat "$run/program.log" >&2
    exit 1
fi
kill -0 "$program_pid" 2>/dev/null || { cat "$run/program.log" >&2; echo "the program ended" >&2; exit 1; }
echo "the installed program fetched: $requests"
