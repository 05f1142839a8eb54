# Shared by the folder comparisons (sourced, not run): a folder of $count
# copies of the benchmark photo, one in four standing upright, and measure,
# which times one command. Expects $cli, $count, $work and $script (the
# caller's name for messages) to be set.

# $work/photo.jpg (made by velmir-bench) copied into $work/photos.
make_photo_folder() {
  photos="$work/photos"
  mkdir -p "$photos"
  "$cli" op ImgKitRotation 2 "$work/photo.jpg" "$work/upright.jpg" --quality 90
  i=0
  while [ "$i" -lt "$count" ]; do
    name=$(printf 'IMG_%04d.jpg' "$i")
    if [ $((i % 4)) -eq 3 ]; then cp "$work/upright.jpg" "$photos/$name"; else cp "$work/photo.jpg" "$photos/$name"; fi
    i=$((i + 1))
  done
  echo
  echo "== $count photos, $(du -sm "$photos" | cut -f1) MB; $(nproc) processors"
}

# Prints "LABEL: wall s, user+sys s, peak RSS MB" of the command; its wall
# time is left in $work/wall.txt.
measure() {
  label=$1
  shift
  /usr/bin/time -v -o "$work/time.txt" "$@" >"$work/out.txt" 2>&1 || {
    echo "$script: $label failed:" >&2
    tail -5 "$work/out.txt" >&2
    exit 1
  }
  wall=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$work/time.txt" |
    awk -F: '{ s = 0; for (i = 1; i <= NF; i++) s = s * 60 + $i; print s }')
  user=$(sed -n 's/.*User time (seconds): //p' "$work/time.txt")
  sys=$(sed -n 's/.*System time (seconds): //p' "$work/time.txt")
  rss=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/time.txt")
  awk -v l="$label" -v w="$wall" -v u="$user" -v s="$sys" -v r="$rss" -v n="$count" 'BEGIN {
    printf "%-36s %7.2f s wall (%6.1f ms a photo), %7.2f s processor, peak RSS %6.1f MB\n",
      l, w, 1000 * w / n, u + s, r / 1024 }'
  echo "$wall" >"$work/wall.txt"
}
