#!/usr/bin/env bash
# The workflow against a single run: a small indexed file of two contigs in
# six shards, one shard boundary crossed by a deletion; the gathered table
# must be byte-identical to `drevel --vcf` of the whole file, and the
# records of the gathered annotated VCF identical to `--annotate`'s.  Then the
# failures: a missing index, a contig absent from the index, a shard setting
# that is no whole number and a failing shard each stop the workflow with a
# clear message and no gathered table, and a rerun does only what is
# missing.  shards: N makes N shards; a BCF with its contigs in another order
# than its header's, and a file without records, gather as a single run
# writes them; a changed input is computed again.
#   workflow_test.sh <drevel> <source dir>
set -euo pipefail
drevel=$1
source_dir=$2
snakefile=$source_dir/workflow/Snakefile
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# Sites every 37 bases on contig 1 (3000 bases) and 2 (2500), 40 samples,
# and a ten-base deletion at 1:995 that reaches over the boundary at 1000.
python3 - <<'PY'
import random
rng = random.Random(7)
samples = 40
with open("in.vcf", "w") as out:
    out.write("##fileformat=VCFv4.2\n##contig=<ID=1,length=3000>\n##contig=<ID=2,length=2500>\n")
    out.write('##FORMAT=<ID=GT,Number=1,Type=String,Description="Genotype">\n')
    out.write("#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\tFORMAT\t"
              + "\t".join("S%d" % s for s in range(samples)) + "\n")
    for contig, length in (("1", 3000), ("2", 2500)):
        for pos in range(5, length, 37):
            ref, alt = "A", "G"
            if contig == "1" and pos == 1004:
                pos, ref, alt = 995, "ACGTACGTAC", "A"
            p = rng.uniform(0.05, 0.95)
            calls = ["%d/%d" % (rng.random() < p, rng.random() < p) for _ in range(samples)]
            out.write("%s\t%d\t.\t%s\t%s\t.\tPASS\t.\tGT\t%s\n" % (contig, pos, ref, alt, "\t".join(calls)))
PY
grep -q $'^1\t995\t' in.vcf || fail "the generated file lacks the spanning deletion"
bgzip -c in.vcf >in.vcf.gz
tabix -p vcf in.vcf.gz
"$drevel" --vcf in.vcf.gz single.tsv

# drevel through a wrapper that logs every call, to count the shards run,
# and fails the shard 2:1001-2000 while the file "fail" exists.
cat >drevel-logged <<SH
#!/bin/sh
case "\$*" in
  *"--regions 2:1001-2000 "*) [ -e "$work/fail" ] && { echo "drevel: simulated failure" >&2; exit 1; } ;;
esac
echo "\$*" >>"$work/calls"
exec "$drevel" "\$@"
SH
chmod +x drevel-logged

config() {  # config <file> <input> [extra yaml lines]
  local file=$1 input=$2
  shift 2
  {
    echo "input: $input"
    echo "output: out/table.tsv"
    echo "workdir: shards"
    echo "shard_size: 1000"
    echo "threads: 1"
    echo "drevel: $work/drevel-logged"
    for line in "$@"; do echo "$line"; done
  } >"$file"
}

run_workflow() {  # run_workflow <config>; output in snakemake.log
  snakemake -s "$snakefile" --cores 2 --configfile "$1" >snakemake.log 2>&1
}

# The gathered table equals the single run.
config ok.yaml in.vcf.gz
run_workflow ok.yaml || { cat snakemake.log; fail "the workflow failed"; }
[ "$(wc -l <calls)" -eq 6 ] || fail "expected 6 shards, ran $(wc -l <calls)"
cmp out/table.tsv single.tsv || fail "gathered table differs from the single run"
[ "$(grep -c $'^1\t995\t' out/table.tsv)" -eq 1 ] || fail "the deletion is not in exactly one row"

# The annotated VCF: each shard annotates its records to BCF, the gather
# joins them; the records equal a single run's annotated file, for each
# type of the gathered file, and its index serves regions.
"$drevel" --vcf --annotate single.bcf in.vcf.gz single-annotated.tsv
cmp single-annotated.tsv single.tsv || fail "--annotate changed the single run's table"
bcftools view -H single.bcf >single.records
[ "$(wc -l <single.records)" -eq "$(($(wc -l <single.tsv) - 1))" ] || fail "single run: records lost"
for annotated in annotated.bcf annotated.vcf.gz annotated.vcf; do
  rm -rf out shards .snakemake calls
  config annotate.yaml in.vcf.gz "annotate: out/$annotated"
  run_workflow annotate.yaml || { cat snakemake.log; fail "the annotating workflow failed ($annotated)"; }
  [ "$(wc -l <calls)" -eq 6 ] || fail "expected 6 annotating shards, ran $(wc -l <calls)"
  grep -q -- "--annotate shards/shards/00000.bcf" calls || fail "the shards were not annotated"
  cmp out/table.tsv single.tsv || fail "the annotating workflow's table differs ($annotated)"
  bcftools view -H "out/$annotated" >gathered.records
  cmp gathered.records single.records || fail "the gathered $annotated differs from the single run's"
  if [ "$annotated" != annotated.vcf ]; then
    [ "$(bcftools view -H -r 1:995 "out/$annotated" | cut -f 2)" = 995 ] ||
      fail "the index of $annotated does not serve regions"
  fi
