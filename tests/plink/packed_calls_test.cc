// The byte-at-a-time count of packed calls against a count call by call:
// every sample count around the padded last byte and the spill of the
// packed sums (63 bytes), the whole record and chosen samples, repeats
// included.
#include "plink/packed_calls.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

TEST(packed_calls, equal_a_count_call_by_call) {
  std::mt19937 rng(4);
  for (int64_t n : {0, 1, 3, 4, 5, 251, 252, 253, 256, 1001}) {
    std::vector<int> codes(static_cast<size_t>(n));
    std::vector<uint8_t> record(static_cast<size_t>((n + 3) / 4) + 1, 0);
    for (int64_t s = 0; s < n; s++) {
      // Mostly one code, as at a rare variant, so that a field runs high.
      codes[s] = rng() % 8 == 0 ? static_cast<int>(rng() % 4) : 3;
      record[s / 4] |= static_cast<uint8_t>(codes[s] << (2 * (s % 4)));
    }
    record[n / 4] |= static_cast<uint8_t>(0xff << (2 * (n % 4)));  // padding that must not count
    drevel::code_counts all = drevel::count_codes(record.data(), drevel::select_all(n));
    int64_t expected[4] = {0, 0, 0, 0};
    for (int c : codes) expected[c]++;
    for (int c = 0; c < 4; c++) EXPECT_EQ(all.n[c], expected[c]) << n;

    std::vector<int64_t> chosen;
    int64_t some[4] = {0, 0, 0, 0};
    std::vector<bool> seen(static_cast<size_t>(n), false);
    for (int64_t s = n - 1; s >= 0; s--)
      if (rng() % 3 != 0) {
        chosen.push_back(s);
        if (rng() % 5 == 0) chosen.push_back(s);  // listed twice, counted once
        if (!seen[s]) some[codes[s]]++;
        seen[s] = true;
      }
    drevel::code_counts part = drevel::count_codes(record.data(), drevel::select_samples(chosen));
    for (int c = 0; c < 4; c++) EXPECT_EQ(part.n[c], some[c]) << n;
  }
}

}  // namespace
