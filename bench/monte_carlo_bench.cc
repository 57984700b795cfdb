// Draws per second of the Monte Carlo estimate, and whole runs on the input
// files kept beside this file.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "app/run.h"
#include "evidence/dirichlet_prior.h"
#include "evidence/equilibrium.h"
#include "evidence/monte_carlo.h"
#include "numeric/nrutil.h"
#include "random/rand48.h"

using namespace drevel;

namespace {

// Counts for k alleles that mix both gamma branches: every third cell has a
// count of 5 or more (shape >= 6, rejection), the rest 0..4 (product).
std::vector<double> mixed_alpha(int k) {
  int c = k * (k + 1) / 2;
  std::vector<double> alpha(c + 1);
  alpha[0] = c;
  for (int n = 1; n <= c; n++) alpha[n] = cell_parameter(n % 3 == 0 ? 5 + n % 17 : n % 5);
  return alpha;
}

void BM_evidag_mtcar_draws(benchmark::State& state) {
  int k = static_cast<int>(state.range(0)), c = k * (k + 1) / 2;
  std::vector<double> alpha = mixed_alpha(k), h(c + 1);
  double L_hyp;
  Find_Argmax_Hyp(alpha.data(), h.data(), &L_hyp, k, c);
  const int32_t draws = 2000;
  for (auto _ : state) {
    rand48_state g;
    benchmark::DoNotOptimize(evidag_mtcar(alpha.data(), L_hyp, draws, draws, 0.0, c, g, nullptr));
  }
  state.SetItemsProcessed(state.iterations() * draws);
  state.counters["cells"] = c;
}
BENCHMARK(BM_evidag_mtcar_draws)->Arg(2)->Arg(10)->Arg(20)->Unit(benchmark::kMillisecond);

// Read, compute and format as the command-line run does.
void BM_whole_run(benchmark::State& state, const char* file) {
  std::string in = std::string(DREVEL_BENCH_DIR) + "/" + file, out = "/dev/null";
  char* argv[] = {const_cast<char*>("drevel"), &in[0], &out[0], nullptr};
  int64_t draws = 0;
  for (auto _ : state) {
    int k, c;
    double *alpha, precision;
    int32_t minmc, maxmc;
    Read_Data(3, argv, &k, &c, &alpha, &precision, &minmc, &maxmc);
    double* m = vector(0, c);
    double* h = vector(0, c);
    double L_max, L_hyp, E;
    rand48_state g;
    CalcEvidence(k, c, alpha, m, h, &L_max, &L_hyp, &E, maxmc, minmc, precision, g, &draws);
    benchmark::DoNotOptimize(E);
    free_vector(alpha, 0, c);
    free_vector(m, 0, c);
    free_vector(h, 0, c);
  }
  state.counters["draws"] = static_cast<double>(draws);
}
BENCHMARK_CAPTURE(BM_whole_run, two_alleles, "../examples/two_alleles.txt")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_whole_run, k10_n300, "k10_n300.txt")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_whole_run, k20_n500, "k20_n500.txt")->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
