#!/usr/bin/env bash
# drevel --bed beside plink2 on a cohort plink2 generates (--dummy: random
# two-allele sites, 1% missing calls), nothing written to the source tree:
#   1. reading and counting: drevel --bed with --minmc and --maxmc cut to
#      100 draws (each site's set-up and 100 draws remain), beside plink2
#      --bfile x --geno-counts;
#   2. the whole run: drevel --bed beside plink2 --hardy;
#   3. --vcf on the first VCF_SITES sites exported by plink2 (bgzipped VCF),
#      beside --bed on the same sites, and a check that both tables agree.
# Elapsed and CPU seconds and peak resident memory of each run, with the
# load average before and after (the machine may be shared).
#   bench/plink_throughput.sh [path/to/drevel] [samples] [sites] [vcf_sites] [threads]
# Defaults: 100000 samples, 20000 sites, 2000 VCF sites, 2 threads.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
drevel="${1:-$here/../build/drevel}"
samples="${2:-100000}"
sites="${3:-20000}"
vcf_sites="${4:-2000}"
threads="${5:-2}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
command -v plink2 >/dev/null || { echo "plink2 is needed (tools/install-dependencies --test)" >&2; exit 1; }

plink2 --dummy "$samples" "$sites" 0.01 acgt --seed 1 --make-bed --out "$work/x" >/dev/null
echo "cohort: $samples samples x $sites sites, .bed $(( $(stat -c %s "$work/x.bed") / 1000000 )) MB; $threads threads; $(nproc) cores"

# One timed run: label, then the command.  /usr/bin/time gives the peak
# resident memory; the first run of each file reads it from the page cache
# like the others (the files were just written).
run() {
  local label=$1
  shift
  local load_before
  load_before=$(cut -d' ' -f1 /proc/loadavg)
  /usr/bin/time -f '%e %U %S %M' -o "$work/time" "$@" >/dev/null 2>"$work/err" ||
    { cat "$work/err" >&2; exit 1; }
  read -r real user sys rss <"$work/time"
  printf '%-34s %7.2f s elapsed %7.2f s CPU %7.0f MB peak   load %s / %s\n' "$label" "$real" \
    "$(echo "$user + $sys" | bc)" "$(echo "$rss / 1024" | bc)" "$load_before" \
    "$(cut -d' ' -f1 /proc/loadavg)"
}

echo "-- reading and counting"
run "plink2 --geno-counts" plink2 --bfile "$work/x" --geno-counts --threads "$threads" --out "$work/p"
run "drevel --bed --minmc 100 --maxmc 100" "$drevel" --bed "$work/x" --minmc 100 --maxmc 100 \
  --threads "$threads" "$work/counted.tsv"
# The same with the literal engine, which sets up no tables for a site: what
# is left of the fast engine's per-site set-up beside the reading.
run "  the same, --engine literal" "$drevel" --bed "$work/x" --minmc 100 --maxmc 100 \
  --engine literal --threads "$threads" "$work/literal.tsv"
echo "-- the whole run"
run "plink2 --hardy" plink2 --bfile "$work/x" --hardy --threads "$threads" --out "$work/p"
run "drevel --bed" "$drevel" --bed "$work/x" --threads "$threads" "$work/bed.tsv"

echo "-- the first $vcf_sites sites, from a VCF"
plink2 --bfile "$work/x" --thin-count "$vcf_sites" --seed 1 --make-bed --out "$work/s" >/dev/null
plink2 --bfile "$work/s" --export vcf bgz --out "$work/s" >/dev/null
echo "VCF: $(( $(stat -c %s "$work/s.vcf.gz") / 1000000 )) MB bgzipped"
run "drevel --bed ($vcf_sites sites)" "$drevel" --bed "$work/s" --threads "$threads" "$work/s_bed.tsv"
run "drevel --vcf ($vcf_sites sites)" "$drevel" --vcf "$work/s.vcf.gz" --threads "$threads" \
  "$work/s_vcf.tsv"
if cmp -s "$work/s_bed.tsv" "$work/s_vcf.tsv"; then
  echo "tables of --bed and --vcf: identical"
else
  echo "tables of --bed and --vcf: DIFFER" >&2
  exit 1
fi
