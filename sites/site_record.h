// One site of a batch input as its reader gives it: the columns that name it
// and, for each group of samples, the calls counted there.  Every batch format
// (VCF, BCF, Genepop) fills the same record, so the table, the pool and the
// computation know no format.
#ifndef DREVEL_SITES_SITE_RECORD_H
#define DREVEL_SITES_SITE_RECORD_H

#include <cstdint>
#include <string>
#include <vector>

namespace drevel {

// The counted calls of one group of samples at one site.
struct group_counts {
  // The alleles tested, as 0-based indices into the site's k alleles, in
  // increasing order: the alleles carried by at least one counted call of
  // the group, or all k when the site's declared alleles are tested.
  std::vector<int> tested;
  // allele_counts[t]: the copies of allele tested[t] among the counted calls
  // (two for each homozygote).
  std::vector<int64_t> allele_counts;
  // The c = t(t+1)/2 genotype counts over the t tested alleles in
  // lower-triangle order: counts[n - 1] is cell n, so the cell of tested
  // alleles (i, j), i >= j, 1-based positions in `tested`, is at
  // posvectinf(i, j) - 1.  Empty when t is above the reader's allele limit:
  // the group is then not computed.
  std::vector<double> counts;
  int64_t called = 0, skipped = 0;  // diploid calls counted; calls not counted
  int64_t heterozygous = 0;         // counted calls of two different alleles
};

struct site_record {
  // VCF: the five columns as read (alt "." if the site has no ALT allele).
  std::string chrom, id, ref, alt;
  int64_t pos = 0;  // 1-based
  // Genepop: the population's 1-based index, the name of its first
  // individual, the locus, and the code of each of the k alleles as written
  // in the file, in increasing order.
  int64_t population = 0;
  std::string first_individual, locus;
  std::vector<std::string> allele_codes;

  // The alleles the input declares: 1 + the ALT alleles of a VCF site; the
  // distinct codes of the locus in the whole Genepop file.
  int k = 1;
  // True when every declared allele is tested, seen or not (--declared-alleles):
  // a group with a single tested allele is then computed like any other.
  bool declared_alleles = false;
  // One entry per group, in the groups' order; one when the input has none.
  std::vector<group_counts> groups;
};

}  // namespace drevel

#endif
