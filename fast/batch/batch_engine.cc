// The batch engine's orchestration: lanes filled from the feed, walked
// until a lane completes a block of draws or reaches the end of the stream
// computed so far, blocks evaluated and decided, loci finished.
#include "fast/batch/batch_engine.h"

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <thread>

#include "fast/draw/draw_decider.h"
#include "fast/fast_engine.h"
#include "fast/bounds/fast_kernel.h"
#include "fast/batch/batch_dispatch.h"
#include "fast/batch/batch_plan.h"
#include "fast/batch/fixed_start_stream.h"
#include "fast/batch/shape_tables.h"
#include "random/rand48.h"
#include "random/rand48_access.h"

namespace drevel {

using namespace batch_internal;

// --- The result cache -------------------------------------------------------

batch_result_cache::batch_result_cache(size_t entries) : entries_(entries < 1 ? 1 : entries) {}

std::vector<uint64_t> batch_result_cache::key_of(const batch_locus& locus) {
  std::vector<uint64_t> key(static_cast<size_t>(locus.c) + 4);
  auto bits = [](double v) {
    uint64_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
  };
  key[0] = static_cast<uint64_t>(static_cast<uint32_t>(locus.c));
  key[1] = bits(locus.L_hyp);
  key[2] = static_cast<uint64_t>(static_cast<uint32_t>(locus.maxmc)) << 32 |
           static_cast<uint32_t>(locus.minmc);
  key[3] = bits(locus.precision);
  for (int m = 1; m <= locus.c; m++) key[static_cast<size_t>(m) + 3] = bits(locus.alpha[m]);
  return key;
}

size_t batch_result_cache::key_hash::operator()(const std::vector<uint64_t>& key) const {
  uint64_t h = 0x9E3779B97F4A7C15ULL;
  for (uint64_t v : key) h = (h ^ v) * 0x100000001B3ULL + (h >> 29);
  return static_cast<size_t>(h);
}

bool batch_result_cache::find(const std::vector<uint64_t>& key, batch_result* result) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = map_.find(key);
  if (it == map_.end()) return false;
  *result = it->second;
  return true;
}

void batch_result_cache::insert(const std::vector<uint64_t>& key, const batch_result& result) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!map_.emplace(key, result).second) return;
  order_.push_back(key);
  while (map_.size() > entries_) {
    map_.erase(order_.front());
    order_.pop_front();
  }
}

size_t batch_result_cache::size() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return map_.size();
}

// --- The engine ---------------------------------------------------------------

namespace {

// The six sums of mc_add_draw after `draws` more draws of which `hits` were
// hits.  With weight 1 every term is 0 or 1 and every sum a whole number
// below 2^53, so each addition is exact and adding the block's counts at
// once gives the draw-by-draw sums to the last bit.
void add_block(mc_sums& s, int draws, int hits) {
  double n = draws, h = hits, z = draws - hits;
  s.Sw = s.Sw + n;
  s.Sx = s.Sx + h;
  s.Sz = s.Sz + z;
  s.Sww = s.Sww + n;
  s.Sxw = s.Sxw + h;
  s.Szw = s.Szw + z;
}

bool eligible(const batch_locus& locus, int max_cells) {
  if (locus.c < 1 || locus.c > max_cells || !locus.alpha) return false;
  for (int m = 1; m <= locus.c; m++)
    if (!(locus.alpha[m] >= 1) || !std::isfinite(locus.alpha[m])) return false;
  return true;
}

struct job {
  batch_locus locus;
  std::vector<uint64_t> key;
  std::vector<batch_locus> followers;
  batch_plan bp;
  std::vector<int32_t> tables;
  int64_t N = 0;
  mc_sums sums;
  mc_check check{0, 0, 0};
  int64_t block_start = 0;
  // The per-site engine's decider for this locus (made once the plan is in
  // place: it points into it).
  std::unique_ptr<draw_decider> decider;
};

}  // namespace

