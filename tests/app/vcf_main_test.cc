// drevel --vcf end to end: each row against a classic run of the same counts,
// independence of the thread count and of the other sites, the input forms,
// and the failures with their messages, statuses and what they leave behind.
#include <gtest/gtest.h>

#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "support/classic_run.h"
#include "support/run_drevel.h"
#include "support/sanitized.h"
#include "support/vcf_files.h"

namespace {

std::vector<std::string> samples(int n) {
  std::vector<std::string> names;
  for (int s = 0; s < n; s++) names.push_back("S" + std::to_string(s));
  return names;
}

// A site with random calls and the counts and tallies they make, worked out
// here independently of the reader.
struct generated_site {
  vcf_test_site site;
  int k;
  std::vector<int> counts;  // lower triangle, row by row
  int called = 0, skipped = 0;
};

generated_site random_site(std::mt19937& rng, long pos, int k, int nsamples, bool odd_calls) {
  static const char* const bases[] = {"A", "C", "G", "T", "AC", "AG", "AT"};
  generated_site g;
  g.k = k;
  g.counts.assign(k * (k + 1) / 2, 0);
  g.site.chrom = "1";
  g.site.pos = pos;
  g.site.ref = bases[0];
  g.site.alt = k == 1 ? "." : "";
  for (int a = 1; a < k; a++) g.site.alt += std::string(a > 1 ? "," : "") + bases[a];
  // Skewed allele frequencies, so that some sites are far from equilibrium.
  std::vector<double> weights;
  for (int a = 0; a < k; a++) weights.push_back(1.0 / (1 + a));
  std::discrete_distribution<int> allele(weights.begin(), weights.end());
  for (int s = 0; s < nsamples; s++) {
    int kind = odd_calls ? static_cast<int>(rng() % 10) : 9;
    if (kind == 0) {
      g.site.calls.push_back(rng() % 2 ? "./." : ".");
      g.skipped++;
    } else if (kind == 1) {
      g.site.calls.push_back(std::to_string(allele(rng)));  // haploid
      g.skipped++;
    } else if (kind == 2) {
      g.site.calls.push_back("0/" + std::to_string(allele(rng)) + "/1");  // triploid
      g.skipped++;
    } else {
      int a = allele(rng), b = allele(rng);
      g.site.calls.push_back(std::to_string(a) + (rng() % 2 ? "|" : "/") + std::to_string(b));
      int i = std::max(a, b) + 1, j = std::min(a, b) + 1;
      g.counts[j + i * (i - 1) / 2 - 1]++;
      g.called++;
    }
  }
  return g;
}

// The site's counts over the alleles its calls carry, in their order, and
// how many those are: the cells the batch row is computed on.
struct seen_counts {
  int k = 0;
  std::vector<int> counts;
};
seen_counts seen_only(const generated_site& g) {
  std::vector<int> copies(g.k, 0);
  for (int i = 0, n = 0; i < g.k; i++)
    for (int j = 0; j <= i; j++, n++) {
      copies[i] += g.counts[n];
      copies[j] += g.counts[n];
    }
  std::vector<int> seen;
  for (int a = 0; a < g.k; a++)
    if (copies[a] > 0) seen.push_back(a);
  seen_counts out;
  out.k = static_cast<int>(seen.size());
  for (size_t i = 0; i < seen.size(); i++)
    for (size_t j = 0; j <= i; j++) {
      int a = seen[i], b = seen[j];
      out.counts.push_back(g.counts[b + a * (a + 1) / 2]);
    }
  return out;
}

std::string joined(const std::vector<int>& values) {
  std::string out;
  for (int v : values) out += (out.empty() ? "" : ",") + std::to_string(v);
  return out;
}

std::vector<generated_site> mixed_sites(int n, int nsamples) {
  std::mt19937 rng(7);
  std::vector<generated_site> sites;
  for (int s = 0; s < n; s++) {
    int k = s % 10 == 9 ? 3 + s % 3 : (s % 13 == 0 ? 1 : 2);
    sites.push_back(random_site(rng, 100 * (s + 1), k, nsamples, s % 2 == 0));
  }
  return sites;
}

std::string write_sites(const std::string& path, const std::vector<generated_site>& sites,
                        int nsamples) {
  std::vector<vcf_test_site> list;
  for (const auto& g : sites) list.push_back(g.site);
  write_text(path, vcf_text(samples(nsamples), list));
  return path;
}

const char* const header =
    "#CHROM\tPOS\tID\tREF\tALT\tN_ALLELES\tN_CALLED\tN_SKIPPED\tEVIDENCE\tL_MAX\tL_HYP\tDRAWS"
    "\tN_TESTED\tSTATUS\tGENOTYPES\tHET_OBS\tHET_EXP\tF\tMC_SE\tAT_MAXMC\tP_HWE\tP_HWE_MIDP\tP_HET_EXCESS\tP_HET_DEFICIT\tP_HWE_SE\tSEV";

}  // namespace

