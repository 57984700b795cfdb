// The annotator's bound on the records it keeps for the sites in flight.
#include "annotate/vcf_annotator.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/run_drevel.h"
#include "support/vcf_files.h"

using namespace drevel;

TEST(vcf_annotator, holds_too_much_past_its_byte_limit_until_records_are_written) {
  std::string dir = make_temp_dir(), vcf = dir + "/in.vcf";
  std::vector<vcf_test_site> sites;
  for (long pos = 1; pos <= 4; pos++) sites.push_back({"1", pos, "A", "G", {"0/1", "1/1", "0/0"}});
  write_text(vcf, vcf_text({"a", "b", "c"}, sites));
  for (size_t limit : {size_t{1}, size_t{256} << 20}) {
    vcf_reader reader;
    status done = reader.open(vcf, vcf_read_options());
    ASSERT_TRUE(done) << done.message();
    annotate_options options;
    options.path = dir + "/out.vcf";
    options.max_kept_bytes = limit;
    vcf_annotator annotator;
    done = annotator.open(&reader, options);
    ASSERT_TRUE(done) << done.message();
    site_record site;
    std::vector<site_record> read;
    bool at_end = false;
    while ((done = annotator.next(&site, &at_end)) && !at_end) {
      read.push_back(site);
      // A one-byte limit is passed by the first record kept.
      EXPECT_EQ(annotator.holding_too_much(), limit == 1);
    }
    ASSERT_TRUE(done) << done.message();
    site_evidence none;
    none.groups.resize(1);
    for (const site_record& s : read) {
      done = annotator.write(s, none);
      ASSERT_TRUE(done) << done.message();
    }
    EXPECT_FALSE(annotator.holding_too_much());
    done = annotator.commit();
    ASSERT_TRUE(done) << done.message();
    EXPECT_NE(read_text(options.path).find("\n1\t4\t"), std::string::npos);
  }
}
