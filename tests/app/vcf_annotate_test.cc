// drevel --vcf --annotate end to end: the annotated file's fields against
// the table as bcftools reads them, for every file type; records, header and
// order kept; the index serving regions; groups; an earlier annotation
// replaced; and the failures with their messages, statuses and what they
// leave behind.  The checks through bcftools are skipped where it is not
// installed.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "support/run_drevel.h"
#include "support/vcf_files.h"

namespace {

const std::string bcftools = DREVEL_BCFTOOLS;  // empty when not installed

std::string quote(const std::string& s) {
  std::string q = "'";
  for (char ch : s) q += ch == '\'' ? std::string("'\\''") : std::string(1, ch);
  return q + "'";
}

// The standard output of a shell command; the test fails on a status other
// than 0.
std::string shell(const std::string& command) {
  std::string out;
  FILE* p = ::popen(command.c_str(), "r");
  if (!p) {
    ADD_FAILURE() << "cannot run " << command;
    return out;
  }
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, p)) > 0) out.append(buffer, n);
  int status = ::pclose(p);
  EXPECT_EQ(status, 0) << command;
  return out;
}

std::string bcftools_run(const std::string& arguments) {
  return shell(quote(bcftools) + " " + arguments);
}

std::vector<std::string> split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(separator, start);
    if (end == std::string::npos) end = text.size();
    parts.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

std::vector<std::string> sample_names(int n) {
  std::vector<std::string> names;
  for (int s = 0; s < n; s++) names.push_back("S" + std::to_string(s));
  return names;
}

// Sites of every kind on two contigs: two to four alleles (four tested is
// above --max-alleles 3), some far from equilibrium (no heterozygotes),
// monomorphic ones, one without calls, missing calls here and there.
std::vector<vcf_test_site> mixed_sites(int n, int nsamples, unsigned seed = 5) {
  std::mt19937 rng(seed);
  std::vector<vcf_test_site> sites;
  for (int s = 0; s < n; s++) {
    vcf_test_site site;
    site.chrom = s < n / 2 ? "1" : "2";
    site.pos = 100 + 37 * (s < n / 2 ? s : s - n / 2);
    site.ref = "A";
    const int k = s % 11 == 5 ? 4 : s % 7 == 3 ? 3 : 2;
    const char* const alts[] = {"C", "G", "T"};
    for (int a = 1; a < k; a++) site.alt += std::string(a > 1 ? "," : "") + alts[a - 1];
    const int kind = s % 9;  // 0 monomorphic, 1 no heterozygotes, else random
    for (int c = 0; c < nsamples; c++) {
      if (s == 7 || rng() % 17 == 0) {
        site.calls.push_back("./.");
        continue;
      }
      int a = static_cast<int>(rng() % k), b = static_cast<int>(rng() % k);
      if (kind == 0) a = b = 0;
      if (kind == 1) b = a;
      site.calls.push_back(std::to_string(a) + "/" + std::to_string(b));
    }
    sites.push_back(site);
  }
  return sites;
}

// The rows of a table by its header names.
struct table {
  std::vector<std::string> names;
  std::vector<std::vector<std::string>> rows;
  size_t column(const std::string& name) const {
    return static_cast<size_t>(std::find(names.begin(), names.end(), name) - names.begin());
  }
  std::string at(size_t row, const std::string& name) const { return rows[row][column(name)]; }
};

table read_table(const std::string& path) {
  table t;
  std::vector<std::string> lines = split(read_text(path), '\n');
  if (lines.empty()) return t;
  t.names = split(lines[0], '\t');
  for (size_t n = 1; n < lines.size(); n++) t.rows.push_back(split(lines[n], '\t'));
  return t;
}

// The table's value and the file's, as bcftools prints it ("." for none):
// NA for none, else equal to a float's precision and bcftools' six digits.
void expect_same_value(const std::string& in_table, const std::string& in_file,
                       const std::string& what) {
  if (in_table == "NA") {
    EXPECT_EQ(in_file, ".") << what;
    return;
  }
  ASSERT_NE(in_file, ".") << what << ": the table has " << in_table;
  double t = std::strtod(in_table.c_str(), nullptr), f = std::strtod(in_file.c_str(), nullptr);
  EXPECT_NEAR(f, t, 1e-5 * std::abs(t) + 1e-30) << what;
}

