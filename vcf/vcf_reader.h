// Sites of a VCF, bgzipped VCF or BCF file, read with htslib, with their
// genotype counts over the diploid calls of the chosen samples, group by
// group.
#ifndef DREVEL_VCF_VCF_READER_H
#define DREVEL_VCF_VCF_READER_H

#include <memory>
#include <string>
#include <vector>

#include "fault/status.h"
#include "sites/sample_groups.h"
#include "sites/site_record.h"
#include "sites/site_source.h"
#include "sites/site_table.h"

// htslib's header and record (htslib/vcf.h), for the writers of the records
// read (annotate/).
struct bcf_hdr_t;
struct bcf1_t;

namespace drevel {

// How --regions chooses sites: every record whose reference span overlaps a
// region (bcftools' default), or only those whose POS lies in one, so that
// regions that tile a genome give every record to exactly one of them.
enum class region_overlap { record, pos };

// The table's columns that name a site: #CHROM POS ID REF ALT as read (ID
// "." when missing, ALT "." when the site has no ALT allele), then GROUP
// when the run has groups.
table_layout vcf_table_layout(bool with_groups);

// Which sites, samples and alleles a reader counts.
struct vcf_read_options {
  // When not empty, only the sites overlapping any of these "chr",
  // "chr:pos" or "chr:begin-end" items (1-based, inclusive), read through
  // the index next to the file (.csi for BCF, .tbi or .csi for bgzipped
  // VCF); every site is read once, in file order, however they overlap.
  std::vector<std::string> regions;
  // When not null, only these samples' calls count (by name).
  const std::vector<std::string>* samples = nullptr;
  // When not null, the samples counted are those in a group (and in
  // `samples` when both are given), and each record has one group_counts
  // per group; otherwise one for all the counted samples.
  const sample_groups* groups = nullptr;
  // Test every declared allele, seen or not, instead of those seen among
  // the group's counted calls.
  bool declared_alleles = false;
  // Groups with more tested alleles get no genotype counts.
  int max_alleles = default_max_alleles;
  // How `regions` chooses sites.
  region_overlap overlap = region_overlap::record;
  // htslib threads that decompress a bgzipped VCF or a BCF ahead of the
  // reader (0: none, the reader's thread does it).  Sites and their order
  // are the same for every number.
  int decompression_threads = 0;
};

class vcf_reader : public site_source {
 public:
  vcf_reader();
  ~vcf_reader() override;
  vcf_reader(const vcf_reader&) = delete;
  vcf_reader& operator=(const vcf_reader&) = delete;

  // Opens path ("-" for standard input) and reads its header.  A fault of
  // kind input, with a one-line message naming the file (no line end): the
  // file cannot be read or is not a VCF or BCF, a sample of `samples` or of
  // the groups is not in the file, the regions need an index that is
  // missing or name a sequence the file lacks.  Of kind usage: regions
  // asked of standard input, or a region item that cannot be read.
  status open(const std::string& path, const vcf_read_options& options);

  // Reads the next site into *site: the five columns, k = the declared
  // alleles, and each group's counts (see sites/genotype_tally.h).  Every
  // diploid call (phased or not) is counted; missing, half-missing, haploid
  // and polyploid calls are skipped.  *at_end is true at the end of the
  // input instead.  A fault of kind input, with a one-line message naming
  // the file and, where it applies, the site (chromosome:position), when
  // the input is truncated or corrupt; of kind resource when a record does
  // not fit in memory.  A contig, INFO, FORMAT or FILTER field the header
  // does not declare is not an error: it is read as htslib reads it and
  // gives one warning (see take_warnings) the first time it appears.
  status next(site_record* site, bool* at_end) override;

  std::vector<std::string> take_warnings() override;

  // For writing the records back out.  The header the records are read
  // with: htslib's copy, which declares, as they are read, the contigs and
  // fields the records use undeclared.  Owned by the reader; null before
  // open.
  bcf_hdr_t* header() const;
  // The record of the site the last next() gave, unpacked; owned by the
  // reader and overwritten by the next call.
  bcf1_t* record() const;
  // Adds a line ("##INFO=<...>") to header() after open and before the
  // first next(), so that the records are read and written with it; what it
  // declares is declared, not reported as undeclared.  A fault of kind
  // input, with a one-line message naming the file, when htslib does not
  // take the line; of kind usage before open.
  status add_header_line(const std::string& line);

 private:
  struct impl;
  std::unique_ptr<impl> impl_;
};

}  // namespace drevel

#endif
