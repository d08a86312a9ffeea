#!/usr/bin/env bash
# Builds the benchmarks (RelWithDebInfo, in build-bench/) and runs them all, one after
# the other, each against its reference in the same run; prints the ratios, the peak
# memories and whether each goal is met. Exits non-zero when a benchmark fails or a
# goal is missed. NORVANE_BENCH_LARGE=0 skips the 500 MB update run.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup-deps.sh

export QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNORVANE_BENCH=ON -DNORVANE_TESTS=OFF \
  >/dev/null
cmake --build build-bench -j "${NORVANE_BENCH_JOBS:-2}" --target bench_download bench_download_cpu bench_unzip \
  bench_stream_to_file bench_window_latency bench_enumeration bench_update_run bench_staged_update bench_startup bench_bare_window \
  norvane-usbtool
bin=build-bench/bench
failed=0

section() { printf '\n== %s\n' "$1"; }
note_failure() { echo "FAILED: $1"; failed=1; }

# Runs a program under /usr/bin/time -v and checks its peak RSS against a goal in MiB.
peak_rss() {
  local goal=$1 log
  shift
  log=$(mktemp)
  if ! /usr/bin/time -v -o "$log" "$@"; then
    note_failure "$*"
  fi
  local kb
  kb=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$log")
  rm -f "$log"
  awk -v kb="$kb" -v goal="$goal" 'BEGIN {
    printf "Maximum resident set size: %d kB (%.1f MiB), goal under %d MiB: %s\n",
           kb, kb / 1024, goal, (kb / 1024 < goal) ? "met" : "MISSED" }'
  [ "$((kb / 1024))" -lt "$goal" ] || failed=1
}

section "OpenURL kind 1 and DownloadToFile against curl, 500 MiB from the loopback server (goal 0.9)"
"$bin/bench_download" 500 || note_failure bench_download

section "CPU of a download paced at 12 MB/s by the loopback server (goal at most 5 % of one core)"
"$bin/bench_download_cpu" || note_failure bench_download_cpu

section "Start-up to the mapped window against a bare Qt window under Xvfb (goal at most 1.3)"
"$bin/bench_startup" build-bench/norvane-usbtool/norvane-usbtool "$bin/bench_bare_window" 10 2>/dev/null \
  || note_failure bench_startup

section "UnzipArchive against bsdtar -xf, 200 MB archive of 2,000 members"
"$bin/bench_unzip" || note_failure bench_unzip

section "DownloadToFile streaming a 500 MiB package into a folder"
peak_rss 80 "$bin/bench_stream_to_file" 500

section "Repaint of the window thread while a kind-0 transfer stalls 10 s"
"$bin/bench_window_latency" || note_failure bench_window_latency

section "One enumeration of 48 volumes (goal under 5 ms)"
"$bin/bench_enumeration" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
  || note_failure bench_enumeration

section "Flushes of a staged update with 10, 100 and 1,000 members (goal: the same count)"
"$bin/bench_staged_update" || note_failure bench_staged_update

section "Whole update run, 200 MB package"
peak_rss 100 "$bin/bench_update_run" 200

if [ "${NORVANE_BENCH_LARGE:-1}" != 0 ]; then
  section "Whole update run, 500 MB package"
  peak_rss 100 "$bin/bench_update_run" 500
fi

exit "$failed"
