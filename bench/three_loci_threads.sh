#!/usr/bin/env bash
# The three benchmark loci through the command-line tool as a user runs it
# (whole process, result file written): the literal engine as the baseline,
# the fast engine on one and on two threads, and optionally a baseline
# binary (for instance the previous release) on one and two threads, over
# several runs, the commands of a run interleaved so that a change of load
# touches them alike.  Prints every run's times with the load average
# beside them, then per locus the median and the spread (lowest - highest)
# of the ratios over the runs:
#   literal/1t   the fast engine on one thread against the literal engine
#   1t/2t        two threads against one (above 1: two are faster)
#   base1/1t     one thread against the baseline binary's one thread
#   base2/2t     two threads against the baseline binary's two
# Every result file is compared with the literal engine's, byte for byte.
#
#   bench/three_loci_threads.sh [-r runs] [-b baseline] [-q] [drevel]
#
# drevel defaults to build/drevel; -r the runs (default 5); -b a second
# binary run the same way; -q skips the literal engine on the run to maxmc
# (about 30 s a run) after the first run.  Timings on a machine that other
# work shares are noisy: read the load average beside them.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
runs=5 baseline="" quick=0
while getopts "r:b:q" opt; do
  case $opt in
    r) runs=$OPTARG ;;
    b) baseline=$OPTARG ;;
    q) quick=1 ;;
    *) exit 2 ;;
  esac
done
shift $((OPTIND - 1))
drevel="${1:-$here/../build/drevel}"
[ -x "$drevel" ] || { echo "three_loci_threads: no program $drevel (build it first)" >&2; exit 1; }
[ -z "$baseline" ] || [ -x "$baseline" ] || { echo "three_loci_threads: no program $baseline" >&2; exit 1; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
loci=(locus10 locus20 locus20_maxmc)

echo "drevel: $drevel ($("$drevel" --version))"
[ -n "$baseline" ] && echo "baseline: $baseline"
echo "$(nproc) cores; $runs runs; load average at the start: $(cut -d' ' -f1-3 /proc/loadavg)"

# seconds <label> <locus> <command...>: runs the command, appends its
# elapsed seconds to $work/<locus>.<label> and prints them.
seconds() {
  local label=$1 locus=$2
  shift 2
  local t0 t1
  t0=$(date +%s.%N)
  "$@" 2>"$work/stderr" || {
    echo "three_loci_threads: $label on $locus failed:" >&2
    cat "$work/stderr" >&2
    exit 1
  }
  t1=$(date +%s.%N)
  awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.3f", b - a }' | tee -a "$work/$locus.$label"
  echo >>"$work/$locus.$label"
}

same_as_literal() {
  cmp -s "$work/$1.literal.out" "$2" || {
    echo "three_loci_threads: $3 on $1 differs from the literal engine" >&2
    exit 1
  }
}

for run in $(seq 1 "$runs"); do
  for locus in "${loci[@]}"; do
    input="$here/$locus.txt"
    line="run $run  $(printf '%-14s' "$locus")"
    if [ "$run" = 1 ] || [ "$quick" = 0 ] || [ "$locus" != locus20_maxmc ]; then
      line+="  literal $(seconds literal "$locus" "$drevel" --engine literal "$input" "$work/$locus.literal.out")"
    fi
    line+="  1t $(seconds t1 "$locus" "$drevel" --threads 1 "$input" "$work/out")"
    same_as_literal "$locus" "$work/out" "one thread"
    line+="  2t $(seconds t2 "$locus" "$drevel" --verbose --threads 2 "$input" "$work/out")"
    same_as_literal "$locus" "$work/out" "two threads"
    grep '^drevel: fast engine' "$work/stderr" | sed 's/^drevel: fast engine, //' >>"$work/$locus.driver"
    if [ -n "$baseline" ]; then
      line+="  base1 $(seconds b1 "$locus" "$baseline" --threads 1 "$input" "$work/out")"
      same_as_literal "$locus" "$work/out" "the baseline on one thread"
      line+="  base2 $(seconds b2 "$locus" "$baseline" --threads 2 "$input" "$work/out")"
      same_as_literal "$locus" "$work/out" "the baseline on two threads"
    fi
    echo "$line  (s)  load $(cut -d' ' -f1-3 /proc/loadavg)"
  done
done

# ratio <locus> <numerator> <denominator>: median and spread of the runs'
# ratios (runs paired in order; a missing numerator run pairs with the
# first, for -q).
ratio() {
  local locus=$1 num="$work/$1.$2" den="$work/$1.$3"
  [ -s "$num" ] && [ -s "$den" ] || { echo "-"; return; }
  awk 'NR == FNR { n[++a] = $1; next } { d[++b] = $1 }
       END {
         for (i = 1; i <= b; i++) r[i] = n[i <= a ? i : 1] / d[i];
         for (i = 1; i <= b; i++) for (j = i + 1; j <= b; j++) if (r[j] < r[i]) { t = r[i]; r[i] = r[j]; r[j] = t }
         m = b % 2 ? r[(b + 1) / 2] : (r[b / 2] + r[b / 2 + 1]) / 2;
         printf "%.2f (%.2f-%.2f)", m, r[1], r[b]
       }' "$num" "$den"
}
median_seconds() {
  sort -g "$work/$1.$2" | awk '{ v[NR] = $1 } END { printf "%.3f", NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

echo
echo "median (lowest-highest) over $runs runs; load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-14s %8s %8s  %-20s %-20s %-20s %-20s\n' locus "1t s" "2t s" literal/1t 1t/2t base1/1t base2/2t
for locus in "${loci[@]}"; do
  printf '%-14s %8s %8s  %-20s %-20s %-20s %-20s\n' "$locus" "$(median_seconds "$locus" t1)" \
    "$(median_seconds "$locus" t2)" "$(ratio "$locus" literal t1)" "$(ratio "$locus" t1 t2)" \
    "$(ratio "$locus" b1 t1)" "$(ratio "$locus" b2 t2)"
done
echo
echo "two threads asked for, the driver the runs chose (--verbose, last run):"
for locus in "${loci[@]}"; do
  echo "  $locus: $(tail -n 1 "$work/$locus.driver")"
done
