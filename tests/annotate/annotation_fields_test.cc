// The annotated file's fields, their header lines as htslib reads them, the
// values they hold against the table's, and the file type told by the name.
#include "annotate/annotation_fields.h"

#include <gtest/gtest.h>
#include <htslib/vcf.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "annotate/annotated_file_type.h"

using namespace drevel;

namespace {

std::vector<group_fields> fields_of(const std::vector<std::string>& groups, std::string* error) {
  std::vector<group_fields> fields;
  const status made = annotation_fields(&groups, &fields);
  *error = made.message();
  if (!made) fields.clear();
  return fields;
}

}  // namespace

TEST(annotation_fields, keys_with_and_without_groups) {
  std::vector<group_fields> fields;
  ASSERT_TRUE(annotation_fields(nullptr, &fields));
  std::string error;
  ASSERT_EQ(fields.size(), 1u);
  EXPECT_EQ(fields[0].evidence, "HWE_EV");
  EXPECT_EQ(fields[0].mc_se, "HWE_EV_SE");
  EXPECT_EQ(fields[0].F, "HWE_F");

  // Characters a key may not hold become '_'; letters, digits, '_' and '.'
  // stay.
  fields = fields_of({"EUR", "pop-1", "a.b_C9", "x/y z"}, &error);
  ASSERT_EQ(fields.size(), 4u) << error;
  EXPECT_EQ(fields[0].evidence, "HWE_EV_EUR");
  EXPECT_EQ(fields[0].mc_se, "HWE_EV_SE_EUR");
  EXPECT_EQ(fields[0].F, "HWE_F_EUR");
  EXPECT_EQ(fields[1].evidence, "HWE_EV_pop_1");
  EXPECT_EQ(fields[2].F, "HWE_F_a.b_C9");
  EXPECT_EQ(fields[3].mc_se, "HWE_EV_SE_x_y_z");
}

TEST(annotation_fields, groups_giving_one_key_are_refused) {
  std::string error;
  // Apart only in a character written as '_'.
  EXPECT_TRUE(fields_of({"pop-1", "pop_1"}, &error).empty());
  EXPECT_NE(error.find("'pop-1' and 'pop_1' both give the INFO field HWE_EV_pop_1"),
            std::string::npos)
      << error;
  // One group's error field is another group's evidence field.
  error.clear();
  EXPECT_TRUE(fields_of({"SE_x", "x"}, &error).empty());
  EXPECT_NE(error.find("'SE_x' and 'x' both give the INFO field HWE_EV_SE_x"), std::string::npos)
      << error;
  // Case matters in keys, as in VCF.
  error.clear();
  EXPECT_EQ(fields_of({"eur", "EUR"}, &error).size(), 2u) << error;
}

// The lines must parse in htslib as Number=1, Type=Float INFO fields, with
// a group name of any characters kept whole in the description.
TEST(annotation_fields, header_lines_declare_float_fields_htslib_reads) {
  const std::string group = "a\"b\\c<d>,e=f";
  std::string error;
  std::vector<group_fields> fields = fields_of({group}, &error);
  ASSERT_EQ(fields.size(), 1u) << error;
  bcf_hdr_t* hdr = bcf_hdr_init("w");
  ASSERT_NE(hdr, nullptr);
  for (const std::string& line : annotation_header_lines(fields[0], &group))
    ASSERT_EQ(bcf_hdr_append(hdr, line.c_str()), 0) << line;
  ASSERT_EQ(bcf_hdr_sync(hdr), 0);
  for (const std::string* key : {&fields[0].evidence, &fields[0].mc_se, &fields[0].F}) {
    int id = bcf_hdr_id2int(hdr, BCF_DT_ID, key->c_str());
    ASSERT_TRUE(bcf_hdr_idinfo_exists(hdr, BCF_HL_INFO, id)) << *key;
    EXPECT_EQ(bcf_hdr_id2type(hdr, BCF_HL_INFO, id), BCF_HT_REAL);
    EXPECT_EQ(bcf_hdr_id2length(hdr, BCF_HL_INFO, id), BCF_VL_FIXED);
    EXPECT_EQ(bcf_hdr_id2number(hdr, BCF_HL_INFO, id), 1);
  }
  bcf_hrec_t* hrec = bcf_hdr_get_hrec(hdr, BCF_HL_INFO, "ID", fields[0].evidence.c_str(), nullptr);
  ASSERT_NE(hrec, nullptr);
  int description = bcf_hrec_find_key(hrec, "Description");
  ASSERT_GE(description, 0);
  EXPECT_NE(std::string(hrec->vals[description]).find("in group a\\\"b\\\\c<d>,e=f"),
            std::string::npos)
      << hrec->vals[description];
  bcf_hdr_destroy(hdr);
}

