"""drevel: the Bayesian evidence for Hardy-Weinberg equilibrium, in Python.

The numbers are the command line's, bit for bit: the same computation, the
same random stream, the same tuning defaults.

    evidence(counts, ...)          loci from their genotype counts
    genotype_counts(gt, ...)       genotype counts from a genotype array
    scan_vcf(path, ...)            a VCF or BCF file's table (drevel --vcf)
    scan_genepop(path, ...)        a Genepop file's table (drevel --genepop)
    read_table(path)               a table written by the command line

Genotype counts of a locus with k alleles are the k(k+1)/2 counts of the
lower triangle, row by row: 1/1, 2/1, 2/2, 3/1, 3/2, 3/3, ... (for two
alleles: hom 1/1, het 2/1, hom 2/2).

Bad arguments raise ValueError, files that cannot be read OSError, with the
command line's messages.  Ctrl-C during a computation raises
KeyboardInterrupt once the loci being computed at that moment are done:
within about a second, unless they are run to millions of draws each.
"""

import io
import math
import numbers
import os
import warnings

import numpy as np

from . import _drevel

__version__ = _drevel.version

__all__ = ["evidence", "genotype_counts", "GenotypeCounts", "scan_vcf", "scan_genepop",
           "read_table", "__version__"]

# The command line's limits: --threads, --max-alleles.
_MAX_THREADS = 1024
_LARGEST_MAX_ALLELES = 654
_INT32 = (-2**31, 2**31 - 1)

# The computed columns of a table and their dtypes; label columns are text
# except the VCF's POS and Genepop's POP, which are whole numbers.
_COLUMN_DTYPES = {
    "N_ALLELES": "Int64", "N_CALLED": "Int64", "N_SKIPPED": "Int64",
    "EVIDENCE": "float64", "L_MAX": "float64", "L_HYP": "float64", "DRAWS": "Int64",
    "N_TESTED": "Int64", "STATUS": "string", "GENOTYPES": "string", "HET_OBS": "float64",
    "HET_EXP": "float64", "F": "float64", "MC_SE": "float64", "AT_MAXMC": "Int64",
    "P_HWE": "float64", "P_HWE_MIDP": "float64", "P_HET_EXCESS": "float64",
    "P_HET_DEFICIT": "float64", "P_HWE_SE": "float64", "SEV": "float64",
    "POS": "int64", "POP": "int64", "ALLELES": "string", "GROUP": "string",
}
# Columns whose "NA" is a missing value; in the others (the labels) it is text.
_MISSING_IN = set(_COLUMN_DTYPES) - {"POS", "POP", "GROUP"}


def _whole(name, value, low, high, message):
    """value as an int when it is a whole number from low to high, else
    ValueError with the command line's message for the option."""
    if isinstance(value, bool) or not isinstance(value, numbers.Integral) or \
            not low <= value <= high:
        raise ValueError("%s %s, not '%s'" % (name, message, value))
    return int(value)


def _threads(threads):
    """The threads to compute on: as given, or one per core available to
    this process, as the command line's default."""
    if threads is None:
        try:
            n = len(os.sched_getaffinity(0))
        except (AttributeError, OSError):
            n = os.cpu_count() or 1
        return max(1, min(n, _MAX_THREADS))
    return _whole("threads", threads, 1, _MAX_THREADS,
                  "needs a whole number from 1 to %d" % _MAX_THREADS)


def _tuning(precision, minmc, maxmc, max_alleles, engine):
    """The tuning as the compiled half takes it, checked as the command line
    checks --precision, --minmc, --maxmc, --max-alleles and --engine."""
    try:
        p = float(precision)
    except (TypeError, ValueError):
        p = math.nan
    if isinstance(precision, bool) or not math.isfinite(p):
        raise ValueError("precision needs a finite number, not '%s'" % (precision,))
    lo, hi = _INT32
    minmc = _whole("minmc", minmc, lo, hi, "needs a whole number that fits in 32 bits")
    maxmc = _whole("maxmc", maxmc, lo, hi, "needs a whole number that fits in 32 bits")
    max_alleles = _whole("max_alleles", max_alleles, 1, _LARGEST_MAX_ALLELES,
                         "needs a whole number from 1 to %d" % _LARGEST_MAX_ALLELES)
    if engine not in ("fast", "literal"):
        raise ValueError("engine needs fast or literal, not '%s'" % (engine,))
    return p, minmc, maxmc, max_alleles, engine == "literal"


