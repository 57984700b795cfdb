#include "sites/genotype_tally.h"

namespace drevel {

void genotype_tally::start(int k, int groups) {
  k_ = k;
  groups_ = groups;
  dense_ = k <= dense_max_alleles;
  cells_per_group_ = dense_ ? static_cast<size_t>(k) * (k + 1) / 2 : 0;
  cells_.assign(cells_per_group_ * groups, 0);
  calls_.clear();
  copies_.assign(static_cast<size_t>(groups) * k, 0);
  called_.assign(groups, 0);
  skipped_.assign(groups, 0);
  heterozygous_.assign(groups, 0);
}

void genotype_tally::finish(bool declared_alleles, int max_alleles,
                            std::vector<group_counts>* groups) {
  groups->resize(groups_);
  // Offsets into the tables by data(): a locus without alleles (k = 0, a
  // Genepop locus whose every genotype is missing) has empty tables.
  position_.assign(static_cast<size_t>(groups_) * k_, -1);
  for (int g = 0; g < groups_; g++) {
    group_counts& out = (*groups)[g];
    out.tested.clear();
    out.allele_counts.clear();
    const int64_t* copies = copies_.data() + static_cast<size_t>(g) * k_;
    int* position = position_.data() + static_cast<size_t>(g) * k_;
    for (int a = 0; a < k_; a++) {
      if (!declared_alleles && copies[a] == 0) continue;
      position[a] = static_cast<int>(out.tested.size());
      out.tested.push_back(a);
      out.allele_counts.push_back(copies[a]);
    }
    size_t t = out.tested.size();
    out.counts.assign(static_cast<int>(t) <= max_alleles ? t * (t + 1) / 2 : 0, 0.0);
    out.called = called_[g];
    out.skipped = skipped_[g];
    out.heterozygous = heterozygous_[g];
    if (!dense_ || out.counts.empty()) continue;
    // Cell (i, j), i >= j, 0-based: i(i+1)/2 + j, posvectinf(i + 1, j + 1) - 1.
    const int64_t* cells = cells_.data() + static_cast<size_t>(g) * cells_per_group_;
    double* counts = out.counts.data();
    for (size_t i = 0; i < t; i++) {
      size_t a = static_cast<size_t>(out.tested[i]);
      for (size_t j = 0; j <= i; j++)
        *counts++ = static_cast<double>(cells[a * (a + 1) / 2 + static_cast<size_t>(out.tested[j])]);
    }
  }
  for (const call& c : calls_) {
    group_counts& out = (*groups)[c.group];
    if (out.counts.empty()) continue;
    const int* position = position_.data() + static_cast<size_t>(c.group) * k_;
    size_t i = static_cast<size_t>(position[c.high]), j = static_cast<size_t>(position[c.low]);
    out.counts[i * (i + 1) / 2 + j] += static_cast<double>(c.n);
  }
}

}  // namespace drevel
