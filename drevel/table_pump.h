// The inside of the face's tables: the sites of a source through the batch
// computation, back in order, into the table's text.
#ifndef DREVEL_DREVEL_TABLE_PUMP_H
#define DREVEL_DREVEL_TABLE_PUMP_H

#include <functional>
#include <string>
#include <vector>

#include "drevel/evidence_row.h"
#include "drevel/table_scan.h"
#include "fault/status.h"
#include "sites/site_source.h"
#include "sites/site_table.h"

namespace drevel {
namespace internal {

// Checks tuning and threads (usage faults), then computes every site of
// `source` and appends the header and the rows of `layout` (group names
// from group_names when the layout has groups) to table->text.  A read
// failure is an input fault with the source's message.
status pump_table(site_source& source, const table_layout& layout,
                  const std::vector<std::string>* group_names, const evidence_tuning& tuning,
                  int threads, scanned_table* table, const std::function<bool()>& interrupted);

}  // namespace internal
}  // namespace drevel

#endif
