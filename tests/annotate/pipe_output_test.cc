// A file written through a pipe: what goes in arrives whole, in order, and
// only at commit; abandoning leaves nothing; a failing write is reported.
#include "annotate/pipe_output.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "support/run_drevel.h"

using drevel::internal::pipe_output;

namespace {

bool write_all(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// More than a pipe and the output's buffer hold, with every byte telling its
// place.
std::string long_text() {
  std::string text;
  for (int n = 0; text.size() < (3u << 20); n++) text += std::to_string(n) + "\n";
  return text;
}

}  // namespace

TEST(pipe_output, bytes_arrive_whole_and_only_at_commit) {
  std::string dir = make_temp_dir(), path = dir + "/out.vcf";
  write_text(path, "old\n");
  const std::string text = long_text();
  pipe_output out;
  ASSERT_TRUE(out.open(path));
  // Through a descriptor of the writer's own, as htslib's hdopen takes it.
  int own = ::dup(out.fd());
  ASSERT_GE(own, 0);
  ASSERT_TRUE(write_all(own, text.substr(0, 1000000)));
  ::close(own);
  ASSERT_TRUE(write_all(out.fd(), text.substr(1000000)));
  EXPECT_EQ(read_text(path), "old\n");
  ASSERT_TRUE(out.commit());
  EXPECT_FALSE(out.failed());
  EXPECT_EQ(read_text(path), text);
  EXPECT_EQ(dir_entries(dir), std::vector<std::string>{"out.vcf"});
}

TEST(pipe_output, abandoned_or_destroyed_output_leaves_nothing) {
  std::string dir = make_temp_dir(), path = dir + "/out.vcf";
  write_text(path, "old\n");
  {
    pipe_output out;
    ASSERT_TRUE(out.open(path));
    ASSERT_TRUE(write_all(out.fd(), long_text()));
    out.abandon();
  }
  {
    pipe_output out;
    ASSERT_TRUE(out.open(dir + "/new.vcf"));
    ASSERT_TRUE(write_all(out.fd(), "partial"));
  }  // destroyed without commit
  EXPECT_EQ(read_text(path), "old\n");
  EXPECT_EQ(dir_entries(dir), std::vector<std::string>{"out.vcf"});

  pipe_output nowhere;
  const drevel::status opened = nowhere.open(dir + "/no-such-dir/out.vcf");
  EXPECT_EQ(opened.kind(), drevel::fault_kind::output);
  EXPECT_EQ(opened.message(), std::strerror(ENOENT));
}

// A full disk: the writer is never blocked, and commit reports the error.
TEST(pipe_output, failed_write_is_reported_and_the_writer_goes_on) {
  if (!file_exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  std::string dir = make_temp_dir(), path = dir + "/full.vcf";
  ASSERT_EQ(::symlink("/dev/full", path.c_str()), 0);
  pipe_output out;
  ASSERT_TRUE(out.open(path));
  ASSERT_TRUE(write_all(out.fd(), long_text()));
  const drevel::status committed = out.commit();
  EXPECT_EQ(committed.message(), std::strerror(ENOSPC));
  EXPECT_TRUE(out.failed());
  EXPECT_EQ(out.fault().message(), std::strerror(ENOSPC));
}
