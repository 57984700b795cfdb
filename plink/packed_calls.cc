#include "plink/packed_calls.h"

#include <algorithm>
#include <array>

namespace drevel {

namespace {

// table[mask][byte]: the codes of the byte's calls chosen by mask, one 8-bit
// field per code (code c at bits 8c..8c+7).  A field grows by at most 4 a
// byte, so 63 bytes can be summed in one word before the fields are spilled.
struct code_table {
  std::array<std::array<uint32_t, 256>, 16> table;
  code_table() {
    for (int mask = 0; mask < 16; mask++)
      for (int byte = 0; byte < 256; byte++) {
        uint32_t fields = 0;
        for (int s = 0; s < 4; s++)
          if (mask & (1 << s)) fields += 1u << (8 * ((byte >> (2 * s)) & 3));
        table[mask][byte] = fields;
      }
  }
};
const code_table codes;

const int bytes_per_spill = 63;

void spill(uint32_t fields, code_counts* out) {
  for (int c = 0; c < 4; c++) out->n[c] += (fields >> (8 * c)) & 0xff;
}

}  // namespace

packed_selection select_samples(const std::vector<int64_t>& samples) {
  std::vector<int64_t> sorted(samples);
  std::sort(sorted.begin(), sorted.end());
  sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
  packed_selection selection;
  for (int64_t s : sorted) {
    uint32_t byte = static_cast<uint32_t>(s / 4);
    uint8_t bit = static_cast<uint8_t>(1u << (s % 4));
    if (selection.bytes.empty() || selection.bytes.back() != byte) {
      selection.bytes.push_back(byte);
      selection.masks.push_back(bit);
    } else {
      selection.masks.back() |= bit;
    }
  }
  return selection;
}

packed_selection select_all(int64_t n) {
  packed_selection selection;
  selection.all = true;
  selection.full_bytes = static_cast<uint32_t>(n / 4);
  selection.last_mask = static_cast<uint8_t>((1u << (n % 4)) - 1);
  return selection;
}

code_counts count_codes(const uint8_t* record, const packed_selection& selection) {
  code_counts out;
  if (selection.all) {
    const uint32_t* full = codes.table[0xf].data();
    for (uint32_t i = 0; i < selection.full_bytes;) {
      uint32_t end = std::min<uint32_t>(selection.full_bytes, i + bytes_per_spill);
      // Four sums, so that the look-ups of four bytes do not wait on one
      // another's addition.
      uint32_t f0 = 0, f1 = 0, f2 = 0, f3 = 0;
      for (; i + 4 <= end; i += 4) {
        f0 += full[record[i]];
        f1 += full[record[i + 1]];
        f2 += full[record[i + 2]];
        f3 += full[record[i + 3]];
      }
      for (; i < end; i++) f0 += full[record[i]];
      spill(f0, &out);
      spill(f1, &out);
      spill(f2, &out);
      spill(f3, &out);
    }
    if (selection.last_mask)
      spill(codes.table[selection.last_mask][record[selection.full_bytes]], &out);
    return out;
  }
  const size_t n = selection.bytes.size();
  for (size_t i = 0; i < n;) {
    size_t end = std::min(n, i + bytes_per_spill);
    uint32_t fields = 0;
    for (; i < end; i++)
      fields += codes.table[selection.masks[i]][record[selection.bytes[i]]];
    spill(fields, &out);
  }
  return out;
}

}  // namespace drevel
