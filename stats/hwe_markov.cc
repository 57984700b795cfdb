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

// The genotype counts with prefix sums kept up to date (a Fenwick tree), so
// that the cell of the i-th individual in cell order is found, and a count
// changed, in O(log cells).
class cell_counts {
 public:
  explicit cell_counts(const std::vector<int64_t>& n) : tree_(n.size() + 1, 0) {
    for (size_t c = 0; c < n.size(); c++) change(c, n[c]);
    top_ = 1;
    while (top_ * 2 <= n.size()) top_ *= 2;
  }
  void change(size_t c, int64_t by) {
    for (size_t i = c + 1; i < tree_.size(); i += i & (~i + 1)) tree_[i] += by;
  }
  // The cell holding individual i (0-based, in cell order).
  size_t find(int64_t i) const {
    size_t at = 0;
    for (size_t step = top_; step > 0; step >>= 1)
      if (at + step < tree_.size() && tree_[at + step] <= i) {
        at += step;
        i -= tree_[at];
      }
    return at;
  }

 private:
  std::vector<int64_t> tree_;
  size_t top_ = 1;
};

}  // namespace

hwe_markov_p hwe_markov(const std::vector<double>& counts, int k,
                        const hwe_markov_length& length) {
  hwe_markov_p out;
  const size_t cells = static_cast<size_t>(k) * static_cast<size_t>(k + 1) / 2;
  std::vector<int64_t> n(cells, 0);
  std::vector<int> first(cells), second(cells);  // the cell's alleles, first >= second
  std::vector<int64_t> allele(static_cast<size_t>(k), 0);
  int64_t individuals = 0;
  for (int a = 0; a < k; a++)
    for (int b = 0; b <= a; b++) {
      const size_t c = cell(a, b);
      const int64_t m = std::llround(counts[c]);
      n[c] = m;
      first[c] = a;
      second[c] = b;
      allele[static_cast<size_t>(a)] += m;
      allele[static_cast<size_t>(b)] += m;
      individuals += m;
    }
  int present = 0;
  for (int64_t x : allele) present += x > 0;
  if (individuals == 0) return out;
  if (present < 2) {
    out.midp = 0.5;
    return out;
  }
  const double log2 = std::log(2.0);
  // log P of the current table relative to the observed one (0 at the
  // start); a cell's count moving by one changes it by log(m).
  double log_p = 0;
  cell_counts table(n);
  auto remove = [&](int a, int b) {
    const size_t c = cell(a, b);
    log_p += std::log(static_cast<double>(n[c])) - (a != b ? log2 : 0);
    n[c]--;
    table.change(c, -1);
  };
  auto add = [&](int a, int b) {
    const size_t c = cell(a, b);
    n[c]++;
    table.change(c, +1);
    log_p += (a != b ? log2 : 0) - std::log(static_cast<double>(n[c]));
  };
  std::mt19937_64 rng;  // the standard's default seed: the same chain every run
  // The 2n allele copies, two to an individual in cell order.  A copy drawn
  // at random: the high half of a 64 x 64-bit product, which maps the
  // generator's output onto 0..2n-1 without a division.
  const uint64_t slots = 2 * static_cast<uint64_t>(individuals);
  auto draw = [&]() {
    return static_cast<int64_t>((static_cast<unsigned __int128>(rng()) * slots) >> 64);
  };
  auto step = [&]() {
    const int64_t p = draw(), q = draw();
    if ((p >> 1) == (q >> 1)) return;  // two copies of one individual: the same table
    const size_t cp = table.find(p >> 1), cq = table.find(q >> 1);
    // The drawn copy and the individual's other one.
    const int x = (p & 1) ? second[cp] : first[cp], x_other = (p & 1) ? first[cp] : second[cp];
    const int y = (q & 1) ? second[cq] : first[cq], y_other = (q & 1) ? first[cq] : second[cq];
    if (x == y) return;  // exchanging equal alleles leaves the table
    remove(x, x_other);
    remove(y, y_other);
    add(y, x_other);
    add(x, y_other);
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
