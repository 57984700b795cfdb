// Reading tables back: columns by name in either table's layout, the values
// the picture takes, the line forms a file may have, and every way a file
// is refused, with the file and the line named.
#include "plot/result_table.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "support/run_drevel.h"

namespace {

using namespace drevel;

const char* const vcf_header =
    "#CHROM\tPOS\tID\tREF\tALT\tN_ALLELES\tN_CALLED\tN_SKIPPED\tEVIDENCE\tL_MAX\tL_HYP\tDRAWS\t"
    "N_TESTED\tSTATUS\tGENOTYPES\tHET_OBS\tHET_EXP\tF\tMC_SE\tAT_MAXMC\n";

// A VCF table row from the values the picture reads; the other columns are
// filler.
std::string vcf_row(const std::string& evidence, int tested, const std::string& status,
                    const std::string& genotypes, int declared = 2) {
  return "1\t100\t.\tA\tG\t" + std::to_string(declared) + "\t10\t0\t" + evidence +
         "\t-1\t-2\t3000\t" + std::to_string(tested) + "\t" + status + "\t" + genotypes +
         "\t0.5\t0.5\t0\t0.01\tno\n";
}

class table_file : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = make_temp_dir(); }
  void TearDown() override {
    for (const std::string& name : dir_entries(dir_)) ::unlink((dir_ + "/" + name).c_str());
    ::rmdir(dir_.c_str());
  }
  std::string write(const std::string& text) {
    std::string path = dir_ + "/table" + std::to_string(n_++) + ".tsv";
    write_text(path, text);
    return path;
  }
  // All rows of a table, or the first error.
  std::vector<table_row> read_all(const std::string& text, std::string* error) {
    std::vector<table_row> rows;
    result_table_reader reader;
    status read = reader.open(write(text));
    table_row row;
    bool at_end = false;
    while (read && (read = reader.next(&row, &at_end)) && !at_end) rows.push_back(row);
    *error = read.message();
    return rows;
  }
  std::string dir_;
  int n_ = 0;
};

TEST_F(table_file, vcf_rows) {
  std::string error;
  auto rows = read_all(std::string(vcf_header) + vcf_row("1.234000e-01", 2, "ok", "3,4,5") +
                           vcf_row("NA", 1, "monomorphic", "10") +
                           vcf_row("5.000000e-01", 3, "ok", "1,2,3,4,5,6", 4) +
                           vcf_row("NA", 2, "no_calls", "NA") + vcf_row("0", 2, "ok", "0,0,7"),
                       &error);
  ASSERT_EQ(error, "");
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[0].line, 2u);
  EXPECT_EQ(rows[0].group, "");
  EXPECT_TRUE(rows[0].has_evidence);
  EXPECT_DOUBLE_EQ(rows[0].evidence, 0.1234);
  EXPECT_TRUE(rows[0].has_two_allele_counts);
  EXPECT_EQ(rows[0].counts[0], 3);
  EXPECT_EQ(rows[0].counts[1], 4);
  EXPECT_EQ(rows[0].counts[2], 5);
  EXPECT_EQ(rows[0].declared_alleles, 2);
  EXPECT_FALSE(rows[1].has_evidence);
  EXPECT_EQ(rows[1].status, "monomorphic");
  EXPECT_FALSE(rows[1].has_two_allele_counts);
  EXPECT_EQ(rows[2].tested_alleles, 3);
  EXPECT_EQ(rows[2].declared_alleles, 4);
  EXPECT_FALSE(rows[2].has_two_allele_counts);  // genotypes of three alleles are not read
  EXPECT_FALSE(rows[3].has_two_allele_counts);  // NA genotypes of a row without calls
  EXPECT_EQ(rows[4].evidence, 0);
  EXPECT_EQ(rows[4].line, 6u);
}

TEST_F(table_file, columns_by_name_groups_and_genepop) {
  // GROUP after ALT and the columns in another order, with one unknown to
  // this reader: found by name.
  std::string error;
  auto rows = read_all(
      "#CHROM\tPOS\tID\tREF\tALT\tGROUP\tEXTRA\tGENOTYPES\tSTATUS\tN_TESTED\tEVIDENCE\n"
      "1\t5\t.\tA\tG\tEUR\tx\t1,2,3\tok\t2\t9.0e-01\n"
      "1\t5\t.\tA\tG\tAFR\tx\t4,0,1\tok\t2\t1\n",
      &error);
  ASSERT_EQ(error, "");
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].group, "EUR");
  EXPECT_EQ(rows[1].group, "AFR");
  EXPECT_EQ(rows[1].counts[0], 4);
  EXPECT_EQ(rows[1].evidence, 1);
  EXPECT_EQ(rows[0].declared_alleles, 0);  // no N_ALLELES column

  result_table_reader reader;
  status read = reader.open(write("#POP\tFIRST_INDIVIDUAL\tLOCUS\tN_ALLELES\tN_CALLED\tN_SKIPPED\t"
                                  "EVIDENCE\tL_MAX\tL_HYP\tDRAWS\tN_TESTED\tSTATUS\tGENOTYPES\t"
                                  "HET_OBS\tHET_EXP\tF\tMC_SE\tAT_MAXMC\tALLELES\n"
                                  "2\tcat17\tFCA8\t2\t20\t1\t4.5e-01\t-1\t-2\t3000\t2\tok\t"
                                  "9,8,3\t0.4\t0.45\t0.1\t0.01\tno\t101,103\n"));
  ASSERT_TRUE(read) << read.message();
  EXPECT_EQ(reader.kind(), table_kind::genepop);
  EXPECT_TRUE(reader.has_groups());
  table_row row;
  bool at_end = false;
  read = reader.next(&row, &at_end);
  ASSERT_TRUE(read && !at_end) << read.message();
  EXPECT_EQ(row.group, "2");
  EXPECT_EQ(row.group_first, "cat17");
  EXPECT_EQ(row.counts[2], 3);
  EXPECT_TRUE(reader.next(&row, &at_end) && at_end);
}

