// Deviates per second of the normal, Poisson and binomial deviates, with the
// set-up values of poissondev and binomdev reused (the same arguments on
// every call) and recomputed (two arguments taken in turn).
#include <benchmark/benchmark.h>

#include "random/rand48.h"
#include "random/randomic.h"

using namespace drevel;

namespace {

void BM_normaldev(benchmark::State& state) {
  rand48_state g;
  for (auto _ : state) benchmark::DoNotOptimize(normaldev(g));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_normaldev);

// range(0): the mean; range(1): 1 to alternate with mean + 1, so that every
// call recomputes exp, log and gammln.
void BM_poissondev(benchmark::State& state) {
  double mean = static_cast<double>(state.range(0));
  bool alternate = state.range(1) != 0;
  rand48_state g;
  int i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(poissondev(alternate && (i++ & 1) ? mean + 1 : mean, g));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_poissondev)->Args({3, 0})->Args({20, 0})->Args({20, 1})->Args({1000, 0});

// range(0): trials at probability 0.3; range(1): 1 to alternate with 0.31.
void BM_binomdev(benchmark::State& state) {
  int n = static_cast<int>(state.range(0));
  bool alternate = state.range(1) != 0;
  rand48_state g;
  int i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(binomdev(alternate && (i++ & 1) ? 0.31 : 0.3, n, g));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_binomdev)->Args({10, 0})->Args({100, 0})->Args({100, 1})->Args({10000, 0});

}  // namespace
