#!/usr/bin/env python3
"""The exact test's columns beside the peers' on the same file: P_HWE and
P_HWE_MIDP equal plink2 --hardy's P (and with midp, its MIDP) to the six
significant digits plink2 prints, and P_HET_DEFICIT and P_HET_EXCESS equal
vcftools --hardy's, on every two-allele site of a generated sequencing-like
VCF (missing calls, rare and common alleles).  Skipped (exit 77) when
plink2 or vcftools is missing.

    peer_hardy_test.py <drevel binary> <source tree>"""

import os
import shutil
import subprocess
import sys
import tempfile


def close(mine, theirs, digits):
    a, b = float(mine), float(theirs)
    return abs(a - b) <= 0.5 * 10 ** (1 - digits) * max(abs(b), 1e-300) + 1e-300


def main(drevel, root):
    if not shutil.which("plink2") or not shutil.which("vcftools"):
        print("plink2 or vcftools missing: skipped")
        return 77
    work = tempfile.mkdtemp()
    vcf = os.path.join(work, "in.vcf")
    with open(vcf, "w") as out:
        subprocess.run([sys.executable, os.path.join(root, "bench", "make_sequencing_vcf.py"),
                        "--sites", "1500", "--samples", "240", "--multiallelic", "0",
                        "--missing", "0.05", "--seed", "17"], stdout=out, check=True)
    table = os.path.join(work, "t.tsv")
    subprocess.run([drevel, "--vcf", "--maxmc", "1000", "--minmc", "100", vcf, table], check=True)
    for midp in (False, True):
        subprocess.run(["plink2", "--vcf", vcf, "--hardy"] + (["midp"] if midp else []) +
                       ["--allow-extra-chr", "--out", os.path.join(work, "p%d" % midp)],
                       check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["vcftools", "--vcf", vcf, "--hardy", "--out", os.path.join(work, "v")],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    rows = [l.rstrip("\n").split("\t") for l in open(table)]
    col = {n: i for i, n in enumerate(rows[0])}
    rows = rows[1:]
    plink = [l.split() for l in open(os.path.join(work, "p0.hardy"))][1:]
    plink_midp = [l.split() for l in open(os.path.join(work, "p1.hardy"))][1:]
    vcft = [l.rstrip("\n").split("\t") for l in open(os.path.join(work, "v.hwe"))][1:]
    problems, compared = [], 0
    if not (len(rows) == len(plink) == len(plink_midp) == len(vcft)):
        problems.append("row counts differ: %d, %d, %d, %d" %
                        (len(rows), len(plink), len(plink_midp), len(vcft)))
    for r, p, pm, v in zip(rows, plink, plink_midp, vcft):
        if r[col["N_TESTED"]] != "2":
            continue
        compared += 1
        checks = [("P_HWE", p[-1], 6), ("P_HWE_MIDP", pm[-1], 6),
                  ("P_HET_DEFICIT", v[6], 7), ("P_HET_EXCESS", v[7], 7)]
        for name, theirs, digits in checks:
            if not close(r[col[name]], theirs, digits):
                problems.append("%s:%s %s %s: drevel %s, peer %s" %
                                (r[0], r[1], r[col["GENOTYPES"]], name, r[col[name]], theirs))
    if compared < 1000:
        problems.append("only %d two-allele sites compared" % compared)
    for p in problems[:20]:
        print(p)
    print("%d two-allele sites compared, %d differences" % (compared, len(problems)))
    shutil.rmtree(work)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
