// The drevel binary end to end: result bytes, exit statuses, and what a
// failed run leaves behind.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <dirent.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "support/run_drevel.h"
#include "support/sanitized.h"

namespace {

struct tree {
  std::string dir = make_temp_dir();
  std::string in(const std::string& text) {
    std::string path = dir + "/in.txt";
    write_text(path, text);
    return path;
  }
  std::string out = dir + "/result.txt";
  std::vector<std::string> files() const { return dir_entries(dir); }
};

const char* const two_alleles_result =
    "1.495667e-01 \n"
    "-6.068461e+01 \n"
    "-6.251914e+01\n"
    "1.666675e-01\t\t3.333333e-01\t\t4.999992e-01\t\n"
    "1.111117e-01\t4.444450e-01\t4.444433e-01\n";

}  // namespace

TEST(run, two_alleles_result_file_byte_for_byte) {
  tree t;
  run_result ok = run_drevel({t.in("2\n10 20 30\n0 0 0\n"), t.out});
  EXPECT_EQ(ok.status, 0);
  EXPECT_EQ(ok.out, "");
  EXPECT_EQ(ok.err, "");
  EXPECT_EQ(read_text(t.out), two_alleles_result);
}

TEST(run, bundled_example_and_one_allele) {
  tree t;
  run_result r = run_drevel({source_path("examples/two_alleles.txt"), t.out});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(read_text(t.out), two_alleles_result);

  run_drevel({t.in("1 17 0 0 0"), t.out});
  EXPECT_EQ(read_text(t.out),
            "0.000000e+00 \n0.000000e+00 \n0.000000e+00\n1.000000e+00\t\n1.000000e+00\n");

  run_drevel({t.in("3 20 10 5 3 7 12 0 0 0"), t.out});
  EXPECT_EQ(read_text(t.out).substr(0, 13), "0.000000e+00 ");
  run_drevel({t.in("2 0 0 0 0 0 0"), t.out});
  EXPECT_EQ(read_text(t.out).substr(0, 13), "8.747279e-01 ");
}

TEST(run, failures_leave_an_existing_result_untouched) {
  struct { std::string input; int status; std::string message; } cases[] = {
      {"", 1, "INPUT FORMAT"},
      {"2 10 20", 1, "ERROR: Data file incompatible with number of alleles\n"},
      {"2 10 -20 30 0 0 0", 1, "is negative"},
      {"0", 1, "at least 1"},
      {"2 1 2 3 nan 0 0", 1, "precision is not a finite number"},
  };
  for (const auto& c : cases) {
    tree t;
    write_text(t.out, "precious\n");
    run_result r = run_drevel({t.in(c.input), t.out});
    EXPECT_EQ(r.status, c.status) << c.input;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << c.input << ": " << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(read_text(t.out), "precious\n");
    EXPECT_EQ(t.files().size(), 2u) << "no temporary file left behind";
  }
  tree t;
  run_result r = run_drevel({t.dir + "/missing.txt", t.out});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "ERROR: Unable to open input file\n" + t.dir +
                       "/missing.txt: No such file or directory\n");
  run_result dir = run_drevel({t.dir, t.out});
  EXPECT_EQ(dir.status, 1);
  EXPECT_EQ(dir.err, "ERROR: Unable to open input file\n" + t.dir + ": Is a directory\n");
  EXPECT_EQ(t.files().size(), 0u);
}

