// Rejection tables by shape, cached across the loci of a batch: a table
// depends only on the cell's shape alpha = count + 1.0001, and shapes repeat
// from site to site.  Every table lies in one pool of bounds entries, so
// that lanes walking different loci find any cell's bound at a 32-bit
// offset from one base.  A table is filled whole when its shape is
// acquired, before any lane reads it, so that the walk never stops to fill
// a bin (a run over a few hundred draws visits nearly every bin anyway).
// The cache holds a bounded number of tables; a table in use by a locus is
// never evicted.  One cache per thread: it is
// not safe to share.
#ifndef DREVEL_FAST_BATCH_SHAPE_TABLES_H
#define DREVEL_FAST_BATCH_SHAPE_TABLES_H

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "fast/bounds/rejection_table.h"
#include "fast/bounds/rejection_cell.h"

namespace drevel {

class shape_tables {
 public:
  static constexpr int entries_per_table = rejection_table_detail::bins;

  // A cache of at most `tables` tables (at least 1).
  explicit shape_tables(int tables);

  // The table of shape a (a >= 6: a rejection-branch cell), filled, its
  // reference count raised by one: the pool offset of its first entry.  -1
  // when every table is in use.
  int32_t acquire(double a);
  // Drops one reference taken by acquire.
  void release(int32_t table);

  // The pool: entry `table + bin` is the bounds of that bin, as
  // rejection_tables gives them once filled (entry_bits).  Stays at one
  // address for the cache's lifetime.
  const uint32_t* pool() const { return pool_.get(); }
  const rejection_cell& cell(int32_t table) const { return slot_of(table).cell; }

  int tables_cached() const { return static_cast<int>(by_shape_.size()); }
  int64_t fills() const { return fills_; }  // bins filled

  // A bin's entry: lo | hi << 16.  t = floor(u3 2^15) < 2^15 is compared
  // with both; hi = 0xffff (no attempt rejected by the table) is written as
  // 0x8000, which no t reaches either.
  static uint32_t entry_bits(const rejection_bounds& b) {
    uint32_t hi = b.hi == 0xffff ? 0x8000 : b.hi;
    return static_cast<uint32_t>(b.lo) | hi << 16;
  }

 private:
  struct slot {
    double a = 0;
    rejection_cell cell{};
    bool used = false;  // holds a table
    int refs = 0;
    uint64_t last_use = 0;
  };
  const slot& slot_of(int32_t table) const {
    return slots_[static_cast<size_t>(table / entries_per_table)];
  }
  std::vector<slot> slots_;
  // Not initialised: a slot's pages are taken when its first table is
  // written, so that a run of few shapes takes little memory.
  std::unique_ptr<uint32_t[]> pool_;
  std::unordered_map<uint64_t, int> by_shape_;  // shape's bits -> slot
  uint64_t clock_ = 0;
  int64_t fills_ = 0;
};

}  // namespace drevel

#endif
