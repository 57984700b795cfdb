// Which draw source takes the next stretch of a run's draws, one thread or
// two.  Whether the second thread pays depends on the host as much as on
// the locus: the split's halves wait on each other, so a second core that
// another process holds, or one placed far from the first, makes two
// threads slower than one.  The timed schedule therefore measures: a trial
// stretch on one thread, then one on two, then the faster of the two for a
// long stretch, with a short trial of the other now and then (the load may
// change during a run).  Stretches are measured in time: a stretch ends
// after its seconds (or its draws, for the fixed policies), so that a
// driver slowed by a change of load is noticed on time.
// The results do not depend on the schedule: both sources continue the same
// stream from the last draw counted.  The schedule only decides; the run
// (engine.cc) times the stretches and reports them.
#ifndef DREVEL_FAST_DRAW_DRIVER_SCHEDULE_H
#define DREVEL_FAST_DRAW_DRIVER_SCHEDULE_H

#include <cstdint>
#include <string>

namespace drevel {
namespace fast_internal {

enum class draw_driver { one_thread, two_threads };

enum class schedule_policy {
  timed,      // trials of both drivers, then the faster; tried again now and then
  two,        // two threads throughout
  alternate,  // one and two threads in turn, a fixed number of draws each (tests)
};

struct stretch {
  draw_driver driver;
  int64_t draws;   // at most this many draws (the stopping rule may end it sooner)
  double seconds;  // and at most about this long (the run looks at the clock)
  bool trial;      // a stretch whose rate the choice compares
};

class driver_schedule {
 public:
  // Trials last this long; the stretch of the chosen driver starts at 16
  // trials' length and doubles up to a quarter of a second, so that a change
  // of load is noticed within about that time.  The run's first draws, on
  // one thread, fill the rejection tables that every later stretch shares,
  // so that neither trial pays for that.
  static constexpr double trial_seconds = 0.004;
  static constexpr double longest_stretch = 0.25;
  static constexpr int64_t warm_up_draws = 256;
  // Two threads are chosen only when their rate beats one thread's by this
  // factor: the trial of two threads carries the thread's start, and a tie
  // goes to the driver that needs no second core.
  static constexpr double two_threads_margin = 1.02;

  // alternate_draws: the stretch of the alternate policy.
  explicit driver_schedule(schedule_policy policy, int64_t alternate_draws = 100);

  // The next stretch to run.
  stretch next() const;
  // Records the stretch just run: its draws, and for its rate the draws
  // after its first and the seconds they took (the wall clock).  A stretch
  // that ended before its time (the stopping rule) is not timed.
  void done(const stretch& s, int64_t draws, int64_t timed_draws, double seconds);
  // The two-thread source gave up (a draw too long for its stream): one
  // thread from now on.
  void split_ended() { split_ended_ = true; }

  int64_t draws_on(draw_driver d) const { return d == draw_driver::one_thread ? one_ : two_; }
  // The latest measured rates' ratio (two threads over one); 0 before both
  // have been measured.
  double trial_ratio() const { return rate_one_ > 0 && rate_two_ > 0 ? rate_two_ / rate_one_ : 0; }
  bool split_ended_early() const { return split_ended_; }

 private:
  enum class phase { trial_one, trial_two, chosen, retrial };
  draw_driver faster() const;

  schedule_policy policy_;
  int64_t alternate_draws_;
  phase phase_ = phase::trial_one;
  draw_driver chosen_ = draw_driver::one_thread;
  double rate_one_ = 0, rate_two_ = 0;  // draws per second, latest measures
  double chosen_seconds_ = 16 * trial_seconds;
  int64_t one_ = 0, two_ = 0;  // draws taken by each driver
  int64_t stretches_ = 0;
  bool split_ended_ = false;
};

// One line for --verbose: which driver ran, for how many draws, and why.
std::string describe_schedule(const driver_schedule& schedule, int64_t draws);

}  // namespace fast_internal
}  // namespace drevel

#endif
