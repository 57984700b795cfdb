// The face's counting of genotype calls: from the two allele indices of
// each sample's call at a site (the layout of genotype arrays in Python's
// VCF readers), the genotype counts the command line would compute for that
// site, with its rule for the tested alleles.
#ifndef DREVEL_DREVEL_GENOTYPE_COUNTS_H
#define DREVEL_DREVEL_GENOTYPE_COUNTS_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "fault/status.h"

namespace drevel {

// One site's counts.
struct site_genotypes {
  // The alleles tested (0-based indices, increasing): those carried by a
  // counted call, or all declared ones when they are given.
  std::vector<int> tested;
  // The genotype counts over the tested alleles in the face's cell order
  // (drevel/evidence.h); empty when no allele is tested.
  std::vector<double> counts;
  int64_t called = 0;   // calls counted
  int64_t skipped = 0;  // calls with a negative allele: missing, half-missing, haploid
};

// Reused from site to site, so that its buffers are allocated once.
class genotype_counter {
 public:
  genotype_counter();
  ~genotype_counter();
  genotype_counter(const genotype_counter&) = delete;
  genotype_counter& operator=(const genotype_counter&) = delete;

  // Counts one site from `samples` calls, call s being the alleles
  // calls[2s] and calls[2s + 1]; a call with a negative allele is skipped.
  // declared_alleles 0 tests the alleles seen (the command line's default);
  // n > 0 tests alleles 0..n-1, seen or not (its --declared-alleles).
  // Faults (usage, *out unspecified): declared_alleles negative or above
  // 654, an allele not below declared_alleles, more than 654 alleles tested.
  status count(const int32_t* calls, size_t samples, int declared_alleles, site_genotypes* out);

 private:
  struct impl;
  std::unique_ptr<impl> impl_;
};

}  // namespace drevel

#endif
