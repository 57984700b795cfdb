#!/usr/bin/env bash
# The many-small-loci benchmark: `drevel --vcf` on a generated file shaped
# like sequencing data (bench/make_sequencing_vcf.py), as a user runs it,
# for 1 and 2 threads, with the batch engine (the default) and the
# site-by-site one (--site-engine per-site), beside a baseline binary and
# bcftools' and plink2's equilibrium tests on the same file, over several
# runs, with the load average beside every run.  The computed columns of
# every table are compared with the batch engine's one-thread table.
#
#   bench/many_small_loci.sh [-r runs] [-s sites] [-n samples] [-b baseline]
#                            [-q] [-m "sizes"] [drevel]
#
# drevel defaults to build/drevel; -b names a second binary (for instance
# today's release, or the previous commit's build) run the same way; -r the
# number of runs of each command (default 3); -q leaves out the per-site
# runs.  Peak resident memory comes from /usr/bin/time; -m "20000 200000"
# adds a memory pass: one two-thread batch run on a file of each size.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
runs=3 sites=20000 samples=1000 baseline="" quick="" memory_sizes=""
while getopts "r:s:n:b:qm:" opt; do
  case $opt in
    r) runs=$OPTARG ;;
    s) sites=$OPTARG ;;
    n) samples=$OPTARG ;;
    b) baseline=$OPTARG ;;
    q) quick=1 ;;
    m) memory_sizes=$OPTARG ;;
    *) exit 2 ;;
  esac
done
shift $((OPTIND - 1))
drevel="${1:-$here/../build/drevel}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

vcf="$work/sites.vcf.gz"
python3 "$here/make_sequencing_vcf.py" --sites "$sites" --samples "$samples" - | bgzip -c >"$vcf"
echo "input: $sites sites x $samples samples (make_sequencing_vcf.py), $(nproc) cores"
echo "load average at the start: $(cut -d' ' -f1-3 /proc/loadavg)"

# One timed run: elapsed seconds, CPU seconds and peak RSS in MB.
timed() {
  local label=$1
  shift
  local load
  load=$(cut -d' ' -f1-3 /proc/loadavg)
  /usr/bin/time -f "%e %U %S %M" -o "$work/time" "$@" >/dev/null 2>"$work/stderr" || {
    echo "$label: failed" >&2
    cat "$work/stderr" >&2
    exit 1
  }
  read -r real user sys rss <"$work/time"
  awk -v l="$label" -v r="$real" -v c="$user + $sys" -v u="$user" -v s="$sys" -v m="$rss" \
    -v n="$sites" -v load="$load" 'BEGIN { printf "%-28s %7.2f s %7.2f s CPU %8.0f sites/s %6.0f MB  load %s\n", l, r, u + s, n / r, m / 1024, load }'
  echo "$real" >>"$work/seconds.$label"
}

commands=("drevel-1" "drevel-2")
[ -z "$quick" ] && commands+=("per-site-1" "per-site-2")
[ -n "$baseline" ] && commands+=("baseline-1" "baseline-2")
command -v bcftools >/dev/null && commands+=("bcftools")
command -v plink2 >/dev/null && commands+=("plink2")
for run in $(seq 1 "$runs"); do
  echo "run $run"
  for c in "${commands[@]}"; do
    case $c in
      drevel-1) timed "$c" "$drevel" --vcf --threads 1 "$vcf" "$work/table.1" ;;
      drevel-2) timed "$c" "$drevel" --vcf --threads 2 "$vcf" "$work/table.2" ;;
      per-site-1) timed "$c" "$drevel" --vcf --site-engine per-site --threads 1 "$vcf" "$work/site.1" ;;
      per-site-2) timed "$c" "$drevel" --vcf --site-engine per-site --threads 2 "$vcf" "$work/site.2" ;;
      baseline-1) timed "$c" "$baseline" --vcf --threads 1 "$vcf" "$work/base.1" ;;
      baseline-2) timed "$c" "$baseline" --vcf --threads 2 "$vcf" "$work/base.2" ;;
      bcftools) timed "$c" bcftools +fill-tags "$vcf" -Ob -o "$work/tags.bcf" -- -t HWE,ExcHet ;;
      plink2) timed "$c" plink2 --vcf "$vcf" --hardy --allow-extra-chr --out "$work/plink" ;;
    esac
  done
