// The counting of one site's genotype calls, group by group, into the
// record's group_counts: which alleles are tested, their copies, and the
// genotype counts over them.  Every batch reader counts through it, so the
// choice of the tested alleles is the same for every input format.
#ifndef DREVEL_SITES_GENOTYPE_TALLY_H
#define DREVEL_SITES_GENOTYPE_TALLY_H

#include <cstdint>
#include <vector>

#include "sites/site_record.h"

namespace drevel {

// Reused from site to site, so that a reader allocates nothing once its
// buffers have grown to the largest site.
class genotype_tally {
 public:
  // Starts a site with k >= 0 declared alleles and groups >= 1 groups,
  // forgetting the previous site.
  void start(int k, int groups);

  // A diploid call of alleles a and b (0-based, both below k, either order)
  // in group g (below the group count).
  void add_call(int g, int a, int b) { add_calls(g, a, b, 1); }
  // n >= 0 such calls at once, for readers that count calls before they
  // reach the tally (packed PLINK calls, tables of genotype counts): the
  // group_counts are those of n add_call()s.
  void add_calls(int g, int a, int b, int64_t n) {
    int low = a < b ? a : b, high = a < b ? b : a;
    if (dense_)
      cells_[static_cast<size_t>(g) * cells_per_group_ + static_cast<size_t>(high) * (high + 1) / 2 +
             low] += n;
    else if (n > 0)
      calls_.push_back({g, low, high, n});
    copies_[static_cast<size_t>(g) * k_ + low] += n;
    copies_[static_cast<size_t>(g) * k_ + high] += n;
    if (low != high) heterozygous_[g] += n;
    called_[g] += n;
  }
  // A call of group g that is not counted: missing, half-missing, haploid
  // or polyploid; or n >= 0 of them.
  void add_skipped(int g) { skipped_[g]++; }
  void add_skipped(int g, int64_t n) { skipped_[g] += n; }

  // Fills one group_counts per group (resizing *groups, whose vectors are
  // reused).  The tested alleles are every declared one when
  // declared_alleles is true, else those with at least one copy; the
  // genotype counts are kept only when at most max_alleles alleles are
  // tested.
  void finish(bool declared_alleles, int max_alleles, std::vector<group_counts>* groups);

 private:
  struct call {
    int group, low, high;
    int64_t n;  // how many such calls
  };
  // Sites with few alleles count straight into the cells of all declared
  // alleles, then keep the tested alleles' cells; others keep the calls and
  // count them once the tested alleles are known.
  static const int dense_max_alleles = 32;
  int k_ = 0, groups_ = 0;
  bool dense_ = false;
  size_t cells_per_group_ = 0;
  std::vector<int64_t> cells_;  // groups_ x k_(k_+1)/2, when dense_
  std::vector<call> calls_;     // when not dense_
  std::vector<int64_t> copies_;  // groups_ x k_: copies of each allele
  std::vector<int64_t> called_, skipped_, heterozygous_;
  std::vector<int> position_;  // groups_ x k_: 0-based position among the tested, or -1
};

}  // namespace drevel

#endif
