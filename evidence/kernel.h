// The Dirichlet log-kernel over genotype cells and its unconstrained maximum.
// alpha is the parameter vector (count + 1.0001 per cell), theta a frequency
// vector; both are genotype cell vectors read at 1..n.
#ifndef DREVEL_EVIDENCE_KERNEL_H
#define DREVEL_EVIDENCE_KERNEL_H

namespace drevel {

// L = sum over t = 1..n of (alpha[t] - 1) * ln theta[t], accumulated as
// sum = d * log(theta[t]) + sum in increasing t; 0 for n <= 0.  A zero
// frequency gives -inf, a negative one a NaN: both are passed on.
double LogDNFunc(const double* alpha, const double* theta, int n);

// prod over t = 1..n of theta[t]^(alpha[t] - 1).
double DNFunc(const double* alpha, const double* theta, int n);

// Posterior mode of the Dirichlet: m[t] = (alpha[t] - 1) / S for t < n with
// S = sum(alpha - 1), m[n] = 1 - sum of the others; *L = LogDNFunc(alpha, m, n).
// m is the caller's, written at 1..n; n >= 1.  A null m prints
// "ERROR: argmax vector must be allocated\n" on stderr and exits with status 1.
void Find_Argmax(const double* alpha, double* m, double* L, int n);

}  // namespace drevel

#endif
