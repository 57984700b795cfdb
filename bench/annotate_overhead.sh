#!/usr/bin/env bash
# What --annotate costs beside the table, per site: instructions counted by
# callgrind (repeatable on a shared machine) for the table alone and with the
# annotated file as .vcf, .vcf.gz and .bcf, on a generated VCF with the
# Monte Carlo cut short so that reading and writing dominate; then the peak
# memory (max RSS) with a file four times as long, which stays flat when the
# records kept are bounded by the sites in flight.
#   bench/annotate_overhead.sh [path/to/drevel] [sites (default 2000)] [samples (default 500)]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
drevel="${1:-$here/../build/drevel}"
sites="${2:-2000}"
samples="${3:-500}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
command -v valgrind >/dev/null || { echo "needs valgrind" >&2; exit 1; }

python3 "$here/make_vcf.py" --biallelic "$sites" --multiallelic 0 --samples "$samples" "$work/short.vcf"
python3 "$here/make_vcf.py" --biallelic $((4 * sites)) --multiallelic 0 --samples "$samples" \
  "$work/long.vcf"
cut=(--threads 1 --precision 0.5 --minmc 100 --maxmc 200)

instructions() {  # instructions <extra drevel options...>
  valgrind --tool=callgrind --callgrind-out-file="$work/cg.out" \
    "$drevel" --vcf "${cut[@]}" "$@" "$work/short.vcf" "$work/t.tsv" 2>"$work/cg.log"
  sed -n 's/.*Collected : //p' "$work/cg.log"
}

base=$(instructions)
echo "input: $sites sites, $samples samples; table alone: $base instructions, $((base / sites)) per site"
for name in out.vcf out.vcf.gz out.bcf; do
  with=$(instructions --annotate "$work/$name")
  echo "--annotate $name: $with instructions, $(((with - base) / sites)) more per site" \
       "($(awk -v a="$with" -v b="$base" 'BEGIN { printf "%.1f", 100 * (a - b) / b }')%)"
done

rss() {  # rss <input> <extra options...>: max RSS in KB
  local input=$1
  shift
  /usr/bin/time -f %M "$drevel" --vcf --threads 2 --precision 0.5 --minmc 100 --maxmc 200 "$@" \
    "$input" "$work/t.tsv" 2>&1 >/dev/null | tail -1
}
for input in short long; do
  echo "max RSS, $input file: table alone $(rss "$work/$input.vcf") KB," \
       "with --annotate .bcf $(rss "$work/$input.vcf" --annotate "$work/out.bcf") KB"
done
