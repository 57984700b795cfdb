#include "vcf/vcf_reader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <thread>

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
  fault_kind kind = fault_kind::none;  // of the fault, if any
  std::vector<site_record> sites;
  std::vector<std::string> warnings;
  int last_status = 0;  // of the last read: 0 at the end, -1 for a fault
};

// Reads every site; the declared alleles unless options say otherwise, so
// that the counts are over all of a site's cells.
read_all read_with(const std::string& path, const vcf_read_options& options) {
  read_all r;
  vcf_reader reader;
  status read = reader.open(path, options);
  r.opened = read.is_ok();
  site_record site;
  bool at_end = false;
  while (read && !at_end) {
    read = reader.next(&site, &at_end);
    if (!read || at_end) break;
    r.sites.push_back(site);
    for (const std::string& w : reader.take_warnings()) r.warnings.push_back(w);
  }
  r.error = read.message();
  r.kind = read.kind();
  r.last_status = read ? 0 : -1;
  return r;
}

read_all read_file(const std::string& path, const std::vector<std::string>& regions = {},
                   const std::vector<std::string>* samples = nullptr, int max_alleles = 20,
                   region_overlap overlap = region_overlap::record) {
  vcf_read_options options;
  options.overlap = overlap;
  options.regions = regions;
  options.samples = samples;
  options.max_alleles = max_alleles;
  options.declared_alleles = true;
  return read_with(path, options);
}

std::string write_vcf(const std::string& dir, const std::vector<vcf_test_site>& sites,
                      const std::vector<std::string>& samples = four) {
  std::string path = dir + "/in.vcf";
  write_text(path, vcf_text(samples, sites));
  return path;
}

std::vector<int64_t> positions(const read_all& r) {
  std::vector<int64_t> p;
  for (const auto& s : r.sites) p.push_back(std::stoll(s.labels[1]));
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
  EXPECT_EQ(bi.labels, (std::vector<std::string>{"1", "10", ".", "A", "G"}));
  EXPECT_EQ(bi.k, 2);
  EXPECT_EQ(bi.groups[0].counts, (std::vector<double>{1, 2, 1}));  // (1,1) (2,1) (2,2)
  EXPECT_EQ(bi.groups[0].called, 4);
  EXPECT_EQ(bi.groups[0].skipped, 5);  // missing, haploid, triploid and half-missing calls

  const site_record& multi = r.sites[1];
  EXPECT_EQ(multi.labels[4], "C,T");
  EXPECT_EQ(multi.k, 3);
  // (1,1) (2,1) (2,2) (3,1) (3,2) (3,3)
  EXPECT_EQ(multi.groups[0].counts, (std::vector<double>{1, 1, 1, 1, 2, 1}));
  EXPECT_EQ(multi.groups[0].called, 7);
  EXPECT_EQ(multi.groups[0].skipped, 2);

  const site_record& mono = r.sites[2];
  EXPECT_EQ(mono.labels[4], ".");
  EXPECT_EQ(mono.k, 1);
  EXPECT_EQ(mono.groups[0].counts, (std::vector<double>{6}));
  EXPECT_EQ(mono.groups[0].skipped, 3);
}