// What the heatmap places a row by: POP_NAME, the locus or the site's ID
// (CHROM:POS without one), and the joint rows of a table with an N_JOINED
// column, whose NA counts read as 0 and which have no genotype counts.
TEST_F(table_file, heatmap_keys_and_joint_rows) {
  const std::string genepop_header =
      "#POP\tPOP_NAME\tFIRST_INDIVIDUAL\tLOCUS\tN_ALLELES\tEVIDENCE\tN_TESTED\tSTATUS\tGENOTYPES\t"
      "N_JOINED\tN_LEFT_OUT\n";
  std::string error;
  auto rows = read_all(genepop_header +
                           "1\tNorth\tno01\tMa01\t2\t0.5\t2\tok\t1,2,3\tNA\tNA\n"
                           "1\tNorth\tno01\t*\tNA\t0.25\tNA\tok\tNA\t7\t1\n"
                           "*\t*\t.\tMa01\tNA\t0.75\tNA\tok\tNA\t5\t0\n"
                           "*\t*\t.\t*\tNA\tNA\tNA\tno_calls\tNA\t0\t40\n",
                       &error);
  ASSERT_EQ(error, "");
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0].group_name, "North");
  EXPECT_EQ(rows[0].locus, "Ma01");
  EXPECT_FALSE(rows[0].joint_groups || rows[0].joint_loci);
  EXPECT_TRUE(rows[0].has_two_allele_counts);
  EXPECT_TRUE(rows[1].joint_loci);
  EXPECT_FALSE(rows[1].joint_groups);
  EXPECT_EQ(rows[1].tested_alleles, 0);
  EXPECT_FALSE(rows[1].has_two_allele_counts);
  EXPECT_DOUBLE_EQ(rows[1].evidence, 0.25);
  EXPECT_TRUE(rows[2].joint_groups);
  EXPECT_FALSE(rows[2].joint_loci);
  EXPECT_TRUE(rows[3].joint_groups && rows[3].joint_loci);
  EXPECT_FALSE(rows[3].has_evidence);

  // An NA count of an ordinary row is still refused.
  rows = read_all(genepop_header + "1\tNorth\tno01\tMa01\t2\t0.5\tNA\tok\t1,2,3\tNA\tNA\n", &error);
  EXPECT_NE(error.find("N_TESTED 'NA'"), std::string::npos) << error;

  const std::string vcf = "#CHROM\tPOS\tID\tREF\tALT\tGROUP\tEVIDENCE\tN_TESTED\tSTATUS\tGENOTYPES";
  const std::string vcf_rows =
      "1\t5\trs9\tA\tG\tEUR\t0.5\t2\tok\t1,2,3\t{}\n"
      "1\t7\t.\tA\tG\t*\t0.5\t2\tok\t1,2,3\t{}\n";
  // With N_JOINED, GROUP "*" is the joint row; without, a group of that name.
  for (bool joint : {true, false}) {
    std::string text = vcf + (joint ? "\tN_JOINED\n" : "\n") + vcf_rows;
    for (size_t at; (at = text.find("\t{}")) != std::string::npos;)
      text.replace(at, 3, joint ? "\tNA" : "");
    rows = read_all(text, &error);
    ASSERT_EQ(error, "");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].locus, "rs9");
    EXPECT_EQ(rows[1].locus, "1:7");
    EXPECT_EQ(rows[0].site, "1\t5\trs9\tA\tG");
    EXPECT_EQ(rows[1].joint_groups, joint);
    EXPECT_FALSE(rows[1].joint_loci);
    EXPECT_EQ(rows[1].has_two_allele_counts, !joint);
  }
}