TEST(run, usage_help_and_version) {
  run_result none = run_drevel({});
  EXPECT_EQ(none.status, 2);
  EXPECT_EQ(none.err, "\nSINTAX: drevel <inputfile> <outputfile> \n");
  EXPECT_EQ(run_drevel({"only-input"}).status, 2);
  // A third file (a glob that matched three loci) is refused before the
  // second, an input too, is overwritten.
  tree t;
  std::string one = t.in("2 10 20 30 0 0 0"), two = t.dir + "/two.txt";
  write_text(two, "2 1 2 3 0 0 0\n");
  run_result three = run_drevel({one, two, t.dir + "/three.txt"});
  EXPECT_EQ(three.status, 2);
  EXPECT_EQ(three.err, none.err);
  EXPECT_EQ(read_text(two), "2 1 2 3 0 0 0\n");
  for (const char* flag : {"--help", "-h"}) {
    run_result help = run_drevel({flag});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Usage: drevel <inputfile> <outputfile>"), std::string::npos);
    EXPECT_EQ(help.err, "");
  }
  run_result version = run_drevel({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("drevel ", 0), 0u);
  // Anywhere on the line, after a mode or files, even beside a bad option.
  for (std::vector<std::string> args :
       {std::vector<std::string>{"--vcf", "--help"}, {"--genepop", "in", "out", "-h"},
        {"in", "out", "--help"}, {"--threads", "zero", "--help"}}) {
    run_result help = run_drevel(args);
    EXPECT_EQ(help.status, 0) << args[0];
    EXPECT_NE(help.out.find("Many loci: drevel --vcf"), std::string::npos);
  }
  EXPECT_EQ(run_drevel({"--vcf", "x.vcf", "--version"}).out, version.out);
}

TEST(run, unwritable_result_paths) {
  tree t;
  std::string in = t.in("2 10 20 30 0 0 0");
  run_result no_dir = run_drevel({in, t.dir + "/no/such/dir/result.txt"});
  EXPECT_EQ(no_dir.status, 1);
  EXPECT_EQ(no_dir.err, "Error: unable to open output file\n" + t.dir +
                            "/no/such/dir/result.txt: No such file or directory\n");
  run_result full = run_drevel({in, "/dev/full"});
  EXPECT_EQ(full.status, 1);
  EXPECT_EQ(full.err, "Error: unable to write output file\n/dev/full: No space left on device\n");
}

TEST(run, result_replaces_a_regular_file_and_writes_through_links) {
  tree t;
  std::string in = t.in("2 10 20 30 0 0 0");
  write_text(t.out, "old result that is longer than the new one, to see truncation.......\n"
                    "....................................................................\n");
  chmod(t.out.c_str(), 0600);
  EXPECT_EQ(run_drevel({in, t.out}).status, 0);
  EXPECT_EQ(read_text(t.out), two_alleles_result);
  struct stat st;
  stat(t.out.c_str(), &st);
  EXPECT_EQ(st.st_mode & 0777, 0600u) << "the replaced file keeps its permissions";

  std::string target = t.dir + "/target.txt", link = t.dir + "/link.txt";
  write_text(target, "x");
  ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
  EXPECT_EQ(run_drevel({in, link}).status, 0);
  struct stat lst;
  lstat(link.c_str(), &lst);
  EXPECT_TRUE(S_ISLNK(lst.st_mode)) << "the link stays a link";
  EXPECT_EQ(read_text(target), two_alleles_result);
}

namespace {

bool is_link(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

}  // namespace

TEST(run, counts_beyond_double_precision_are_refused_with_the_cause) {
  struct { const char* input; const char* cause; } cases[] = {
      // The mode's last cell rounds to 0: L_max = -inf.
      {"2\n1e13 1e3 0\n0 100 100\n", "the counts add up to 10000000001000, more than 10000000000"},
      // The sum overflows: NaN everywhere.
      {"2\n1e308 1e308 1e308\n0 0 0\n", "more than the largest floating-point number"},
      // L_max below L_hyp.
      {"2\n1e11 7e3 0\n0 1006 100\n", "more than 10000000000, the largest total computed safely"},
      // The equilibrium fit's last frequency lost: allele 3 has no copies.
      {"3\n2e4 2e4 2e4 0 0 0\n0 0 0\n", "the equilibrium fit is lost to rounding (L_hyp = -inf): allele 3"},
  };
  for (const auto& c : cases) {
    tree t;
    write_text(t.out, "precious\n");
    run_result r = run_drevel({t.in(c.input), t.out});
    EXPECT_EQ(r.status, 1) << c.input;
    EXPECT_EQ(r.err.rfind("ERROR: ", 0), 0u) << r.err;
    EXPECT_NE(r.err.find(c.cause), std::string::npos) << c.input << ": " << r.err;
    EXPECT_EQ(read_text(t.out), "precious\n");
    EXPECT_EQ(t.files().size(), 2u) << "no temporary file left behind";
  }
  // At the limit, and below the fit's reach, the run is computed.
  tree t;
  EXPECT_EQ(run_drevel({t.in("2\n1e10 0 0\n0 100 100\n"), t.out}).status, 0);
  EXPECT_EQ(run_drevel({t.in("3\n1e4 1e4 1e4 0 0 0\n0 100 100\n"), t.out}).status, 0);
}

TEST(run, an_output_that_is_the_input_is_refused) {
  tree t;
  std::string in = t.in("2 10 20 30 0 0 0");
  std::string link = t.dir + "/link.txt", hard = t.dir + "/hard.txt";
  ASSERT_EQ(symlink(in.c_str(), link.c_str()), 0);
  ASSERT_EQ(::link(in.c_str(), hard.c_str()), 0);
  for (const std::string& out : {in, link, hard, t.dir + "/./in.txt"}) {
    run_result r = run_drevel({in, out});
    EXPECT_EQ(r.status, 1) << out;
    EXPECT_EQ(r.err, "ERROR: the output file is the input file: " + out + "\n");
    EXPECT_EQ(read_text(in), "2 10 20 30 0 0 0");
  }
  EXPECT_EQ(t.files().size(), 3u);
}

TEST(run, a_link_keeps_its_target_until_the_result_is_complete) {
  tree t;
  ASSERT_EQ(mkdir((t.dir + "/results").c_str(), 0755), 0);
  std::string target = t.dir + "/results/result.txt", link = t.dir + "/link.txt";
  write_text(target, "precious\n");
  ASSERT_EQ(chmod(target.c_str(), 0640), 0);
  ASSERT_EQ(symlink("results/result.txt", link.c_str()), 0);
  // A run that fails after the output is open leaves the target whole.
  run_result refused = run_drevel({t.in("2\n1e13 1e3 0\n0 100 100\n"), link});
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(read_text(target), "precious\n");
  EXPECT_EQ(dir_entries(t.dir + "/results").size(), 1u);
  // A run that succeeds replaces the target; the link stays a link and the
  // target keeps its permissions.
  EXPECT_EQ(run_drevel({t.in("2 10 20 30 0 0 0"), link}).status, 0);
  EXPECT_TRUE(is_link(link));
  EXPECT_EQ(read_text(target), two_alleles_result);
  struct stat st;
  ASSERT_EQ(stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(dir_entries(t.dir + "/results").size(), 1u);
}

TEST(run, result_names_up_to_the_longest_a_directory_takes) {
  tree t;
  std::string in = t.in("2 10 20 30 0 0 0");
  for (size_t length : {247u, 248u, 251u, 255u}) {
    std::string out = t.dir + "/" + std::string(length, 'r');
    run_result r = run_drevel({in, out});
    EXPECT_EQ(r.status, 0) << length << ": " << r.err;
    EXPECT_EQ(read_text(out), two_alleles_result) << length;
  }
}

TEST(run, an_interrupted_run_leaves_no_temporary_file) {
  tree t;
  write_text(t.out, "precious\n");
  // A run of seconds: the temporary file exists while it computes, and an
  // interrupt removes it.
  pid_t pid = start_drevel({source_path("bench/locus20.txt"), t.out, "--engine", "literal"});
  ASSERT_TRUE(wait_for_entry(t.dir, ".result.txt.", pid)) << "no temporary file while computing";
  kill(pid, SIGINT);
  int status = wait_drevel(pid);
  ASSERT_TRUE(WIFSIGNALED(status)) << status;
  EXPECT_EQ(WTERMSIG(status), SIGINT);
  EXPECT_EQ(read_text(t.out), "precious\n");
  EXPECT_EQ(t.files(), std::vector<std::string>{"result.txt"});
}

TEST(run, signals_ignored_by_the_parent_stay_ignored) {
  tree t;
  // As nohup, or a shell's background job: signals that reach the run while
  // it computes change nothing, and it finishes and writes.
  pid_t pid = start_drevel({source_path("bench/locus20.txt"), t.out, "--engine", "literal"},
                           {SIGHUP, SIGINT});
  ASSERT_TRUE(wait_for_entry(t.dir, ".result.txt.", pid));
  kill(pid, SIGHUP);
  kill(pid, SIGINT);
  int status = wait_drevel(pid);
  ASSERT_TRUE(WIFEXITED(status)) << status;
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(t.files(), std::vector<std::string>{"result.txt"});
}

// A thread that cannot start (its stack beyond the address space left):
// a message and status 1, the result file as it was, no temporary file.
TEST(run, a_thread_that_cannot_start_fails_cleanly) {
  if (sanitized) GTEST_SKIP() << "address space limits do not apply under the sanitizers";
  tree t;
  write_text(t.out, "precious\n");
  const std::string command = "(ulimit -s 2000000; ulimit -v 1000000; exec '" + drevel_binary() +
                              "' '" + source_path("bench/locus20.txt") + "' '" + t.out +
                              "' --threads 2) 2>'" + t.dir + "/err'";
  int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status)) << status;
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_EQ(read_text(t.dir + "/err"),
            "drevel: cannot start a thread: Resource temporarily unavailable\n");
  EXPECT_EQ(read_text(t.out), "precious\n");
  EXPECT_EQ(t.files().size(), 2u) << "no temporary file left";
}
