// Rejection tables by shape, cached across the loci of a batch: a table
// depends only on the cell's shape alpha = count + 1.0001, and shapes repeat
// from site to site.  Every table lies in one pool of bounds entries, so
// that lanes walking different loci find any cell's bound at a 32-bit
// offset from one base.  The cache holds a bounded number of tables; a
// table in use by a locus is never evicted.  One cache per thread: it is
// not safe to share.
#ifndef DREVEL_FAST_BATCH_SHAPE_TABLES_H
#define DREVEL_FAST_BATCH_SHAPE_TABLES_H

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "fast/bounds/rejection_table.h"
#include "fast/bounds/squeeze.h"

namespace drevel {

class shape_tables {
 public:
  static constexpr int entries_per_table = rejection_table_detail::bins;

  // A cache of at most `tables` tables (at least 1).
  explicit shape_tables(int tables);

  // The table of shape a (a >= 6: a rejection-branch cell), its reference
  // count raised by one: the pool offset of its first entry.  -1 when every
  // table is in use.
  int32_t acquire(double a);
  // Drops one reference taken by acquire.
  void release(int32_t table);

  // The pool: entry `table + bin` is the bounds of that bin, as
  // rejection_tables gives them (filled bins, entry_bits), or
  // unfilled_entry, which leaves every attempt to the squeezes.  Stays at
  // one address for the cache's lifetime.
  const uint32_t* pool() const { return pool_.data(); }
  const rejection_cell& cell(int32_t table) const { return slot_of(table).cell; }
  // Fills one bin of a table (idempotent) and returns its entry.
  uint32_t fill(int32_t table, int bin);
  // Read from the entry itself, which the walk has just loaded: a bin not
  // yet filled holds unfilled_entry, which no filled bin holds.
  bool filled(int32_t table, int bin) const {
    return pool_[static_cast<size_t>(table + bin)] != unfilled_entry;
  }

  int tables_cached() const { return static_cast<int>(by_shape_.size()); }
  int64_t fills() const { return fills_; }

  // A filled bin's entry: lo | hi << 16, with hi = 0xffff (no attempt
  // rejected by the table) written as 0x8000, which t = floor(u3 2^15) never
  // reaches either, so that lo = 0, hi = 0xffff marks the bins not filled.
  static uint32_t entry_bits(const rejection_bounds& b) {
    uint32_t hi = b.hi == 0xffff ? 0x8000 : b.hi;
    return static_cast<uint32_t>(b.lo) | hi << 16;
  }
  static constexpr uint32_t unfilled_entry = 0xffffu << 16;

 private:
  struct slot {
    double a = 0;
    rejection_cell cell{};
    std::unique_ptr<rejection_tables> tables;  // the bounds' owner, one cell
    int refs = 0;
    uint64_t last_use = 0;
  };
  const slot& slot_of(int32_t table) const {
    return slots_[static_cast<size_t>(table / entries_per_table)];
  }
  std::vector<slot> slots_;
  std::vector<uint32_t> pool_;
  std::unordered_map<uint64_t, int> by_shape_;  // shape's bits -> slot
  uint64_t clock_ = 0;
  int64_t fills_ = 0;
};

}  // namespace drevel

#endif