// Calls read in place whatever their storage: 16-bit values past allele
// 62, padded triploids skipped, text and BCF alike; and a record whose
// widest call would make htslib widen every call to gigabytes is refused
// before it is parsed.
TEST(vcf_reader, calls_of_every_width_and_a_ploidy_bomb) {
  std::string dir = make_temp_dir();
  std::string alts;
  for (int a = 1; a < 70; a++) alts += (a > 1 ? ",<A" : "<A") + std::to_string(a) + ">";
  const std::string path = write_vcf(
      dir, {{"1", 10, "A", alts, {"64/65", "69|69", "0/1/2", "65/64"}},
            {"1", 20, "A", "G", {"0/1", "1/1/1/1", "./.", "1|0"}}});
  convert_vcf(path, dir + "/in.bcf", "wb", false);
  for (const std::string& in : {path, dir + "/in.bcf"}) {
    read_all r = read_file(in, {}, nullptr, 654);
    ASSERT_EQ(r.sites.size(), 2u) << in << ": " << r.error;
    const group_counts& wide = r.sites[0].groups[0];
    EXPECT_EQ(wide.called, 3) << in;
    EXPECT_EQ(wide.skipped, 1) << in;
    EXPECT_EQ(wide.allele_counts[64], 2) << in;
    EXPECT_EQ(wide.allele_counts[65], 2) << in;
    EXPECT_EQ(wide.allele_counts[69], 2) << in;
    EXPECT_EQ(wide.heterozygous, 2) << in;
    EXPECT_EQ(r.sites[1].groups[0].counts, (std::vector<double>{0, 2, 0})) << in;
    EXPECT_EQ(r.sites[1].groups[0].skipped, 2) << in;
  }

  // One call of ploidy 20,000 among 14,000 samples: 1.1 GB widened.
  std::vector<std::string> names, calls(14000, "0/1");
  for (int n = 0; n < 14000; n++) names.push_back("S" + std::to_string(n));
  calls[5] = "0";
  for (int n = 1; n < 20000; n++) calls[5] += "/0";
  read_all bomb = read_file(write_vcf(dir, {{"1", 7, "A", "G", calls}}, names));
  EXPECT_EQ(bomb.last_status, -1);
  EXPECT_EQ(bomb.error, dir + "/in.vcf: cannot read the record at site 1:7: a call of ploidy 20000 "
                              "would widen the calls of its 14000 samples to 1.1 GB (drevel "
                              "counts diploid calls only)");
  // Below the limit, the same call is skipped as any polyploid call.
  calls.resize(1000);
  names.resize(1000);
  read_all read = read_file(write_vcf(dir, {{"1", 7, "A", "G", calls}}, names));
  ASSERT_EQ(read.sites.size(), 1u) << read.error;
  EXPECT_EQ(read.sites[0].groups[0].called, 999);
  EXPECT_EQ(read.sites[0].groups[0].skipped, 1);
}

