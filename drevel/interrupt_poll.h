// The inside of the face: when a long call asks its caller whether to stop.
// Waiting on the oldest site in flight is not enough: while results come
// faster than the wait's timeout (many small loci), no wait times out, so
// the caller is asked by the clock as well.
#ifndef DREVEL_DREVEL_INTERRUPT_POLL_H
#define DREVEL_DREVEL_INTERRUPT_POLL_H

#include <chrono>
#include <functional>

namespace drevel {
namespace internal {

// How long a wait for a result lasts, and how often the caller is asked.
constexpr std::chrono::milliseconds poll_interval(100);

class interrupt_poll {
 public:
  explicit interrupt_poll(const std::function<bool()>& interrupted)
      : interrupted_(interrupted), next_(std::chrono::steady_clock::now() + poll_interval) {}

  // Whether to ask now: after a wait that timed out, or once poll_interval
  // has passed since the last time.  False when there is no one to ask.
  bool due(bool timed_out) {
    if (!interrupted_) return false;
    const auto now = std::chrono::steady_clock::now();
    if (!timed_out && now < next_) return false;
    next_ = now + poll_interval;
    return true;
  }
  bool interrupted() const { return interrupted_(); }

 private:
  const std::function<bool()>& interrupted_;
  std::chrono::steady_clock::time_point next_;
};

}  // namespace internal
}  // namespace drevel

#endif
