// Genotype cells of a locus with k alleles: c = k(k+1)/2 cells (i, j), i >= j,
// stored as the lower triangle row by row from position 1 (the order of the
// counts in the input file).  A genotype cell vector is made by vector(0, c)
// and carries c, as a real, in element 0.
#ifndef DREVEL_EVIDENCE_CELLS_H
#define DREVEL_EVIDENCE_CELLS_H

namespace drevel {

// Position of cell (i, j), i >= j: j + i(i-1)/2.  (1,1) -> 1, (2,1) -> 2,
// (2,2) -> 3, (3,1) -> 4.  i < j prints "ERRO chamada funcao posvectinf\n"
// on stderr and exits with status 1.
int posvectinf(int i, int j);

// Position of element (i, j), j >= i, of a d-by-d upper triangle stored row
// by row from 1: i(i+1)/2 + (i-1)(d-i) + j - i.  j < i prints
// "ERRO funcao posvectsup\n" on stderr and exits with status 1.
int posvectsup(int i, int j, int d);

}  // namespace drevel

#endif
