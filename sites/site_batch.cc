#include "sites/site_batch.h"

#include <new>
#include <system_error>
#include <utility>

#include "fast/batch/batch_engine.h"
#include "locus/locus_evidence.h"

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
        std::unique_lock<std::mutex> lock(b_.window_.mutex());
        if (wait) b_.job_added_.wait(lock, [this] { return b_.stopping_ || !b_.jobs_.empty(); });
        if (b_.jobs_.empty()) return b_.stopping_ ? -1 : 0;
        job = std::move(b_.jobs_.front());
        b_.jobs_.pop_front();
      }
      if (job->joint) {
        // The joint row draws literally, from its own stream: computed
        // here, on this engine's thread, as the exact test is.
        ordered_window::slot* owner = job->owner;
        // The outcomes as outlined: the groups' own runs may be writing
        // theirs meanwhile.
        owner->evidence.joint = compute_joint_evidence(owner->site, job->outcomes, b_.tuning_);
        b_.window_.done(owner);
        continue;
      }
      const group_run& run = job->run;
      add_exact_test(job->owner->site.groups[job->group], b_.tuning_.hwe_tables,
                     &job->owner->evidence.groups[job->group]);
      if (!prepare_locus(run.k, run.c, run.alpha.data(), &job->locus)) {
        done(*job);
        continue;
      }
      locus->alpha = run.alpha.data();
      locus->c = run.c;
      locus->L_hyp = job->locus.L_hyp;
      locus->maxmc = run.rule.maxmc;
      locus->minmc = run.rule.minmc;
      locus->precision = run.rule.precision;
      locus->tag = reinterpret_cast<uint64_t>(job.release());
      return 1;
    }
  }

  // Each group is written by the one engine that finished it.
  void finished(const batch_locus& locus, const batch_result& result) override {
    std::unique_ptr<group_job> job(reinterpret_cast<group_job*>(locus.tag));
    mc_estimate estimate;
    estimate.r = result.r;
    estimate.draws = result.draws;
    estimate.hits = result.hits;
    estimate.at_maxmc = result.at_maxmc;
    complete_locus(estimate, &job->locus);
    done(*job);
  }

 private:
  // Records the group's columns and hands the site back once it has no
  // group left running.
  void done(group_job& job) {
    record_locus(std::move(job.locus), &job.owner->evidence.groups[job.group]);
    b_.window_.done(job.owner);
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
    : tuning_(tuning), max_alleles_(max_alleles), window_(window) {
  if (threads < 1) threads = 1;
  // Engines that do not fit in memory, or a thread that cannot start, stop
  // the threads started, and the caller hears why instead of the process
  // ending.
  try {
    engines_.reset(new engines(*this));
    batch_options options;
    options.results = &engines_->results;
    for (int t = 0; t < threads; t++) engines_->each.emplace_back(new batch_engine(options));
    for (int t = 0; t < threads; t++) {
      batch_engine* engine = engines_->each[static_cast<size_t>(t)].get();
      threads_.emplace_back([this, engine]() { engine->run(engines_->groups); });
    }
  } catch (const std::system_error& e) {
    stop();
    started_ = status(fault_kind::resource, e.code().message());
  } catch (const std::bad_alloc&) {
    stop();
    started_ = status(fault_kind::resource, "out of memory");
  }
}

site_batch::~site_batch() { stop(); }

void site_batch::stop() {
  {
    std::lock_guard<std::mutex> lock(window_.mutex());
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
  if (!engines_) return total;
  for (const auto& e : engines_->each) {
    const batch_stats& s = e->stats();
    total.groups += s.loci;
    total.repeated += s.cached;
    total.per_site += s.per_site;
    total.restarted += s.restarted;
    total.draws += s.draws;
    total.replays += s.kernel_replays;
  }
  return total;
}

bool site_batch::full() const { return window_.full(); }

bool site_batch::empty() const { return window_.empty(); }

void site_batch::submit(site_record site) {
  // The outline and the runs' parameters on the caller's thread: they are
  // cheap, and the engines then only run.
  site_evidence outline = site_evidence_outline(site, max_alleles_);
  std::vector<std::unique_ptr<group_job>> runs;
  if (site.joint != joint_rows::only)
    for (size_t g = 0; g < site.groups.size(); g++)
      if (outline.groups[g].outcome == site_outcome::computed)
        runs.emplace_back(
            new group_job{nullptr, g, group_run_of(site.groups[g], tuning_), {}, false, {}});
  // The joint row needs only the outline's outcomes, not the groups' runs.
  if (site.joint != joint_rows::none) {
    runs.emplace_back(new group_job{nullptr, 0, {}, {}, true, group_outcomes(outline)});
  }
  {
    std::lock_guard<std::mutex> lock(window_.mutex());
    ordered_window::slot* s =
        window_.push_locked(std::move(site), std::move(outline), static_cast<int>(runs.size()));
    for (auto& job : runs) {
      job->owner = s;
      jobs_.push_back(std::move(job));
    }
  }
  if (!runs.empty()) job_added_.notify_all();
}

bool site_batch::take_next(std::chrono::milliseconds timeout, site_record* site,
                           site_evidence* evidence) {
  return window_.take_next(timeout, site, evidence);
}

}  // namespace drevel
