#!/usr/bin/env bash
# Builds one libFuzzer target (fuzz/fuzz_NAME.cpp) with clang and runs it.
# usage: scripts/fuzz.sh NAME SECONDS [extra libFuzzer flags]
set -euo pipefail
cd "$(dirname "$0")/.."
name=$1
seconds=$2
shift 2
scripts/deps.sh
build=build/fuzz
cmake -S . -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCORVANE_UI=OFF -DCORVANE_TESTS=OFF -DCORVANE_BENCH=OFF -DCORVANE_FUZZ=ON \
      -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined" >/dev/null
cmake --build "$build" --target "fuzz_$name"
corpus="$build/corpus/$name"
mkdir -p "$corpus"
seeds=()
[ -d "fuzz/seeds/$name" ] && seeds=("fuzz/seeds/$name")
"$build/fuzz/fuzz_$name" -max_total_time="$seconds" -print_final_stats=1 "$@" "$corpus" "${seeds[@]}"
