#!/usr/bin/env bash
# Instructions per site of `drevel --vcf` outside the Monte Carlo draws:
# the reading, counting and table of a generated VCF (2000 biallelic and
# 200 multi-allelic sites, 500 samples) with the draws cut to 100 a site,
# counted by callgrind, which repeats to the instruction on a busy machine.
# Give two binaries to compare them (an earlier build first).
#   bench/batch_overhead.sh [drevel ...]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
[ $# -gt 0 ] || set -- "$here/../build/drevel"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

python3 "$here/make_vcf.py" --biallelic 2000 --multiallelic 200 --samples 500 "$work/sites.vcf"
sites=$(grep -vc '^#' "$work/sites.vcf")
for drevel in "$@"; do
  valgrind --tool=callgrind --callgrind-out-file="$work/callgrind.out" \
    "$drevel" --vcf --threads 1 --minmc=100 --maxmc=100 "$work/sites.vcf" "$work/table.tsv" \
    2>"$work/valgrind.txt"
  total=$(sed -n 's/.*Collected : \([0-9]*\).*/\1/p' "$work/valgrind.txt")
  awk -v d="$drevel" -v t="$total" -v n="$sites" \
    'BEGIN { printf "%s: %d instructions, %.0f per site\n", d, t, t / n }'
done
