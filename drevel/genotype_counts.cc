#include "drevel/genotype_counts.h"

#include <string>
#include <utility>

#include "sites/genotype_tally.h"

namespace drevel {

namespace {
// The tally keeps a count per allele up to the largest index seen: an index
// beyond any real site's alleles is refused rather than allocated for.
constexpr int32_t largest_allele_index = (1 << 20) - 1;
}  // namespace

struct genotype_counter::impl {
  genotype_tally tally;
  std::vector<group_counts> groups;
};

genotype_counter::genotype_counter() : impl_(new impl) {}
genotype_counter::~genotype_counter() = default;

status genotype_counter::count(const int32_t* calls, size_t samples, int declared_alleles,
                               site_genotypes* out) {
  if (declared_alleles < 0 || declared_alleles > largest_max_alleles)
    return status(fault_kind::usage, "declared alleles " + std::to_string(declared_alleles) +
                                         " is outside 0.." + std::to_string(largest_max_alleles));
  // The alleles the tally is started with: the declared ones, or enough for
  // every allele of a counted call (only those seen are tested).
  int k = declared_alleles;
  for (size_t s = 0; s < samples; s++) {
    const int32_t a = calls[2 * s], b = calls[2 * s + 1];
    if (a < 0 || b < 0) continue;
    const int32_t high = a < b ? b : a;
    if (declared_alleles > 0 && high >= declared_alleles)
      return status(fault_kind::usage, "sample " + std::to_string(s + 1) + ": allele " +
                                           std::to_string(high) + " is not below the " +
                                           std::to_string(declared_alleles) + " declared alleles");
    if (high > largest_allele_index)
      return status(fault_kind::usage, "sample " + std::to_string(s + 1) + ": allele " +
                                           std::to_string(high) + " is above " +
                                           std::to_string(largest_allele_index));
    if (high >= k) k = high + 1;
  }
  genotype_tally& tally = impl_->tally;
  tally.start(k, 1);
  for (size_t s = 0; s < samples; s++) {
    const int32_t a = calls[2 * s], b = calls[2 * s + 1];
    if (a < 0 || b < 0)
      tally.add_skipped(0);
    else
      tally.add_call(0, a, b);
  }
  tally.finish(declared_alleles > 0, largest_max_alleles, &impl_->groups);
  group_counts& g = impl_->groups[0];
  if (g.tested.size() > static_cast<size_t>(largest_max_alleles))
    return status(fault_kind::usage, std::to_string(g.tested.size()) +
                                         " alleles tested: more than " +
                                         std::to_string(largest_max_alleles));
  out->tested = std::move(g.tested);
  out->counts = std::move(g.counts);
  out->called = g.called;
  out->skipped = g.skipped;
  return status::ok();
}

}  // namespace drevel
