#include "schema/table_schema.h"

#include <cstdio>

namespace drevel {

const char* status_word(row_status status) {
  switch (status) {
    case row_status::computed: return "ok";
    case row_status::no_calls: return "no_calls";
    case row_status::monomorphic: return "monomorphic";
    case row_status::too_many_alleles: return "too_many_alleles";
    case row_status::lost_to_rounding: return "lost_to_rounding";
  }
  return "?";
}

std::optional<row_status> status_of_word(std::string_view word) {
  for (row_status s : {row_status::computed, row_status::no_calls, row_status::monomorphic,
                       row_status::too_many_alleles, row_status::lost_to_rounding})
    if (word == status_word(s)) return s;
  return std::nullopt;
}

const std::vector<column_description>& computed_columns() {
  static const std::vector<column_description> columns = {
      {table_column::n_alleles, "N_ALLELES",
       "alleles declared (VCF: 1 + the ALT alleles; Genepop: the codes of the locus in the "
       "whole file)"},
      {table_column::n_called, "N_CALLED", "diploid calls counted (of the group)"},
      {table_column::n_skipped, "N_SKIPPED",
       "calls not counted: missing, half-missing, haploid, polyploid"},
      {table_column::evidence, "EVIDENCE",
       "the evidence for equilibrium, the two-file run's value for the GENOTYPES counts and "
       "the tuning values"},
      {table_column::l_max, "L_MAX", "the largest log-kernel overall, as in the result file"},
      {table_column::l_hyp, "L_HYP",
       "the largest log-kernel under equilibrium, as in the result file"},
      {table_column::draws, "DRAWS", "the Monte Carlo draws"},
      {table_column::n_tested, "N_TESTED",
       "alleles tested: seen among the counted calls (all declared with --declared-alleles)"},
      {table_column::status, "STATUS",
       "ok; no_calls (nothing counted); monomorphic (one allele seen, not computed); "
       "too_many_alleles (more tested alleles than --max-alleles, not computed); "
       "lost_to_rounding (counts beyond what double precision computes; a note on stderr "
       "names the first with its cause)"},
      {table_column::genotypes, "GENOTYPES",
       "the genotype counts of the tested alleles, lower triangle row by row, "
       "comma-separated: 1/1,2/1,2/2,3/1,... (two alleles: hom, het, hom)"},
      {table_column::het_obs, "HET_OBS", "observed heterozygosity: heterozygous calls / N_CALLED"},
      {table_column::het_exp, "HET_EXP",
       "expected heterozygosity 1 - sum p^2, p the tested alleles' frequencies among the "
       "counted calls"},
      {table_column::f, "F",
       "1 - HET_OBS/HET_EXP: above 0 a deficit of heterozygotes, below 0 an excess; NA when "
       "HET_EXP is 0 (one allele seen)"},
      {table_column::mc_se, "MC_SE",
       "the Monte Carlo standard error of EVIDENCE, sqrt(E(1 - E)/DRAWS); where EVIDENCE is 0 "
       "or 1, that of Laplace's estimate (hits + 1)/(DRAWS + 2), sqrt(q(1 - q)/(DRAWS + 2)) "
       "with q = 1/(DRAWS + 2)"},
      {table_column::at_maxmc, "AT_MAXMC",
       "1 when the draws stopped at maxmc before both half-widths of the stopping rule were "
       "below the precision (raise --maxmc), else 0"},
      {table_column::p_hwe, "P_HWE",
       "the exact test's p-value: for two tested alleles exact (Wigginton et al. 2005), as "
       "plink2 --hardy's P; for more, estimated over --hwe-tables tables of a Markov chain "
       "(Guo and Thompson 1992)"},
      {table_column::p_hwe_midp, "P_HWE_MIDP",
       "the exact test's mid-p value (two tested alleles: as plink2 --hardy midp)"},
      {table_column::p_het_excess, "P_HET_EXCESS",
       "two tested alleles: the exact test's tail of an excess of heterozygotes, as vcftools "
       "--hardy (bcftools' ExcHet)"},
      {table_column::p_het_deficit, "P_HET_DEFICIT",
       "two tested alleles: the exact test's tail of a deficit of heterozygotes, as vcftools "
       "--hardy"},
      {table_column::p_hwe_se, "P_HWE_SE",
       "three or more tested alleles: the standard error of P_HWE's estimate, from batch "
       "means; NA where P_HWE is exact"},
      {table_column::sev, "SEV",
       "the evidence standardized for the dimensions, 1 - F_{c-k}(F^-1_{c-1}(1 - EVIDENCE)), "
       "F_d the chi-square distribution function with d degrees of freedom, c = k(k+1)/2"},
  };
  return columns;
}

const char* column_name(table_column column) {
  return computed_columns()[static_cast<size_t>(column)].name;
}

const std::vector<std::string>& vcf_label_columns() {
  static const std::vector<std::string> labels = {"CHROM", "POS", "ID", "REF", "ALT"};
  return labels;
}

const std::vector<std::string>& genepop_label_columns() {
  static const std::vector<std::string> labels = {pop_column, pop_name_column,
                                                  first_individual_column, locus_column};
  return labels;
}

bool status_fills_estimates(row_status status) { return status == row_status::computed; }

bool is_estimate_column(table_column column) {
  switch (column) {
    case table_column::evidence:
    case table_column::l_max:
    case table_column::l_hyp:
    case table_column::draws:
    case table_column::mc_se:
    case table_column::at_maxmc:
    case table_column::sev:
      return true;
    default:
      return false;
  }
}

std::string table_real(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%e", v);
  return buf;
}

void append_table_real(std::string* out, double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "\t%e", v);
  *out += buf;
}

}  // namespace drevel