TEST(vcf_reader, chosen_samples_only) {
  std::string dir = make_temp_dir();
  std::string path = write_vcf(dir, {{"1", 10, "A", "G", {"0/0", "0/1", "1/1", "./."}}});
  std::vector<std::string> chosen = {"D", "B"};
  read_all r = read_file(path, {}, &chosen);
  ASSERT_EQ(r.sites.size(), 1u) << r.error;
  EXPECT_EQ(r.sites[0].groups[0].counts, (std::vector<double>{0, 1, 0}));
  EXPECT_EQ(r.sites[0].groups[0].called, 1);
  EXPECT_EQ(r.sites[0].groups[0].skipped, 1);

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
  EXPECT_TRUE(r.sites[0].groups[0].counts.empty());
  EXPECT_EQ(r.sites[0].groups[0].called, 3);
  EXPECT_EQ(r.sites[0].groups[0].skipped, 1);
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
    EXPECT_EQ(r.sites[0].groups[0].counts, (std::vector<double>{1, 2, 1}));

    r = read_file(path, {"1:901-999"});
    EXPECT_TRUE(r.sites.empty()) << path;
    EXPECT_EQ(r.last_status, 0);

    // A file without the sequence is the input's fault; an item that does
    // not read, the caller's (the Python module raises OSError or ValueError).
    r = read_file(path, {"chrX:1-10"});
    EXPECT_FALSE(r.opened);
    EXPECT_EQ(r.kind, fault_kind::input);
    EXPECT_EQ(r.error, path + ": region 'chrX:1-10' names a sequence that the file does not have");
    r = read_file(path, {"1:20-10"});
    EXPECT_FALSE(r.opened);
    EXPECT_EQ(r.kind, fault_kind::usage);
    EXPECT_NE(r.error.find("cannot read the region '1:20-10'"), std::string::npos) << r.error;

    // Thousands separators, split at their commas by the command line.
    r = read_file(path, {"1:1", "000-2", "000"});
    EXPECT_FALSE(r.opened);
    EXPECT_EQ(r.error, "--regions: '1:1,000-2,000' reads as several regions, since commas "
                       "separate regions: write positions without thousands separators "
                       "('1:1000-2000')");
    r = read_file(path, {"1:100-1", "000", "000"});
    EXPECT_EQ(r.error.find("--regions: '1:100-1,000,000' reads as several regions"), 0u) << r.error;
    // A sequence the file lacks is still named as one.
    r = read_file(path, {"1:100-200", "30"});
    EXPECT_EQ(r.error, path + ": region '30' names a sequence that the file does not have");
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
           // More FORMAT values than keys, the keys undeclared: htslib's
           // undeclared bits do not hide the fault.
           {good + "1\t1100\t.\tA\tG\t.\t.\t.\tGT:X\t0/1:1:2\t0/0\t0/0\t0/0\n",
            "truncated or corrupt input at site 1:1100"},
           {good + "1\t1100\t.\tA\tG\t.\t.\t.\tGT\t0/2\t0/0\t0/0\t0/0\n",
            "site 1:1100: a genotype names allele 2 but the site has only 2 alleles"},
           // Empty FORMAT keys before GT leave GT stored as no integer type,
           // on which htslib would end the process: refused first.
           {good + "1\t1100\t.\tA\tG\t.\t.\t.\t::GT\t0/1\t0/0\t0/0\t0/0\n",
            "1:1100 (GT is not stored as integers)"},
           // An allele index htslib cannot read: the line still names its site.
           {good + "1\t1100\t.\tA\tG\t.\t.\t.\tGT\t0/-1\t0/0\t0/0\t0/0\n",
            "truncated or corrupt input at site 1:1100"},
       }) {
    write_text(dir + "/bad.vcf", b.text);
    read_all r = read_file(dir + "/bad.vcf");
    ASSERT_TRUE(r.opened) << r.error;
    EXPECT_EQ(r.last_status, -1) << b.message;
    EXPECT_EQ(r.sites.size(), 12u);
    EXPECT_NE(r.error.find(dir + "/bad.vcf: "), std::string::npos) << r.error;
    EXPECT_NE(r.error.find(b.message), std::string::npos) << r.error;
  }

  // A sample named twice: said as such.
  std::string twice = vcf_text({"A", "B", "A"}, {});
  write_text(dir + "/twice.vcf", twice);
  read_all dup = read_file(dir + "/twice.vcf");
  EXPECT_FALSE(dup.opened);
  EXPECT_EQ(dup.error, dir + "/twice.vcf: the sample name 'A' appears twice in the header");

  write_text(dir + "/text.txt", "hello\n");
  read_all r = read_file(dir + "/text.txt");
  EXPECT_FALSE(r.opened);
  EXPECT_EQ(r.error, dir + "/text.txt: not a VCF or BCF file");
  // Binary bytes of no format htslib knows: the same words, not errno's.
  write_text(dir + "/junk.bin", std::string("\x7f" "ELF\x02\x01\x01\0\0\0", 10) + std::string(500, '\x01'));
  r = read_file(dir + "/junk.bin");
  EXPECT_FALSE(r.opened);
  EXPECT_EQ(r.error, dir + "/junk.bin: not a VCF or BCF file");
  r = read_file(dir + "/missing.vcf");
  EXPECT_FALSE(r.opened);
  EXPECT_EQ(r.error, dir + "/missing.vcf: cannot open the file: No such file or directory");
  r = read_file(dir);
  EXPECT_FALSE(r.opened);
  EXPECT_EQ(r.error, dir + ": cannot open the file: Is a directory");
  // A bad allele index on the first site: named, not "before the first site".
  write_text(dir + "/first.vcf", vcf_text(four, {}) + "2\t7\t.\tA\tG\t.\t.\t.\tGT\t-1/0\t0/0\t0/0\t0/0\n");
  r = read_file(dir + "/first.vcf");
  ASSERT_TRUE(r.opened) << r.error;
  EXPECT_EQ(r.last_status, -1);
  EXPECT_EQ(r.error, dir + "/first.vcf: truncated or corrupt input at site 2:7");
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

  // Cut where a block ends, after whole records, and read through a pipe,
  // which cannot be checked at open: the end tells, with or without the
  // decompression thread.  (A bgzipped file's last 28 bytes are its
  // end-of-file block.)
  std::vector<vcf_test_site> first(many.begin(), many.begin() + 1000);
  const std::string half = dir + "/half.vcf";
  write_text(half, vcf_text(four, first));
  for (const char* mode : {"wz", "wb"}) {
    convert_vcf(half, dir + "/whole", mode, false);
    const std::string whole = read_text(dir + "/whole");
    const std::string fifo = dir + "/fifo";
    for (int threads : {0, 1})
      for (bool cut : {false, true}) {
        ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
        std::thread writer([&]() {
          std::FILE* f = std::fopen(fifo.c_str(), "wb");
          if (!f) return;
          std::fwrite(whole.data(), 1, whole.size() - (cut ? 28 : 0), f);
          std::fclose(f);
        });
        vcf_read_options options;
        options.decompression_threads = threads;
        read_all r = read_with(fifo, options);
        writer.join();
        ::unlink(fifo.c_str());
        const std::string what = std::string(mode) + (cut ? " cut" : " whole");
        ASSERT_TRUE(r.opened) << what << ": " << r.error;
        EXPECT_EQ(r.sites.size(), 1000u) << what;
        EXPECT_EQ(r.last_status, cut ? -1 : 0) << what;
        EXPECT_EQ(r.error, cut ? fifo + ": truncated file (the bgzip end-of-file block is "
                                       "missing) after site 1:1000"
                               : "")
            << what;
      }
  }
}

