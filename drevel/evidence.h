// drevel's face for programs that embed it: the Bayesian evidence for
// Hardy-Weinberg equilibrium at one locus from its genotype counts, the
// values the command line writes in a table row for the same counts.
//
// The face is this header, drevel/many_loci.h (many loci on threads, in
// their order), schema/table_schema.h (the table's columns and STATUS
// words) and fault/status.h (how a call reports a fault).  Nothing else of
// the tree is meant for outside callers.
//
// Counts are given for k alleles as the c = k(k+1)/2 genotype counts in
// lower-triangle order, row by row: cell (i, j), i >= j, 1-based, at
// position j + i(i-1)/2 - 1 (two alleles: hom 1/1, het 2/1, hom 2/2).  The
// alleles given are the alleles tested, as in a table row's GENOTYPES: a
// table row's GENOTYPES computed here gives that row's values, bit for bit.
#ifndef DREVEL_DREVEL_EVIDENCE_H
#define DREVEL_DREVEL_EVIDENCE_H

#include <vector>

#include "drevel/evidence_row.h"
#include "fault/status.h"

namespace drevel {

// Computes one locus on the calling thread into *row.  Faults (fault_kind
// usage, *row untouched): a number of counts that is not k(k+1)/2, a count
// that is negative or not finite, max_alleles outside 1..654.  A locus the
// computation refuses is no fault: its row says lost_to_rounding.
status compute_evidence(const std::vector<double>& counts, const evidence_tuning& tuning,
                        evidence_row* row);

}  // namespace drevel

#endif
