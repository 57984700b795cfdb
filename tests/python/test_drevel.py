"""The Python module against the command line: the same rows for the same
input, the command line's tested-allele rule on a VCF read with cyvcf2, the
documented exceptions, and Ctrl-C.  CTest sets DREVEL_BIN (the program),
DREVEL_SOURCE_DIR and PYTHONPATH (the module in the build tree)."""

import os
import re
import signal
import subprocess
import sys
import threading

import numpy as np
import pandas as pd
import pytest

import drevel

BIN = os.environ["DREVEL_BIN"]
SRC = os.environ["DREVEL_SOURCE_DIR"]
EXAMPLES = os.path.join(SRC, "examples")
# The columns the evidence computation fills, as the table prints them.
ESTIMATES = ["EVIDENCE", "L_MAX", "L_HYP", "DRAWS", "MC_SE", "AT_MAXMC", "STATUS", "P_HWE",
             "P_HWE_MIDP", "P_HET_EXCESS", "P_HET_DEFICIT", "P_HWE_SE", "SEV"]


def run_cli(*args):
    return subprocess.run([BIN, *args], capture_output=True, text=True)


def cli_table(tmp_path, mode, source, *options):
    out = tmp_path / ("table%d.tsv" % len(list(tmp_path.iterdir())))
    r = run_cli(mode, *options, str(source), str(out))
    assert r.returncode == 0, r.stderr
    return out


def table_text(value, column):
    """A value of the module as the table prints it."""
    if value is pd.NA or (isinstance(value, float) and np.isnan(value)):
        return "NA"
    if column in ("DRAWS", "HITS"):
        return str(int(value))
    if column == "AT_MAXMC":
        return str(int(bool(value)))
    if column == "STATUS":
        return value
    return "%e" % value


def raw_rows(path):
    with open(path) as f:
        header = f.readline().rstrip("\n").lstrip("#").split("\t")
        return [dict(zip(header, line.rstrip("\n").split("\t"))) for line in f]


def counts_of(genotypes):
    return [] if genotypes == "NA" else [float(x) for x in genotypes.split(",")]


def assert_evidence_matches(rows, threads, **tuning):
    """evidence() of each row's GENOTYPES prints that row's computed columns."""
    loci = [counts_of(r["GENOTYPES"]) for r in rows]
    # Rows not computed for too many alleles have no counts in the table.
    result = drevel.evidence(loci, threads=threads, as_frame=True, **tuning)
    for i, row in enumerate(rows):
        if row["STATUS"] == "too_many_alleles":
            continue
        got = {c: table_text(result[c].iloc[i], c) for c in ESTIMATES}
        assert got == {c: row[c] for c in ESTIMATES}, "row %d" % (i + 1)


@pytest.fixture(scope="module")
def sequencing_vcf(tmp_path_factory):
    path = tmp_path_factory.mktemp("vcf") / "sequencing.vcf"
    subprocess.run([sys.executable, os.path.join(SRC, "bench", "make_sequencing_vcf.py"),
                    "--sites", "400", "--samples", "60", str(path)], check=True)
    return path


@pytest.mark.parametrize("threads", [1, 2])
def test_vcf_tables_equal_the_command_lines(tmp_path, sequencing_vcf, threads):
    for vcf in (os.path.join(EXAMPLES, "sites.vcf"), sequencing_vcf):
        written = cli_table(tmp_path, "--vcf", vcf, "--threads", str(threads))
        expected = drevel.read_table(written)
        pd.testing.assert_frame_equal(drevel.scan_vcf(vcf, threads=threads), expected)
        assert_evidence_matches(raw_rows(written), threads)
    # Dtypes, NA as missing, and the reals as the doubles of their text.
    frame = drevel.read_table(written)
    assert str(frame["POS"].dtype) == "int64" and str(frame["DRAWS"].dtype) == "Int64"
    assert str(frame["AT_MAXMC"].dtype) == "boolean" and frame["EVIDENCE"].dtype == np.float64
    rows = raw_rows(written)
    for i, r in enumerate(rows):
        for c in ("EVIDENCE", "HET_EXP", "F"):
            v = frame[c].iloc[i]
            assert (np.isnan(v) if r[c] == "NA" else v == float(r[c])), (i, c)
        assert (frame["DRAWS"].iloc[i] is pd.NA) == (r["DRAWS"] == "NA")


