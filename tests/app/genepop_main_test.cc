// drevel --genepop end to end: every row against a classic run of its
// population's counts in increasing code order, for both code widths and
// both ways of listing loci, with missing and half-missing genotypes; and
// malformed files, which leave no table.
#include <gtest/gtest.h>
#include <unistd.h>

#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "support/classic_run.h"
#include "support/run_drevel.h"

namespace {

// A population's genotypes at each locus, as written, and what the table
// must say of them, worked out here apart from the reader.
struct generated {
  std::string text;
  std::vector<std::string> loci;
  std::vector<std::string> first;  // each population's first individual
  // [population][locus]: the genotypes of the population at the locus
  std::vector<std::vector<std::vector<std::pair<int, int>>>> calls;
};

std::string code_text(int code, int digits) {
  std::string s = std::to_string(code);
  return std::string(digits - s.size(), '0') + s;
}

generated generate(int digits, bool loci_on_one_line, int seed) {
  std::mt19937 rng(seed);
  generated g;
  g.loci = {"FCA8", "FCA23", "F 43", "mono"};
  g.text = "Cats of two towns, generated\n";
  if (loci_on_one_line)
    g.text += "FCA8, FCA23 ,F 43,mono\n";
  else
    for (const auto& l : g.loci) g.text += l + "\n";
  // Each locus has its own codes; population 2 lacks some of them.
  std::vector<std::vector<int>> codes = {
      {digits == 3 ? 102 : 2, digits == 3 ? 98 : 8, digits == 3 ? 110 : 10},
      {digits == 3 ? 131 : 31, digits == 3 ? 127 : 27},
      {digits == 3 ? 200 : 20, digits == 3 ? 204 : 24, digits == 3 ? 999 : 99, 1},
      {digits == 3 ? 150 : 50}};
  for (int pop = 0; pop < 2; pop++) {
    g.text += pop == 0 ? "Pop\n" : "pOP  Lyon south \n";  // a name after Pop
    g.calls.emplace_back(g.loci.size());
    g.first.push_back("town" + std::to_string(pop + 1) + " cat0");
    for (int ind = 0; ind < 30 + 5 * pop; ind++) {
      g.text += "town" + std::to_string(pop + 1) + " cat" + std::to_string(ind) + " ,";
      for (size_t l = 0; l < g.loci.size(); l++) {
        const std::vector<int>& c = codes[l];
        size_t usable = pop == 1 && c.size() > 2 ? c.size() - 1 : c.size();
        int a = c[rng() % usable], b = c[rng() % (pop == 0 ? usable : 1)];
        int kind = static_cast<int>(rng() % 12);
        if (kind == 0) {
          g.text += rng() % 2 ? " 0" : " " + std::string(2 * digits, '0');  // missing
          g.calls[pop][l].push_back({0, 0});
        } else if (kind == 1) {  // half-missing
          g.text += " " + code_text(a, digits) + std::string(digits, '0');
          g.calls[pop][l].push_back({a, 0});
        } else {
          g.text += (rng() % 2 ? "\t" : " ") + code_text(a, digits) + code_text(b, digits);
          g.calls[pop][l].push_back({a, b});
        }
      }
      g.text += "\n";
    }
  }
  return g;
}

}  // namespace

