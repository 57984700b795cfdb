// The batch tables: the exact headers scripts rely on, and the rows of every
// status, with and without groups, in both formats.
#include "sites/site_table.h"

#include <gtest/gtest.h>

using namespace drevel;

namespace {

site_record vcf_site() {
  site_record site;
  site.labels = {"chr2", "123456789012", "rs7", "A", "C,<DEL>"};
  site.k = 3;
  return site;
}

// The formats' layouts, as vcf/ and genepop/ give them.
table_layout vcf_layout(bool groups) {
  table_layout layout;
  layout.labels = vcf_label_columns();
  layout.groups = groups;
  return layout;
}

table_layout genepop_layout() {
  table_layout layout;
  layout.labels = genepop_label_columns();
  layout.alleles = true;
  return layout;
}

group_counts two_alleles() {
  group_counts g;
  g.tested = {0, 2};
  g.allele_counts = {39, 5};
  g.counts = {19, 1, 2};
  g.called = 22;
  g.skipped = 3;
  g.heterozygous = 1;
  return g;
}

group_evidence computed() {
  group_evidence e;
  e.outcome = site_outcome::computed;
  e.E = 0.1495667;
  e.L_max = -60.68461;
  e.L_hyp = -1e-300;
  e.draws = 30000;
  e.mc_se = 0.002;
  e.at_maxmc = true;
  e.het_obs = 0.25;
  e.het_exp = 0.5;
  e.F = 0.5;
  return e;
}

}  // namespace

TEST(site_table, headers_name_the_columns_in_their_fixed_order) {
  const std::string shared =
      "N_ALLELES\tN_CALLED\tN_SKIPPED\tEVIDENCE\tL_MAX\tL_HYP\tDRAWS\tN_TESTED\tSTATUS\tGENOTYPES"
      "\tHET_OBS\tHET_EXP\tF\tMC_SE\tAT_MAXMC\tP_HWE\tP_HWE_MIDP\tP_HET_EXCESS\tP_HET_DEFICIT\tP_HWE_SE\tSEV";
  EXPECT_EQ(table_header(vcf_layout(false)), "#CHROM\tPOS\tID\tREF\tALT\t" + shared + "\n");
  EXPECT_EQ(table_header(vcf_layout(true)), "#CHROM\tPOS\tID\tREF\tALT\tGROUP\t" + shared + "\n");
  EXPECT_EQ(table_header(genepop_layout()),
            "#POP\tPOP_NAME\tFIRST_INDIVIDUAL\tLOCUS\t" + shared + "\tALLELES\n");
}

