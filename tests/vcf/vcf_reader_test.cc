#include "vcf/vcf_reader.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "support/run_drevel.h"
#include "support/vcf_files.h"

using namespace drevel;

namespace {

const std::vector<std::string> four = {"A", "B", "C", "D"};

struct read_all {
  bool opened = false;
  std::string error;
  std::vector<site_record> sites;
  int last_status = 0;
};

read_all read_file(const std::string& path, const std::vector<std::string>& regions = {},
                   const std::vector<std::string>* samples = nullptr, int max_alleles = 20,
                   region_overlap overlap = region_overlap::record) {
  read_all r;
  vcf_reader reader;
  reader.set_region_overlap(overlap);
  r.opened = reader.open(path, regions, samples, max_alleles, &r.error);
  if (!r.opened) return r;
  site_record site;
  while ((r.last_status = reader.next(&site, &r.error)) == 1) r.sites.push_back(site);
  return r;
}

std::string write_vcf(const std::string& dir, const std::vector<vcf_test_site>& sites,
                      const std::vector<std::string>& samples = four) {
  std::string path = dir + "/in.vcf";
  write_text(path, vcf_text(samples, sites));
  return path;
}

std::vector<int64_t> positions(const read_all& r) {
  std::vector<int64_t> p;
  for (const auto& s : r.sites) p.push_back(s.pos);
  return p;
}

// Ten sites on "1" at 100, 200, ..., 1000 and two on "2".
std::vector<vcf_test_site> spread_sites() {
  std::vector<vcf_test_site> sites;
  for (long p = 100; p <= 1000; p += 100) sites.push_back({"1", p, "A", "G", {"0/1", "0/0", "1/1", "0|1"}});
  sites.push_back({"2", 50, "C", "T", {"0/0", "0/0", "0/0", "0/0"}});
  sites.push_back({"2", 60, "C", "T", {"0/0", "0/0", "0/0", "0/0"}});
  return sites;
}

}  // namespace

TEST(vcf_reader, diploid_calls_fill_the_lower_triangle) {
  std::string dir = make_temp_dir();
  std::vector<std::string> nine = {"s1", "s2", "s3", "s4", "s5", "s6", "s7", "s8", "s9"};
  read_all r = read_file(write_vcf(
      dir,
      {{"1", 10, "A", "G", {"0/0", "0|1", "1/0", "1|1", "./.", ".", "0", "0/1/1", "0/."}},
       {"1", 20, "A", "C,T", {"2/1", "1|2", "2/2", "0/2", "1/1", "0/0", "0|1", "2", "./."}},
       {"2", 30, "A", ".", {"0/0", "0|0", "0", ".", "./.", "0/0", "0/0", "0/0", "0/0"}}},
      nine));
  ASSERT_TRUE(r.opened) << r.error;
  ASSERT_EQ(r.last_status, 0) << r.error;
  ASSERT_EQ(r.sites.size(), 3u);

  const site_record& bi = r.sites[0];
  EXPECT_EQ(bi.chrom, "1");
  EXPECT_EQ(bi.pos, 10);
  EXPECT_EQ(bi.id, ".");
  EXPECT_EQ(bi.ref, "A");
  EXPECT_EQ(bi.alt, "G");
  EXPECT_EQ(bi.k, 2);
  EXPECT_EQ(bi.counts, (std::vector<double>{1, 2, 1}));  // (1,1) (2,1) (2,2)
  EXPECT_EQ(bi.called, 4);
  EXPECT_EQ(bi.skipped, 5);  // missing, haploid, triploid and half-missing calls

  const site_record& multi = r.sites[1];
  EXPECT_EQ(multi.alt, "C,T");
  EXPECT_EQ(multi.k, 3);
  // (1,1) (2,1) (2,2) (3,1) (3,2) (3,3)
  EXPECT_EQ(multi.counts, (std::vector<double>{1, 1, 1, 1, 2, 1}));
  EXPECT_EQ(multi.called, 7);
  EXPECT_EQ(multi.skipped, 2);

  const site_record& mono = r.sites[2];
  EXPECT_EQ(mono.alt, ".");
  EXPECT_EQ(mono.k, 1);
  EXPECT_EQ(mono.counts, (std::vector<double>{6}));
  EXPECT_EQ(mono.skipped, 3);
}

