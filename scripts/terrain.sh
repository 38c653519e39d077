#!/usr/bin/env bash
# Writes data/world_terrain.db from data/summits.tsv (name, latitude, longitude, metres, region):
# one "lat lon metres" line per summit, in the table's order.
set -euo pipefail
cd "$(dirname "$0")/.."
awk -F'\t' '!/^#/ && NF >= 4 { print $2 " " $3 " " $4 }' data/summits.tsv > data/world_terrain.db
echo "data/world_terrain.db: $(wc -l < data/world_terrain.db) summits"
