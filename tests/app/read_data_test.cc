#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/run.h"
#include "numeric/nrutil.h"
#include "support/run_drevel.h"

using namespace drevel;

namespace {

struct parsed {
  int k, c;
  std::vector<double> alpha;  // 0..c
  double precision;
  int32_t minmc, maxmc;
};

std::string input_file(const std::string& text) {
  static std::string dir = make_temp_dir();
  static int n = 0;
  std::string path = dir + "/in" + std::to_string(n++) + ".txt";
  write_text(path, text);
  return path;
}

parsed read(const std::string& text) {
  std::string in = input_file(text), out = in + ".out";
  char* argv[] = {const_cast<char*>("drevel"), &in[0], &out[0], nullptr};
  parsed p;
  double* alpha;
  Read_Data(3, argv, &p.k, &p.c, &alpha, &p.precision, &p.minmc, &p.maxmc);
  p.alpha.assign(alpha, alpha + p.c + 1);
  free_vector(alpha, 0, p.c);
  return p;
}

void read_and_exit(const std::string& text) { read(text); }

const char* const format_text =
    "^\nINPUT FORMAT:\nAlleles \nX\\(1,1\\), \nX\\(2,1\\), X\\(2,2\\), \nX\\(3,1\\), X\\(3,2\\), "
    "X\\(3,3\\) \n... \nX\\(k,1\\) ... X\\(k,k\\) \nprecision minmc maxmc\n\nFor more "
    "instructions,see README.TXT\n$";
const char* const incompatible = "^ERROR: Data file incompatible with number of alleles\n$";

}  // namespace

TEST(read_data, counts_and_defaults) {
  parsed p = read("2\n10 20 30\n0 0 0\n");
  EXPECT_EQ(p.k, 2);
  EXPECT_EQ(p.c, 3);
  EXPECT_EQ(p.alpha, (std::vector<double>{3, 10 + 1.0001, 20 + 1.0001, 30 + 1.0001}));
  EXPECT_EQ(p.precision, 0.005);
  EXPECT_EQ(p.minmc, 1500);
  EXPECT_EQ(p.maxmc, 30000);

  parsed one = read("1 4 0 0 0");
  EXPECT_EQ(one.c, 1);
  EXPECT_EQ(one.minmc, 500);
  EXPECT_EQ(one.maxmc, 10000);

  parsed own = read("2 1 2 3 -0.0 -5 7");  // negative zero is zero; negatives stay
  EXPECT_EQ(own.precision, 0.005);
  EXPECT_EQ(own.minmc, -5);
  EXPECT_EQ(own.maxmc, 7);
  parsed tuned = read("2 1 2 3 0.01 0 250");
  EXPECT_EQ(tuned.precision, 0.01);
  EXPECT_EQ(tuned.minmc, 1500);
  EXPECT_EQ(tuned.maxmc, 250);
}

TEST(read_data, items_end_where_the_conversion_stops) {
  parsed p = read("3.0 20 10 5 3 7 0 0 0");  // k = 3, then ".0" is the first count
  EXPECT_EQ(p.k, 3);
  EXPECT_EQ(p.alpha[1], 0 + 1.0001);
  EXPECT_EQ(p.alpha[2], 20 + 1.0001);
  EXPECT_EQ(p.alpha[6], 7 + 1.0001);
  EXPECT_EQ(p.precision, 0.005);

  parsed surplus = read("1 5 6 7 8 9 10");  // surplus counts are the tuning values
  EXPECT_EQ(surplus.precision, 6);
  EXPECT_EQ(surplus.minmc, 7);
  EXPECT_EQ(surplus.maxmc, 8);

  parsed fractional = read("2\t1.5e1\n\n 2.25   -0 1e-2 300 400 trailing words");
  EXPECT_EQ(fractional.alpha[1], 15 + 1.0001);
  EXPECT_EQ(fractional.alpha[2], 2.25 + 1.0001);
  EXPECT_EQ(fractional.alpha[3], 0 + 1.0001);  // -0 is no negative count
  EXPECT_EQ(fractional.precision, 0.01);
  EXPECT_EQ(fractional.minmc, 300);
  EXPECT_EQ(fractional.maxmc, 400);
}

