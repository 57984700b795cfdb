#include "app/options.h"

#include <gtest/gtest.h>
#include <sched.h>

#include <cstdlib>

#include <string>
#include <vector>

#include "support/run_drevel.h"

using namespace drevel;

namespace {

struct parsed {
  bool ok;
  std::string error;
  command_line cl;
};

parsed parse(std::vector<std::string> args) {
  args.insert(args.begin(), "drevel");
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(&a[0]);
  argv.push_back(nullptr);
  parsed p;
  p.ok = parse_command_line(static_cast<int>(args.size()), argv.data(), &p.cl, &p.error);
  return p;
}

}  // namespace

TEST(options, classic_run_takes_its_options_anywhere_in_both_spellings) {
  parsed p = parse({"--engine", "literal", "in.txt", "--threads=3", "out.txt"});
  ASSERT_TRUE(p.ok) << p.error;
  EXPECT_EQ(p.cl.mode, run_mode::classic);
  EXPECT_EQ(p.cl.tuning.engine, mc_engine::literal);
  EXPECT_EQ(p.cl.threads, 3);
  EXPECT_EQ(p.cl.files, (std::vector<std::string>{"in.txt", "out.txt"}));

  p = parse({"in.txt", "out.txt", "--engine=fast", "--threads", "2", "extra"});
  EXPECT_EQ(p.cl.tuning.engine, mc_engine::fast);
  EXPECT_EQ(p.cl.threads, 2);
  EXPECT_EQ(p.cl.files, (std::vector<std::string>{"in.txt", "out.txt", "extra"}));

  p = parse({"in.txt", "out.txt"});
  EXPECT_EQ(p.cl.tuning.engine, mc_engine::fast);
  EXPECT_EQ(thread_count(p.cl), available_cores());  // 0 means one per core
}

TEST(options, vcf_defaults_and_both_spellings) {
  parsed r = parse({"--vcf", "in.vcf", "-"});
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.cl.mode, run_mode::vcf);
  EXPECT_EQ(r.cl.files, (std::vector<std::string>{"in.vcf", "-"}));
  EXPECT_EQ(thread_count(r.cl), available_cores());
  EXPECT_TRUE(r.cl.regions.empty());
  EXPECT_FALSE(r.cl.have_samples);
  EXPECT_EQ(r.cl.tuning.precision, 0);
  EXPECT_EQ(r.cl.tuning.minmc, 0);
  EXPECT_EQ(r.cl.max_alleles, default_max_alleles);
  EXPECT_EQ(r.cl.tuning.engine, mc_engine::fast);
  EXPECT_FALSE(r.cl.regions_by_pos);
  EXPECT_TRUE(parse({"--vcf", "--regions-overlap=pos", "a", "b"}).cl.regions_by_pos);
  EXPECT_FALSE(parse({"--vcf", "--regions-overlap", "record", "a", "b"}).cl.regions_by_pos);

  r = parse({"--threads=3", "-", "--vcf", "--regions", "1:5-9,2", "out.tsv", "--samples=@s.txt",
             "--precision", "1e-3", "--minmc=-7", "--maxmc", "2147483647", "--max-alleles=4",
             "--engine", "literal"});
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.cl.files, (std::vector<std::string>{"-", "out.tsv"}));
  EXPECT_EQ(r.cl.threads, 3);
  EXPECT_EQ(r.cl.regions, (std::vector<std::string>{"1:5-9", "2"}));
  EXPECT_TRUE(r.cl.have_samples);
  EXPECT_EQ(r.cl.samples, "@s.txt");
  EXPECT_EQ(r.cl.tuning.precision, 1e-3);
  EXPECT_EQ(r.cl.tuning.minmc, -7);
  EXPECT_EQ(r.cl.tuning.maxmc, 2147483647);
  EXPECT_EQ(r.cl.max_alleles, 4);
  EXPECT_EQ(r.cl.tuning.engine, mc_engine::literal);
}

