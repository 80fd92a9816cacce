#!/usr/bin/env bash
# Benchmarks of the installer under Wine, side by side with CopyFileA and the host's cp, on the same
# data in the same run; prints the medians of several runs and the ratios to the baselines.
#
#   tools/bench.sh [-n RUNS] [--build DIR] [--only SETS] [--keep-data]
#
#   -n RUNS       runs of every measurement (default 5); the table shows medians
#   --build DIR   build folder of the x86_64 build to use (default build/bench, configured if needed)
#   --only SETS   comma-separated subset of large,small,dialog,startup (default all)
#   --keep-data   leave the generated data (about 1.2 GB) in DIR/bench-data for the next call
#
# The data lives in the Wine prefix's drive H: (the base prefix's drives/h is linked to
# DIR/bench-data), so the Wine programs and cp read the very same files. Raw figures of every run go
# to DIR/bench-results.txt.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
runs=5
build="$here/build/bench"
only="large,small,dialog,startup"
keep=0
while [ $# -gt 0 ]; do
  case "$1" in
    -n) runs="$2"; shift 2 ;;
    --build) build=$(cd "$2" && pwd); shift 2 ;;
    --only) only="$2"; shift 2 ;;
    --keep-data) keep=1; shift ;;
    *) echo "usage: tools/bench.sh [-n RUNS] [--build DIR] [--only SETS] [--keep-data]" >&2; exit 2 ;;
  esac
done
wanted() { case ",$only," in *",$1,"*) return 0 ;; *) return 1 ;; esac; }

if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$here" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-x86_64.cmake" >/dev/null
fi
echo "building install_bench in $build ..." >&2
cmake --build "$build" --target install_bench >/dev/null

exe="$build/bench/install_bench.exe"
root="$build/wine"
data="$build/bench-data"
results="$build/bench-results.txt"
stderr_log="$build/bench-stderr.txt"

cleanup() {
  rm -rf "$data/out"
  if [ "$keep" != 1 ]; then rm -rf "$data"; fi
}
trap cleanup EXIT

mkdir -p "$data/out"
for set in large small startup; do
  if [ ! -f "$data/$set.done" ]; then
    echo "generating the $set data set ..." >&2
    rm -rf "${data:?}/$set"
    python3 "$here/bench/make_data.py" "$data" "$set"
    touch "$data/$set.done"
  fi
done

wine_run() { "$here/tools/winerun.sh" --root "$root" --fresh bench "$exe" "$@" 2>>"$stderr_log"; }
: >"$stderr_log"
wine_run ready
# Every fresh prefix is a copy of the base one; its drive H: is the data folder.
if [ "$(readlink "$root/base/drives/h" || true)" != "$data" ]; then
  rm -rf "$root/base/drives/h"
  ln -s "$data" "$root/base/drives/h"
fi

: >"$results"
# record RUN SET METHOD, reading name=value lines.
record() {
  local line
  while IFS= read -r line; do
    line=${line%$'\r'}
    case "$line" in *=*) echo "$1 $2 $3 ${line%%=*} ${line#*=}" >>"$results" ;; esac
  done
}

wine_measure() {  # RUN SET METHOD ARGS...
  local run=$1 set=$2 method=$3; shift 3
  sync
  if ! wine_run "$@" | record "$run" "$set" "$method"; then
    echo "install_bench $* failed:" >&2
    cat "$stderr_log" >&2
    exit 1
  fi
}

host_cp() {  # RUN SET
  local run=$1 set=$2 target="$data/out/cp-$2"
  rm -rf "$target"
  sync
  local t0 t1
  t0=$(date +%s.%N)
  cp -r "$data/$set" "$target"
  t1=$(date +%s.%N)
  local files bytes
  files=$(find "$data/$set" -type f | wc -l)
  bytes=$(find "$data/$set" -type f -printf '%s\n' | awk '{s += $1} END {printf "%d", s}')
  rm -rf "$target"
  awk -v t0="$t0" -v t1="$t1" -v f="$files" -v b="$bytes" 'BEGIN {
    s = t1 - t0
    printf "seconds=%f\nfiles=%d\nbytes=%d\nmb_per_s=%f\nfiles_per_s=%f\n", s, f, b, b / 1048576 / s, f / s }' |
    record "$run" "$set" cp
}

for run in $(seq 1 "$runs"); do
  echo "run $run of $runs ..." >&2
  # The three ways take turns in going first, so that none always meets the same state of the caches.
  methods=(cp copyfile job)
  shift_by=$(( (run - 1) % 3 ))
  methods=("${methods[@]:$shift_by}" "${methods[@]:0:$shift_by}")
  for set in large small; do
    wanted "$set" || continue
    for method in "${methods[@]}"; do
      case "$method" in
        cp) host_cp "$run" "$set" ;;
        *) wine_measure "$run" "$set" "$method" "$method" "H:\\$set" "H:\\out\\$method-$set" ;;
      esac
    done
  done
  if wanted dialog; then wine_measure "$run" large dialog dialog 'H:\large' 'H:\out\dialog'; fi
  if wanted startup; then wine_measure "$run" startup startup startup 'H:\startup'; fi
done

python3 "$here/bench/summarize.py" "$results" "$runs"
