#!/usr/bin/env bash
# The two-file run as a user runs it, on one and two threads: the same
# result file, byte for byte, whichever driver the run chose, and a
# --verbose line saying which ran and why.
#
#   classic_threads_test.sh <drevel> <source dir>
set -euo pipefail
drevel=$1
src=$2
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"

fail() {
  echo "classic_threads_test: $*" >&2
  exit 1
}

"$drevel" --engine literal "$src/bench/locus20.txt" literal.txt
for threads in 1 2; do
  "$drevel" --verbose --threads "$threads" "$src/bench/locus20.txt" "fast.$threads" 2>"err.$threads"
  cmp literal.txt "fast.$threads" || fail "--threads $threads differs from the literal engine"
  [ "$(grep -c '^drevel: fast engine, ' "err.$threads")" = 1 ] ||
    fail "--threads $threads: no line naming the driver: $(cat "err.$threads")"
done
grep -q 'one thread: one thread asked for' err.1 || fail "--threads 1: $(cat err.1)"
grep -qE 'two threads for [0-9]+ of 105000 draws|one thread: the run ended' err.2 ||
  fail "--threads 2: $(cat err.2)"
# A locus with mostly rejection-branch cells stays on one thread, and says why.
"$drevel" --verbose --threads 2 "$src/bench/locus10.txt" fast10 2>err10
grep -q 'one thread: 17 of 55 cells take the product branch' err10 || fail "locus10: $(cat err10)"
# Without --verbose nothing is written on stderr.
"$drevel" --threads 2 "$src/bench/locus20.txt" quiet 2>err.quiet
[ ! -s err.quiet ] || fail "a run without --verbose wrote: $(cat err.quiet)"
echo "classic_threads_test: ok"
