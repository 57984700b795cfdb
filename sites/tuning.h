// The tuning values of a computation (Monte Carlo tolerance and draw bounds)
// and their defaults, shared by the classic run and the VCF mode.
#ifndef DREVEL_SITES_TUNING_H
#define DREVEL_SITES_TUNING_H

namespace drevel {

// Outcome of apply_tuning_defaults.
enum class tuning_status { ok, minmc_overflow, maxmc_overflow };

// Replaces each value that is 0 by its default for c cells, each on its own:
// precision 0 (negative zero included) by 0.005, minmc 0 by 500*c, maxmc 0
// by 10000*c.  Any other value, negative ones included, stays.  When a
// default does not fit in 32 bits the value is left at 0 and the status
// names it (minmc is tested first); nothing is printed.
tuning_status apply_tuning_defaults(int c, double* precision, long long* minmc,
                                    long long* maxmc);

}  // namespace drevel

#endif
