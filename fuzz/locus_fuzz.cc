// The locus computation on any counts, from 0 to near the largest double:
// the fast engine on one and two threads against the literal one (the same
// fault, bit for bit the same values, draws and final stream), and what a
// computed locus must satisfy: E in [0, 1], finite maxima, L_max not below
// L_hyp by more than rounding.
#include <cfloat>
#include <cmath>
#include <cstring>
#include <vector>

#include "evidence/dirichlet_prior.h"
#include "fuzz/fuzz_target.h"
#include "locus/locus_evidence.h"

using namespace drevel;

namespace {

// The input as bytes taken in turn; zeros once it runs out.
struct byte_reader {
  const uint8_t* data;
  size_t size, at = 0;
  unsigned next() { return at < size ? data[at++] : 0; }
};

// A count from three bytes: a mantissa of 0..4095, sometimes in sixteenths,
// times a power of ten up to 1e19, or from 1e290 to 1e305.
double count_of(byte_reader& in) {
  unsigned b0 = in.next(), b1 = in.next(), b2 = in.next();
  double value = static_cast<double>(b0 | (b1 & 0x0f) << 8);
  if (b1 & 0x10) value /= 16;
  int exponent = b2 >= 240 ? 290 + static_cast<int>(b2 - 240) : static_cast<int>(b2 % 20);
  return value * std::pow(10.0, exponent);
}

struct locus_run {
  locus_result result;
  rand48_state state;
};

bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  byte_reader in{data, size};
  const int k = 1 + static_cast<int>(in.next() % 9);  // 8 and 9 reach the two-thread split
  const int c = k * (k + 1) / 2;
  std::vector<double> alpha(c + 1);
  alpha[0] = c;
  for (int n = 1; n <= c; n++) alpha[n] = cell_parameter(count_of(in));
  unsigned p = in.next();
  const double precision = p < 16 ? 0.005 : 0.001 * (p % 50 + 1);
  const int32_t minmc = static_cast<int32_t>(in.next() * 8);
  const int32_t maxmc = static_cast<int32_t>(100 + in.next() * 16);

  auto run = [&](mc_engine engine, int threads) {
    locus_run r;
    engine_choice choice;
    choice.engine = engine;
    choice.threads = threads;
    r.result = compute_locus(k, c, alpha.data(), mc_rule{maxmc, minmc, precision}, r.state, choice);
    return r;
  };
  const locus_run literal_run = run(mc_engine::literal, 1);
  const locus_result& literal = literal_run.result;
  for (int threads : {1, 2}) {
    const locus_run fast_run = run(mc_engine::fast, threads);
    const locus_result& fast = fast_run.result;
    if (fast.fault != literal.fault) fuzz_failure("the engines refuse differently");
    if (fast.fault != locus_fault::none) continue;
    if (!same_bits(fast.E, literal.E) || !same_bits(fast.L_max, literal.L_max) ||
        !same_bits(fast.L_hyp, literal.L_hyp) || fast.draws != literal.draws ||
        fast.hits != literal.hits || fast.end != literal.end || fast_run.state != literal_run.state)
      fuzz_failure("the fast engine differs from the literal one");
    for (int n = 1; n <= c; n++)
      if (!same_bits(fast.mode[n], literal.mode[n]) || !same_bits(fast.fit[n], literal.fit[n]))
        fuzz_failure("the engines' maxima differ");
  }
  if (literal.fault != locus_fault::none) return 0;
  if (!(literal.E >= 0 && literal.E <= 1)) fuzz_failure("E outside [0, 1]");
  if (!std::isfinite(literal.L_max) || !std::isfinite(literal.L_hyp))
    fuzz_failure("a maximum is not finite");
  double total = 0;
  for (int n = 1; n <= c; n++) total += alpha[n] - 1;
  if (literal.L_hyp - literal.L_max > 4.0 * c * DBL_EPSILON * (total + std::fabs(literal.L_max)))
    fuzz_failure("L_max below L_hyp");
  if (literal.draws < 1 || literal.draws > (maxmc > minmc ? maxmc : minmc) + 100)
    fuzz_failure("a draw count out of its range");
  return 0;
}