TEST(vcf_reader, chosen_samples_only) {
  std::string dir = make_temp_dir();
  std::string path = write_vcf(dir, {{"1", 10, "A", "G", {"0/0", "0/1", "1/1", "./."}}});
  std::vector<std::string> chosen = {"D", "B"};
  read_all r = read_file(path, {}, &chosen);
  ASSERT_EQ(r.sites.size(), 1u) << r.error;
  EXPECT_EQ(r.sites[0].counts, (std::vector<double>{0, 1, 0}));
  EXPECT_EQ(r.sites[0].called, 1);
  EXPECT_EQ(r.sites[0].skipped, 1);

  std::vector<std::string> unknown = {"B", "Z"};
  r = read_file(path, {}, &unknown);
  EXPECT_FALSE(r.opened);
  EXPECT_EQ(r.error, path + ": unknown sample 'Z'");
}

TEST(vcf_reader, sites_above_the_allele_limit_get_no_counts) {
  std::string dir = make_temp_dir();
  read_all r = read_file(write_vcf(dir, {{"1", 10, "A", "C,G,T", {"3/3", "0/1", ".", "0/0"}}}),
                         {}, nullptr, 3);
  ASSERT_EQ(r.sites.size(), 1u) << r.error;
  EXPECT_EQ(r.sites[0].k, 4);
  EXPECT_TRUE(r.sites[0].counts.empty());
  EXPECT_EQ(r.sites[0].called, 3);
  EXPECT_EQ(r.sites[0].skipped, 1);
}

TEST(vcf_reader, regions_through_tabix_and_csi_indexes) {
  std::string dir = make_temp_dir();
  std::string text = write_vcf(dir, spread_sites());
  convert_vcf(text, dir + "/in.vcf.gz", "wz", true);
  convert_vcf(text, dir + "/in.bcf", "wb", true);
  for (const std::string& path : {dir + "/in.vcf.gz", dir + "/in.bcf"}) {
    // Unsorted, overlapping and touching items: every site once, in file order.
    read_all r = read_file(path, {"2", "1:650-850", "1:150-300", "1:250-700", "1:1000"});
    ASSERT_TRUE(r.opened) << r.error;
    EXPECT_EQ(r.last_status, 0) << r.error;
    EXPECT_EQ(positions(r), (std::vector<int64_t>{200, 300, 400, 500, 600, 700, 800, 1000, 50, 60}))
        << path;
    EXPECT_EQ(r.sites[0].counts, (std::vector<double>{1, 2, 1}));

    r = read_file(path, {"1:901-999"});
    EXPECT_TRUE(r.sites.empty()) << path;
    EXPECT_EQ(r.last_status, 0);

    r = read_file(path, {"chrX:1-10"});
    EXPECT_FALSE(r.opened);
    EXPECT_EQ(r.error, path + ": region 'chrX:1-10' names a sequence that the file does not have");
    r = read_file(path, {"1:20-10"});
    EXPECT_FALSE(r.opened);
    EXPECT_NE(r.error.find("cannot read the region '1:20-10'"), std::string::npos) << r.error;
  }
}

// A deletion at 195 spans 195-204, across the boundary of 1:1-200 and
// 1:201-400.  By record it is in both; by position only in the first, so
// regions that tile the sequence give every site exactly once.
TEST(vcf_reader, regions_by_position_give_a_spanning_deletion_once) {
  std::string dir = make_temp_dir();
  std::vector<vcf_test_site> sites = spread_sites();
  sites.insert(sites.begin() + 1, {"1", 195, "ACGTACGTAC", "A", {"0/1", "0/0", "1/1", "0/0"}});
  std::string text = write_vcf(dir, sites);
  convert_vcf(text, dir + "/in.vcf.gz", "wz", true);
  convert_vcf(text, dir + "/in.bcf", "wb", true);
  for (const std::string& path : {dir + "/in.vcf.gz", dir + "/in.bcf"}) {
    read_all first = read_file(path, {"1:1-200"}, nullptr, 20, region_overlap::pos);
    read_all second = read_file(path, {"1:201-400"}, nullptr, 20, region_overlap::pos);
    ASSERT_TRUE(first.opened && second.opened) << first.error << second.error;
    EXPECT_EQ(positions(first), (std::vector<int64_t>{100, 195, 200})) << path;
    EXPECT_EQ(positions(second), (std::vector<int64_t>{300, 400})) << path;
    EXPECT_EQ(positions(read_file(path, {"1:201-400"})),
              (std::vector<int64_t>{195, 300, 400}))
        << path;
    // Several intervals at once, by position: each site once, in file order.
    EXPECT_EQ(positions(read_file(path, {"1:196-300", "1:1-195"}, nullptr, 20,
                                  region_overlap::pos)),
              (std::vector<int64_t>{100, 195, 200, 300}))
        << path;
  }
}

