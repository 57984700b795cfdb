// The progress line of a long run on standard error: sites done and sites per
// second, refreshed about once a second, only when standard error is a
// terminal.
#ifndef DREVEL_APP_PROGRESS_H
#define DREVEL_APP_PROGRESS_H

#include <chrono>
#include <cstdint>

namespace drevel {

class progress_line {
 public:
  // Shows nothing unless standard error is a terminal.
  progress_line();
  // Redraws the line when a second or more has passed since the last one.
  void update(uint64_t done);
  // Clears the line, so that messages after it start on a clean line.
  void finish();

 private:
  using clock = std::chrono::steady_clock;
  bool enabled_;
  bool shown_ = false;
  clock::time_point start_, last_;
};

}  // namespace drevel

#endif
