// The Monte Carlo estimate of whole runs, literal against fast on one and
// two threads, on the loci kept beside this file: ten alleles (55 cells,
// mostly rejection-branch), twenty alleles (210 cells, mostly product
// branch), and twenty alleles run to maxmc (2.1 million draws).  Each
// benchmark reports its draws and the fast engine's replays.
//
//   build/bench/drevel_bench --benchmark_filter=fast_engine --benchmark_repetitions=3
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "app/run.h"
#include "evidence/equilibrium.h"
#include "evidence/monte_carlo.h"
#include "fast/fast_engine.h"
#include "numeric/nrutil.h"

using namespace drevel;

namespace {

struct locus {
  int k = 0, c = 0;
  std::vector<double> alpha;
  double precision = 0, L_hyp = 0;
  int32_t minmc = 0, maxmc = 0;
};

locus read_locus(const char* file) {
  std::string in = std::string(DREVEL_BENCH_DIR) + "/" + file, out = "/dev/null";
  char* argv[] = {const_cast<char*>("drevel"), &in[0], &out[0], nullptr};
  locus l;
  double* alpha;
  Read_Data(3, argv, &l.k, &l.c, &alpha, &l.precision, &l.minmc, &l.maxmc);
  l.alpha.assign(alpha, alpha + l.c + 1);
  free_vector(alpha, 0, l.c);
  std::vector<double> h(static_cast<size_t>(l.c) + 1);
  Find_Argmax_Hyp(l.alpha.data(), h.data(), &l.L_hyp, l.k, l.c);
  return l;
}

// threads 0: the literal evaluation.
void BM_fast_engine(benchmark::State& state, const char* file, int threads) {
  locus l = read_locus(file);
  int64_t draws = 0;
  fast_stats stats;
  for (auto _ : state) {
    rand48_state g;
    double r;
    if (threads == 0) {
      r = evidag_mtcar(l.alpha.data(), l.L_hyp, l.maxmc, l.minmc, l.precision, l.c, g, &draws);
    } else {
      fast_options options;
      options.threads = threads;
      r = evidag_fast(l.alpha.data(), l.L_hyp, l.maxmc, l.minmc, l.precision, l.c, g, &draws,
                      options, &stats);
    }
    benchmark::DoNotOptimize(r);
  }
  state.counters["draws"] = static_cast<double>(draws);
  state.counters["replays"] = static_cast<double>(stats.kernel_replays);
  state.counters["literal_tests"] = static_cast<double>(stats.literal_tests);
}

#define DREVEL_ENGINE_BENCH(name, file, iterations)                                     \
  BENCHMARK_CAPTURE(BM_fast_engine, name##_literal, file, 0)                            \
      ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(iterations);           \
  BENCHMARK_CAPTURE(BM_fast_engine, name##_fast_1thread, file, 1)                       \
      ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(iterations);           \
  BENCHMARK_CAPTURE(BM_fast_engine, name##_fast_2threads, file, 2)                      \
      ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(iterations)

DREVEL_ENGINE_BENCH(k10, "locus10.txt", 3);
DREVEL_ENGINE_BENCH(k20, "locus20.txt", 2);
DREVEL_ENGINE_BENCH(k20_maxmc, "locus20_maxmc.txt", 1);

}  // namespace
