#include "app/run_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/run_drevel.h"

using namespace drevel;

namespace {

struct parsed {
  std::string message;
  run_options options;
  std::vector<std::string> rest;
};

parsed parse(std::vector<std::string> args) {
  args.insert(args.begin(), "drevel");
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(&a[0]);
  argv.push_back(nullptr);
  int argc = static_cast<int>(args.size());
  parsed p;
  p.message = take_run_options(&argc, argv.data(), &p.options);
  for (int i = 1; i < argc; i++) p.rest.push_back(argv[i]);
  return p;
}

}  // namespace

TEST(run_options, options_are_taken_out_anywhere_in_both_spellings) {
  parsed p = parse({"--engine", "literal", "in.txt", "--threads=3", "out.txt"});
  EXPECT_EQ(p.message, "");
  EXPECT_EQ(p.options.engine, mc_engine::literal);
  EXPECT_EQ(p.options.threads, 3);
  EXPECT_EQ(p.rest, (std::vector<std::string>{"in.txt", "out.txt"}));

  p = parse({"in.txt", "out.txt", "--engine=fast", "--threads", "2", "extra"});
  EXPECT_EQ(p.options.engine, mc_engine::fast);
  EXPECT_EQ(p.options.threads, 2);
  EXPECT_EQ(p.rest, (std::vector<std::string>{"in.txt", "out.txt", "extra"}));

  p = parse({"in.txt", "out.txt"});
  EXPECT_EQ(p.options.engine, mc_engine::fast);
  EXPECT_GE(run_threads(p.options), 1);  // 0 means one per core
}

TEST(run_options, bad_values_are_reported) {
  EXPECT_EQ(parse({"--engine", "quick"}).message,
            "drevel: --engine takes fast or literal, not 'quick'\n");
  for (const char* bad : {"0", "-1", "2x", "", "257", "99999999999999999999"})
    EXPECT_EQ(parse({std::string("--threads=") + bad}).message,
              std::string("drevel: --threads takes a whole number from 1 to 256, not '") + bad +
                  "'\n");
  EXPECT_EQ(parse({"in", "out", "--threads"}).message, "drevel: --threads needs a value\n");
}

// The engine and the thread count never change the result file.
TEST(run_options, every_engine_and_thread_count_writes_the_same_bytes) {
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

TEST(run_options, a_bad_option_is_a_usage_error_and_writes_nothing) {
  std::string dir = make_temp_dir();
  write_text(dir + "/in.txt", "2\n10 20 30\n0 0 0\n");
  run_result r = run_drevel({"--engine", "slow", dir + "/in.txt", dir + "/out.txt"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "drevel: --engine takes fast or literal, not 'slow'\n");
  EXPECT_FALSE(file_exists(dir + "/out.txt"));
}
