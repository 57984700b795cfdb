// Cell indexing of the lower and upper triangles.
#include "evidence/cells.h"

#include <cstdio>
#include <cstdlib>

namespace drevel {

int posvectinf(int i, int j) {
  if (i < j) {
    std::fputs("ERRO chamada funcao posvectinf\n", stderr);
    std::exit(1);
  }
  return j + i * (i - 1) / 2;
}

int posvectsup(int i, int j, int d) {
  if (j < i) {
    std::fputs("ERRO funcao posvectsup\n", stderr);
    std::exit(1);
  }
  return i * (i + 1) / 2 + (i - 1) * (d - i) + j - i;
}

}  // namespace drevel
