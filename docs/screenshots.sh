#!/usr/bin/env bash
# docs/screenshots.sh [BUILD_DIR]
# Makes the README's pictures of the window from the program itself, under an X
# server of its own, in Chinese: docs/window.png (the single-picture panel, the
# batch panel, and a batch under way, side by side), docs/window-1x.png and
# docs/window-2x.png (the single-picture panel at scale 1 and 2). Run it again
# whenever the window changes.
set -euo pipefail
docs=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$docs/../build}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A folder of pictures large enough for a batch to be seen under way.
mkdir -p "$work/photos" "$work/out"
convert -size 4000x3000 "gradient:#3060c0-#e0a030" -quality 95 "$work/photos/IMG_0001.jpg"
for i in $(seq 2 120); do
  ln "$work/photos/IMG_0001.jpg" "$work/photos/$(printf 'IMG_%04d.jpg' "$i")"
done

# shoot SCALE NAME...: starts the window at SCALE and runs the steps named.
shoot() {
  local scale=$1
  shift
  mkdir -m 700 -p "$work/run-$scale"
  xvfb-run -a -s "-screen 0 1920x1200x24" bash -c '
    set -u
    work=$1 scale=$2 build=$3
    shift 3
    XDG_RUNTIME_DIR="$work/run-$scale" XDG_CONFIG_HOME="$work/run-$scale" LC_ALL=zh_CN.UTF-8 \
      QT_SCALE_FACTOR="$scale" "$build/bin/tarvel" & pid=$!
    window=
    for _ in $(seq 50); do
      window=$(xdotool search --name "^Tarvel" 2>/dev/null | head -1) && [ -n "$window" ] && break
      sleep 0.2
    done
    sleep 1.5
    xdotool windowfocus --sync "$window" 2>/dev/null || true
    for step in "$@"; do
      case $step in
        single) import -window "$window" "$work/single-$scale.png" ;;
        batch)
          xdotool key alt+b; sleep 0.5
          import -window "$window" "$work/batch-$scale.png" ;;
        running)
          # The folders through their choosers, by typing their paths; Enter
          # may first open the folder typed, then choose it.
          for key_folder in f:photos o:out; do
            xdotool windowfocus --sync "$window" 2>/dev/null || true
            xdotool key "alt+${key_folder%%:*}"; sleep 1.5
            xdotool type --delay 20 "$work/${key_folder#*:}"
            for _ in 1 2 3; do
              # While a chooser is open the program shows two windows.
              [ "$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | wc -l)" -gt 1 ] || break
              xdotool key Return; sleep 1.5
            done
            sleep 3 # the source folder is listed meanwhile
          done
          sleep 2
          xdotool windowfocus --sync "$window" 2>/dev/null || true
          xdotool key alt+c; sleep 2.5
          import -window "$window" "$work/running-$scale.png"
          # Stopped, and its summary closed, before the window is.
          xdotool key Escape; sleep 4; xdotool key Return; sleep 1 ;;
      esac
    done
    kill $pid
    wait $pid 2>/dev/null || true' _ "$work" "$scale" "$build" "$@"
}

shoot 1 single batch running
shoot 2 single
# The window's own pixels, without the frame the window manager would add.
convert "$work/single-1.png" "$work/batch-1.png" "$work/running-1.png" +append "$docs/window.png"
cp "$work/single-1.png" "$docs/window-1x.png"
cp "$work/single-2.png" "$docs/window-2x.png"
echo "docs/window.png, docs/window-1x.png, docs/window-2x.png made from $build/bin/tarvel"