def test_vcf_options_and_tuning_equal_the_command_lines(tmp_path):
    vcf = os.path.join(EXAMPLES, "sites.vcf")
    groups = tmp_path / "groups.txt"
    assignment = {"S%d" % i: ("even" if i % 2 == 0 else "odd,all") for i in range(30)}
    groups.write_text("".join("%s\t%s\n" % kv for kv in assignment.items()))
    written = cli_table(tmp_path, "--vcf", vcf, "--groups", str(groups), "--declared-alleles",
                        "--samples", "S1,S2,S3,S4,S5,S6,S7,S8,S9,S10,S11,S12",
                        "--precision", "0.01", "--maxmc", "20000", "--max-alleles", "2")
    got = drevel.scan_vcf(vcf, groups={k: v.split(",") for k, v in assignment.items()},
                          samples=["S%d" % i for i in range(1, 13)], declared_alleles=True,
                          precision=0.01, maxmc=20000, max_alleles=2, threads=2)
    pd.testing.assert_frame_equal(got, drevel.read_table(written))
    assert list(got["GROUP"].unique()) == ["even", "odd", "all"]


@pytest.mark.parametrize("threads", [1, 2])
def test_genepop_and_classic_runs_equal_the_command_lines(tmp_path, threads):
    gp = tmp_path / "panel.gen"
    subprocess.run([sys.executable, os.path.join(SRC, "bench", "make_genepop.py"),
                    "--populations", "4", "--individuals", "30", "--loci", "6", str(gp)],
                   check=True)
    written = cli_table(tmp_path, "--genepop", gp, "--threads", str(threads))
    pd.testing.assert_frame_equal(drevel.scan_genepop(gp, threads=threads),
                                  drevel.read_table(written))
    assert_evidence_matches(raw_rows(written), threads)
    # The two-file run: the result file's first three lines.
    for name in ("two_alleles.txt", "three_alleles.txt"):
        words = open(os.path.join(EXAMPLES, name)).read().split()
        k = int(words[0])
        c = k * (k + 1) // 2
        counts = [float(x) for x in words[1:1 + c]]
        precision, minmc, maxmc = float(words[1 + c]), int(words[2 + c]), int(words[3 + c])
        out = tmp_path / ("result_" + name)
        assert run_cli(os.path.join(EXAMPLES, name), str(out)).returncode == 0
        printed = [line.strip() for line in out.read_text().splitlines()[:3]]
        r = drevel.evidence(np.array(counts), precision=precision, minmc=minmc, maxmc=maxmc,
                            threads=threads)
        assert ["%e" % r[c] for c in ("EVIDENCE", "L_MAX", "L_HYP")] == printed


def test_genotype_counts_equal_the_command_lines_on_a_vcf_read_with_cyvcf2(tmp_path,
                                                                           sequencing_vcf):
    cyvcf2 = pytest.importorskip("cyvcf2")
    # Missing, half-missing, haploid and triploid calls, an ALT allele never
    # called, a site without calls, phased and unphased calls.
    lines = [
        "##fileformat=VCFv4.2", "##contig=<ID=1>",
        '##FORMAT=<ID=GT,Number=1,Type=String,Description="Genotype">',
        "#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\tFORMAT\t" +
        "\t".join("s%d" % i for i in range(8)),
        "1\t10\t.\tA\tC,G,T\t.\tPASS\t.\tGT\t0/1\t./.\t0/.\t1\t3|3\t0/1/3\t1|0\t3/0",
        "1\t20\t.\tA\tC\t.\tPASS\t.\tGT\t1/1\t./1\t1|1\t1\t1/1\t1/1\t.\t1/1",
        "1\t30\t.\tG\tA,C\t.\tPASS\t.\tGT\t./.\t.\t./.\t0\t./.\t./.\t./.\t./.",
        "1\t40\t.\tT\tA\t.\tPASS\t.\tGT\t0/1\t1/0\t0/0\t1/1\t0|1\t1|1\t0/0\t0/0",
    ]
    vcf = tmp_path / "calls.vcf"
    vcf.write_text("\n".join(lines) + "\n")
    for path in (vcf, os.path.join(EXAMPLES, "sites.vcf"), sequencing_vcf):
        records = list(cyvcf2.VCF(str(path)))
        # cyvcf2 pads each call to the widest ploidy (-2) and appends the phase.
        gt = [v.genotype.array()[:, :-1] for v in records]
        declared = [1 + len(v.ALT) for v in records]
        for options, alleles in (((), None), (("--declared-alleles",), declared)):
            rows = raw_rows(cli_table(tmp_path, "--vcf", path, *options))
            counts = drevel.genotype_counts(gt, alleles=alleles)
            assert [",".join("%d" % x for x in c) or "NA" for c in counts] == \
                [r["GENOTYPES"] for r in rows]
            assert list(counts.called) == [int(r["N_CALLED"]) for r in rows]
            assert list(counts.skipped) == [int(r["N_SKIPPED"]) for r in rows]
            assert [len(t) for t in counts.tested] == [int(r["N_TESTED"]) for r in rows]
            if path == vcf:
                assert_evidence_matches(rows, 1)
    assert list(drevel.genotype_counts(np.stack(gt)).called) == list(counts.called)
    gt = [v.genotype.array()[:, :-1] for v in cyvcf2.VCF(str(vcf))]
    assert list(drevel.genotype_counts(gt).tested[0]) == [0, 1, 3]


