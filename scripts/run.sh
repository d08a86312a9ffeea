#!/usr/bin/env bash
# Builds the program and starts it on the bundled demo: the demo download server
# on 127.0.0.1 and a folder that acts as a USB stick. Without a display the
# program runs under Xvfb. The server stops when the program ends.
# The demo server signs its files like the distributor's: a key pair made for this run in a
# temporary folder signs a temporary copy of demo/download, and only the public half goes
# into the build's program folder (keys/demo.pem), never into the package; both go at the end.
# The list carries a serial (the time of signing), as the distributor's does.
#   NORVANE_DEMO_DIR  where the demo stick, its drive table and the program's state live
#                     (default build/demo-run)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/setup-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target norvane-usbtool norvane-demo-server

demo_dir=${NORVANE_DEMO_DIR:-$root/build/demo-run}
mkdir -p "$demo_dir/stick"
# The drive table is written once, so a renamed demo stick keeps its new label; a stick
# ejected in the last run is plugged in again.
if ! grep -q '^\[DemoStick\]' "$demo_dir/drives.ini" 2>/dev/null; then
  cat >> "$demo_dir/drives.ini" <<TABLE
[DemoStick]
Root=$demo_dir/stick
Type=removable
Capacity=4009754624
Label=NORVANE
FileSystem=FAT32
TABLE
fi

signing=$(mktemp -d)
demo_key="$root/build/norvane-usbtool/keys/demo.pem"
server_pid=
cleanup() {
  # A second signal (screenshot.sh sends two) must not cut the cleaning short.
  trap '' TERM INT
  rm -f "$demo_key"
  rm -rf "$signing"
  if [ -n "$server_pid" ]; then kill "$server_pid" 2>/dev/null || true; fi
}
trap cleanup EXIT
trap 'exit 143' TERM INT
cp -r "$root/demo/download" "$signing/download"
openssl genpkey -algorithm ed25519 -out "$signing/demo-key.pem" 2>/dev/null
bash scripts/sign-download-folder.sh "$signing/demo-key.pem" "$signing/download/norvane/download" >/dev/null
mkdir -p "$(dirname "$demo_key")"
openssl pkey -in "$signing/demo-key.pem" -pubout -out "$demo_key"
# The program trusts only keys that neither group nor others may change, whatever the umask.
chmod go-w "$(dirname "$demo_key")" "$demo_key"

rm -f "$demo_dir/port"
"$root/build/demo/norvane-demo-server" --root "$signing/download" --port 0 \
  --port-file "$demo_dir/port" > "$demo_dir/server.log" 2>&1 &
server_pid=$!

for _ in $(seq 1 100); do
  [ -s "$demo_dir/port" ] && break
  kill -0 "$server_pid" 2>/dev/null || { cat "$demo_dir/server.log" >&2; exit 1; }
  sleep 0.1
done
port=$(cat "$demo_dir/port")
echo "Demo download server: http://127.0.0.1:$port (log: $demo_dir/server.log)"
echo "Demo stick: $demo_dir/stick"

export NORVANE_SERVER_URL="http://127.0.0.1:$port"
export NORVANE_DRIVES="$demo_dir/drives.ini"
# Every run's server has a port of its own; what the program remembers of them stays here.
export XDG_STATE_HOME="$demo_dir/state"
program="$root/build/norvane-usbtool/norvane-usbtool"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: the program runs under Xvfb."
  xvfb-run -a -s "-screen 0 1280x1024x24" "$program" "$@"
else
  "$program" "$@"
fi
