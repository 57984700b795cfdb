// One site of a batch input as its reader gives it: the columns that name it
// and, for each group of samples, the calls counted there.  Every batch format
// (VCF, BCF, Genepop) fills the same record, so the table, the pool and the
// computation know no format: the label columns are the format's own text.
#ifndef DREVEL_SITES_SITE_RECORD_H
#define DREVEL_SITES_SITE_RECORD_H

#include <cstdint>
#include <string>
#include <vector>

namespace drevel {

// Sites with more alleles than this are not computed unless the user raises
// the limit: the Monte Carlo work of a site grows as c^2 (c = k(k+1)/2 cells
// per draw, and at least 500*c draws by default), about k^4.
const int default_max_alleles = 20;
// The largest k whose default maxmc, 10000*c, fits in 32 bits.
const int largest_max_alleles = 654;

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

// Whether a record's groups are also combined into one joint row, the
// evidence for equilibrium in every group at once (--joint).
enum class joint_rows {
  none,          // one row per group
  after_groups,  // one row per group, then the joint row
  only,          // the joint row alone: the groups are only its factors (the
                 // populations of a locus, or the loci of a population)
};

struct site_record {
  // The columns that name the site in its row, as its format writes them
  // (VCF: CHROM, POS, ID, REF, ALT; Genepop: POP, FIRST_INDIVIDUAL, LOCUS).
  std::vector<std::string> labels;
  // Where the format lists the tested alleles by name in the row's last
  // column (Genepop: the codes as written, in increasing order): the names
  // of the k declared alleles; empty otherwise.
  std::vector<std::string> allele_names;

  // The alleles the input declares: 1 + the ALT alleles of a VCF site; the
  // distinct codes of the locus in the whole Genepop file; 0 for a joint
  // row whose factors are different loci.
  int k = 1;
  // True when every declared allele is tested, seen or not (--declared-alleles):
  // a group with a single tested allele is then computed like any other.
  bool declared_alleles = false;
  // One entry per group, in the groups' order; one when the input has none.
  std::vector<group_counts> groups;
  joint_rows joint = joint_rows::none;
};

}  // namespace drevel

#endif
