#!/usr/bin/env bash
# check_package.sh BUILD_DIR APP_ID
# Builds the Debian package, unpacks it, and checks its files and its
# dependencies (the libraries actually linked, found by dpkg-shlibdeps, and
# the Chinese font), then lets lintian judge it: no error, no warning.
set -euo pipefail
build=$1 id=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$build" && cpack -G DEB -B "$work" > "$work/cpack.log") || { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$work"/tarvel_*.deb)
dpkg-deb -x "$deb" "$work/root"
for file in usr/bin/tarvel usr/bin/tarvel-batch usr/libexec/tarvel/tarvel-worker usr/libexec/tarvel/tarvel-worker-guard \
            usr/share/applications/$id.desktop usr/share/metainfo/$id.metainfo.xml \
            usr/share/icons/hicolor/scalable/apps/$id.svg usr/share/icons/hicolor/48x48/apps/$id.png \
            usr/share/man/man1/tarvel-batch.1.gz usr/share/man/zh_CN/man1/tarvel-batch.1.gz \
            usr/share/man/man1/tarvel.1.gz usr/share/man/zh_CN/man1/tarvel.1.gz \
            usr/share/doc/tarvel/copyright usr/share/doc/tarvel/changelog.gz usr/share/lintian/overrides/tarvel; do
  [ -e "$work/root/$file" ] || { echo "missing from the package: $file"; exit 1; }
done
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libvips42 libqt6widgets6 libseccomp2 fonts-noto-cjk; do
  [[ $depends == *"$needed"* ]] || { echo "Depends lacks $needed: $depends"; exit 1; }
done
# Stripped programs: no symbol table left in them.
for program in usr/bin/tarvel usr/bin/tarvel-batch usr/libexec/tarvel/tarvel-worker usr/libexec/tarvel/tarvel-worker-guard; do
  if readelf -S "$work/root/$program" | grep -q '\.symtab'; then
    echo "not stripped: $program"; exit 1
  fi
done
lintian --fail-on error,warning --no-tag-display-limit "$deb"
echo "$(basename "$deb"): $depends"
