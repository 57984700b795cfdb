#!/usr/bin/env python3
"""Writes a VCF table with every column --plot reads, for trying pictures.

Runs `drevel --vcf` on a VCF (once per group with --groups, through
--samples) and completes its rows with the columns a table of the current
layout has: N_TESTED (the alleles seen among the counted calls), STATUS,
GENOTYPES (the seen alleles' counts), HET_OBS, HET_EXP, F, MC_SE and
AT_MAXMC, worked out here from the VCF's GT calls.  A site with declared
but unseen alleles is computed again by a two-file run on the seen alleles'
counts; a site with one allele seen is monomorphic, with NA.  For a drevel
that writes these columns itself this script is not needed.

  bench/plot_trial_table.py [--drevel build/drevel] [--groups FILE] in.vcf[.gz] out.tsv
"""
import argparse
import gzip
import math
import os
import subprocess
import sys
import tempfile


def records(path):
    opener = gzip.open if path.endswith(".gz") else open
    with opener(path, "rt") as f:
        samples = None
        for line in f:
            if line.startswith("##"):
                continue
            fields = line.rstrip("\n").split("\t")
            if line.startswith("#"):
                samples = fields[9:]
                continue
            yield samples, fields


def counts_of(fields, columns, k):
    """Genotype counts over k declared alleles, lower triangle, from GT."""
    fmt = fields[8].split(":")
    if "GT" not in fmt:
        return [0] * (k * (k + 1) // 2)
    gt = fmt.index("GT")
    counts = [0] * (k * (k + 1) // 2)
    for c in columns:
        parts = fields[9 + c].split(":")
        if gt >= len(parts):
            continue
        alleles = parts[gt].replace("|", "/").split("/")
        if len(alleles) != 2 or "." in alleles:
            continue
        i, j = sorted(int(a) for a in alleles)
        counts[j * (j + 1) // 2 + i] += 1
    return counts


def tested(counts, k):
    """The seen alleles, in file order, and their counts in lower-triangle order."""
    allele_count = [0] * k
    for j in range(k):
        for i in range(j + 1):
            n = counts[j * (j + 1) // 2 + i]
            allele_count[i] += n
            allele_count[j] += n
    seen = [a for a in range(k) if allele_count[a] > 0]
    sub = []
    for b in range(len(seen)):
        for a in range(b + 1):
            sub.append(counts[seen[b] * (seen[b] + 1) // 2 + seen[a]])
    return seen, sub, [allele_count[a] for a in seen]


def classic(drevel, k, counts, workdir):
    inp = os.path.join(workdir, "locus.txt")
    out = os.path.join(workdir, "result.txt")
    with open(inp, "w") as f:
        f.write("%d\n%s\n0 0 0\n" % (k, " ".join(str(c) for c in counts)))
    subprocess.run([drevel, inp, out], check=True)
    with open(out) as f:
        return [f.readline().split()[0] for _ in range(3)]


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("--drevel", default="build/drevel")
    p.add_argument("--groups", help="lines of 'sample group'")
    p.add_argument("vcf")
    p.add_argument("output")
    args = p.parse_args()

    samples = next(records(args.vcf))[0]
    groups = [("", list(range(len(samples))))]
    if args.groups:
        order, members = [], {}
        index = {s: i for i, s in enumerate(samples)}
        for line in open(args.groups):
            parts = line.split()
            if len(parts) < 2:
                continue
            if parts[1] not in members:
                order.append(parts[1])
                members[parts[1]] = []
            members[parts[1]].append(index[parts[0]])
        groups = [(g, members[g]) for g in order]

    with tempfile.TemporaryDirectory() as workdir:
        tables = []
        for name, columns in groups:
            table = os.path.join(workdir, "table%d.tsv" % len(tables))
            command = [args.drevel, "--vcf", args.vcf, table]
            if args.groups:
                names = os.path.join(workdir, "samples.txt")
                with open(names, "w") as f:
                    f.write("".join(samples[c] + "\n" for c in columns))
                command[2:2] = ["--samples", "@" + names]
            subprocess.run(command, check=True)
            rows = [line.rstrip("\n").split("\t") for line in open(table)][1:]
            tables.append(rows)

        out = sys.stdout if args.output == "-" else open(args.output, "w")
        out.write("#CHROM\tPOS\tID\tREF\tALT\t" + ("GROUP\t" if args.groups else "") +
                  "N_ALLELES\tN_CALLED\tN_SKIPPED\tEVIDENCE\tL_MAX\tL_HYP\tDRAWS\tN_TESTED\t"
                  "STATUS\tGENOTYPES\tHET_OBS\tHET_EXP\tF\tMC_SE\tAT_MAXMC\n")
        for site, (_, fields) in enumerate(records(args.vcf)):
            for g, (name, columns) in enumerate(groups):
                row = tables[g][site]
                k = int(row[5])
                counts = counts_of(fields, columns, k)
                seen, sub, allele_counts = tested(counts, k)
                evidence, l_max, l_hyp, draws = row[8:12]
                extra = ["NA"] * 6
                if int(row[6]) == 0:
                    status = "no_calls"
                elif len(seen) == 1:
                    status = "monomorphic"
                    evidence = l_max = l_hyp = draws = "NA"
                elif evidence == "NA":
                    status = "too_many_alleles"
                else:
                    status = "ok"
                    if len(seen) < k:
                        evidence, l_max, l_hyp = classic(args.drevel, len(seen), sub, workdir)
                        draws = "NA"
                if status in ("ok", "monomorphic"):
                    n = sum(sub)
                    het_obs = 1 - sum(sub[b * (b + 1) // 2 + b] for b in range(len(seen))) / n
                    het_exp = 1 - sum((a / (2 * n)) ** 2 for a in allele_counts)
                    f = 1 - het_obs / het_exp if het_exp > 0 else float("nan")
                    extra = [",".join(str(c) for c in sub), "%.6f" % het_obs, "%.6f" % het_exp,
                             "NA" if math.isnan(f) else "%.6f" % f, "NA", "NA"]
                    if status == "ok" and draws != "NA":
                        e = float(evidence)
                        extra[4] = "%e" % math.sqrt(e * (1 - e) / int(draws))
                        cells = len(seen) * (len(seen) + 1) // 2
                        extra[5] = "yes" if int(draws) >= 10000 * cells else "no"
                tested_n = str(len(seen)) if status != "too_many_alleles" else str(k)
                out.write("\t".join(row[:5] + ([name] if args.groups else []) + row[5:8] +
                                    [evidence, l_max, l_hyp, draws, tested_n, status] + extra) +
                          "\n")


if __name__ == "__main__":
    main()
