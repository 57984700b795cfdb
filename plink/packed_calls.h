// Counting the calls of one SNP-major PLINK 1 .bed record: four calls a
// byte, two bits each, the first sample in the low bits.  A byte is counted
// at a time through a table, never call by call, so that a site of 100,000
// samples costs 25,000 table look-ups.
#ifndef DREVEL_PLINK_PACKED_CALLS_H
#define DREVEL_PLINK_PACKED_CALLS_H

#include <cstdint>
#include <vector>

namespace drevel {

// The two-bit codes of the .bed format.
enum packed_code : int {
  hom_a1 = 0,   // 00: homozygous for the .bim's first allele (A1)
  missing = 1,  // 01: no call
  het = 2,      // 10: heterozygous
  hom_a2 = 3,   // 11: homozygous for the second allele (A2)
};

// The calls of a record that one group counts: the bytes that hold them and,
// for each, which of its four calls count (bit s: the call in bits 2s and
// 2s+1).  Built once per group; a sample is counted once however often it
// is listed.
struct packed_selection {
  std::vector<uint32_t> bytes;  // increasing byte offsets into the record
  std::vector<uint8_t> masks;   // one per byte, never 0
  // select_all's: bytes 0 .. full_bytes - 1 whole, then the byte after them
  // with last_mask (0: none), without the offsets above, so that the usual
  // case reads the record straight through.
  bool all = false;
  uint32_t full_bytes = 0;
  uint8_t last_mask = 0;
};

// The selection of the given samples (0-based indices below the number of
// samples, any order, repeats allowed).
packed_selection select_samples(const std::vector<int64_t>& samples);

// The selection of every one of n samples, padding excluded.
packed_selection select_all(int64_t n);

// How many calls of each code (indexed by packed_code) the selection holds
// in `record` (which holds every byte the selection names).
struct code_counts {
  int64_t n[4] = {0, 0, 0, 0};
};
code_counts count_codes(const uint8_t* record, const packed_selection& selection);

}  // namespace drevel

#endif
