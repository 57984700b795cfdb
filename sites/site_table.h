// The tables of the batch modes: one header line, then tab-separated rows in
// the order of the input.  Every value printed is in the record or the
// result; nothing is computed here.
//
// The columns from N_ALLELES on are the same in both tables:
//   N_ALLELES   the alleles the input declares
//   N_CALLED    diploid calls counted; N_SKIPPED calls not counted
//   EVIDENCE L_MAX L_HYP   the classic run's values ("%e"); DRAWS its draws
//   N_TESTED    the alleles tested
//   STATUS      ok, no_calls, monomorphic or too_many_alleles
//   GENOTYPES   the genotype counts of the tested alleles, lower triangle,
//               comma-separated
//   HET_OBS HET_EXP F   observed and expected heterozygosity, fixation index
//   MC_SE       sqrt(E(1 - E)/DRAWS); AT_MAXMC 1 when the run ended at maxmc
//               before meeting the precision, else 0
// NA stands for a value not computed or not defined.
#ifndef DREVEL_SITES_SITE_TABLE_H
#define DREVEL_SITES_SITE_TABLE_H

#include <string>
#include <vector>

#include "sites/site_evidence.h"

namespace drevel {

// "#CHROM\tPOS\tID\tREF\tALT\t" then, with groups, "GROUP\t", then
// "N_ALLELES\tN_CALLED\tN_SKIPPED\tEVIDENCE\tL_MAX\tL_HYP\tDRAWS\tN_TESTED\t"
// "STATUS\tGENOTYPES\tHET_OBS\tHET_EXP\tF\tMC_SE\tAT_MAXMC\n".
std::string vcf_table_header(bool with_groups);

// "#POP\tFIRST_INDIVIDUAL\tLOCUS\t" then the columns from N_ALLELES on, then
// "\tALLELES\n".
std::string genepop_table_header();

// Appends one row per group of the site to *out, each ending in "\n": the
// five VCF columns as read, then the group's name from group_names when it
// is not null (one name per group of the record), then the shared columns.
void append_vcf_rows(const site_record& site, const site_evidence& evidence,
                     const std::vector<std::string>* group_names, std::string* out);

// Appends the row of a Genepop record (its one group) to *out: the
// population's index, its first individual (empty names print as "."), the
// locus, the shared columns, then the codes of the tested alleles,
// comma-separated in increasing order (NA when none).
void append_genepop_row(const site_record& site, const site_evidence& evidence,
                        std::string* out);

// The STATUS column's word for an outcome.
const char* status_name(site_outcome outcome);

}  // namespace drevel

#endif
