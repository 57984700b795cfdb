// The two-file run's input reader on any bytes: it reads or refuses, never
// crashes, and what it accepts is a locus the computation can take.
#include <cmath>
#include <cstdio>
#include <string>

#include "app/classic_input.h"
#include "evidence/dirichlet_prior.h"
#include "fuzz/fuzz_target.h"

using namespace drevel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  std::FILE* in = ::fmemopen(&text[0], text.size() + (text.empty() ? 1 : 0), "r");
  if (!in) return 0;
  classic_input input;
  std::string message;
  // Few alleles, so that the allocations stay small.
  int status = read_classic_input(in, 40, &input, &message);
  std::fclose(in);
  if (status != 0) {
    if (message.empty() || message.back() != '\n') fuzz_failure("a refusal without its message");
    return 0;
  }
  if (input.k < 1 || input.k > 40 || input.c != input.k * (input.k + 1) / 2)
    fuzz_failure("an allele count out of range");
  const double* alpha = input.alpha();
  if (alpha[0] != input.c) fuzz_failure("alpha[0] is not c");
  for (int n = 1; n <= input.c; n++)
    if (!std::isfinite(alpha[n]) || !(alpha[n] >= dirichlet_pseudo_count - 1e-12))
      fuzz_failure("a cell parameter below count + the pseudo-count or not finite");
  if (!std::isfinite(input.precision) || input.precision == 0)
    fuzz_failure("the precision default not applied");
  return 0;
}
