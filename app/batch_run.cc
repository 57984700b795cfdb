#include "app/batch_run.h"

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <new>
#include <system_error>

#include "app/progress.h"
#include "app/read_ahead.h"
#include "io/atomic_output.h"
#include "io/output_path.h"
#include "sites/site_batch.h"
#include "sites/site_pool.h"

namespace drevel {

namespace {

// The table goes to standard output or, through a temporary file, to a file
// that appears only once it is complete.  A fault's message is the system's
// reason, empty when standard output failed without one.
class table_output {
 public:
  status open(const std::string& path) {
    to_stdout_ = path == "-";
    name_ = to_stdout_ ? "standard output" : path;
    if (to_stdout_) return status::ok();
    file_.remove_on_exit();  // before open: covered from the moment it exists
    return file_.open(path);
  }
  status write(const std::string& text) {
    if (!to_stdout_) return file_.write(text);
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), stdout) == text.size()) return status::ok();
    return stdout_fault();
  }
  // Completes the table, where a full disk or a closed pipe shows; only a
  // file's rename is left for publish.
  status finish() {
    if (!to_stdout_) return file_.finish();
    errno = 0;
    if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return status::ok();
    return stdout_fault();
  }
  status publish() { return to_stdout_ ? status::ok() : file_.publish(); }
  void abandon() {
    if (!to_stdout_) file_.abandon();
  }
  const std::string& name() const { return name_; }

 private:
  static status stdout_fault() {
    return status(fault_kind::output, errno ? std::strerror(errno) : "");
  }
  bool to_stdout_ = false;
  std::string name_;
  atomic_output file_;
};

// Room for every worker to have sites queued behind the one it computes,
// so that a slow multi-allelic site does not leave the others idle.
size_t sites_in_flight(int threads) { return 64 * static_cast<size_t>(threads); }

// The batch engine walks many sites at once on each thread: enough in
// flight that its lanes stay full behind a slow site, few enough that memory
// stays small.
size_t batch_sites_in_flight(int threads) { return 4096 * static_cast<size_t>(threads); }

// What the rows said, for the notes after the table.
struct row_notes {
  uint64_t not_computed = 0;  // too many alleles
  uint64_t lost = 0;          // lost to rounding
  std::string first_lost;     // where the first lost row is, and why
};

// Reads every site into `pool` (site_pool or site_batch) and writes the
// rows back in order.  Returns 0, or the exit status of a failure.
template <class Pool>
int pump_sites(Pool& pool, site_source& source, const batch_table& table, table_output& out,
               progress_line& progress, row_notes* notes, std::string* beside_error,
               const std::function<int(const status&)>& write_failed) {
  uint64_t done = 0;
  site_record site;
  site_evidence evidence;
  std::string rows;
  const auto tick = std::chrono::milliseconds(200);
  status written;  // the table's last write
  // Takes back the oldest site when it is ready; false only on a write error.
  auto write_next = [&]() {
    if (pool.take_next(tick, &site, &evidence)) {
      rows.clear();
      table.append_rows(site, evidence, &rows);
      written = out.write(rows);
      if (!written) return false;
      if (table.beside) {
        status beside = table.beside->write(site, evidence);
        if (!beside) {
          *beside_error = beside.message();
          return false;
        }
      }
      done++;
      auto where = [&]() { return table.describe ? table.describe(site) : std::string("row"); };
      // (A record of a joint row alone has no row for its groups.)
      if (site.joint != joint_rows::only)
        for (size_t n = 0; n < evidence.groups.size(); n++) {
          const group_evidence& g = evidence.groups[n];
          if (g.outcome == site_outcome::too_many_alleles) notes->not_computed++;
          if (g.outcome == site_outcome::lost_to_rounding && notes->lost++ == 0)
            notes->first_lost = where() + ": " + describe_group_fault(site.groups[n], g);
        }
      if (evidence.joint) {
        const joint_evidence& j = *evidence.joint;
        if (j.row.outcome == site_outcome::too_many_alleles) notes->not_computed++;
        if (j.row.outcome == site_outcome::lost_to_rounding && notes->lost++ == 0)
          notes->first_lost =
              where() + ", joint row: " +
              (j.refused_group ? describe_group_fault(site.groups[*j.refused_group], j.row)
                               : std::string("the joint evidence is not a number in [0, 1]"));
      }
    }
    progress.update(done);
    return true;
  };

  for (;;) {
    // (Only while sites are in flight: the sites read ahead of the pool may
    // be what the output beside holds.)
    while (pool.full() || (!pool.empty() && table.beside && table.beside->holding_too_much()))
      if (!write_next()) return write_failed(written);
    bool at_end = false;
    const status read = source.next(&site, &at_end);
    std::vector<std::string> warnings = source.take_warnings();
    if (!warnings.empty()) progress.finish();
    for (const std::string& w : warnings) std::fprintf(stderr, "drevel: warning: %s\n", w.c_str());
    if (!read) {
      progress.finish();
      out.abandon();
      return batch_failure(read.message());
    }
    if (at_end) break;
    if (table.joint_after_groups) site.joint = joint_rows::after_groups;
    pool.submit(std::move(site));
  }
  while (!pool.empty())
    if (!write_next()) return write_failed(written);
  return 0;
}

}  // namespace

