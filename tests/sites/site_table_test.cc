#include "sites/site_table.h"

#include <gtest/gtest.h>

using namespace drevel;

TEST(vcf_table, header_names_the_columns) {
  EXPECT_STREQ(site_table_header,
               "#CHROM\tPOS\tID\tREF\tALT\tN_ALLELES\tN_CALLED\tN_SKIPPED\tEVIDENCE\tL_MAX\tL_HYP"
               "\tDRAWS\n");
}

TEST(vcf_table, computed_and_uncomputed_rows) {
  site_record site;
  site.chrom = "chr2";
  site.pos = 123456789012LL;
  site.id = "rs7";
  site.ref = "A";
  site.alt = "C,<DEL>";
  site.k = 3;
  site.called = 40;
  site.skipped = 2;
  site_evidence e;
  e.outcome = site_outcome::computed;
  e.E = 0.1495667;
  e.L_max = -60.68461;
  e.L_hyp = -1e-300;
  e.draws = 30000;
  EXPECT_EQ(format_site_row(site, e),
            "chr2\t123456789012\trs7\tA\tC,<DEL>\t3\t40\t2\t1.495667e-01\t-6.068461e+01\t"
            "-1.000000e-300\t30000\n");
  e.outcome = site_outcome::no_calls;
  EXPECT_EQ(format_site_row(site, e), "chr2\t123456789012\trs7\tA\tC,<DEL>\t3\t40\t2\tNA\tNA\tNA\tNA\n");
  e.outcome = site_outcome::too_many_alleles;
  EXPECT_EQ(format_site_row(site, e), "chr2\t123456789012\trs7\tA\tC,<DEL>\t3\t40\t2\tNA\tNA\tNA\tNA\n");
}
