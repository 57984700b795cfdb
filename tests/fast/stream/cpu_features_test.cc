#include "fast/stream/cpu_features.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>

namespace drevel {
namespace {

// The query reports exactly the extensions the kernel lists for this
// processor: one it lacks would end a run with an illegal instruction, one
// it misses would cost the vector paths.
TEST(cpu_features, agree_with_the_kernels_flags) {
#if !defined(__linux__) || !(defined(__x86_64__) || defined(__i386__))
  GTEST_SKIP() << "the flags are read from Linux's /proc/cpuinfo on x86";
#else
  std::ifstream in("/proc/cpuinfo");
  std::string line;
  std::set<std::string> flags;
  while (std::getline(in, line)) {
    if (line.rfind("flags", 0) != 0) continue;
    std::istringstream words(line.substr(line.find(':') + 1));
    for (std::string w; words >> w;) flags.insert(w);
    break;
  }
  if (flags.empty()) GTEST_SKIP() << "no flags line in /proc/cpuinfo";
  const cpu_features& f = processor_features();
  EXPECT_EQ(f.avx2, flags.count("avx2") == 1);
  EXPECT_EQ(f.avx512f, flags.count("avx512f") == 1);
  EXPECT_EQ(f.avx512dq, flags.count("avx512dq") == 1);
  EXPECT_EQ(f.avx512vl, flags.count("avx512vl") == 1);
  EXPECT_EQ(f.avx512bw, flags.count("avx512bw") == 1);
#endif
}

}  // namespace
}  // namespace drevel
