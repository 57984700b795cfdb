// The input file: k, the c counts in lower-triangle order, then precision,
// minmc and maxmc, read with the C library's formatted input so that every
// item ends exactly where "%ld" or "%lf" stops (3.0 as k reads 3, then .0).
#include <unistd.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "app/run.h"
#include "sites/tuning.h"
#include "numeric/nrutil.h"

namespace drevel {

namespace {

const char* const input_format_text =
    "\nINPUT FORMAT:\nAlleles \nX(1,1), \nX(2,1), X(2,2), \nX(3,1), X(3,2), X(3,3) \n... \n"
    "X(k,1) ... X(k,k) \nprecision minmc maxmc\n\nFor more instructions,see README.TXT\n";

// k(k+1) is formed in 32-bit arithmetic.
const long max_alleles = 46340;

[[noreturn]] void fail(FILE* in, const char* message) {
  if (in) std::fclose(in);
  std::fputs(message, stderr);
  std::exit(1);
}

[[noreturn]] void fail_number(const char* format, long long value) {
  std::fprintf(stderr, format, value);
  std::exit(1);
}

// Rough peak heap of a run with k alleles: the (k+1)^2 table and the two
// (k-1)^2 matrices of the equilibrium fit, and four cell vectors.
bool fits_in_memory(long k) {
  double kk = static_cast<double>(k);
  double bytes = 8.0 * ((kk + 1) * (kk + 1) + 2 * kk * kk + 4 * (kk * (kk + 1) / 2 + 2));
  double pages = static_cast<double>(sysconf(_SC_PHYS_PAGES));
  double page = static_cast<double>(sysconf(_SC_PAGE_SIZE));
  return pages <= 0 || page <= 0 || bytes < pages * page;
}

// (i, j) of the cell at position n of the lower triangle.
void cell_of(int n, int* i, int* j) {
  int row = 1;
  while (row * (row + 1) / 2 < n) row++;
  *i = row;
  *j = n - row * (row - 1) / 2;
}

void check_counts(const double* counts, int c) {
  for (int n = 1; n <= c; n++) {
    double x = counts[n];
    int i, j;
    cell_of(n, &i, &j);
    if (!std::isfinite(x)) {
      std::fprintf(stderr, "ERROR: count %d (genotype %d/%d) is not a finite number: %g\n", n, i,
                   j, x);
      std::exit(1);
    }
    if (x < 0) {
      std::fprintf(stderr, "ERROR: count %d (genotype %d/%d) is negative: %.17g\n", n, i, j, x);
      std::exit(1);
    }
  }
}

void check_tuning(double precision, long minmc, long maxmc) {
  if (!std::isfinite(precision)) {
    std::fprintf(stderr, "ERROR: precision is not a finite number: %g\n", precision);
    std::exit(1);
  }
  if (minmc < INT32_MIN || minmc > INT32_MAX)
    fail_number("ERROR: minmc does not fit in 32 bits: %lld\n", minmc);
  if (maxmc < INT32_MIN || maxmc > INT32_MAX)
    fail_number("ERROR: maxmc does not fit in 32 bits: %lld\n", maxmc);
}

}  // namespace

int Read_Data(int argc, char** argv, int* k_out, int* c_out, double** alpha_out,
              double* precision_out, int32_t* minmc_out, int32_t* maxmc_out) {
  if (argc <= 2) {
    std::fputs("\nSINTAX: drevel <inputfile> <outputfile> \n", stderr);
    std::exit(2);
  }
  FILE* in = std::fopen(argv[1], "r");
  if (!in) fail(nullptr, "ERROR: Unable to open input file\n");

  long k;
  if (std::fscanf(in, "%ld", &k) != 1) fail(in, input_format_text);
  if (k < 1) {
    std::fclose(in);
    fail_number("ERROR: the number of alleles must be at least 1, not %lld\n", k);
  }
  if (k > max_alleles) {
    std::fclose(in);
    fail_number("ERROR: the number of alleles is too large: %lld (at most 46340)\n", k);
  }
  if (!fits_in_memory(k)) {
    std::fclose(in);
    fail_number("ERROR: the number of alleles is too large for this machine's memory: %lld\n", k);
  }
  int c = static_cast<int>(k * (k + 1) / 2);

  double* alpha = vector(0, c);
  alpha[0] = c;
  double* counts = vector(1, c);
  for (int n = 1; n <= c; n++) {
    if (std::fscanf(in, "%lf", &counts[n]) != 1)
      fail(in, "ERROR: Data file incompatible with number of alleles\n");
    alpha[n] = counts[n] + 1.0001;
  }

  double precision;
  long minmc, maxmc;
  if (std::fscanf(in, "%lf %ld %ld", &precision, &minmc, &maxmc) != 3) fail(in, input_format_text);
  std::fclose(in);

  check_counts(counts, c);
  free_vector(counts, 1, c);
  check_tuning(precision, minmc, maxmc);

  long long minmc_value = minmc, maxmc_value = maxmc;
  tuning_status defaults = apply_tuning_defaults(c, &precision, &minmc_value, &maxmc_value);
  if (defaults == tuning_status::minmc_overflow)
    fail_number("ERROR: the default minmc, 500 * %lld cells, does not fit in 32 bits; give minmc in the input file\n", c);
  if (defaults == tuning_status::maxmc_overflow)
    fail_number("ERROR: the default maxmc, 10000 * %lld cells, does not fit in 32 bits; give maxmc in the input file\n", c);
  minmc = static_cast<long>(minmc_value);
  maxmc = static_cast<long>(maxmc_value);

  *k_out = static_cast<int>(k);
  *c_out = c;
  *alpha_out = alpha;
  *precision_out = precision;
  *minmc_out = static_cast<int32_t>(minmc);
  *maxmc_out = static_cast<int32_t>(maxmc);
  return 1;
}

}  // namespace drevel
