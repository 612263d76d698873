#!/usr/bin/env bash
# bench/worker_tasks.sh CORPUS_DIR NEWER_DIR WORK_DIR
#
# The most tasks (threads) a conversion worker runs at once, behind the cap
# in imaging/worker_sandbox.h: tarvel-batch converts CORPUS_DIR into every
# output format, and NEWER_DIR (bench/make_newer_corpus.sh: WebP, HEIC, AVIF,
# JPEG XL) into every output format, with one and with two workers, while
# every tarvel-worker's thread count is read from /proc every millisecond.
# Prints the highest count seen per run and over all.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
C=$(realpath "${1:?usage: worker_tasks.sh CORPUS_DIR NEWER_DIR WORK_DIR}")
N=$(realpath "${2:?usage: worker_tasks.sh CORPUS_DIR NEWER_DIR WORK_DIR}")
W=$(realpath -m "${3:?usage: worker_tasks.sh CORPUS_DIR NEWER_DIR WORK_DIR}")
BIN=$ROOT/build/bin
rm -rf "$W" && mkdir -p "$W"
peak=0
for source in "$C" "$N"/*/; do
  for format in jpg png gif tif bmp tga webp heic avif jxl; do
    for jobs in 1 2; do
      out=$W/out && rm -rf "$out" && mkdir -p "$out"
      "$BIN/tarvel-batch" -j "$jobs" --format "$format" --width 1024 --height 768 \
        "$source" "$out" >/dev/null 2>&1 &
      batch=$!
      most=$(python3 - "$batch" <<'PY'
import os, sys, time
batch = int(sys.argv[1]); most = 0
def running():
    try:
        return open(f"/proc/{batch}/stat").read().split(") ")[1][0] != "Z"
    except OSError:
        return False
while running():
    for pid in os.listdir("/proc"):
        if not pid.isdigit():
            continue
        try:
            status = open(f"/proc/{pid}/status").read()
        except OSError:
            continue
        if "\nName:\ttarvel-worker\n" in "\n" + status:
            threads = int(status.split("Threads:\t")[1].split("\n")[0])
            most = max(most, threads)
    time.sleep(0.001)
print(most)
PY
)
      wait "$batch" || true
      echo "$(basename "$source") -> $format, -j$jobs: $most"
      [ "$most" -gt "$peak" ] && peak=$most
    done
  done
done
echo "most threads in one worker: $peak"
