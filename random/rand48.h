// The 48-bit linear congruential generator of the drand48 family:
// X(n+1) = (0x5DEECE66D * X(n) + 0xB) mod 2^48, starting from the fixed state
// X0 = 0x1234ABCD330E, never seeded, so a computation that starts from X0
// always consumes the same sequence.
//
// The generator is reached two ways:
//  - drand48(): the library's process-wide generator, one stream for the
//    whole process, unguarded (one thread at a time);
//  - drand48(state): a stream owned by one computation.  A rand48_state is
//    born at X0 and can only be advanced, copied and compared; there is no
//    way to seed it or to set it to another state.
#ifndef DREVEL_RANDOM_RAND48_H
#define DREVEL_RANDOM_RAND48_H

#include <cstdint>

namespace drevel {

class rand48_state {
 public:
  rand48_state() = default;  // X0 = 0x1234ABCD330E
  bool operator==(const rand48_state& o) const {
    return x[0] == o.x[0] && x[1] == o.x[1] && x[2] == o.x[2];
  }
  bool operator!=(const rand48_state& o) const { return !(*this == o); }

 private:
  friend double drand48(rand48_state& state);
  friend struct rand48_access;  // for engines that step the stream in bulk
  // X as three 16-bit words, least significant first.
  uint32_t x[3] = {0x330E, 0xABCD, 0x1234};
};

// Advances the process-wide generator by one step and returns the new state
// scaled to [0, 1): exactly X/2^48.  Never fails.
double drand48();

// The same on a stream of the caller's.
double drand48(rand48_state& state);

// One step of the generator on a bare 48-bit value, by the same 16-bit-word
// arithmetic that drand48 uses; bits above 47 of X are ignored.
uint64_t rand48_step(uint64_t X);

}  // namespace drevel

#endif