TEST(genepop_main, each_row_matches_a_classic_run_in_increasing_code_order) {
  std::string dir = make_temp_dir();
  int variant = 0;
  for (int digits : {2, 3}) {
    for (bool one_line : {false, true}) {
      generated g = generate(digits, one_line, 3 + variant++);
      write_text(dir + "/in.gen", g.text);
      run_result r = run_drevel({"--genepop", dir + "/in.gen", "-"});
      ASSERT_EQ(r.status, 0) << r.err;
      EXPECT_EQ(r.err, "");
      std::vector<std::string> rows = split(r.out, '\n');
      ASSERT_EQ(rows.size(), 1 + 2 * g.loci.size());
      EXPECT_EQ(rows[0],
                "#POP\tPOP_NAME\tFIRST_INDIVIDUAL\tLOCUS\tN_ALLELES\tN_CALLED\tN_SKIPPED\tEVIDENCE\tL_MAX"
                "\tL_HYP\tDRAWS\tN_TESTED\tSTATUS\tGENOTYPES\tHET_OBS\tHET_EXP\tF\tMC_SE\tAT_MAXMC"
                "\tP_HWE\tP_HWE_MIDP\tP_HET_EXCESS\tP_HET_DEFICIT\tP_HWE_SE\tSEV\tALLELES");
      for (int pop = 0; pop < 2; pop++) {
        for (size_t l = 0; l < g.loci.size(); l++) {
          std::vector<std::string> cols = split(rows[1 + pop * g.loci.size() + l], '\t');
          ASSERT_EQ(cols.size(), 26u);
          EXPECT_EQ(cols[0], std::to_string(pop + 1));
          EXPECT_EQ(cols[1], pop == 0 ? "." : "Lyon south");
          EXPECT_EQ(cols[2], g.first[pop]);
          EXPECT_EQ(cols[3], g.loci[l]);
          std::set<int> in_file, seen;
          for (const auto& pop_calls : g.calls)
            for (auto c : pop_calls[l])
              for (int code : {c.first, c.second})
                if (code) in_file.insert(code);
          int called = 0, skipped = 0;
          for (auto c : g.calls[pop][l]) {
            if (c.first == 0 || c.second == 0) {
              skipped++;
              continue;
            }
            called++;
            seen.insert(c.first);
            seen.insert(c.second);
          }
          EXPECT_EQ(cols[4], std::to_string(in_file.size()));
          EXPECT_EQ(cols[5], std::to_string(called));
          EXPECT_EQ(cols[6], std::to_string(skipped));
          EXPECT_EQ(cols[11], std::to_string(seen.size()));
          // Allele n is the n-th smallest code seen in the population.
          std::map<int, int> rank;
          std::string alleles;
          for (int code : seen) {
            rank[code] = static_cast<int>(rank.size()) + 1;
            alleles += (alleles.empty() ? "" : ",") + code_text(code, digits);
          }
          EXPECT_EQ(cols[25], alleles);
          int k = static_cast<int>(seen.size());
          std::vector<int> counts(k * (k + 1) / 2, 0);
          for (auto c : g.calls[pop][l]) {
            if (c.first == 0 || c.second == 0) continue;
            int i = std::max(rank[c.first], rank[c.second]), j = std::min(rank[c.first], rank[c.second]);
            counts[j + i * (i - 1) / 2 - 1]++;
          }
          std::string genotypes;
          for (int x : counts) genotypes += (genotypes.empty() ? "" : ",") + std::to_string(x);
          EXPECT_EQ(cols[13], genotypes);
          if (k == 1) {
            EXPECT_EQ(cols[12], "monomorphic");
            EXPECT_EQ(cols[7], "NA");
            continue;
          }
          EXPECT_EQ(cols[12], "ok");
          std::vector<std::string> classic = classic_values(dir, k, counts);
          EXPECT_EQ(cols[7], classic[0]) << "population " << pop + 1 << " locus " << g.loci[l];
          EXPECT_EQ(cols[8], classic[1]);
          EXPECT_EQ(cols[9], classic[2]);
        }
      }
    }
  }
}

TEST(genepop_main, same_table_on_any_thread_count_and_from_standard_input) {
  std::string dir = make_temp_dir();
  write_text(dir + "/in.gen", generate(3, false, 9).text);
  run_result one = run_drevel({"--genepop", "--threads=1", dir + "/in.gen", dir + "/t.tsv"});
  ASSERT_EQ(one.status, 0) << one.err;
  run_result two = run_drevel({"--genepop", "--threads", "2", "-", "-"}, dir + "/in.gen");
  ASSERT_EQ(two.status, 0) << two.err;
  EXPECT_EQ(two.out, read_text(dir + "/t.tsv"));

  // The allele limit counts the codes tested in the population.
  run_result limited = run_drevel({"--genepop", "--max-alleles", "2", dir + "/in.gen", "-"});
  ASSERT_EQ(limited.status, 0) << limited.err;
  EXPECT_NE(limited.out.find("\ttoo_many_alleles\t"), std::string::npos);
  EXPECT_NE(limited.err.find("population-locus rows with more than 2 alleles were not computed"),
            std::string::npos)
      << limited.err;
  // A minimum above the maximum: every row draws the minimum, and a note
  // says so.
  run_result crossed =
      run_drevel({"--genepop", "--minmc", "600", "--maxmc", "200", dir + "/in.gen", "-"});
  ASSERT_EQ(crossed.status, 0) << crossed.err;
  EXPECT_EQ(crossed.err,
            "drevel: note: --minmc 600 is above --maxmc 200: every row computed draws at least 600\n");
  // Options of the VCF mode alone are refused.
  run_result declared = run_drevel({"--genepop", "--declared-alleles", dir + "/in.gen", "-"});
  EXPECT_EQ(declared.status, 2);
  EXPECT_EQ(declared.err, "drevel: --declared-alleles applies only to --vcf, --bed and --counts (see drevel --help)\n");
}

