#include "app/vcf_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/run_drevel.h"

using namespace drevel;

namespace {

struct parse_result {
  bool ok;
  vcf_options options;
  std::string error;
};

parse_result parse(std::vector<std::string> args) {
  args.insert(args.begin(), "drevel");
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(&a[0]);
  argv.push_back(nullptr);
  parse_result r;
  r.ok = parse_vcf_options(static_cast<int>(args.size()), argv.data(), &r.options, &r.error);
  return r;
}

}  // namespace

TEST(vcf_options, defaults_and_both_spellings) {
  parse_result r = parse({"--vcf", "in.vcf", "-"});
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.options.input, "in.vcf");
  EXPECT_EQ(r.options.output, "-");
  EXPECT_EQ(r.options.threads, available_cores());
  EXPECT_TRUE(r.options.regions.empty());
  EXPECT_FALSE(r.options.have_samples);
  EXPECT_EQ(r.options.tuning.precision, 0);
  EXPECT_EQ(r.options.tuning.minmc, 0);
  EXPECT_EQ(r.options.max_alleles, default_max_alleles);
  EXPECT_EQ(r.options.tuning.engine, mc_engine::fast);

  r = parse({"--threads=3", "-", "--vcf", "--regions", "1:5-9,2", "out.tsv", "--samples=@s.txt",
             "--precision", "1e-3", "--minmc=-7", "--maxmc", "2147483647", "--max-alleles=4", "--engine", "literal"});
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.options.input, "-");
  EXPECT_EQ(r.options.output, "out.tsv");
  EXPECT_EQ(r.options.threads, 3);
  EXPECT_EQ(r.options.regions, (std::vector<std::string>{"1:5-9", "2"}));
  EXPECT_TRUE(r.options.have_samples);
  EXPECT_EQ(r.options.samples, "@s.txt");
  EXPECT_EQ(r.options.tuning.precision, 1e-3);
  EXPECT_EQ(r.options.tuning.minmc, -7);
  EXPECT_EQ(r.options.tuning.maxmc, 2147483647);
  EXPECT_EQ(r.options.max_alleles, 4);
  EXPECT_EQ(r.options.tuning.engine, mc_engine::literal);
}

TEST(vcf_options, usage_errors_name_the_problem) {
  struct bad {
    std::vector<std::string> args;
    const char* message;
  };
  for (const bad& b : std::vector<bad>{
           {{"--vcf", "in.vcf"}, "needs an input and an output file"},
           {{"--vcf", "a", "b", "c"}, "needs an input and an output file"},
           {{"--vcf", "--threads", "0", "a", "b"}, "--threads needs a whole number from 1"},
           {{"--vcf", "--threads", "2x", "a", "b"}, "not '2x'"},
           {{"--vcf", "a", "b", "--threads"}, "--threads needs a value"},
           {{"--vcf", "--regions", "1:1-5,,2", "a", "b"}, "--regions needs"},
           {{"--vcf", "--samples=", "a", "b"}, "--samples needs"},
           {{"--vcf", "--precision", "nan", "a", "b"}, "--precision needs a finite number"},
           {{"--vcf", "--minmc", "2147483648", "a", "b"}, "--minmc needs a whole number"},
           {{"--vcf", "--maxmc", "1.5", "a", "b"}, "--maxmc needs"},
           {{"--vcf", "--max-alleles", "655", "a", "b"}, "from 1 to 654"},
           {{"--vcf", "--engine=slow", "a", "b"}, "--engine needs fast or literal, not 'slow'"},
           {{"--vcf", "--bogus", "a", "b"}, "unknown option '--bogus'"},
           {{"--vcf", "-x", "a", "b"}, "unknown option '-x'"},
       }) {
    parse_result r = parse(b.args);
    EXPECT_FALSE(r.ok) << b.message;
    EXPECT_NE(r.error.find(b.message), std::string::npos) << r.error;
  }
}

TEST(vcf_options, sample_lists) {
  std::vector<std::string> names;
  std::string error;
  ASSERT_TRUE(read_sample_list("A,B C,D", &names, &error));
  EXPECT_EQ(names, (std::vector<std::string>{"A", "B C", "D"}));

  std::string dir = make_temp_dir();
  write_text(dir + "/s.txt", "A\r\n\nname,with,commas\nD\n");
  ASSERT_TRUE(read_sample_list("@" + dir + "/s.txt", &names, &error));
  EXPECT_EQ(names, (std::vector<std::string>{"A", "name,with,commas", "D"}));

  EXPECT_FALSE(read_sample_list("A,,B", &names, &error));
  EXPECT_NE(error.find("empty name"), std::string::npos);
  EXPECT_FALSE(read_sample_list("A,B,A", &names, &error));
  EXPECT_EQ(error, "sample 'A' is listed twice");
  write_text(dir + "/empty.txt", "\n\n");
  EXPECT_FALSE(read_sample_list("@" + dir + "/empty.txt", &names, &error));
  EXPECT_NE(error.find("the sample list is empty"), std::string::npos);
  EXPECT_FALSE(read_sample_list("@" + dir + "/missing.txt", &names, &error));
  EXPECT_NE(error.find("missing.txt: cannot open the sample list"), std::string::npos);
}
