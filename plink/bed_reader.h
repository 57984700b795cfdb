// Sites of a PLINK 1 binary fileset (.bed, .bim, .fam), read directly: the
// genotype counts of each site come from its packed calls, a byte at a time
// (plink/packed_calls.h), group by group, into the same records as a VCF's.
#ifndef DREVEL_PLINK_BED_READER_H
#define DREVEL_PLINK_BED_READER_H

#include <memory>
#include <string>
#include <vector>

#include "fault/status.h"
#include "sites/sample_groups.h"
#include "sites/site_record.h"
#include "sites/site_source.h"

namespace drevel {

// Which sites, samples and alleles a reader counts.
struct bed_read_options {
  // When not empty, only the sites in any of these "chr", "chr:pos" or
  // "chr:begin-end" items (1-based, inclusive), by the .bim's chromosome
  // and position; every site is read once, in file order.  A site is in a
  // region when its span (POS to POS + length of REF - 1) overlaps it, or,
  // with regions_by_pos, when its POS lies in it (as --vcf chooses).
  std::vector<std::string> regions;
  bool regions_by_pos = false;
  // When not null, only these samples' calls count.  A name is a sample's
  // IID (the .fam's second field); when no IID is the name, FID_IID, as
  // plink2 --export vcf names samples whose FID is not 0.
  const std::vector<std::string>* samples = nullptr;
  // When not null, the samples counted are those in a group (and in
  // `samples` when both are given), named as above, and each record has one
  // group_counts per group; otherwise one for all the counted samples.
  const sample_groups* groups = nullptr;
  // Test both alleles, seen or not, instead of those seen among the group's
  // counted calls.
  bool declared_alleles = false;
  // Groups with more tested alleles get no genotype counts.
  int max_alleles = default_max_alleles;
};

class bed_reader : public site_source {
 public:
  bed_reader();
  ~bed_reader() override;
  bed_reader(const bed_reader&) = delete;
  bed_reader& operator=(const bed_reader&) = delete;

  // Opens prefix.bed, prefix.bim and prefix.fam (a prefix ending in ".bed"
  // names the .bed itself), reads the .fam whole and checks the .bed: its
  // magic bytes, SNP-major mode, and a size of 3 + sites x ceil(samples/4)
  // bytes with one site a .bim line.  Fails with fault_kind::input and a
  // message naming the file (and the line of a bad .fam line): a file that
  // cannot be read, a .fam line without six fields, an individual-major or
  // foreign .bed, a size that does not match, a sample of `samples` or of
  // the groups that is not in the .fam or whose IID is not unique, or a
  // region on a chromosome the .bim does not have; fault_kind::usage for a
  // region item that cannot be read.
  status open(const std::string& prefix, const bed_read_options& options);

  // Reads the next site into *site.  labels: CHROM, POS, ID, REF, ALT with
  // REF = A2 (the .bim's sixth field) and ALT = A1 (its fifth, "." when it
  // is 0 or ".", a missing allele), as plink2 --export vcf writes them, so that
  // rows match --vcf on that export.  k = 2 (1 without A1).  Calls 00, 10
  // and 11 count as ALT/ALT, REF/ALT and REF/REF; 01 (missing) is skipped.
  // *at_end is true at the end instead.  A fault of kind input, with a
  // one-line message naming the file and line: a .bim line without six
  // fields or with a position that is not a whole number, calls of a
  // missing A1, a .bed or .bim that cannot be read.
  status next(site_record* site, bool* at_end) override;

 private:
  struct impl;
  std::unique_ptr<impl> impl_;
};

}  // namespace drevel

#endif
