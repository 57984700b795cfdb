#include "io/atomic_output.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <dirent.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "support/run_drevel.h"

using namespace drevel;

namespace {

mode_t mode_of(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

bool is_link(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

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
        if (!out->write("partial")) std::_Exit(3);
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
          if (!outs[n]->write("partial")) std::_Exit(3);
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

TEST(atomic_output, links_are_followed_to_the_file_they_name) {
  std::string dir = make_temp_dir();
  ASSERT_EQ(mkdir((dir + "/data").c_str(), 0755), 0);
  std::string target = dir + "/data/table.tsv", link = dir + "/link.tsv";
  write_text(target, "old\n");
  ASSERT_EQ(symlink("data/table.tsv", link.c_str()), 0);  // relative to the link's directory

  // Written and abandoned: the target keeps every byte, and nothing is left.
  {
    atomic_output out;
    ASSERT_TRUE(out.open(link));
    ASSERT_TRUE(out.write(std::string(100000, 'x')));
  }
  EXPECT_EQ(read_text(target), "old\n");
  EXPECT_EQ(dir_entries(dir + "/data"), std::vector<std::string>{"table.tsv"});
  EXPECT_EQ(dir_entries(dir).size(), 2u);

  // Committed through a chain of two links: the target is replaced by a
  // file made beside it, and both links stay links.
  std::string second = dir + "/second.tsv";
  ASSERT_EQ(symlink(link.c_str(), second.c_str()), 0);
  atomic_output out;
  ASSERT_TRUE(out.open(second));
  EXPECT_EQ(dir_entries(dir + "/data").size(), 2u) << "the temporary file sits beside the target";
  ASSERT_TRUE(out.write("new\n"));
  ASSERT_TRUE(out.commit());
  EXPECT_EQ(read_text(target), "new\n");
  EXPECT_TRUE(is_link(link));
  EXPECT_TRUE(is_link(second));

  // A link to nothing yet makes the file it names.
  std::string dangling = dir + "/dangling.tsv";
  ASSERT_EQ(symlink("data/made.tsv", dangling.c_str()), 0);
  atomic_output made;
  ASSERT_TRUE(made.open(dangling));
  ASSERT_TRUE(made.write("made\n") && made.commit());
  EXPECT_EQ(read_text(dir + "/data/made.tsv"), "made\n");
  EXPECT_TRUE(is_link(dangling));

  // Links that loop fail at open.
  ASSERT_EQ(symlink((dir + "/loop_b").c_str(), (dir + "/loop_a").c_str()), 0);
  ASSERT_EQ(symlink((dir + "/loop_a").c_str(), (dir + "/loop_b").c_str()), 0);
  atomic_output loop;
  const status opened = loop.open(dir + "/loop_a");
  EXPECT_EQ(opened.kind(), fault_kind::output);
  EXPECT_EQ(opened.message(), std::strerror(ELOOP));
}

TEST(atomic_output, a_replaced_file_keeps_its_permissions) {
  std::string dir = make_temp_dir();
  for (mode_t mode : {0600, 0640, 0444, 0755}) {
    std::string path = dir + "/result" + std::to_string(mode) + ".txt";
    write_text(path, "old\n");
    ASSERT_EQ(chmod(path.c_str(), mode), 0);
    atomic_output out;
    ASSERT_TRUE(out.open(path)) << std::oct << mode;
    ASSERT_TRUE(out.write("new\n") && out.commit());
    EXPECT_EQ(read_text(path), "new\n") << "a read-only file is replaced, as sed -i does";
    EXPECT_EQ(mode_of(path), mode) << std::oct << mode;
  }
  mode_t mask = umask(022);
  umask(mask);
  atomic_output fresh;
  ASSERT_TRUE(fresh.open(dir + "/new.txt"));
  ASSERT_TRUE(fresh.write("x") && fresh.commit());
  EXPECT_EQ(mode_of(dir + "/new.txt"), 0666 & ~mask);
}

TEST(atomic_output, names_up_to_the_longest_a_directory_takes) {
  std::string dir = make_temp_dir();
  for (size_t length : {200u, 247u, 248u, 250u, 255u}) {
    std::string path = dir + "/" + std::string(length, 'n');
    atomic_output out;
    const status opened = out.open(path);
    ASSERT_TRUE(opened) << length << " characters: " << opened.message();
    ASSERT_TRUE(out.write("x") && out.commit()) << length;
    EXPECT_EQ(read_text(path), "x");
  }
  // Several outputs of the same long name at once get different names.
  std::string path = dir + "/" + std::string(255, 'm');
  atomic_output a, b;
  ASSERT_TRUE(a.open(path));
  ASSERT_TRUE(b.open(path));
  EXPECT_EQ(dir_entries(dir).size(), 5u + 2u);
}

TEST(atomic_output, the_descriptor_names_of_standard_output_are_written_in_place) {
  std::string dir = make_temp_dir(), log = dir + "/log.txt";
  write_text(log, "earlier lines\n");
  // Standard output appending to a log: /dev/stdout and /dev/fd/1 reach the
  // log through /proc, and must append rather than replace it.
  EXPECT_EXIT(
      {
        int fd = ::open(log.c_str(), O_WRONLY | O_APPEND);
        dup2(fd, 1);
        for (const char* name : {"/dev/stdout", "/dev/fd/1"}) {
          atomic_output out;
          if (!out.open(name) || !out.write(std::string(name) + "\n") || !out.commit())
            std::_Exit(3);
        }
        std::_Exit(0);
      },
      testing::ExitedWithCode(0), "");
  EXPECT_EQ(read_text(log), "earlier lines\n/dev/stdout\n/dev/fd/1\n");
  EXPECT_EQ(dir_entries(dir).size(), 1u);
}

TEST(atomic_output, a_fatal_signal_removes_the_temporary_file) {
  std::string dir = make_temp_dir(), path = dir + "/table.tsv";
  write_text(path, "old\n");
  // An abort (an uncaught exception) too, and a pipe closed under the run.
  for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE, SIGXFSZ, SIGUSR1, SIGABRT}) {
    EXPECT_EXIT(
        {
          atomic_output* out = new atomic_output;
          out->remove_on_exit();  // before open: covered from the start
          if (!out->open(path) || !out->write("partial")) std::_Exit(3);
          if (sig == SIGABRT) std::abort();
          raise(sig);
          std::_Exit(4);
        },
        testing::KilledBySignal(sig), "");
    EXPECT_EQ(dir_entries(dir), std::vector<std::string>{"table.tsv"}) << sig;
    EXPECT_EQ(read_text(path), "old\n");
  }
}

TEST(atomic_output, signals_the_parent_ignored_stay_ignored) {
  std::string dir = make_temp_dir(), path = dir + "/table.tsv";
  for (int sig : {SIGINT, SIGHUP}) {
    EXPECT_EXIT(
        {
          signal(sig, SIG_IGN);  // as nohup, or a shell's background job
          atomic_output out;
          if (!out.open(path)) std::_Exit(3);
          out.remove_on_exit();
          raise(sig);
          std::_Exit(out.write("whole\n") && out.commit() ? 0 : 4);
        },
        testing::ExitedWithCode(0), "");
    EXPECT_EQ(read_text(path), "whole\n") << sig;
  }
}
