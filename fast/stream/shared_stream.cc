// The shared stream.
#include "fast/stream/shared_stream.h"

#include <thread>

namespace drevel {

namespace {

constexpr int64_t chunk = 1024;

}  // namespace

shared_stream::shared_stream(uint64_t X, int size_log2, simd_path path)
    : U_((static_cast<size_t>(1) << size_log2) + 1),
      mask_((static_cast<int64_t>(1) << size_log2) - 1),
      X_(X),
      fill_(ring_fill_for(path)) {
  U_[0] = rand48_uniform(X);
  U_[static_cast<size_t>(mask_ + 1)] = 1.0;
}

int64_t shared_stream::wait_for(int64_t p, int64_t oldest) const {
  int64_t g = generated_.load(std::memory_order_acquire);
  if (g >= p) return g;
  // The writer keeps `oldest` and a chunk's room to write in.
  if (p - oldest > mask_ + 1 - 2 * chunk) throw stream_overrun{};
  wanted_.store(p, std::memory_order_release);
  int spins = 0;
  for (;;) {
    int64_t g = generated_.load(std::memory_order_acquire);
    if (g >= p) return g;
    if (stopped_.load(std::memory_order_acquire)) throw stream_stopped{};
    if (++spins >= 64) std::this_thread::yield();
  }
}

void shared_stream::generate(int64_t reader_position, int64_t low) {
  const int64_t size = mask_ + 1;
  // Far enough ahead that the reader seldom waits, near enough that the
  // positions are still in cache when read.
  const int64_t lead = size / 2 < 8192 ? size / 2 : 8192;
  int64_t wanted = wanted_.load(std::memory_order_acquire);
  if (wanted > reader_position) reader_position = wanted;
  while (end_ < reader_position + lead && end_ + chunk - size < low) {
    if (fill_) {
      uint64_t first8[8];
      uint64_t x = X_;
      for (int i = 0; i < 8; i++) first8[i] = x = rand48_next(x);
      fill_(U_.data(), mask_, end_ + 1, chunk / 4, first8);
      end_ += chunk;
      // The state is the uniform times 2^48, exactly.
      X_ = static_cast<uint64_t>(static_cast<int64_t>(U_[static_cast<size_t>(end_ & mask_)] * 0x1p48));
      generated_.store(end_, std::memory_order_release);
      continue;
    }
    uint64_t x = X_;
    for (int64_t i = 1; i <= chunk; i++) {
      x = rand48_next(x);
      U_[static_cast<size_t>((end_ + i) & mask_)] = rand48_uniform(x);
    }
    X_ = x;
    end_ += chunk;
    generated_.store(end_, std::memory_order_release);
  }
}

}  // namespace drevel
