#!/bin/sh
# Sets the kit's JPEG figures beside libjpeg-turbo's own (tjbench) on the
# same 4000 x 3000 photo, and measures the peak memory of one full JPEG load.
#
# usage: bench/compare_tjbench.sh [BUILD_FOLDER]   (a Release build is meant)
set -eu

build=${1:-build}
bench="$build/velmir-bench"
cli="$build/velmir-cli"
for tool in "$bench" "$cli"; do
  [ -x "$tool" ] || { echo "compare_tjbench: $tool not found (build it first)" >&2; exit 1; }
done
command -v tjbench >/dev/null || { echo "compare_tjbench: tjbench not installed (libjpeg-turbo-progs)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
jpeg="$work/photo.jpg"
bmp="$work/photo.bmp"

echo "== velmir-bench: kit JPEG load and save (quality 90, 4:2:0)"
VELMIR_BENCH_JPEG="$jpeg" VELMIR_BENCH_BMP="$bmp" "$bench" \
  --benchmark_filter='^BM_Jpeg(Load|Save)$' --benchmark_min_time=3

echo
echo "== tjbench: decompression of the same file (bottom-up BGR, as the kit reads)"
tjbench "$jpeg" -bottomup -benchtime 3 -warmup 1 -nowrite -quiet

echo
echo "== tjbench: compression of the same picture at quality 90, 4:2:0"
tjbench "$bmp" 90 -subsamp 420 -bottomup -benchtime 3 -warmup 1 -nowrite -quiet -componly

echo
echo "== peak memory of one JPEG load (velmir-cli info loads the whole image)"
"$cli" op ImgKitImageSize 1 1 "$bmp" "$work/tiny.bmp"
rss() { /usr/bin/time -v "$cli" info "$1" 2>&1 >/dev/null | sed -n 's/.*Maximum resident set size (kbytes): //p'; }
base=$(rss "$work/tiny.bmp")
big=$(rss "$jpeg")
size=$("$cli" info "$jpeg")
echo "$size"
# The image itself: 40-byte header plus 4-byte-aligned rows of 3 bytes a pixel.
w=$(echo "$size" | sed 's/.*width=\([0-9]*\).*/\1/')
h=$(echo "$size" | sed 's/.*height=\([0-9]*\).*/\1/')
image_kb=$(( (40 + ((w * 3 + 3) / 4 * 4) * h) / 1024 ))
echo "max RSS: ${big} kB for the photo, ${base} kB for a 1 x 1 image"
echo "extra for the photo: $((big - base)) kB; the image alone: ${image_kb} kB"
