// drevel --vcf end to end: each row against a classic run of the same counts,
// independence of the thread count and of the other sites, the input forms,
// and the failures with their messages, statuses and what they leave behind.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "support/run_drevel.h"
#include "support/vcf_files.h"

namespace {

std::vector<std::string> split(const std::string& text, char sep) {
  std::vector<std::string> parts;
  std::stringstream ss(text);
  std::string part;
  while (std::getline(ss, part, sep)) parts.push_back(part);
  return parts;
}

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

// The first three lines of the classic run's result file for the same counts.
std::vector<std::string> classic_values(const std::string& dir, const generated_site& g,
                                        const std::string& tuning) {
  std::string in = dir + "/classic.txt", out = dir + "/classic.out";
  std::string text = std::to_string(g.k) + "\n";
  for (int x : g.counts) text += std::to_string(x) + " ";
  write_text(in, text + "\n" + tuning + "\n");
  run_result r = run_drevel({in, out});
  EXPECT_EQ(r.status, 0) << r.err;
  std::vector<std::string> lines = split(read_text(out), '\n');
  std::vector<std::string> values;
  for (int n = 0; n < 3; n++) {
    std::string v = lines.at(n);
    while (!v.empty() && v.back() == ' ') v.pop_back();
    values.push_back(v);
  }
  return values;
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
    "#CHROM\tPOS\tID\tREF\tALT\tN_ALLELES\tN_CALLED\tN_SKIPPED\tEVIDENCE\tL_MAX\tL_HYP\tDRAWS";

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
  for (const tuning_case& t : std::vector<tuning_case>{
           {{}, "0 0 0"},
           {{"--engine", "literal"}, "0 0 0"},
           {{"--precision", "0.02", "--minmc=300", "--maxmc", "2000"}, "0.02 300 2000"}}) {
    std::vector<std::string> args = {"--vcf", vcf, "-"};
    args.insert(args.end(), t.options.begin(), t.options.end());
    run_result r = run_drevel(args);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    std::vector<std::string> rows = split(r.out, '\n');
    ASSERT_EQ(rows.size(), sites.size() + 1);
    EXPECT_EQ(rows[0], header);
    for (size_t s = 0; s < sites.size(); s++) {
      std::vector<std::string> cols = split(rows[s + 1], '\t');
      ASSERT_EQ(cols.size(), 12u) << rows[s + 1];
      EXPECT_EQ(cols[1], std::to_string(sites[s].site.pos));
      EXPECT_EQ(cols[4], sites[s].site.alt);
      EXPECT_EQ(cols[5], std::to_string(sites[s].k));
      EXPECT_EQ(cols[6], std::to_string(sites[s].called));
      EXPECT_EQ(cols[7], std::to_string(sites[s].skipped));
      std::vector<std::string> classic = classic_values(dir, sites[s], t.classic);
      EXPECT_EQ(cols[8], classic[0]) << "site " << s << " E, tuning " << t.classic;
      EXPECT_EQ(cols[9], classic[1]) << "site " << s << " L_max";
      EXPECT_EQ(cols[10], classic[2]) << "site " << s << " L_hyp";
      EXPECT_GE(std::stoll(cols[11]), 100);
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
  EXPECT_EQ(r.out, std::string(header) + "\n1\t5\t.\tA\tC\t2\t0\t3\tNA\tNA\tNA\tNA\n" +
                       "1\t6\t.\tA\tC,G,T\t4\t2\t1\tNA\tNA\tNA\tNA\n");
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
            "drevel: " + dir + "/missing.vcf: cannot open the file\n"},
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
                           "--minmc", "--maxmc", "--max-alleles", "N_SKIPPED"})
    EXPECT_NE(r.out.find(word), std::string::npos) << word;
}