done

# Ratios within each run, and their spread over the runs.
ratio() {
  paste "$work/seconds.$1" "$work/seconds.$2" |
    awk -v name="$3" '{ r = $1 / $2; s += r; if (NR == 1 || r < lo) lo = r; if (NR == 1 || r > hi) hi = r }
      END { printf "%-40s mean %.2f, range %.2f-%.2f over %d runs\n", name, s / NR, lo, hi, NR }'
}
echo
ratio drevel-1 drevel-2 "2 threads against 1 (speed-up)"
[ -z "$quick" ] && ratio per-site-1 drevel-1 "1 thread against per-site (speed-up)"
[ -z "$quick" ] && ratio per-site-2 drevel-2 "2 threads against per-site (speed-up)"
[ -n "$baseline" ] && ratio baseline-1 drevel-1 "1 thread against the baseline (speed-up)"
[ -n "$baseline" ] && ratio baseline-2 drevel-2 "2 threads against the baseline (speed-up)"
command -v bcftools >/dev/null && ratio drevel-2 bcftools "2 threads' time over bcftools'"

# The computed columns: EVIDENCE L_MAX L_HYP DRAWS (9-12) of every table.
cut -f1-2,9-12 "$work/table.1" >"$work/cols.1"
tables="table.2"
[ -z "$quick" ] && tables="$tables site.1 site.2"
for t in $tables; do
  if cut -f1-2,9-12 "$work/$t" | cmp -s - "$work/cols.1"; then
    echo "computed columns of $t: identical to drevel-1"
  else
    echo "computed columns of $t: DIFFER from drevel-1" >&2
    exit 1
  fi
done
cmp -s "$work/table.1" "$work/table.2" && echo "tables of 1 and 2 threads: byte-identical"
[ -z "$quick" ] && cmp -s "$work/table.1" "$work/site.1" && echo "tables of both site engines: byte-identical"
# A baseline may count the declared alleles, not those seen (releases before
# tested alleles): its rows are compared where the two agree, the sites
# whose every declared allele is seen (N_TESTED = N_ALLELES).
if [ -n "$baseline" ]; then
  columns=$(head -1 "$work/table.1" | awk -F'\t' '{ print NF }')
  for t in base.1 base.2; do
    paste "$work/table.1" "$work/$t" | awk -F'\t' -v t="$t" -v n="$columns" '
      NR == 1 { next }
      $13 == $6 { rows++; if ($9 != $(n + 9) || $10 != $(n + 10) || $11 != $(n + 11) || $12 != $(n + 12)) bad++ }
      END { printf "computed columns of %s: %d of %d comparable rows differ\n", t, bad, rows; exit bad > 0 }' ||
      { echo "baseline $t DIFFERS" >&2; exit 1; }
  done
fi

# Peak memory for larger files: flat in the number of sites.
for n in $memory_sizes; do
  python3 "$here/make_sequencing_vcf.py" --sites "$n" --samples "$samples" - | bgzip -c >"$work/m.vcf.gz"
  load=$(cut -d' ' -f1-3 /proc/loadavg)
  /usr/bin/time -f "%e %M" -o "$work/time" "$drevel" --vcf --threads 2 "$work/m.vcf.gz" "$work/m.tsv"
  read -r real rss <"$work/time"
  awk -v n="$n" -v r="$real" -v m="$rss" -v load="$load" \
    'BEGIN { printf "memory: %d sites, 2 threads: %.1f s, %.0f sites/s, peak RSS %.0f MB  load %s\n", n, r, n / r, m / 1024, load }'
  rm -f "$work/m.vcf.gz" "$work/m.tsv"
done
