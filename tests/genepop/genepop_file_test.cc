// Reading Genepop files: both ways of listing loci, both code widths, the
// missing forms, Pop in any case, and the malformed files with the line
// their message names.
#include "genepop/genepop_file.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace drevel;

namespace {

struct parsed {
  bool ok;
  std::string error;
  genepop_file file;
};

parsed parse(const std::string& text) {
  std::istringstream in(text);
  parsed p;
  const status read = read_genepop(in, "cats.gen", &p.file);
  p.ok = read.is_ok();
  p.error = read.message();
  return p;
}

}  // namespace

TEST(genepop_file, loci_one_a_line_or_comma_separated_give_the_same_file) {
  const std::string body =
      "Pop\n"
      "ind1 , 0102 0303 0000\n"
      "\n"
      "ind 2,0202\t0\t 1112\r\n"
      "POP 2\n"
      "x, 0101 0003 00\n";
  parsed lines = parse("title line\nFCA8\nFCA23\r\n  FCA43  \n" + body);
  parsed commas = parse("title line\nFCA8, FCA23,FCA43\n" + body);
  parsed mixed = parse("title line\nFCA8, FCA23\nFCA43,\n" + body);
  for (const parsed* p : {&lines, &commas, &mixed}) {
    ASSERT_TRUE(p->ok) << p->error;
    EXPECT_EQ(p->file.title, "title line");
    EXPECT_EQ(p->file.loci, (std::vector<std::string>{"FCA8", "FCA23", "FCA43"}));
    EXPECT_EQ(p->file.code_digits, 2);
    ASSERT_EQ(p->file.populations.size(), 2u);
    const genepop_population& a = p->file.populations[0];
    EXPECT_EQ(a.first_individual, "ind1");
    EXPECT_EQ(a.individuals, 2);
    EXPECT_EQ(a.codes, (std::vector<uint16_t>{1, 2, 3, 3, 0, 0, 2, 2, 0, 0, 11, 12}));
    const genepop_population& b = p->file.populations[1];
    EXPECT_EQ(b.first_individual, "x");
    EXPECT_EQ(b.codes, (std::vector<uint16_t>{1, 1, 0, 3, 0, 0}));
  }
}

TEST(genepop_file, three_digit_codes) {
  parsed p = parse("t\nA,B\npop\nn1, 102104 000000\nn2, 098102 110000\n");
  ASSERT_TRUE(p.ok) << p.error;
  EXPECT_EQ(p.file.code_digits, 3);
  EXPECT_EQ(p.file.populations[0].codes, (std::vector<uint16_t>{102, 104, 0, 0, 98, 102, 110, 0}));
  // A missing genotype written in the other width does not set the width.
  p = parse("t\nA\npop\nn1, 0000\nn2, 098102\nn3, 000000\n");
  ASSERT_TRUE(p.ok) << p.error;
  EXPECT_EQ(p.file.code_digits, 3);
  EXPECT_EQ(p.file.populations[0].codes, (std::vector<uint16_t>{0, 0, 98, 102, 0, 0}));
  p = parse("t\nA\npop\nn1, 000000\nn2, 0102\n");
  ASSERT_TRUE(p.ok) << p.error;
  EXPECT_EQ(p.file.code_digits, 2);
}

TEST(genepop_file, malformed_files_name_the_line) {
  struct bad {
    std::string text, message;
  };
  for (const bad& b : std::vector<bad>{
           {"", "cats.gen: empty file (a Genepop file starts with a title line)"},
           {"t\nA\nB\nn1, 0101 0202\n", "cats.gen: line 4: no 'Pop' line"},
           {"t\nPop\nn1, 0101\n", "cats.gen: line 2: 'Pop' before any locus name"},
           {"t\nA,B\nPop\nn1, 0101 0202\nn2, 0101 020\n",
            "cats.gen: line 5: genotype '020' of locus B has 3 digits; a diploid genotype has 4 "
            "(two-digit codes) or 6 (three-digit codes)"},
           {"t\nA,B\nPop\nn1, 0101 0202\nn2, 0101 020202\n",
            "cats.gen: line 5: genotype '020202' of locus B has 6 digits where the file's "
            "genotypes have 4 (line 4)"},
           {"t\nA,B\nPop\nn1, 0101 0202 0303\n", "cats.gen: line 4: 3 genotypes where the file has 2 loci"},
           {"t\nA,B\nPop\nn1, 0101\n", "cats.gen: line 4: 1 genotype where the file has 2 loci"},
           {"t\nA,B\nPop\nn1, 0101 02x2\n", "cats.gen: line 4: genotype '02x2' of locus B is not a number"},
           {"t\nA,B\nPop\nn1 0101 0202\n",
            "cats.gen: line 4: expected an individual, 'name , genotypes', or 'Pop', not 'n1 0101 0202'"},
           {"t\nA\nPop\nn1, 0101 0101\n", "cats.gen: line 4: 2 genotypes where the file has 1 locus"},
           {"t\nA\nPop\nPop\nn1, 0101\n", "cats.gen: line 3: population 1 has no individuals"},
           {"t\nA\nPop\nn1, 0101\nPop\n\n", "cats.gen: line 5: population 2 has no individuals"},
       }) {
    parsed p = parse(b.text);
    EXPECT_FALSE(p.ok) << b.text;
    EXPECT_EQ(p.error.substr(0, b.message.size()), b.message) << p.error;
  }
}
