#!/bin/sh
# The batch gamma job over a folder of photos (4000 x 3000, JPEG quality 90,
# 4:2:0, made by velmir-bench) beside the codec floor and two other tools,
# in the same run: djpeg to a file followed by cjpeg at the same quality,
# one file after another; mogrify -gamma 1.12 -quality 90 (ImageMagick);
# vips gamma per file. Wall time, processor time and peak memory of each.
#
# usage: bench/compare_batch.sh [BUILD_FOLDER]   (a Release build is meant)
# VELMIR_BATCH_COUNT sets the number of photos (200).
set -eu

build=${1:-build}
count=${VELMIR_BATCH_COUNT:-200}
bench="$build/velmir-bench"
cli="$build/velmir-cli"
for tool in "$bench" "$cli"; do
  [ -x "$tool" ] || { echo "compare_batch: $tool not found (build it first)" >&2; exit 1; }
done
for tool in djpeg:libjpeg-turbo-progs cjpeg:libjpeg-turbo-progs mogrify:imagemagick vips:libvips-tools; do
  command -v "${tool%%:*}" >/dev/null && continue
  if [ "$(id -u)" = 0 ]; then
    apt-get install -y "${tool#*:}" >/dev/null
  else
    echo "compare_batch: ${tool%%:*} not installed (${tool#*:})" >&2
    exit 1
  fi
done
[ -x /usr/bin/time ] || { echo "compare_batch: /usr/bin/time not installed (time)" >&2; exit 1; }

work=$(mktemp -d)
script=compare_batch
. "$(dirname "$0")/photo_folder.sh"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/floor" "$work/magick" "$work/vips" "$work/config/Kzr/Velmir"

echo "== velmir-bench: the gamma job on one photo, step by step, and over eight"
VELMIR_BENCH_JPEG="$work/photo.jpg" "$bench" --benchmark_filter='^BM_BatchGamma' \
  --benchmark_min_time=2

make_photo_folder

echo
measure "djpeg > file, cjpeg -quality 90" \
  sh -c 'for f in "$0"/*.jpg; do
           djpeg -outfile "$1/t.ppm" "$f" && cjpeg -quality 90 -outfile "$1/${f##*/}" "$1/t.ppm" || exit 1
         done' "$photos" "$work/floor"
floor=$(cat "$work/wall.txt")
measure "mogrify -gamma 1.12 -quality 90" \
  mogrify -path "$work/magick" -gamma 1.12 -quality 90 "$photos"/*.jpg
measure "vips gamma, one per file" \
  sh -c 'for f in "$0"/*.jpg; do vips gamma "$f" "$1/${f##*/}[Q=90]" --exponent 1.12 || exit 1; done' \
  "$photos" "$work/vips"

# velmir-cli with settings of its own.
export XDG_CONFIG_HOME="$work/config"
measure "velmir-cli batch gamma --quality 90" \
  "$cli" batch gamma --quality 90 --out "$work/velmir" "$photos"/*.jpg
velmir=$(cat "$work/wall.txt")
awk -v v="$velmir" -v f="$floor" 'BEGIN { printf "velmir-cli batch / codec floor: %.2f\n", v / f }'
