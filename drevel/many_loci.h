// drevel's face for many loci at once (drevel/evidence.h is the face for
// one and describes the counts): each locus computed exactly as
// compute_evidence computes it, the loci of up to about six alleles many at
// a time through the batch engine, on `threads` threads, the results in the
// loci's order.  The values depend neither on the threads nor on the other
// loci.
#ifndef DREVEL_DREVEL_MANY_LOCI_H
#define DREVEL_DREVEL_MANY_LOCI_H

#include <functional>
#include <vector>

#include "drevel/evidence.h"
#include "fault/status.h"

namespace drevel {

// Computes every locus of `loci` (each its genotype counts, any k) into
// *rows, one row per locus in the same order.  threads >= 1 compute; the
// calling thread waits for them.  `interrupted`, when given, is asked from
// the calling thread about ten times a second: when it returns true no
// further locus is started, the loci being computed are finished (within
// about a second, unless each runs to millions of draws: a locus is not
// stopped halfway), and the call returns a fault of kind interrupted, *rows
// then unspecified.  Other faults (kind usage, before
// anything is computed): those of compute_evidence for the first locus
// that has one, its index in the message, or threads < 1; of kind
// resource, when the threads or their engines cannot be had ("cannot run
// N threads: ...").
status compute_many_loci(const std::vector<std::vector<double>>& loci,
                         const evidence_tuning& tuning, int threads,
                         std::vector<evidence_row>* rows,
                         const std::function<bool()>& interrupted = nullptr);

}  // namespace drevel

#endif
