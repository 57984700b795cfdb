// The uniform stream written by one thread and read by another: the
// two-thread engine's caller generates positions ahead in chunks, the
// walker waits for what it reads.  Positions are kept until both threads
// are past them.
#ifndef DREVEL_FAST_STREAM_SHARED_STREAM_H
#define DREVEL_FAST_STREAM_SHARED_STREAM_H

#include <atomic>
#include <cstdint>
#include <vector>

#include "fast/stream/cpu_dispatch.h"
#include "random/rand48_access.h"

namespace drevel {

// Thrown to a reader waiting on a stream that has been stopped.
struct stream_stopped {};
// Thrown to a reader that asks for more positions past the oldest one it
// still needs than the stream can hold.
struct stream_overrun {};

class shared_stream {
 public:
  // A stream from state X (position 0), holding 2^size_log2 positions.
  shared_stream(uint64_t X, int size_log2, simd_path path);
  const double* uniforms() const { return U_.data(); }
  int64_t mask() const { return mask_; }

  // Reader: returns once positions up to p are there; the position reached
  // so far.  `oldest` is the oldest position the reader still needs.
  // Throws stream_stopped once stop() has been called, and stream_overrun
  // when p lies too far past `oldest` for the stream to hold both.
  int64_t wait_for(int64_t p, int64_t oldest) const;

  // Writer: generates chunks while fewer than 8192 positions (at most half
  // the stream) lie ahead of the reader's position or of the position it
  // waits for, overwriting only positions below `low`, which no thread
  // needs any more.
  void generate(int64_t reader_position, int64_t low);

  void stop() { stopped_.store(true, std::memory_order_release); }

 private:
  std::vector<double> U_;
  int64_t mask_;
  uint64_t X_;       // the state at position end_ (writer's)
  int64_t end_ = 0;  // the writer's copy of generated_
  ring_fill_fn fill_;  // the path's fill (null: the scalar one)
  alignas(64) std::atomic<int64_t> generated_{0};
  alignas(64) std::atomic<bool> stopped_{false};
  alignas(64) mutable std::atomic<int64_t> wanted_{0};  // what the reader waits for
};

}  // namespace drevel

#endif
