#!/usr/bin/env bash
# bench/tiny_pngs.sh WORK_DIR [COUNT]
#
# What the workers cost per picture, where the pictures cost almost nothing:
# COUNT (3000 unless told) PNGs of 48 x 32 fitted into 24 x 16, by tarvel-batch
# (two workers) and by libvips in process (vipsthumbnail given half the files
# each, two processes at once), with hyperfine, 5 runs each.
# BEFORE=/path/to/an/older/tarvel-batch times that build too.
set -euo pipefail
export LC_ALL=C
ROOT=$(cd "$(dirname "$0")/.." && pwd)
W=$(realpath -m "${1:?usage: tiny_pngs.sh WORK_DIR [COUNT]}")
COUNT=${2:-3000}
BATCH=$ROOT/build/bin/tarvel-batch
BEFORE=${BEFORE:-}
IN=$W/tiny
mkdir -p "$IN"
if [ "$(find "$IN" -name '*.png' | wc -l)" != "$COUNT" ]; then
  rm -rf "$IN" && mkdir -p "$IN"
  vips gaussnoise "$W/noise.v" 48 32 --mean 128 --sigma 60
  vips cast "$W/noise.v" "$W/grey.v" uchar
  vips bandjoin "$W/grey.v $W/grey.v $W/grey.v" "$W/tiny.v"
  vips copy "$W/tiny.v" "$W/tiny.png"
  for i in $(seq -w "$COUNT"); do cp "$W/tiny.png" "$IN/p$i.png"; done
fi

half=$(((COUNT + 1) / 2))
runs=()
runs+=(-n "tarvel-batch" --prepare "rm -rf '$W/out' && mkdir -p '$W/out'" "'$BATCH' -j 2 -w 24 -H 16 '$IN' '$W/out'")
if [ -n "$BEFORE" ]; then
  runs+=(-n "before" --prepare "rm -rf '$W/out' && mkdir -p '$W/out'" "'$BEFORE' -j 2 -w 24 -H 16 '$IN' '$W/out'")
fi
runs+=(-n "libvips in process" --prepare "rm -rf '$W/out' && mkdir -p '$W/out'"
  "find '$IN' -name '*.png' | xargs -P2 -n $half vipsthumbnail --size 24x16 -o '$W/out/%s.png'")
hyperfine --style basic --runs 5 --warmup 1 --export-json "$W/tiny.json" "${runs[@]}"
python3 - "$W/tiny.json" <<'EOF'
import json, sys
results = {r["command"]: r["median"] for r in json.load(open(sys.argv[1]))["results"]}
reference = results["libvips in process"]
for name, median in results.items():
    print(f"{name}: {median:.2f} s, {median / reference:.2f} x libvips in process")
EOF
