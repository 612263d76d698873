#!/usr/bin/env bash
# compare_look.sh BEFORE_TARVEL AFTER_TARVEL [OUT_DIR]
# Screenshots of two builds of the window under Xvfb, Chinese and English,
# single and batch panel, and the number of pixels that differ between them
# (ImageMagick's compare -metric AE). Each build runs from a copy of its own
# folder with fresh remembered limits, so both start alike.
set -euo pipefail
before=$1 after=$2 out=${3:-$(mktemp -d)}
mkdir -p "$out"
status=0
shoot() { # EXECUTABLE NAME LOCALE
  local copy
  copy=$(mktemp -d)
  cp "$1" "$(dirname "$1")/tarvel-worker" "$copy/"
  mkdir -m 700 "$copy/run"
  xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
    XDG_RUNTIME_DIR="$1/run" XDG_CONFIG_HOME="$1/run" LC_ALL="$3" "$1/tarvel" & pid=$!
    sleep 3
    import -window root "$2-single.png"
    xdotool search --name Tarvel windowfocus --sync 2>/dev/null; xdotool key alt+b; sleep 1
    import -window root "$2-batch.png"
    kill $pid' _ "$copy" "$out/$2" "$3"
  rm -rf "$copy"
}
for locale in zh_CN.UTF-8 C.UTF-8; do
  shoot "$before" "before-$locale" "$locale"
  shoot "$after" "after-$locale" "$locale"
  for panel in single batch; do
    differing=$(compare -metric AE "$out/before-$locale-$panel.png" "$out/after-$locale-$panel.png" \
                "$out/diff-$locale-$panel.png" 2>&1 || true)
    echo "$locale $panel: $differing pixels differ"
    [ "$locale" != zh_CN.UTF-8 ] || [ "$differing" = 0 ] || status=1
  done
done
echo "screenshots in $out"
exit $status
