#!/bin/bash
# Sets the filter routines' times beside OpenCV's on the same 4000 x 3000
# photo, one thread each, and measures the peak memory of noise removal A.
#
# usage: bench/compare_opencv.sh [BUILD_FOLDER]   (default: build)
#
# The folder is configured as a Release build when it has no build yet;
# python3-opencv is installed with apt-get when no Python can import cv2.
# ROUNDS=n (default 2) alternates the two sides n times and keeps the best
# figure of each, which evens out a machine busy with other work.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build}
bench="$build/velmir-bench"
rounds=${ROUNDS:-2}

# --- the Release build of velmir-bench
if [ ! -f "$build/CMakeCache.txt" ]; then
  echo "== configuring $build (Release)"
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
type=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build/CMakeCache.txt")
[ "$type" = Release ] || echo "compare_opencv: warning: $build is a '$type' build, not Release" >&2
if ! cmake --build "$build" -j2 --target velmir-bench >"$build/compare_opencv-build.log" 2>&1; then
  if [ -x "$bench" ]; then
    echo "compare_opencv: warning: rebuild failed (see $build/compare_opencv-build.log); timing the existing velmir-bench" >&2
  else
    cat "$build/compare_opencv-build.log" >&2
    exit 1
  fi
fi

# --- a Python with OpenCV
python=
for candidate in python3 /usr/bin/python3; do
  if command -v "$candidate" >/dev/null && "$candidate" -c 'import cv2' 2>/dev/null; then
    python=$candidate
    break
  fi
done
if [ -z "$python" ]; then
  echo "== installing python3-opencv"
  [ "$(id -u)" = 0 ] || { echo "compare_opencv: python3-opencv is missing; install it as root" >&2; exit 1; }
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq python3-opencv >/dev/null
  python=/usr/bin/python3
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
photo="$work/photo.bmp"

filter='^BM_(SharpenImage|SoftenWindow/[01]|MedianFilter/0|AreaAverageResize|BilinearResize|NoiseRemovalA|RotateFree|SwirlMap|RippleMap)$'
for round in $(seq 1 "$rounds"); do
  echo "== round $round of $rounds: velmir-bench, then OpenCV"
  # velmir-bench writes the photo it times as a BMP for OpenCV to read.
  if ! VELMIR_BENCH_BMP="$photo" "$bench" --benchmark_filter="$filter" --benchmark_repetitions=5 \
    --benchmark_min_time=0.5 --benchmark_out="$work/velmir$round.json" \
    --benchmark_out_format=json >/dev/null 2>"$work/velmir.err"; then
    cat "$work/velmir.err" >&2
    exit 1
  fi
  "$python" "$root/bench/opencv_bench.py" "$photo" >"$work/opencv$round.txt"
done

# --- peak memory of noise removal A, beyond what the benchmark itself holds
# (the photo and its working copy, as in the copy benchmark).
rss() {
  /usr/bin/time -v "$bench" --benchmark_filter="$1" --benchmark_min_time=0.01 2>&1 >/dev/null |
    sed -n 's/.*Maximum resident set size (kbytes): //p'
}
memory=
if [ -x /usr/bin/time ]; then
  base=$(rss '^BM_Copy$')
  peak=$(rss '^BM_NoiseRemovalA$')
  memory="$base $peak"
fi

"$python" - "$work" "$rounds" "$memory" <<'EOF'
import json
import sys

work, rounds, memory = sys.argv[1], int(sys.argv[2]), sys.argv[3].split()

velmir = {}
opencv = {}
for r in range(1, rounds + 1):
    with open("%s/velmir%d.json" % (work, r)) as f:
        for b in json.load(f)["benchmarks"]:
            if b.get("run_type") != "iteration":
                continue
            ms = b["real_time"] * {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b["time_unit"]]
            name = b["run_name"]
            velmir[name] = min(ms, velmir.get(name, float("inf")))
    with open("%s/opencv%d.txt" % (work, r)) as f:
        for line in f:
            if line.startswith("#"):
                header = line[2:].strip()
                continue
            name, ms = line.split()
            opencv[name] = min(float(ms), opencv.get(name, float("inf")))

# routine, velmir-bench name, OpenCV name, ratio limit, absolute limit (ms)
rows = [
    ("MedianFilter method 0", "BM_MedianFilter/0", "medianBlur3", 3.0, None),
    ("SharpenImage type 0, 50", "BM_SharpenImage", "filter2D3x3", 1.0, None),
    ("SoftenWindow r1 area 0", "BM_SoftenWindow/0", None, None, None),
    ("SoftenWindow r1 area 1", "BM_SoftenWindow/1", None, None, 150.0),
    ("AreaAverage to 1600x1200", "BM_AreaAverageResize", "resizeArea1600x1200", 1.5, None),
    ("Bilinear to 6000x4500", "BM_BilinearResize", "resizeLinear1.5x", 1.5, None),
    ("NoiseRemovalA", "BM_NoiseRemovalA", None, None, 1000.0),
    ("RotateFree 17 degrees", "BM_RotateFree", "warpAffine17", 1.5, None),
    ("SwirlMap 5, centred", "BM_SwirlMap", "remapSwirl", 2.0, None),
    ("RippleMap 10, 15, centred", "BM_RippleMap", "remapRipple", 2.0, None),
]
print()
print("%s; best of %d rounds x 5 repetitions each" % (header, rounds))
print("%-26s %10s %10s %7s  %-12s %s" % ("routine", "VELMIR ms", "OpenCV ms", "ratio", "target", "met"))
for label, ours, theirs, ratio_limit, ms_limit in rows:
    v = velmir.get(ours)
    o = opencv.get(theirs) if theirs else None
    ratio = v / o if v is not None and o else None
    if ratio_limit is not None:
        target = "<= %.1fx" % ratio_limit
        met = ratio is not None and ratio <= ratio_limit
    elif ms_limit is not None:
        target = "< %.0f ms" % ms_limit
        met = v is not None and v < ms_limit
    else:
        target, met = "-", None
    print("%-26s %10s %10s %7s  %-12s %s" % (
        label,
        "%.1f" % v if v is not None else "n/a",
        "%.1f" % o if o is not None else "-",
        "%.2f" % ratio if ratio is not None else "-",
        target,
        "-" if met is None else ("yes" if met else "NO")))

if len(memory) == 2:
    base, peak = int(memory[0]), int(memory[1])
    image_kb = (4000 * 3 * 3000) // 1024
    extra = peak - base
    print()
    print("NoiseRemovalA peak RSS %d kB: %d kB (%.2f photo-sized images) above the copy"
          % (peak, extra, extra / image_kb))
    print("benchmark, which holds the photo and one working copy")
EOF
