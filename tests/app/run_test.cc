// The drevel binary end to end: result bytes, exit statuses, and what a
// failed run leaves behind.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <dirent.h>

#include <string>
#include <vector>

#include "support/run_drevel.h"

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
  run_result ok = run_drevel({t.in("2\n10 20 30\n0 0 0\n"), t.out, "ignored third argument"});
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
  EXPECT_EQ(r.err, "ERROR: Unable to open input file\n");
}

TEST(run, usage_help_and_version) {
  run_result none = run_drevel({});
  EXPECT_EQ(none.status, 2);
  EXPECT_EQ(none.err, "\nSINTAX: drevel <inputfile> <outputfile> \n");
  EXPECT_EQ(run_drevel({"only-input"}).status, 2);
  for (const char* flag : {"--help", "-h"}) {
    run_result help = run_drevel({flag});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Usage: drevel <inputfile> <outputfile>"), std::string::npos);
    EXPECT_EQ(help.err, "");
  }
  run_result version = run_drevel({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("drevel ", 0), 0u);
}

TEST(run, unwritable_result_paths) {
  tree t;
  std::string in = t.in("2 10 20 30 0 0 0");
  run_result no_dir = run_drevel({in, t.dir + "/no/such/dir/result.txt"});
  EXPECT_EQ(no_dir.status, 1);
  EXPECT_EQ(no_dir.err, "Error: unable to open output file\n");
  run_result full = run_drevel({in, "/dev/full"});
  EXPECT_EQ(full.status, 1);
  EXPECT_EQ(full.err, "Error: unable to write output file\n");
}

TEST(run, result_replaces_a_regular_file_and_writes_through_links) {
  tree t;
  std::string in = t.in("2 10 20 30 0 0 0");
  write_text(t.out, "old result that is longer than the new one, to see truncation.......\n"
                    "....................................................................\n");
  chmod(t.out.c_str(), 0600);
  mode_t mask = umask(022);
  umask(mask);
  EXPECT_EQ(run_drevel({in, t.out}).status, 0);
  EXPECT_EQ(read_text(t.out), two_alleles_result);
  struct stat st;
  stat(t.out.c_str(), &st);
  EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask) << "permissions of a newly created file";

  std::string target = t.dir + "/target.txt", link = t.dir + "/link.txt";
  write_text(target, "x");
  ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
  EXPECT_EQ(run_drevel({in, link}).status, 0);
  struct stat lst;
  lstat(link.c_str(), &lst);
  EXPECT_TRUE(S_ISLNK(lst.st_mode)) << "the link stays a link";
  EXPECT_EQ(read_text(target), two_alleles_result);
}
