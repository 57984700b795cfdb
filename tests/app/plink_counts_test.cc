// drevel --bed and --counts end to end, on files that plink2 itself wrote
// from a generated VCF: the rows must equal --vcf's on the same calls (the
// original VCF, and plink2's export of the .bed), for samples and groups
// too; and the bad inputs, which leave no table.  Without plink2 the
// comparisons are skipped (CI installs it); the bad inputs are written here.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "support/run_drevel.h"
#include "support/vcf_files.h"

namespace {

const std::string plink2 = DREVEL_PLINK2;

void run_plink2(const std::string& args) {
  std::string command = plink2 + " " + args + " >/dev/null 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string field(const std::string& line, int n) {
  std::istringstream in(line);
  std::string f;
  for (int i = 0; i <= n; i++) std::getline(in, f, '\t');
  return f;
}

// Runs drevel and returns the table it wrote, failing the test on a
// non-zero status.
std::string table_of(const std::vector<std::string>& args) {
  run_result r = run_drevel(args);
  EXPECT_EQ(r.status, 0) << r.err;
  return read_text(args.back());
}

// A cohort with an odd number of samples (the last .bed byte is padded),
// two- to four-allele sites, monomorphic ones, missing and half-missing
// calls, phased and not; no haploid calls, which plink2 reads as
// homozygous where --vcf skips them.
struct cohort {
  std::string dir, vcf;
  std::vector<std::string> samples;
};

cohort make_cohort() {
  cohort c;
  c.dir = make_temp_dir();
  c.vcf = c.dir + "/in.vcf";
  for (int s = 0; s < 37; s++) c.samples.push_back("S" + std::to_string(s));
  std::mt19937 rng(32);
  const char* const bases[] = {"A", "C", "G", "T"};
  std::vector<vcf_test_site> sites;
  for (int n = 0; n < 80; n++) {
    vcf_test_site site;
    site.chrom = n < 50 ? "1" : "2";
    site.pos = 100 + 10 * n;
    const int k = n % 9 == 0 ? 1 : n % 7 == 0 ? 3 + n % 2 : 2;
    site.ref = bases[0];
    site.alt = k == 1 ? "." : "";
    for (int a = 1; a < k; a++) site.alt += std::string(a > 1 ? "," : "") + bases[a];
    // Allele weights skewed by site, some far from equilibrium.
    std::vector<double> weights;
    for (int a = 0; a < k; a++) weights.push_back(1.0 / (1 + a * (1 + n % 5)));
    std::discrete_distribution<int> allele(weights.begin(), weights.end());
    for (size_t s = 0; s < c.samples.size(); s++) {
      int kind = static_cast<int>(rng() % 20);
      std::string sep = rng() % 2 ? "|" : "/";
      int a = allele(rng), b = n % 4 == 0 ? a : allele(rng);
      if (kind == 0)
        site.calls.push_back("./.");
      else if (kind == 1)
        site.calls.push_back(std::to_string(a) + sep + ".");
      else
        site.calls.push_back(std::to_string(a) + sep + std::to_string(b));
    }
    sites.push_back(site);
  }
  write_text(c.vcf, vcf_text(c.samples, sites));
  return c;
}

class plink_files : public ::testing::Test {
 protected:
  void SetUp() override {
    if (plink2.empty()) GTEST_SKIP() << "plink2 is not installed: tools/install-dependencies --test";
  }
};

// --bed equals --vcf on plink2's VCF export of the .bed (REF = A2, ALT =
// A1), and on the original VCF's sites of at most two alleles; --counts on
// plink2's .gcount, both column sets, equals --vcf on the original, the
// multi-allelic sites included; --counts on drevel's own table gives it
// back, and with other tuning gives what --vcf gives with it.
TEST_F(plink_files, rows_equal_the_vcf_modes_rows) {
  cohort c = make_cohort();
  const std::string& d = c.dir;
  run_plink2("--vcf " + c.vcf + " --vcf-half-call m --max-alleles 2 --make-bed --out " + d + "/b");
  run_plink2("--bfile " + d + "/b --export vcf --out " + d + "/e");
  run_plink2("--vcf " + c.vcf + " --vcf-half-call m --geno-counts cols=chrom,pos,ref,alt,homref," +
             "refalt,altxy,hapref,hapalt,missing --out " + d + "/g");
  run_plink2("--vcf " + c.vcf + " --vcf-half-call m --geno-counts cols=chrom,pos,ref,alt,xy,hap," +
             "missing,nobs --out " + d + "/x");

  const std::string original = table_of({"--vcf", c.vcf, d + "/v.tsv"});
  const std::string bed = table_of({"--bed", d + "/b", "--threads", "3", d + "/b.tsv"});
  EXPECT_EQ(bed, table_of({"--vcf", d + "/e.vcf", d + "/e.tsv"}));
  std::string two_alleles;
  for (const std::string& line : lines_of(original))
    if (line[0] == '#' || field(line, 4).find(',') == std::string::npos) two_alleles += line + "\n";
  EXPECT_EQ(bed, two_alleles);
  EXPECT_EQ(table_of({"--bfile", d + "/b.bed", d + "/b2.tsv"}), bed);

  EXPECT_EQ(table_of({"--counts", d + "/g.gcount", d + "/g.tsv"}), original);
  EXPECT_EQ(table_of({"--counts", d + "/x.gcount", d + "/x.tsv"}), original);
  EXPECT_NE(original.find("\t4\t"), std::string::npos);  // multi-allelic rows are there

  EXPECT_EQ(table_of({"--counts", d + "/v.tsv", d + "/vv.tsv"}), original);
  EXPECT_EQ(table_of({"--counts", d + "/v.tsv", "--maxmc", "2000", "--max-alleles", "2",
                      d + "/vm.tsv"}),
            table_of({"--vcf", c.vcf, "--maxmc", "2000", "--max-alleles", "2", d + "/om.tsv"}));
}

// --samples and --groups name .fam samples by IID, or FID_IID; the rows
// equal --vcf's on the export with the same lists; --regions works from the
// .bim as --vcf does from an index; a grouped table read back by --counts
// keeps GROUP among its labels.
TEST_F(plink_files, samples_groups_and_regions_as_in_the_vcf_mode) {
  cohort c = make_cohort();
  const std::string& d = c.dir;
  run_plink2("--vcf " + c.vcf + " --vcf-half-call m --max-alleles 2 --make-bed --out " + d + "/b");
  run_plink2("--bfile " + d + "/b --export vcf bgz --out " + d + "/e");
  convert_vcf(d + "/e.vcf.gz", d + "/ei.vcf.gz", "wz", true);
  write_text(d + "/groups.txt", "S3 east\nS0 west\nS36 east,west\nS17 west\nS4 east\nS5 north\n");
  const std::vector<std::vector<std::string>> choices = {
      {"--samples", "S36,S1,S2,S35,S8"},
      {"--groups", d + "/groups.txt"},
      {"--groups", d + "/groups.txt", "--samples", "S0,S3,S36"},
      {"--regions", "1:150-300,2,1:420", "--regions-overlap", "pos"},
      {"--regions", "2:600-700", "--groups", d + "/groups.txt"},
  };
  for (const auto& choice : choices) {
    std::vector<std::string> bed = {"--bed", d + "/b"}, vcf = {"--vcf", d + "/ei.vcf.gz"};
    bed.insert(bed.end(), choice.begin(), choice.end());
    vcf.insert(vcf.end(), choice.begin(), choice.end());
    bed.push_back(d + "/b.tsv");
    vcf.push_back(d + "/v.tsv");
    const std::string table = table_of(bed);
    EXPECT_EQ(table, table_of(vcf)) << choice[1];
    EXPECT_GT(lines_of(table).size(), 2u) << choice[1];
  }
  const std::string grouped = table_of({"--bed", d + "/b", "--groups", d + "/groups.txt", d + "/g.tsv"});
  EXPECT_EQ(table_of({"--counts", d + "/g.tsv", d + "/gg.tsv"}), grouped);

  // FID_IID when the .fam has families.
  std::string fam;
  for (const std::string& line : lines_of(read_text(d + "/b.fam"))) fam += "F" + line.substr(1) + "\n";
  write_text(d + "/b.fam", fam);
  EXPECT_EQ(table_of({"--bed", d + "/b", "--samples", "F_S1,S2", d + "/f.tsv"}),
            table_of({"--bed", d + "/b", "--samples", "S1,S2", d + "/i.tsv"}));
}

// A Genepop table read back keeps its labels and ALLELES, and with other
// tuning equals --genepop run with it.
TEST(counts_tables, a_genepop_table_read_back) {
  const std::string d = make_temp_dir();
  write_text(d + "/in.txt",
             "Title\nL1, L2\nPop\na , 0102 0303\nb , 0202 0304\nc , 0101 0404\nd , 0102 0304\n"
             "Pop\ne , 0505 0303\nf , 0105 0000\n");
  const std::string table = table_of({"--genepop", d + "/in.txt", d + "/g.tsv"});
  EXPECT_EQ(table_of({"--counts", d + "/g.tsv", d + "/c.tsv"}), table);
  EXPECT_EQ(table_of({"--counts", d + "/g.tsv", "--maxmc", "900", d + "/c9.tsv"}),
            table_of({"--genepop", d + "/in.txt", "--maxmc", "900", d + "/g9.tsv"}));
  // A table with joint rows: they have no counts to compute again, and are
  // left out with one warning; the other rows are read as before.
  run_drevel({"--genepop", "--joint", d + "/in.txt", d + "/j.tsv"});
  run_result r = run_drevel({"--counts", d + "/j.tsv", "-"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, table);
  EXPECT_EQ(r.err, "drevel: warning: " + d + "/j.tsv: line 4: joint rows (N_JOINED) are left "
                   "out: each row is computed alone here; --joint on the input gives them\n");
}

// Bad input, written here: a message naming the file (and line), status 1,
// no table.
TEST(plink_counts_bad_input, named_with_status_1_and_no_table) {
  const std::string d = make_temp_dir();
  // Three samples, two sites: one byte a site after the three magic bytes.
  const std::string bim = "1\trs1\t0\t10\tC\tA\n1\trs2\t0\t20\tG\tT\n";
  const std::string fam = "0 a 0 0 0 -9\n0 b 0 0 0 -9\n0 c 0 0 0 -9\n";
  const std::string bed("\x6c\x1b\x01\x2c\x3f", 5);
  struct bad_case {
    std::string bed, bim, fam, gcount, expected;
  };
  const std::string header = "#CHROM\tPOS\tID\tREF\tALT\tHOM_REF_CT\tHET_REF_ALT_CTS\tTWO_ALT_GENO_CTS\n";
  const std::vector<bad_case> cases = {
      {bed.substr(0, 4), bim, fam, "", "x.bed: 4 bytes where 2 sites"},
      {bed + std::string(1, '\0'), bim, fam, "", "x.bed: 6 bytes where"},
      {"\x6c\x1c\x01\x2c\x3f", bim, fam, "", "x.bed: not a PLINK 1 .bed file"},
      {std::string("\x6c\x1b\x00\x2c\x3f", 5), bim, fam, "", "individual-major"},
      {bed, "1\trs1\t0\t10\tC\tA\n1\trs2\t20\tG\tT\n", fam, "", "x.bim: line 2: 5 fields"},
      {bed, "1\trs1\t0\t1e3\tC\tA\n1\trs2\t0\t20\tG\tT\n", fam, "", "x.bim: line 1: position"},
      {bed, bim, "0 a 0 0 0 -9\n0 b 0 0 0\n0 c 0 0 0 -9\n", "", "x.fam: line 2: 5 fields"},
      {"", "", "", header + "1\t5\t.\tA\tC\t3\t2\t1\n", ""},  // a good one
      {"", "", "", "#CHROM\tREF\tALT\tHOM_REF_CT\tODD_CT\n", "g.txt: line 1: unknown column 'ODD_CT'"},
      {"", "", "", header + "1\t5\t.\tA\tC\t3\t-2\t1\n", "g.txt: line 2: HET_REF_ALT_CTS '-2'"},
      {"", "", "", header + "1\t5\t.\tA\tC\t3\t2\t1.5\n", "g.txt: line 2: TWO_ALT_GENO_CTS '1.5'"},
      {"", "", "", header + "1\t5\t.\tA\tC,G\t3\t2,0\t1\n", "g.txt: line 2: TWO_ALT_GENO_CTS '1'"},
      {"", "", "", header + "1\t5\t.\tA\tC\t3\t2\n", "g.txt: line 2: 7 columns"},
  };
  for (const bad_case& c : cases) {
    const std::string out = d + "/out.tsv";
    std::vector<std::string> args;
    if (c.gcount.empty()) {
      write_text(d + "/x.bed", c.bed);
      write_text(d + "/x.bim", c.bim);
      write_text(d + "/x.fam", c.fam);
      args = {"--bed", d + "/x", out};
    } else {
      write_text(d + "/g.txt", c.gcount);
      args = {"--counts", d + "/g.txt", out};
    }
    run_result r = run_drevel(args);
    if (c.expected.empty()) {
      EXPECT_EQ(r.status, 0) << r.err;
      std::remove(out.c_str());
      continue;
    }
    EXPECT_EQ(r.status, 1) << c.expected;
    EXPECT_NE(r.err.find(c.expected), std::string::npos) << r.err;
    EXPECT_FALSE(file_exists(out)) << c.expected;
  }
  // A drevel table whose GENOTYPES do not add up to N_CALLED.
  write_text(d + "/x.bed", bed);
  write_text(d + "/x.bim", bim);
  write_text(d + "/x.fam", fam);
  ASSERT_EQ(run_drevel({"--bed", d + "/x", d + "/t.tsv"}).status, 0);
  std::string table = read_text(d + "/t.tsv");
  size_t genotypes = table.find("\tok\t");
  ASSERT_NE(genotypes, std::string::npos);
  table.insert(genotypes + 4, "1");
  write_text(d + "/t2.tsv", table);
  run_result r = run_drevel({"--counts", d + "/t2.tsv", d + "/out.tsv"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("t2.tsv: line 2: GENOTYPES"), std::string::npos) << r.err;
  EXPECT_FALSE(file_exists(d + "/out.tsv"));
  // A table named as one of the inputs would replace it.
  r = run_drevel({"--bed", d + "/x.bed", d + "/x.bim"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("x.bim: the output file is an input file"), std::string::npos) << r.err;
  EXPECT_EQ(read_text(d + "/x.bim"), bim);
  // So would one named as the --groups file.
  write_text(d + "/g.txt", "nobody x\n");
  r = run_drevel({"--bed", d + "/x", "--groups", d + "/g.txt", d + "/g.txt"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("the --groups file"), std::string::npos) << r.err;
  EXPECT_EQ(read_text(d + "/g.txt"), "nobody x\n");
  // --annotate is refused for a .bed.
  r = run_drevel({"--bed", d + "/x", "--annotate", d + "/a.vcf", d + "/out.tsv"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("a .bed has none"), std::string::npos) << r.err;
}

}  // namespace
