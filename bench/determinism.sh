#!/usr/bin/env bash
# bench/determinism.sh [RUNS] [SOURCE_DIR]
#
# Converts the same damaged pictures RUNS times (50 unless told) one at a time
# and two at once (-j1 and -j2) and prints every file whose outcome, reason or
# written bytes differ from one run to another; nothing but the totals when
# all runs agree. Without SOURCE_DIR it takes every bmp, gif, jpg, jpeg, png,
# tga, tif and tiff that Debian's gdk-pixbuf-tests installs (damaged, fuzzed
# and valid alike) and a PNG whose pixel chunk fails its CRC. The test
# BatchToolDeterminism runs a shorter version of this.
set -euo pipefail
export LC_ALL=C
ROOT=$(cd "$(dirname "$0")/.." && pwd)
RUNS=${1:-50}
BATCH=${BATCH:-$ROOT/build/bin/tarvel-batch}
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

SOURCE=${2:-}
if [ -z "$SOURCE" ]; then
  SOURCE=$WORK/in && mkdir -p "$SOURCE"
  tests=/usr/libexec/installed-tests/gdk-pixbuf
  find "$tests" -type f \( -name '*.bmp' -o -name '*.gif' -o -name '*.jpg' -o -name '*.jpeg' -o -name '*.png' \
    -o -name '*.tga' -o -name '*.tif' -o -name '*.tiff' \) | while read -r f; do
    cp "$f" "$SOURCE/$(echo "${f#"$tests"/}" | tr / _)"
  done
  /usr/bin/python3 - "$SOURCE/bad-crc.png" <<'EOF'
import sys
from PIL import Image
picture = Image.new("RGB", (1200, 900))
picture.putdata([(x % 256, y % 256, (x * y) % 256) for y in range(900) for x in range(1200)])
picture.save(sys.argv[1])
data = bytearray(open(sys.argv[1], "rb").read())
data[len(data) // 2] ^= 0x55
open(sys.argv[1], "wb").write(data)
EOF
fi

for jobs in 1 2; do
  for run in $(seq "$RUNS"); do
    out=$WORK/out
    rm -rf "$out"
    # Exit status 1 (some pictures failed) is what damaged pictures give.
    { "$BATCH" --json -j "$jobs" -w 800 -H 600 "$SOURCE" "$out" 2>/dev/null || true; } |
      /usr/bin/python3 -c '
import hashlib, json, os, sys
for line in sys.stdin:
    o = json.loads(line)
    if o.get("type") != "file":
        continue
    path = os.path.join(sys.argv[1], o["path"])
    written = hashlib.md5(open(path, "rb").read()).hexdigest() if os.path.exists(path) else "-"
    print(o["path"], o["status"], o.get("reason", ""), written, sep="\t")
' "$out" >>"$WORK/outcomes"
  done
done
files=$(cut -f1 "$WORK/outcomes" | sort -u | wc -l)
sort "$WORK/outcomes" | uniq -c | awk -F'\t' '{ split($1, a, " "); n[a[2]]++; line[a[2]] = line[a[2]] "\n" $0 }
  END { for (f in n) if (n[f] > 1) { differ++; print line[f] } print "\n" differ + 0 " of '"$files"' files differ over '"$RUNS"' runs at -j1 and -j2" }'
