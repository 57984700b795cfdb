// The one question to the processor.
#include "fast/stream/cpu_features.h"

namespace drevel {

namespace {

cpu_features ask_processor() {
  cpu_features f;
#if defined(__x86_64__) || defined(__i386__)
  __builtin_cpu_init();
  f.avx2 = __builtin_cpu_supports("avx2");
  f.avx512f = __builtin_cpu_supports("avx512f");
  f.avx512dq = __builtin_cpu_supports("avx512dq");
  f.avx512vl = __builtin_cpu_supports("avx512vl");
  f.avx512bw = __builtin_cpu_supports("avx512bw");
#endif
  return f;
}

}  // namespace

const cpu_features& processor_features() {
  static const cpu_features features = ask_processor();
  return features;
}

}  // namespace drevel