struct batch_engine::impl {
  explicit impl(const batch_options& options);

  void run(batch_feed& feed);
  // Starts a locus in lane l, or finishes it at once; false when the lane
  // stays free.
  bool start(batch_feed& feed, int l, const batch_locus& locus);
  // A block of 100 draws of j from record rec; false when the locus stops.
  // *failed: the stream cannot hold the block (the locus must restart).
  bool block(job& j, int32_t* rec, bool* failed);
  void finish(batch_feed& feed, job& j, batch_route route);
  void per_site(batch_feed& feed, const batch_locus& locus, const std::vector<uint64_t>& key,
                const std::vector<batch_locus>& followers, bool restart);
  void deliver(batch_feed& feed, const batch_locus& locus, const std::vector<uint64_t>& key,
               const std::vector<batch_locus>& followers, batch_result result);
  void free_lane(int l);
  bool ensure_stream(int64_t p);  // uniforms up to p readable

  batch_options options;
  batch_isa isa;
  int width;
  fixed_start_stream& stream;
  shape_tables tables;
  walk_lanes lanes;
  walk_context ctx;
  std::vector<int32_t> program, records;
  job jobs[max_lanes];
  block_values values;
  int32_t starts[record_draws];
  int64_t ends[block_draws];
  batch_stats stats;
  uint32_t busy = 0;  // lanes with a locus
};

namespace {

int lanes_for(const batch_options& o, const batch_isa& isa) {
  int cap = isa.path == batch_path::scalar ? max_lanes : isa.width;
  int w = o.width <= 0 ? isa.width : o.width;
  return std::max(1, std::min(w, cap));
}

int tables_for(const batch_options& o, int width, int max_cells) {
  return std::min(8192, std::max(o.tables, width * max_cells + 1));
}

}  // namespace

batch_engine::impl::impl(const batch_options& o)
    : options(o),
      isa(select_batch_isa(o.path)),
      width(lanes_for(o, isa)),
      stream(o.stream ? *o.stream : fixed_start_stream::process()),
      tables(tables_for(o, lanes_for(o, isa), std::min(std::max(o.max_cells, 1), program_stride))),
      lanes(),
      program(static_cast<size_t>(max_lanes) * program_stride),
      records(static_cast<size_t>(max_lanes) * record_stride) {
  options.max_cells = std::min(std::max(o.max_cells, 1), program_stride);
  ctx.words = stream.words();
  ctx.U = stream.uniforms();
  ctx.limit = static_cast<int32_t>(stream.ready());
  ctx.tables = &tables;
  ctx.program = program.data();
  ctx.records = records.data();
}

bool batch_engine::impl::ensure_stream(int64_t p) {
  if (p < ctx.limit + 3) return true;
  int64_t ready = stream.extend(p);
  ctx.limit = static_cast<int32_t>(ready);
  return p < ready + 3;
}

void batch_engine::impl::deliver(batch_feed& feed, const batch_locus& locus,
                                 const std::vector<uint64_t>& key,
                                 const std::vector<batch_locus>& followers, batch_result result) {
  if (options.results && result.route != batch_route::cached) options.results->insert(key, result);
  feed.finished(locus, result);
  result.route = batch_route::cached;
  for (const batch_locus& f : followers) {
    stats.cached++;
    feed.finished(f, result);
  }
}

