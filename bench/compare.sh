#!/usr/bin/env bash
# bench/compare.sh CORPUS_DIR WORK_DIR
#
# Times tarvel-batch side by side with the tools users would otherwise pick, in
# one run on one machine: the peers through ../shared/bench/bench-peers.sh, then
# tarvel-batch with the same hyperfine settings on the whole corpus and on its
# JPEGs alone. Fits into 1024 x 768, JPEG quality 100, same format out.
# Two peers of its own: vips-thumbnail-batch (bench/vips_thumbnail_batch.cpp,
# libvips' thumbnail in one process on two threads), and a JPEG floor that
# decodes at the same margin as tarvel-batch (djpeg at the largest 1/N that
# leaves twice the target, then cjpeg -quality 100 -sample 1x1, xargs -P2).
# Needs a built tree (./dev build) and the peers' packages (bench-peers.sh
# installs them). Results go to WORK_DIR/results; the table is printed last.
# BEFORE=/path/to/an/older/tarvel-batch times that build too, in the same run.
set -euo pipefail
export LC_ALL=C VIPS_WARNING=0
ROOT=$(cd "$(dirname "$0")/.." && pwd)
C=$(realpath "${1:?usage: compare.sh CORPUS_DIR WORK_DIR}")
W=$(realpath -m "${2:?usage: compare.sh CORPUS_DIR WORK_DIR}")
R=$W/results
PEERS=${PEERS:-$ROOT/../shared/bench/bench-peers.sh}
BATCH=$ROOT/build/bin/tarvel-batch
BEFORE=${BEFORE:-}
RUNS=${RUNS:-5}
MODES=${MODES:-"floor-xargs2 vips-xargs2 vips-parallel2 im-mogrify im-xargs2-1thr gm-xargs2-1thr"}
mkdir -p "$W" "$R"

MODES=$MODES PHASES=${PEER_PHASES:-"time rss"} RUNS_FAST=$RUNS RUNS_SLOW=${RUNS_SLOW:-3} \
  bash "$PEERS" "$C" "$W/peers" "$R"

# The JPEGs alone, for the comparison with the djpeg + cjpeg floor.
J=$W/jpeg-only
rm -rf "$J" && mkdir -p "$J"
find "$C" -maxdepth 1 -type f \( -iname '*.jpg' -o -iname '*.jpeg' \) ! -name '.*' -exec ln -s {} "$J/" \;

# The floor at tarvel-batch's margin: 1/N leaving at least twice the target.
# bench-peers.sh has made the target-size pictures cjpeg encodes.
while read -r f; do
  w=$(vipsheader -f width "$f"); h=$(vipsheader -f height "$f")
  read -r tw th < <(awk -v w="$w" -v h="$h" 'BEGIN{s=1024/w; if (768/h < s) s=768/h; if (s>1) s=1;
    tw=int(w*s+0.5); th=int(h*s+0.5); print (tw<1?1:tw), (th<1?1:th)}')
  awk -v w="$w" -v h="$h" -v tw="$tw" -v th="$th" -v f="$f" \
    'BEGIN{n=1; for (m=2; m<=8; m*=2) if (w/m >= 2*tw && h/m >= 2*th) n=m; print n, f}'
done < <(cut -d' ' -f2- "$R/floor/decode.lst") >"$R/floor/decode-margin.lst"
paste -d' ' "$R/floor/decode-margin.lst" "$R/floor/encode.lst" >"$R/floor/margin-pairs.lst"
hyperfine --style basic --runs "$RUNS" --warmup 1 --export-json "$R/json/floor-margin-xargs2.json" -n floor-margin-xargs2 \
  "xargs -P2 -n3 sh '$R/cmd/floor1.sh' < '$R/floor/margin-pairs.lst'" | tee "$R/logs/floor-margin-xargs2.txt"
