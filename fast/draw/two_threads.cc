// Two threads joined by a single-producer single-consumer ring of draws.
#include "fast/draw/two_threads.h"

#include <algorithm>
#include <atomic>

#include "fast/draw/draw_walker.h"

namespace drevel {

namespace two_threads_detail {

// Draw records in flight: enough to ride out a stall of either thread,
// few enough to stay in cache.
constexpr int64_t slots = 32;

// Spinning costs a core that the other thread may need when the machine is
// busy; after a short spin the waiter yields.
inline void wait_a_little(int& spins) {
  if (++spins < 64) return;
  std::this_thread::yield();
}

// How many of the product runs, from the first, the walker takes besides
// the rejection-branch cells, so that the two threads' work per draw is
// about even.  The weights are instructions per unit of work, measured
// with callgrind on the twenty-allele locus: the walker's rejection-branch
// cell (its attempts, their words and their tables), a product uniform (a
// factor of a product) and the caller's cell (its logarithm in the
// kernel).  Each thread generates the whole stream for itself, which
// weighs the same on both sides and so drops out.
size_t walker_product_runs(const draw_plan& plan) {
  const double per_rejection_cell = 306, per_product_uniform = 6.4, per_cell = 18.5;
  double product_uniforms = 0;
  for (const product_run& run : plan.runs) product_uniforms += run.uniforms;
  const double nrej = static_cast<double>(plan.rejection.size());
  double walker = per_rejection_cell * nrej;
  double caller = per_product_uniform * product_uniforms + per_cell * plan.c;
  size_t k = 0;
  while (k < plan.runs.size()) {
    double move = per_product_uniform * plan.runs[k].uniforms;
    if (walker + move > caller - move) break;
    walker += move;
    caller -= move;
    k++;
  }
  return k;
}

struct draw_ring {
  explicit draw_ring(const draw_plan& plan)
      : nrej(static_cast<size_t>(plan.c - plan.np)),
        nruns(plan.runs.size()),
        np(static_cast<size_t>(plan.np)),
        walker_runs(walker_product_runs(plan)),
        X_start(slots),
        X_end(slots),
        start(slots),
        R(slots * nrej),
        P(slots * np),
        run_positions(slots * nruns) {
    for (size_t r = 0; r < walker_runs; r++) {
      const product_run& run = plan.runs[r];
      for (int i = run.first; i < run.first + run.count; i++)
        walker_slots.push_back(plan.product_cells[static_cast<size_t>(i)].slot);
    }
  }
  const size_t nrej, nruns, np;
  const size_t walker_runs;  // product runs 0..walker_runs-1 are the walker's
  std::vector<int> walker_slots;  // their cells' kernel slots
  std::vector<uint64_t> X_start, X_end;
  std::vector<int64_t> start;  // each draw's first position
  std::vector<double> R;
  std::vector<double> P;  // each draw's products of the walker's runs, at their kernel slots
  std::vector<int64_t> run_positions;
  alignas(64) std::atomic<int64_t> written{0};   // draws the walker has published
  alignas(64) std::atomic<int64_t> consumed{0};  // draws the evaluator is done with
  alignas(64) std::atomic<bool> stop{false};
  alignas(64) std::atomic<bool> overrun{false};  // the walker met a draw too long
};

namespace {

void walker_thread(const draw_plan& plan, uint64_t X, int64_t keep, simd_path path,
                   rejection_tables* tables, draw_ring& ring, int64_t* literal_tests) {
  // Beyond the draw, a walk bins ahead of a cluster of rejection cells
  // (eight positions a cell) and fills ahead of what it reads.
  draw_walker walker(plan, X, path, tables,
                     keep + 8 * static_cast<int64_t>(plan.rejection.size()) + 4096);
  std::vector<double> scratch(static_cast<size_t>(plan.max_run_uniforms) + 5);
  for (int64_t n = 0;; n++) {
    int spins = 0;
    while (n - ring.consumed.load(std::memory_order_acquire) >= slots) {
      if (ring.stop.load(std::memory_order_relaxed)) return;
      wait_a_little(spins);
    }
    if (ring.stop.load(std::memory_order_relaxed)) return;
    size_t s = static_cast<size_t>(n % slots);
    int64_t* run_positions = ring.run_positions.data() + s * ring.nruns;
    walker.walk_rejections(ring.R.data() + s * ring.nrej, run_positions, &ring.start[s],
                           &ring.X_start[s], &ring.X_end[s], literal_tests);
    // A draw longer than the rings keep whole: its first positions may be
    // gone from either ring, so the split ends before it is handed over.
    if (walker.position() - ring.start[s] > keep) {
      ring.overrun.store(true, std::memory_order_release);
      return;
    }
    products_at(plan, walker.ring().uniforms(), walker.ring().mask(), run_positions,
                ring.P.data() + s * ring.np, scratch.data(), 0, ring.walker_runs);
    ring.written.store(n + 1, std::memory_order_release);
  }
}

// The longest draw either thread's ring keeps whole: four times the
// expected span and at least 2^13 positions.  A longer draw (the walk of a
// rejection cell far longer than usual) ends the split.
int64_t keep_for(const draw_plan& plan) {
  double span = 16;
  for (const product_run& run : plan.runs) span += run.uniforms;
  span += 7.0 * static_cast<double>(plan.rejection.size());
  return std::max<int64_t>(int64_t{1} << 13, static_cast<int64_t>(4 * span));
}

}  // namespace
}  // namespace two_threads_detail

using namespace two_threads_detail;

two_thread_draws::two_thread_draws(const draw_plan& plan, draw_decider& decider, uint64_t X,
                                   simd_path path, int64_t keep, rejection_tables* tables)
    : plan_(plan),
      decider_(decider),
      ring_(new draw_ring(plan)),
      keep_(keep > 0 ? keep : keep_for(plan)),
      uniforms_(X, keep_ + 2048, path, 1024, false),
      G_(static_cast<size_t>(plan.c)),
      scratch_(static_cast<size_t>(plan.max_run_uniforms) + 5),
      X_end_(X),
      walker_(walker_thread, std::cref(plan), X, keep_, path, tables, std::ref(*ring_),
              &walker_tests_) {}

two_thread_draws::~two_thread_draws() { finish(); }

int64_t two_thread_draws::finish() {
  if (walker_.joinable()) {
    ring_->stop.store(true, std::memory_order_relaxed);
    walker_.join();
  }
  return walker_tests_;
}

int two_thread_draws::next_hit() {
  draw_ring& ring = *ring_;
  int spins = 0;
  while (N_ >= available_) {
    // The overrun flag is read before the count: every draw the walker
    // published before giving up is then seen.
    bool overrun = ring.overrun.load(std::memory_order_acquire);
    available_ = ring.written.load(std::memory_order_acquire);
    if (N_ < available_) break;
    if (overrun) return -1;
    wait_a_little(spins);
  }
  size_t s = static_cast<size_t>(N_ % slots);
  const int64_t* run_positions = ring.run_positions.data() + s * ring.nruns;
  if (ring.walker_runs < ring.nruns) {
    const size_t last = ring.nruns - 1;
    uniforms_.ensure(run_positions[last] + plan_.runs[last].uniforms);
    products_at(plan_, uniforms_.uniforms(), uniforms_.mask(), run_positions, G_.data(),
                scratch_.data(), ring.walker_runs, ring.nruns);
  }
  const double* P = ring.P.data() + s * ring.np;
  for (int slot : ring.walker_slots) G_[static_cast<size_t>(slot)] = P[slot];
  const double* R = ring.R.data() + s * ring.nrej;
  for (size_t i = 0; i < ring.nrej; i++) G_[ring.np + i] = R[i];
  uint64_t X_start = ring.X_start[s];
  X_end_ = ring.X_end[s];
  N_ = N_ + 1;
  ring.consumed.store(N_, std::memory_order_release);
  return decider_.decide(G_.data(), X_start, X_end_);
}

}  // namespace drevel
