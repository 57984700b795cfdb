#!/usr/bin/env python3
"""Figures for docs/reading-the-evidence.md: how EVIDENCE, SEV and the exact
test's P_HWE relate, by the number of tested alleles and of individuals, on
generated files and on any real VCF or Genepop file given.

    bench/reading_the_evidence.py [--drevel build/drevel] [FILE ...]

Each FILE ending in .gen is read with --genepop, any other with --vcf.  The
generated files come from bench/make_sequencing_vcf.py (sequencing-like
sites, some inbred) at 30 and 300 samples and bench/make_genepop.py
(microsatellite-like loci).  Prints Markdown tables: for each class of rows,
the rows computed, the share below 0.05 of each statistic, the median
EVIDENCE and SEV of the rows the exact test calls departures (P_HWE <
0.01), and the Monte Carlo error's median and the share of rows at maxmc."""

import argparse
import os
import statistics
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))


def run_table(drevel, path, work):
    out = os.path.join(work, os.path.basename(path) + ".tsv")
    mode = "--genepop" if path.endswith(".gen") else "--vcf"
    subprocess.run([drevel, mode, "--threads", "2", path, out], check=True,
                   stderr=subprocess.DEVNULL)
    rows = [l.rstrip("\n").split("\t") for l in open(out)]
    head = [h.lstrip("#") for h in rows[0]]
    return [dict(zip(head, r)) for r in rows[1:]]


def generated(work):
    files = []
    for samples in (30, 300):
        path = os.path.join(work, "sequencing_%d.vcf" % samples)
        with open(path, "w") as out:
            subprocess.run([sys.executable, os.path.join(HERE, "make_sequencing_vcf.py"),
                            "--sites", "3000", "--samples", str(samples), "--inbred", "0.2",
                            "--seed", "5"], stdout=out, check=True)
        files.append(path)
    path = os.path.join(work, "microsatellites.gen")
    with open(path, "w") as out:
        subprocess.run([sys.executable, os.path.join(HERE, "make_genepop.py"),
                        "--populations", "6", "--individuals", "40", "--loci", "40",
                        "--max-alleles", "10", "--seed", "5"], stdout=out, check=True)
    files.append(path)
    return files


def alleles_class(k):
    return "2" if k == 2 else "3-5" if k <= 5 else "6-7" if k <= 7 else "8+"


def individuals_class(n):
    return "<= 25" if n <= 25 else "26-100" if n <= 100 else "> 100"


def fmt(x):
    return "-" if x is None else ("%.3g" % x)


def summary(name, rows):
    classes = {}
    for r in rows:
        if r["STATUS"] != "ok" or r["P_HWE"] == "NA":
            continue
        key = (alleles_class(int(r["N_TESTED"])), individuals_class(int(r["N_CALLED"])))
        classes.setdefault(key, []).append(r)
    print("\n### %s\n" % name)
    print("| alleles | individuals | rows | EVIDENCE < 0.05 | SEV < 0.05 | P_HWE < 0.05 | "
          "median EVIDENCE where P_HWE < 0.01 | median SEV there | median MC_SE | at maxmc |")
    print("|---|---|---|---|---|---|---|---|---|---|")
    for key in sorted(classes):
        rs = classes[key]
        share = lambda col: sum(float(r[col]) < 0.05 for r in rs) / len(rs)
        strong = [r for r in rs if float(r["P_HWE"]) < 0.01]
        med = lambda col, sub: statistics.median(float(r[col]) for r in sub) if sub else None
        print("| %s | %s | %d | %.3f | %.3f | %.3f | %s | %s | %s | %.3f |" %
              (key[0], key[1], len(rs), share("EVIDENCE"), share("SEV"), share("P_HWE"),
               fmt(med("EVIDENCE", strong)), fmt(med("SEV", strong)), fmt(med("MC_SE", rs)),
               sum(r["AT_MAXMC"] == "1" for r in rs) / len(rs)))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--drevel", default=os.path.join(HERE, "..", "build", "drevel"))
    parser.add_argument("files", nargs="*")
    args = parser.parse_args()
    with open("/proc/loadavg") as f:
        print("load average: " + " ".join(f.read().split()[:3]))
    with tempfile.TemporaryDirectory() as work:
        for path in generated(work) + args.files:
            summary(os.path.basename(path), run_table(args.drevel, path, work))


if __name__ == "__main__":
    main()
