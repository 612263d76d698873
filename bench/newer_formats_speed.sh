#!/usr/bin/env bash
# bench/newer_formats_speed.sh NEWER_CORPUS_DIR WORK_DIR [RUNS]
#
# tarvel-batch against vipsthumbnail, a process per file with xargs -P2, on
# the pictures of bench/make_newer_corpus.sh, one folder per format, each
# fitted into 1024 x 768 and written in its own format. vipsthumbnail is given
# the program's settings where libvips has them (WebP Q 90, AVIF Q 70 at
# libvips' effort 3, which is libaom's speed 6, 8 bits, HEIC Q 50 at 8 bits,
# JPEG XL distance 1 at effort 5); libvips sets no x265 preset, so its HEIC
# encodes at libheif's default, "slow". Prints a Markdown table: the best of
# RUNS (default 3) wall times of each, and their ratio.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
N=$(realpath "${1:?usage: newer_formats_speed.sh NEWER_CORPUS_DIR WORK_DIR [RUNS]}")
W=$(realpath -m "${2:?usage: newer_formats_speed.sh NEWER_CORPUS_DIR WORK_DIR [RUNS]}")
RUNS=${3:-3}
BIN=${BIN:-$ROOT/build/bin}
export VIPS_WARNING=0
rm -rf "$W" && mkdir -p "$W"

best() { # command... ; prints the best wall time of RUNS runs, in seconds
  local best= t start
  for _ in $(seq "$RUNS"); do
    rm -rf "$W/out" && mkdir -p "$W/out"
    start=$(date +%s.%N)
    "$@" >/dev/null 2>&1
    t=$(echo "$(date +%s.%N) - $start" | bc)
    if [ -z "$best" ] || [ "$(echo "$t < $best" | bc)" = 1 ]; then best=$t; fi
  done
  printf '%.2f' "$best"
}

declare -A peer=(
  [webp]='%s.webp[Q=90,effort=4,strip]'
  [heic]='%s.heic[Q=50,compression=hevc,bitdepth=8,strip]'
  [avif]='%s.avif[Q=70,compression=av1,effort=3,bitdepth=8,strip]'
  [jxl]='%s.jxl[distance=1,effort=5]'
)
echo "| format | pictures | tarvel-batch (s) | vipsthumbnail, xargs -P2 (s) | ratio |"
echo "|---|---|---|---|---|"
for format in ${FORMATS:-webp heic avif jxl}; do
  dir=$N/$format
  count=$(find "$dir" -type f | wc -l)
  ours=$(best "$BIN/tarvel-batch" -w 1024 -H 768 "$dir" "$W/out")
  theirs=$(best sh -c "find '$dir' -type f -print0 | xargs -0 -P2 -n1 vipsthumbnail --size 1024x768 -o '$W/out/${peer[$format]}'")
  echo "| $format | $count | $ours | $theirs | $(echo "scale=2; $ours / $theirs" | bc) |"
done
