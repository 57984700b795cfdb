// The batch engine alone, in nanoseconds per draw, beside the per-site fast
// engine on the same loci: two-allele loci of 1000 diploids with every cell
// on the rejection branch (common alleles, the expensive sites), and loci
// shaped like a sequencing file (allele counts from the neutral spectrum,
// P(i) ~ 1/i, as bench/make_sequencing_vcf.py draws them, with a tenth of
// the sites with 3 to 5 alleles).  Default tuning values; no result cache,
// so every locus is computed.
//
//   build/bench/drevel_bench --benchmark_filter=batch
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "evidence/dirichlet_prior.h"
#include "evidence/equilibrium.h"
#include "fast/fast_engine.h"
#include "fast/batch/batch_engine.h"
#include "fast/batch/fixed_start_stream.h"

using namespace drevel;

namespace {

struct bench_locus {
  std::vector<double> alpha;
  double L_hyp;
  int32_t minmc, maxmc;
};

// Genotype counts of n diploids at allele frequencies p, in Hardy-Weinberg
// proportions; cells in lower-triangle order.
std::vector<double> hw_counts(std::mt19937_64& rng, const std::vector<double>& p, int n) {
  int k = static_cast<int>(p.size());
  std::discrete_distribution<int> allele(p.begin(), p.end());
  std::vector<double> counts(static_cast<size_t>(k * (k + 1) / 2), 0.0);
  for (int s = 0; s < n; s++) {
    int a = allele(rng), b = allele(rng);
    int i = std::max(a, b), j = std::min(a, b);
    counts[static_cast<size_t>(i * (i + 1) / 2 + j)] += 1;
  }
  return counts;
}

bench_locus locus_of(const std::vector<double>& counts, int k) {
  bench_locus l;
  int c = static_cast<int>(counts.size());
  l.alpha.assign(static_cast<size_t>(c) + 1, c);
  for (int m = 1; m <= c; m++) l.alpha[static_cast<size_t>(m)] = cell_parameter(counts[static_cast<size_t>(m - 1)]);
  std::vector<double> h(static_cast<size_t>(c) + 1);
  Find_Argmax_Hyp(l.alpha.data(), h.data(), &l.L_hyp, k, c);
  l.minmc = 500 * c;
  l.maxmc = 10000 * c;
  return l;
}

std::vector<bench_locus> common_loci(int n) {
  std::mt19937_64 rng(1);
  std::uniform_real_distribution<double> q(0.2, 0.5);
  std::vector<bench_locus> loci;
  for (int i = 0; i < n; i++) {
    double f = q(rng);
    loci.push_back(locus_of(hw_counts(rng, {1 - f, f}, 1000), 2));
  }
  return loci;
}

std::vector<bench_locus> sequencing_loci(int n) {
  std::mt19937_64 rng(2);
  const int chromosomes = 2000;
  std::vector<double> w;
  for (int i = 1; i < chromosomes; i++) w.push_back(1.0 / i);
  std::discrete_distribution<int> spectrum(w.begin(), w.end());
  std::vector<bench_locus> loci;
  for (int i = 0; i < n; i++) {
    int k = rng() % 10 == 0 ? 3 + static_cast<int>(rng() % 3) : 2;
    std::vector<double> p(static_cast<size_t>(k));
    double sum = 0;
    for (int a = 1; a < k; a++) sum += p[static_cast<size_t>(a)] = (spectrum(rng) + 1.0) / chromosomes;
    double scale = sum > 0.95 ? 0.95 / sum : 1;
    for (int a = 1; a < k; a++) p[static_cast<size_t>(a)] *= scale;
    p[0] = 1 - sum * scale;
    loci.push_back(locus_of(hw_counts(rng, p, 980), k));
  }
  return loci;
}

std::vector<batch_locus> batch_of(const std::vector<bench_locus>& loci) {
  std::vector<batch_locus> out;
  for (const bench_locus& l : loci) {
    batch_locus b;
    b.alpha = l.alpha.data();
    b.c = static_cast<int>(l.alpha.size()) - 1;
    b.L_hyp = l.L_hyp;
    b.minmc = l.minmc;
    b.maxmc = l.maxmc;
    b.precision = 0.005;
    out.push_back(b);
  }
  return out;
}

// path automatic with per_site true: the per-site fast engine, locus by locus.
void BM_batch(benchmark::State& state, std::vector<bench_locus> (*make)(int), int n,
              batch_path path, bool per_site) {
  std::vector<bench_locus> loci = make(n);
  std::vector<batch_locus> batch = batch_of(loci);
  fixed_start_stream::process().extend(1 << 20);  // once per process, not per run
  int64_t draws = 0;
  batch_stats stats;
  for (auto _ : state) {
    draws = 0;
    if (per_site) {
      for (const batch_locus& l : batch) {
        rand48_state g;
        int64_t d = 0;
        benchmark::DoNotOptimize(
            evidag_fast(l.alpha, l.L_hyp, l.maxmc, l.minmc, l.precision, l.c, g, &d));
        draws += d;
      }
    } else {
      batch_options options;
      options.path = path;
      std::vector<batch_result> results = run_batch(batch, options, 1, &stats);
      for (const batch_result& r : results) draws += r.draws;
    }
  }
  state.counters["draws"] = static_cast<double>(draws);
  state.counters["ns_per_draw"] = benchmark::Counter(
      static_cast<double>(draws) * static_cast<double>(state.iterations()),
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  if (!per_site) {
    // Per draw computed in lanes: attempts walked, attempts the tables left
    // open (the squeezes' share), and the share of lane steps that carried a
    // locus; and the loci that went to the per-site engine (restarted: at
    // the stream's end, their lanes' work lost).
    const double lane_draws = static_cast<double>(stats.draws);
    state.counters["steps_per_draw"] = static_cast<double>(stats.steps) / lane_draws;
    state.counters["attempts_per_draw"] = static_cast<double>(stats.attempts) / lane_draws;
    state.counters["open_per_draw"] = static_cast<double>(stats.open_attempts) / lane_draws;
    state.counters["lane_use"] = static_cast<double>(stats.attempts) /
                                 (static_cast<double>(stats.steps) * stats.width);
    state.counters["literal_tests"] = static_cast<double>(stats.literal_tests);
    state.counters["replays"] = static_cast<double>(stats.kernel_replays);
    state.counters["fills"] = static_cast<double>(stats.table_fills);
    state.counters["per_site"] = static_cast<double>(stats.per_site);
    state.counters["restarted"] = static_cast<double>(stats.restarted);
  }
}

#define DREVEL_BATCH_BENCH(name, make, n)                                                      \
  BENCHMARK_CAPTURE(BM_batch, name##_per_site, make, n, batch_path::scalar, true)              \
      ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);                           \
  BENCHMARK_CAPTURE(BM_batch, name##_scalar, make, n, batch_path::scalar, false)               \
      ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);                           \
  BENCHMARK_CAPTURE(BM_batch, name##_avx2, make, n, batch_path::avx2, false)                   \
      ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);                           \
  BENCHMARK_CAPTURE(BM_batch, name##_avx512, make, n, batch_path::avx512, false)               \
      ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2)

DREVEL_BATCH_BENCH(batch_common_k2, common_loci, 200);
DREVEL_BATCH_BENCH(batch_sequencing, sequencing_loci, 1000);

}  // namespace
