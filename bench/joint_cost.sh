#!/usr/bin/env bash
# What --joint costs: `drevel --vcf --groups` on a generated sequencing-shaped
# file (bench/make_sequencing_vcf.py, common sites kept so that most groups
# are computed), with the samples split into 3 and into 26 groups, each run
# without and with --joint, several times, the load average beside every run.
#
#   bench/joint_cost.sh [-r runs] [-s sites] [-n samples] [-t threads] [drevel]
#
# The joint row draws every computed group's Dirichlet literally for each of
# its draws, with the defaults of the summed cells, so its cost grows with
# the number of groups about as the sum of their literal runs.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
runs=3 sites=500 samples=1300 threads=1
while getopts "r:s:n:t:" opt; do
  case $opt in
    r) runs=$OPTARG ;;
    s) sites=$OPTARG ;;
    n) samples=$OPTARG ;;
    t) threads=$OPTARG ;;
    *) exit 2 ;;
  esac
done
shift $((OPTIND - 1))
drevel="${1:-$here/../build/drevel}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# Rare variants leave most groups monomorphic: keep the sites whose ALT
# allele is common enough that a group of 50 sees it.
python3 "$here/make_sequencing_vcf.py" --sites $((sites * 10)) --samples "$samples" - |
  awk -F'\t' -v want="$sites" '/^#/ { print; next }
    { alt = 0; for (i = 10; i <= NF; i++) { s = $i; alt += gsub(/[1-9]/, "", s) }
      if (alt >= NF / 4 && kept < want) { print; kept++ } }' >"$work/sites.vcf"
kept=$(grep -vc '^#' "$work/sites.vcf")
echo "input: $kept sites x $samples samples (make_sequencing_vcf.py, ALT carried by >= 1/4 of the calls), $threads thread(s)"
for groups in 3 26; do
  grep '^#CHROM' "$work/sites.vcf" | tr '\t' '\n' | tail -n +10 |
    awk -v g="$groups" '{ printf "%s G%02d\n", $1, (NR - 1) % g }' >"$work/groups$groups.txt"
done

timed() {
  local label=$1
  shift
  local load
  load=$(cut -d' ' -f1-3 /proc/loadavg)
  /usr/bin/time -f "%e %U %S" -o "$work/time" "$@" >/dev/null 2>"$work/stderr" || {
    echo "$label: failed" >&2
    cat "$work/stderr" >&2
    exit 1
  }
  read -r real user sys <"$work/time"
  printf "%-22s %7.2f s %7.2f s CPU  load %s\n" "$label" "$real" "$(echo "$user + $sys" | bc)" "$load"
  echo "$real" >>"$work/seconds.$label"
}

for r in $(seq "$runs"); do
  for groups in 3 26; do
    base=(--vcf --threads "$threads" --groups "$work/groups$groups.txt" "$work/sites.vcf" -)
    timed "groups-$groups" "$drevel" "${base[@]}"
    timed "groups-$groups-joint" "$drevel" --joint "${base[@]}"
  done
done

median() { sort -g "$1" | awk '{ v[NR] = $1 } END { print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'; }
spread() { sort -g "$1" | awk 'NR == 1 { lo = $1 } { hi = $1 } END { printf "%.2f-%.2f", lo, hi }'; }
echo
for groups in 3 26; do
  plain=$(median "$work/seconds.groups-$groups")
  joint=$(median "$work/seconds.groups-$groups-joint")
  printf "%2d groups: %6.2f s (%s) without, %6.2f s (%s) with --joint: %.1f times\n" "$groups" \
    "$plain" "$(spread "$work/seconds.groups-$groups")" "$joint" \
    "$(spread "$work/seconds.groups-$groups-joint")" "$(echo "$joint / $plain" | bc -l)"
done