TEST(read_data, malformed_files) {
  EXPECT_EXIT(read_and_exit(""), testing::ExitedWithCode(1), format_text);
  EXPECT_EXIT(read_and_exit("two 1 2 3"), testing::ExitedWithCode(1), format_text);
  EXPECT_EXIT(read_and_exit("2 10 20"), testing::ExitedWithCode(1), incompatible);
  EXPECT_EXIT(read_and_exit("2 10, 20, 30 0 0 0"), testing::ExitedWithCode(1), incompatible);
  EXPECT_EXIT(read_and_exit("2 10 x 30 0 0 0"), testing::ExitedWithCode(1), incompatible);
  EXPECT_EXIT(read_and_exit("2 10 20 30"), testing::ExitedWithCode(1), format_text);
  EXPECT_EXIT(read_and_exit("2 10 20 30 0 0"), testing::ExitedWithCode(1), format_text);
  // 0.01 read as minmc gives 0 and leaves .01, which maxmc cannot take.
  EXPECT_EXIT(read_and_exit("2 10 20 30 5 0.01 7"), testing::ExitedWithCode(1), format_text);
}

TEST(read_data, unsafe_values_are_refused) {
  EXPECT_EXIT(read_and_exit("0 0 0 0"), testing::ExitedWithCode(1),
              "^ERROR: the number of alleles must be at least 1, not 0\n$");
  EXPECT_EXIT(read_and_exit("-3 1 2 3 4 5 6"), testing::ExitedWithCode(1), "at least 1, not -3");
  EXPECT_EXIT(read_and_exit("46341 1"), testing::ExitedWithCode(1),
              "^ERROR: the number of alleles is too large: 46341 \\(at most 46340\\)\n$");
  EXPECT_EXIT(read_and_exit("99999999999999999999999 1"), testing::ExitedWithCode(1), "too large");
  EXPECT_EXIT(read_and_exit("2 10 -1 30 0 0 0"), testing::ExitedWithCode(1),
              "^ERROR: count 2 \\(genotype 2/1\\) is negative: -1\n$");
  EXPECT_EXIT(read_and_exit("2 10 20 -0.00001 0 0 0"), testing::ExitedWithCode(1),
              "count 3 \\(genotype 2/2\\) is negative: -1.0000000000000001e-05");
  EXPECT_EXIT(read_and_exit("2 nan 20 30 0 0 0"), testing::ExitedWithCode(1),
              "^ERROR: count 1 \\(genotype 1/1\\) is not a finite number: nan\n$");
  EXPECT_EXIT(read_and_exit("2 1 2 -inf 0 0 0"), testing::ExitedWithCode(1), "count 3 .* -inf");
  EXPECT_EXIT(read_and_exit("2 1 2 3 inf 0 0"), testing::ExitedWithCode(1),
              "^ERROR: precision is not a finite number: inf\n$");
  EXPECT_EXIT(read_and_exit("2 1 2 3 0 2147483648 0"), testing::ExitedWithCode(1),
              "^ERROR: minmc does not fit in 32 bits: 2147483648\n$");
  EXPECT_EXIT(read_and_exit("2 1 2 3 0 0 -2147483649"), testing::ExitedWithCode(1),
              "^ERROR: maxmc does not fit in 32 bits: -2147483649\n$");
}

TEST(read_data, defaults_that_overflow_are_refused) {
  // k = 700: 245350 cells, 10000 * c leaves 32 bits; 500 * c does not.
  std::string zeros;
  for (int n = 0; n < 245350; n++) zeros += "0 ";
  EXPECT_EXIT(read_and_exit("700 " + zeros + "0 0 0"), testing::ExitedWithCode(1),
              "^ERROR: the default maxmc, 10000 \\* 245350 cells, does not fit in 32 bits; give "
              "maxmc in the input file\n$");
  parsed p = read("700 " + zeros + "0 0 1000");
  EXPECT_EQ(p.minmc, 500 * 245350);
}

TEST(read_data, usage_needs_two_file_names) {
  char* argv[] = {const_cast<char*>("drevel"), const_cast<char*>("in"), nullptr};
  int k, c;
  double* alpha;
  double precision;
  int32_t minmc, maxmc;
  EXPECT_EXIT(Read_Data(2, argv, &k, &c, &alpha, &precision, &minmc, &maxmc),
              testing::ExitedWithCode(2), "^\nSINTAX: drevel <inputfile> <outputfile> \n$");
  EXPECT_EXIT(Read_Data(1, argv, &k, &c, &alpha, &precision, &minmc, &maxmc),
              testing::ExitedWithCode(2), "SINTAX");
  char* missing[] = {const_cast<char*>("drevel"), const_cast<char*>("/no/such/input"),
                     const_cast<char*>("out"), nullptr};
  EXPECT_EXIT(Read_Data(3, missing, &k, &c, &alpha, &precision, &minmc, &maxmc),
              testing::ExitedWithCode(1),
              "^ERROR: Unable to open input file\n/no/such/input: No such file or directory\n$");
}
