#!/usr/bin/env python3
"""Writes a large table in the layout of `drevel --vcf` for timing --plot.

Rows are two-allele sites over --samples diploid samples with random allele
frequencies and inbreeding, plus a share of multi-allelic and monomorphic
rows.  The EVIDENCE column is a stand-in (a chi-square tail of the
heterozygote deficit), not drevel's value: the table is for the picture's
speed and memory, not for its numbers.  The same arguments always give the
same file.
"""
import argparse
import math
import random
import sys


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("--rows", type=int, default=1000000)
    p.add_argument("--samples", type=int, default=2000)
    p.add_argument("--groups", type=int, default=0, help="a GROUP column with this many groups")
    p.add_argument("--seed", type=int, default=1)
    p.add_argument("output", nargs="?", default="-")
    args = p.parse_args()

    rng = random.Random(args.seed)
    out = sys.stdout if args.output == "-" else open(args.output, "w")
    group_column = "GROUP\t" if args.groups else ""
    out.write("#CHROM\tPOS\tID\tREF\tALT\t" + group_column + "N_ALLELES\tN_CALLED\tN_SKIPPED\t"
              "EVIDENCE\tL_MAX\tL_HYP\tDRAWS\tN_TESTED\tSTATUS\tGENOTYPES\tHET_OBS\tHET_EXP\tF\t"
              "MC_SE\tAT_MAXMC\n")
    n = args.samples
    for row in range(args.rows):
        group = ("G%d\t" % (row % args.groups)) if args.groups else ""
        site = "1\t%d\t.\tA\tG\t%s" % (row // max(args.groups, 1) + 1, group)
        kind = rng.random()
        if kind < 0.05:
            out.write(site + "2\t%d\t0\tNA\tNA\tNA\tNA\t1\tmonomorphic\t%d\t0\t0\tNA\tNA\tNA\n" % (n, n))
            continue
        if kind < 0.10:
            out.write(site + "3\t%d\t0\t%e\t-1\t-1\t3000\t3\tok\t1,2,3,4,5,6\t0.5\t0.5\t0\t0.01\tno\n"
                      % (n, rng.random()))
            continue
        q = rng.random() ** 2 * 0.5 + 0.001
        f = 0.0 if rng.random() < 0.8 else rng.uniform(0.02, 0.3)
        mean_het = 2 * q * (1 - q) * (1 - f) * n
        het = max(0, min(n, int(round(rng.gauss(mean_het, math.sqrt(mean_het + 1))))))
        mean_alt = (q * q + f * q * (1 - q)) * n
        hom_alt = max(0, min(n - het, int(round(rng.gauss(mean_alt, math.sqrt(mean_alt + 1))))))
        hom_ref = n - het - hom_alt
        alt = het + 2 * hom_alt
        qq = alt / (2 * n)
        expected = 2 * qq * (1 - qq) * n
        chi = (het - expected) ** 2 / expected if expected > 0 else 0
        evidence = math.erfc(math.sqrt(chi / 2))
        out.write(site + "2\t%d\t0\t%e\t-1\t-1\t3000\t2\tok\t%d,%d,%d\t0.5\t0.5\t0\t0.01\tno\n"
                  % (n, evidence, hom_ref, het, hom_alt))


if __name__ == "__main__":
    main()
