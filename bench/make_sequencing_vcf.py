#!/usr/bin/env python3
"""Writes a VCF shaped like a sequencing file, for the many-small-loci benchmark.

Most sites have two alleles and most of them are rare: the ALT allele count
among the 2N chromosomes is drawn from the neutral site-frequency spectrum,
P(count = i) proportional to 1/i (i = 1 .. 2N - 1).  A share of the sites
(--multiallelic, 10 % by default) has 3 to 5 alleles, each ALT allele's
count drawn from the same spectrum; a share (--inbred, 10 %) has genotypes
drawn with an inbreeding coefficient between 0.05 and 0.5; a share of the
calls (--missing, 2 %) is missing.  Calls are a mix of phased and unphased.
The same arguments always give the same file.
"""
import argparse
import bisect
import itertools
import random
import sys


def spectrum_sampler(rng, chromosomes):
    """Draws i in 1 .. chromosomes - 1 with P(i) proportional to 1/i."""
    cumulative = list(itertools.accumulate(1.0 / i for i in range(1, chromosomes)))
    total = cumulative[-1]

    def draw():
        return bisect.bisect_left(cumulative, rng.random() * total) + 1

    return draw


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("--sites", type=int, default=20000)
    p.add_argument("--samples", type=int, default=1000)
    p.add_argument("--multiallelic", type=float, default=0.10)
    p.add_argument("--inbred", type=float, default=0.10)
    p.add_argument("--missing", type=float, default=0.02)
    p.add_argument("--seed", type=int, default=1)
    p.add_argument("output", nargs="?", default="-")
    args = p.parse_args()

    rng = random.Random(args.seed)
    chromosomes = 2 * args.samples
    draw_count = spectrum_sampler(rng, chromosomes)
    out = sys.stdout if args.output == "-" else open(args.output, "w")
    out.write("##fileformat=VCFv4.2\n##contig=<ID=1>\n")
    out.write('##FORMAT=<ID=GT,Number=1,Type=String,Description="Genotype">\n')
    out.write("#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\tFORMAT\t")
    out.write("\t".join("S%d" % s for s in range(args.samples)) + "\n")

    bases = "ACGT"
    # The genotype strings of every allele pair, phased and unphased.
    for n in range(args.sites):
        k = rng.randint(3, 5) if rng.random() < args.multiallelic else 2
        alt_counts = [draw_count() for _ in range(k - 1)]
        # ALT alleles of a multi-allelic site share the chromosomes left.
        scale = min(1.0, 0.95 * chromosomes / sum(alt_counts))
        freqs = [c * scale / chromosomes for c in alt_counts]
        freqs.insert(0, 1.0 - sum(freqs))
        inbreeding = rng.uniform(0.05, 0.5) if rng.random() < args.inbred else 0.0
        alleles = rng.choices(range(k), freqs, k=chromosomes)
        calls = []
        for s in range(args.samples):
            r = rng.random()
            if r < args.missing:
                calls.append("./.")
                continue
            a = alleles[2 * s]
            b = a if r < args.missing + inbreeding * (1 - args.missing) else alleles[2 * s + 1]
            calls.append("%d%s%d" % (a, "|" if s & 1 else "/", b))
        ref = bases[n % 4]
        alts = [ref + bases[(n + a) % 4] * a for a in range(1, k)]
        out.write("1\t%d\t.\t%s\t%s\t.\tPASS\t.\tGT\t%s\n"
                  % (10 * (n + 1), ref, ",".join(alts), "\t".join(calls)))
    if out is not sys.stdout:
        out.close()


if __name__ == "__main__":
    main()
