// The batch engine: the Monte Carlo estimates of many small loci (up to
// about six alleles), each exactly the result evidag_fast and evidag_mtcar
// give it from the generator's fixed start (estimate, draws, final state),
// many times faster than one locus after the other.  What it shares across
// loci is what does not depend on the locus: the uniform stream and its
// attempt words (fixed_start_stream, one per process), the rejection tables
// of each shape (shape_tables, one cache per engine) and the results of
// loci seen before (batch_result_cache).  It walks many loci at once, one
// per vector lane, and evaluates the log-kernel of many draws at once; the
// decisions are the per-site engine's, with the same bound and the same
// literal replay of every draw the bound leaves in doubt
// (docs/batch-engine.md).
#ifndef DREVEL_FAST_BATCH_BATCH_ENGINE_H
#define DREVEL_FAST_BATCH_BATCH_ENGINE_H

#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "evidence/draw_loop.h"
#include "fast/batch/batch_locus.h"
#include "fast/batch/batch_path.h"

namespace drevel {

class fixed_start_stream;

// How a locus's result was computed.
enum class batch_route { lanes, cached, per_site };

struct batch_result {
  double r = 0;        // the estimate, evidag_fast's return value
  int64_t draws = 0;   // a multiple of 100
  int64_t hits = 0;    // draws whose log-kernel reached L_hyp
  uint64_t end_state = 0;  // the generator's 48-bit state after the last draw counted
  mc_check check{0, 0, 0};  // the stopping rule's last check (check.r == r)
  // The run stopped because it reached maxmc while the precision was not
  // met at that check (draws >= maxmc, and not both half-widths below it).
  bool at_maxmc = false;
  batch_route route = batch_route::lanes;
  int64_t kernel_replays = 0;  // draws evaluated literally (lanes only)
};

// Results of loci seen before, shared by every engine that is given it:
// the same alpha, L_hyp and tuning values give the same result, so each is
// computed once while it stays in the cache.  Holds at most `entries`
// results, the oldest dropped first.  Safe to use from several threads.
class batch_result_cache {
 public:
  explicit batch_result_cache(size_t entries = 16384);
  // The key of a locus: its cells' shapes and its values, bit for bit.
  static std::vector<uint64_t> key_of(const batch_locus& locus);
  bool find(const std::vector<uint64_t>& key, batch_result* result);
  void insert(const std::vector<uint64_t>& key, const batch_result& result);
  size_t size() const;

 private:
  struct key_hash {
    size_t operator()(const std::vector<uint64_t>& key) const;
  };
  const size_t entries_;
  mutable std::mutex mutex_;
  std::unordered_map<std::vector<uint64_t>, batch_result, key_hash> map_;
  std::deque<std::vector<uint64_t>> order_;  // insertion order, for eviction
};

// Where an engine takes its loci from and gives their results back.  An
// engine calls both from its own thread; a feed shared by several engines
// must be safe to call from several threads.
class batch_feed {
 public:
  virtual ~batch_feed() = default;
  // 1: *locus is the next locus; 0: none is ready now (only when wait is
  // false); -1: there are no more.  With wait true, waits for a locus or
  // for the end.
  virtual int next(batch_locus* locus, bool wait) = 0;
  // The result of a locus that next gave, in any order.
  virtual void finished(const batch_locus& locus, const batch_result& result) = 0;
};

struct batch_options {
  batch_path path = batch_path::automatic;
  // Lanes walked at once: 0 is the path's width; fewer (at least 1) for
  // tests.  More than the path's width is its width.
  int width = 0;
  // Loci with more cells go to the per-site engine (at most 32).
  int max_cells = 21;
  // Rejection tables cached (at least width * max_cells + 1, at most 16384).
  int tables = 2048;
  fixed_start_stream* stream = nullptr;      // null: fixed_start_stream::process()
  batch_result_cache* results = nullptr;     // null: results are not cached
};

// Statistics of an engine's work, for tests and benchmarks.
struct batch_stats {
  int64_t loci = 0, cached = 0, per_site = 0, restarted = 0;
  int64_t draws = 0;            // draws of the loci computed in lanes
  int64_t kernel_replays = 0;
  int64_t literal_tests = 0;    // acceptance tests left to the library's log and exp
  int64_t table_fills = 0;      // bins filled
  int64_t steps = 0;            // walk steps (each: one attempt per active lane)
  int64_t attempts = 0;         // attempts walked (steps times the active lanes)
  int64_t open_attempts = 0;    // attempts the tables left to the squeezes
  int width = 0;                // lanes of an engine
};

class batch_engine {
 public:
  explicit batch_engine(const batch_options& options = batch_options());
  ~batch_engine();
  batch_engine(const batch_engine&) = delete;
  batch_engine& operator=(const batch_engine&) = delete;

  // Computes loci from the feed until it has no more, handing each result
  // back through feed.finished.
  void run(batch_feed& feed);

  const batch_stats& stats() const;
  batch_path path() const;
  int width() const;

 private:
  struct impl;
  std::unique_ptr<impl> impl_;
};

// The loci of a vector on `threads` engines (threads >= 1), results in the
// loci's order.
std::vector<batch_result> run_batch(const std::vector<batch_locus>& loci,
                                    const batch_options& options = batch_options(),
                                    int threads = 1, batch_stats* stats = nullptr);

}  // namespace drevel

#endif
