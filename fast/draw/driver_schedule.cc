// The choice of the draw source, stretch by stretch.
#include "fast/draw/driver_schedule.h"

#include <cinttypes>
#include <cstdio>
#include <limits>

namespace drevel {
namespace fast_internal {

namespace {

constexpr int64_t whole_run = std::numeric_limits<int64_t>::max();
constexpr double forever = 1e300;

draw_driver other(draw_driver d) {
  return d == draw_driver::one_thread ? draw_driver::two_threads : draw_driver::one_thread;
}

}  // namespace

driver_schedule::driver_schedule(schedule_policy policy, int64_t alternate_draws)
    : policy_(policy), alternate_draws_(alternate_draws < 1 ? 1 : alternate_draws) {}

draw_driver driver_schedule::faster() const {
  return rate_two_ > rate_one_ * two_threads_margin ? draw_driver::two_threads
                                                    : draw_driver::one_thread;
}

stretch driver_schedule::next() const {
  if (split_ended_) return {draw_driver::one_thread, whole_run, forever, false};
  switch (policy_) {
    case schedule_policy::two:
      return {draw_driver::two_threads, whole_run, forever, false};
    case schedule_policy::alternate:
      return {stretches_ % 2 == 0 ? draw_driver::one_thread : draw_driver::two_threads,
              alternate_draws_, forever, false};
    case schedule_policy::timed:
      break;
  }
  if (stretches_ == 0) return {draw_driver::one_thread, warm_up_draws, forever, false};
  switch (phase_) {
    case phase::trial_one:
      return {draw_driver::one_thread, whole_run, trial_seconds, true};
    case phase::trial_two:
      return {draw_driver::two_threads, whole_run, trial_seconds, true};
    case phase::chosen:
      return {chosen_, whole_run, chosen_seconds_, false};
    case phase::retrial:
      break;
  }
  return {other(chosen_), whole_run, trial_seconds, true};
}

void driver_schedule::done(const stretch& s, int64_t draws, int64_t timed_draws, double seconds) {
  (s.driver == draw_driver::one_thread ? one_ : two_) += draws;
  const bool first = stretches_ == 0;
  stretches_++;
  if (policy_ != schedule_policy::timed || split_ended_ || first || timed_draws <= 0) return;
  if (seconds < s.seconds * 0.5) return;  // ended early: the run is over
  (s.driver == draw_driver::one_thread ? rate_one_ : rate_two_) =
      static_cast<double>(timed_draws) / seconds;
  switch (phase_) {
    case phase::trial_one:
      phase_ = phase::trial_two;
      return;
    case phase::chosen:
      chosen_seconds_ = chosen_seconds_ * 2 < longest_stretch ? chosen_seconds_ * 2 : longest_stretch;
      phase_ = phase::retrial;
      return;
    case phase::trial_two:
    case phase::retrial:
      chosen_ = faster();
      phase_ = phase::chosen;
      return;
  }
}

std::string describe_schedule(const driver_schedule& schedule, int64_t draws) {
  const int64_t two = schedule.draws_on(draw_driver::two_threads);
  char line[256];
  if (schedule.split_ended_early()) {
    std::snprintf(line, sizeof line,
                  "two threads for %" PRId64 " of %" PRId64
                  " draws, then one thread: a draw too long for the two threads' rings",
                  two, draws);
  } else if (schedule.trial_ratio() > 0) {
    std::snprintf(line, sizeof line,
                  "two threads for %" PRId64 " of %" PRId64
                  " draws, one thread for the rest; at the last comparison two threads drew %.2f "
                  "times as fast as one",
                  two, draws, schedule.trial_ratio());
  } else if (two == 0) {
    std::snprintf(line, sizeof line, "one thread: the run ended before a trial of two threads");
  } else {
    std::snprintf(line, sizeof line, "two threads for %" PRId64 " of %" PRId64 " draws", two,
                  draws);
  }
  return line;
}

}  // namespace fast_internal
}  // namespace drevel
