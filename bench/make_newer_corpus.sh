#!/usr/bin/env bash
# bench/make_newer_corpus.sh CORPUS_DIR OUT_DIR [COUNT]
#
# WebP, HEIC, AVIF and JPEG XL versions of the corpus photos, for the speed
# table of bench/README.md: the first COUNT (default 12) original JPEGs
# (jpg-NN-*-orig.jpg), each made upright and fitted into 4032 x 3024 (a
# phone's 12 megapixels), written by Debian's reference encoders the way
# cameras and web pipelines write them: cwebp -q 85, heif-enc -q 60 (HEVC,
# x265 preset medium), avifenc speed 6, cjxl distance 1 effort 5. One folder
# per format in OUT_DIR: webp/ heic/ avif/ jxl/.
set -euo pipefail
C=$(realpath "${1:?usage: make_newer_corpus.sh CORPUS_DIR OUT_DIR [COUNT]}")
O=$(realpath -m "${2:?usage: make_newer_corpus.sh CORPUS_DIR OUT_DIR [COUNT]}")
COUNT=${3:-12}
mkdir -p "$O"/{webp,heic,avif,jxl,png}
find "$C" -maxdepth 1 -name 'jpg-*-orig.jpg' | sort | head -n "$COUNT" | while read -r photo; do
  name=$(basename "$photo" .jpg)
  png=$O/png/$name.png
  [ -f "$png" ] || vips thumbnail "$photo" "$png" 4032 --height 3024
  [ -f "$O/webp/$name.webp" ] || cwebp -quiet -q 85 "$png" -o "$O/webp/$name.webp"
  [ -f "$O/heic/$name.heic" ] || heif-enc -q 60 -p preset=medium "$png" -o "$O/heic/$name.heic" >/dev/null
  [ -f "$O/avif/$name.avif" ] || avifenc -s 6 "$png" "$O/avif/$name.avif" >/dev/null
  [ -f "$O/jxl/$name.jxl" ] || cjxl "$png" "$O/jxl/$name.jxl" -d 1 -e 5 >/dev/null 2>&1
done
rm -rf "$O/png"
du -sh "$O"/*
