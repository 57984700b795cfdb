// The tested alleles and the counts over them: seen alleles in declared
// order, the declared alleles on request, groups apart, the allele limit,
// and buffers reused from site to site.
#include "sites/genotype_tally.h"

#include <gtest/gtest.h>

#include <random>

using namespace drevel;

TEST(genotype_tally, tests_the_seen_alleles_in_declared_order) {
  genotype_tally tally;
  std::vector<group_counts> groups;
  // Four declared alleles; 1 is never seen.  Calls in either order.
  tally.start(4, 1);
  tally.add_call(0, 3, 0);
  tally.add_call(0, 0, 3);
  tally.add_call(0, 2, 2);
  tally.add_call(0, 0, 0);
  tally.add_skipped(0);
  tally.finish(false, 20, &groups);
  ASSERT_EQ(groups.size(), 1u);
  const group_counts& g = groups[0];
  EXPECT_EQ(g.tested, (std::vector<int>{0, 2, 3}));
  EXPECT_EQ(g.allele_counts, (std::vector<int64_t>{4, 2, 2}));
  // Cells over the tested alleles: (0,0) (2,0) (2,2) (3,0) (3,2) (3,3).
  EXPECT_EQ(g.counts, (std::vector<double>{1, 0, 1, 2, 0, 0}));
  EXPECT_EQ(g.called, 4);
  EXPECT_EQ(g.skipped, 1);
  EXPECT_EQ(g.heterozygous, 2);

  // The declared alleles: today's cells over all four.
  tally.start(4, 1);
  tally.add_call(0, 3, 0);
  tally.add_call(0, 0, 3);
  tally.add_call(0, 2, 2);
  tally.add_call(0, 0, 0);
  tally.finish(true, 20, &groups);
  EXPECT_EQ(groups[0].tested, (std::vector<int>{0, 1, 2, 3}));
  EXPECT_EQ(groups[0].allele_counts, (std::vector<int64_t>{4, 0, 2, 2}));
  EXPECT_EQ(groups[0].counts, (std::vector<double>{1, 0, 0, 0, 0, 1, 2, 0, 0, 0}));
  EXPECT_EQ(groups[0].skipped, 0);  // the previous site is forgotten
}

TEST(genotype_tally, groups_are_counted_apart) {
  genotype_tally tally;
  std::vector<group_counts> groups(5);  // more than needed: resized
  tally.start(3, 3);
  tally.add_call(0, 0, 0);
  tally.add_call(0, 0, 1);
  tally.add_call(1, 2, 2);
  tally.add_skipped(1);
  tally.add_skipped(2);
  tally.finish(false, 20, &groups);
  ASSERT_EQ(groups.size(), 3u);
  EXPECT_EQ(groups[0].tested, (std::vector<int>{0, 1}));
  EXPECT_EQ(groups[0].counts, (std::vector<double>{1, 1, 0}));
  EXPECT_EQ(groups[1].tested, (std::vector<int>{2}));  // monomorphic
  EXPECT_EQ(groups[1].counts, (std::vector<double>{1}));
  EXPECT_EQ(groups[1].skipped, 1);
  EXPECT_TRUE(groups[2].tested.empty());  // no calls
  EXPECT_TRUE(groups[2].counts.empty());
  EXPECT_EQ(groups[2].called, 0);
  EXPECT_EQ(groups[2].skipped, 1);
}

TEST(genotype_tally, counts_only_up_to_the_allele_limit) {
  genotype_tally tally;
  std::vector<group_counts> groups;
  tally.start(6, 1);
  tally.add_call(0, 0, 1);
  tally.add_call(0, 2, 3);
  tally.add_call(0, 5, 5);
  tally.finish(false, 4, &groups);
  EXPECT_EQ(groups[0].tested.size(), 5u);
  EXPECT_TRUE(groups[0].counts.empty());
  EXPECT_EQ(groups[0].allele_counts, (std::vector<int64_t>{1, 1, 1, 1, 2}));
  EXPECT_EQ(groups[0].called, 3);
  // Four seen alleles are within the limit, however many are declared.
  tally.start(6, 1);
  tally.add_call(0, 0, 1);
  tally.add_call(0, 2, 5);
  tally.finish(false, 4, &groups);
  EXPECT_EQ(groups[0].tested, (std::vector<int>{0, 1, 2, 5}));
  EXPECT_EQ(groups[0].counts.size(), 10u);
}

// Sites of many declared alleles keep their calls instead of a cell per
// declared genotype; both ways give the same counts.
TEST(genotype_tally, many_declared_alleles_count_the_same_way) {
  std::mt19937 rng(3);
  const int used[] = {0, 5, 33, 39};  // alleles of a 40-allele site; 0..3 of a 4-allele one
  genotype_tally wide, narrow;
  std::vector<group_counts> from_wide, from_narrow;
  for (int trial = 0; trial < 20; trial++) {
    wide.start(40, 2);
    narrow.start(4, 2);
    for (int n = 0; n < 50; n++) {
      int g = static_cast<int>(rng() % 2), a = static_cast<int>(rng() % (1 + trial % 4)),
          b = static_cast<int>(rng() % 4);
      // Several calls at once on the wide site (its calls are kept, not
      // counted into cells), one by one on the narrow one.
      int64_t m = 1 + static_cast<int64_t>(rng() % 3);
      wide.add_calls(g, used[a], used[b], m);
      for (int64_t i = 0; i < m; i++) narrow.add_call(g, a, b);
    }
    wide.finish(false, 20, &from_wide);
    narrow.finish(false, 20, &from_narrow);
    for (int g = 0; g < 2; g++) {
      EXPECT_EQ(from_wide[g].counts, from_narrow[g].counts) << "trial " << trial;
      EXPECT_EQ(from_wide[g].allele_counts, from_narrow[g].allele_counts);
      ASSERT_EQ(from_wide[g].tested.size(), from_narrow[g].tested.size());
      for (size_t t = 0; t < from_wide[g].tested.size(); t++)
        EXPECT_EQ(from_wide[g].tested[t], used[from_narrow[g].tested[t]]);
    }
  }
}

TEST(genotype_tally, a_locus_without_alleles) {
  // A Genepop locus whose every genotype is missing has no codes: k = 0.
  // Under the sanitizers this reached into empty tables.
  genotype_tally tally;
  std::vector<group_counts> groups;
  for (bool declared : {false, true}) {
    tally.start(0, 2);
    tally.add_skipped(1);
    tally.finish(declared, 20, &groups);
    ASSERT_EQ(groups.size(), 2u);
    for (const group_counts& g : groups) {
      EXPECT_TRUE(g.tested.empty());
      EXPECT_TRUE(g.counts.empty());
      EXPECT_EQ(g.called, 0);
    }
    EXPECT_EQ(groups[1].skipped, 1);
  }
}
