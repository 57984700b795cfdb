// Two threads joined by a single-producer single-consumer ring of draws.
#include "evidence/fast_pipeline.h"

#include <atomic>
#include <thread>
#include <vector>

#include "evidence/draw_walker.h"
#include "evidence/monte_carlo.h"
#include "random/rand48_access.h"

namespace drevel {

namespace {

// Draw records in flight: enough to ride out a stall of either thread,
// few enough to stay in cache.
constexpr int64_t slots = 256;

// Spinning costs a core that the other thread may need when the machine is
// busy; after a short spin the waiter yields.
inline void wait_a_little(int& spins) {
  if (++spins < 64) return;
  std::this_thread::yield();
}

struct draw_ring {
  draw_ring(const draw_plan& plan)
      : nrej(static_cast<size_t>(plan.c - plan.np)),
        nruns(plan.runs.size()),
        X_start(slots),
        X_end(slots),
        R(slots * nrej),
        run_states(slots * nruns) {}
  const size_t nrej, nruns;
  std::vector<uint64_t> X_start, X_end;
  std::vector<double> R;
  std::vector<uint64_t> run_states;
  alignas(64) std::atomic<int64_t> written{0};   // draws the walker has published
  alignas(64) std::atomic<int64_t> consumed{0};  // draws the evaluator is done with
  alignas(64) std::atomic<bool> stop{false};
};

void walker_thread(const draw_plan& plan, uint64_t X, bool portable, draw_ring& ring,
                   int64_t* literal_tests) {
  draw_walker walker(plan, X, portable);
  for (int64_t n = 0;; n++) {
    int spins = 0;
    while (n - ring.consumed.load(std::memory_order_acquire) >= slots) {
      if (ring.stop.load(std::memory_order_relaxed)) return;
      wait_a_little(spins);
    }
    if (ring.stop.load(std::memory_order_relaxed)) return;
    size_t s = static_cast<size_t>(n % slots);
    walker.walk_rejections(ring.R.data() + s * ring.nrej, ring.run_states.data() + s * ring.nruns,
                           &ring.X_start[s], &ring.X_end[s], literal_tests);
    ring.written.store(n + 1, std::memory_order_release);
  }
}

}  // namespace

double evidag_fast_pipeline(const draw_decider& decider, bool portable, int32_t maxmc,
                            int32_t minmc, double precision, rand48_state& state, int64_t* draws,
                            fast_stats* stats_out) {
  const draw_plan& plan = decider.plan;
  draw_ring ring(plan);
  int64_t walker_tests = 0;
  std::thread walker(walker_thread, std::cref(plan), rand48_access::get(state), portable,
                     std::ref(ring), &walker_tests);

  std::vector<double> G(static_cast<size_t>(plan.c));
  std::vector<double> scratch(static_cast<size_t>(plan.max_run_uniforms) + 5);
  fast_stats stats;
  uint64_t X_end = rand48_access::get(state);
  int64_t N = 0, available = 0;
  mc_sums sums;
  mc_check check{0, 0, 0};
  for (;;) {
    int spins = 0;
    while (N >= available) {
      available = ring.written.load(std::memory_order_acquire);
      if (N < available) break;
      wait_a_little(spins);
    }
    size_t s = static_cast<size_t>(N % slots);
    products_from_states(plan, ring.run_states.data() + s * ring.nruns, G.data(), scratch.data());
    const double* R = ring.R.data() + s * ring.nrej;
    for (size_t i = 0; i < ring.nrej; i++) G[static_cast<size_t>(plan.np) + i] = R[i];
    uint64_t X_start = ring.X_start[s];
    X_end = ring.X_end[s];
    N = N + 1;
    ring.consumed.store(N, std::memory_order_release);
    mc_add_draw(sums, decider.decide(G.data(), X_start, X_end, stats));
    if (N % 100 != 0) continue;
    check = mc_check_sums(sums, N);
    if (mc_stop(N, minmc, maxmc, check, precision)) break;
  }
  ring.stop.store(true, std::memory_order_relaxed);
  walker.join();

  rand48_access::set(state, X_end);
  // The walker's count includes draws past the stopping point; it is a
  // statistic only.
  stats.literal_tests = walker_tests;
  stats.draws = N;
  if (draws) *draws = N;
  if (stats_out) *stats_out = stats;
  return check.r;
}

}  // namespace drevel
