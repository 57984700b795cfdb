#include "fast/draw/driver_schedule.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace drevel;
using namespace drevel::fast_internal;

namespace {

// Runs the schedule against a host whose drivers draw at the given rates
// (draws per second, as functions of the draws taken so far, taken at each
// stretch's start), for a run of `total` draws; returns the stretches it
// chose.  No clock: a stretch ends at its draws or at the draws its
// seconds allow at the rate.
template <class Rate1, class Rate2>
std::vector<stretch> run(driver_schedule& schedule, int64_t total, Rate1 one, Rate2 two) {
  std::vector<stretch> taken;
  int64_t drawn = 0;
  while (drawn < total) {
    stretch s = schedule.next();
    double rate = s.driver == draw_driver::one_thread ? one(drawn) : two(drawn);
    double by_time = s.seconds * rate;
    int64_t n = by_time < static_cast<double>(s.draws) ? static_cast<int64_t>(by_time) + 1 : s.draws;
    if (n > total - drawn) n = total - drawn;
    schedule.done(s, n, n, static_cast<double>(n) / rate);
    drawn += n;
    taken.push_back(s);
  }
  return taken;
}

double share_on_two(const driver_schedule& schedule, int64_t total) {
  return static_cast<double>(schedule.draws_on(draw_driver::two_threads)) /
         static_cast<double>(total);
}

}  // namespace

TEST(driver_schedule, takes_the_faster_driver_after_the_trials) {
  const int64_t total = 2000000;
  {
    driver_schedule s(schedule_policy::timed);
    run(s, total, [](int64_t) { return 6e5; }, [](int64_t) { return 1e6; });
    EXPECT_GT(share_on_two(s, total), 0.97);
    EXPECT_NEAR(s.trial_ratio(), 1e6 / 6e5, 1e-9);
  }
  {
    driver_schedule s(schedule_policy::timed);
    run(s, total, [](int64_t) { return 6e5; }, [](int64_t) { return 4e5; });
    EXPECT_LT(share_on_two(s, total), 0.03);
  }
  {  // a tie, or a gain within the margin, stays on one thread
    driver_schedule s(schedule_policy::timed);
    run(s, total, [](int64_t) { return 6e5; }, [](int64_t) { return 6.05e5; });
    EXPECT_LT(share_on_two(s, total), 0.03);
  }
}

TEST(driver_schedule, follows_a_change_of_load_during_the_run) {
  const int64_t total = 4000000;
  // Two threads fast for the first million draws, then the second core is
  // taken by another process.
  driver_schedule s(schedule_policy::timed);
  std::vector<stretch> taken =
      run(s, total, [](int64_t) { return 6e5; },
          [](int64_t at) { return at < 1000000 ? 1e6 : 3e5; });
  EXPECT_EQ(taken.back().driver, draw_driver::one_thread);
  EXPECT_GT(s.draws_on(draw_driver::two_threads), 900000);
  // Noticed within two stretches of at most a quarter of a second: the one
  // under way at the change (timed here at the rate of its start) and the
  // next, which measures the new rate.
  EXPECT_LT(s.draws_on(draw_driver::two_threads), 1000000 + 250000 + 75000 + 5000);
  // And the other way round: one thread first, two once the core is free.
  driver_schedule t(schedule_policy::timed);
  taken = run(t, total, [](int64_t) { return 6e5; },
              [](int64_t at) { return at < 1000000 ? 3e5 : 1e6; });
  EXPECT_EQ(taken.back().driver, draw_driver::two_threads);
  EXPECT_GT(t.draws_on(draw_driver::two_threads), 2300000);
}

// The first stretch is a fixed warm-up on one thread, untimed; then every
// stretch of the timed schedule is bounded by its seconds alone: trials at
// trial_seconds, the chosen driver's stretches doubling up to
// longest_stretch.
TEST(driver_schedule, stretches_are_bounded_in_time) {
  driver_schedule s(schedule_policy::timed);
  stretch first = s.next();
  EXPECT_EQ(first.driver, draw_driver::one_thread);
  EXPECT_EQ(first.draws, driver_schedule::warm_up_draws);
  EXPECT_FALSE(first.trial);
  std::vector<stretch> taken =
      run(s, 100000000, [](int64_t) { return 5e6; }, [](int64_t) { return 8e6; });
  double longest = 0;
  for (size_t i = 1; i < taken.size(); i++) {
    const stretch& t = taken[i];
    EXPECT_LE(t.seconds, driver_schedule::longest_stretch);
    if (t.trial) {
      EXPECT_EQ(t.seconds, driver_schedule::trial_seconds);
    } else {
      EXPECT_EQ(t.driver, draw_driver::two_threads);
      longest = std::max(longest, t.seconds);
    }
  }
  EXPECT_EQ(longest, driver_schedule::longest_stretch);
  EXPECT_GT(share_on_two(s, 100000000), 0.98);
}

TEST(driver_schedule, fixed_policies_and_an_ended_split) {
  driver_schedule two(schedule_policy::two);
  EXPECT_EQ(two.next().driver, draw_driver::two_threads);
  two.split_ended();
  EXPECT_EQ(two.next().driver, draw_driver::one_thread);
  EXPECT_TRUE(two.split_ended_early());

  driver_schedule alternate(schedule_policy::alternate, 37);
  for (int i = 0; i < 6; i++) {
    stretch s = alternate.next();
    EXPECT_EQ(s.draws, 37);
    EXPECT_EQ(s.driver, i % 2 == 0 ? draw_driver::one_thread : draw_driver::two_threads);
    alternate.done(s, 37, 36, 1e-3);
  }
  EXPECT_EQ(alternate.draws_on(draw_driver::one_thread), 3 * 37);

  // A timed schedule whose split ends goes on on one thread for good.
  driver_schedule timed(schedule_policy::timed);
  run(timed, 100000, [](int64_t) { return 6e5; }, [](int64_t) { return 1e6; });
  timed.split_ended();
  EXPECT_EQ(timed.next().driver, draw_driver::one_thread);
  EXPECT_EQ(describe_schedule(timed, 100000).find("two threads for"), 0u);
}