// Every row's evidence, its error and F against the fields the file holds,
// site by site in the file's order; fields: with groups, the fields of each
// group (the rows then come group by group within a site).
void expect_fields_hold_the_table(const std::string& annotated, const table& t,
                                  const std::vector<std::string>& key_parts = {""}) {
  std::string format = "%CHROM\\t%POS";
  for (const std::string& part : key_parts)
    format += "\\t%INFO/HWE_EV" + part + "\\t%INFO/HWE_EV_SE" + part + "\\t%INFO/HWE_F" + part;
  std::vector<std::string> lines =
      split(bcftools_run("query -f '" + format + "\\n' " + quote(annotated)), '\n');
  ASSERT_EQ(lines.size() * key_parts.size(), t.rows.size()) << annotated;
  for (size_t s = 0; s < lines.size(); s++) {
    std::vector<std::string> f = split(lines[s], '\t');
    ASSERT_EQ(f.size(), 2 + 3 * key_parts.size()) << lines[s];
    for (size_t g = 0; g < key_parts.size(); g++) {
      size_t row = s * key_parts.size() + g;
      std::string what = annotated + " at " + f[0] + ":" + f[1] + key_parts[g];
      ASSERT_EQ(t.at(row, "#CHROM"), f[0]) << what;
      ASSERT_EQ(t.at(row, "POS"), f[1]) << what;
      expect_same_value(t.at(row, "EVIDENCE"), f[2 + 3 * g], what + " HWE_EV");
      expect_same_value(t.at(row, "MC_SE"), f[3 + 3 * g], what + " HWE_EV_SE");
      expect_same_value(t.at(row, "F"), f[4 + 3 * g], what + " HWE_F");
    }
  }
}

const char* const our_fields =
    "INFO/HWE_EV,INFO/HWE_EV_SE,INFO/HWE_F,INFO/HWE_P,INFO/HWE_P_MIDP,INFO/HWE_P_EXC,INFO/HWE_P_DEF,"
    "INFO/HWE_SEV";

// The directory holds exactly these names.
void expect_entries(const std::string& dir, std::vector<std::string> names) {
  std::vector<std::string> found = dir_entries(dir);
  std::sort(found.begin(), found.end());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(found, names) << dir;
}

#define NEED_BCFTOOLS() \
  if (bcftools.empty()) GTEST_SKIP() << "bcftools is not installed"

}  // namespace