def test_bad_input_raises_the_documented_exceptions(tmp_path):
    for bad, message in [
            (lambda: drevel.evidence([1, 2]), "2 genotype counts: not k(k+1)/2"),
            (lambda: drevel.evidence([[1, 2, 3], [1, -2, 3]]), "locus 2: genotype count 2"),
            (lambda: drevel.evidence([1, float("nan"), 3]), "genotype count 2"),
            (lambda: drevel.evidence(np.zeros((2, 3, 3))), "shape"),
            (lambda: drevel.evidence(["a", "b", "c"]), "numbers"),
            (lambda: drevel.evidence([1, 2, 3], precision=float("inf")), "precision needs"),
            (lambda: drevel.evidence([1, 2, 3], maxmc=2**31), "maxmc needs a whole number"),
            (lambda: drevel.evidence([1, 2, 3], threads=0), "threads needs"),
            (lambda: drevel.evidence([1, 2, 3], max_alleles=655), "max_alleles needs"),
            (lambda: drevel.genotype_counts(np.zeros((2, 3, 1), dtype=int)), "shape"),
            (lambda: drevel.genotype_counts(np.zeros((1, 2, 2))), "integer"),
            (lambda: drevel.genotype_counts(np.full((1, 2, 2), 2), alleles=2),
             "allele 2 is not below the 2 declared alleles"),
            (lambda: drevel.scan_vcf(os.path.join(EXAMPLES, "sites.vcf"), groups=["x"]),
             "groups"),
    ]:
        with pytest.raises(ValueError, match=re.escape(message)):
            bad()
    # Files: the command line's messages, after its "drevel: ".
    missing = str(tmp_path / "missing.vcf")
    not_vcf = tmp_path / "text.vcf"
    not_vcf.write_text("hello\n")
    for path in (missing, str(not_vcf)):
        r = run_cli("--vcf", path, str(tmp_path / "out.tsv"))
        assert r.returncode == 1
        with pytest.raises(OSError) as e:
            drevel.scan_vcf(path)
        assert str(e.value) == r.stderr.splitlines()[-1][len("drevel: "):]
    with pytest.raises(OSError, match="unknown sample .nobody."):
        drevel.scan_vcf(os.path.join(EXAMPLES, "sites.vcf"), samples=["nobody"])
    for call in (lambda: drevel.scan_genepop(missing), lambda: drevel.read_table(missing)):
        with pytest.raises(OSError):
            call()


def test_ctrl_c_interrupts_a_long_call_and_leaves_the_interpreter_usable():
    rng = np.random.default_rng(1)
    # Loci of six alleles run to 100 000 draws each: minutes of work (the
    # loci being computed when the signal comes are finished first).
    loci = rng.integers(0, 40, size=(4000, 21)).astype(float)
    timer = threading.Timer(0.5, os.kill, (os.getpid(), signal.SIGINT))
    timer.start()
    try:
        with pytest.raises(KeyboardInterrupt):
            drevel.evidence(loci, precision=1e-12, minmc=10**5, maxmc=10**5, threads=2)
    finally:
        timer.cancel()
    assert drevel.evidence([117, 1, 0])["DRAWS"] == 1500


def test_the_readmes_example_runs(capsys):
    pytest.importorskip("cyvcf2")
    readme = open(os.path.join(SRC, "README.md")).read()
    code = re.search(r"## Python\n.*?```python\n(.*?)```", readme, re.S).group(1)
    cwd = os.getcwd()
    os.chdir(SRC)
    try:
        exec(compile(code, "README.md", "exec"), {})
    finally:
        os.chdir(cwd)
    assert "EVIDENCE" in capsys.readouterr().out