TEST(genepop_main, malformed_files_give_a_message_status_1_and_no_table) {
  std::string dir = make_temp_dir();
  std::string out = dir + "/table.tsv";
  struct bad {
    std::string text, message;
  };
  for (const bad& b : std::vector<bad>{
           {"t\nA\nB\nn1, 0101 0202\n", "in.gen: line 4: no 'Pop' line"},
           {"t\nA,B\nPop\nn1, 0101 0202\nn2, 0101 02020\n", "in.gen: line 5: genotype '02020' of locus B has 5 digits"},
           {"t\nA,B\nPop\nn1, 0101 0202\nn2, 0101 0202 0303\n", "in.gen: line 5: 3 genotypes where the file has 2 loci"},
           {"t\nA,B\nPop\nn1, 0101 0202\nn2, 0101 02\n", "in.gen: line 5: genotype '02' of locus B has 2 digits"},
           {"t\nA,B\nPop\nn1, 0101 0202\nn2, 0a01 0202\n", "in.gen: line 5: genotype '0a01' of locus A is not a number"},
       }) {
    write_text(dir + "/in.gen", b.text);
    write_text(out, "previous table\n");
    run_result r = run_drevel({"--genepop", dir + "/in.gen", out});
    EXPECT_EQ(r.status, 1) << b.text;
    EXPECT_EQ(r.err.find("drevel: " + dir + "/" + b.message), 0u) << r.err;
    EXPECT_EQ(read_text(out), "previous table\n");
    EXPECT_EQ(dir_entries(dir).size(), 2u);
  }
  run_result missing = run_drevel({"--genepop", dir + "/none.gen", out});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err, "drevel: " + dir + "/none.gen: cannot open the file: No such file or directory\n");
  run_result directory = run_drevel({"--genepop", dir, out});
  EXPECT_EQ(directory.status, 1);
  EXPECT_EQ(directory.err, "drevel: " + dir + ": cannot open the file: Is a directory\n");
  // The input as the output, under its own name or another.
  write_text(dir + "/in.gen", "t\nA\nPop\nn1, 0101\n");
  ASSERT_EQ(symlink((dir + "/in.gen").c_str(), (dir + "/link.gen").c_str()), 0);
  run_result same = run_drevel({"--genepop", dir + "/in.gen", dir + "/link.gen"});
  EXPECT_EQ(same.status, 1);
  EXPECT_EQ(same.err, "drevel: " + dir + "/link.gen: the output file is the input file\n");
  EXPECT_EQ(read_text(dir + "/in.gen"), "t\nA\nPop\nn1, 0101\n");
}

// --joint: each population across its loci after its rows (LOCUS *), then
// each locus across the populations (POP *); a joint row of one factor is
// that factor's row, and loci without a test are left out and counted.
TEST(genepop_main, joint_rows_per_population_and_per_locus) {
  std::string dir = make_temp_dir();
  write_text(dir + "/in.gen", generate(2, true, 5).text);
  run_result plain = run_drevel({"--genepop", dir + "/in.gen", "-"});
  run_result joint = run_drevel({"--genepop", "--joint", "--threads", "1", dir + "/in.gen", "-"});
  ASSERT_EQ(joint.status, 0) << joint.err;
  std::vector<std::string> rows = split(joint.out, '\n');
  std::vector<std::string> before = split(plain.out, '\n');
  // 2 populations x (4 loci + 1) + 4 loci.
  ASSERT_EQ(rows.size(), 1u + 2 * 5 + 4);
  const char* const where[] = {"1 FCA8", "1 FCA23", "1 F 43", "1 mono", "1 *",
                               "2 FCA8", "2 FCA23", "2 F 43", "2 mono", "2 *",
                               "* FCA8", "* FCA23", "* F 43", "* mono"};
  for (size_t n = 1; n < rows.size(); n++) {
    auto r = named(rows[0], rows[n]);
    EXPECT_EQ(r["#POP"] + " " + r["LOCUS"], where[n - 1]);
    if (r["#POP"] != "*" && r["LOCUS"] != "*") {
      // The ordinary rows as without --joint, two NA columns before ALLELES.
      auto b = named(before[0], before[n - (n > 5)]);
      EXPECT_EQ(r["EVIDENCE"], b["EVIDENCE"]);
      EXPECT_EQ(r["N_JOINED"], "NA");
    }
  }
  auto mono = named(rows[0], rows[14]);
  EXPECT_EQ(mono["STATUS"], "monomorphic");
  EXPECT_EQ(mono["N_JOINED"], "0");
  EXPECT_EQ(mono["N_LEFT_OUT"], "2");
  auto pop1 = named(rows[0], rows[5]);
  EXPECT_EQ(pop1["POP_NAME"], ".");
  EXPECT_EQ(pop1["N_ALLELES"], "NA");
  EXPECT_EQ(pop1["N_JOINED"], "3");
  EXPECT_EQ(named(rows[0], rows[10])["POP_NAME"], "Lyon south");
  auto fca8 = named(rows[0], rows[11]);
  EXPECT_EQ(fca8["POP_NAME"], "*");
  EXPECT_EQ(fca8["FIRST_INDIVIDUAL"], ".");
  EXPECT_EQ(fca8["ALLELES"], "NA");
  run_result two = run_drevel({"--genepop", "--joint", "--threads", "2", dir + "/in.gen", "-"});
  EXPECT_EQ(two.out, joint.out);
}