// The per-site engine from the fixed start.  It gives the estimate, the
// draws, the hits and the final state; the stopping rule's last check
// follows from the counts, since every sum is a whole count.
void batch_engine::impl::per_site(batch_feed& feed, const batch_locus& locus,
                                  const std::vector<uint64_t>& key,
                                  const std::vector<batch_locus>& followers, bool restart) {
  rand48_state state;
  batch_result result;
  fast_stats fs;
  const mc_estimate estimate =
      monte_carlo_fast(locus.alpha, locus.L_hyp, mc_rule{locus.maxmc, locus.minmc, locus.precision},
                       locus.c, state, fast_options(), &fs);
  result.r = estimate.r;
  result.draws = estimate.draws;
  result.hits = estimate.hits;
  result.at_maxmc = estimate.at_maxmc;
  result.end_state = rand48_access::get(state);
  result.route = batch_route::per_site;
  result.kernel_replays = fs.kernel_replays;
  mc_sums sums;
  sums.Sw = sums.Sww = static_cast<double>(result.draws);
  sums.Sx = sums.Sxw = static_cast<double>(result.hits);
  sums.Sz = sums.Szw = static_cast<double>(result.draws - result.hits);
  result.check = result.draws > 0 ? mc_check_sums(sums, result.draws) : mc_check{result.r, 0, 0};
  stats.per_site++;
  if (restart) stats.restarted++;
  deliver(feed, locus, key, followers, result);
}

void batch_engine::impl::finish(batch_feed& feed, job& j, batch_route route) {
  batch_result result;
  mc_run run;
  run.draws = j.N;
  run.sums = j.sums;
  run.check = j.check;
  const mc_estimate estimate =
      mc_estimate_of(run, mc_rule{j.locus.maxmc, j.locus.minmc, j.locus.precision});
  result.r = estimate.r;
  result.draws = estimate.draws;
  result.hits = estimate.hits;
  result.at_maxmc = estimate.at_maxmc;
  result.check = j.check;
  result.end_state = stream.state(j.block_start);
  result.route = route;
  result.kernel_replays = j.decider ? j.decider->replays() : 0;
  stats.draws += j.N;
  stats.kernel_replays += result.kernel_replays;
  deliver(feed, j.locus, j.key, j.followers, result);
}

void batch_engine::impl::free_lane(int l) {
  job& j = jobs[l];
  for (int32_t t : j.tables) tables.release(t);
  j.tables.clear();
  j.followers.clear();
  busy &= ~(1u << l);
  lanes.active = busy;
}

bool batch_engine::impl::block(job& j, int32_t* rec, bool* failed) {
  const batch_plan& bp = j.bp;
  const int r = bp.r;
  // Each draw ends a fixed number of uniforms after its last accepted
  // attempt (or after its start, without rejection cells), and the next
  // starts there: loops without a carried value, which the compiler
  // vectorises.
  if (r > 0) {
    const int64_t after_last = 3 + bp.after[static_cast<size_t>(r - 1)];
    for (int d = 0; d < block_draws; d++) ends[d] = rec[d * r + r - 1] + after_last;
  } else {
    for (int d = 0; d < block_draws; d++)
      ends[d] = j.block_start + static_cast<int64_t>(d + 1) * bp.product_uniforms;
  }
  const int64_t s = ends[block_draws - 1];
  if (!ensure_stream(s)) {
    *failed = true;
    return false;
  }
  *failed = false;
  starts[0] = static_cast<int32_t>(j.block_start);
  for (int d = 1; d < block_draws; d++) starts[d] = static_cast<int32_t>(ends[d - 1]);
  // Whole vectors of draws: the last draw repeated.
  for (int d = block_draws; d < record_draws; d++) starts[d] = starts[block_draws - 1];
  if (r > 0) {
    int32_t* padding = rec + block_draws * r;
    for (int d = 0; d < record_draws - block_draws; d++)
      std::memcpy(padding + d * r, rec + (block_draws - 1) * r, sizeof(int32_t) * r);
  }
  const double* U = stream.uniforms();
  prefetch_uniforms(U, starts[0], starts[std::min(8, block_draws - 1)]);
  isa.kernel(bp, U, rec, starts, record_draws, &values);
  // The per-site engine's decision: the bound where it settles the draw
  // (the kernel takes it for every draw, without a branch: about half the
  // draws of a site near its threshold go each way, which no predictor
  // guesses), the literal replay from the draw's saved state otherwise.  The
  // few open draws are replayed after, in draw order, and each adds only its
  // own hit to the count.
  int hits = 0, open = 0;
  for (int d = 0; d < block_draws; d++) {
    hits += values.hit[d];
    open += values.open[d];
  }
  for (int d = 0; open > 0; d++) {
    if (!values.open[d]) continue;
    open--;
    double G[program_stride];
    draw_inputs(bp, U, starts[d], rec + d * r, G);
    hits += j.decider->decide(G, stream.state(starts[d]), stream.state(ends[d]));
  }
  add_block(j.sums, block_draws, hits);
  j.N += block_draws;
  j.block_start = ends[block_draws - 1];
  j.check = mc_check_sums(j.sums, j.N);
  return !mc_stop(j.N, bp.minmc, bp.maxmc, j.check, bp.precision);
}

