#!/usr/bin/env bash
# corvane-tool build-db on a random world (24,000 airports in 300 BGL files by default) against
# reading the bytes of every file it reads (scenery.cfg and the .bgl files, magdec.bgl included)
# with cat > /dev/null, in the same run, both from the page cache. Prints the best of RUNS runs of
# each, in wall time and in processor time (user + system), and the ratios.
#   scripts/bench-build-db.sh [AIRPORTS FILES RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
airports=${1:-24000}
files=${2:-300}
runs=${3:-5}
scripts/deps.sh
build=build/bench
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCORVANE_UI=OFF -DCORVANE_TESTS=OFF \
      -DCORVANE_BENCH=ON >/dev/null
cmake --build "$build" --target corvane-tool >/dev/null
tool=$PWD/$build/tools/corvane-tool/corvane-tool

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
"$tool" make-scenery --random "$airports" "$files" "$scratch/FS2002"
mkdir "$scratch/work"
mapfile -d '' read_files < <(find "$scratch/FS2002" -type f \( -iname '*.bgl' -o -iname 'scenery.cfg' \) -print0)
bytes=$(cat "${read_files[@]}" | wc -c)
echo "${#read_files[@]} files, $bytes bytes"

# Seconds of wall, user and system time of one command, as "real user sys".
TIMEFORMAT='%R %U %S'
timed() { { time "$@" >/dev/null 2>&1; } 2>&1; }

cat "${read_files[@]}" >/dev/null  # into the page cache
best_cat="" best_cat_cpu="" best_build="" best_build_cpu=""
smaller() { awk -v a="$1" -v b="$2" 'BEGIN { print (a == "" || b < a) ? b : a }'; }
for ((i = 0; i < runs; i++)); do
    read -r real user sys < <(timed cat "${read_files[@]}")
    best_cat=$(smaller "$best_cat" "$real")
    best_cat_cpu=$(smaller "$best_cat_cpu" "$(awk -v u="$user" -v s="$sys" 'BEGIN { print u + s }')")
    read -r real user sys < <(cd "$scratch/work" && timed "$tool" build-db --fs "$scratch/FS2002")
    best_build=$(smaller "$best_build" "$real")
    best_build_cpu=$(smaller "$best_build_cpu" "$(awk -v u="$user" -v s="$sys" 'BEGIN { print u + s }')")
done
grep -q "total_airports=$airports" "$scratch/work/corvane.cfg" || {
    echo "build-db did not write total_airports=$airports" >&2
    exit 1
}
awk -v c="$best_cat" -v b="$best_build" -v cc="$best_cat_cpu" -v bc="$best_build_cpu" 'BEGIN {
    printf "cat > /dev/null   %8.3f s wall  %8.3f s cpu\n", c, cc
    printf "build-db          %8.3f s wall  %8.3f s cpu\n", b, bc
    printf "ratio             %8.1f x wall  %8.1f x cpu\n", b / c, (cc > 0 ? bc / cc : 0)
}'