TEST(vcf_annotate, fields_hold_the_tables_values_in_every_file_type) {
  NEED_BCFTOOLS();
  std::string dir = make_temp_dir(), vcf = dir + "/in.vcf";
  write_text(vcf, vcf_text(sample_names(40), mixed_sites(60, 40)));
  run_result plain = run_drevel({"--vcf", "--max-alleles", "3", vcf, dir + "/plain.tsv"});
  ASSERT_EQ(plain.status, 0) << plain.err;
  const table t = read_table(dir + "/plain.tsv");
  ASSERT_EQ(t.rows.size(), 60u);
  // Every kind of row is there.
  std::map<std::string, int> statuses;
  for (size_t r = 0; r < t.rows.size(); r++) statuses[t.at(r, "STATUS")]++;
  EXPECT_GT(statuses["ok"], 30);
  EXPECT_GT(statuses["monomorphic"], 0);
  EXPECT_GT(statuses["no_calls"], 0);
  EXPECT_GT(statuses["too_many_alleles"], 0);

  const std::string input_records = bcftools_run("view -H " + quote(vcf));
  const std::string input_header = bcftools_run("view -h --no-version " + quote(vcf));
  for (const char* name : {"out.vcf", "out.vcf.gz", "out.bcf"}) {
    const std::string out = dir + "/" + name;
    run_result r = run_drevel(
        {"--vcf", "--max-alleles", "3", "--annotate", out, vcf, dir + "/table.tsv"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, plain.err) << "the fields declared are not undeclared ones";
    // The table is the one written without --annotate.
    EXPECT_EQ(read_text(dir + "/table.tsv"), read_text(dir + "/plain.tsv")) << name;
    expect_fields_hold_the_table(out, t);
    // Everything else passes through: the records without the fields, and
    // the header without their three lines.
    EXPECT_EQ(bcftools_run("annotate -x " + std::string(our_fields) + " " + quote(out) +
                           " | " + quote(bcftools) + " view -H"),
              input_records)
        << name;
    std::string header = bcftools_run("view -h --no-version " + quote(out)), without;
    int declared = 0;
    for (const std::string& line : split(header, '\n')) {
      if (line.rfind("##INFO=<ID=HWE_", 0) == 0) {
        declared++;
        EXPECT_NE(line.find(",Number=1,Type=Float,Description=\"drevel: "), std::string::npos)
            << line;
        continue;
      }
      without += line + "\n";
    }
    EXPECT_EQ(declared, 8) << name;
    EXPECT_EQ(without, input_header) << name;
    EXPECT_FALSE(file_exists(out + ".csi")) << name;
  }
  expect_entries(dir, {"in.vcf", "plain.tsv", "table.tsv", "out.vcf", "out.vcf.gz", "out.bcf"});
  EXPECT_EQ(shell("head -c 2 " + quote(dir + "/out.bcf") + " | od -An -tx1"), " 1f 8b\n");
}

// The rows are computed on several threads and come back in any order of
// completion; the records are written in the input's order all the same.
TEST(vcf_annotate, records_keep_the_inputs_order_whatever_the_threads) {
  std::string dir = make_temp_dir(), vcf = dir + "/in.vcf";
  write_text(vcf, vcf_text(sample_names(30), mixed_sites(400, 30, 9)));
  run_result one = run_drevel({"--vcf", "--threads", "1", "--annotate", dir + "/one.vcf", vcf,
                               dir + "/one.tsv"});
  ASSERT_EQ(one.status, 0) << one.err;
  run_result four = run_drevel({"--vcf", "--threads", "4", "--annotate", dir + "/four.vcf", vcf,
                                dir + "/four.tsv"});
  ASSERT_EQ(four.status, 0) << four.err;
  EXPECT_EQ(read_text(dir + "/four.vcf"), read_text(dir + "/one.vcf"));
  EXPECT_EQ(read_text(dir + "/four.tsv"), read_text(dir + "/one.tsv"));
  if (bcftools.empty()) return;
  expect_fields_hold_the_table(dir + "/four.vcf", read_table(dir + "/four.tsv"));
}

TEST(vcf_annotate, index_serves_regions_of_drevel_and_bcftools) {
  std::string dir = make_temp_dir(), vcf = dir + "/in.vcf", indexed = dir + "/in.vcf.gz";
  write_text(vcf, vcf_text(sample_names(20), mixed_sites(80, 20)));
  convert_vcf(vcf, indexed, "wz", true);
  const std::string regions = "1:500-1200,2";
  run_result expected = run_drevel({"--vcf", "--regions", regions, indexed, dir + "/region.tsv"});
  ASSERT_EQ(expected.status, 0) << expected.err;
  const table in_region = read_table(dir + "/region.tsv");
  ASSERT_GT(in_region.rows.size(), 40u);
  for (const char* name : {"out.vcf.gz", "out.bcf"}) {
    const std::string out = dir + "/" + name;
    run_result r = run_drevel({"--vcf", "--write-index", "--annotate", out, vcf, dir + "/t.tsv"});
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_TRUE(file_exists(out + ".csi")) << name;
    run_result again = run_drevel({"--vcf", "--regions", regions, out, dir + "/again.tsv"});
    ASSERT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(read_text(dir + "/again.tsv"), read_text(dir + "/region.tsv")) << name;
    if (bcftools.empty()) continue;
    std::string positions;
    for (size_t row = 0; row < in_region.rows.size(); row++)
      positions += in_region.at(row, "#CHROM") + "\t" + in_region.at(row, "POS") + "\n";
    EXPECT_EQ(bcftools_run("view -H -r " + regions + " " + quote(out) + " | cut -f 1,2"),
              positions)
        << name;
  }
}

TEST(vcf_annotate, bcftools_filters_on_the_evidence) {
  NEED_BCFTOOLS();
  std::string dir = make_temp_dir(), vcf = dir + "/in.vcf";
  write_text(vcf, vcf_text(sample_names(40), mixed_sites(60, 40)));
  run_result r = run_drevel({"--vcf", "--annotate", dir + "/out.bcf", vcf, dir + "/t.tsv"});
  ASSERT_EQ(r.status, 0) << r.err;
  const table t = read_table(dir + "/t.tsv");
  std::string expected;
  for (size_t row = 0; row < t.rows.size(); row++) {
    const std::string e = t.at(row, "EVIDENCE");
    // bcftools compares the field, a float, with the constant.
    if (e != "NA" && static_cast<double>(std::strtof(e.c_str(), nullptr)) < 0.05)
      expected += t.at(row, "#CHROM") + "\t" + t.at(row, "POS") + "\n";
  }
  ASSERT_FALSE(expected.empty());
  const std::string kept =
      bcftools_run("view -H -i 'INFO/HWE_EV < 0.05' " + quote(dir + "/out.bcf") + " | cut -f 1,2");
  EXPECT_EQ(kept, expected);
  EXPECT_LT(split(kept, '\n').size(), t.rows.size());
}

TEST(vcf_annotate, groups_give_fields_of_their_own) {
  NEED_BCFTOOLS();
  std::string dir = make_temp_dir(), vcf = dir + "/in.vcf";
  write_text(vcf, vcf_text(sample_names(30), mixed_sites(40, 30)));
  std::string groups;
  for (int s = 0; s < 30; s++)
    groups += "S" + std::to_string(s) + (s < 12 ? " EUR\n" : s < 15 ? " EUR,pop-2\n" : " pop-2\n");
  write_text(dir + "/groups.txt", groups);
  for (const char* name : {"out.vcf", "out.bcf"}) {
    const std::string out = dir + "/" + name;
    run_result r = run_drevel(
        {"--vcf", "--groups", dir + "/groups.txt", "--annotate", out, vcf, dir + "/t.tsv"});
    ASSERT_EQ(r.status, 0) << r.err;
    const table t = read_table(dir + "/t.tsv");
    ASSERT_EQ(t.rows.size(), 80u);
    EXPECT_EQ(t.at(0, "GROUP"), "EUR");
    EXPECT_EQ(t.at(1, "GROUP"), "pop-2");
    expect_fields_hold_the_table(out, t, {"_EUR", "_pop_2"});
    const std::string header = bcftools_run("view -h " + quote(out));
    EXPECT_NE(header.find("##INFO=<ID=HWE_EV_pop_2,Number=1,Type=Float,Description=\"drevel: "
                          "Bayesian evidence for Hardy-Weinberg equilibrium in group pop-2"),
              std::string::npos);
    EXPECT_EQ(header.find("ID=HWE_EV,"), std::string::npos) << "no field for all samples";
  }
  // --joint: the joint row's evidence, its error and SEV in fields of their
  // own, beside the groups' unchanged ones.
  const std::string out = dir + "/joint.vcf";
  run_result r = run_drevel({"--vcf", "--joint", "--groups", dir + "/groups.txt", "--annotate",
                             out, vcf, dir + "/j.tsv"});
  ASSERT_EQ(r.status, 0) << r.err;
  const table t = read_table(dir + "/j.tsv");
  ASSERT_EQ(t.rows.size(), 120u);
  std::vector<std::string> lines = split(
      bcftools_run("query -f '%POS\\t%INFO/HWE_EV_JOINT\\t%INFO/HWE_EV_SE_JOINT\\t"
                   "%INFO/HWE_SEV_JOINT\\t%INFO/HWE_EV_EUR\\n' " + quote(out)),
      '\n');
  ASSERT_EQ(lines.size(), 40u);
  for (size_t s = 0; s < lines.size(); s++) {
    std::vector<std::string> f = split(lines[s], '\t');
    ASSERT_EQ(f.size(), 5u);
    ASSERT_EQ(t.at(3 * s + 2, "GROUP"), "*");
    expect_same_value(t.at(3 * s + 2, "EVIDENCE"), f[1], lines[s]);
    expect_same_value(t.at(3 * s + 2, "MC_SE"), f[2], lines[s]);
    expect_same_value(t.at(3 * s + 2, "SEV"), f[3], lines[s]);
    expect_same_value(t.at(3 * s, "EVIDENCE"), f[4], lines[s]);
  }
}

TEST(vcf_annotate, regions_annotate_the_records_read) {
  NEED_BCFTOOLS();
  std::string dir = make_temp_dir(), vcf = dir + "/in.vcf", indexed = dir + "/in.bcf";
  write_text(vcf, vcf_text(sample_names(20), mixed_sites(60, 20)));
  convert_vcf(vcf, indexed, "wb", true);
  run_result r = run_drevel({"--vcf", "--regions", "2:300-700,1:100-400", "--regions-overlap",
                             "pos", "--annotate", dir + "/out.vcf", indexed, dir + "/t.tsv"});
  ASSERT_EQ(r.status, 0) << r.err;
  const table t = read_table(dir + "/t.tsv");
  ASSERT_GT(t.rows.size(), 10u);
  expect_fields_hold_the_table(dir + "/out.vcf", t);
  EXPECT_EQ(bcftools_run("annotate -x " + std::string(our_fields) + " " + quote(dir + "/out.vcf") +
                         " | " + quote(bcftools) + " view -H"),
            bcftools_run("view -H -r 1:100-400,2:300-700 " + quote(indexed)));
}

// Annotating an annotated file replaces its values: where the new run has
// none, the old field goes; the header declares each field once.
TEST(vcf_annotate, an_earlier_annotation_is_replaced) {
  NEED_BCFTOOLS();
  std::string dir = make_temp_dir(), vcf = dir + "/in.vcf";
  write_text(vcf, vcf_text(sample_names(30), mixed_sites(50, 30)));
  run_result first = run_drevel({"--vcf", "--annotate", dir + "/first.bcf", vcf, dir + "/1.tsv"});
  ASSERT_EQ(first.status, 0) << first.err;
  run_result second = run_drevel({"--vcf", "--max-alleles", "2", "--maxmc", "3000", "--annotate",
                                  dir + "/second.vcf", dir + "/first.bcf", dir + "/2.tsv"});
  ASSERT_EQ(second.status, 0) << second.err;
  const table t = read_table(dir + "/2.tsv");
  int dropped = 0;
  for (size_t row = 0; row < t.rows.size(); row++)
    if (t.at(row, "STATUS") == "too_many_alleles") dropped++;
  EXPECT_GT(dropped, 0);
  expect_fields_hold_the_table(dir + "/second.vcf", t);
  const std::string header = bcftools_run("view -h " + quote(dir + "/second.vcf"));
  for (const char* key : {"ID=HWE_EV,", "ID=HWE_EV_SE,", "ID=HWE_F,"}) {
    size_t at = header.find(key);
    ASSERT_NE(at, std::string::npos) << key;
    EXPECT_EQ(header.find(key, at + 1), std::string::npos) << key << " twice";
  }
}

TEST(vcf_annotate, usage_errors_are_status_2_and_leave_nothing) {
  std::string dir = make_temp_dir(), vcf = dir + "/in.vcf";
  write_text(vcf, vcf_text(sample_names(4), mixed_sites(6, 4)));
  write_text(dir + "/table.vcf", "old\n");
  struct usage_case {
    std::vector<std::string> args;
    std::string message;
  };
  const std::string out = dir + "/out";
  const usage_case cases[] = {
      {{"--vcf", "--annotate", out + ".txt", vcf, out + ".tsv"},
       "cannot tell the type of '" + out + ".txt' from its name: end it in .vcf, .vcf.gz or .bcf"},
      {{"--annotate", out + ".vcf", vcf, out + ".tsv"}, "--annotate applies only to --vcf"},
      {{"--genepop", "--annotate", out + ".vcf", vcf, out + ".tsv"},
       "--annotate applies only to --vcf"},
      {{"--vcf", "--write-index", "--annotate", out + ".vcf", vcf, out + ".tsv"},
       "--write-index: a plain VCF cannot be indexed"},
      {{"--vcf", "--write-index", vcf, out + ".tsv"}, "--write-index indexes the file of --annotate"},
      {{"--vcf", "--annotate", vcf, vcf, out + ".tsv"}, "is also the input"},
      {{"--vcf", "--annotate", dir + "/./in.vcf", vcf, out + ".tsv"}, "is also the input"},
      {{"--vcf", "--annotate", dir + "/table.vcf", vcf, dir + "/table.vcf"}, "is also the table"},
  };
  for (const usage_case& c : cases) {
    run_result r = run_drevel(c.args);
    EXPECT_EQ(r.status, 2) << c.message;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    expect_entries(dir, {"in.vcf", "table.vcf"});
  }
  EXPECT_EQ(read_text(dir + "/table.vcf"), "old\n");
}

// An output that is another output, a list file or the input's index, by
// any name, existing or not: status 2, and every file as it was.
TEST(vcf_annotate, outputs_that_are_inputs_or_each_other_are_refused) {
  std::string dir = make_temp_dir(), vcf = dir + "/in.vcf";
  write_text(vcf, vcf_text(sample_names(4), mixed_sites(6, 4)));
  convert_vcf(vcf, dir + "/in.vcf.gz", "wz", true);
  write_text(dir + "/g.txt", "S0 a\nS1 a\nS2 b\nS3 b\n");
  write_text(dir + "/s.txt", "S0\nS1\n");
  const std::vector<std::string> files = {"in.vcf", "in.vcf.gz", "in.vcf.gz.tbi", "g.txt", "s.txt"};
  std::map<std::string, std::string> before;
  for (const std::string& f : files) before[f] = read_text(dir + "/" + f);
  struct collision {
    std::vector<std::string> args;
    std::string message;
  };
  const std::string a = dir + "/a.vcf.gz";
  const collision cases[] = {
      {{"--annotate", dir + "/./x.vcf", vcf, dir + "/x.vcf"}, "is also the table"},
      {{"--write-index", "--annotate", a, vcf, a + ".csi"},
       "a.vcf.gz.csi: the annotated file's index would overwrite the table"},
      {{"--groups", dir + "/g.txt", vcf, dir + "/g.txt"},
       "g.txt: the table would overwrite the --groups file"},
      {{"--samples", "@" + dir + "/s.txt", vcf, dir + "/./s.txt"},
       "s.txt: the table would overwrite the --samples file"},
      {{dir + "/in.vcf.gz", dir + "/in.vcf.gz.tbi"},
       "in.vcf.gz.tbi: the table would overwrite the input's index"},
      {{"--annotate", dir + "/g.vcf", "--groups", dir + "/g.vcf", vcf, dir + "/t.tsv"},
       "g.vcf: the annotated file would overwrite the --groups file"},
  };
  write_text(dir + "/g.vcf", "S0 a\n");
  before["g.vcf"] = "S0 a\n";
  for (const collision& c : cases) {
    std::vector<std::string> args = {"--vcf"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    run_result r = run_drevel(args);
    EXPECT_EQ(r.status, 2) << c.message;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    std::vector<std::string> names;
    for (const auto& f : before) {
      names.push_back(f.first);
      EXPECT_EQ(read_text(dir + "/" + f.first), f.second) << c.message;
    }
    expect_entries(dir, names);
  }
}

// Each failure: status 1, one message, the existing table, annotated file
// and index as they were, and no other file.
TEST(vcf_annotate, failures_leave_the_targets_as_they_were) {
  std::string dir = make_temp_dir(), vcf = dir + "/in.vcf";
  const std::string text = vcf_text(sample_names(10), mixed_sites(30, 10));
  write_text(vcf, text);
  const std::string out = dir + "/out.bcf", table = dir + "/t.tsv";
  for (const std::string& old : {out, out + ".csi", table}) write_text(old, "old " + old + "\n");
  auto expect_untouched = [&](const std::string& what, std::vector<std::string> extra) {
    for (const std::string& old : {out, out + ".csi", table})
      EXPECT_EQ(read_text(old), "old " + old + "\n") << what;
    extra.insert(extra.end(), {"in.vcf", "out.bcf", "out.bcf.csi", "t.tsv"});
    expect_entries(dir, extra);
  };
  auto expect_failure = [&](const std::vector<std::string>& args, const std::string& message,
                            const std::vector<std::string>& extra) {
    run_result r = run_drevel(args);
    EXPECT_EQ(r.status, 1) << message;
    EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    expect_untouched(message, extra);
  };

  expect_failure({"--vcf", "--annotate", dir + "/no-such-dir/out.vcf", vcf, table},
                 dir + "/no-such-dir/out.vcf: cannot create the annotated file: No such file", {});

  // Cut in the middle of the last record.
  write_text(dir + "/cut.vcf", text.substr(0, text.size() - 25));
  expect_failure({"--vcf", "--write-index", "--annotate", out, dir + "/cut.vcf", table},
                 "truncated or corrupt input", {"cut.vcf"});
  std::remove((dir + "/cut.vcf").c_str());

  // A full disk, at the end: the last bytes are written at commit.
  if (file_exists("/dev/full")) {
    ASSERT_EQ(::symlink("/dev/full", (dir + "/full.vcf").c_str()), 0);
    expect_failure({"--vcf", "--annotate", dir + "/full.vcf", vcf, table},
                   "full.vcf: cannot write the annotated file: No space left on device",
                   {"full.vcf"});
    std::remove((dir + "/full.vcf").c_str());

    // The table fails after everything else is written: to a full disk or
    // to a standard output that is one.  The annotated file and its index
    // stay as they were.
    ASSERT_EQ(::symlink("/dev/full", (dir + "/full.tsv").c_str()), 0);
    expect_failure({"--vcf", "--write-index", "--annotate", out, vcf, dir + "/full.tsv"},
                   "full.tsv: cannot write the table: No space left on device", {"full.tsv"});
    std::remove((dir + "/full.tsv").c_str());
    const std::string command =
        quote(std::getenv("DREVEL_BIN") ? std::getenv("DREVEL_BIN") : DREVEL_BIN_PATH) +
        " --vcf --write-index --annotate " + quote(out) + " " + quote(vcf) + " - >/dev/full 2>" +
        quote(dir + "/err");
    EXPECT_NE(std::system(command.c_str()), 0);
    EXPECT_NE(read_text(dir + "/err").find("standard output: cannot write the table"),
              std::string::npos);
    std::remove((dir + "/err").c_str());
    expect_untouched("standard output on a full disk", {});

    // The index fails: the annotated file stays as it was too.
    std::remove((out + ".csi").c_str());
    ASSERT_EQ(::symlink("/dev/full", (out + ".csi").c_str()), 0);
    run_result r = run_drevel({"--vcf", "--write-index", "--annotate", out, vcf, table});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("out.bcf: cannot write the annotated file's index: No space left"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(read_text(out), "old " + out + "\n");
    EXPECT_EQ(read_text(table), "old " + table + "\n");
    std::remove((out + ".csi").c_str());
    write_text(out + ".csi", "old " + out + ".csi\n");
    expect_untouched("the index on a full disk", {});
  }

  // The input declares a key as something else.
  std::string declared = text;
  declared.insert(declared.find("##FORMAT"),
                  "##INFO=<ID=HWE_F,Number=A,Type=Float,Description=\"other\">\n");
  write_text(dir + "/declared.vcf", declared);
  expect_failure({"--vcf", "--annotate", out, dir + "/declared.vcf", table},
                 "the input declares INFO/HWE_F other than as Number=1,Type=Float",
                 {"declared.vcf"});
  std::remove((dir + "/declared.vcf").c_str());

  // Groups that give one key.
  std::string groups;
  for (int s = 0; s < 10; s++) groups += "S" + std::to_string(s) + (s < 5 ? " a-b\n" : " a_b\n");
  write_text(dir + "/groups.txt", groups);
  expect_failure({"--vcf", "--groups", dir + "/groups.txt", "--annotate", out, vcf, table},
                 "the groups 'a-b' and 'a_b' both give the INFO field HWE_EV_a_b", {"groups.txt"});
  std::remove((dir + "/groups.txt").c_str());

  // An index needs sorted records.
  std::vector<vcf_test_site> unsorted = mixed_sites(6, 10);
  std::swap(unsorted[1], unsorted[2]);
  write_text(dir + "/unsorted.vcf", vcf_text(sample_names(10), unsorted));
  expect_failure({"--vcf", "--write-index", "--annotate", out, dir + "/unsorted.vcf", table},
                 "cannot index the annotated file: the input is not sorted (site 1:137 comes "
                 "after 1:174)",
                 {"unsorted.vcf"});
  // Without the index it is written as it comes.
  run_result as_read = run_drevel({"--vcf", "--annotate", dir + "/unsorted.out.vcf",
                                   dir + "/unsorted.vcf", dir + "/unsorted.tsv"});
  EXPECT_EQ(as_read.status, 0) << as_read.err;
}

// A BCF file holds only what its header declares: a record of an undeclared
// contig stops the run; a VCF takes it as the input had it.
TEST(vcf_annotate, bcf_needs_every_contig_declared) {
  std::string dir = make_temp_dir(), vcf = dir + "/in.vcf";
  std::vector<vcf_test_site> sites = mixed_sites(6, 10);
  sites[4].chrom = sites[5].chrom = "chrU";
  write_text(vcf, vcf_text(sample_names(10), sites));
  run_result r = run_drevel({"--vcf", "--annotate", dir + "/out.bcf", vcf, dir + "/t.tsv"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("out.bcf: the input's header does not declare the contig 'chrU' of site "
                       "chrU:"),
            std::string::npos)
      << r.err;
  expect_entries(dir, {"in.vcf"});
  run_result text = run_drevel({"--vcf", "--annotate", dir + "/out.vcf", vcf, dir + "/t.tsv"});
  EXPECT_EQ(text.status, 0) << text.err;
  EXPECT_NE(text.err.find("contig 'chrU' is not declared"), std::string::npos) << text.err;
  EXPECT_EQ(text.err.find("INFO field"), std::string::npos) << "the annotation's own fields";
  EXPECT_NE(read_text(dir + "/out.vcf").find("\nchrU\t"), std::string::npos);
}

// Ended by a signal while it writes: the temporary files of the table and of
// the annotated file and its index are all removed.
TEST(vcf_annotate, an_interrupted_run_leaves_no_temporary_file) {
  std::string dir = make_temp_dir(), vcf = dir + "/in.vcf";
  write_text(vcf, vcf_text(sample_names(100), mixed_sites(400, 100)));
  const std::string command =
      quote(std::getenv("DREVEL_BIN") ? std::getenv("DREVEL_BIN") : DREVEL_BIN_PATH) +
      " --vcf --threads 1 --precision 1e-9 --maxmc 100000000 --write-index --annotate " +
      quote(dir + "/out.bcf") + " " + quote(vcf) + " " + quote(dir + "/t.tsv");
  ASSERT_EQ(std::system(("(" + command + ") >/dev/null 2>&1 & echo $! >" +
                         quote(dir + "/pid")).c_str()),
            0);
  const pid_t pid = static_cast<pid_t>(std::stol(read_text(dir + "/pid")));
  std::remove((dir + "/pid").c_str());
  // Until the three temporary files are there (the run takes minutes).
  auto temporaries = [&]() {
    int n = 0;
    for (const std::string& name : dir_entries(dir))
      if (name.rfind(".out.bcf.", 0) == 0 || name.rfind(".out.bcf.csi.", 0) == 0 ||
          name.rfind(".t.tsv.", 0) == 0)
        n++;
    return n;
  };
  for (int wait = 0; wait < 3000 && temporaries() < 3; wait++)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(temporaries(), 3);
  ASSERT_EQ(::kill(pid, SIGTERM), 0);
  for (int wait = 0; wait < 3000 && ::kill(pid, 0) == 0; wait++)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_NE(::kill(pid, 0), 0) << "drevel did not end";
  expect_entries(dir, {"in.vcf"});
}
