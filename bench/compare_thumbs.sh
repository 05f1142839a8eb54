#!/bin/sh
# Thumbnails of a folder of photos (4000 x 3000, JPEG quality 90, 4:2:0, made
# by velmir-bench) by velmir-cli beside djpeg -scale 1/8 run once per file and
# one vipsthumbnail process over all of them: wall time, processor time and
# peak memory of each. velmir-cli runs the archive refresh twice: cold (no
# thumbnail, no archive) and warm (everything in the archive).
#
# usage: bench/compare_thumbs.sh [BUILD_FOLDER]   (a Release build is meant)
# VELMIR_THUMBS_COUNT sets the number of photos (200).
set -eu

build=${1:-build}
count=${VELMIR_THUMBS_COUNT:-200}
bench="$build/velmir-bench"
cli="$build/velmir-cli"
for tool in "$bench" "$cli"; do
  [ -x "$tool" ] || { echo "compare_thumbs: $tool not found (build it first)" >&2; exit 1; }
done
command -v djpeg >/dev/null || { echo "compare_thumbs: djpeg not installed (libjpeg-turbo-progs)" >&2; exit 1; }
if ! command -v vipsthumbnail >/dev/null; then
  if [ "$(id -u)" = 0 ]; then
    apt-get install -y libvips-tools >/dev/null
  else
    echo "compare_thumbs: vipsthumbnail not installed (libvips-tools)" >&2
    exit 1
  fi
fi
[ -x /usr/bin/time ] || { echo "compare_thumbs: /usr/bin/time not installed (time)" >&2; exit 1; }

work=$(mktemp -d)
script=compare_thumbs
. "$(dirname "$0")/photo_folder.sh"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/vips" "$work/config/Kzr/Velmir"

echo "== velmir-bench: one thumbnail of the photo, and the same from a full decode"
VELMIR_BENCH_JPEG="$work/photo.jpg" "$bench" --benchmark_filter='^BM_Thumbnail' \
  --benchmark_min_time=2

make_photo_folder

echo
measure "djpeg -scale 1/8, one per file" \
  sh -c 'for f in "$0"/*.jpg; do djpeg -scale 1/8 -outfile /dev/null "$f" || exit 1; done' "$photos"
measure "vipsthumbnail -s 100, one process" \
  sh -c 'vipsthumbnail -s 100 -o "$0/vips/%s.jpg[Q=50]" "$1"/*.jpg' "$work" "$photos"

# velmir-cli with settings of its own: the working thumbnail folder in $work.
printf '[Software\\Kzr\\Velmir]\n"SetupPath"="%s/setup/"\n' "$work" \
  >"$work/config/Kzr/Velmir/settings.reg"
export XDG_CONFIG_HOME="$work/config"
measure "velmir-cli thumbs --archive, cold" "$cli" thumbs --archive "$photos"
cold=$(tail -1 "$work/out.txt")
measure "velmir-cli thumbs --archive, warm" "$cli" thumbs --archive "$photos"
warm=$(tail -1 "$work/out.txt")
echo "velmir-cli: cold $cold, warm $warm; archive $(du -k "$photos/VelmirBrowse.KXA" | cut -f1) kB"
