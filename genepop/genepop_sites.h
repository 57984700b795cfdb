// The records of a Genepop file: one per population and locus, population
// by population, loci in the file's order.  The alleles of a locus are its
// distinct codes in the whole file in increasing order (allele 1 the
// smallest); a record tests the codes seen in its population, so that its
// counts are those of a classic run written in increasing code order.
#ifndef DREVEL_GENEPOP_GENEPOP_SITES_H
#define DREVEL_GENEPOP_GENEPOP_SITES_H

#include <cstdint>
#include <string>
#include <vector>

#include "genepop/genepop_file.h"
#include "sites/genotype_tally.h"
#include "sites/site_source.h"
#include "sites/site_table.h"

namespace drevel {

// The table's columns around the computed ones: #POP POP_NAME
// FIRST_INDIVIDUAL LOCUS (the population's 1-based number, the text after
// "Pop" on its line, its first individual's name, "." for either when
// there is none, the locus) and ALLELES, the codes of the tested alleles.
table_layout genepop_table_layout();

class genepop_sites : public site_source {
 public:
  // Takes the file's contents; groups with more than max_alleles tested
  // codes get no genotype counts.  With `joint`, joint rows follow
  // (site_record::joint, joint_rows::only): after each population's records
  // one for the population across its loci (LOCUS "*", k 0, one group per
  // locus), and after every population one per locus across the
  // populations (POP and POP_NAME "*", FIRST_INDIVIDUAL ".", one group per
  // population).
  genepop_sites(genepop_file file, int max_alleles, bool joint = false);

  // The next record: population (1-based), first individual, locus, k = the
  // locus's distinct codes in the file, their codes as written (zero-padded
  // to the file's width), and one group: the population's calls, a genotype
  // with a missing code skipped.  *at_end is true after the last; never
  // fails.
  status next(site_record* site, bool* at_end) override;

 private:
  // The counts of one population at locus l (of k codes), as the group of
  // *groups.
  void tally(size_t population, size_t l, int k, std::vector<group_counts>* groups);
  void population_labels(size_t population, const std::string& locus, site_record* site) const;

  genepop_file file_;
  int max_alleles_;
  bool joint_;
  std::vector<group_counts> one_;  // a tally's group, before it joins a joint record
  // Per locus: the distinct codes in increasing order, as written.
  std::vector<std::vector<std::string>> codes_;
  // Each population's codes replaced by allele indices + 1 (0: missing).
  std::vector<std::vector<uint16_t>> alleles_;
  size_t population_ = 0, locus_ = 0;
  genotype_tally tally_;
};

}  // namespace drevel

#endif
