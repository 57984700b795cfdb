// The largest Dirichlet log-kernel under Hardy-Weinberg equilibrium,
// theta(i,i) = p(i)^2 and theta(i,j) = 2 p(i) p(j) for i > j.
#ifndef DREVEL_EVIDENCE_EQUILIBRIUM_H
#define DREVEL_EVIDENCE_EQUILIBRIUM_H

namespace drevel {

// On the equilibrium set L = sum_i s(i) ln p(i) + const, with s(i) the allele
// total of the pseudo-counts alpha - 1 (a homozygote counts twice), so the
// maximum is at p(i) = s(i) / sum_t s(t).  It is reached by solving the
// (k-1)-square system s(k) p(i) + s(i) sum_{j<k} p(j) = s(i) with Inversa
// and ProdMatVet, and p(k) = 1 - sum_{i<k} p(i).
// alpha: parameter vector (cells 1..c, read only); h: genotype cell vector
// of the caller's, cells 1..c receive the fitted frequencies; *L receives
// LogDNFunc(alpha, h, c); k >= 1 alleles, c = k(k+1)/2.  Counts must be >= 0
// (negative ones can make the system singular, which is fatal in ludcmp).
void Find_Argmax_Hyp(const double* alpha, double* h, double* L, int k, int c);

}  // namespace drevel

#endif
