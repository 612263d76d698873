#!/usr/bin/env bash
# check_install.sh BUILD_DIR APP_ID
# Installs the build into a temporary prefix, checks that every file an
# installation needs is there, and converts a picture with the installed
# tarvel-batch, which must find the installed worker.
set -euo pipefail
build=$1 id=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" > /dev/null

for file in bin/tarvel bin/tarvel-batch libexec/tarvel/tarvel-worker libexec/tarvel/tarvel-worker-guard \
            share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
            share/icons/hicolor/scalable/apps/$id.svg \
            share/man/man1/tarvel-batch.1.gz share/man/zh_CN/man1/tarvel-batch.1.gz; do
  [ -e "$prefix/$file" ] || { echo "missing: $file"; exit 1; }
done
for size in 16 24 32 48 64 128 256; do
  png=$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png
  [ "$(vipsheader -f width "$png")x$(vipsheader -f height "$png")" = "${size}x${size}" ] \
    || { echo "icon $png is not $size px"; exit 1; }
done

# The manual pages read as such, each in its language.
english=$(MANWIDTH=80 man -l "$prefix/share/man/man1/tarvel-batch.1.gz" 2> "$work/man.log")
chinese=$(MANWIDTH=80 man -l "$prefix/share/man/zh_CN/man1/tarvel-batch.1.gz" 2>> "$work/man.log")
[ ! -s "$work/man.log" ] || { cat "$work/man.log"; exit 1; }
[[ $english == *"SYNOPSIS"*"--recursive"* && $english != *"用法"* ]] || { echo "English manual page: $english"; exit 1; }
[[ $chinese == *"概要"*"--recursive"* ]] || { echo "Chinese manual page: $chinese"; exit 1; }

# The installed programs, away from the build tree: no worker beside them.
mkdir -p "$work/in" "$work/out"
vips black "$work/in/photo.png" 640 480 --bands 3
HOME=$work XDG_CONFIG_HOME=$work/config "$prefix/bin/tarvel-batch" --width 100 --height 100 "$work/in" "$work/out"
[ "$(vipsheader -f width "$work/out/photo.png")x$(vipsheader -f height "$work/out/photo.png")" = "100x75" ] \
  || { echo "the installed tarvel-batch did not convert"; exit 1; }
echo "installed and converted"
