#!/usr/bin/env bash
# bench/several_sizes.sh CORPUS WORK_DIR [RUNS]
#
# What --size saves: the corpus made into three sizes in one run (each
# picture decoded once for all of them where the sizes decode it alike),
# against the largest size alone and against three runs, one per size, with
# hyperfine (RUNS, 5 unless told, each kind's runs one after another). Prints
# the median wall time and the mean processor time (user + system, every
# process of the run) of each, their ratios to the largest alone, and how
# many pictures failed in all (a picture that overran its time budget on a
# busy machine makes a run fail; hyperfine goes on).
set -euo pipefail
export LC_ALL=C
ROOT=$(cd "$(dirname "$0")/.." && pwd)
CORPUS=$(realpath "${1:?usage: several_sizes.sh CORPUS WORK_DIR [RUNS]}")
W=$(realpath -m "${2:?usage: several_sizes.sh CORPUS WORK_DIR [RUNS]}")
RUNS=${3:-5}
BATCH=$ROOT/build/bin/tarvel-batch
mkdir -p "$W"
clean="rm -rf '$W/out' && mkdir -p '$W/out'"
rm -f "$W/output.log"
three="'$BATCH' -j 2 --verbose -w 1920 -H 1080 '$CORPUS' '$W/out/large' >> '$W/output.log'; '$BATCH' -j 2 --verbose -w 1024 -H 768 '$CORPUS' '$W/out/mid' >> '$W/output.log'; '$BATCH' -j 2 --verbose -w 320 -H 240 '$CORPUS' '$W/out/thumbs' >> '$W/output.log'"
# What each run printed, failures with their reasons, is kept in WORK_DIR/output.log.
hyperfine -i --style basic --runs "$RUNS" --warmup 1 --export-json "$W/sizes.json" \
  -n "largest alone" --prepare "$clean" "'$BATCH' -j 2 --verbose -w 1920 -H 1080 '$CORPUS' '$W/out' >> '$W/output.log'" \
  -n "three sizes, one run" --prepare "$clean" \
  "'$BATCH' -j 2 --verbose --size 1920x1080:large --size 1024x768:mid --size 320x240:thumbs '$CORPUS' '$W/out' >> '$W/output.log'" \
  -n "three runs" --prepare "$clean" "$three"
python3 - "$W/sizes.json" <<'PY'
import json, sys
results = {r["command"]: r for r in json.load(open(sys.argv[1]))["results"]}
base = results["largest alone"]
cpu = lambda r: r["user"] + r["system"]
for name, r in results.items():
    print(f"{name:22} wall {r['median']:7.2f} s ({r['median'] / base['median']:.2f}x)"
          f"  processor {cpu(r):7.2f} s ({cpu(r) / cpu(base):.2f}x)")
PY
echo "pictures failed in all runs: $(grep -c '^  .*: ' "$W/output.log" || true)"
