// Heap requests of the allocation library, shared by its units (nrutil.cc,
// nrutil_shapes.cc).  Not for callers of the library: they use the
// allocators of nrutil.h and nrutil_shapes.h.
#ifndef DREVEL_NUMERIC_ALLOCATE_H
#define DREVEL_NUMERIC_ALLOCATE_H

#include <cstddef>

namespace drevel {

// malloc of count elements of size bytes; null when the count is not
// positive or the byte count does not fit in size_t, so that no absurd or
// negative size ever reaches malloc.  The caller reports the null.
void* allocate(long long count, size_t size);

}  // namespace drevel

#endif
