#!/usr/bin/env bash
# bench/file_size_search.sh CORPUS WORK_DIR [RUNS]
#
# What a file-size range costs: the corpus made into an exam photo (fill
# 295 x 413) and a shared picture (long edge 1920) as JPEG and WebP, once at
# the format's quality alone and once aimed at a range (20-50 KB, 200-500 KB),
# with hyperfine (RUNS, 5 unless told). Prints the median wall time of each
# and the ratio of the range's run to the plain one: each picture is drawn
# once either way, and the range only adds encodes.
set -euo pipefail
export LC_ALL=C
ROOT=$(cd "$(dirname "$0")/.." && pwd)
CORPUS=$(realpath "${1:?usage: file_size_search.sh CORPUS WORK_DIR [RUNS]}")
W=$(realpath -m "${2:?usage: file_size_search.sh CORPUS WORK_DIR [RUNS]}")
RUNS=${3:-5}
BATCH=$ROOT/build/bin/tarvel-batch
mkdir -p "$W"
clean="rm -rf '$W/out' && mkdir -p '$W/out'"
run() { echo "'$BATCH' -j 2 $* '$CORPUS' '$W/out' > '$W/output.log'"; }
args=()
for format in jpg webp; do
  exam="--fit fill -w 295 -H 413 --format $format"
  shared="--long-edge 1920 --format $format"
  args+=(-n "exam $format plain" --prepare "$clean" "$(run "$exam")"
         -n "exam $format range" --prepare "$clean" "$(run "$exam --min-size 20K --max-size 50K")"
         -n "shared $format plain" --prepare "$clean" "$(run "$shared")"
         -n "shared $format range" --prepare "$clean" "$(run "$shared --min-size 200K --max-size 500K")")
done
hyperfine -i --style basic --runs "$RUNS" --warmup 1 --export-json "$W/file_size.json" "${args[@]}"
python3 - "$W/file_size.json" <<'PY'
import json, sys
results = {r["command"]: r["median"] for r in json.load(open(sys.argv[1]))["results"]}
for name, seconds in results.items():
    if name.endswith(" range"):
        plain = results[name[: -len(" range")] + " plain"]
        print(f"{name:22} {seconds:7.2f} s against {plain:7.2f} s plain: {seconds / plain:.2f}x")
PY