TEST_F(table_file, line_forms) {
  // CRLF line ends, a blank line, a last line without its end.
  std::string header = vcf_header;
  header.insert(header.size() - 1, "\r");
  std::string row = vcf_row("0.25", 2, "ok", "1,1,1");
  std::string crlf_row = row;
  crlf_row.insert(crlf_row.size() - 1, "\r");
  std::string error;
  auto rows = read_all(header + crlf_row + "\n" + row.substr(0, row.size() - 1), &error);
  ASSERT_EQ(error, "");
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[1].line, 4u);
  EXPECT_EQ(rows[1].status, "ok");

  // A table with its header alone has no rows.
  rows = read_all(vcf_header, &error);
  EXPECT_EQ(error, "");
  EXPECT_TRUE(rows.empty());

  // Lines longer than the reader's chunk are read whole.
  std::string long_group(200000, 'g');
  rows = read_all(std::string("#CHROM\tPOS\tREF\tALT\tGROUP\tEVIDENCE\tN_TESTED\tSTATUS\tGENOTYPES\n") +
                      "1\t1\tA\tG\t" + long_group + "\t0.5\t2\tok\t1,2,3\n",
                  &error);
  ASSERT_EQ(error, "");
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].group, long_group);
}

TEST_F(table_file, other_files_are_refused_by_name) {
  struct refused {
    std::string text, message;
  };
  const std::vector<refused> cases = {
      {"", "empty"},
      {"1.495667e-01 \n-6.068461e+01 \n", "result file of a single locus"},
      {"##fileformat=VCFv4.2\n#CHROM\tPOS\n", "a VCF file; make the table with drevel --vcf"},
      {std::string("\x1f\x8b\x08\x04\0\0\0\0", 8), "compressed"},
      {std::string("PK\x03\x04\0\0garbage\n", 14), "line 1: binary data"},
      {"locus\tvalue\n", "not a table written by drevel --vcf or --genepop"},
      // The table of a drevel before the columns the picture needs.
      {"#CHROM\tPOS\tID\tREF\tALT\tN_ALLELES\tN_CALLED\tN_SKIPPED\tEVIDENCE\tL_MAX\tL_HYP\tDRAWS\n",
       "no column N_TESTED, STATUS, GENOTYPES"},
      {"#POP\tFIRST_INDIVIDUAL\tEVIDENCE\tN_TESTED\tSTATUS\tGENOTYPES\n", "no column LOCUS"},
  };
  for (const refused& c : cases) {
    std::string path = write(c.text);
    result_table_reader reader;
    const status opened = reader.open(path);
    const std::string& error = opened.message();
    EXPECT_EQ(opened.kind(), fault_kind::input) << c.message;
    EXPECT_EQ(error.compare(0, path.size(), path), 0) << error;
    EXPECT_NE(error.find(c.message), std::string::npos) << error;
  }
  result_table_reader reader;
  const status opened = reader.open(dir_ + "/none.tsv");
  const std::string& error = opened.message();
  EXPECT_FALSE(opened);
  EXPECT_NE(error.find(dir_ + "/none.tsv: cannot open the table: No such file"), std::string::npos)
      << error;
}

TEST_F(table_file, bad_rows_are_refused_with_their_line) {
  const std::string good = vcf_row("0.5", 2, "ok", "1,2,3");
  std::string short_row = good.substr(0, good.rfind('\t')) + "\n";
  struct refused {
    std::string row, message;
  };
  const std::vector<refused> cases = {
      {short_row, "line 3: 19 fields where the header has 20"},
      {"1\t2\n", "line 3: 2 fields where the header has 20"},
      {vcf_row("0.5x", 2, "ok", "1,2,3"), "line 3: EVIDENCE '0.5x' is not NA or a number from 0 to 1"},
      {vcf_row("1.5", 2, "ok", "1,2,3"), "EVIDENCE '1.5'"},
      {vcf_row("", 2, "ok", "1,2,3"), "EVIDENCE ''"},
      {vcf_row("nan", 2, "ok", "1,2,3"), "EVIDENCE 'nan'"},
      {vcf_row("0.5", 2, "ok", "1,2"), "line 3: GENOTYPES '1,2' is not three genotype counts"},
      {vcf_row("0.5", 2, "ok", "1,2,3,4"), "GENOTYPES '1,2,3,4'"},
      {vcf_row("0.5", 2, "ok", "1,-2,3"), "GENOTYPES '1,-2,3'"},
      {vcf_row("0.5", 2, "ok", "1,2.5,3"), "GENOTYPES '1,2.5,3'"},
      {vcf_row("0.5", 2, "ok", "1,,3"), "GENOTYPES '1,,3'"},
      {vcf_row("0.5", 2, "ok", "0,0,0"), "GENOTYPES '0,0,0' is not a site with counted calls"},
      {vcf_row("0.5", -1, "ok", "1,2,3"), "N_TESTED '-1'"},
      {vcf_row("0.5", 2, "ok", "1,2,3", -2), "N_ALLELES '-2'"},
      {std::string("1\t100\0junk\n", 11), "line 3: binary data"},
  };
  for (const refused& c : cases) {
    std::string path = write(std::string(vcf_header) + good + c.row + good);
    result_table_reader reader;
    ASSERT_TRUE(reader.open(path));
    table_row row;
    bool at_end = false;
    EXPECT_TRUE(reader.next(&row, &at_end) && !at_end);
    const status second = reader.next(&row, &at_end);
    const std::string& error = second.message();
    EXPECT_EQ(second.kind(), fault_kind::input) << c.message;
    EXPECT_NE(error.find(path + ", "), std::string::npos) << error;
    EXPECT_NE(error.find(c.message), std::string::npos) << error;
  }
}

}  // namespace
