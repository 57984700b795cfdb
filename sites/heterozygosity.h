// Observed and expected heterozygosity of a group's counted calls and the
// fixation index, the columns that tell the direction of a departure from
// equilibrium.
#ifndef DREVEL_SITES_HETEROZYGOSITY_H
#define DREVEL_SITES_HETEROZYGOSITY_H

#include <optional>

#include "sites/site_record.h"

namespace drevel {

// With n counted calls, h of them heterozygous, and p_t = copies_t / (2n)
// the frequency of each tested allele:
//   observed = h / n;
//   expected = 1 - sum over t of p_t^2 (Nei's gene diversity, without the
//     small-sample correction), summed in the order of the tested alleles;
//   F = 1 - observed / expected (Wright's fixation index: positive for a
//     deficit of heterozygotes, negative for an excess).
// observed and expected are empty (undefined) when n = 0; F also when
// expected is 0 (a single allele).
struct heterozygosity {
  std::optional<double> observed, expected, F;
};

heterozygosity group_heterozygosity(const group_counts& group);

}  // namespace drevel

#endif
