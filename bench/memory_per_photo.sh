#!/bin/sh
# Peak memory (VmHWM, as GNU time's maximum resident size) of the program
# started with no photo, one and two 12-megapixel photos open, under Xvfb.
# A measurement, not a test: run it on the release build and compare.
#   bench/memory_per_photo.sh [PROGRAM]      (default: build/velmir)
set -eu
program=$(readlink -f "${1:-build/velmir}")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
photos=/usr/share/backgrounds/mate/nature
convert "$photos/Aqua.jpg" -resize '4000x3000!' -quality 90 "$scratch/one.jpg"
convert "$photos/Dune.jpg" -resize '4000x3000!' -quality 90 "$scratch/two.jpg"
mkdir -p "$scratch/config/Kzr/Velmir" "$scratch/run"
chmod 700 "$scratch/run"
printf '[Software\\Kzr\\Velmir]\n"UIMode"="NORMAL"\n"ImageBrowser"="0"\n' \
  >"$scratch/config/Kzr/Velmir/settings.reg"
peak() {
  XDG_CONFIG_HOME=$scratch/config XDG_DATA_HOME=$scratch/data XDG_RUNTIME_DIR=$scratch/run \
    VELMIR_SCREENSHOT=$scratch/shot.png xvfb-run -a -s "-screen 0 1280x1024x24" \
    /usr/bin/time -f '%M' -o "$scratch/peak" "$program" "$@" >/dev/null 2>&1
  cat "$scratch/peak"
}
none=$(peak)
one=$(peak "$scratch/one.jpg")
two=$(peak "$scratch/one.jpg" "$scratch/two.jpg")
image=$((4000 * 3000 * 3 / 1024))
echo "program: $program"
echo "image (24-bit, 4000 x 3000): $image KB"
echo "no photo:   $none KB"
echo "one photo:  $one KB (+$((one - none)) KB, $(awk "BEGIN{printf \"%.2f\", ($one-$none)/$image}") x the image)"
echo "two photos: $two KB (+$((two - none)) KB)"
