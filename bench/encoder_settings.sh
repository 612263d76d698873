#!/usr/bin/env bash
# The encoders' settings weighed: for each 1024 x 768 source picture (PNG) in
# DIR and each candidate setting, the file size, SSIM against the source (of
# what an independent decoder makes of the file: dwebp, heif-convert, djxl)
# and the encode time on one core (the best of 3). The encoders are the ones
# the program calls: libvips' webpsave and jxlsave, libheif (through heif-enc,
# with the parameters the program sets) for HEIC and AVIF.
#   bench/encoder_settings.sh DIR [CORE]
set -euo pipefail
dir=$1
core=${2:-1}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export VIPS_CONCURRENCY=1

settings=(
  "jpeg Q=100 (the window's)|vips jpegsave IN OUT.jpg --Q 100 --strip"
  "jpeg Q=90|vips jpegsave IN OUT.jpg --Q 90 --strip"
  "webp lossless effort=4|vips webpsave IN OUT.webp --lossless --effort 4 --strip"
  "webp Q=80|vips webpsave IN OUT.webp --Q 80 --strip"
  "webp Q=90|vips webpsave IN OUT.webp --Q 90 --strip"
  "webp Q=95|vips webpsave IN OUT.webp --Q 95 --strip"
  "avif q=50 speed=6|heif-enc -A -q 50 -p speed=6 -p threads=1 IN -o OUT.avif"
  "avif q=70 speed=6|heif-enc -A -q 70 -p speed=6 -p threads=1 IN -o OUT.avif"
  "avif q=70 speed=8|heif-enc -A -q 70 -p speed=8 -p threads=1 IN -o OUT.avif"
  "avif q=70 speed=4|heif-enc -A -q 70 -p speed=4 -p threads=1 IN -o OUT.avif"
  "heic q=50 preset=slow (libheif's)|heif-enc -q 50 IN -o OUT.heic"
  "heic q=50 preset=veryfast|heif-enc -q 50 -p preset=veryfast IN -o OUT.heic"
  "heic q=50 preset=ultrafast|heif-enc -q 50 -p preset=ultrafast IN -o OUT.heic"
  "heic q=70 preset=veryfast|heif-enc -q 70 -p preset=veryfast IN -o OUT.heic"
  "jxl d=1 effort=7 (libjxl's)|vips jxlsave IN OUT.jxl --distance 1 --effort 7"
  "jxl d=1 effort=5|vips jxlsave IN OUT.jxl --distance 1 --effort 5"
  "jxl d=1 effort=3|vips jxlsave IN OUT.jxl --distance 1 --effort 3"
  "jxl d=0.5 effort=5|vips jxlsave IN OUT.jxl --distance 0.5 --effort 5"
)

decode() { # FILE PNG
  case $1 in
    *.webp) dwebp -quiet "$1" -o "$2" ;;
    *.heic | *.avif) heif-convert "$1" "$2" >/dev/null ;;
    *.jxl) djxl "$1" "$2" >/dev/null 2>&1 ;;
    *) vips copy "$1" "$2" ;;
  esac
}

printf '%-34s %-28s %9s %7s %7s\n' setting picture bytes ssim seconds
for entry in "${settings[@]}"; do
  name=${entry%%|*}
  template=${entry#*|}
  for source in "$dir"/*.png; do
    out=$work/out
    command=${template//IN/$source}
    command=${command//OUT/$out}
    file=$(echo "$command" | grep -o "$out\.[a-z]*")
    best=
    for _ in 1 2 3; do
      start=$(date +%s.%N)
      taskset -c "$core" $command >/dev/null 2>&1
      end=$(date +%s.%N)
      t=$(echo "$end - $start" | bc)
      if [ -z "$best" ] || [ "$(echo "$t < $best" | bc)" = 1 ]; then best=$t; fi
    done
    decode "$file" "$work/back.png"
    printf '%-34s %-28s %9d %7s %7.2f\n' "$name" "$(basename "$source" .png)" "$(stat -c %s "$file")" \
      "$(/usr/bin/python3 "$here/ssim.py" "$source" "$work/back.png")" "$best"
    rm -f "$file" "$work/back.png"
  done
done
