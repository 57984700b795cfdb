// The process-wide 48-bit stream behind drand48() (defined with it, in
// process_rand48.cc) and the deviates without a state argument.  For the
// forms without a state argument that share that stream (the random
// library's deviates, evidag_mtcar of evidence/monte_carlo.h); other callers
// use drand48() or a rand48_state of their own.
#ifndef DREVEL_RANDOM_PROCESS_RAND48_H
#define DREVEL_RANDOM_PROCESS_RAND48_H

#include "random/rand48.h"

namespace drevel {

rand48_state& process_rand48();

}  // namespace drevel

#endif
