#!/usr/bin/env python3
"""Writes a Genepop file for the benchmarks of `drevel --genepop`.

--populations populations of --individuals individuals, typed at --loci
microsatellite loci with up to --max-alleles three-digit codes each.  Each
population has its own allele frequencies (so pooled data would depart from
equilibrium), genotypes are drawn in equilibrium, and about 2% of the
genotypes are missing and 1% half-missing.  The same arguments always give
the same file.
"""
import argparse
import random
import sys


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("--populations", type=int, default=15)
    p.add_argument("--individuals", type=int, default=40)
    p.add_argument("--loci", type=int, default=20)
    p.add_argument("--max-alleles", type=int, default=12)
    p.add_argument("--seed", type=int, default=1)
    p.add_argument("output", nargs="?", default="-")
    args = p.parse_args()

    rng = random.Random(args.seed)
    out = sys.stdout if args.output == "-" else open(args.output, "w")
    out.write("Generated microsatellite panel (bench/make_genepop.py)\n")
    out.write(", ".join("L%02d" % l for l in range(args.loci)) + "\n")
    codes = []
    for _ in range(args.loci):
        k = rng.randint(2, args.max_alleles)
        first = rng.randint(90, 150)
        codes.append([first + 2 * a for a in range(k)])
    for pop in range(args.populations):
        out.write("Pop\n")
        freqs = []
        for l in range(args.loci):
            weights = [rng.random() ** 2 + 0.02 for _ in codes[l]]
            freqs.append([w / sum(weights) for w in weights])
        for ind in range(args.individuals):
            genotypes = []
            for l in range(args.loci):
                r = rng.random()
                if r < 0.02:
                    genotypes.append("000000")
                    continue
                a, b = rng.choices(codes[l], freqs[l], k=2)
                if r < 0.03:
                    b = 0
                genotypes.append("%03d%03d" % (a, b))
            out.write("p%d_%d , %s\n" % (pop + 1, ind + 1, " ".join(genotypes)))
    if out is not sys.stdout:
        out.close()


if __name__ == "__main__":
    main()
