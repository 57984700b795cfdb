#include "fast/draw/stretch_source.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>

using namespace drevel::fast_internal;

namespace {

// A clock that only the test moves.
struct test_clock {
  using duration = std::chrono::nanoseconds;
  using rep = duration::rep;
  using period = duration::period;
  using time_point = std::chrono::time_point<test_clock>;
  static constexpr bool is_steady = true;
  static inline int64_t ns = 0;
  static time_point now() { return time_point(duration(ns)); }
};

// Draws that take `per_draw_ns` each on the test clock, after a first one
// that takes `start_ns` (a walker starting on an idle core); ends after
// `available` draws.
struct timed_source {
  int64_t start_ns, per_draw_ns, available;
  int64_t given = 0;
  int next_hit() {
    if (given == available) return -1;
    test_clock::ns += given == 0 ? start_ns : per_draw_ns;
    return static_cast<int>(given++ % 2);
  }
};

// Drains a stretch as the draw loop would.
template <class Stretch>
int64_t drain(Stretch& s) {
  int64_t n = 0;
  while (s.next_hit() >= 0) n++;
  return n;
}

TEST(stretch_source, rate_leaves_out_the_drivers_start) {
  // 20 ms to the first draw, then a draw a microsecond: a trial of 4 ms
  // must see a million draws a second, not the 170,000 that timing from
  // the stretch's start gives.
  test_clock::ns = 0;
  timed_source two{20'000'000, 1'000, 1 << 30};
  stretch_of<timed_source, test_clock> s{two, int64_t{1} << 40, 0.004};
  const int64_t n = drain(s);
  EXPECT_FALSE(s.source_ended);
  int64_t draws;
  double seconds;
  s.timed(&draws, &seconds);
  EXPECT_EQ(draws, n - 1);
  // The deadline is looked at every 16 draws, so the stretch overruns its
  // 4 ms by less than 16 draws.
  EXPECT_GE(seconds, 0.004);
  EXPECT_LT(seconds, 0.004 + 16e-6);
  EXPECT_NEAR(static_cast<double>(draws) / seconds, 1e6, 1e6 * 0.005);
}

TEST(stretch_source, ends_at_its_draws_or_at_the_source) {
  test_clock::ns = 0;
  timed_source many{0, 1'000, 1 << 30};
  stretch_of<timed_source, test_clock> by_draws{many, 100, 1e300};  // no time limit
  EXPECT_EQ(drain(by_draws), 100);
  EXPECT_FALSE(by_draws.source_ended);
  EXPECT_EQ(many.given, 100);  // no draw taken past the stretch

  timed_source few{0, 1'000, 7};
  stretch_of<timed_source, test_clock> by_source{few, 100, 1.0};
  EXPECT_EQ(drain(by_source), 7);
  EXPECT_TRUE(by_source.source_ended);

  timed_source none{0, 1'000, 0};
  stretch_of<timed_source, test_clock> empty{none, 100, 1.0};
  EXPECT_EQ(drain(empty), 0);
  int64_t draws;
  double seconds;
  empty.timed(&draws, &seconds);
  EXPECT_EQ(draws, 0);  // not timed: the schedule ignores it
  EXPECT_EQ(seconds, 0);
}

}  // namespace
