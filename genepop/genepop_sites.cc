#include "genepop/genepop_sites.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace drevel {

genepop_sites::genepop_sites(genepop_file file, int max_alleles, bool joint)
    : file_(std::move(file)), max_alleles_(max_alleles), joint_(joint) {
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

void genepop_sites::tally(size_t population, size_t l, int k, std::vector<group_counts>* groups) {
  const size_t loci = file_.loci.size();
  const genepop_population& pop = file_.populations[population];
  const std::vector<uint16_t>& alleles = alleles_[population];
  tally_.start(k, 1);
  for (int64_t i = 0; i < pop.individuals; i++) {
    size_t at = (static_cast<size_t>(i) * loci + l) * 2;
    int a = alleles[at], b = alleles[at + 1];
    if (a == 0 || b == 0)
      tally_.add_skipped(0);
    else
      tally_.add_call(0, a - 1, b - 1);
  }
  tally_.finish(false, max_alleles_, groups);
}

void genepop_sites::population_labels(size_t population, const std::string& locus,
                                      site_record* site) const {
  const genepop_population& pop = file_.populations[population];
  site->labels.resize(4);
  site->labels[0] = std::to_string(population + 1);
  site->labels[1] = pop.name.empty() ? std::string(".") : pop.name;
  site->labels[2] = pop.first_individual.empty() ? std::string(".") : pop.first_individual;
  site->labels[3] = locus;
}

status genepop_sites::next(site_record* site, bool* at_end) {
  const size_t loci = file_.loci.size();
  const size_t populations = file_.populations.size();
  *at_end = false;
  site->declared_alleles = false;
  site->joint = joint_rows::none;
  if (joint_ && population_ < populations && locus_ == loci) {
    // The population across its loci.
    population_labels(population_, joint_label, site);
    site->allele_names.clear();
    site->k = 0;
    site->groups.clear();
    for (size_t l = 0; l < loci; l++) {
      tally(population_, l, static_cast<int>(codes_[l].size()), &one_);
      site->groups.push_back(std::move(one_[0]));
    }
    site->joint = joint_rows::only;
    locus_ = 0;
    population_++;
    return status::ok();
  }
  if (population_ >= populations) {
    // Each locus across the populations, once every population is written.
    if (!joint_ || loci == 0 || populations == 0 || locus_ >= loci) {
      *at_end = true;
      return status::ok();
    }
    const size_t l = locus_++;
    site->labels = {joint_label, joint_label, ".", file_.loci[l]};
    site->allele_names = codes_[l];
    site->k = static_cast<int>(codes_[l].size());
    site->groups.clear();
    for (size_t p = 0; p < populations; p++) {
      tally(p, l, site->k, &one_);
      site->groups.push_back(std::move(one_[0]));
    }
    site->joint = joint_rows::only;
    return status::ok();
  }

  const size_t l = locus_;
  population_labels(population_, file_.loci[l], site);
  site->allele_names = codes_[l];
  site->k = static_cast<int>(codes_[l].size());
  tally(population_, l, site->k, &site->groups);

  // With joint rows the population's own row comes next (locus_ == loci).
  if (++locus_ == loci && !joint_) {
    locus_ = 0;
    population_++;
  }
  return status::ok();
}

}  // namespace drevel
