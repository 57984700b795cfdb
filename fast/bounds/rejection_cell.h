// The constants of a rejection-branch cell (gamma shape a >= 6) as gamadev
// computes them, and what the squeezes need besides.
#ifndef DREVEL_FAST_BOUNDS_REJECTION_CELL_H
#define DREVEL_FAST_BOUNDS_REJECTION_CELL_H

#include <cmath>

namespace drevel {

struct rejection_cell {
  double am;        // a - 1
  double s;         // sqrt((am + am) + 1)
  double inv_am;    // 1 / am, rounded
  bool squeeze;     // false when the constants leave the range of the bound
  bool polynomial;  // am <= 2^20: the range of polynomial_acceptance's bound
};

inline rejection_cell make_rejection_cell(double a) {
  rejection_cell cell;
  cell.am = a - 1;
  cell.s = std::sqrt((cell.am + cell.am) + 1);
  cell.inv_am = 1 / cell.am;
  cell.squeeze = std::isfinite(cell.s) && cell.am < 0x1p900;
  cell.polynomial = cell.am <= 0x1p20;
  return cell;
}

// gamadev's own acceptance test of an attempt with x > 0, with the
// library's log and exp: +1 accepts (u3 <= e), -1 rejects.
inline int literal_acceptance(const rejection_cell& cell, double x, double y, double u3) {
  double e = (y * y + 1) * std::exp(cell.am * std::log(x / cell.am) - cell.s * y);
  return u3 > e ? -1 : 1;
}

}  // namespace drevel

#endif
