#!/usr/bin/env bash
# The import's time and peak memory on two lines: the Liechtenstein extract
# (Schaan-Vaduz to Tisis, OpenStreetMap PBF) and a synthetic GeoJSON line of
# about 990 km (a point every 10 m, straights and curves of radius 800 to
# 6000 m). Target: the long line in under 2 s and under 200 MB. Prints the
# median of ROUNDS runs and the largest peak memory, and the fit's summary.
#
# Usage: bench/import_bench.sh [PROGRAM] [ROUNDS]   (needs /usr/bin/time and python3)
set -euo pipefail
program=$(realpath "${1:-build/scenario-compiler}")
rounds=${2:-5}
source_dir=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

python3 - "$work/long.geojson" <<'PY'
import json, math, random, sys
random.seed(1)
lat0, lon0, radius = 45.0, 8.0, 6371000.0
x = y = 0.0; heading = 0.3; walked = 0.0; points = []
while walked < 990000:
    length = random.uniform(300, 3000)
    k = random.choice([0, 0, 0, 0, 1/800, -1/800, 1/1500, -1/1500, 1/3000, -1/3000, 1/6000, -1/6000])
    for _ in range(int(length / 10)):
        x += 10 * math.sin(heading); y += 10 * math.cos(heading); heading += k * 10; walked += 10
        points.append([lon0 + math.degrees(x / (radius * math.cos(math.radians(lat0)))),
                       lat0 + math.degrees(y / radius)])
def station(name, p):
    return {"type": "Feature", "properties": {"name": name}, "geometry": {"type": "Point", "coordinates": p}}
features = [{"type": "Feature", "properties": {}, "geometry": {"type": "LineString", "coordinates": points}},
            station("Alpha", points[0]), station("Omega", points[-1])]
json.dump({"type": "FeatureCollection", "features": features}, open(sys.argv[1], "w"))
PY

run() {  # NAME SOURCE FROM TO
  local name=$1 source=$2 from=$3 to=$4 times=() peak=0
  for ((i = 0; i < rounds; i++)); do
    /usr/bin/time -f "%e %M" -o "$work/time" "$program" import "$source" --from "$from" --to "$to" \
      --out "$work" --force >"$work/report" 2>&1
    read -r seconds kilobytes <"$work/time"
    times+=("$seconds")
    ((kilobytes > peak)) && peak=$kilobytes
  done
  median=$(printf '%s\n' "${times[@]}" | sort -n | sed -n "$(((rounds + 1) / 2))p")
  echo "$name: median ${median} s, peak $((peak / 1024)) MB"
  grep -E '^(track|plan)' "$work/report" | sed 's/^/  /'
}

run "Liechtenstein" "$source_dir/tests/data/osm/liechtenstein-2013-08-03.osm.pbf" Schaan-Vaduz Tisis
run "990 km GeoJSON" "$work/long.geojson" Alpha Omega
