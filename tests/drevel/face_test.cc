// The face for embedding programs: many loci on threads give each locus the
// values of the one-locus call, bit for bit and in order, whatever the
// engine; arguments it cannot take are faults, not crashes; a long call
// can be interrupted.
#include "drevel/many_loci.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "drevel/evidence.h"
#include "support/sanitized.h"

using namespace drevel;

namespace {

bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

void expect_same(const evidence_row& a, const evidence_row& b) {
  EXPECT_EQ(a.status, b.status);
  EXPECT_TRUE(same_bits(a.evidence, b.evidence)) << a.evidence << " " << b.evidence;
  EXPECT_TRUE(same_bits(a.L_max, b.L_max));
  EXPECT_TRUE(same_bits(a.L_hyp, b.L_hyp));
  EXPECT_TRUE(same_bits(a.mc_se, b.mc_se));
  EXPECT_EQ(a.draws, b.draws);
  EXPECT_EQ(a.hits, b.hits);
  EXPECT_EQ(a.at_maxmc, b.at_maxmc);
  EXPECT_EQ(a.fault, b.fault);
  EXPECT_EQ(a.mode, b.mode);
  EXPECT_EQ(a.fit, b.fit);
}

// Loci of 1 to 7 alleles, small and large counts, some without calls, one
// beyond double precision.
std::vector<std::vector<double>> mixed_loci(int n) {
  std::mt19937 rng(31);
  std::vector<std::vector<double>> loci;
  for (int i = 0; i < n; i++) {
    const int k = 1 + static_cast<int>(rng() % 7);
    std::vector<double> counts(static_cast<size_t>(k * (k + 1) / 2));
    const int scale = i % 5 == 0 ? 0 : i % 3 == 0 ? 400 : 25;
    for (double& x : counts) x = scale ? static_cast<double>(rng() % scale) : 0;
    loci.push_back(counts);
  }
  loci.push_back({1e13, 1e3, 0});
  return loci;
}


// In a child process: 200 threads in 400 MB of address space.  0 when the
// call returned the resource fault.
int beyond_the_memory(bool literal) {
  rlimit limit;
  limit.rlim_cur = limit.rlim_max = rlim_t{400} << 20;
  if (setrlimit(RLIMIT_AS, &limit) != 0) return 2;
  evidence_tuning tuning;
  tuning.literal = literal;
  std::vector<evidence_row> rows;
  const status s = compute_many_loci(mixed_loci(300), tuning, 200, &rows);
  const bool heard = s.kind() == fault_kind::resource &&
                     s.message().rfind("cannot run 200 threads: ", 0) == 0;
  return heard ? 0 : 3;
}

}  // namespace

TEST(face, many_loci_equal_one_locus_calls_in_order) {
  const std::vector<std::vector<double>> loci = mixed_loci(120);
  evidence_tuning tuning;
  tuning.maxmc = 5000;
  std::vector<evidence_row> one;
  for (const auto& counts : loci) {
    evidence_row row;
    ASSERT_TRUE(compute_evidence(counts, tuning, &row).is_ok());
    one.push_back(row);
  }
  int computed = 0, lost = 0;
  for (const evidence_row& r : one) {
    computed += r.status == row_status::computed;
    lost += r.status == row_status::lost_to_rounding;
  }
  EXPECT_GT(computed, 50);
  EXPECT_EQ(lost, 1);
  EXPECT_FALSE(one.back().fault.empty());
  for (bool literal : {false, true}) {
    for (int threads : {1, 2}) {
      SCOPED_TRACE(::testing::Message() << "literal " << literal << ", threads " << threads);
      evidence_tuning t = tuning;
      t.literal = literal;
      std::vector<evidence_row> many;
      ASSERT_TRUE(compute_many_loci(loci, t, threads, &many).is_ok());
      ASSERT_EQ(many.size(), loci.size());
      for (size_t i = 0; i < loci.size(); i++) {
        SCOPED_TRACE(i);
        expect_same(many[i], one[i]);
        if (::testing::Test::HasFailure()) return;
      }
    }
  }
}

TEST(face, arguments_it_cannot_take_are_usage_faults) {
  evidence_row row;
  row.draws = 7;
  const evidence_tuning tuning;
  status s = compute_evidence({1, 2}, tuning, &row);
  EXPECT_EQ(s.kind(), fault_kind::usage);
  EXPECT_NE(s.message().find("k(k+1)/2"), std::string::npos);
  EXPECT_EQ(compute_evidence({1, -2, 3}, tuning, &row).kind(), fault_kind::usage);
  EXPECT_EQ(compute_evidence({1, NAN, 3}, tuning, &row).kind(), fault_kind::usage);
  EXPECT_EQ(compute_evidence({}, tuning, &row).kind(), fault_kind::usage);
  EXPECT_EQ(row.draws, 7);  // untouched
  std::vector<evidence_row> rows;
  s = compute_many_loci({{1, 2, 3}, {1, 2}}, tuning, 1, &rows);
  EXPECT_EQ(s.kind(), fault_kind::usage);
  EXPECT_EQ(s.message().rfind("locus 2: ", 0), 0u) << s.message();
  EXPECT_EQ(compute_many_loci({{1, 2, 3}}, tuning, 0, &rows).kind(), fault_kind::usage);
  EXPECT_EQ(alleles_of_cells(1), 1);
  EXPECT_EQ(alleles_of_cells(210), 20);
  EXPECT_EQ(alleles_of_cells(211), 0);
  EXPECT_EQ(alleles_of_cells(0), 0);
}

// Threads whose stacks or engines do not fit are a fault the caller hears,
// not an exception that ends the embedding program.
TEST(face, threads_beyond_the_memory_are_a_resource_fault) {
  if (sanitized) GTEST_SKIP() << "address space limits do not apply under the sanitizers";
  for (bool literal : {false, true})
    EXPECT_EXIT(std::_Exit(beyond_the_memory(literal)), testing::ExitedWithCode(0), "")
        << (literal ? "literal" : "fast");
}

TEST(face, an_interrupted_call_stops_with_a_fault) {
  // Loci long enough that the call is still running at the first poll.
  std::vector<std::vector<double>> loci(400, std::vector<double>(28, 3.0));
  evidence_tuning tuning;
  tuning.precision = 1e-9;
  tuning.minmc = tuning.maxmc = 1000000;
  std::vector<evidence_row> rows;
  int asked = 0;
  status s = compute_many_loci(loci, tuning, 2, &rows, [&asked] { return ++asked >= 2; });
  EXPECT_EQ(s.kind(), fault_kind::interrupted);
  EXPECT_GE(asked, 2);
}

TEST(face, an_interrupted_call_of_many_short_loci_stops_too) {
  // Each locus takes far less than a wait for a result lasts, so waits
  // hardly ever time out: the caller must be asked by the clock, or the
  // third question comes only after minutes of work, if at all.
  std::vector<std::vector<double>> loci;
  for (int i = 0; i < 1000000; i++)
    loci.push_back({1000.0 + i, static_cast<double>(i % 1000), 5.0});
  std::vector<evidence_row> rows;
  int asked = 0;
  status s = compute_many_loci(loci, evidence_tuning(), 2, &rows, [&asked] { return ++asked >= 3; });
  EXPECT_EQ(s.kind(), fault_kind::interrupted);
}
