// --threads N bounds the threads of a --vcf run on a bgzipped file: N that
// compute, besides the main thread, which reads (and writes the annotated
// file and its index, with --annotate).  The input is a FIFO held
// open after every site went in but not the end-of-file block (htslib ends
// a bgzipped stream at that block), so the run waits for more with all its
// threads alive while the test counts them.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "support/run_drevel.h"
#include "support/vcf_files.h"

namespace {

// The Threads: line of /proc/<pid>/status, 0 once the process is gone.
int threads_of(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind("Threads:", 0) == 0) return std::stoi(line.substr(8));
  return 0;
}

// A bgzipped VCF of `sites` two-allele sites with random calls, several
// blocks long: htslib reads on past the first block before the first site.
std::string bgzipped_input(const std::string& dir, int sites) {
  std::vector<std::string> names;
  for (int s = 0; s < 200; s++) names.push_back("S" + std::to_string(s));
  std::vector<vcf_test_site> list;
  static const char* const calls[] = {"0/0", "0/1", "1/1", "0/1", "0/0"};
  std::mt19937 rng(28);
  for (int i = 0; i < sites; i++) {
    vcf_test_site site{"1", 100L + i, "A", "G", {}};
    for (int s = 0; s < 200; s++) site.calls.push_back(calls[rng() % 5]);
    list.push_back(site);
  }
  write_text(dir + "/in.vcf", vcf_text(names, list));
  convert_vcf(dir + "/in.vcf", dir + "/in.vcf.gz", "wz", false);
  return read_text(dir + "/in.vcf.gz");
}

// Ends a run that a failed assertion left waiting on its input.
struct reaper {
  pid_t pid;
  ~reaper() {
    if (pid > 0) wait_drevel(pid, 0);
  }
};

TEST(vcf_threads, a_bgzipped_input_runs_on_at_most_N_threads_besides_the_main_one) {
  if (threads_of(getpid()) == 0) GTEST_SKIP() << "no /proc/<pid>/status to count threads in";
  const std::string dir = make_temp_dir();
  const std::string data = bgzipped_input(dir, 300);
  signal(SIGPIPE, SIG_IGN);  // a run that failed early must fail the test, not end it
  for (int run = 0; run < 4; run++) {
    const int n = 1 + run % 2;
    const bool annotate = run >= 2;
    SCOPED_TRACE("--threads " + std::to_string(n) + (annotate ? " --annotate" : ""));
    const std::string name = std::to_string(run);
    const std::string fifo = dir + "/fifo" + name + ".vcf.gz";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::vector<std::string> args = {"--vcf", "--threads", std::to_string(n)};
    if (annotate)
      args.insert(args.end(), {"--annotate", dir + "/annotated" + name + ".vcf.gz", "--write-index"});
    args.insert(args.end(), {fifo, dir + "/out" + name + ".tsv"});
    pid_t pid = start_drevel(args);
    reaper guard{pid};
    // Opened for writing once the run opened it for reading.
    int fd = -1;
    for (int tries = 0; fd < 0 && tries < 6000 && threads_of(pid) > 0; tries++) {
      fd = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
      if (fd < 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_GE(fd, 0) << "the run never opened its input";
    ASSERT_EQ(fcntl(fd, F_SETFL, 0), 0);
    // The file without its last block, the empty end-of-file one.
    const size_t sites_end = data.size() - 28;
    ASSERT_EQ(data.compare(sites_end, 4, "\x1f\x8b\x08\x04"), 0);
    ASSERT_EQ(write(fd, data.data(), sites_end), static_cast<ssize_t>(sites_end));
    // Every site is in; the run computes them and waits for more.  Its
    // threads are counted until the computing ones are up, then a while
    // longer.
    int most = 0, counted_at_most = 0;
    for (int tries = 0; tries < 500 && counted_at_most < 50; tries++) {
      int now = threads_of(pid);
      if (now > most) most = now;
      if (most >= 1 + n) counted_at_most++;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_LE(most, 1 + n);
    ASSERT_EQ(write(fd, data.data() + sites_end, 28), 28);
    close(fd);
    EXPECT_EQ(wait_drevel(pid, 120), 0);
    guard.pid = 0;
  }
}

}  // namespace