TEST(vcf_main, each_row_matches_a_classic_run_of_its_counts) {
  std::string dir = make_temp_dir();
  std::mt19937 rng(11);
  std::vector<generated_site> sites = {
      random_site(rng, 10, 2, 60, false),  // biallelic, phased and unphased calls
      random_site(rng, 20, 2, 60, true),   // with missing, haploid and triploid calls
      random_site(rng, 30, 3, 60, true),   // multi-allelic
      random_site(rng, 40, 4, 60, false),
      random_site(rng, 50, 1, 60, true),   // ALT "."
  };
  std::string vcf = write_sites(dir + "/in.vcf", sites, 60);
  struct tuning_case {
    std::vector<std::string> options;
    std::string classic;
  };
  for (bool declared : {false, true}) {
    for (const tuning_case& t : std::vector<tuning_case>{
             {{}, "0 0 0"},
             {{"--engine", "literal"}, "0 0 0"},
             {{"--precision", "0.02", "--minmc=300", "--maxmc", "2000"}, "0.02 300 2000"}}) {
      std::vector<std::string> args = {"--vcf", vcf, "-"};
      args.insert(args.end(), t.options.begin(), t.options.end());
      if (declared) args.push_back("--declared-alleles");
      run_result r = run_drevel(args);
      ASSERT_EQ(r.status, 0) << r.err;
      EXPECT_EQ(r.err, "");
      std::vector<std::string> rows = split(r.out, '\n');
      ASSERT_EQ(rows.size(), sites.size() + 1);
      EXPECT_EQ(rows[0], header);
      for (size_t s = 0; s < sites.size(); s++) {
        std::vector<std::string> cols = split(rows[s + 1], '\t');
        ASSERT_EQ(cols.size(), 26u) << rows[s + 1];
        EXPECT_EQ(cols[1], std::to_string(sites[s].site.pos));
        EXPECT_EQ(cols[4], sites[s].site.alt);
        EXPECT_EQ(cols[5], std::to_string(sites[s].k));
        EXPECT_EQ(cols[6], std::to_string(sites[s].called));
        EXPECT_EQ(cols[7], std::to_string(sites[s].skipped));
        seen_counts tested = seen_only(sites[s]);
        if (declared) tested = {sites[s].k, sites[s].counts};
        EXPECT_EQ(cols[12], std::to_string(tested.k));
        EXPECT_EQ(cols[14], joined(tested.counts));
        if (tested.k == 1) {
          EXPECT_EQ(cols[13], "monomorphic");
          EXPECT_EQ(cols[8], "NA");
          continue;
        }
        EXPECT_EQ(cols[13], "ok");
        std::vector<std::string> classic = classic_values(dir, tested.k, tested.counts, t.classic);
        EXPECT_EQ(cols[8], classic[0]) << "site " << s << " E, tuning " << t.classic;
        EXPECT_EQ(cols[9], classic[1]) << "site " << s << " L_max";
        EXPECT_EQ(cols[10], classic[2]) << "site " << s << " L_hyp";
        EXPECT_GE(std::stoll(cols[11]), 100);
      }
    }
  }
}

