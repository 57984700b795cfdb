// The uniform stream from the generator's fixed start, with the attempt word
// of every position, shared read-only by every locus of a batch and every
// thread: each locus's Monte Carlo starts the generator at its fixed start,
// so all of them read the same uniforms and the same cell-independent attempt
// words, which are computed once per process instead of once per locus.
// Positions are computed on demand, a stretch at a time, up to a capacity
// fixed at construction; memory is taken only for positions computed.
#ifndef DREVEL_FAST_BATCH_FIXED_START_STREAM_H
#define DREVEL_FAST_BATCH_FIXED_START_STREAM_H

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "fast/bounds/rejection_table.h"

namespace drevel {

// The fields of a word of the stream: the attempt's bin in the low
// bin_bits (the fewest that hold every bin), the attempts skipped to reach
// it in the rest of the low half, and t = floor(u3 2^15) in the top half,
// as attempt_word has them.
namespace stream_word {
constexpr int bin_bits_for(int bins) { return bins <= 1 ? 0 : 1 + bin_bits_for((bins + 1) / 2); }
constexpr int bin_bits = bin_bits_for(rejection_table_detail::bins);
constexpr uint32_t bin_mask = (uint32_t{1} << bin_bits) - 1;
constexpr int skip_shift = bin_bits;
constexpr int max_disc_skip = (1 << (16 - bin_bits)) - 1;
static_assert(max_disc_skip >= 15, "room for runs of attempts outside the disc");
// The position of the attempt that the word at p leads to.
inline int64_t attempt_at(int64_t p, uint32_t word) {
  return p + 2 * static_cast<int64_t>((word >> skip_shift) & max_disc_skip);
}
}  // namespace stream_word

class fixed_start_stream {
 public:
  // The default capacity: 2^23 positions (96 MB when all are computed, and
  // only what is computed is taken), enough for every two- and three-allele
  // locus run to its default maxmc and for the four- and five-allele loci
  // that stop before it, so that few loci restart on the per-site engine at
  // the stream's end and lose the work done in lanes.
  static constexpr int64_t default_capacity = int64_t{1} << 23;

  // A stream of at most `capacity` positions (at least 64, at most 2^30);
  // nothing is computed yet.  Throws std::bad_alloc when the address space
  // cannot be reserved.
  explicit fixed_start_stream(int64_t capacity = default_capacity);
  fixed_start_stream(const fixed_start_stream&) = delete;
  fixed_start_stream& operator=(const fixed_start_stream&) = delete;

  // The process's stream, of the default capacity, made on first use.
  static fixed_start_stream& process();

  // uniforms()[p] is the uniform of the state after p steps from the fixed
  // start (p = 0: the start itself), X(p) 2^-48 exactly.  words()[p] is the
  // attempt word (fast/stream/attempt_words.h) of the first attempt at
  // q = p, p + 2, p + 4, ... whose (vx, vy) lies inside the unit disc, with
  // (q - p) / 2 in its bits 10 to 15 (stream_word below): gamadev discards
  // an attempt outside the disc, whatever the cell, and takes the next one
  // two uniforms on, so a walk may go from p straight to q.  A run of more
  // than max_disc_skip such attempts stops at its last one, whose word is
  // then the disc bin's own.  Words may be read at positions p < ready(),
  // uniforms at positions p < ready() + 3 + 2 max_disc_skip (every
  // attempt a word leads to).
  const double* uniforms() const { return U_.get(); }
  const uint32_t* words() const { return words_.get(); }
  int64_t ready() const { return ready_.load(std::memory_order_acquire); }
  int64_t capacity() const { return capacity_; }

  // Computes positions until words of every position below p are ready
  // (a stretch beyond it, so that calls stay few) and returns ready();
  // less than p only when p exceeds the capacity.  Safe to call from
  // several threads at once, and beside readers of what is ready.
  int64_t extend(int64_t p);

  // The generator state of position p < ready() + 3.
  uint64_t state(int64_t p) const {
    return static_cast<uint64_t>(static_cast<int64_t>(U_[static_cast<size_t>(p)] * 0x1p48));
  }

 private:
  const int64_t capacity_;
  std::unique_ptr<double[]> U_;        // capacity + 3 values
  std::unique_ptr<uint32_t[]> words_;  // capacity values
  std::mutex extending_;
  std::atomic<int64_t> ready_{0};
  uint64_t X_ = 0;  // the state of the last uniform computed (extending_)
  int64_t computed_ = 0;  // uniforms computed: positions 0 .. computed_ (extending_)
};

}  // namespace drevel

#endif
