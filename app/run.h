// The two-file run's reading of its input file and its evidence computation,
// under the names the command line has always had.
#ifndef DREVEL_APP_RUN_H
#define DREVEL_APP_RUN_H

#include <cstdint>

#include "random/rand48.h"
#include "locus/locus_evidence.h"

namespace drevel {

// Checks that argv names an input and a result file, reads the input file
// argv[1] and validates it.  Fills k, c = k(k+1)/2, the parameter vector
// *alpha (made by vector(0, c), element 0 = c, element n = count n + 1.0001;
// the caller owns it and frees it with free_vector(*alpha, 0, c)), and the
// tuning values, with 0 replaced by 0.005, 500*c and 10000*c.
// Returns 1.  On any failure it prints the message and ends the process:
// status 2 (the usage line) with fewer than two file names, else 1 with the
// message of open_classic_input or read_classic_input (app/classic_input.h).
int Read_Data(int argc, char** argv, int* k, int* c, double** alpha, double* precision,
              int32_t* minmc, int32_t* maxmc);

// Fills the posterior mode m and L_max, the equilibrium maximum h and L_hyp
// (m and h are genotype cell vectors of the caller's), and the evidence
// E = 1 - the Monte Carlo estimate.  Returns 1, or 0 when the locus checks
// refused the counts (locus/locus_check.h), their fault then in *fault when
// fault is not null (locus_fault::none on success).  The first form draws from a
// stream at the generator's fixed start, as the run's only consumer of
// uniforms; the second from the caller's stream, storing the number of
// draws when draws is not null.  Every engine and thread count gives the
// same E, draws and final stream state.
int CalcEvidence(int k, int c, const double* alpha, double* m, double* h, double* L_max,
                 double* L_hyp, double* E, int32_t maxmc, int32_t minmc, double precision,
                 const engine_choice& engine = engine_choice(), locus_fault* fault = nullptr);
int CalcEvidence(int k, int c, const double* alpha, double* m, double* h, double* L_max,
                 double* L_hyp, double* E, int32_t maxmc, int32_t minmc, double precision,
                 rand48_state& state, int64_t* draws,
                 const engine_choice& engine = engine_choice(), locus_fault* fault = nullptr);

}  // namespace drevel

#endif