TEST(vcf_main, table_does_not_depend_on_threads_or_other_sites) {
  std::string dir = make_temp_dir();
  std::vector<generated_site> sites = mixed_sites(30, 30);
  std::string vcf = write_sites(dir + "/in.vcf", sites, 30);
  run_result one = run_drevel({"--vcf", "--threads", "1", vcf, dir + "/one.tsv"});
  ASSERT_EQ(one.status, 0) << one.err;
  std::string table = read_text(dir + "/one.tsv");
  for (const char* threads : {"2", "3"}) {
    run_result r = run_drevel({"--vcf", "--threads", threads, vcf, dir + "/many.tsv"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(read_text(dir + "/many.tsv"), table) << threads << " threads";
  }
  // One site alone gives the row it has among the others.
  std::vector<std::string> rows = split(table, '\n');
  run_result alone = run_drevel(
      {"--vcf", write_sites(dir + "/one.vcf", {sites[9]}, 30), "-"});
  ASSERT_EQ(alone.status, 0) << alone.err;
  EXPECT_EQ(alone.out, std::string(header) + "\n" + rows[10] + "\n");
}

// The batch engine (the default) and the site-by-site pool write the same
// table, byte for byte, for any thread count; so does the literal engine,
// which always runs site by site.  Repeated count vectors take the
// engine's cache.
TEST(vcf_main, batch_and_per_site_engines_write_the_same_table) {
  std::string dir = make_temp_dir();
  std::vector<generated_site> sites = mixed_sites(40, 25);
  // Repeats, so that some groups come from results computed before.
  for (int i = 0; i < 10; i++) {
    generated_site again = sites[static_cast<size_t>(i)];
    again.site.pos = 10000 + i;
    sites.push_back(again);
  }
  std::string vcf = write_sites(dir + "/in.vcf", sites, 25);
  run_result per_site =
      run_drevel({"--vcf", "--site-engine", "per-site", "--threads", "1", vcf, dir + "/p.tsv"});
  ASSERT_EQ(per_site.status, 0) << per_site.err;
  std::string table = read_text(dir + "/p.tsv");
  for (const char* threads : {"1", "2", "3"}) {
    run_result r = run_drevel({"--vcf", "--threads", threads, vcf, dir + "/b.tsv"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(read_text(dir + "/b.tsv"), table) << threads << " threads";
  }
  run_result literal = run_drevel({"--vcf", "--engine", "literal", vcf, dir + "/l.tsv"});
  ASSERT_EQ(literal.status, 0) << literal.err;
  EXPECT_EQ(read_text(dir + "/l.tsv"), table);
}

TEST(vcf_main, bgzipped_bcf_and_standard_input_give_the_same_table) {
  std::string dir = make_temp_dir();
  std::string vcf = write_sites(dir + "/in.vcf", mixed_sites(12, 20), 20);
  run_result text = run_drevel({"--vcf", vcf, "-"});
  ASSERT_EQ(text.status, 0) << text.err;
  convert_vcf(vcf, dir + "/in.vcf.gz", "wz", true);
  convert_vcf(vcf, dir + "/in.bcf", "wb", true);
  for (const std::string& path : {dir + "/in.vcf.gz", dir + "/in.bcf"}) {
    run_result r = run_drevel({"--vcf", path, "-"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, text.out) << path;
  }
  run_result piped = run_drevel({"--vcf", "-", "-"}, dir + "/in.bcf");
  EXPECT_EQ(piped.status, 0) << piped.err;
  EXPECT_EQ(piped.out, text.out);

  // Regions and samples on the indexed copy: the rows of sites 300..500.
  std::vector<std::string> rows = split(text.out, '\n');
  run_result part = run_drevel({"--vcf", "--regions", "1:450-500,1:300-420", dir + "/in.vcf.gz", "-"});
  EXPECT_EQ(part.status, 0) << part.err;
  EXPECT_EQ(part.out, rows[0] + "\n" + rows[3] + "\n" + rows[4] + "\n" + rows[5] + "\n");
  write_text(dir + "/names.txt", "S3\nS1\n");
  run_result two = run_drevel({"--vcf", "--samples", "@" + dir + "/names.txt", vcf, "-"});
  run_result same = run_drevel({"--vcf", "--samples=S1,S3", vcf, "-"});
  EXPECT_EQ(two.status, 0) << two.err;
  EXPECT_EQ(two.out, same.out);
  EXPECT_NE(two.out, text.out);
}

TEST(vcf_main, sites_not_computed_get_na) {
  std::string dir = make_temp_dir();
  std::string vcf = dir + "/in.vcf";
  write_text(vcf, vcf_text(samples(3), {{"1", 5, "A", "C", {"./.", ".", "0"}},
                                        {"1", 6, "A", "C,G,T", {"0/1", "2/3", "./."}}}));
  run_result r = run_drevel({"--vcf", "--max-alleles", "3", vcf, "-"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, std::string(header) +
                       "\n1\t5\t.\tA\tC\t2\t0\t3\tNA\tNA\tNA\tNA\t0\tno_calls\tNA\tNA\tNA\tNA\tNA\tNA"
                       "\tNA\tNA\tNA\tNA\tNA\tNA\n" +
                       "1\t6\t.\tA\tC,G,T\t4\t2\t1\tNA\tNA\tNA\tNA\t4\ttoo_many_alleles\tNA"
                       "\t1.000000e+00\t7.500000e-01\t-3.333333e-01\tNA\tNA\tNA\tNA\tNA\tNA\tNA\tNA\n");
  EXPECT_EQ(r.err,
            "drevel: note: 1 sites with more than 3 alleles were not computed (NA in the table); "
            "--max-alleles raises the limit\n");
}

TEST(vcf_main, failures_give_a_message_a_status_and_no_table) {
  std::string dir = make_temp_dir();
  std::string good = vcf_text(samples(4), {{"1", 5, "A", "C", {"0/1", "0/0", "1/1", "0/1"}},
                                           {"1", 6, "A", "G", {"0/1", "0/0", "1/1", "0/1"}}});
  write_text(dir + "/good.vcf", good);
  write_text(dir + "/truncated.vcf", good + "1\t7\t.\tA\tG\t.\t.\t.\tGT\t0/1\t0/");
  write_text(dir + "/corrupt.vcf", good + "1\t8\t.\tA\tG\t.\t.\t.\tGT\t0/1\t0/0\t0/0\t0/5\n");
  std::string out = dir + "/table.tsv";
  struct failure {
    std::vector<std::string> args;
    int status;
    std::string message;
  };
  for (const failure& f : std::vector<failure>{
           {{"--vcf", dir + "/truncated.vcf", out}, 1,
            "drevel: " + dir + "/truncated.vcf: truncated or corrupt input at site 1:7: 11 columns where the header makes 13\n"},
           {{"--vcf", dir + "/corrupt.vcf", out}, 1,
            "drevel: " + dir + "/corrupt.vcf: site 1:8: a genotype names allele 5 but the site has only 2 alleles\n"},
           {{"--vcf", "--samples", "S1,nobody", dir + "/good.vcf", out}, 1,
            "drevel: " + dir + "/good.vcf: unknown sample 'nobody'\n"},
           {{"--vcf", "--regions", "1:1-10", dir + "/good.vcf", out}, 1,
            "drevel: " + dir + "/good.vcf: --regions needs an index next to the file (a bgzipped VCF with a .tbi or .csi index); none was found\n"},
           {{"--vcf", dir + "/missing.vcf", out}, 1,
            "drevel: " + dir + "/missing.vcf: cannot open the file: No such file or directory\n"},
           {{"--vcf", dir + "/good.vcf", dir + "/good.vcf"}, 1,
            "drevel: " + dir + "/good.vcf: the output file is the input file\n"},
           {{"--vcf", "--threads", "zero", dir + "/good.vcf", out}, 2,
            "drevel: --threads needs a whole number from 1 to 1024, not 'zero' (see drevel --help)\n"},
           {{"--vcf", dir + "/good.vcf"}, 2,
            "drevel: --vcf needs an input and an output file (use - for standard input or output) (see drevel --help)\n"},
       }) {
    write_text(out, "previous table\n");
    run_result r = run_drevel(f.args);
    EXPECT_EQ(r.status, f.status) << f.message;
    EXPECT_EQ(r.err, f.message);
    EXPECT_EQ(read_text(out), "previous table\n") << f.message;
    std::vector<std::string> files = dir_entries(dir);
    EXPECT_EQ(files.size(), 4u) << "a temporary file was left behind: " << f.message;
  }

  run_result missing_dir = run_drevel({"--vcf", dir + "/good.vcf", dir + "/no/such/dir/t.tsv"});
  EXPECT_EQ(missing_dir.status, 1);
  EXPECT_EQ(missing_dir.err, "drevel: " + dir +
                                 "/no/such/dir/t.tsv: cannot create the output file: No such file or directory\n");
  run_result full = run_drevel({"--vcf", dir + "/good.vcf", "/dev/full"});
  EXPECT_EQ(full.status, 1);
  EXPECT_EQ(full.err, "drevel: /dev/full: cannot write the table: No space left on device\n");
}

TEST(vcf_main, help_describes_the_mode) {
  run_result r = run_drevel({"--help"});
  EXPECT_EQ(r.status, 0);
  for (const char* word : {"--vcf", "--threads", "--regions", "--samples", "--precision",
                           "--minmc", "--maxmc", "--max-alleles", "N_SKIPPED", "--groups",
                           "--declared-alleles", "--genepop", "N_TESTED", "STATUS", "GENOTYPES",
                           "HET_OBS", "HET_EXP", "MC_SE", "AT_MAXMC", "ALLELES", "FIRST_INDIVIDUAL",
                           "monomorphic", "too_many_alleles", "no_calls"})
    EXPECT_NE(r.out.find(word), std::string::npos) << word;
}

namespace {

// calls repeated: {"0/0", 19} gives 19 calls of 0/0.
std::vector<std::string> calls_of(const std::vector<std::pair<std::string, int>>& list) {
  std::vector<std::string> calls;
  for (const auto& item : list)
    for (int n = 0; n < item.second; n++) calls.push_back(item.first);
  return calls;
}

}  // namespace

TEST(vcf_main, populations_mixed_depart_and_each_alone_does_not) {
  // Two towns in equilibrium with opposite allele frequencies (0.9 and 0.1,
  // 100 samples each: 81/18/1 and 1/18/81); pooled, the heterozygotes fall
  // short of 2pq = 0.5 (the Wahlund effect).  A third allele only in town B
  // at the second site.  S_out is in no group and never counted.
  std::vector<std::string> names;
  std::string groups;
  for (int s = 0; s < 200; s++) {
    names.push_back("S" + std::to_string(s));
    groups += names.back() + (s % 2 ? "\tB\n" : " A\n");  // interleaved: A first
  }
  names.push_back("S_out");
  std::vector<std::string> first(201), second(201);
  std::vector<std::string> a1 = calls_of({{"0/0", 81}, {"0/1", 18}, {"1/1", 1}});
  std::vector<std::string> b1 = calls_of({{"1/1", 81}, {"1/0", 18}, {"0|0", 1}});
  std::vector<std::string> b2 = calls_of({{"1/1", 64}, {"1/2", 16}, {"2/2", 1}, {"0/1", 18}, {"0/0", 1}});
  for (int s = 0; s < 200; s++) {
    first[s] = s % 2 ? b1[s / 2] : a1[s / 2];
    second[s] = s % 2 ? b2[s / 2] : a1[s / 2];
  }
  first[200] = second[200] = "1/1";
  std::string dir = make_temp_dir();
  write_text(dir + "/in.vcf", vcf_text(names, {{"1", 100, "A", "G", first},
                                               {"1", 200, "A", "G,T", second}}));
  write_text(dir + "/groups.txt", groups);

  run_result pooled = run_drevel({"--vcf", dir + "/in.vcf", "-"});
  ASSERT_EQ(pooled.status, 0) << pooled.err;
  std::vector<std::string> rows = split(pooled.out, '\n');
  ASSERT_EQ(rows.size(), 3u);
  auto p = named(rows[0], rows[1]);
  EXPECT_EQ(p["N_CALLED"], "201");
  EXPECT_LT(std::stod(p["EVIDENCE"]), 1e-3) << rows[1];
  EXPECT_GT(std::stod(p["F"]), 0.5);

  run_result by_town = run_drevel({"--vcf", "--groups", dir + "/groups.txt", dir + "/in.vcf", "-"});
  ASSERT_EQ(by_town.status, 0) << by_town.err;
  rows = split(by_town.out, '\n');
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[0], "#CHROM\tPOS\tID\tREF\tALT\tGROUP\tN_ALLELES\tN_CALLED\tN_SKIPPED\tEVIDENCE"
                     "\tL_MAX\tL_HYP\tDRAWS\tN_TESTED\tSTATUS\tGENOTYPES\tHET_OBS\tHET_EXP\tF\tMC_SE"
                     "\tAT_MAXMC\tP_HWE\tP_HWE_MIDP\tP_HET_EXCESS\tP_HET_DEFICIT\tP_HWE_SE\tSEV");
  struct expected_row {
    std::string group;
    int k;
    std::vector<int> counts;
  };
  const expected_row expected[] = {{"A", 2, {81, 18, 1}},
                                   {"B", 2, {1, 18, 81}},
                                   {"A", 2, {81, 18, 1}},
                                   {"B", 3, {1, 18, 64, 0, 16, 1}}};
  for (int n = 0; n < 4; n++) {
    auto g = named(rows[0], rows[n + 1]);
    EXPECT_EQ(g["GROUP"], expected[n].group);
    EXPECT_EQ(g["N_CALLED"], "100");
    EXPECT_EQ(g["N_ALLELES"], n < 2 ? "2" : "3");
    EXPECT_EQ(g["N_TESTED"], std::to_string(expected[n].k));
    EXPECT_EQ(g["GENOTYPES"], joined(expected[n].counts));
    EXPECT_GT(std::stod(g["EVIDENCE"]), 0.5) << rows[n + 1];
    std::vector<std::string> classic = classic_values(dir, expected[n].k, expected[n].counts);
    EXPECT_EQ(g["EVIDENCE"], classic[0]) << rows[n + 1];
    EXPECT_EQ(g["L_MAX"], classic[1]);
    EXPECT_EQ(g["L_HYP"], classic[2]);
  }

  // With --samples too, a group counts its chosen samples only.
  run_result some = run_drevel({"--vcf", "--groups", dir + "/groups.txt", "--samples",
                                "S0,S2,S1,S_out", dir + "/in.vcf", "-"});
  ASSERT_EQ(some.status, 0) << some.err;
  rows = split(some.out, '\n');
  EXPECT_EQ(named(rows[0], rows[1])["N_CALLED"], "2");
  EXPECT_EQ(named(rows[0], rows[2])["N_CALLED"], "1");
  EXPECT_EQ(named(rows[0], rows[2])["STATUS"], "monomorphic");

  // --joint: after each site's groups, the evidence for equilibrium in both
  // towns at once, high where each alone is; the same bytes whatever the
  // site engine and the threads.
  run_result joint = run_drevel({"--vcf", "--joint", "--groups", dir + "/groups.txt",
                                 "--threads", "1", dir + "/in.vcf", "-"});
  ASSERT_EQ(joint.status, 0) << joint.err;
  rows = split(joint.out, '\n');
  ASSERT_EQ(rows.size(), 7u);
  EXPECT_EQ(rows[0].substr(rows[0].size() - 20), "\tN_JOINED\tN_LEFT_OUT");
  for (int n : {3, 6}) {
    auto j = named(rows[0], rows[n]);
    EXPECT_EQ(j["GROUP"], "*");
    EXPECT_EQ(j["STATUS"], "ok");
    EXPECT_EQ(j["N_CALLED"], "200");
    EXPECT_EQ(j["N_JOINED"], "2");
    EXPECT_EQ(j["GENOTYPES"], "NA");
    EXPECT_GT(std::stod(j["EVIDENCE"]), 0.5) << rows[n];
    EXPECT_EQ(named(rows[0], rows[n - 1])["N_JOINED"], "NA");
  }
  for (const char* engine : {"batch", "per-site"})
    for (const char* threads : {"1", "2"}) {
      run_result again = run_drevel({"--vcf", "--joint", "--groups", dir + "/groups.txt",
                                     "--site-engine", engine, "--threads", threads,
                                     dir + "/in.vcf", "-"});
      EXPECT_EQ(again.out, joint.out) << engine << " " << threads;
    }
  run_result without = run_drevel({"--vcf", "--joint", dir + "/in.vcf", "-"});
  EXPECT_EQ(without.status, 2);
  EXPECT_NE(without.err.find("--joint combines the groups of --groups"), std::string::npos);
}

TEST(vcf_main, unseen_declared_alleles_and_the_declared_alleles_option) {
  // 19 0/0, 1 0/1, 2 1/1, declared with one, two and three ALT alleles.
  std::vector<std::string> calls = calls_of({{"0/0", 19}, {"0/1", 1}, {"1/1", 2}});
  std::vector<std::string> names;
  for (int s = 0; s < 22; s++) names.push_back("S" + std::to_string(s));
  std::string dir = make_temp_dir();
  write_text(dir + "/in.vcf", vcf_text(names, {{"1", 100, "A", "C", calls},
                                               {"1", 200, "A", "C,G", calls},
                                               {"1", 300, "A", "C,G,T", calls}}));
  run_result r = run_drevel({"--vcf", dir + "/in.vcf", "-"});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string computed = "\t22\t0\t1.161290e-02\t-1.067286e+01\t-1.488572e+01\t3100\t2\tok"
                               "\t19,1,2\t4.545455e-02\t2.014463e-01\t7.743590e-01\t1.924213e-03\t0"
                               "\t8.508225e-03\t4.254112e-03\t1.000000e+00\t8.508225e-03"
                               "\tNA\t2.834150e-03\n";
  EXPECT_EQ(r.out, std::string(header) + "\n" + "1\t100\t.\tA\tC\t2" + computed +
                       "1\t200\t.\tA\tC,G\t3" + computed + "1\t300\t.\tA\tC,G,T\t4" + computed);

  // The declared alleles: the first twelve columns as drevel wrote them
  // before alleles were chosen by what is seen.
  r = run_drevel({"--vcf", "--declared-alleles", dir + "/in.vcf", "-"});
  ASSERT_EQ(r.status, 0) << r.err;
  std::vector<std::string> rows = split(r.out, '\n');
  ASSERT_EQ(rows.size(), 4u);
  const char* const before[] = {
      "1\t100\t.\tA\tC\t2\t22\t0\t1.161290e-02\t-1.067286e+01\t-1.488572e+01\t3100",
      "1\t200\t.\tA\tC,G\t3\t22\t0\t2.949821e-01\t-1.067685e+01\t-1.489086e+01\t55800",
      "1\t300\t.\tA\tC,G,T\t4\t22\t0\t8.477457e-01\t-1.068217e+01\t-1.489822e+01\t34600"};
  for (int n = 0; n < 3; n++) EXPECT_EQ(rows[n + 1].substr(0, std::strlen(before[n])), before[n]);
  EXPECT_EQ(rows[2].substr(std::strlen(before[1])),
            "\t3\tok\t19,1,2,0,0,0\t4.545455e-02\t2.014463e-01\t7.743590e-01\t1.930549e-03\t0"
            "\t5.200000e-03\t2.600000e-03\tNA\tNA\t2.735344e-03\t1.060457e-01");
}

TEST(vcf_main, monomorphic_sites_and_groups_say_so) {
  std::string dir = make_temp_dir();
  write_text(dir + "/in.vcf",
             vcf_text(samples(4), {{"1", 10, "A", ".", {"0/0", "0/0", "0|0", "./."}},
                                   {"1", 20, "A", "G", {"1/1", "1/1", "1/1", "1/1"}},
                                   {"1", 30, "A", "G", {"0/0", "0/0", "0/1", "1/1"}}}));
  write_text(dir + "/groups.txt", "S0 x\nS1 x\nS2 y\nS3 y\n");
  run_result r = run_drevel({"--vcf", dir + "/in.vcf", "-"});
  ASSERT_EQ(r.status, 0) << r.err;
  std::vector<std::string> rows = split(r.out, '\n');
  EXPECT_EQ(rows[1], "1\t10\t.\tA\t.\t1\t3\t1\tNA\tNA\tNA\tNA\t1\tmonomorphic\t3\t0.000000e+00"
                     "\t0.000000e+00\tNA\tNA\tNA\tNA\tNA\tNA\tNA\tNA\tNA");
  EXPECT_EQ(rows[2], "1\t20\t.\tA\tG\t2\t4\t0\tNA\tNA\tNA\tNA\t1\tmonomorphic\t4\t0.000000e+00"
                     "\t0.000000e+00\tNA\tNA\tNA\tNA\tNA\tNA\tNA\tNA\tNA");
  r = run_drevel({"--vcf", "--groups", dir + "/groups.txt", dir + "/in.vcf", "-"});
  ASSERT_EQ(r.status, 0) << r.err;
  rows = split(r.out, '\n');
  ASSERT_EQ(rows.size(), 7u);
  EXPECT_EQ(rows[5], "1\t30\t.\tA\tG\tx\t2\t2\t0\tNA\tNA\tNA\tNA\t1\tmonomorphic\t2\t0.000000e+00"
                     "\t0.000000e+00\tNA\tNA\tNA\tNA\tNA\tNA\tNA\tNA\tNA");
  auto y = named(rows[0], rows[6]);
  EXPECT_EQ(y["STATUS"], "ok");
  EXPECT_EQ(y["GENOTYPES"], "0,1,1");
  // With the declared alleles a site that declares two alleles and shows
  // one is computed, as before; one that declares a single allele stays
  // monomorphic (computed, every draw would be a hit and E 0, a departure
  // to a filter on EVIDENCE).
  r = run_drevel({"--vcf", "--declared-alleles", dir + "/in.vcf", "-"});
  rows = split(r.out, '\n');
  EXPECT_EQ(named(rows[0], rows[1])["STATUS"], "monomorphic");
  EXPECT_EQ(named(rows[0], rows[1])["EVIDENCE"], "NA");
  EXPECT_EQ(named(rows[0], rows[2])["STATUS"], "ok");
  EXPECT_EQ(named(rows[0], rows[2])["GENOTYPES"], "0,0,4");
  EXPECT_EQ(named(rows[0], rows[2])["F"], "NA");
}

TEST(vcf_main, precision_columns_follow_the_stopping_rule) {
  std::string dir = make_temp_dir();
  std::vector<std::string> names;
  for (int s = 0; s < 22; s++) names.push_back("S" + std::to_string(s));
  write_text(dir + "/in.vcf",
             vcf_text(names, {{"1", 100, "A", "C", calls_of({{"0/0", 19}, {"0/1", 1}, {"1/1", 2}})}}));
  struct stop_case {
    std::vector<std::string> tuning;
    std::string draws, at_maxmc;
  };
  for (const stop_case& c : std::vector<stop_case>{
           {{}, "3100", "0"},                                               // met the precision
           {{"--minmc=1000", "--maxmc=1000", "--precision=0.5"}, "1000", "0"},  // both at 1000
           {{"--minmc=1000", "--maxmc=1000", "--precision=1e-9"}, "1000", "1"},
           {{"--maxmc=250", "--minmc=100", "--precision=1e-9"}, "300", "1"},
       }) {
    std::vector<std::string> args = {"--vcf", dir + "/in.vcf", "-"};
    args.insert(args.end(), c.tuning.begin(), c.tuning.end());
    run_result r = run_drevel(args);
    ASSERT_EQ(r.status, 0) << r.err;
    std::vector<std::string> rows = split(r.out, '\n');
    auto row = named(rows[0], rows[1]);
    EXPECT_EQ(row["DRAWS"], c.draws);
    EXPECT_EQ(row["AT_MAXMC"], c.at_maxmc) << rows[1];
    double E = std::stod(row["EVIDENCE"]), draws = std::stod(row["DRAWS"]);
    EXPECT_NEAR(std::stod(row["MC_SE"]), std::sqrt(E * (1 - E) / draws), 1e-8);
  }
}

TEST(vcf_main, files_without_contig_lines_read_with_warnings) {
  std::string dir = make_temp_dir();
  std::string path = dir + "/bare.vcf";
  write_text(path,
             "##fileformat=VCFv4.1\n"
             "#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\tFORMAT\tA\tB\tC\n"
             "22\t16050075\trs1\tA\tG\t100\tPASS\tAF=0.1\tGT:DS\t0|1:1.0\t0|0:0.0\t1|1:2.0\n"
             "22\t16050115\t.\tG\tA\t100\tPASS\tAF=0.2\tGT:DS\t0|0:0.0\t0|0:0.1\t0|1:1.0\n");
  run_result r = run_drevel({"--vcf", path, "-"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(split(r.out, '\n').size(), 3u);
  EXPECT_EQ(r.err,
            "drevel: warning: " + path + ": contig '22' is not declared in the header (first at site 22:16050075)\n"
            "drevel: warning: " + path + ": INFO field 'AF' is not declared in the header (first at site 22:16050075)\n"
            "drevel: warning: " + path + ": FORMAT field 'GT' is not declared in the header (first at site 22:16050075)\n"
            "drevel: warning: " + path + ": FORMAT field 'DS' is not declared in the header (first at site 22:16050075)\n");
  run_result piped = run_drevel({"--vcf", "-", "-"}, path);
  EXPECT_EQ(piped.status, 0) << piped.err;
  EXPECT_EQ(piped.out, r.out);
}

TEST(vcf_main, bad_groups_fail_before_any_table) {
  std::string dir = make_temp_dir(), lists = make_temp_dir();
  write_text(dir + "/in.vcf", vcf_text(samples(3), {{"1", 5, "A", "C", {"0/1", "0/0", "1/1"}}}));
  write_text(lists + "/unknown.txt", "S0 a\nS7 b\n");
  write_text(lists + "/twice.txt", "S0 a\nS1 b\nS0 b\n");
  std::string out = dir + "/t.tsv";
  write_text(out, "previous table\n");
  run_result r = run_drevel({"--vcf", "--groups", lists + "/unknown.txt", dir + "/in.vcf", out});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "drevel: " + dir + "/in.vcf: unknown sample 'S7' (in " + lists + "/unknown.txt)\n");
  r = run_drevel({"--vcf", "--groups", lists + "/twice.txt", dir + "/in.vcf", out});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "drevel: " + lists + "/twice.txt: line 3: sample 'S0' is listed twice (first on line 1)\n");
  EXPECT_EQ(read_text(out), "previous table\n");
  EXPECT_EQ(dir_entries(dir).size(), 2u);
}

TEST(vcf_main, a_link_keeps_its_target_until_the_table_is_complete) {
  std::string dir = make_temp_dir();
  std::string good = vcf_text(samples(4), {{"1", 5, "A", "C", {"0/1", "0/0", "1/1", "0/1"}},
                                           {"1", 6, "A", "G", {"0/1", "0/0", "1/1", "0/1"}}});
  write_text(dir + "/good.vcf", good);
  // The last line is corrupt: the rows before it are written, then the run
  // fails.
  write_text(dir + "/late.vcf", good + "1\t8\t.\tA\tG\t.\t.\t.\tGT\t0/1\t0/0\t0/0\t0/5\n");
  ASSERT_EQ(mkdir((dir + "/tables").c_str(), 0755), 0);
  std::string target = dir + "/tables/t.tsv", link = dir + "/t.tsv";
  write_text(target, "previous table\n");
  ASSERT_EQ(chmod(target.c_str(), 0600), 0);
  ASSERT_EQ(symlink("tables/t.tsv", link.c_str()), 0);
  run_result late = run_drevel({"--vcf", dir + "/late.vcf", link});
  EXPECT_EQ(late.status, 1);
  EXPECT_EQ(read_text(target), "previous table\n");
  EXPECT_EQ(dir_entries(dir + "/tables").size(), 1u);

  run_result ok = run_drevel({"--vcf", dir + "/good.vcf", link});
  EXPECT_EQ(ok.status, 0) << ok.err;
  EXPECT_EQ(read_text(target), run_drevel({"--vcf", dir + "/good.vcf", "-"}).out);
  struct stat st;
  ASSERT_EQ(lstat(link.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  ASSERT_EQ(stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0600u) << "the replaced table keeps its permissions";
  // Names of 248 to 255 characters take a temporary name that fits.
  std::string long_name = dir + "/" + std::string(255, 't');
  EXPECT_EQ(run_drevel({"--vcf", dir + "/good.vcf", long_name}).status, 0);
  EXPECT_EQ(read_text(long_name), read_text(target));
}

TEST(vcf_main, counts_beyond_double_precision_give_a_status_and_a_note) {
  // 45000 calls, none of the declared third allele: with it tested, the
  // equilibrium fit's last frequency is lost to rounding.
  std::vector<std::string> calls;
  for (int s = 0; s < 45000; s++) calls.push_back(s % 3 == 0 ? "0/0" : s % 3 == 1 ? "0/1" : "1/1");
  std::string dir = make_temp_dir(), in = dir + "/big.vcf";
  write_text(in, vcf_text(samples(45000), {{"1", 5, "A", "C,G", calls}, {"1", 6, "A", "C", calls}}));
  run_result declared = run_drevel({"--vcf", "--declared-alleles", in, "-"});
  EXPECT_EQ(declared.status, 0) << declared.err;
  std::vector<std::string> rows;
  std::istringstream lines(declared.out);
  for (std::string line; std::getline(lines, line);) rows.push_back(line);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_NE(rows[1].find("\tNA\tNA\tNA\tNA\t3\tlost_to_rounding\t15000,15000,15000,0,0,0\t"),
            std::string::npos)
      << rows[1];
  EXPECT_NE(rows[2].find("\tok\t"), std::string::npos) << rows[2];
  EXPECT_EQ(declared.err.find("drevel: note: 1 sites could not be computed in double precision "
                              "(STATUS lost_to_rounding, NA in the table); the first, site 1:5: "
                              "the equilibrium fit is lost to rounding"),
            0u)
      << declared.err;
  // Both site engines check alike and give the same table and note.
  run_result per_site = run_drevel({"--vcf", "--declared-alleles", "--site-engine", "per-site", in, "-"});
  EXPECT_EQ(per_site.out, declared.out);
  EXPECT_EQ(per_site.err, declared.err);
  // The seen alleles alone compute.
  run_result seen = run_drevel({"--vcf", in, "-"});
  EXPECT_EQ(seen.status, 0);
  EXPECT_EQ(seen.err, "");
  EXPECT_EQ(seen.out.find("lost_to_rounding"), std::string::npos);
}

TEST(vcf_main, a_job_that_ignores_hangups_and_interrupts_runs_to_the_end) {
  // As `nohup drevel --vcf ...` or a script's background job: the parent set
  // SIGHUP and SIGINT to be ignored, and the run finishes its table.
  std::string dir = make_temp_dir(), in = dir + "/in.vcf", out = dir + "/t.tsv";
  std::mt19937 rng(16);
  std::vector<vcf_test_site> sites;
  for (int n = 0; n < 10; n++) sites.push_back(random_site(rng, 100 + n, 7, 200, false).site);
  write_text(in, vcf_text(samples(200), sites));
  pid_t pid = start_drevel({"--vcf", "--engine", "literal", "--threads", "1", "--minmc", "100000",
                            "--maxmc", "100000", in, out},
                           {SIGHUP, SIGINT});
  ASSERT_TRUE(wait_for_entry(dir, ".t.tsv.", pid));
  kill(pid, SIGHUP);
  kill(pid, SIGINT);
  int status = wait_drevel(pid);
  ASSERT_TRUE(WIFEXITED(status)) << status;
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(dir_entries(dir).size(), 2u) << "no temporary file left";
  EXPECT_EQ(read_text(out).rfind("#CHROM\t", 0), 0u);
}

namespace {


// Runs drevel under `ulimit -v kilobytes`; its exit status (-1 when a
// signal ended it), standard error in *err.
int run_limited(long kilobytes, const std::vector<std::string>& args, const std::string& dir,
                std::string* err) {
  std::string command = "ulimit -v " + std::to_string(kilobytes) + "; exec '" + drevel_binary() + "'";
  for (const std::string& a : args) command += " '" + a + "'";
  command = "(" + command + ") 2>'" + dir + "/err'";
  int status = std::system(command.c_str());
  *err = read_text(dir + "/err");
  std::remove((dir + "/err").c_str());
  return WIFEXITED(status) && WEXITSTATUS(status) < 128 ? WEXITSTATUS(status) : -1;
}

}  // namespace

// Threads that cannot start or engines that do not fit in memory fail the
// run with a message, the table as it was and no temporary file; and a run
// of few sites starts no more threads than it has work for.
TEST(vcf_main, threads_beyond_the_memory_fail_cleanly_and_few_sites_need_few) {
  if (sanitized) GTEST_SKIP() << "address space limits do not apply under the sanitizers";
  std::string dir = make_temp_dir(), in = dir + "/in.vcf", out = dir + "/t.tsv";
  write_sites(in, mixed_sites(300, 20), 20);
  write_text(out, "old\n");
  std::string err;
  for (const char* engine : {"batch", "per-site"}) {
    int status = run_limited(400000, {"--vcf", "--site-engine", engine, "--threads", "200", in, out},
                             dir, &err);
    EXPECT_EQ(status, 1) << engine << ": " << err;
    EXPECT_NE(err.find("drevel: cannot run 200 threads: "), std::string::npos) << err;
    EXPECT_NE(err.find("; try fewer with --threads"), std::string::npos) << err;
    EXPECT_EQ(read_text(out), "old\n");
    EXPECT_EQ(dir_entries(dir).size(), 2u) << "no temporary file left";
  }
  // Two sites: two threads, whatever --threads asks.
  write_sites(in, mixed_sites(2, 20), 20);
  EXPECT_EQ(run_limited(400000, {"--vcf", "--threads", "1024", in, out}, dir, &err), 0) << err;
  EXPECT_EQ(read_text(out), run_drevel({"--vcf", "--threads", "1", in, "-"}).out);
}