TEST(options, groups_and_declared_alleles_for_vcf_only) {
  parsed r = parse({"--vcf", "--groups", "pops.txt", "--declared-alleles", "in.vcf", "-"});
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.cl.groups, "pops.txt");
  EXPECT_TRUE(r.cl.declared_alleles);
  r = parse({"--vcf", "in.vcf", "-"});
  EXPECT_EQ(r.cl.groups, "");
  EXPECT_FALSE(r.cl.declared_alleles);
  r = parse({"--genepop", "--max-alleles=30", "--threads", "2", "--maxmc=500", "in.gen", "-"});
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.cl.mode, run_mode::genepop);
  EXPECT_EQ(r.cl.max_alleles, 30);
  for (const char* option : {"--groups=g.txt", "--declared-alleles", "--samples=A", "--regions=1"}) {
    r = parse({"--genepop", option, "in.gen", "-"});
    EXPECT_FALSE(r.ok) << option;
    EXPECT_NE(r.error.find("applies only to --vcf"), std::string::npos) << r.error;
  }
  EXPECT_NE(parse({"--vcf", "--declared-alleles=1", "a", "b"}).error.find("takes no value"),
            std::string::npos);
  EXPECT_NE(parse({"--vcf", "--groups=", "a", "b"}).error.find("--groups needs a file"),
            std::string::npos);
}

TEST(options, verbose_in_every_mode) {
  EXPECT_TRUE(parse({"--verbose", "a", "b"}).cl.verbose);
  EXPECT_TRUE(parse({"--vcf", "a", "b", "--verbose"}).cl.verbose);
  EXPECT_FALSE(parse({"a", "b"}).cl.verbose);
}

TEST(options, site_engine_for_the_batch_modes_batch_by_default) {
  EXPECT_EQ(parse({"--vcf", "a", "b"}).cl.site_engine, site_engine_choice::batch);
  EXPECT_EQ(parse({"--vcf", "--site-engine", "per-site", "a", "b"}).cl.site_engine,
            site_engine_choice::per_site);
  EXPECT_EQ(parse({"--genepop", "a", "b", "--site-engine=per-site"}).cl.site_engine,
            site_engine_choice::per_site);
  EXPECT_EQ(parse({"--genepop", "--site-engine=batch", "a", "b"}).cl.site_engine,
            site_engine_choice::batch);
}

TEST(options, help_and_version_anywhere) {
  EXPECT_EQ(parse({"--vcf", "--help"}).cl.mode, run_mode::help);
  EXPECT_EQ(parse({"in", "out", "-h"}).cl.mode, run_mode::help);
  EXPECT_EQ(parse({"--threads", "0", "--version"}).cl.mode, run_mode::version);
}

TEST(options, usage_errors_name_the_problem) {
  struct bad {
    std::vector<std::string> args;
    const char* message;
  };
  for (const bad& b : std::vector<bad>{
           {{"--vcf", "in.vcf"}, "needs an input and an output file"},
           {{"--vcf", "a", "b", "c"}, "needs an input and an output file"},
           {{"--vcf", "--threads", "0", "a", "b"}, "--threads needs a whole number from 1 to 1024"},
           {{"--threads=1025", "a", "b"}, "--threads needs a whole number from 1 to 1024"},
           {{"--vcf", "--threads", "2x", "a", "b"}, "not '2x'"},
           {{"--vcf", "a", "b", "--threads"}, "--threads needs a value"},
           {{"a", "b", "--threads"}, "--threads needs a value"},
           {{"--vcf", "--regions", "1:1-5,,2", "a", "b"}, "--regions needs"},
           {{"--vcf", "--samples=", "a", "b"}, "--samples needs"},
           {{"--vcf", "--precision", "nan", "a", "b"}, "--precision needs a finite number"},
           {{"--vcf", "--minmc", "2147483648", "a", "b"}, "--minmc needs a whole number"},
           {{"--vcf", "--maxmc", "1.5", "a", "b"}, "--maxmc needs"},
           {{"--vcf", "--max-alleles", "655", "a", "b"}, "from 1 to 654"},
           {{"--vcf", "--engine=slow", "a", "b"}, "--engine needs fast or literal, not 'slow'"},
           {{"--vcf", "--site-engine", "lanes", "a", "b"}, "--site-engine needs batch or per-site, not 'lanes'"},
           {{"--site-engine=batch", "a", "b"}, "--site-engine applies only to"},
           {{"--vcf", "--bogus", "a", "b"}, "unknown option '--bogus'"},
           {{"--vcf", "-x", "a", "b"}, "unknown option '-x'"},
           {{"--vcf=1", "a", "b"}, "--vcf takes no value"},
           {{"--regions", "1", "a", "b"}, "--regions applies only to --vcf"},
           {{"--vcf", "--regions-overlap", "variant", "a", "b"}, "--regions-overlap needs pos or record"},
           {{"--plot", "--threads", "2", "a", "b"}, "--threads applies only to the two-file run, --vcf, --genepop, --bed and --counts"},
           {{"--vcf", "--plot", "a", "b"}, "exclude each other"},
           {{"--plot", "a"}, "--plot needs a table and a picture file"},
           {{"--genepop", "a"}, "--genepop needs an input and an output file"},
       }) {
    parsed r = parse(b.args);
    EXPECT_FALSE(r.ok) << b.message;
    EXPECT_NE(r.error.find(b.message), std::string::npos) << r.error;
  }
}

