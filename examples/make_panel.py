#!/usr/bin/env python3
"""Writes examples/panel.gen, the small Genepop panel of the README's heatmap.

Five named populations of 40 individuals typed at eight microsatellite loci
of 2 to 10 alleles, drawn at random from fixed seeds: most loci in
Hardy-Weinberg equilibrium, some with a deficit of heterozygotes (as a null
allele or inbreeding gives), one with an excess, and some monomorphic in a
population.  The same script always writes the same file.

    python3 examples/make_panel.py examples/panel.gen
"""
import random
import sys

POPULATIONS = ["North", "Coast", "Valley", "Island", "Lake"]
INDIVIDUALS = 40
LOCI = ["Ma01", "Ma02", "Ma03", "Ma04", "Ma05", "Ma06", "Ma07", "Ma08"]
ALLELES = [6, 2, 8, 10, 5, 3, 4, 7]  # per locus

# (population, locus): how its genotypes depart from equilibrium.
# "deficit": two thirds of the heterozygotes drawn become homozygotes;
# "excess": every individual heterozygous for two common alleles;
# "monomorphic": one allele only.
DEPARTURES = {
    ("North", "Ma03"): "deficit",
    ("Lake", "Ma03"): "deficit",
    ("Valley", "Ma05"): "deficit",
    ("Valley", "Ma07"): "monomorphic",
    ("Island", "Ma01"): "monomorphic",
    ("Island", "Ma07"): "monomorphic",
    ("Island", "Ma06"): "excess",
}


def genotype(rng, codes, freqs, departure):
    if departure == "monomorphic":
        return codes[0], codes[0]
    if departure == "excess":
        return codes[0], codes[1]
    a, b = rng.choices(codes, freqs, k=2)
    if departure == "deficit" and a != b and rng.random() < 2 / 3:
        b = a
    return a, b


def main():
    out = open(sys.argv[1], "w") if len(sys.argv) > 1 else sys.stdout
    rng = random.Random(33)
    codes = [[100 + 2 * a for a in range(k)] for k in ALLELES]
    out.write("Example panel: five populations, eight loci (examples/make_panel.py)\n")
    out.write(", ".join(LOCI) + "\n")
    for pop in POPULATIONS:
        out.write("Pop " + pop + "\n")
        freqs = []
        for locus in range(len(LOCI)):
            weights = [rng.random() + 0.2 for _ in codes[locus]]
            freqs.append([w / sum(weights) for w in weights])
        for ind in range(INDIVIDUALS):
            fields = []
            for locus, name in enumerate(LOCI):
                if rng.random() < 0.02:
                    fields.append("000000")
                    continue
                a, b = genotype(rng, codes[locus], freqs[locus], DEPARTURES.get((pop, name)))
                fields.append("%03d%03d" % (min(a, b), max(a, b)))
            out.write("%s%02d , %s\n" % (pop[:2].lower(), ind + 1, " ".join(fields)))
    if out is not sys.stdout:
        out.close()


if __name__ == "__main__":
    main()
