// Sites of a VCF, bgzipped VCF or BCF file, read with htslib, with their
// genotype counts over the diploid calls of the chosen samples.
#ifndef DREVEL_VCF_VCF_READER_H
#define DREVEL_VCF_VCF_READER_H

#include <memory>
#include <string>
#include <vector>

#include "sites/site_evidence.h"

namespace drevel {

// How --regions chooses sites: every record whose reference span overlaps a
// region (bcftools' default), or only those whose POS lies in one, so that
// regions that tile a genome give every record to exactly one of them.
enum class region_overlap { record, pos };

class vcf_reader {
 public:
  vcf_reader();
  ~vcf_reader();
  vcf_reader(const vcf_reader&) = delete;
  vcf_reader& operator=(const vcf_reader&) = delete;

  // Opens path ("-" for standard input) and reads its header.  samples, when
  // given, chooses the samples whose calls are counted, by name; otherwise
  // all samples count.  regions, when not empty, restricts the sites to
  // those overlapping any of the "chr", "chr:pos" or "chr:begin-end" items
  // (1-based, inclusive), read through the index next to the file (.csi for
  // BCF, .tbi or .csi for bgzipped VCF); every site is read once, in file
  // order, however the regions overlap.  Sites with more than max_alleles
  // alleles get no counts (only their calls are tallied).  Returns false with
  // a one-line message naming the file in *error (no line end).
  bool open(const std::string& path, const std::vector<std::string>& regions,
            const std::vector<std::string>* samples, int max_alleles, std::string* error);

  // Chooses how the regions given to open select sites; record (the
  // default) until changed.  Call before open.
  void set_region_overlap(region_overlap overlap);

  // Reads the next site into *site.  Returns 1 for a site, 0 at the end of
  // the input, -1 with a one-line message in *error naming the file and,
  // where it applies, the site (chromosome:position) when the input is
  // truncated or corrupt.
  int next(site_record* site, std::string* error);

 private:
  struct impl;
  std::unique_ptr<impl> impl_;
  region_overlap overlap_ = region_overlap::record;
};

}  // namespace drevel

#endif
