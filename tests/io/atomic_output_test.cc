#include "io/atomic_output.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <dirent.h>

#include <string>
#include <vector>

#include "support/run_drevel.h"

using namespace drevel;

namespace {

}  // namespace

TEST(atomic_output, target_changes_only_at_commit) {
  std::string dir = make_temp_dir(), path = dir + "/table.tsv";
  write_text(path, "old\n");
  atomic_output out;
  ASSERT_TRUE(out.open(path));
  std::string big(200000, 'x');  // more than the buffer: part of it reaches the disk early
  ASSERT_TRUE(out.write(big));
  ASSERT_TRUE(out.write("\n"));
  EXPECT_EQ(read_text(path), "old\n");
  EXPECT_EQ(dir_entries(dir).size(), 2u);  // the target and the temporary file
  ASSERT_TRUE(out.commit());
  EXPECT_EQ(read_text(path), big + "\n");
  EXPECT_EQ(dir_entries(dir), std::vector<std::string>{"table.tsv"});
}

TEST(atomic_output, abandoned_output_leaves_nothing) {
  std::string dir = make_temp_dir(), path = dir + "/table.tsv";
  write_text(path, "old\n");
  {
    atomic_output out;
    ASSERT_TRUE(out.open(path));
    out.remove_on_exit();
    ASSERT_TRUE(out.write("partial"));
  }  // destroyed without commit
  EXPECT_EQ(read_text(path), "old\n");
  EXPECT_EQ(dir_entries(dir), std::vector<std::string>{"table.tsv"});

  atomic_output fresh;
  ASSERT_TRUE(fresh.open(dir + "/new.tsv"));
  fresh.abandon();
  EXPECT_FALSE(file_exists(dir + "/new.tsv"));
  EXPECT_FALSE(fresh.commit());
}

TEST(atomic_output, exit_without_commit_removes_the_temporary_file) {
  std::string dir = make_temp_dir(), path = dir + "/table.tsv";
  EXPECT_EXIT(
      {
        atomic_output* out = new atomic_output;  // never destroyed: exit ends the process
        if (!out->open(path)) std::_Exit(3);
        out->remove_on_exit();
        out->write("partial");
        std::exit(1);
      },
      testing::ExitedWithCode(1), "");
  EXPECT_TRUE(dir_entries(dir).empty());
}

// A run writes several files at once (the table, the annotated VCF and its
// index): an early exit removes every temporary file, and committing one
// output leaves the others registered.
TEST(atomic_output, exit_removes_every_registered_temporary_file) {
  std::string dir = make_temp_dir();
  EXPECT_EXIT(
      {
        atomic_output* outs[4];
        for (int n = 0; n < 4; n++) {
          outs[n] = new atomic_output;
          if (!outs[n]->open(dir + "/out" + std::to_string(n))) std::_Exit(3);
          outs[n]->remove_on_exit();
          outs[n]->write("partial");
        }
        if (!outs[1]->commit()) std::_Exit(4);
        std::exit(1);
      },
      testing::ExitedWithCode(1), "");
  EXPECT_EQ(dir_entries(dir), std::vector<std::string>{"out1"});
}

TEST(atomic_output, unopenable_paths_fail_at_open) {
  atomic_output out;
  EXPECT_FALSE(out.open("/nonexistent-dir-drevel/table.tsv"));
  EXPECT_FALSE(out.write("x"));
  EXPECT_FALSE(out.commit());
}

TEST(atomic_output, devices_are_written_directly) {
  atomic_output out;
  ASSERT_TRUE(out.open("/dev/null"));
  EXPECT_TRUE(out.write("x"));
  EXPECT_TRUE(out.commit());
}