TEST(vcf_reader, groups_count_apart_and_meet_the_chosen_samples) {
  std::string dir = make_temp_dir();
  std::string path = write_vcf(dir, {{"1", 10, "A", "G,T", {"0/0", "0/1", "1/1", "2/2"}},
                                     {"1", 20, "A", "G", {"./.", "0/1", "0", "1/1"}}});
  sample_groups groups;
  groups.source = "groups.txt";
  groups.names = {"north", "south", "all"};
  groups.members = {{"D", {1, 2}}, {"A", {0, 2}}, {"B", {0, 2}}};  // C in no group
  vcf_read_options options;
  options.groups = &groups;
  read_all r = read_with(path, options);
  ASSERT_EQ(r.last_status, 0) << r.error;
  ASSERT_EQ(r.sites.size(), 2u);
  const std::vector<group_counts>& first = r.sites[0].groups;
  ASSERT_EQ(first.size(), 3u);
  EXPECT_EQ(first[0].tested, (std::vector<int>{0, 1}));  // A 0/0, B 0/1
  EXPECT_EQ(first[0].counts, (std::vector<double>{1, 1, 0}));
  EXPECT_EQ(first[1].tested, (std::vector<int>{2}));  // D 2/2
  EXPECT_EQ(first[1].counts, (std::vector<double>{1}));
  EXPECT_EQ(first[2].tested, (std::vector<int>{0, 1, 2}));  // A, B and D, not C
  EXPECT_EQ(first[2].counts, (std::vector<double>{1, 1, 0, 0, 0, 1}));
  EXPECT_EQ(first[2].called, 3);
  const std::vector<group_counts>& second = r.sites[1].groups;
  EXPECT_EQ(second[0].called, 1);
  EXPECT_EQ(second[0].skipped, 1);
  EXPECT_EQ(second[2].skipped, 1);  // C's haploid call is not counted anywhere

  // With --samples, only the chosen samples of each group.
  std::vector<std::string> chosen = {"B", "C", "D"};
  options.samples = &chosen;
  r = read_with(path, options);
  ASSERT_EQ(r.last_status, 0) << r.error;
  EXPECT_EQ(r.sites[0].groups[0].counts, (std::vector<double>{0, 1, 0}));
  EXPECT_EQ(r.sites[0].groups[2].called, 2);

  groups.members.push_back({"Z", {0}});
  r = read_with(path, options);
  EXPECT_FALSE(r.opened);
  EXPECT_EQ(r.error, path + ": unknown sample 'Z' (in groups.txt)");
}