TEST(site_table, rows_of_every_status) {
  site_record site = vcf_site();
  site.groups = {two_alleles()};
  site_evidence e;
  e.groups = {computed()};
  e.groups[0].p_hwe = 0.25;
  e.groups[0].p_hwe_midp = 0.125;
  e.groups[0].p_het_excess = 1;
  e.groups[0].p_het_deficit = 0.5;
  e.groups[0].sev = 0.0625;
  const std::string names = "chr2\t123456789012\trs7\tA\tC,<DEL>";
  std::string row;
  append_rows(vcf_layout(false), site, e, nullptr, &row);
  EXPECT_EQ(row, names + "\t3\t22\t3\t1.495667e-01\t-6.068461e+01\t-1.000000e-300\t30000\t2\tok"
                         "\t19,1,2\t2.500000e-01\t5.000000e-01\t5.000000e-01\t2.000000e-03\t1"
                         "\t2.500000e-01\t1.250000e-01\t1.000000e+00\t5.000000e-01\tNA\t6.250000e-02\n");

  // A monomorphic group keeps its counts and heterozygosities; F is NA.
  group_counts mono;
  mono.tested = {1};
  mono.allele_counts = {8};
  mono.counts = {4};
  mono.called = 4;
  site.groups = {mono};
  e.groups[0] = group_evidence();
  e.groups[0].outcome = site_outcome::monomorphic;
  e.groups[0].het_obs = 0.0;
  e.groups[0].het_exp = 0.0;
  row.clear();
  append_rows(vcf_layout(false), site, e, nullptr, &row);
  EXPECT_EQ(row, names + "\t3\t4\t0\tNA\tNA\tNA\tNA\t1\tmonomorphic\t4\t0.000000e+00"
                         "\t0.000000e+00\tNA\tNA\tNA\tNA\tNA\tNA\tNA\tNA\tNA\n");

  // No calls: nothing tested, nothing defined.
  site.groups = {group_counts()};
  site.groups[0].skipped = 5;
  e.groups[0] = group_evidence();
  row.clear();
  append_rows(vcf_layout(false), site, e, nullptr, &row);
  EXPECT_EQ(row, names + "\t3\t0\t5\tNA\tNA\tNA\tNA\t0\tno_calls\tNA\tNA\tNA\tNA\tNA\tNA\tNA\tNA\tNA\tNA\tNA\tNA\n");

  // Too many alleles: no counts kept, the heterozygosities still given.
  site.groups = {two_alleles()};
  site.groups[0].counts.clear();
  e.groups[0] = computed();
  e.groups[0].outcome = site_outcome::too_many_alleles;
  row.clear();
  append_rows(vcf_layout(false), site, e, nullptr, &row);
  EXPECT_EQ(row, names + "\t3\t22\t3\tNA\tNA\tNA\tNA\t2\ttoo_many_alleles\tNA\t2.500000e-01"
                         "\t5.000000e-01\t5.000000e-01\tNA\tNA\tNA\tNA\tNA\tNA\tNA\tNA\n");
}

TEST(site_table, one_row_per_group_with_its_name) {
  site_record site = vcf_site();
  site.groups = {two_alleles(), group_counts()};
  site_evidence e;
  e.groups = {computed(), group_evidence()};
  e.groups[0].at_maxmc = false;
  std::vector<std::string> names = {"EUR", "AFR"};
  std::string rows;
  append_rows(vcf_layout(true), site, e, &names, &rows);
  EXPECT_EQ(rows,
            "chr2\t123456789012\trs7\tA\tC,<DEL>\tEUR\t3\t22\t3\t1.495667e-01\t-6.068461e+01"
            "\t-1.000000e-300\t30000\t2\tok\t19,1,2\t2.500000e-01\t5.000000e-01\t5.000000e-01"
            "\t2.000000e-03\t0\tNA\tNA\tNA\tNA\tNA\tNA\n"
            "chr2\t123456789012\trs7\tA\tC,<DEL>\tAFR\t3\t0\t0\tNA\tNA\tNA\tNA\t0\tno_calls\tNA"
            "\tNA\tNA\tNA\tNA\tNA\tNA\tNA\tNA\tNA\tNA\tNA\n");
}

TEST(site_table, genepop_rows_end_with_the_tested_codes) {
  site_record site;
  site.labels = {"12", "Nancy", "cat 1", "FCA8"};
  site.k = 4;
  site.allele_names = {"098", "102", "106", "110"};
  site.groups = {two_alleles()};
  site_evidence e;
  e.groups = {computed()};
  std::string row;
  append_rows(genepop_layout(), site, e, nullptr, &row);
  EXPECT_EQ(row, "12\tNancy\tcat 1\tFCA8\t4\t22\t3\t1.495667e-01\t-6.068461e+01\t-1.000000e-300\t30000"
                 "\t2\tok\t19,1,2\t2.500000e-01\t5.000000e-01\t5.000000e-01\t2.000000e-03\t1"
                 "\tNA\tNA\tNA\tNA\tNA\tNA\t098,106\n");
  site.labels[2] = ".";
  site.groups = {group_counts()};
  e.groups[0] = group_evidence();
  row.clear();
  append_rows(genepop_layout(), site, e, nullptr, &row);
  EXPECT_EQ(row, "12\tNancy\t.\tFCA8\t4\t0\t0\tNA\tNA\tNA\tNA\t0\tno_calls\tNA\tNA\tNA\tNA\tNA\tNA\tNA\tNA\tNA\tNA\tNA\tNA\tNA\n");
}
