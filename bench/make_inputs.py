#!/usr/bin/env python3
"""Writes the benchmark loci: 500 individuals drawn under Hardy-Weinberg
proportions from uneven allele frequencies, with a fixed seed, so that the
files are reproducible.  The inputs are kept in the repository; this script
only documents where they came from."""
import random


def locus(k, individuals, seed):
    rng = random.Random(seed)
    weights = [1.0 / (i + 2) for i in range(k)]
    counts = [[0] * k for _ in range(k)]
    for _ in range(individuals):
        a, b = rng.choices(range(k), weights, k=2)
        i, j = max(a, b), min(a, b)
        counts[i][j] += 1
    return [counts[i][j] for i in range(k) for j in range(i + 1)]


def write(path, k, counts, tuning):
    with open(path, "w") as f:
        f.write(f"{k}\n")
        row = 0
        for i in range(k):
            f.write(" ".join(str(x) for x in counts[row:row + i + 1]) + "\n")
            row += i + 1
        f.write(tuning + "\n")


write("locus10.txt", 10, locus(10, 500, 10), "0 0 0")
write("locus20.txt", 20, locus(20, 500, 20), "0 0 0")
# A precision that is never met: the run goes on to maxmc = 10000 * 210 draws.
write("locus20_maxmc.txt", 20, locus(20, 500, 20), "1e-9 0 0")