// The engine and the thread count never change the result file.
TEST(options, every_engine_and_thread_count_writes_the_same_bytes) {
  std::string dir = make_temp_dir();
  std::string in = dir + "/in.txt";
  // The benchmark's ten-allele locus (enough cells for the second thread),
  // cut to 3000 draws.
  std::string text = read_text(source_path("bench/locus10.txt"));
  text = text.substr(0, text.rfind("0 0 0")) + "0 3000 3000\n";
  write_text(in, text);
  std::string reference;
  std::vector<std::vector<std::string>> variants = {
      {"--engine", "literal"}, {}, {"--threads", "1"}, {"--threads", "2"}, {"--threads=3"}};
  for (const auto& v : variants) {
    std::vector<std::string> args = v;
    args.push_back(in);
    args.push_back(dir + "/out.txt");
    run_result r = run_drevel(args);
    ASSERT_EQ(r.status, 0) << r.err;
    std::string out = read_text(dir + "/out.txt");
    if (reference.empty()) reference = out;
    EXPECT_EQ(out, reference);
  }
  EXPECT_EQ(reference.substr(0, 13), "4.293333e-01 ");  // 1712 hits in 3000
}

TEST(options, a_bad_option_is_a_usage_error_and_writes_nothing) {
  std::string dir = make_temp_dir();
  write_text(dir + "/in.txt", "2\n10 20 30\n0 0 0\n");
  run_result r = run_drevel({"--engine", "slow", dir + "/in.txt", dir + "/out.txt"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "drevel: --engine needs fast or literal, not 'slow' (see drevel --help)\n");
  EXPECT_FALSE(file_exists(dir + "/out.txt"));
}

TEST(options, default_threads_follow_the_affinity_mask) {
  // As `taskset -c N drevel ...`: one core allowed, one thread by default.
  EXPECT_EXIT(
      {
        cpu_set_t set;
        if (sched_getaffinity(0, sizeof set, &set) != 0) std::_Exit(3);
        int first = 0;
        while (!CPU_ISSET(first, &set)) first++;
        CPU_ZERO(&set);
        CPU_SET(first, &set);
        if (sched_setaffinity(0, sizeof set, &set) != 0) std::_Exit(4);
        parsed classic = parse({"in.txt", "out.txt"});
        parsed vcf = parse({"--vcf", "in.vcf", "-"});
        parsed chosen = parse({"--threads", "2", "in.txt", "out.txt"});
        std::_Exit(available_cores() == 1 && thread_count(classic.cl) == 1 &&
                           thread_count(vcf.cl) == 1 && thread_count(chosen.cl) == 2
                       ? 0
                       : 5);
      },
      testing::ExitedWithCode(0), "");
}

TEST(options, the_classic_run_says_its_threads_when_verbose) {
  std::string dir = make_temp_dir();
  write_text(dir + "/in.txt", "2 10 20 30 0 0 0");
  run_result r = run_drevel({"--verbose", dir + "/in.txt", dir + "/out.txt", "--threads", "3"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err.rfind("drevel: fast engine, 3 threads: ", 0), 0u) << r.err;
  if (std::system("taskset -c 0 true >/dev/null 2>&1") == 0) {
    std::string command = "taskset -c 0 " + drevel_binary() + " --verbose " + dir + "/in.txt " + dir +
                          "/out.txt 2>" + dir + "/err.txt";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(read_text(dir + "/err.txt").rfind("drevel: fast engine, 1 thread: ", 0), 0u);
  }
}