def _locus(item):
    """One locus's counts as a contiguous float64 1-D array."""
    a = np.asarray(item)
    if a.dtype.kind not in "biuf":
        raise ValueError("counts: genotype counts must be numbers, not %s" % a.dtype)
    if a.ndim != 1:
        raise ValueError("counts: each locus must be a 1-D array, not of shape %s" % (a.shape,))
    return np.ascontiguousarray(a, dtype=np.float64)


def _loci(counts):
    """(loci for the compiled half, whether counts was one locus)."""
    if hasattr(counts, "to_numpy"):  # a pandas Series or DataFrame: its values
        counts = counts.to_numpy()
    if isinstance(counts, np.ndarray):
        if counts.ndim == 1:
            return [_locus(counts)], True
        if counts.ndim == 2:
            if counts.dtype.kind not in "biuf":
                raise ValueError("counts: genotype counts must be numbers, not %s" % counts.dtype)
            return np.ascontiguousarray(counts, dtype=np.float64), False
        raise ValueError("counts: a 1-D array (one locus) or a 2-D array (one locus a row) "
                         "expected, not of shape %s" % (counts.shape,))
    items = list(counts)
    if items and all(np.ndim(x) == 0 for x in items):
        return [_locus(items)], True
    return [_locus(x) for x in items], False


def evidence(counts, *, precision=0, minmc=0, maxmc=0, threads=None, max_alleles=20,
             engine="fast", as_frame=False):
    """The evidence for Hardy-Weinberg equilibrium of one locus or many.

    counts: one locus, a 1-D array of its k(k+1)/2 genotype counts (lower
        triangle, row by row: 1/1, 2/1, 2/2, 3/1, ...); or many, a 2-D array
        (or DataFrame) with one locus a row (the same k), or a sequence of
        1-D arrays (any k each, as genotype_counts gives them).  Counts are numbers >= 0;
        an empty array is a locus without calls (STATUS no_calls).
    precision, minmc, maxmc: the Monte Carlo tuning, as the input file's
        last line or --precision, --minmc, --maxmc: 0 selects the default
        for the locus (0.005, 500*c, 10000*c draws, c = k(k+1)/2).
    threads: threads that compute (default: one per core); the values do not
        depend on it.  Many loci run through the batch engine, the GIL
        released.
    max_alleles: loci with more alleles are not computed (STATUS
        too_many_alleles), as --max-alleles; 1 to 654.
    engine: "fast" (default) or "literal", the direct evaluation (the same
        values, slower), as --engine.
    as_frame: return a pandas DataFrame, one row per locus.

    Returns a dict of the table's columns EVIDENCE, L_MAX, L_HYP, MC_SE
    (float; NaN where not computed), DRAWS, HITS (int; 0 where not computed),
    AT_MAXMC (bool; False where not computed), the exact test's P_HWE,
    P_HWE_MIDP, P_HET_EXCESS, P_HET_DEFICIT and P_HWE_SE and the standardized
    evidence SEV (float; NaN where the table has NA), and STATUS ("ok",
    "no_calls", "monomorphic", "too_many_alleles", "lost_to_rounding"): scalars for one
    locus, arrays for many.  With as_frame, the frame's DRAWS, HITS and
    AT_MAXMC are nullable (Int64, boolean) and missing where not computed,
    as read_table gives them.  Each value formatted with "%e" is the text
    the command line prints for the same counts and tuning.

    Raises ValueError for counts that are not k(k+1)/2 numbers >= 0, arrays
    of another shape and tuning out of range; KeyboardInterrupt on Ctrl-C.
    """
    tuning = _tuning(precision, minmc, maxmc, max_alleles, engine)
    loci, single = _loci(counts)
    try:
        result = _drevel.evidence_many(loci, *tuning[:4], _threads(threads), tuning[4])
    except ValueError as e:
        # One locus: its fault without the number of the locus.
        prefix = "locus 1: "
        if single and str(e).startswith(prefix):
            raise ValueError(str(e)[len(prefix):]) from None
        raise
    result["STATUS"] = np.array(result["STATUS"], dtype=object)
    if as_frame:
        return _evidence_frame(result)
    if single:
        return {name: values[0].item() if hasattr(values[0], "item") else values[0]
                for name, values in result.items()}
    return result


