#!/usr/bin/env bash
# Builds the program, every test and the benchmarks from nothing, runs all tests with CTest and,
# when clang is present, runs each fuzz target for a short fixed time.
# Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/setup-deps.sh

export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

# The benchmarks are built too, so that a change that breaks them fails here; scripts/bench.sh
# runs them.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNORVANE_TESTS=ON -DNORVANE_BENCH=ON >/dev/null
cmake --build build -j "$jobs"

set +e
(cd build && ctest --output-on-failure -j "$jobs" --timeout 300) | tee build/ctest.log
status=${PIPESTATUS[0]}
set -e
if [ "$status" -ne 0 ]; then
  echo "Tests failed." >&2
  exit "$status"
fi

if command -v clang++ >/dev/null 2>&1 && [ "${NORVANE_SKIP_FUZZ:-0}" != 1 ]; then
  fuzz_seconds=${NORVANE_FUZZ_SECONDS:-30}
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DNORVANE_TESTS=OFF -DNORVANE_FUZZ=ON >/dev/null
  cmake --build build-fuzz -j "$jobs" --target fuzz_all
  for target in build-fuzz/fuzz/*; do
    [ -x "$target" ] || continue
    name=$(basename "$target")
    corpus="$root/build-fuzz/corpus-$name"
    mkdir -p "$corpus"
    seeds="$root/tests/fuzz/seeds/$name"
    [ -d "$seeds" ] || seeds=""
    echo "Fuzzing $name for ${fuzz_seconds}s"
    "$target" -max_total_time="$fuzz_seconds" -max_len=65536 -rss_limit_mb=4096 \
      -print_final_stats=0 "$corpus" $seeds 2> "build-fuzz/$name.log" \
      || { tail -n 60 "build-fuzz/$name.log" >&2; echo "Fuzz target $name failed." >&2; exit 1; }
  done
fi
# The summary line of the test run, repeated last so that it closes the output.
grep -E '^[0-9]+% tests passed' build/ctest.log
