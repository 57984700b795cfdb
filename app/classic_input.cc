#include "app/classic_input.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstring>

#include "evidence/dirichlet_prior.h"
#include "numeric/nrutil.h"
#include "sites/tuning.h"

namespace drevel {

namespace {

const char* const input_format_text =
    "\nINPUT FORMAT:\nAlleles \nX(1,1), \nX(2,1), X(2,2), \nX(3,1), X(3,2), X(3,3) \n... \n"
    "X(k,1) ... X(k,k) \nprecision minmc maxmc\n\nFor more instructions,see README.TXT\n";

template <typename... Args>
std::string formatted(const char* format, Args... args) {
  char buf[512];
  std::snprintf(buf, sizeof buf, format, args...);
  return buf;
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

// The first count that is not finite or is negative, as its message.
bool check_counts(const double* counts, int c, std::string* message) {
  for (int n = 1; n <= c; n++) {
    double x = counts[n];
    int i, j;
    if (!std::isfinite(x)) {
      cell_of(n, &i, &j);
      *message = formatted("ERROR: count %d (genotype %d/%d) is not a finite number: %g\n", n, i,
                           j, x);
      return false;
    }
    if (x < 0) {
      cell_of(n, &i, &j);
      *message =
          formatted("ERROR: count %d (genotype %d/%d) is negative: %.17g\n", n, i, j, x);
      return false;
    }
  }
  return true;
}

bool check_tuning(double precision, long minmc, long maxmc, std::string* message) {
  if (!std::isfinite(precision)) {
    *message = formatted("ERROR: precision is not a finite number: %g\n", precision);
    return false;
  }
  if (minmc < INT32_MIN || minmc > INT32_MAX) {
    *message = formatted("ERROR: minmc does not fit in 32 bits: %lld\n",
                         static_cast<long long>(minmc));
    return false;
  }
  if (maxmc < INT32_MIN || maxmc > INT32_MAX) {
    *message = formatted("ERROR: maxmc does not fit in 32 bits: %lld\n",
                         static_cast<long long>(maxmc));
    return false;
  }
  return true;
}

}  // namespace

classic_input::~classic_input() {
  if (alpha_) free_vector(alpha_, 0, c);
}

double* classic_input::release() {
  double* a = alpha_;
  alpha_ = nullptr;
  return a;
}

std::FILE* open_classic_input(const std::string& path, std::string* message) {
  const char* const cannot_open = "ERROR: Unable to open input file\n";
  std::FILE* in = std::fopen(path.c_str(), "r");
  if (!in) {
    *message = cannot_open + path + ": " + std::strerror(errno) + "\n";
    return nullptr;
  }
  // A directory opens for reading on Linux and fails only at the first read.
  struct stat st;
  if (fstat(fileno(in), &st) == 0 && S_ISDIR(st.st_mode)) {
    std::fclose(in);
    *message = cannot_open + path + ": " + std::strerror(EISDIR) + "\n";
    return nullptr;
  }
  return in;
}

int read_classic_input(std::FILE* in, long max_alleles, classic_input* input,
                       std::string* message) {
  if (max_alleles > classic_max_alleles) max_alleles = classic_max_alleles;
  long k;
  if (std::fscanf(in, "%ld", &k) != 1) {
    *message = input_format_text;
    return 1;
  }
  if (k < 1) {
    *message = formatted("ERROR: the number of alleles must be at least 1, not %lld\n",
                         static_cast<long long>(k));
    return 1;
  }
  if (k > max_alleles) {
    *message = formatted("ERROR: the number of alleles is too large: %lld (at most %ld)\n",
                         static_cast<long long>(k), max_alleles);
    return 1;
  }
  if (!fits_in_memory(k)) {
    *message = formatted(
        "ERROR: the number of alleles is too large for this machine's memory: %lld\n",
        static_cast<long long>(k));
    return 1;
  }
  int c = static_cast<int>(k * (k + 1) / 2);

  if (input->alpha_) free_vector(input->alpha_, 0, input->c);
  input->alpha_ = nullptr;
  double* alpha = vector(0, c);
  alpha[0] = c;
  double* counts = vector(1, c);
  auto fail = [&](const std::string& text) {
    free_vector(alpha, 0, c);
    free_vector(counts, 1, c);
    *message = text;
    return 1;
  };
  for (int n = 1; n <= c; n++) {
    if (std::fscanf(in, "%lf", &counts[n]) != 1)
      return fail("ERROR: Data file incompatible with number of alleles\n");
    alpha[n] = cell_parameter(counts[n]);
  }

  double precision;
  long minmc, maxmc;
  if (std::fscanf(in, "%lf %ld %ld", &precision, &minmc, &maxmc) != 3)
    return fail(input_format_text);

  std::string problem;
  if (!check_counts(counts, c, &problem) || !check_tuning(precision, minmc, maxmc, &problem))
    return fail(problem);

  long long minmc_value = minmc, maxmc_value = maxmc;
  tuning_status defaults = apply_tuning_defaults(c, &precision, &minmc_value, &maxmc_value);
  if (defaults == tuning_status::minmc_overflow)
    return fail(formatted("ERROR: the default minmc, 500 * %lld cells, does not fit in 32 bits; "
                          "give minmc in the input file\n",
                          static_cast<long long>(c)));
  if (defaults == tuning_status::maxmc_overflow)
    return fail(formatted("ERROR: the default maxmc, 10000 * %lld cells, does not fit in 32 "
                          "bits; give maxmc in the input file\n",
                          static_cast<long long>(c)));
  free_vector(counts, 1, c);

  input->k = static_cast<int>(k);
  input->c = c;
  input->alpha_ = alpha;
  input->precision = precision;
  input->minmc = static_cast<int32_t>(minmc_value);
  input->maxmc = static_cast<int32_t>(maxmc_value);
  return 0;
}

}  // namespace drevel
