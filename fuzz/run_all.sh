#!/usr/bin/env bash
# Builds the fuzz targets with clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs each for FUZZ_SECONDS seconds
# (default 60) from its corpus in fuzz/corpus/<target>.  An input that
# crashes a target, trips a sanitizer, breaks one of the target's checks or
# runs past the time limit is copied into the target's corpus, where the test
# suite replays it from then on, and the script fails.
#   fuzz/run_all.sh [build-dir]        (default build-fuzz)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-fuzz}
seconds=${FUZZ_SECONDS:-60}
targets="classic_input locus genepop counts_reader bed_reader vcf_reader result_table"

CC=clang CXX=clang++ cmake -S . -B "$build" -DDREVEL_FUZZ=ON -DDREVEL_SANITIZE=ON \
  -DDREVEL_WERROR=ON -DDREVEL_TESTS=OFF -DDREVEL_BENCH=OFF >/dev/null
cmake --build "$build" -j2 --target $(for t in $targets; do printf 'fuzz_%s ' "$t"; done)

export ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
status=0
for target in $targets; do
  # New inputs go to a scratch corpus: the committed one stays small.
  work=$(mktemp -d)
  mkdir "$work/corpus" "$work/found"
  if "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2048 \
       -artifact_prefix="$work/found/" -print_final_stats=1 \
       "$work/corpus" "fuzz/corpus/$target" >"$work/log" 2>&1; then
    echo "fuzz_$target: $(grep -E '^stat::number_of_executed_units' "$work/log" | awk '{print $2}') inputs in ${seconds} s, no finding"
  else
    status=1
    tail -n 60 "$work/log"
    for f in "$work"/found/*; do
      [ -e "$f" ] || continue
      cp "$f" "fuzz/corpus/$target/regression-$(basename "$f")"
      echo "fuzz_$target: finding saved as fuzz/corpus/$target/regression-$(basename "$f")" >&2
    done
  fi
  rm -rf "$work"
done
exit $status
