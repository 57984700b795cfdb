// The error model every bound of the fast engine rests on
// (docs/fast-engine.md, "The error model"): the C library's
// log and exp are taken to be within a relative error fast_eps of the exact
// functions for normal results, and u is the unit roundoff of double.
#ifndef DREVEL_FAST_BOUNDS_ERROR_MODEL_H
#define DREVEL_FAST_BOUNDS_ERROR_MODEL_H

namespace drevel {

// Relative error bound, against the exact function, that the engine assumes
// for fast_log AND for the C library's log and exp.  fast_log is within
// 2^-48.8 (fast_log.h); glibc documents errors below 1 ulp (2^-52).  2^-44
// leaves a wide margin.
constexpr double fast_eps = 0x1p-44;

// u = 2^-53, the relative rounding error of one operation on normal doubles.
constexpr double unit_roundoff = 0x1p-53;

// gamma_n = n u / (1 - n u), the relative error of n operations in a row
// (Higham's notation); n up to about 2^50.
constexpr double rounding_gamma(double n) {
  return n * unit_roundoff / (1 - n * unit_roundoff);
}

}  // namespace drevel

#endif
