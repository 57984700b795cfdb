#include "app/batch_run.h"

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "app/progress.h"
#include "io/atomic_output.h"
#include "io/output_path.h"
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
    file_.remove_on_exit();  // before open: covered from the moment it exists
    return file_.open(path);
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
  if (!out.open(output))
    return batch_failure(output + ": cannot create the output file: " + std::strerror(errno));
  std::string beside_error;  // why table.beside failed
  auto write_failed = [&out, &progress, &beside_error]() {
    int saved = errno;
    progress.finish();
    out.abandon();
    if (!beside_error.empty()) return batch_failure(beside_error);
    return batch_failure(out.name() + ": cannot write the table" +
                         (saved ? std::string(": ") + std::strerror(saved) : std::string()));
  };
  if (!out.write(table.header)) return write_failed();

  const tuning_request tuning = options.tuning;
  const int max_alleles = options.max_alleles;
  site_pool pool(threads, sites_in_flight(threads),
                 [tuning, max_alleles](const site_record& site) {
                   return compute_site_evidence(site, tuning, max_alleles);
                 });
  uint64_t done = 0, not_computed = 0, lost = 0;
  std::string first_lost;
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
      if (table.beside && !table.beside->write(site, evidence, &beside_error)) return false;
      done++;
      for (size_t n = 0; n < evidence.groups.size(); n++) {
        const group_evidence& g = evidence.groups[n];
        if (g.outcome == site_outcome::too_many_alleles) not_computed++;
        if (g.outcome == site_outcome::lost_to_rounding && lost++ == 0)
          first_lost = (table.describe ? table.describe(site) : std::string("row")) + ": " +
                       describe_group_fault(site.groups[n], g);
      }
    }
    progress.update(done);
    return true;
  };

  for (;;) {
    while (pool.full() || (table.beside && table.beside->holding_too_much()))
      if (!write_next()) return write_failed();
    std::string error;
    int status = source.next(&site, &error);
    std::vector<std::string> warnings = source.take_warnings();
    if (!warnings.empty()) progress.finish();
    for (const std::string& w : warnings) std::fprintf(stderr, "drevel: warning: %s\n", w.c_str());
    if (status < 0) {
      progress.finish();
      out.abandon();
      return batch_failure(error);
    }
    if (status == 0) break;
    pool.submit(std::move(site));
  }
  while (!pool.empty())
    if (!write_next()) return write_failed();
  progress.finish();
  if (table.beside && !table.beside->commit(&beside_error)) return write_failed();
  errno = 0;
  if (!out.commit()) return write_failed();

  if (not_computed > 0)
    std::fprintf(stderr,
                 "drevel: note: %" PRIu64 " %s with more than %d alleles were not computed "
                 "(NA in the table); --max-alleles raises the limit\n",
                 not_computed, table.row_noun.c_str(), max_alleles);
  if (lost > 0)
    std::fprintf(stderr,
                 "drevel: note: %" PRIu64 " %s could not be computed in double precision "
                 "(STATUS lost_to_rounding, NA in the table); the first, %s\n",
                 lost, table.row_noun.c_str(), first_lost.c_str());
  return 0;
}

}  // namespace drevel
