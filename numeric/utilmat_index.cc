// Index searches and the matrix text file.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "numeric/utilmat.h"

namespace drevel {

int IndMinimoVet(const double* v, int n) {
  int best = 1;
  for (int i = 2; i <= n; i++)
    if (v[best] > v[i]) best = i;
  return best;
}

int IndMaximoVet(const double* v, int n) {
  int best = 1;
  for (int i = 2; i <= n; i++)
    if (v[i] > v[best]) best = i;
  return best;
}

void IndMaximoMat(double** a, int32_t* result, int fldirec, int nrow, int ncol) {
  if (fldirec == 1) {
    for (int j = 1; j <= ncol; j++) {
      int best = 1;
      for (int i = 2; i <= nrow; i++)
        if (a[i][j] > a[best][j]) best = i;
      result[j] = best;
    }
  } else if (fldirec == 2) {
    for (int i = 1; i <= nrow; i++) {
      int best = 1;
      for (int j = 2; j <= ncol; j++)
        if (a[i][j] > a[i][best]) best = j;
      result[i] = best;
    }
  } else {
    std::fputs("IndMaximoMat Erro: fldirec deve ser 1 ou 2\n", stderr);
    std::exit(1);
  }
}

[[noreturn]] static void file_error(const char* what) {
  std::fprintf(stderr, "%s: %s\n", what, std::strerror(errno));
  std::exit(1);
}

void grava_matriz(double** a, const char* path, int nrow, int ncol) {
  FILE* out = std::fopen(path, "w");
  if (!out) file_error("arquivo de saida nao pode ser aberto");
  bool ok = true;
  for (int i = 1; i <= nrow && ok; i++) {
    for (int j = 1; j <= ncol - 1 && ok; j++) ok = std::fprintf(out, "%e\t", a[i][j]) >= 0;
    if (ok) ok = (ncol >= 1 ? std::fprintf(out, "%e\n", a[i][ncol]) : std::fputs("\n", out)) >= 0;
  }
  if (!ok) {
    int saved = errno;
    std::fclose(out);
    errno = saved;
    file_error("arquivo de saida nao pode ser gravado");
  }
  if (std::fclose(out) != 0) file_error("arquivo de saida nao pode ser gravado");
}

}  // namespace drevel
