// Small VCF inputs for the tests of the VCF mode: a text VCF built from
// genotype strings, and its bgzipped, BCF and indexed forms made with
// htslib's own writers.
#ifndef DREVEL_TESTS_SUPPORT_VCF_FILES_H
#define DREVEL_TESTS_SUPPORT_VCF_FILES_H

#include <string>
#include <vector>

struct vcf_test_site {
  std::string chrom;
  long pos;
  std::string ref, alt;            // alt "." for none
  std::vector<std::string> calls;  // one GT string per sample
};

// The text of a VCF with the given samples and sites (contigs "1" and "2"
// declared, GT the only FORMAT field).
std::string vcf_text(const std::vector<std::string>& samples,
                     const std::vector<vcf_test_site>& sites);

// Rewrites the VCF at from into to through htslib: mode "wz" for bgzipped
// VCF, "wb" for BCF.  When index is true also builds the index next to it
// (.tbi for bgzipped VCF, .csi for BCF).  Throws std::runtime_error on
// failure.
void convert_vcf(const std::string& from, const std::string& to, const char* mode, bool index);

#endif
