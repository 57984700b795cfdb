// Sites from a table of genotype counts rather than calls: plink2's
// --geno-counts output (.gcount), which serves .pgen and BGEN data through
// plink2's own counting, or a table drevel wrote, to be computed again with
// other tuning.  The kind is told by the header line.
#ifndef DREVEL_COUNTS_COUNTS_READER_H
#define DREVEL_COUNTS_COUNTS_READER_H

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "counts/counts_options.h"
#include "fault/status.h"
#include "sites/site_record.h"
#include "sites/site_source.h"
#include "sites/site_table.h"

namespace drevel {

class counts_reader : public site_source {
 public:
  counts_reader();
  ~counts_reader() override;
  counts_reader(const counts_reader&) = delete;
  counts_reader& operator=(const counts_reader&) = delete;

  // Opens path ("-": standard input) and reads its header line.  A .gcount
  // header is known by its names: #CHROM (or the first column's "#"), POS,
  // ID, REF, ALT, and the counts: DIPLOID_GENO_CTS, or HOM_REF_CT,
  // HET_REF_ALT_CTS and TWO_ALT_GENO_CTS together; the uncounted calls come
  // from MISSING_CT and HAP_CTS or HAP_REF_CT and HAP_ALT_CTS when present.
  // ALT1, HET_REF_ALT1_CT, HOM_ALT1_CT, HAP_ALT1_CT, GENO_NUM_CTS and
  // OBS_CT are known and not read.  A drevel table is known by its computed
  // columns (N_ALLELES ... AT_MAXMC) after its label columns.  Fails with
  // fault_kind::input and a message naming the file and line 1: a file that
  // cannot be read, an unknown column, a .gcount without REF, ALT or the
  // counts.
  status open(const std::string& path, const counts_read_options& options);

  // The table to write: a .gcount's rows are labelled as --vcf labels them
  // (#CHROM POS ID REF ALT; NA for a column the .gcount lacks, "." for ID);
  // a drevel table keeps its own label columns (GROUP among them) and its
  // ALLELES column.
  const table_layout& layout() const;

  // Reads the next row into *site: one group, counted through
  // sites/genotype_tally.h.  .gcount: k = 1 + the ALT alleles; skipped =
  // missing + haploid calls.  drevel table: k = N_ALLELES; the counts are
  // GENOTYPES over its N_TESTED alleles, skipped = N_SKIPPED; a row written
  // without GENOTYPES (more alleles than its run computed) is left out with
  // a warning (take_warnings).  *at_end is true at the end instead.  A
  // fault of kind input, with a one-line message naming the file and line:
  // a file that cannot be read, a row with the wrong number of columns, a
  // count that is not a whole number from 0 up, a list of the wrong
  // length, GENOTYPES that do not sum to N_CALLED.
  status next(site_record* site, bool* at_end) override;
  std::vector<std::string> take_warnings() override;

 private:
  struct impl;
  std::unique_ptr<impl> impl_;
};

}  // namespace drevel

#endif