VTB=$ROOT/build/bin/vips-thumbnail-batch
hyperfine --style basic --runs "$RUNS" --warmup 1 --prepare "rm -rf '$W/out-vtb' && mkdir -p '$W/out-vtb'" \
  --export-json "$R/json/vips-inprocess2.json" -n vips-inprocess2 \
  "'$VTB' 1024 768 '$C' '$W/out-vtb' 2>/dev/null" | tee "$R/logs/vips-inprocess2.txt"

run_ours() { # name folder [binary]
  hyperfine --style basic --runs "$RUNS" --warmup 1 \
    --prepare "rm -rf '$W/out-$1' && mkdir -p '$W/out-$1'" \
    --export-json "$R/json/tarvel-$1.json" -n "tarvel-$1" \
    "'${3:-$BATCH}' --width 1024 --height 768 '$2' '$W/out-$1'" | tee "$R/logs/tarvel-$1.txt"
}
run_ours all "$C"
run_ours jpeg "$J"
if [ -n "$BEFORE" ]; then
  run_ours before-all "$C" "$BEFORE"
  run_ours before-jpeg "$J" "$BEFORE"
fi

# Peak memory of the whole run (the program and its workers together, sampled)
# and of the largest JPEG alone.
peak() { # name folder binary
  rm -rf "$W/out-$1" && mkdir -p "$W/out-$1"
  python3 "$ROOT/bench/peak_memory.py" "$3" --width 1024 --height 768 "$2" "$W/out-$1" >/dev/null 2>"$R/peak-$1.txt"
}
big=$(for f in "$J"/*; do echo "$(( $(vipsheader -f width "$f") * $(vipsheader -f height "$f") )) $(basename "$f")"; done \
      | sort -rn | head -n1 | cut -d' ' -f2)
S=$W/single && rm -rf "$S" && mkdir -p "$S" && ln -sf "$(readlink -f "$J/$big")" "$S/"
peak rss "$C" "$BATCH"
peak single "$S" "$BATCH"
if [ -n "$BEFORE" ]; then
  peak before-rss "$C" "$BEFORE"
  peak before-single "$S" "$BEFORE"
fi

median() { python3 -c "import json,sys; print('%.2f' % json.load(open(sys.argv[1]))['results'][0]['median'])" "$1"; }
mem() { sed -n 's/.*total_mb=\([0-9.]*\) total_pss_mb=\([0-9.]*\).*/\1 MB resident, \2 MB proportional/p' "$R/peak-$1.txt"; }
ours=$(median "$R/json/tarvel-all.json"); oursj=$(median "$R/json/tarvel-jpeg.json")
{
  printf '| run | median s | tarvel-batch / it |\n|---|---|---|\n'
  printf '| tarvel-batch, whole corpus | %s | 1.00 |\n' "$ours"
  for m in $MODES vips-inprocess2 floor-margin-xargs2; do
    [ -f "$R/json/$m.json" ] || continue
    t=$(median "$R/json/$m.json")
    case $m in floor-*) ref=$oursj; label="$m (JPEGs only)";; *) ref=$ours; label=$m;; esac
    printf '| %s | %s | %s |\n' "$label" "$t" "$(python3 -c "print('%.2f' % ($ref / $t))")"
  done
  printf '| tarvel-batch, JPEGs only | %s | |\n' "$oursj"
  if [ -n "$BEFORE" ]; then
    printf '| before: tarvel-batch, whole corpus | %s | %s |\n' "$(median "$R/json/tarvel-before-all.json")" \
      "$(python3 -c "print('%.2f' % ($ours / $(median "$R/json/tarvel-before-all.json")))")"
    printf '| before: tarvel-batch, JPEGs only | %s | %s |\n' "$(median "$R/json/tarvel-before-jpeg.json")" \
      "$(python3 -c "print('%.2f' % ($oursj / $(median "$R/json/tarvel-before-jpeg.json")))")"
  fi
  printf '\npeak memory, all processes: whole run %s; the JPEG with the most pixels alone (%s) %s\n' \
    "$(mem rss)" "$big" "$(mem single)"
  [ -z "$BEFORE" ] || printf 'before: whole run %s; that JPEG alone %s\n' "$(mem before-rss)" "$(mem before-single)"
} | tee "$R/compare.md"
