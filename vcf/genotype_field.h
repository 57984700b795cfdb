// A record's GT field read in place, call by call, as htslib stores it (8-,
// 16- or 32-bit integers, each call padded to the record's largest ploidy).
// htslib's bcf_get_genotypes would first copy every sample's calls into 32-bit
// integers: for one call of ploidy 20,000 among 20,000 samples, 1.6 GB for
// calls that are all skipped as polyploid anyway.
#ifndef DREVEL_VCF_GENOTYPE_FIELD_H
#define DREVEL_VCF_GENOTYPE_FIELD_H

#include <htslib/vcf.h>

#include <cstdint>

namespace drevel {

// The record's GT field when bcf_get_genotypes would give it: declared in
// the header as a FORMAT String, present, not removed, of at least one value
// a sample and stored as integers; else null.  The record must be unpacked
// (BCF_UN_FMT).
const bcf_fmt_t* genotype_field(const bcf_hdr_t* hdr, bcf1_t* rec);

// Whether the call of `sample` (below the header's sample count) in the
// field is diploid: exactly two values before the padding.  When it is,
// *a and *b are its two values as bcf_get_genotypes gives them (a missing
// value of the storage type as bcf_int32_missing).
bool diploid_call(const bcf_fmt_t* gt, int sample, int32_t* a, int32_t* b);

}  // namespace drevel

#endif