int batch_failure(const std::string& message) {
  std::fprintf(stderr, "drevel: %s\n", message.c_str());
  return 1;
}

int run_batch(const command_line& options, site_source& source, const batch_table& table) {
  const std::string& output = options.files[1];
  const int threads = thread_count(options);
  if (same_file(options.files[0], output))
    return batch_failure(output + ": the output file is the input file");
  progress_line progress;
  table_output out;
  const status opened = out.open(output);
  if (!opened) return batch_failure(output + ": cannot create the output file: " + opened.message());
  std::string beside_error;  // why table.beside failed
  // Why the table failed, or the output beside when beside_error says so.
  auto write_failed = [&out, &progress, &beside_error](const status& table_fault) {
    progress.finish();
    out.abandon();
    if (!beside_error.empty()) return batch_failure(beside_error);
    const std::string& why = table_fault.message();
    return batch_failure(out.name() + ": cannot write the table" +
                         (why.empty() ? std::string() : ": " + why));
  };
  const status header = out.write(table.header);
  if (!header) return write_failed(header);
  // The stopping rule draws at least minmc whatever maxmc says.
  if (options.tuning.minmc > 0 && options.tuning.maxmc > 0 &&
      options.tuning.minmc > options.tuning.maxmc)
    std::fprintf(stderr, "drevel: note: --minmc %d is above --maxmc %d: every row computed draws at least %d\n",
                 static_cast<int>(options.tuning.minmc), static_cast<int>(options.tuning.maxmc),
                 static_cast<int>(options.tuning.minmc));

  // No more threads than the first sites have work for.
  read_ahead_source ahead(source);
  const size_t held = ahead.fill(static_cast<size_t>(threads), [&table]() {
    return table.beside && table.beside->holding_too_much();
  });
  const int used = ahead.ended() ? std::max(1, static_cast<int>(held)) : threads;

  const tuning_request tuning = options.tuning;
  const int max_alleles = options.max_alleles;
  row_notes notes;
  const std::function<int(const status&)> failed = write_failed;
  // Threads that cannot start, or engines that do not fit in memory, end
  // the run as any failure does, every output left as it was.
  auto cannot_run = [&out, &progress, used](const std::string& why) {
    progress.finish();
    out.abandon();
    return batch_failure("cannot run " + std::to_string(used) + " thread" +
                         (used == 1 ? "" : "s") + ": " + why +
                         (used > 1 ? "; try fewer with --threads" : ""));
  };
  try {
    if (options.site_engine == site_engine_choice::batch && tuning.engine == mc_engine::fast) {
      site_batch pool(tuning, max_alleles, used, batch_sites_in_flight(used));
      if (!pool.started()) return cannot_run(pool.started().message());
      if (int status = pump_sites(pool, ahead, table, out, progress, &notes, &beside_error, failed))
        return status;
      site_batch_counts n = pool.close();
      if (options.verbose) {
        progress.finish();
        std::fprintf(stderr,
                     "drevel: batch engine: %" PRId64 " groups, %" PRId64
                     " with counts seen before, %" PRId64 " by the per-site engine (%" PRId64
                     " restarted at the shared stream's end); %" PRId64
                     " draws in lanes, %" PRId64 " evaluated literally\n",
                     n.groups, n.repeated, n.per_site, n.restarted, n.draws, n.replays);
      }
    } else {
      site_pool pool(used, sites_in_flight(used),
                     [tuning, max_alleles](const site_record& site) {
                       return compute_site_evidence(site, tuning, max_alleles);
                     });
      if (!pool.started()) return cannot_run(pool.started().message());
      if (int status = pump_sites(pool, ahead, table, out, progress, &notes, &beside_error, failed))
        return status;
    }
  } catch (const std::system_error& e) {
    return cannot_run(e.code().message());
  } catch (const std::bad_alloc&) {  // what the engines allocate as they run
    return cannot_run("out of memory");
  }
  progress.finish();
  // Every output complete before any appears: the table first (on standard
  // output, its last bytes go out here), then the output beside, which
  // appears at its commit, then the table's rename, the one step left.
  const status finished = out.finish();
  if (!finished) return write_failed(finished);
  if (table.beside) {
    const status committed = table.beside->commit();
    if (!committed) {
      beside_error = committed.message();
      return write_failed(status::ok());
    }
  }
  const status published = out.publish();
  if (!published) return write_failed(published);

  if (notes.not_computed > 0)
    std::fprintf(stderr,
                 "drevel: note: %" PRIu64 " %s with more than %d alleles were not computed "
                 "(NA in the table); --max-alleles raises the limit\n",
                 notes.not_computed, table.row_noun.c_str(), max_alleles);
  if (notes.lost > 0)
    std::fprintf(stderr,
                 "drevel: note: %" PRIu64 " %s could not be computed in double precision "
                 "(STATUS lost_to_rounding, NA in the table); the first, %s\n",
                 notes.lost, table.row_noun.c_str(), notes.first_lost.c_str());
  return 0;
}

}  // namespace drevel