def _evidence_frame(result):
    """evidence()'s arrays as a DataFrame, with read_table's dtypes."""
    import pandas as pd
    computed = result["STATUS"] == "ok"
    frame = pd.DataFrame({
        "EVIDENCE": result["EVIDENCE"], "L_MAX": result["L_MAX"], "L_HYP": result["L_HYP"],
        "DRAWS": pd.array(result["DRAWS"], dtype="Int64"),
        "HITS": pd.array(result["HITS"], dtype="Int64"),
        "MC_SE": result["MC_SE"],
        "AT_MAXMC": pd.array(result["AT_MAXMC"], dtype="boolean"),
        "STATUS": pd.array(result["STATUS"], dtype="string"),
    })
    for name in ("P_HWE", "P_HWE_MIDP", "P_HET_EXCESS", "P_HET_DEFICIT", "P_HWE_SE", "SEV"):
        frame[name] = result[name]
    for name in ("DRAWS", "HITS", "AT_MAXMC"):
        frame.loc[~computed, name] = pd.NA
    return frame


class GenotypeCounts(list):
    """The genotype counts of sites, one 1-D float64 array per site (a list,
    so that evidence() takes it as it is), with per-site attributes:

    tested: the tested alleles of each site, an int array of 0-based
        allele indices (0 the reference) in increasing order: the cell order
        of the counts is over these alleles;
    called: the calls counted (int64 array, one per site);
    skipped: the calls not counted: missing, half-missing, haploid and
        polyploid (int64 array).
    """

    def __init__(self, counts, tested, called, skipped):
        super().__init__(counts)
        self.tested = tested
        self.called = called
        self.skipped = skipped


def _padded_sites(sites):
    """A list of (samples, ploidy) arrays as one (sites, samples, ploidy)
    array, each padded with -2 to the widest ploidy."""
    arrays = [np.asarray(x) for x in sites]
    for x in arrays:
        if x.ndim != 2 or x.dtype.kind not in "iu":
            raise ValueError("gt: each site an integer array of shape (samples, ploidy), not "
                             "%s of shape %s" % (x.dtype, x.shape))
    if not arrays:
        return np.zeros((0, 0, 2), dtype=np.int32)
    if len({x.shape[0] for x in arrays}) > 1:
        raise ValueError("gt: the sites have different numbers of samples")
    width = max(2, max(x.shape[1] for x in arrays))
    out = np.full((len(arrays), arrays[0].shape[0], width), -2, dtype=np.int32)
    for i, x in enumerate(arrays):
        out[i, :, :x.shape[1]] = x
    return out