TEST(vcf_reader, undeclared_contigs_and_fields_read_with_one_warning_each) {
  std::string dir = make_temp_dir();
  std::string path = dir + "/bare.vcf";
  write_text(path,
             "##fileformat=VCFv4.2\n"
             "#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\tFORMAT\tA\tB\n"
             "chr1\t10\trs1\tA\tG\t50\tq10\tDP=5\tGT:GQ\t0/1:30\t1/1:20\n"
             "chr1\t20\t.\tA\tG\t.\tPASS\tDP=7;SOMATIC\tGT\t0|0\t0/1\n"
             "chr2\t5\t.\tC\tT\t.\tq10\tDP=1\tGT:GQ\t1/1:9\t0/0:9\n");
  read_all r = read_file(path);
  ASSERT_TRUE(r.opened) << r.error;
  ASSERT_EQ(r.last_status, 0) << r.error;
  ASSERT_EQ(r.sites.size(), 3u);
  EXPECT_EQ(r.sites[0].labels[0], "chr1");
  EXPECT_EQ(r.sites[0].groups[0].counts, (std::vector<double>{0, 1, 1}));
  EXPECT_EQ(r.sites[2].labels[0], "chr2");
  EXPECT_EQ(r.sites[2].groups[0].counts, (std::vector<double>{1, 0, 1}));
  const std::string at = path + ": ";
  EXPECT_EQ(r.warnings,
            (std::vector<std::string>{
                at + "contig 'chr1' is not declared in the header (first at site chr1:10)",
                at + "FILTER 'q10' is not declared in the header (first at site chr1:10)",
                at + "INFO field 'DP' is not declared in the header (first at site chr1:10)",
                at + "FORMAT field 'GT' is not declared in the header (first at site chr1:10)",
                at + "FORMAT field 'GQ' is not declared in the header (first at site chr1:10)",
                at + "INFO field 'SOMATIC' is not declared in the header (first at site chr1:20)",
                at + "contig 'chr2' is not declared in the header (first at site chr2:5)"}));

  // A field declared as INFO and used undeclared as FORMAT is named too.
  write_text(path,
             "##fileformat=VCFv4.2\n##contig=<ID=1>\n"
             "##INFO=<ID=DP,Number=1,Type=Integer,Description=\"depth\">\n"
             "##FORMAT=<ID=GT,Number=1,Type=String,Description=\"Genotype\">\n"
             "#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\tFORMAT\tA\tB\n"
             "1\t10\t.\tA\tG\t.\t.\tDP=5\tGT:DP\t0/1:3\t1/1:2\n");
  r = read_file(path);
  ASSERT_EQ(r.last_status, 0) << r.error;
  EXPECT_EQ(r.warnings, (std::vector<std::string>{
                            at + "FORMAT field 'DP' is not declared in the header (first at site 1:10)"}));
}

TEST(vcf_reader, seen_alleles_by_default) {
  std::string dir = make_temp_dir();
  std::string path = write_vcf(dir, {{"1", 10, "A", "C,G,T", {"0/0", "0/3", "3/3", "./."}}});
  read_all r = read_with(path, vcf_read_options());
  ASSERT_EQ(r.sites.size(), 1u) << r.error;
  EXPECT_EQ(r.sites[0].k, 4);
  EXPECT_FALSE(r.sites[0].declared_alleles);
  EXPECT_EQ(r.sites[0].groups[0].tested, (std::vector<int>{0, 3}));
  EXPECT_EQ(r.sites[0].groups[0].counts, (std::vector<double>{1, 1, 1}));
  r = read_file(path);
  EXPECT_TRUE(r.sites[0].declared_alleles);
  EXPECT_EQ(r.sites[0].groups[0].tested, (std::vector<int>{0, 1, 2, 3}));
}
