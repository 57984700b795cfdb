// A stretch of a run as a draw source for the shared draw loop
// (evidence/draw_loop.h): the draws of another source, at most a number of
// them and for at most a time, timed for the schedule that chose the
// stretch (driver_schedule.h).
//
// The clock starts at the stretch's first draw, not at its start, so that
// the rate it reports is the driver's own: two threads spend their first
// millisecond or so starting the walker and filling the hand-over (more on
// a virtual machine whose second core has been idle), a cost that each
// switch of driver pays once, not one of every draw.  Timed from the start,
// a trial of a few milliseconds charged that cost to two threads' rate and
// made the schedule keep one thread where two drew 1.7 times as fast.
#ifndef DREVEL_FAST_DRAW_STRETCH_SOURCE_H
#define DREVEL_FAST_DRAW_STRETCH_SOURCE_H

#include <chrono>
#include <cstdint>

namespace drevel {
namespace fast_internal {

// Source: a draw source (next_hit, -1 when it has no more).  Clock: a
// clock with now() and time points (std::chrono's; the tests give one of
// their own).
template <class Source, class Clock = std::chrono::steady_clock>
struct stretch_of {
  static constexpr bool may_end = true;
  Source& source;
  int64_t left;    // at most this many draws
  double seconds;  // and none once this long has passed since the first (above 1e6: no limit)
  int64_t taken = 0;
  bool source_ended = false;  // the source itself ended the stretch (a split that gave up)
  typename Clock::time_point first{}, deadline = Clock::time_point::max();

  // The clock is read every 16 draws: a draw of a locus that may take the
  // split costs far more than reading it.
  int next_hit() {
    if (left <= 0) return -1;
    if (taken % 16 == 15 && deadline != Clock::time_point::max() && Clock::now() >= deadline)
      return -1;
    int hit = source.next_hit();
    if (hit < 0) {
      source_ended = true;
      return -1;
    }
    if (taken == 0) {
      first = Clock::now();
      if (seconds <= 1e6)
        deadline = first + std::chrono::duration_cast<typename Clock::duration>(
                               std::chrono::duration<double>(seconds));
    }
    left--;
    taken++;
    return hit;
  }

  // The draws after the first and the seconds they took, for the rate.
  void timed(int64_t* draws, double* elapsed) const {
    *draws = taken > 0 ? taken - 1 : 0;
    *elapsed = taken > 0 ? std::chrono::duration<double>(Clock::now() - first).count() : 0;
  }
};

}  // namespace fast_internal
}  // namespace drevel

#endif
