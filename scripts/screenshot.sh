#!/usr/bin/env bash
# Takes a screenshot of the program on the demo, at a given scale, after the
# update search has run:  scripts/screenshot.sh [out.png] [scale] [seconds]
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-docs/screenshot.png}
scale=${2:-1}
wait_seconds=${3:-7}

bash scripts/setup-deps.sh
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1600x1100x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill "$run_pid" "$xvfb_pid" 2>/dev/null || true' EXIT
sleep 1
DISPLAY=$display QT_SCALE_FACTOR=$scale NORVANE_DEMO_DIR=$(pwd)/build/demo-screenshot \
  setsid bash scripts/run.sh > build/screenshot-run.log 2>&1 &
run_pid=$!
# The build may take a while on a fresh machine; wait for the window first.
for _ in $(seq 1 600); do
  DISPLAY=$display xwininfo -root -tree 2>/dev/null | grep -q "Norvane" && break
  sleep 1
done
sleep "$wait_seconds"
DISPLAY=$display import -window root -trim "$out"
kill -- -"$run_pid" 2>/dev/null || true
echo "Screenshot: $out"