bool batch_engine::impl::start(batch_feed& feed, int l, const batch_locus& locus) {
  stats.loci++;
  std::vector<uint64_t> key;
  if (!eligible(locus, options.max_cells)) {
    per_site(feed, locus, key, {}, false);
    return false;
  }
  key = batch_result_cache::key_of(locus);
  batch_result cached;
  if (options.results && options.results->find(key, &cached)) {
    stats.cached++;
    cached.route = batch_route::cached;
    feed.finished(locus, cached);
    return false;
  }
  for (uint32_t m = busy; m; m &= m - 1) {
    job& other = jobs[__builtin_ctz(m)];
    if (other.key == key) {
      other.followers.push_back(locus);
      return false;
    }
  }
  job& j = jobs[l];
  j.locus = locus;
  j.key = std::move(key);
  j.followers.clear();
  j.bp = make_batch_plan(locus);
  j.N = 0;
  j.sums = mc_sums();
  j.check = mc_check{0, 0, 0};
  j.block_start = 0;
  j.decider.reset(new draw_decider(j.bp.plan, simd_path::portable, j.bp.alpha.data(), j.bp.L_hyp));
  const batch_plan& bp = j.bp;
  // A locus whose least run surely needs more than the stream holds goes to
  // the per-site engine at once.
  if (static_cast<double>(std::max(bp.minmc, 100)) * bp.expected_uniforms >
      static_cast<double>(stream.capacity())) {
    per_site(feed, locus, j.key, {}, false);
    return false;
  }
  if (bp.r == 0) {
    // Product cells only: every draw takes the same uniforms, no walk.
    bool failed = false;
    int32_t none[1] = {0};  // no attempts to record
    while (block(j, none, &failed)) {
    }
    if (failed) {
      per_site(feed, locus, j.key, {}, true);
      return false;
    }
    finish(feed, j, batch_route::lanes);
    return false;
  }
  j.tables.resize(static_cast<size_t>(bp.r));
  for (int i = 0; i < bp.r; i++) {
    j.tables[static_cast<size_t>(i)] = tables.acquire(bp.shapes[static_cast<size_t>(i)]);
  }
  int32_t* prog = program.data() + l * program_stride;
  for (int i = 0; i < bp.r; i++) {
    int skip = bp.after[static_cast<size_t>(i)] + (i == bp.r - 1 ? bp.lead : 0);
    prog[i] = j.tables[static_cast<size_t>((i + 1) % bp.r)] << 8 | skip;
  }
  lanes.p[l] = bp.lead;
  lanes.tab[l] = j.tables[0];
  lanes.cbase[l] = lanes.ci[l] = l * program_stride;
  lanes.cend[l] = l * program_stride + bp.r;
  lanes.wp[l] = l * record_stride;
  lanes.wend[l] = l * record_stride + block_draws * bp.r;
  busy |= 1u << l;
  lanes.active = busy;
  return true;
}

