#include "sites/site_batch.h"

#include <limits>
#include <utility>

#include "fast/batch/batch_engine.h"
#include "numeric/nrutil.h"
#include "sites/locus_check.h"
#include "sites/locus_evidence.h"

namespace drevel {

// Hands the queued groups to the engines; each engine's thread computes the
// maxima (and so L_hyp) of the groups it takes, outside the lock.
class site_batch::feed : public batch_feed {
 public:
  explicit feed(site_batch& owner) : b_(owner) {}

  int next(batch_locus* locus, bool wait) override {
    for (;;) {
      std::unique_ptr<group_job> job;
      {
        std::unique_lock<std::mutex> lock(b_.mutex_);
        if (wait) b_.job_added_.wait(lock, [this] { return b_.stopping_ || !b_.jobs_.empty(); });
        if (b_.jobs_.empty()) return b_.stopping_ ? -1 : 0;
        job = std::move(b_.jobs_.front());
        b_.jobs_.pop_front();
      }
      group_evidence& g = job->owner->evidence.groups[job->group];
      const int c = job->run.c;
      const double* alpha = job->run.alpha.data();
      // The same checks, in the same order, as the per-site computation: a
      // total that is not safe before the maxima, lost maxima after them.
      double total;
      locus_fault fault = check_total(alpha, c, &total);
      if (fault == locus_fault::none) {
        double* m = vector(0, c);
        double* h = vector(0, c);
        m[0] = h[0] = c;
        locus_maxima(job->run.k, c, alpha, m, h, &g.L_max, &g.L_hyp);
        free_vector(m, 0, c);
        free_vector(h, 0, c);
        fault = check_maxima(g.L_max, g.L_hyp, total, c);
      }
      if (fault != locus_fault::none) {
        lose(*job, fault);
        continue;
      }
      locus->alpha = alpha;
      locus->c = c;
      locus->L_hyp = g.L_hyp;
      locus->maxmc = job->run.maxmc;
      locus->minmc = job->run.minmc;
      locus->precision = job->run.precision;
      locus->tag = reinterpret_cast<uint64_t>(job.release());
      return 1;
    }
  }

  // Each group is written by the one engine that finished it.
  void finished(const batch_locus& locus, const batch_result& result) override {
    std::unique_ptr<group_job> job(reinterpret_cast<group_job*>(locus.tag));
    group_evidence& g = job->owner->evidence.groups[job->group];
    g.E = 1 - result.r;
    g.draws = result.draws;
    locus_fault fault = check_evidence(g.E);
    if (fault != locus_fault::none) {
      lose(*job, fault);
      return;
    }
    finish_group(job->run.precision, &g);
    done(*job);
  }

 private:
  // A group the computation lost to rounding: its values not reached are NaN,
  // as the per-site computation leaves them.
  void lose(group_job& job, locus_fault fault) {
    group_evidence& g = job.owner->evidence.groups[job.group];
    const double nan = std::numeric_limits<double>::quiet_NaN();
    if (fault == locus_fault::total_not_finite || fault == locus_fault::total_too_large)
      g.L_max = g.L_hyp = nan;
    if (fault != locus_fault::evidence_not_finite) {
      g.E = nan;
      g.draws = 0;
    }
    g.fault = fault;
    g.outcome = site_outcome::lost_to_rounding;
    done(job);
  }

  void done(group_job& job) {
    bool site_ready;
    {
      std::lock_guard<std::mutex> lock(b_.mutex_);
      site_ready = --job.owner->pending == 0;
    }
    if (site_ready) b_.site_done_.notify_all();
  }


  site_batch& b_;
};

struct site_batch::engines {
  explicit engines(site_batch& owner) : groups(owner) {}
  feed groups;
  batch_result_cache results{16384};
  std::vector<std::unique_ptr<batch_engine>> each;
};

site_batch::site_batch(const tuning_request& tuning, int max_alleles, int threads, size_t window)
    : tuning_(tuning), max_alleles_(max_alleles), window_(window < 1 ? 1 : window),
      engines_(new engines(*this)) {
  batch_options options;
  options.results = &engines_->results;
  if (threads < 1) threads = 1;
  for (int t = 0; t < threads; t++) engines_->each.emplace_back(new batch_engine(options));
  // A thread that cannot start (std::system_error) stops those started, so
  // that the exception reaches the caller instead of ending the process.
  try {
    for (int t = 0; t < threads; t++) {
      batch_engine* engine = engines_->each[static_cast<size_t>(t)].get();
      threads_.emplace_back([this, engine]() { engine->run(engines_->groups); });
    }
  } catch (...) {
    stop();
    throw;
  }
}

site_batch::~site_batch() { stop(); }

void site_batch::stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
    // Groups no engine has taken are dropped with their sites.
    jobs_.clear();
  }
  job_added_.notify_all();
  for (std::thread& t : threads_) t.join();
  threads_.clear();
}

site_batch_counts site_batch::close() {
  stop();
  site_batch_counts total;
  for (const auto& e : engines_->each) {
    const batch_stats& s = e->stats();
    total.groups += s.loci;
    total.repeated += s.cached;
    total.per_site += s.per_site;
    total.draws += s.draws;
    total.replays += s.kernel_replays;
  }
  return total;
}

bool site_batch::full() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return slots_.size() >= window_;
}

bool site_batch::empty() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return slots_.empty();
}

void site_batch::submit(site_record site) {
  // The outline and the runs' parameters on the caller's thread: they are
  // cheap, and the engines then only run.
  site_evidence outline = site_evidence_outline(site, max_alleles_);
  std::vector<std::unique_ptr<group_job>> runs;
  for (size_t g = 0; g < site.groups.size(); g++)
    if (outline.groups[g].outcome == site_outcome::computed)
      runs.emplace_back(new group_job{nullptr, g, group_run_of(site.groups[g], tuning_)});
  {
    std::lock_guard<std::mutex> lock(mutex_);
    slots_.emplace_back();
    slot& s = slots_.back();
    s.site = std::move(site);
    s.evidence = std::move(outline);
    s.pending = static_cast<int>(runs.size());
    for (auto& job : runs) {
      job->owner = &s;
      jobs_.push_back(std::move(job));
    }
  }
  if (!runs.empty()) job_added_.notify_all();
}

bool site_batch::take_next(std::chrono::milliseconds timeout, site_record* site,
                           site_evidence* evidence) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (slots_.empty()) return false;
  if (!site_done_.wait_for(lock, timeout,
                           [this] { return !slots_.empty() && slots_.front().pending == 0; }))
    return false;
  *site = std::move(slots_.front().site);
  *evidence = std::move(slots_.front().evidence);
  slots_.pop_front();
  return true;
}

}  // namespace drevel
