#include "fast/batch/shape_tables.h"

#include <cstring>

namespace drevel {

namespace {

uint64_t bits_of(double a) {
  uint64_t b;
  std::memcpy(&b, &a, sizeof b);
  return b;
}

}  // namespace

shape_tables::shape_tables(int tables)
    : slots_(static_cast<size_t>(tables < 1 ? 1 : tables)),
      pool_(new uint32_t[slots_.size() * entries_per_table]) {}

int32_t shape_tables::acquire(double a) {
  clock_++;
  auto found = by_shape_.find(bits_of(a));
  if (found != by_shape_.end()) {
    slot& s = slots_[static_cast<size_t>(found->second)];
    s.refs++;
    s.last_use = clock_;
    return found->second * entries_per_table;
  }
  // A free slot, else the one least recently acquired among those unused.
  int chosen = -1;
  for (size_t i = 0; i < slots_.size(); i++) {
    const slot& s = slots_[i];
    if (!s.used) {
      chosen = static_cast<int>(i);
      break;
    }
    if (s.refs == 0 && (chosen < 0 || s.last_use < slots_[static_cast<size_t>(chosen)].last_use))
      chosen = static_cast<int>(i);
  }
  if (chosen < 0) return -1;
  slot& s = slots_[static_cast<size_t>(chosen)];
  if (s.used) by_shape_.erase(bits_of(s.a));
  s.used = true;
  s.a = a;
  s.cell = make_rejection_cell(a);
  s.refs = 1;
  s.last_use = clock_;
  by_shape_[bits_of(a)] = chosen;
  uint32_t* out = pool_.get() + static_cast<size_t>(chosen) * entries_per_table;
  for (int bin = 0; bin < entries_per_table; bin++)
    out[bin] = entry_bits(rejection_bin_bounds(s.cell, bin));
  fills_ += entries_per_table;
  return chosen * entries_per_table;
}

void shape_tables::release(int32_t table) { slots_[static_cast<size_t>(table / entries_per_table)].refs--; }

}  // namespace drevel
