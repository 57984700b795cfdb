// The tables of the batch modes, as every program that writes or reads them
// sees them: the names of the columns computed for each row, the words of
// the STATUS column, the text of a missing value, the number format, and
// which columns a row's status fills.  The table writer (sites/site_table.h),
// the picture's table reader (plot/) and the annotation (annotate/) take
// all of it from here; --help prints the column descriptions below.
//
// A row is: the columns that name it (its format's: #CHROM POS ID REF ALT
// for a VCF, #POP FIRST_INDIVIDUAL LOCUS for Genepop), a GROUP column when
// the run has groups, the computed columns of computed_columns() in their
// order, and the ALLELES column where the format names its alleles.
#ifndef DREVEL_SCHEMA_TABLE_SCHEMA_H
#define DREVEL_SCHEMA_TABLE_SCHEMA_H

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace drevel {

// What became of a row, in the order the computation decides it; the STATUS
// column's words are status_word's.
//   computed ("ok"): the evidence was computed;
//   no_calls: no counted call;
//   monomorphic: a single tested allele, seen or declared;
//   too_many_alleles: more tested alleles than the limit;
//   lost_to_rounding: the counts are beyond what double precision computes.
enum class row_status { computed, no_calls, monomorphic, too_many_alleles, lost_to_rounding };

// The STATUS word of a status: "ok", "no_calls", "monomorphic",
// "too_many_alleles", "lost_to_rounding".
const char* status_word(row_status status);
// The status of a STATUS word, or nothing for a word that is none of them.
std::optional<row_status> status_of_word(std::string_view word);

// The columns computed for every row, in their order in the table.
enum class table_column {
  n_alleles, n_called, n_skipped, evidence, l_max, l_hyp, draws, n_tested, status, genotypes,
  het_obs, het_exp, f, mc_se, at_maxmc, p_hwe, p_hwe_midp, p_het_excess, p_het_deficit, p_hwe_se,
  sev,
};
struct column_description {
  table_column column;
  const char* name;     // the header's name: "N_ALLELES", ...
  const char* meaning;  // one sentence for --help and the manual, without a line end
};
// Every computed column, in order.
const std::vector<column_description>& computed_columns();
// The header name of a column.
const char* column_name(table_column column);

// The columns that name a row, first to last, in each format's table (the
// header line puts "#" before the first): a VCF site's five columns as read,
// and a Genepop population (its number, its name and its first
// individual's name) and locus.
const std::vector<std::string>& vcf_label_columns();
const std::vector<std::string>& genepop_label_columns();
// Genepop's label columns by name: the population's number, its name (the
// text after "Pop" on its line), its first individual, the locus.
constexpr const char pop_column[] = "POP";
constexpr const char pop_name_column[] = "POP_NAME";
constexpr const char first_individual_column[] = "FIRST_INDIVIDUAL";
constexpr const char locus_column[] = "LOCUS";

// The names of the other columns the tables may have.
constexpr const char group_column[] = "GROUP";
constexpr const char alleles_column[] = "ALLELES";

// Joint rows (--joint): the evidence for equilibrium in every one of several
// groups or loci at once.  Such a row names what it combines with
// joint_label: GROUP "*" after a site's group rows; in a Genepop table,
// LOCUS "*" after a population's rows (its loci), and POP and POP_NAME "*"
// (with FIRST_INDIVIDUAL ".") for a locus across the populations, after
// every population.  A table with joint rows has two more columns after the
// computed ones: N_JOINED, the rows in the product, and N_LEFT_OUT, those
// left out (monomorphic or without calls); both NA on the other rows.  A
// joint row has NA in N_TESTED, GENOTYPES, HET_OBS, HET_EXP, F and the
// exact test's columns, and NA in N_ALLELES when it combines loci.
constexpr const char joint_label[] = "*";
constexpr const char n_joined_column[] = "N_JOINED";
constexpr const char n_left_out_column[] = "N_LEFT_OUT";

// Whether a row of this status has a value in a column that only a computed
// row has (EVIDENCE, L_MAX, L_HYP, DRAWS, MC_SE, AT_MAXMC, SEV): only
// computed rows do; the others write not_available there.  The exact test's
// columns are filled wherever two alleles are tested among counted calls.
bool status_fills_estimates(row_status status);
bool is_estimate_column(table_column column);

// The text of a value not computed or not defined.
constexpr const char not_available[] = "NA";

// A real value as the tables write it: printf's "%e" (seven significant
// digits), so that every reader, the annotation's floats included, rounds
// from the same text.
std::string table_real(double v);
// Appends a tab, then table_real(v).
void append_table_real(std::string* out, double v);

}  // namespace drevel

#endif