done

# A shard that fails: the workflow fails, names its log, gathers nothing.
rm -rf out shards .snakemake calls
touch fail
if run_workflow ok.yaml; then fail "a failing shard did not fail the workflow"; fi
grep -q "Error in rule shard" snakemake.log || { cat snakemake.log; fail "no error for the shard"; }
grep -q "simulated failure" shards/logs/00004.log || fail "the shard's log lacks its error"
[ ! -e out/table.tsv ] || fail "a table was gathered although a shard failed"

# The rerun does only what is missing: the shards without a table.
rm fail
missing=$((6 - $(ls shards/shards/*.tsv | wc -l)))
: >calls
run_workflow ok.yaml || { cat snakemake.log; fail "the rerun failed"; }
[ "$(wc -l <calls)" -eq "$missing" ] || fail "the rerun ran $(wc -l <calls) shards, not the $missing missing"
cmp out/table.tsv single.tsv || fail "the rerun's table differs"

# shards: 6 makes six shards, the contigs' lengths shared among them.
rm -rf out shards .snakemake calls
config six.yaml in.vcf.gz "shards: 6"
run_workflow six.yaml || { cat snakemake.log; fail "the workflow of six shards failed"; }
[ "$(wc -l <calls)" -eq 6 ] || fail "shards: 6 ran $(wc -l <calls) shards"
cmp out/table.tsv single.tsv || fail "the table of six shards differs from the single run"

# A BCF whose records take the contigs in another order than its header:
# the rows in the file's order, as a single run gives them.  Then the file
# changes, and the rerun computes the new one.
(grep '^#' in.vcf; grep $'^2\t' in.vcf; grep $'^1\t' in.vcf) >order.vcf
bcftools view -Ob -o order.bcf order.vcf && bcftools index order.bcf
"$drevel" --vcf order.bcf order-single.tsv
rm -rf out shards .snakemake
config order.yaml order.bcf
run_workflow order.yaml || { cat snakemake.log; fail "the workflow over order.bcf failed"; }
cmp out/table.tsv order-single.tsv || fail "the rows are not in the file's order"
sleep 1
bcftools view -Ob -o order.bcf -t ^2:1-1500 order.vcf && bcftools index -f order.bcf
"$drevel" --vcf order.bcf order-single.tsv
run_workflow order.yaml || { cat snakemake.log; fail "the rerun over the changed input failed"; }
cmp out/table.tsv order-single.tsv || fail "the rerun kept the table of the input before it changed"

# An indexed file without records: the header, as a single run writes it.
grep '^#' in.vcf | bgzip -c >empty.vcf.gz && tabix -p vcf empty.vcf.gz
"$drevel" --vcf empty.vcf.gz empty-single.tsv
rm -rf out shards .snakemake
config empty.yaml empty.vcf.gz
run_workflow empty.yaml || { cat snakemake.log; fail "the workflow over a file without records failed"; }
cmp out/table.tsv empty-single.tsv || fail "a file without records did not give the header"

# Shard settings that are not whole numbers, or not above 0: a message, no table.
for bad in "shard_size: -5" "shard_size: 0" "shard_size: abc" "shards: -1"; do
  rm -rf out shards .snakemake
  config bad.yaml in.vcf.gz "$bad"
  if run_workflow bad.yaml; then fail "'$bad' was accepted"; fi
  grep -q "drevel workflow: ${bad%%:*} must be a whole number" snakemake.log ||
    { cat snakemake.log; fail "no message about '$bad'"; }
  [ ! -e out/table.tsv ] || fail "a table was gathered with '$bad'"
done

# A missing index.
rm -rf out shards .snakemake
cp in.vcf.gz noindex.vcf.gz
config noindex.yaml noindex.vcf.gz
if run_workflow noindex.yaml; then fail "a file without an index was accepted"; fi
grep -q "noindex.vcf.gz has no index" snakemake.log || { cat snakemake.log; fail "no message about the index"; }
[ ! -e out/table.tsv ] || fail "a table was gathered without an index"

# A contig absent from the index.
config contig.yaml in.vcf.gz "contigs: [1, chrX]"
if run_workflow contig.yaml; then fail "an unknown contig was accepted"; fi
grep -q "contig(s) chrX not in the index" snakemake.log || { cat snakemake.log; fail "no message about the contig"; }
[ ! -e out/table.tsv ] || fail "a table was gathered for an unknown contig"
echo "workflow: all checks passed"
