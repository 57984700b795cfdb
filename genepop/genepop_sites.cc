#include "genepop/genepop_sites.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace drevel {

genepop_sites::genepop_sites(genepop_file file, int max_alleles)
    : file_(std::move(file)), max_alleles_(max_alleles) {
  const size_t loci = file_.loci.size();
  const int largest_code = file_.code_digits == 3 ? 999 : 99;
  for (const genepop_population& pop : file_.populations) alleles_.emplace_back(pop.codes.size());
  codes_.resize(loci);
  // Locus by locus: which codes occur anywhere, their ranks, and every
  // code replaced by its rank.
  std::vector<int> rank(static_cast<size_t>(largest_code) + 1);
  char text[8];
  for (size_t l = 0; l < loci; l++) {
    std::fill(rank.begin(), rank.end(), 0);
    for (const genepop_population& pop : file_.populations)
      for (size_t at = 2 * l; at < pop.codes.size(); at += 2 * loci) {
        rank[pop.codes[at]] = 1;
        rank[pop.codes[at + 1]] = 1;
      }
    int next = 0;
    for (int code = 1; code <= largest_code; code++) {
      if (!rank[code]) continue;
      rank[code] = ++next;
      std::snprintf(text, sizeof text, "%0*d", file_.code_digits, code);
      codes_[l].push_back(text);
    }
    rank[0] = 0;
    for (size_t p = 0; p < file_.populations.size(); p++) {
      const std::vector<uint16_t>& codes = file_.populations[p].codes;
      for (size_t at = 2 * l; at < codes.size(); at += 2 * loci) {
        alleles_[p][at] = static_cast<uint16_t>(rank[codes[at]]);
        alleles_[p][at + 1] = static_cast<uint16_t>(rank[codes[at + 1]]);
      }
    }
  }
  for (genepop_population& pop : file_.populations) std::vector<uint16_t>().swap(pop.codes);
}

table_layout genepop_table_layout() {
  table_layout layout;
  layout.labels = genepop_label_columns();
  layout.alleles = true;
  return layout;
}

status genepop_sites::next(site_record* site, bool* at_end) {
  const size_t loci = file_.loci.size();
  *at_end = population_ >= file_.populations.size();
  if (*at_end) return status::ok();
  const genepop_population& pop = file_.populations[population_];
  const std::vector<uint16_t>& alleles = alleles_[population_];
  const size_t l = locus_;

  site->labels.resize(4);
  site->labels[0] = std::to_string(population_ + 1);
  site->labels[1] = pop.name.empty() ? std::string(".") : pop.name;
  site->labels[2] = pop.first_individual.empty() ? std::string(".") : pop.first_individual;
  site->labels[3] = file_.loci[l];
  site->allele_names = codes_[l];
  site->k = static_cast<int>(codes_[l].size());
  site->declared_alleles = false;
  tally_.start(site->k, 1);
  for (int64_t i = 0; i < pop.individuals; i++) {
    size_t at = (static_cast<size_t>(i) * loci + l) * 2;
    int a = alleles[at], b = alleles[at + 1];
    if (a == 0 || b == 0)
      tally_.add_skipped(0);
    else
      tally_.add_call(0, a - 1, b - 1);
  }
  tally_.finish(false, max_alleles_, &site->groups);

  if (++locus_ == loci) {
    locus_ = 0;
    population_++;
  }
  return status::ok();
}

}  // namespace drevel
