#include "vcf/genotype_field.h"

#include <cstring>

namespace drevel {

namespace {

// Value n of the call at p, converted as bcf_get_format_values converts it;
// false at the padding (vector end).
template <class T>
bool value_at(const uint8_t* p, int n, T missing, T vector_end, int32_t* out) {
  T v;
  std::memcpy(&v, p + static_cast<size_t>(n) * sizeof(T), sizeof(T));  // little-endian, as BCF
  if (v == missing) {
    *out = bcf_int32_missing;
    return true;
  }
  if (v == vector_end) return false;
  *out = v;
  return true;
}

template <class T>
bool diploid_of(const uint8_t* p, int width, T missing, T vector_end, int32_t* a, int32_t* b) {
  int32_t third;
  if (width < 2 || !value_at<T>(p, 0, missing, vector_end, a) ||
      !value_at<T>(p, 1, missing, vector_end, b))
    return false;
  return width == 2 || !value_at<T>(p, 2, missing, vector_end, &third);
}

}  // namespace

const bcf_fmt_t* genotype_field(const bcf_hdr_t* hdr, bcf1_t* rec) {
  int id = bcf_hdr_id2int(hdr, BCF_DT_ID, "GT");
  if (!bcf_hdr_idinfo_exists(hdr, BCF_HL_FMT, id) ||
      bcf_hdr_id2type(hdr, BCF_HL_FMT, id) != BCF_HT_STR)
    return nullptr;
  const bcf_fmt_t* field = bcf_get_fmt_id(rec, id);
  if (!field || !field->p || field->n <= 0) return nullptr;
  if (field->type != BCF_BT_INT8 && field->type != BCF_BT_INT16 && field->type != BCF_BT_INT32)
    return nullptr;
  return field;
}

bool diploid_call(const bcf_fmt_t* gt, int sample, int32_t* a, int32_t* b) {
  const uint8_t* p = gt->p + static_cast<size_t>(sample) * static_cast<size_t>(gt->size);
  switch (gt->type) {
    case BCF_BT_INT8:
      return diploid_of<int8_t>(p, gt->n, bcf_int8_missing, bcf_int8_vector_end, a, b);
    case BCF_BT_INT16:
      return diploid_of<int16_t>(p, gt->n, bcf_int16_missing, bcf_int16_vector_end, a, b);
    default:
      return diploid_of<int32_t>(p, gt->n, bcf_int32_missing, bcf_int32_vector_end, a, b);
  }
}

}  // namespace drevel