def genotype_counts(gt, *, alleles=None):
    """The genotype counts of each site of a genotype array.

    gt: integer array of shape (sites, samples, ploidy), allele indices with
        0 the reference and negative values for missing alleles (-1) and
        padding (-2): the layout of scikit-allel's GenotypeArray, sgkit's
        call_genotype and cyvcf2's genotype.array() without its last
        (phase) column.  ploidy is 2, or more for an array padded for mixed
        ploidy.  One site may be given as (samples, ploidy).
    alleles: None tests, as the command line does, the alleles carried by
        the site's counted calls, in the file's order (increasing index);
        an int or one int per site tests every declared allele 0..n-1, seen
        or not, as --declared-alleles (for a VCF, 1 + the number of ALT
        alleles).

    A call is counted when its first two alleles are >= 0 and the others
    (if any) negative; the rest are skipped: missing (./.), half-missing
    (./1), haploid (1 padded with -2) and polyploid calls.

    Returns a GenotypeCounts: a list with one float64 array per site, the
    counts over its tested alleles in drevel's cell order (empty for a site
    without a counted call), with attributes tested, called and skipped.
    Its GENOTYPES column in a table is ",".join of the counts.

    Raises ValueError for an array of another shape or type, for alleles of
    the wrong length, and for an allele index not below the declared alleles.
    """
    if isinstance(gt, (list, tuple)):
        a = _padded_sites(gt)
    else:
        a = np.asarray(gt)
    if a.dtype.kind not in "iu":
        raise ValueError("gt: an integer array expected, not %s" % a.dtype)
    if a.ndim == 2:
        a = a[np.newaxis]
    if a.ndim != 3 or a.shape[2] < 2:
        raise ValueError("gt: an array of shape (sites, samples, ploidy >= 2) expected, not %s"
                         % (a.shape,))
    if a.dtype.kind == "u" and a.dtype.itemsize >= 4:
        if a.size and a.max() > np.iinfo(np.int32).max:
            raise ValueError("gt: allele index %d is too large" % a.max())
    calls = np.ascontiguousarray(a[:, :, :2], dtype=np.int32)
    if a.shape[2] > 2:
        polyploid = (a[:, :, 2:] >= 0).any(axis=2)
        if polyploid.any():
            calls = calls.copy()
            calls[polyploid] = -1
    sites = a.shape[0]
    if alleles is None:
        declared = np.zeros(sites, dtype=np.int32)
    else:
        declared = np.asarray(alleles)
        if declared.dtype.kind not in "iu":
            raise ValueError("alleles: whole numbers expected, not %s" % declared.dtype)
        if declared.ndim == 0:
            declared = np.full(sites, int(declared))
        if declared.shape != (sites,):
            raise ValueError("alleles: one number per site (%d) expected, not of shape %s"
                             % (sites, declared.shape))
        if sites and (declared.min() < 1 or declared.max() > _LARGEST_MAX_ALLELES):
            raise ValueError("alleles: declared alleles from 1 to %d expected"
                             % _LARGEST_MAX_ALLELES)
        declared = declared.astype(np.int32)
    counts, tested, called, skipped = _drevel.count_genotypes(calls, declared)
    return GenotypeCounts(counts, tested, called, skipped)


def _table_frame(text, source):
    """A table's text as a DataFrame: the header's leading "#" dropped, the
    computed columns with their dtypes and NA as missing values, the labels
    as text."""
    import pandas as pd
    header = text.split("\n", 1)[0]
    if not header.startswith("#"):
        raise ValueError("%s: not a drevel table (its first line does not start with '#')"
                         % source)
    names = header[1:].split("\t")
    dtypes = {n: _COLUMN_DTYPES.get(n, "string") for n in names}
    # Integers are read as Int64 and the flag as Int64 first: read_csv takes
    # "NA" as missing in them; the floats through Python's own parser, so
    # that each equals float() of its text.
    frame = pd.read_csv(io.StringIO(text), sep="\t", header=0, names=names, dtype=dtypes,
                        keep_default_na=False,
                        na_values={n: ["NA"] for n in names if n in _MISSING_IN},
                        float_precision="round_trip", quoting=3)
    if "AT_MAXMC" in frame:
        frame["AT_MAXMC"] = frame["AT_MAXMC"].astype("boolean")
    return frame


def read_table(path):
    """A table written by the command line (--vcf, --genepop) as a pandas
    DataFrame.

    Columns are named as in the header, without its leading "#" (CHROM, POS,
    ID, REF, ALT for a VCF; POP, FIRST_INDIVIDUAL, LOCUS for Genepop; GROUP;
    the computed columns; ALLELES).  Whole-number columns are Int64 (POS
    and POP int64), AT_MAXMC boolean, the reals float64 (each equal to
    float() of its text), the text columns string; "NA" in a computed
    column, GENOTYPES or ALLELES is a missing value.

    Raises OSError when the file cannot be read, ValueError when it is not a
    table.
    """
    with open(path, encoding="utf-8") as f:
        text = f.read()
    return _table_frame(text, path)


