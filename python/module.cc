// The compiled half of the Python module drevel (python/drevel/__init__.py
// is the half users call): the library face's computations on numpy arrays,
// with the GIL released while they run.  Arguments arrive checked and in
// the face's types from the Python half; faults become exceptions here.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "drevel/evidence.h"
#include "drevel/genotype_counts.h"
#include "drevel/many_loci.h"
#include "drevel/table_scan.h"
#include "schema/table_schema.h"

namespace py = pybind11;

namespace {

using drevel::fault_kind;

// A fault as the exception the module documents: ValueError for what the
// caller passed, OSError for files, KeyboardInterrupt when the work was
// interrupted (the signal's own exception is raised where there is one).
[[noreturn]] void raise_fault(const drevel::status& s) {
  switch (s.kind()) {
    case fault_kind::usage:
      throw py::value_error(s.message());
    case fault_kind::input:
    case fault_kind::output:
      PyErr_SetString(PyExc_OSError, s.message().c_str());
      throw py::error_already_set();
    case fault_kind::resource:
      PyErr_SetString(PyExc_MemoryError, s.message().c_str());
      throw py::error_already_set();
    case fault_kind::interrupted:
      if (PyErr_Occurred()) throw py::error_already_set();
      PyErr_SetNone(PyExc_KeyboardInterrupt);
      throw py::error_already_set();
    case fault_kind::none:
      break;
  }
  throw std::logic_error("raise_fault on ok");
}

// Runs work() without the GIL, giving it a poll that takes the GIL briefly
// to let Python run its signal handlers: a handler that raises (Ctrl-C's
// KeyboardInterrupt) stops the work, and its exception is the one raised.
template <class Work>
drevel::status run_interruptible(Work&& work) {
  bool signalled = false;
  auto poll = [&signalled]() {
    py::gil_scoped_acquire gil;
    if (!signalled && PyErr_CheckSignals() != 0) signalled = true;
    return signalled;
  };
  drevel::status s;
  {
    py::gil_scoped_release release;
    s = work(std::function<bool()>(poll));
  }
  if (signalled && PyErr_Occurred()) throw py::error_already_set();
  return s;
}

drevel::evidence_tuning tuning_of(double precision, int32_t minmc, int32_t maxmc, int max_alleles,
                                  bool literal) {
  drevel::evidence_tuning t;
  t.precision = precision;
  t.minmc = minmc;
  t.maxmc = maxmc;
  t.max_alleles = max_alleles;
  t.literal = literal;
  return t;
}

// The loci of a 2-D float64 array (one per row) or of a sequence of 1-D
// float64 arrays, as the face takes them.
std::vector<std::vector<double>> loci_of(const py::object& counts) {
  std::vector<std::vector<double>> loci;
  if (py::isinstance<py::array>(counts)) {
    auto a = py::cast<py::array_t<double, py::array::c_style | py::array::forcecast>>(counts);
    if (a.ndim() != 2) throw py::value_error("counts: a 2-D array of loci expected");
    const size_t n = static_cast<size_t>(a.shape(0)), c = static_cast<size_t>(a.shape(1));
    loci.resize(n);
    const double* p = a.data();
    for (size_t i = 0; i < n; i++) loci[i].assign(p + i * c, p + (i + 1) * c);
    return loci;
  }
  for (const py::handle item : counts) {
    auto a = py::cast<py::array_t<double, py::array::c_style | py::array::forcecast>>(item);
    if (a.ndim() != 1) throw py::value_error("counts: each locus must be a 1-D array");
    loci.emplace_back(a.data(), a.data() + a.size());
  }
  return loci;
}

// Many loci through the batch engine.  A locus without counts (a site with
// no counted call, as genotype_counts gives it) is a no_calls row, as the
// command line's row for such a site.
py::dict evidence_many(const py::object& counts, double precision, int32_t minmc, int32_t maxmc,
                       int max_alleles, int threads, bool literal) {
  std::vector<std::vector<double>> loci = loci_of(counts);
  const size_t n = loci.size();
  // One allele without calls is the face's no_calls locus.
  for (std::vector<double>& locus : loci)
    if (locus.empty()) locus.push_back(0.0);
  const drevel::evidence_tuning tuning = tuning_of(precision, minmc, maxmc, max_alleles, literal);
  std::vector<drevel::evidence_row> rows;
  drevel::status s = run_interruptible([&](const std::function<bool()>& poll) {
    return drevel::compute_many_loci(loci, tuning, threads, &rows, poll);
  });
  if (!s) raise_fault(s);
  py::array_t<double> ev(n), l_max(n), l_hyp(n), mc_se(n);
  // The columns beside the evidence, NaN where the table has NA.
  py::array_t<double> p_hwe(n), p_midp(n), p_excess(n), p_deficit(n), p_se(n), sev(n);
  auto ph = p_hwe.mutable_unchecked<1>(), pm = p_midp.mutable_unchecked<1>(),
       px = p_excess.mutable_unchecked<1>(), pd = p_deficit.mutable_unchecked<1>(),
       ps = p_se.mutable_unchecked<1>(), sv = sev.mutable_unchecked<1>();
  py::array_t<int64_t> draws(n), hits(n);
  py::array_t<bool> at_maxmc(n);
  py::list status_words;
  auto e = ev.mutable_unchecked<1>(), lm = l_max.mutable_unchecked<1>(),
       lh = l_hyp.mutable_unchecked<1>(), se = mc_se.mutable_unchecked<1>();
  auto d = draws.mutable_unchecked<1>(), h = hits.mutable_unchecked<1>();
  auto m = at_maxmc.mutable_unchecked<1>();
  for (size_t i = 0; i < n; i++) {
    const drevel::evidence_row& row = rows[i];
    const bool filled = drevel::status_fills_estimates(row.status);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const py::ssize_t k = static_cast<py::ssize_t>(i);
    e(k) = filled ? row.evidence : nan;
    lm(k) = filled ? row.L_max : nan;
    lh(k) = filled ? row.L_hyp : nan;
    se(k) = filled ? row.mc_se : nan;
    d(k) = row.draws;
    h(k) = row.hits;
    m(k) = row.at_maxmc;
    ph(k) = row.p_hwe;
    pm(k) = row.p_hwe_midp;
    px(k) = row.p_het_excess;
    pd(k) = row.p_het_deficit;
    ps(k) = row.p_hwe_se;
    sv(k) = row.sev;
    status_words.append(drevel::status_word(row.status));
  }
  py::dict out;
  out["EVIDENCE"] = ev;
  out["L_MAX"] = l_max;
  out["L_HYP"] = l_hyp;
  out["DRAWS"] = draws;
  out["HITS"] = hits;
  out["MC_SE"] = mc_se;
  out["AT_MAXMC"] = at_maxmc;
  out["P_HWE"] = p_hwe;
  out["P_HWE_MIDP"] = p_midp;
  out["P_HET_EXCESS"] = p_excess;
  out["P_HET_DEFICIT"] = p_deficit;
  out["P_HWE_SE"] = p_se;
  out["SEV"] = sev;
  out["STATUS"] = status_words;
  return out;
}

// Each site's counts from a (sites, samples, 2) int32 array; declared[s] is
// the declared alleles of site s (0: the alleles seen).  Returns the counts
// and the tested alleles (lists of arrays), and the calls counted and
// skipped (arrays).
py::tuple count_genotypes(py::array_t<int32_t, py::array::c_style | py::array::forcecast> gt,
                          py::array_t<int32_t, py::array::c_style | py::array::forcecast> declared) {
  if (gt.ndim() != 3 || gt.shape(2) != 2)
    throw py::value_error("gt: an array of shape (sites, samples, 2) expected");
  const size_t sites = static_cast<size_t>(gt.shape(0)), samples = static_cast<size_t>(gt.shape(1));
  if (declared.ndim() != 1 || static_cast<size_t>(declared.shape(0)) != sites)
    throw py::value_error("alleles: one number per site expected");
  std::vector<drevel::site_genotypes> out(sites);
  drevel::status s;
  {
    py::gil_scoped_release release;
    drevel::genotype_counter counter;
    const int32_t* calls = gt.data();
    const int32_t* k = declared.data();
    for (size_t i = 0; i < sites && s; i++) {
      s = counter.count(calls + i * samples * 2, samples, k[i], &out[i]);
      if (!s) s = drevel::status(s.kind(), "site " + std::to_string(i + 1) + ": " + s.message());
    }
  }
  if (!s) raise_fault(s);
  py::list counts, tested;
  py::array_t<int64_t> called(sites), skipped(sites);
  auto c = called.mutable_unchecked<1>(), k = skipped.mutable_unchecked<1>();
  for (size_t i = 0; i < sites; i++) {
    counts.append(py::array_t<double>(out[i].counts.size(), out[i].counts.data()));
    tested.append(py::array_t<int>(out[i].tested.size(), out[i].tested.data()));
    c(static_cast<py::ssize_t>(i)) = out[i].called;
    k(static_cast<py::ssize_t>(i)) = out[i].skipped;
  }
  return py::make_tuple(counts, tested, called, skipped);
}

py::tuple table_result(drevel::status s, drevel::scanned_table& table) {
  if (!s) raise_fault(s);
  return py::make_tuple(py::str(table.text), py::cast(table.warnings));
}

py::tuple scan_vcf(const std::string& path, std::vector<std::string> regions, bool regions_by_pos,
                   py::object samples, std::vector<std::string> group_names,
                   std::vector<std::pair<std::string, std::vector<int>>> group_members,
                   bool declared_alleles, double precision, int32_t minmc, int32_t maxmc,
                   int max_alleles, int threads, bool literal) {
  drevel::vcf_scan_options options;
  options.regions = std::move(regions);
  options.regions_by_pos = regions_by_pos;
  options.have_samples = !samples.is_none();
  if (options.have_samples) options.samples = py::cast<std::vector<std::string>>(samples);
  options.group_names = std::move(group_names);
  options.group_members = std::move(group_members);
  options.declared_alleles = declared_alleles;
  const drevel::evidence_tuning tuning = tuning_of(precision, minmc, maxmc, max_alleles, literal);
  drevel::scanned_table table;
  drevel::status s = run_interruptible([&](const std::function<bool()>& poll) {
    return drevel::scan_vcf_table(path, options, tuning, threads, &table, poll);
  });
  return table_result(std::move(s), table);
}

py::tuple scan_genepop(const std::string& path, double precision, int32_t minmc, int32_t maxmc,
                       int max_alleles, int threads, bool literal) {
  const drevel::evidence_tuning tuning = tuning_of(precision, minmc, maxmc, max_alleles, literal);
  drevel::scanned_table table;
  drevel::status s = run_interruptible([&](const std::function<bool()>& poll) {
    return drevel::scan_genepop_table(path, tuning, threads, &table, poll);
  });
  return table_result(std::move(s), table);
}

}  // namespace

PYBIND11_MODULE(_drevel, m) {
  m.doc() = "drevel's compiled half; call the functions of the drevel package instead.";
  m.attr("version") = DREVEL_VERSION;
  m.def("evidence_many", &evidence_many,
        "Computes loci (a 2-D float64 array or a list of 1-D ones) into a dict of arrays.");
  m.def("count_genotypes", &count_genotypes,
        "Counts the calls of an int32 (sites, samples, 2) array: (counts, tested, called, "
        "skipped).");
  m.def("scan_vcf", &scan_vcf, "Computes a VCF into (table text, warnings).");
  m.def("scan_genepop", &scan_genepop, "Computes a Genepop file into (table text, warnings).");
}
