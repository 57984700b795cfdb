// Two threads joined by a single-producer single-consumer ring of draws.
#include "evidence/fast_pipeline.h"

#include <atomic>
#include <thread>
#include <vector>

#include "evidence/draw_walker.h"
#include "evidence/shared_stream.h"
#include "evidence/monte_carlo.h"
#include "random/rand48_access.h"

namespace drevel {

namespace {

// Draw records in flight: enough to ride out a stall of either thread,
// few enough to stay in cache.
constexpr int64_t slots = 32;

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
        start(slots),
        R(slots * nrej),
        run_positions(slots * nruns) {}
  const size_t nrej, nruns;
  std::vector<uint64_t> X_start, X_end;
  std::vector<int64_t> start;  // each draw's first position
  std::vector<double> R;
  std::vector<int64_t> run_positions;
  alignas(64) std::atomic<int64_t> written{0};   // draws the walker has published
  alignas(64) std::atomic<int64_t> consumed{0};  // draws the evaluator is done with
  alignas(64) std::atomic<int64_t> walker_at{0};  // the start of the draw the walker is on
  alignas(64) std::atomic<bool> stop{false};
  alignas(64) std::atomic<bool> overrun{false};  // the walker met a draw too long
};

void walker_thread(const draw_plan& plan, const shared_stream& stream, bool portable,
                   draw_ring& ring, int64_t* literal_tests) {
  try {
    draw_walker walker(plan, stream, portable);
    for (int64_t n = 0;; n++) {
      int spins = 0;
      while (n - ring.consumed.load(std::memory_order_acquire) >= slots) {
        if (ring.stop.load(std::memory_order_relaxed)) return;
        wait_a_little(spins);
      }
      if (ring.stop.load(std::memory_order_relaxed)) return;
      ring.walker_at.store(walker.position(), std::memory_order_release);
      size_t s = static_cast<size_t>(n % slots);
      walker.walk_rejections(ring.R.data() + s * ring.nrej,
                             ring.run_positions.data() + s * ring.nruns, &ring.start[s],
                             &ring.X_start[s], &ring.X_end[s], literal_tests);
      ring.written.store(n + 1, std::memory_order_release);
    }
  } catch (const stream_stopped&) {
  } catch (const stream_overrun&) {
    ring.overrun.store(true, std::memory_order_release);
  }
}

// The smallest ring that holds 64 expected draws (twice the draws in
// flight), and at least 2^15 positions: the walker never needs more than
// one draw ahead of the oldest position still in use, so it can always be
// generated.
int stream_size_log2(const draw_plan& plan) {
  double span = 16;
  for (const product_run& run : plan.runs) span += run.uniforms;
  span += 7.0 * static_cast<double>(plan.rejection.size());
  int bits = 15;
  while (bits < 40 && static_cast<double>(int64_t{1} << bits) < 64 * span) bits++;
  return bits;
}

}  // namespace

double evidag_fast_pipeline(const draw_decider& decider, bool portable, int32_t maxmc,
                            int32_t minmc, double precision, rand48_state& state, int64_t* draws,
                            fast_stats* stats_out, int stream_log2) {
  const draw_plan& plan = decider.plan;
  draw_ring ring(plan);
  shared_stream stream(rand48_access::get(state),
                       stream_log2 > 0 ? stream_log2 : stream_size_log2(plan), portable);
  int64_t walker_tests = 0;
  std::thread walker(walker_thread, std::cref(plan), std::cref(stream), portable,
                     std::ref(ring), &walker_tests);

  std::vector<double> G(static_cast<size_t>(plan.c));
  std::vector<double> scratch(static_cast<size_t>(plan.max_run_uniforms) + 5);
  fast_stats stats;
  uint64_t X_end = rand48_access::get(state);
  int64_t N = 0, available = 0;
  mc_sums sums;
  mc_check check{0, 0, 0};
  // Positions below the oldest draw not yet evaluated (or, with none
  // published, the walker's current one) are no longer needed by either
  // thread.  The walker's position is read first: it announces a draw
  // before publishing the one before it, so a draw published after that
  // read starts at or after it.
  auto generate = [&]() {
    int64_t walker_at = ring.walker_at.load(std::memory_order_acquire);
    int64_t written = ring.written.load(std::memory_order_acquire);
    int64_t low = N < written ? ring.start[static_cast<size_t>(N % slots)] : walker_at;
    stream.generate(walker_at, low);
  };
  bool split = true;
  for (;;) {
    int spins = 0;
    while (N >= available) {
      // The overrun flag is read before the count: every draw the walker
      // published before giving up is then seen.
      bool overrun = ring.overrun.load(std::memory_order_acquire);
      available = ring.written.load(std::memory_order_acquire);
      if (N < available) break;
      if (overrun) {
        split = false;
        break;
      }
      generate();  // the walker may be waiting for uniforms
      wait_a_little(spins);
    }
    if (!split) break;
    size_t s = static_cast<size_t>(N % slots);
    products_at(plan, stream.uniforms(), stream.mask(),
                ring.run_positions.data() + s * ring.nruns, G.data(), scratch.data());
    const double* R = ring.R.data() + s * ring.nrej;
    for (size_t i = 0; i < ring.nrej; i++) G[static_cast<size_t>(plan.np) + i] = R[i];
    uint64_t X_start = ring.X_start[s];
    X_end = ring.X_end[s];
    N = N + 1;
    ring.consumed.store(N, std::memory_order_release);
    generate();
    mc_add_draw(sums, decider.decide(G.data(), X_start, X_end, stats));
    if (N % 100 != 0) continue;
    check = mc_check_sums(sums, N);
    if (mc_stop(N, minmc, maxmc, check, precision)) break;
  }
  ring.stop.store(true, std::memory_order_relaxed);
  stream.stop();
  walker.join();
  // The walker's count includes draws past the stopping point; it is a
  // statistic only.
  stats.literal_tests = walker_tests;
  // The rest of the run on this thread, from the last draw counted.
  if (!split) fast_loop(decider, portable, maxmc, minmc, precision, X_end, N, sums, check, stats);

  finish_fast_run(X_end, N, stats, state, draws, stats_out);
  return check.r;
}

}  // namespace drevel