TEST(vcf_reader, declared_sequence_without_sites_is_an_empty_region) {
  std::string dir = make_temp_dir();
  std::string text = write_vcf(dir, {{"1", 10, "A", "G", {"0/1", "0/0", "1/1", "0|1"}}});
  convert_vcf(text, dir + "/in.vcf.gz", "wz", true);
  convert_vcf(text, dir + "/in.bcf", "wb", true);
  for (const std::string& path : {dir + "/in.vcf.gz", dir + "/in.bcf"}) {
    read_all r = read_file(path, {"2:1-100", "1"});
    ASSERT_TRUE(r.opened) << r.error;
    EXPECT_EQ(r.last_status, 0) << r.error;
    EXPECT_EQ(positions(r), std::vector<int64_t>{10}) << path;
  }
}

TEST(vcf_reader, regions_need_an_index) {
  std::string dir = make_temp_dir();
  std::string text = write_vcf(dir, spread_sites());
  read_all r = read_file(text, {"1:1-500"});
  EXPECT_FALSE(r.opened);
  EXPECT_EQ(r.error, text + ": --regions needs an index next to the file (a bgzipped VCF with a "
                            ".tbi or .csi index); none was found");
  convert_vcf(text, dir + "/plain.bcf", "wb", false);
  r = read_file(dir + "/plain.bcf", {"1:1-500"});
  EXPECT_FALSE(r.opened);
  EXPECT_NE(r.error.find("needs an index next to the file (a .csi index)"), std::string::npos);
  r = read_file("-", {"1:1-500"});
  EXPECT_FALSE(r.opened);
  EXPECT_EQ(r.error, "--regions needs an indexed file, not standard input");
}

TEST(vcf_reader, truncated_and_corrupt_files) {
  std::string dir = make_temp_dir();
  std::string good = vcf_text(four, spread_sites());
  struct bad {
    std::string text, message;
  };
  for (const bad& b : std::vector<bad>{
           {good + "1\t1100\t.\tA", "truncated or corrupt input at site 1:1100: 4 columns where the header makes 13"},
           {good + "1\t1100\t.\tA\tG\t.\t.\t.\tGT\t0/1\t0/0", "at site 1:1100: 11 columns"},
           {good + "1\t1100", "at site 1:1100: 2 columns"},
           {good + "1", "after site 2:60: 1 columns"},
           {good + "3\t5\t.\tA\tG\t.\t.\t.\tGT\t0/1\t0/0\t0/0\t0/0\n", "truncated or corrupt input at site 3:5"},
           {good + "1\t1100\t.\tA\tG\t.\t.\t.\tGT\t0/2\t0/0\t0/0\t0/0\n",
            "site 1:1100: a genotype names allele 2 but the site has only 2 alleles"},
       }) {
    write_text(dir + "/bad.vcf", b.text);
    read_all r = read_file(dir + "/bad.vcf");
    ASSERT_TRUE(r.opened) << r.error;
    EXPECT_EQ(r.last_status, -1) << b.message;
    EXPECT_EQ(r.sites.size(), 12u);
    EXPECT_NE(r.error.find(dir + "/bad.vcf: "), std::string::npos) << r.error;
    EXPECT_NE(r.error.find(b.message), std::string::npos) << r.error;
  }

  write_text(dir + "/text.txt", "hello\n");
  read_all r = read_file(dir + "/text.txt");
  EXPECT_FALSE(r.opened);
  EXPECT_EQ(r.error, dir + "/text.txt: not a VCF or BCF file");
  r = read_file(dir + "/missing.vcf");
  EXPECT_FALSE(r.opened);
  EXPECT_EQ(r.error, dir + "/missing.vcf: cannot open the file");
}

TEST(vcf_reader, truncated_compressed_files) {
  std::string dir = make_temp_dir();
  std::vector<vcf_test_site> many;
  for (long p = 1; p <= 3000; p++) many.push_back({"1", p, "A", "G", {"0/1", "0/0", "1/1", "0|1"}});
  std::string text = write_vcf(dir, many);
  for (const char* name : {"in.vcf.gz", "in.bcf"}) {
    std::string path = dir + "/" + name;
    bool bcf = std::string(name) == "in.bcf";
    convert_vcf(text, path, bcf ? "wb" : "wz", false);
    std::string bytes = read_text(path);
    // Cut inside the data: a read error after some sites, or no end-of-file
    // block; either way no clean end.
    for (size_t keep : {bytes.size() - 28, bytes.size() / 2}) {
      write_text(dir + "/cut", bytes.substr(0, keep));
      read_all r = read_file(dir + "/cut");
      EXPECT_TRUE(!r.opened || r.last_status == -1) << name << " cut at " << keep;
      EXPECT_NE(r.error.find(dir + "/cut: truncated"), std::string::npos) << r.error;
    }
  }
}
