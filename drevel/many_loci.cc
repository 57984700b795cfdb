#include "drevel/many_loci.h"

#include <chrono>
#include <memory>
#include <string>
#include <utility>

#include "drevel/interrupt_poll.h"
#include "drevel/site_of_counts.h"
#include "sites/site_batch.h"
#include "sites/site_pool.h"

namespace drevel {

namespace {

// The loci in flight at once for each thread: enough to keep the batch
// engine's lanes full, few enough that memory stays small.
constexpr size_t loci_in_flight_per_thread = 256;

// Submits every locus to `window` (a site_batch or a site_pool) and takes
// the results back in order, asking `interrupted` about ten times a second.
template <class Window>
status run_window(Window& window, const std::vector<std::vector<double>>& loci,
                  std::vector<evidence_row>* rows, const std::function<bool()>& interrupted) {
  rows->clear();
  rows->reserve(loci.size());
  size_t submitted = 0;
  site_record site;
  site_evidence evidence;
  internal::interrupt_poll poll(interrupted);
  while (rows->size() < loci.size()) {
    while (submitted < loci.size() && !window.full())
      window.submit(internal::site_of_counts(loci[submitted++]));
    const bool taken = window.take_next(internal::poll_interval, &site, &evidence);
    if (taken) rows->push_back(internal::row_of(site.groups[0], std::move(evidence.groups[0])));
    if (poll.due(!taken) && poll.interrupted())
      return status(fault_kind::interrupted, "interrupted after " +
                                                 std::to_string(rows->size()) + " of " +
                                                 std::to_string(loci.size()) + " loci");
  }
  return status::ok();
}

}  // namespace

status compute_many_loci(const std::vector<std::vector<double>>& loci,
                         const evidence_tuning& tuning, int threads,
                         std::vector<evidence_row>* rows,
                         const std::function<bool()>& interrupted) {
  if (threads < 1)
    return status(fault_kind::usage, "threads " + std::to_string(threads) + " is below 1");
  for (size_t i = 0; i < loci.size(); i++) {
    status s = internal::check_counts(loci[i], tuning);
    if (!s) return status(s.kind(), "locus " + std::to_string(i + 1) + ": " + s.message());
  }
  const tuning_request t = internal::tuning_of(tuning);
  const size_t window = loci_in_flight_per_thread * static_cast<size_t>(threads);
  if (tuning.literal) {
    // The literal engine has no batch form: each locus on one thread.
    const int max_alleles = tuning.max_alleles;
    site_pool pool(threads, window, [t, max_alleles](const site_record& site) {
      return compute_site_evidence(site, t, max_alleles);
    });
    if (!pool.started()) return internal::cannot_start(threads, pool.started());
    return run_window(pool, loci, rows, interrupted);
  }
  site_batch batch(t, tuning.max_alleles, threads, window);
  if (!batch.started()) return internal::cannot_start(threads, batch.started());
  return run_window(batch, loci, rows, interrupted);
}

}  // namespace drevel
