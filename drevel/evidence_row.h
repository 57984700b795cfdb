// The tuning and the result of the face's computations (drevel/evidence.h,
// drevel/many_loci.h): what a caller passes in and gets back for a locus.
#ifndef DREVEL_DREVEL_EVIDENCE_ROW_H
#define DREVEL_DREVEL_EVIDENCE_ROW_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "schema/table_schema.h"

namespace drevel {

// The tuning of a computation.  0 selects the per-locus default, as in the
// two-file run's input file: precision 0.005, minmc 500*c, maxmc 10000*c.
struct evidence_tuning {
  double precision = 0;
  int32_t minmc = 0, maxmc = 0;
  // Loci with more alleles are not computed (too_many_alleles), as the
  // command line's --max-alleles; at most 654.
  int max_alleles = 20;
  // The direct evaluation instead of the fast engine: the same values,
  // slower; kept as a cross-check.
  bool literal = false;
};

// The values of one locus, as its table row has them.
struct evidence_row {
  // computed; no_calls (every count 0); monomorphic (one allele);
  // too_many_alleles; lost_to_rounding (counts beyond double precision:
  // `fault` says why).
  row_status status = row_status::no_calls;
  // Computed rows only (else NaN, 0 or false): the evidence, both maxima,
  // the Monte Carlo draws and hits (draws whose log-kernel reached L_hyp),
  // the standard error sqrt(E (1 - E) / draws), and whether the draws
  // stopped at maxmc before the precision was met.
  double evidence, L_max, L_hyp, mc_se;
  int64_t draws = 0, hits = 0;
  bool at_maxmc = false;
  // The table's SEV (computed rows of two or more alleles) and the exact
  // test's P_HWE, P_HWE_MIDP, P_HET_EXCESS, P_HET_DEFICIT and P_HWE_SE;
  // NaN where the table has NA.
  double sev, p_hwe, p_hwe_midp, p_het_excess, p_het_deficit, p_hwe_se;
  std::string fault;  // lost_to_rounding: the cause, one line
  // Computed rows: the posterior mode and the fitted equilibrium genotype
  // frequencies, c values each, in the counts' order; empty otherwise.
  std::vector<double> mode, fit;
  evidence_row();
};

// The alleles k of c genotype cells, or 0 when c is not k(k+1)/2 for a
// k >= 1.
int alleles_of_cells(size_t c);

}  // namespace drevel

#endif
