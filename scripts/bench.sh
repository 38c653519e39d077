#!/usr/bin/env bash
# Builds the benchmarks optimised (Release, no sanitizers) and runs them; extra arguments go to
# Google Benchmark (for instance --benchmark_filter=Geometry).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
build=build/bench
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCORVANE_UI=OFF -DCORVANE_TESTS=OFF \
      -DCORVANE_BENCH=ON >/dev/null
cmake --build "$build" --target corvane_bench
"$build/bench/corvane_bench" "$@"
