#!/usr/bin/env bash
# Builds every fuzz target with clang's libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer into its own folder (build-fuzz/, or
# $VELMIR_FUZZ_BUILD) and runs each for SECONDS (default 60) on its saved
# inputs in tests/fuzz/corpus/<name>/. Inputs that widen coverage are merged
# into the saved corpus, minimised (-merge=1), so it only grows by what is
# new. Crashing inputs land in the build folder's fuzz-artifacts/; copy one
# into the corpus once its fault is fixed, so CTest replays it for good.
# The system's image libraries are not instrumented: coverage steers the
# search through our own code (the readers' glue, conversions and checks),
# while AddressSanitizer still watches every buffer we hand them.
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]     e.g. scripts/fuzz.sh 1200 tiff ifgif
#
# Needs clang and libFuzzer, which the normal build does not:
#   apt-get install -y clang libclang-rt-14-dev
set -euo pipefail
seconds=${1:-60}
shift || true
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VELMIR_FUZZ_BUILD:-$root/build-fuzz}
jobs=${JOBS:-2}

launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DVELMIR_FUZZ=ON -DVELMIR_BENCH=OFF \
  "${launcher[@]}" >/dev/null
ninja -C "$build" -j"$jobs" fuzz_targets

targets=("$@")
if ((${#targets[@]} == 0)); then
  for program in "$build"/*_fuzz; do
    targets+=("$(basename "$program" _fuzz)")
  done
fi

mkdir -p "$build/fuzz-logs" "$build/fuzz-artifacts"
summary=()
failed=0
for name in "${targets[@]}"; do
  program="$build/${name}_fuzz"
  corpus="$root/tests/fuzz/corpus/$name"
  work="$build/fuzz-work/$name"
  log="$build/fuzz-logs/$name.log"
  rm -rf "$work"
  mkdir -p "$corpus" "$work"
  echo "== $name: ${seconds} s"
  # New inputs go to the first folder; the saved corpus is only read.
  status=0
  "$program" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=4096 -print_final_stats=1 \
    -artifact_prefix="$build/fuzz-artifacts/$name-" "$work" "$corpus" >"$log" 2>&1 || status=$?
  before=$(find "$corpus" -type f | wc -l)
  # Edges only (no hit counts), which keeps the saved corpus small.
  "$program" -merge=1 -use_counters=0 -timeout=30 -rss_limit_mb=4096 "$corpus" "$work" \
    >>"$log" 2>&1 || true
  after=$(find "$corpus" -type f | wc -l)
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  found=$(find "$build/fuzz-artifacts" -name "$name-*" -newer "$work" | wc -l)
  if ((status != 0)); then
    failed=1
    tail -n 40 "$log"
  fi
  summary+=("$(printf '%-10s %12s runs  %3d new inputs  %s' "$name" "${runs:-?}" \
    $((after - before)) "$( ((status == 0)) && echo ok || echo "FOUND ($found artifacts, see $log)")")")
done

echo
printf '%s\n' "${summary[@]}"
exit "$failed"
