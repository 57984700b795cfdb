#!/usr/bin/env python3
"""Writes a VCF for the throughput benchmark of `drevel --vcf`.

The file has --biallelic two-allele sites followed, interleaved along the
chromosome, by --multiallelic sites with 3 to --max-alleles alleles, over
--samples diploid samples.  Genotypes are drawn from allele frequencies with
a per-site inbreeding coefficient (0 for most sites, so most are close to
equilibrium), with about 1% missing calls and a mix of phased and unphased
calls.  The same arguments always give the same file.
"""
import argparse
import random
import sys


def genotype(rng, freqs, inbreeding):
    a = rng.choices(range(len(freqs)), freqs)[0]
    b = a if rng.random() < inbreeding else rng.choices(range(len(freqs)), freqs)[0]
    return a, b


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("--biallelic", type=int, default=10000)
    p.add_argument("--multiallelic", type=int, default=1000)
    p.add_argument("--max-alleles", type=int, default=6)
    p.add_argument("--samples", type=int, default=500)
    p.add_argument("--seed", type=int, default=1)
    p.add_argument("output", nargs="?", default="-")
    args = p.parse_args()

    rng = random.Random(args.seed)
    out = sys.stdout if args.output == "-" else open(args.output, "w")
    out.write("##fileformat=VCFv4.2\n##contig=<ID=1>\n")
    out.write('##FORMAT=<ID=GT,Number=1,Type=String,Description="Genotype">\n')
    out.write("#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\tFORMAT\t")
    out.write("\t".join("S%d" % s for s in range(args.samples)) + "\n")

    total = args.biallelic + args.multiallelic
    every = total // max(args.multiallelic, 1)
    multi_left = args.multiallelic
    bases = "ACGT"
    for n in range(total):
        multi = multi_left > 0 and (n % every == every - 1 or total - n <= multi_left)
        if multi:
            multi_left -= 1
            k = rng.randint(3, args.max_alleles)
        else:
            k = 2
        weights = [rng.random() ** 2 + 0.02 for _ in range(k)]
        freqs = [w / sum(weights) for w in weights]
        inbreeding = 0.0 if rng.random() < 0.8 else rng.uniform(0.05, 0.5)
        ref = bases[n % 4]
        alts = [ref + bases[(n + a) % 4] * a for a in range(1, k)]
        calls = []
        for _ in range(args.samples):
            if rng.random() < 0.01:
                calls.append("./.")
                continue
            a, b = genotype(rng, freqs, inbreeding)
            calls.append("%d%s%d" % (a, "|" if rng.random() < 0.5 else "/", b))
        out.write("1\t%d\t.\t%s\t%s\t.\tPASS\t.\tGT\t%s\n"
                  % (100 * (n + 1), ref, ",".join(alts), "\t".join(calls)))
    if out is not sys.stdout:
        out.close()


if __name__ == "__main__":
    main()
