// The VCF mode: sites are read on this thread, computed on a pool of worker
// threads, and written back here in the order of the input.
#include "app/vcf_main.h"

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/atomic_output.h"
#include "app/progress.h"
#include "app/site_pool.h"
#include "app/vcf_options.h"
#include "app/vcf_reader.h"
#include "app/vcf_table.h"

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

int fail(const std::string& message) {
  std::fprintf(stderr, "drevel: %s\n", message.c_str());
  return 1;
}

// Room for every worker to have sites queued behind the one it computes,
// so that a slow multi-allelic site does not leave the others idle.
size_t sites_in_flight(int threads) { return 64 * static_cast<size_t>(threads); }

}  // namespace

int vcf_main(int argc, char** argv) {
  vcf_options options;
  std::string error;
  if (!parse_vcf_options(argc, argv, &options, &error)) {
    std::fprintf(stderr, "drevel: %s (see drevel --help)\n", error.c_str());
    return 2;
  }
  std::vector<std::string> samples;
  if (options.have_samples && !read_sample_list(options.samples, &samples, &error))
    return fail(error);

  vcf_reader reader;
  if (!reader.open(options.input, options.regions, options.have_samples ? &samples : nullptr,
                   options.max_alleles, &error))
    return fail(error);

  progress_line progress;
  table_output out;
  if (!out.open(options.output))
    return fail(options.output + ": cannot create the output file: " + std::strerror(errno));
  auto write_failed = [&out, &progress]() {
    int saved = errno;
    progress.finish();
    out.abandon();
    return fail(out.name() + ": cannot write the table" +
                (saved ? std::string(": ") + std::strerror(saved) : std::string()));
  };
  if (!out.write(vcf_table_header)) return write_failed();

  const tuning_request tuning = options.tuning;
  const int max_alleles = options.max_alleles;
  site_pool pool(options.threads, sites_in_flight(options.threads),
                 [tuning, max_alleles](const vcf_site& site) {
                   return compute_site_evidence(site, tuning, max_alleles);
                 });
  uint64_t done = 0, not_computed = 0;
  vcf_site site;
  site_evidence evidence;
  const auto tick = std::chrono::milliseconds(200);
  // Takes back the oldest site when it is ready; false only on a write error.
  auto write_next = [&]() {
    if (pool.take_next(tick, &site, &evidence)) {
      if (!out.write(format_site_row(site, evidence))) return false;
      done++;
      if (evidence.outcome == site_outcome::too_many_alleles) not_computed++;
    }
    progress.update(done);
    return true;
  };

  for (;;) {
    while (pool.full())
      if (!write_next()) return write_failed();
    int status = reader.next(&site, &error);
    if (status < 0) {
      progress.finish();
      out.abandon();
      return fail(error);
    }
    if (status == 0) break;
    pool.submit(std::move(site));
  }
  while (!pool.empty())
    if (!write_next()) return write_failed();
  progress.finish();
  errno = 0;
  if (!out.commit()) return write_failed();

  if (not_computed > 0)
    std::fprintf(stderr,
                 "drevel: note: %" PRIu64 " sites with more than %d alleles were not computed "
                 "(NA in the table); --max-alleles raises the limit\n",
                 not_computed, max_alleles);
  return 0;
}

}  // namespace drevel
