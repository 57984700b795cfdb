#include "drevel/table_pump.h"

#include <chrono>
#include <utility>

#include "drevel/interrupt_poll.h"
#include "drevel/site_of_counts.h"
#include "sites/site_batch.h"
#include "sites/site_pool.h"

namespace drevel {
namespace internal {

namespace {

// As the command line's batch run: enough sites in flight that the batch
// engine's lanes stay full behind a slow site, few enough that memory stays
// small; the literal engine computes site by site.
size_t batch_sites_in_flight(int threads) { return 4096 * static_cast<size_t>(threads); }
size_t pool_sites_in_flight(int threads) { return 64 * static_cast<size_t>(threads); }

template <class Window>
status pump(Window& window, site_source& source, const table_layout& layout,
            const std::vector<std::string>* group_names, scanned_table* table,
            const std::function<bool()>& interrupted) {
  site_record site;
  site_evidence evidence;
  bool at_end = false;
  interrupt_poll poll(interrupted);
  while (!at_end || !window.empty()) {
    while (!at_end && !window.full()) {
      status read = source.next(&site, &at_end);
      for (std::string& w : source.take_warnings()) table->warnings.push_back(std::move(w));
      if (!read) return read;
      if (!at_end) window.submit(std::move(site));
    }
    const bool taken = window.take_next(poll_interval, &site, &evidence);
    if (taken) append_rows(layout, site, evidence, group_names, &table->text);
    if (poll.due(!taken) && poll.interrupted())
      return status(fault_kind::interrupted, "interrupted");
  }
  return status::ok();
}

}  // namespace

status pump_table(site_source& source, const table_layout& layout,
                  const std::vector<std::string>* group_names, const evidence_tuning& tuning,
                  int threads, scanned_table* table, const std::function<bool()>& interrupted) {
  if (threads < 1)
    return status(fault_kind::usage, "threads " + std::to_string(threads) + " is below 1");
  // The tuning's faults are those of any locus.
  status s = check_counts({0.0}, tuning);
  if (!s) return s;
  table->text += table_header(layout);
  const tuning_request t = tuning_of(tuning);
  if (tuning.literal) {
    const int max_alleles = tuning.max_alleles;
    site_pool pool(threads, pool_sites_in_flight(threads),
                   [t, max_alleles](const site_record& site) {
                     return compute_site_evidence(site, t, max_alleles);
                   });
    if (!pool.started()) return cannot_start(threads, pool.started());
    return pump(pool, source, layout, group_names, table, interrupted);
  }
  site_batch batch(t, tuning.max_alleles, threads, batch_sites_in_flight(threads));
  if (!batch.started()) return cannot_start(threads, batch.started());
  return pump(batch, source, layout, group_names, table, interrupted);
}

}  // namespace internal
}  // namespace drevel