TEST(annotation_fields, values_are_the_tables_printed_values) {
  group_evidence computed;
  computed.outcome = site_outcome::computed;
  computed.E = 0.99125371;
  computed.mc_se = 1.0 / 3.0 * 1e-3;
  computed.F = -0.0042553191489;
  group_values v = annotation_values(computed);
  ASSERT_TRUE(v.evidence && v.mc_se && v.F);
  // The float nearest the seven digits the table prints, not the nearest
  // to the double: they differ where the double lies near a rounding edge.
  EXPECT_EQ(*v.evidence, std::strtof("9.912537e-01", nullptr));
  EXPECT_EQ(*v.mc_se, std::strtof("3.333333e-04", nullptr));
  EXPECT_EQ(*v.F, std::strtof("-4.255319e-03", nullptr));
  const double edge = 0.1234567549;  // printed 1.234568e-01, six floats away
  EXPECT_EQ(table_float(edge), std::strtof("1.234568e-01", nullptr));
  EXPECT_NE(table_float(edge), static_cast<float>(edge));
  EXPECT_EQ(table_float(0), 0.0f);
  EXPECT_EQ(table_float(1), 1.0f);

  // What the table prints NA has no field: no evidence where it was not
  // computed; F wherever it is defined, also where the evidence is not.
  group_evidence many;
  many.outcome = site_outcome::too_many_alleles;
  many.F = 0.25;
  v = annotation_values(many);
  EXPECT_FALSE(v.evidence || v.mc_se);
  ASSERT_TRUE(v.F);
  EXPECT_EQ(*v.F, 0.25f);
  group_evidence one;
  one.outcome = site_outcome::monomorphic;
  v = annotation_values(one);
  EXPECT_FALSE(v.evidence || v.mc_se || v.F);
}

TEST(annotated_file_type, type_follows_the_name_as_bcftools_tells_it) {
  struct named {
    const char* path;
    annotated_file_type type;
  };
  const named known[] = {{"out.vcf", annotated_file_type::vcf},
                         {"dir.x/out.VCF", annotated_file_type::vcf},
                         {"out.vcf.gz", annotated_file_type::vcf_bgzf},
                         {"out.vcf.bgz", annotated_file_type::vcf_bgzf},
                         {"out.Vcf.Gz", annotated_file_type::vcf_bgzf},
                         {"out.bcf", annotated_file_type::bcf},
                         {"OUT.BCF", annotated_file_type::bcf}};
  for (const named& n : known) {
    annotated_file_type type;
    ASSERT_TRUE(annotated_type_of(n.path, &type).is_ok()) << n.path;
    EXPECT_EQ(type, n.type) << n.path;
  }
  for (const char* path : {"out.txt", "out.gz", "out.bcf.gz", "out", "out.vcf.tmp", "vcf"}) {
    annotated_file_type type;
    const status s = annotated_type_of(path, &type);
    EXPECT_EQ(s.kind(), fault_kind::usage) << path;
    EXPECT_NE(s.message().find("end it in .vcf, .vcf.gz or .bcf"), std::string::npos) << path;
  }
  EXPECT_STREQ(hts_write_mode(annotated_file_type::vcf), "w");
  EXPECT_STREQ(hts_write_mode(annotated_file_type::vcf_bgzf), "wz");
  EXPECT_STREQ(hts_write_mode(annotated_file_type::bcf), "wb");
  EXPECT_FALSE(indexable(annotated_file_type::vcf));
  EXPECT_TRUE(indexable(annotated_file_type::bcf));
  EXPECT_EQ(index_path("a/b.vcf.gz"), "a/b.vcf.gz.csi");
}
