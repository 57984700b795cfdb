#!/usr/bin/env bash
# Time and peak memory of `drevel --plot` for each picture format on a
# generated table (bench/make_plot_table.py: one million rows over 2000
# samples by default), with the points drawn and whether they were thinned.
#   bench/plot_throughput.sh [path/to/drevel] [make_plot_table.py options...]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
drevel="${1:-$here/../build/drevel}"
shift || true
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

python3 "$here/make_plot_table.py" "$@" "$work/table.tsv"
echo "input: $(($(wc -l <"$work/table.tsv") - 1)) rows, $(du -m "$work/table.tsv" | cut -f1) MB${*:+ (make_plot_table.py $*)}"
for format in png svg pdf; do
  load_before=$(cut -d' ' -f1 /proc/loadavg)
  /usr/bin/time -f "%e %U %M" -o "$work/time" "$drevel" --verbose --plot "$work/table.tsv" \
    "$work/picture.$format" 2>"$work/err"
  read -r real user kb <"$work/time"
  echo "$format: ${real} s elapsed, ${user} s user, $((kb / 1024)) MB peak," \
       "$(du -k "$work/picture.$format" | cut -f1) KB picture; load $load_before / $(cut -d' ' -f1 /proc/loadavg)"
done
sed 's/^drevel: /  /' "$work/err"
