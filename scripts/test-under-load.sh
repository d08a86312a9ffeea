#!/usr/bin/env bash
# Runs the whole suite as scripts/test.sh does (build, every test with CTest, then the fuzz
# targets unless NORVANE_SKIP_FUZZ=1) while a load of its own keeps every processor busy, so
# that time limits, polling and memory figures that only hold on an idle machine show up.
#   NORVANE_LOAD_JOBS  busy loops to run beside the suite (default: one per processor)
# Exits with the suite's status; the load ends with the script, however it ends.
set -euo pipefail
cd "$(dirname "$0")/.."

load_jobs=${NORVANE_LOAD_JOBS:-$(nproc)}
load_pids=()
stop_load() {
  trap '' TERM INT
  for pid in "${load_pids[@]}"; do
    kill "$pid" 2>/dev/null || true
  done
  for pid in "${load_pids[@]}"; do
    wait "$pid" 2>/dev/null || true
  done
}
trap stop_load EXIT
trap 'exit 143' TERM INT

for _ in $(seq 1 "$load_jobs"); do
  yes >/dev/null &
  load_pids+=("$!")
done
echo "Load: $load_jobs busy loops (${load_pids[*]}) beside the suite."

start=$(date +%s)
set +e
bash scripts/test.sh
status=$?
set -e
echo "Suite under load: $([ "$status" -eq 0 ] && echo passed || echo "failed ($status)") in $(($(date +%s) - start)) s."
exit "$status"
