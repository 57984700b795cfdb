#!/usr/bin/env bash
# The batch engine's nanoseconds a draw, two builds side by side:
# `drevel_bench --benchmark_filter=batch` of a baseline build and of this
# one, run in turn several times, so that a shared machine's load falls on
# both alike.  Prints each run's thread CPU time a draw (the CPU column over
# the draws; wall time on a loaded machine counts other processes' turns),
# the speed-up within each run, its mean and range, the load average, and
# this build's counters a draw (attempts, attempts left open, lane use).
#
#   bench/batch_per_draw.sh [-r runs] [-f filter] baseline/drevel_bench [build/bench/drevel_bench]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
runs=5 filter='batch_(sequencing|common_k2)_avx'
while getopts "r:f:" opt; do
  case $opt in
    r) runs=$OPTARG ;;
    f) filter=$OPTARG ;;
    *) exit 2 ;;
  esac
done
shift $((OPTIND - 1))
base="${1:?a baseline drevel_bench}"
new="${2:-$here/../build/bench/drevel_bench}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# One run of a build: "name cpu_ns_a_draw" lines, and the last counters.
one() {
  "$1" --benchmark_filter="$filter" 2>/dev/null | awk -v out="$2" '/^BM_batch/ {
    name = $1; sub(/\/iterations.*/, "", name); sub(/BM_batch\//, "", name)
    counters = ""
    for (i = 5; i <= NF; i++) {
      if ($i ~ /^draws=/) { d = $i; sub(/draws=/, "", d); m = 1
        if (d ~ /M$/) m = 1e6; if (d ~ /k$/) m = 1e3; sub(/[Mk]$/, "", d); draws = d * m }
      if ($i ~ /^(attempts_per_draw|open_per_draw|lane_use|restarted)=/) counters = counters " " $i
    }
    printf "%s %.2f\n", name, $4 * 1e6 / draws
    if (counters != "") printf "%s%s\n", name, counters > out }'
}

for run in $(seq 1 "$runs"); do
  load=$(cut -d' ' -f1 /proc/loadavg)
  one "$base" /dev/null | sed "s/^/base $run /" >>"$work/times"
  one "$new" "$work/counters" | sed "s/^/new $run /" >>"$work/times"
  echo "$load" >>"$work/loads"
done

awk -v runs="$runs" '{ t[$1, $3, $2] = $4; names[$3] = 1 }
  END {
    for (n in names) {
      s = 0; k = 0; lo = 0; hi = 0; b = ""; w = ""
      for (r = 1; r <= runs; r++) {
        if (!(("base", n, r) in t) || !(("new", n, r) in t)) continue
        x = t["base", n, r] / t["new", n, r]; s += x; k++
        if (k == 1 || x < lo) lo = x
        if (k == 1 || x > hi) hi = x
        b = b " " t["base", n, r]; w = w " " t["new", n, r]
      }
      printf "%-24s ns a draw, baseline:  %s\n", n, b
      printf "%-24s ns a draw, this build:%s\n", n, w
      printf "%-24s speed-up mean %.2f, range %.2f-%.2f over %d runs\n", n, s / k, lo, hi, k
    }
  }' "$work/times"
sort "$work/loads" | awk '{ v[NR] = $1 } END { printf "load average (1 min) over the runs: %s to %s\n", v[1], v[NR] }'
echo "this build's counters a draw:"
cat "$work/counters"
