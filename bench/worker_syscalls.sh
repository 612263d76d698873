#!/usr/bin/env bash
# bench/worker_syscalls.sh CORPUS_DIR WORK_DIR
#
# The census behind the worker's seccomp allow list (worker/worker_syscalls.cpp):
# the system calls conversion workers make once they are shut in, counted by
# strace over
#   - tarvel-batch converting CORPUS_DIR (every format in and out), once at
#     one size and once at three sizes from one decode (--size),
#   - tarvel-batch converting the damaged and odd pictures of gdk-pixbuf-tests,
#   - tarvel-worker-bench --census decoding, after the worker's own warm-up,
#     pictures of the formats libvips' modules add (WebP, HEIF, AVIF, JPEG XL),
#     a CMYK JPEG and JPEGs with embedded colour profiles,
#   - tarvel-batch converting those same pictures, each into its own format
#     (the WebP, HEIC, AVIF and JPEG XL encoders), animated WebP and AVIF and
#     10-bit HEIC among them.
# Needs a built tree (./dev build) and strace. Prints the table of
# bench/syscall_census.py; a call that is missing from the allow list shows
# up as a line there.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
C=$(realpath "${1:?usage: worker_syscalls.sh CORPUS_DIR WORK_DIR}")
W=$(realpath -m "${2:?usage: worker_syscalls.sh CORPUS_DIR WORK_DIR}")
BIN=$ROOT/build/bin
PIXBUF=/usr/libexec/installed-tests/gdk-pixbuf/test-images
rm -rf "$W" && mkdir -p "$W/traces" "$W/samples"

# Samples of the formats the modules read, made from two corpus photos.
photo=$(find "$C" -maxdepth 1 -name '*.jpg' | sort | head -1)
rgba=$(find "$C" -maxdepth 1 -name '*rgba*.png' | sort | head -1)
S=$W/samples
vips thumbnail "$photo" "$S/photo.v" 640
vips thumbnail "$rgba" "$S/alpha.v" 320
vips webpsave "$S/photo.v" "$S/lossy.webp" --Q 80
vips webpsave "$S/alpha.v" "$S/lossless.webp" --lossless
vips heifsave "$S/photo.v" "$S/photo.heic" --compression hevc
vips heifsave "$S/alpha.v" "$S/alpha.avif" --compression av1
vips jxlsave "$S/photo.v" "$S/photo.jxl"
vips jxlsave "$S/alpha.v" "$S/lossless.jxl" --lossless
vips jpegsave "$S/photo.v" "$S/adobe.jpg" --profile /usr/share/color/icc/compatibleWithAdobeRGB1998.icc
vips colourspace "$S/photo.v" "$S/cmyk.v" cmyk
vips jpegsave "$S/cmyk.v" "$S/cmyk.jpg"
vips copy "$S/photo.v" "$S/deep.png[bitdepth=16]"
heif-enc -b 10 -q 60 "$S/deep.png" -o "$S/deep.heic" >/dev/null
vips thumbnail "$S/photo.v" "$S/second.png" 640
img2webp -loop 0 "$S/deep.png" -d 80 "$S/second.png" -o "$S/animated.webp" >/dev/null 2>&1
avifenc -s 10 "$S/second.png" "$S/second.png" "$S/animated.avif" >/dev/null
rm -f "$S"/*.v "$S"/*.png

trace() { # name command...
  local name=$1; shift
  strace -f -ff -tt -s 96 -o "$W/traces/$name" "$@" >/dev/null 2>&1 || true
}
trace corpus "$BIN/tarvel-batch" -w 800 -H 600 "$C" "$W/out-corpus"
trace sizes "$BIN/tarvel-batch" --size 800x600:a --size 700x500:b --size 200x150:c "$C" "$W/out-sizes"
[ -d "$PIXBUF" ] && trace pixbuf "$BIN/tarvel-batch" -r -w 800 -H 600 "$PIXBUF" "$W/out-pixbuf"
trace modules "$BIN/tarvel-worker-bench" --census "$S"/*
trace newer "$BIN/tarvel-batch" -w 800 -H 600 "$S" "$W/out-newer"

python3 "$ROOT/bench/syscall_census.py" "$W/traces/corpus" "$W/traces/sizes" "$W/traces/pixbuf" "$W/traces/modules" "$W/traces/newer"