def _warn(messages):
    """The reader's warnings, as the caller's RuntimeWarning."""
    for m in messages:
        warnings.warn(m, RuntimeWarning, stacklevel=3)


def _group_lists(groups):
    """The compiled half's groups from {sample: group or [groups]}: the
    groups in their order of first appearance, each sample with its groups."""
    if not hasattr(groups, "items"):
        raise ValueError("groups: a mapping of sample names to a group name or a list of "
                         "group names expected")
    names, index, members = [], {}, []
    for sample, assigned in groups.items():
        assigned = [assigned] if isinstance(assigned, str) else list(assigned)
        if not assigned or any(not isinstance(g, str) or not g for g in assigned):
            raise ValueError("groups: sample '%s' needs one or more non-empty group names"
                             % sample)
        ids = []
        for g in assigned:
            if g not in index:
                index[g] = len(names)
                names.append(g)
            if index[g] not in ids:
                ids.append(index[g])
        members.append((str(sample), ids))
    if not members:
        raise ValueError("groups: no sample")
    return names, members


def scan_vcf(path, *, groups=None, samples=None, regions=None, regions_overlap="record",
             declared_alleles=False, precision=0, minmc=0, maxmc=0, max_alleles=20,
             threads=None, engine="fast"):
    """The table of `drevel --vcf path` as a pandas DataFrame, computed in
    memory (no file is written); see read_table for its columns and dtypes.

    path: a VCF, bgzipped VCF or BCF file.
    groups: {sample: group name, or a list of them}: one row per site and
        group, as --groups (a sample in no group is not counted).
    samples: only these samples' calls count, as --samples.
    regions: a list of "chr", "chr:pos" or "chr:begin-end", read through the
        file's index, as --regions; regions_overlap "record" (default) or
        "pos", as --regions-overlap.
    declared_alleles: test every declared allele, seen or not.
    precision, minmc, maxmc, max_alleles, threads, engine: as for evidence().

    The reader's warnings (undeclared contigs or fields) are issued as
    RuntimeWarning.  Raises OSError when the file cannot be read, is not a
    VCF or BCF, names no sample asked for or lacks an index for regions;
    ValueError for bad arguments; KeyboardInterrupt on Ctrl-C.
    """
    tuning = _tuning(precision, minmc, maxmc, max_alleles, engine)
    if regions_overlap not in ("record", "pos"):
        raise ValueError("regions_overlap needs pos or record, not '%s'" % (regions_overlap,))
    if isinstance(regions, str):
        regions = [r for r in regions.split(",")]
    if isinstance(samples, str):
        samples = samples.split(",")
    if samples is not None:
        samples = [str(s) for s in samples]
        if not samples:
            raise ValueError("samples: no sample")
    names, members = _group_lists(groups) if groups is not None else ([], [])
    text, messages = _drevel.scan_vcf(os.fspath(path), list(regions or []),
                                      regions_overlap == "pos", samples, names, members,
                                      bool(declared_alleles), *tuning[:4], _threads(threads),
                                      tuning[4])
    _warn(messages)
    return _table_frame(text, path)


def scan_genepop(path, *, precision=0, minmc=0, maxmc=0, max_alleles=20, threads=None,
                 engine="fast"):
    """The table of `drevel --genepop path` as a pandas DataFrame, computed
    in memory (no file is written): one row per population and locus; see
    read_table for its columns and dtypes.

    precision, minmc, maxmc, max_alleles, threads, engine: as for evidence().

    Raises OSError when the file cannot be read or is not a Genepop file,
    with the command line's message; ValueError for bad arguments;
    KeyboardInterrupt on Ctrl-C.
    """
    tuning = _tuning(precision, minmc, maxmc, max_alleles, engine)
    text, messages = _drevel.scan_genepop(os.fspath(path), *tuning[:4], _threads(threads),
                                          tuning[4])
    _warn(messages)
    return _table_frame(text, path)