void batch_engine::impl::run(batch_feed& feed) {
  bool open = true;
  const uint32_t all = width >= 32 ? ~0u : (1u << width) - 1;
  for (;;) {
    while (open && (busy & all) != all) {
      int l = __builtin_ctz(~busy & all);
      batch_locus locus;
      int got = feed.next(&locus, busy == 0);
      if (got < 0) open = false;
      if (got <= 0) break;
      start(feed, l, locus);
    }
    if (busy == 0) {
      if (!open) break;
      continue;
    }
    ctx.U = stream.uniforms();
    walk_event event = isa.walk(lanes, ctx);
    for (uint32_t m = event.beyond; m; m &= m - 1) {
      int l = __builtin_ctz(m);
      if (ensure_stream(static_cast<int64_t>(lanes.p[l]) + 3)) continue;
      job& j = jobs[l];
      per_site(feed, j.locus, j.key, j.followers, true);
      free_lane(l);
    }
    for (uint32_t m = event.done; m; m &= m - 1) {
      int l = __builtin_ctz(m);
      job& j = jobs[l];
      bool failed = false;
      if (block(j, records.data() + l * record_stride, &failed)) {
        lanes.wp[l] = l * record_stride;
        continue;
      }
      if (failed)
        per_site(feed, j.locus, j.key, j.followers, true);
      else
        finish(feed, j, batch_route::lanes);
      free_lane(l);
    }
  }
  stats.literal_tests = ctx.literal_tests;
  stats.steps = ctx.steps;
  stats.attempts = ctx.attempts;
  stats.open_attempts = ctx.open_attempts;
  stats.width = width;
  stats.table_fills = tables.fills();
}

batch_engine::batch_engine(const batch_options& options) : impl_(new impl(options)) {}
batch_engine::~batch_engine() = default;
void batch_engine::run(batch_feed& feed) { impl_->run(feed); }
const batch_stats& batch_engine::stats() const { return impl_->stats; }
batch_path batch_engine::path() const { return impl_->isa.path; }
int batch_engine::width() const { return impl_->width; }

// --- Loci from a vector -------------------------------------------------------

namespace {

class vector_feed : public batch_feed {
 public:
  vector_feed(const std::vector<batch_locus>& loci, std::vector<batch_result>& results)
      : loci_(loci), results_(results) {}
  int next(batch_locus* locus, bool) override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (next_ >= loci_.size()) return -1;
    *locus = loci_[next_];
    locus->tag = next_++;
    return 1;
  }
  void finished(const batch_locus& locus, const batch_result& result) override {
    results_[static_cast<size_t>(locus.tag)] = result;  // each slot written by one thread
  }

 private:
  const std::vector<batch_locus>& loci_;
  std::vector<batch_result>& results_;
  std::mutex mutex_;
  size_t next_ = 0;
};

void add_stats(batch_stats& total, const batch_stats& s) {
  total.loci += s.loci;
  total.cached += s.cached;
  total.per_site += s.per_site;
  total.restarted += s.restarted;
  total.draws += s.draws;
  total.kernel_replays += s.kernel_replays;
  total.literal_tests += s.literal_tests;
  total.table_fills += s.table_fills;
  total.steps += s.steps;
  total.attempts += s.attempts;
  total.open_attempts += s.open_attempts;
  total.width = s.width;
}

}  // namespace

std::vector<batch_result> run_batch(const std::vector<batch_locus>& loci,
                                    const batch_options& options, int threads,
                                    batch_stats* stats) {
  std::vector<batch_result> results(loci.size());
  vector_feed feed(loci, results);
  threads = std::max(threads, 1);
  std::vector<std::unique_ptr<batch_engine>> engines;
  for (int t = 0; t < threads; t++) engines.emplace_back(new batch_engine(options));
  std::vector<std::thread> workers;
  for (int t = 1; t < threads; t++)
    workers.emplace_back([&feed, &engines, t]() { engines[static_cast<size_t>(t)]->run(feed); });
  engines[0]->run(feed);
  for (std::thread& w : workers) w.join();
  if (stats) {
    *stats = batch_stats();
    for (auto& e : engines) add_stats(*stats, e->stats());
  }
  return results;
}

}  // namespace drevel
