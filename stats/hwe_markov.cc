#include "stats/hwe_markov.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <utility>

namespace drevel {

namespace {

// The cell of genotype (a, b), 0-based alleles, in lower-triangle order.
inline size_t cell(int a, int b) {
  if (a < b) std::swap(a, b);
  return static_cast<size_t>(a * (a + 1) / 2 + b);
}

}  // namespace

hwe_markov_p hwe_markov(const std::vector<double>& counts, int k,
                        const hwe_markov_length& length) {
  hwe_markov_p out;
  // The individuals, two allele copies each, in cell order.
  std::vector<int> copies;
  std::vector<int64_t> n(counts.size(), 0);
  std::vector<int64_t> allele(static_cast<size_t>(k), 0);
  for (int a = 0; a < k; a++)
    for (int b = 0; b <= a; b++) {
      const int64_t m = std::llround(counts[cell(a, b)]);
      n[cell(a, b)] = m;
      allele[static_cast<size_t>(a)] += m;
      allele[static_cast<size_t>(b)] += m;
      for (int64_t i = 0; i < m; i++) {
        copies.push_back(a);
        copies.push_back(b);
      }
    }
  const int64_t individuals = static_cast<int64_t>(copies.size() / 2);
  int present = 0;
  for (int64_t x : allele) present += x > 0;
  if (individuals == 0) return out;
  if (present < 2) {
    out.midp = 0.5;
    return out;
  }
  // log(m) for m = 1..individuals: the change of log P when a cell's count
  // moves by one.
  std::vector<double> log_of(static_cast<size_t>(individuals) + 2, 0.0);
  for (size_t m = 1; m < log_of.size(); m++) log_of[m] = std::log(static_cast<double>(m));
  const double log2 = std::log(2.0);
  // log P of the current table relative to the observed one (0 at the start).
  double log_p = 0;
  auto remove = [&](int a, int b) {
    int64_t& m = n[cell(a, b)];
    log_p += log_of[static_cast<size_t>(m)] - (a != b ? log2 : 0);
    m--;
  };
  auto add = [&](int a, int b) {
    int64_t& m = n[cell(a, b)];
    m++;
    log_p += (a != b ? log2 : 0) - log_of[static_cast<size_t>(m)];
  };
  std::mt19937_64 rng;  // the standard's default seed: the same chain every run
  const uint64_t slots = static_cast<uint64_t>(copies.size());
  // A copy drawn at random: the high half of a 64 x 64-bit product, which
  // maps the generator's output onto 0..slots-1 without a division.
  auto draw = [&]() {
    return static_cast<size_t>((static_cast<unsigned __int128>(rng()) * slots) >> 64);
  };
  auto step = [&]() {
    const size_t p = draw(), q = draw();
    if ((p >> 1) == (q >> 1) || copies[p] == copies[q]) return;  // the same table
    remove(copies[p], copies[p ^ 1]);
    remove(copies[q], copies[q ^ 1]);
    std::swap(copies[p], copies[q]);
    add(copies[p], copies[p ^ 1]);
    add(copies[q], copies[q ^ 1]);
  };
  for (int64_t s = 0; s < length.burn_in; s++) step();
  // Tables within a relative 1e-9 of the observed probability count as
  // equally likely (the sums of logarithms carry rounding).
  const double tie = 1e-9;
  double sum = 0, sum_sq = 0, below = 0, equal = 0;
  for (int64_t b = 0; b < length.batches; b++) {
    int64_t hits = 0;
    for (int64_t s = 0; s < length.batch_steps; s++) {
      step();
      if (log_p <= tie) {
        hits++;
        if (log_p >= -tie) equal++;
        else below++;
      }
    }
    const double share = static_cast<double>(hits) / static_cast<double>(length.batch_steps);
    sum += share;
    sum_sq += share * share;
  }
  const double batches = static_cast<double>(length.batches);
  const double steps = batches * static_cast<double>(length.batch_steps);
  out.p = (below + equal) / steps;
  out.midp = (below + 0.5 * equal) / steps;
  const double mean = sum / batches;
  const double var = batches > 1 ? (sum_sq - batches * mean * mean) / (batches - 1) : 0;
  out.se = std::sqrt(std::max(0.0, var) / batches);
  return out;
}

}  // namespace drevel
