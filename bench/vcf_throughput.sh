#!/usr/bin/env bash
# Sites per second of `drevel --vcf` for 1 and 2 threads on a generated VCF
# (10000 biallelic and 1000 multi-allelic sites, 500 samples, by default),
# and a check that both tables are byte-identical.
#   bench/vcf_throughput.sh [path/to/drevel] [make_vcf.py options...]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
drevel="${1:-$here/../build/drevel}"
shift || true
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

python3 "$here/make_vcf.py" "$@" "$work/sites.vcf"
sites=$(grep -vc '^#' "$work/sites.vcf")
echo "input: $sites sites${*:+ (make_vcf.py $*)}"

# Elapsed and CPU seconds of each run, and the load average before and after:
# on a machine shared with other work the two-thread run gets less than two
# cores, which the CPU time and the load show.
declare -A seconds
TIMEFORMAT='%R %U %S'
for threads in 1 2; do
  load_before=$(cut -d' ' -f1 /proc/loadavg)
  times=$( { time "$drevel" --vcf --threads "$threads" "$work/sites.vcf" \
               "$work/table$threads.tsv" 2>&1; } 2>&1 )
  read -r real user sys <<<"$times"
  echo "load average before and after: $load_before / $(cut -d' ' -f1 /proc/loadavg)"
  seconds[$threads]=$real
  awk -v t="$threads" -v r="$real" -v c="$user + $sys" -v u="$user" -v s="$sys" -v n="$sites" \
    'BEGIN { printf "%d thread(s): %.1f s elapsed, %.1f s CPU, %.1f sites/s\n", t, r, u + s, n / r }'
done
awk -v a="${seconds[1]}" -v b="${seconds[2]}" 'BEGIN { printf "speed-up: %.2f\n", a / b }'
if cmp -s "$work/table1.tsv" "$work/table2.tsv"; then
  echo "tables: identical"
else
  echo "tables: DIFFER" >&2
  exit 1
fi
