#include "app/batch_run.h"

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include <future>
#include <vector>

#include "app/progress.h"
#include "io/atomic_output.h"
#include "sites/site_batch.h"
#include "sites/site_pool.h"

namespace drevel {

namespace {

// The table goes to standard output or, through a temporary file, to a file
// that appears only once it is complete.
class table_output {
 public:
  bool open(const std::string& path) {
    to_stdout_ = path == "-";
    name_ = to_stdout_ ? "standard output" : path;
    if (to_stdout_) return true;
    if (!file_.open(path)) return false;
    file_.remove_on_exit();
    return true;
  }
  bool write(const std::string& text) {
    if (!to_stdout_) return file_.write(text);
    return std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
  }
  bool commit() {
    if (!to_stdout_) return file_.commit();
    return std::fflush(stdout) == 0 && !std::ferror(stdout);
  }
  void abandon() {
    if (!to_stdout_) file_.abandon();
  }
  const std::string& name() const { return name_; }

 private:
  bool to_stdout_ = false;
  std::string name_;
  atomic_output file_;
};

// Room for every worker to have sites queued behind the one it computes,
// so that a slow multi-allelic site does not leave the others idle.
size_t sites_in_flight(int threads) { return 64 * static_cast<size_t>(threads); }

// Sites the batch engine takes at once: enough that the lanes seldom run
// short at the end of a window, few enough that memory stays small.
constexpr size_t batch_window = 4096;

}  // namespace

int batch_failure(const std::string& message) {
  std::fprintf(stderr, "drevel: %s\n", message.c_str());
  return 1;
}

int run_batch(const command_line& options, site_source& source, const batch_table& table) {
  const std::string& output = options.files[1];
  const int threads = thread_count(options);
  progress_line progress;
  table_output out;
  if (!out.open(output))
    return batch_failure(output + ": cannot create the output file: " + std::strerror(errno));
  auto write_failed = [&out, &progress]() {
    int saved = errno;
    progress.finish();
    out.abandon();
    return batch_failure(out.name() + ": cannot write the table" +
                         (saved ? std::string(": ") + std::strerror(saved) : std::string()));
  };
  if (!out.write(table.header)) return write_failed();

  const tuning_request tuning = options.tuning;
  const int max_alleles = options.max_alleles;
  uint64_t done = 0, not_computed = 0;
  auto report = [&]() {
    if (not_computed > 0)
      std::fprintf(stderr,
                   "drevel: note: %" PRIu64 " %s with more than %d alleles were not computed "
                   "(NA in the table); --max-alleles raises the limit\n",
                   not_computed, table.row_noun.c_str(), max_alleles);
    return 0;
  };
  auto read_failed = [&](const std::string& error) {
    progress.finish();
    out.abandon();
    return batch_failure(error);
  };

  if (options.site_engine == site_engine_choice::batch && tuning.engine == mc_engine::fast) {
    // Windows of sites: the engines compute one while this thread reads
    // the next, then its rows are written in order.
    site_batch engine(tuning, max_alleles, threads);
    std::vector<site_record> computing, reading;
    std::future<std::vector<site_evidence>> results;
    std::string rows;
    auto write_window = [&]() {
      std::vector<site_evidence> evidence = results.get();
      for (size_t i = 0; i < computing.size(); i++) {
        rows.clear();
        table.append_rows(computing[i], evidence[i], &rows);
        if (!out.write(rows)) return false;
        done++;
        for (const group_evidence& g : evidence[i].groups)
          if (g.outcome == site_outcome::too_many_alleles) not_computed++;
      }
      progress.update(done);
      return true;
    };
    bool more = true;
    while (more) {
      reading.clear();
      while (reading.size() < batch_window) {
        site_record site;
        std::string error;
        int status = source.next(&site, &error);
        std::vector<std::string> warnings = source.take_warnings();
        if (!warnings.empty()) progress.finish();
        for (const std::string& w : warnings)
          std::fprintf(stderr, "drevel: warning: %s\n", w.c_str());
        if (status < 0) {
          if (results.valid()) results.wait();
          return read_failed(error);
        }
        if (status == 0) {
          more = false;
          break;
        }
        reading.push_back(std::move(site));
      }
      if (results.valid() && !write_window()) return write_failed();
      computing.swap(reading);
      results = std::async(std::launch::async,
                           [&engine, &computing]() { return engine.compute(computing); });
    }
    if (results.valid() && !write_window()) return write_failed();
    progress.finish();
    errno = 0;
    if (!out.commit()) return write_failed();
    if (options.verbose) {
      site_batch_counts n = engine.counts();
      std::fprintf(stderr,
                   "drevel: batch engine: %" PRId64 " groups, %" PRId64
                   " with counts seen before, %" PRId64 " by the per-site engine; %" PRId64
                   " draws in lanes, %" PRId64 " evaluated literally\n",
                   n.groups, n.repeated, n.per_site, n.draws, n.replays);
    }
    return report();
  }

  site_pool pool(threads, sites_in_flight(threads),
                 [tuning, max_alleles](const site_record& site) {
                   return compute_site_evidence(site, tuning, max_alleles);
                 });
  site_record site;
  site_evidence evidence;
  std::string rows;
  const auto tick = std::chrono::milliseconds(200);
  // Takes back the oldest site when it is ready; false only on a write error.
  auto write_next = [&]() {
    if (pool.take_next(tick, &site, &evidence)) {
      rows.clear();
      table.append_rows(site, evidence, &rows);
      if (!out.write(rows)) return false;
      done++;
      for (const group_evidence& g : evidence.groups)
        if (g.outcome == site_outcome::too_many_alleles) not_computed++;
    }
    progress.update(done);
    return true;
  };

  for (;;) {
    while (pool.full())
      if (!write_next()) return write_failed();
    std::string error;
    int status = source.next(&site, &error);
    std::vector<std::string> warnings = source.take_warnings();
    if (!warnings.empty()) progress.finish();
    for (const std::string& w : warnings) std::fprintf(stderr, "drevel: warning: %s\n", w.c_str());
    if (status < 0) return read_failed(error);
    if (status == 0) break;
    pool.submit(std::move(site));
  }
  while (!pool.empty())
    if (!write_next()) return write_failed();
  progress.finish();
  errno = 0;
  if (!out.commit()) return write_failed();
  return report();
}

}  // namespace drevel
