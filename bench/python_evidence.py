#!/usr/bin/env python3
"""drevel.evidence against `drevel --vcf` on the many-small-loci file.

    bench/python_evidence.py [--sites N] [--samples N] [--runs R]
                             [--threads "1 2"] [--drevel build/drevel]

Writes the file of bench/many_small_loci.sh (make_sequencing_vcf.py,
bgzipped), then in each run and for each thread count times, one after the
other in this process:
  cli      drevel --vcf on the file (the whole program: reading, computing,
           writing the table);
  reading  drevel --vcf --max-alleles 1 on it: every site is read, counted
           and written as a row, none computed (the program's reading);
  module   drevel.evidence on the sites' count vectors (the table's
           GENOTYPES), threads as the program's.
The module should take no more than cli - reading.  Every run checks that
the module's values print as the table's.  Elapsed and CPU seconds (the
CPU time, of all threads, varies less on a shared host), with the load
average beside each run.  Finds the module in build/python unless
PYTHONPATH has one.
"""
import argparse
import os
import resource
import subprocess
import sys
import tempfile
import time

here = os.path.dirname(os.path.abspath(__file__))
sys.path.append(os.path.join(here, "..", "build", "python"))
import drevel  # noqa: E402


def load():
    with open("/proc/loadavg") as f:
        return " ".join(f.read().split()[:3])


def children_cpu():
    r = resource.getrusage(resource.RUSAGE_CHILDREN)
    return r.ru_utime + r.ru_stime


def timed(command):
    """(elapsed, CPU) seconds of a command."""
    cpu, start = children_cpu(), time.perf_counter()
    subprocess.run(command, check=True, stderr=subprocess.DEVNULL)
    return time.perf_counter() - start, children_cpu() - cpu


def table_loci(path):
    """The count vectors and the computed columns of a table's rows."""
    loci, printed = [], []
    with open(path) as f:
        names = f.readline().lstrip("#").rstrip("\n").split("\t")
        g, e, d = names.index("GENOTYPES"), names.index("EVIDENCE"), names.index("DRAWS")
        for line in f:
            fields = line.rstrip("\n").split("\t")
            loci.append([] if fields[g] == "NA" else [float(x) for x in fields[g].split(",")])
            printed.append((fields[e], fields[d]))
    return loci, printed


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("--sites", type=int, default=20000)
    p.add_argument("--samples", type=int, default=1000)
    p.add_argument("--runs", type=int, default=3)
    p.add_argument("--threads", default="1 2")
    p.add_argument("--drevel", default=os.path.join(here, "..", "build", "drevel"))
    args = p.parse_args()
    with tempfile.TemporaryDirectory() as work:
        vcf = os.path.join(work, "sites.vcf.gz")
        make = subprocess.Popen([sys.executable, os.path.join(here, "make_sequencing_vcf.py"),
                                 "--sites", str(args.sites), "--samples", str(args.samples), "-"],
                                stdout=subprocess.PIPE)
        with open(vcf, "wb") as out:
            subprocess.run(["bgzip", "-c"], stdin=make.stdout, stdout=out, check=True)
        make.wait()
        print("input: %d sites x %d samples (make_sequencing_vcf.py), %d cores, drevel %s"
              % (args.sites, args.samples, os.cpu_count(), drevel.__version__))
        table = os.path.join(work, "table.tsv")
        subprocess.run([args.drevel, "--vcf", "--threads", "1", vcf, table], check=True,
                       stderr=subprocess.DEVNULL)
        loci, printed = table_loci(table)
        print("%-7s %3s  %-13s %-13s %-13s %-13s  %s" % (
            "threads", "run", "cli s (cpu)", "reading", "module", "cli-reading", "load"))
        worst, worst_cpu = 0.0, 0.0
        for run in range(1, args.runs + 1):
            for threads in [int(t) for t in args.threads.split()]:
                at = load()
                cli = timed([args.drevel, "--vcf", "--threads", str(threads), vcf,
                             os.path.join(work, "cli.tsv")])
                reading = timed([args.drevel, "--vcf", "--max-alleles", "1", "--threads",
                                 str(threads), vcf, os.path.join(work, "read.tsv")])
                cpu, start = time.process_time(), time.perf_counter()
                result = drevel.evidence(loci, threads=threads)
                module = (time.perf_counter() - start, time.process_time() - cpu)
                got = [("NA" if s != "ok" else "%e" % e, "NA" if s != "ok" else str(d))
                       for e, d, s in zip(result["EVIDENCE"], result["DRAWS"], result["STATUS"])]
                if got != printed:
                    sys.exit("the module's values differ from the table's")
                rest = (cli[0] - reading[0], cli[1] - reading[1])
                worst = max(worst, module[0] / rest[0])
                worst_cpu = max(worst_cpu, module[1] / rest[1])
                print("%-7d %3d  %s %s %s %s  %s" % (
                    threads, run, *["%5.2f (%5.2f)" % t for t in (cli, reading, module, rest)],
                    at))
        print("module / (cli - reading), worst run: %.2f elapsed, %.2f CPU; every run's "
              "values equal the table's" % (worst, worst_cpu))


if __name__ == "__main__":
    main()
