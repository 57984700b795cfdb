// The process-wide 48-bit stream and drand48() on it.
#include "random/process_rand48.h"

namespace drevel {

rand48_state& process_rand48() {
  static rand48_state state;
  return state;
}

double drand48() { return drand48(process_rand48()); }

}  // namespace drevel
