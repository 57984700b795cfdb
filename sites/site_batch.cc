#include "sites/site_batch.h"

#include <mutex>
#include <thread>

#include "fast/batch/batch_engine.h"
#include "numeric/nrutil.h"
#include "sites/locus_evidence.h"

namespace drevel {

namespace {

// A computed group waiting for its run.
struct pending_group {
  size_t site, group;
  group_run run;
};

// Hands the groups to the engines in order; each engine's thread computes
// the maxima (and so L_hyp) of the groups it takes, outside the lock.
class group_feed : public batch_feed {
 public:
  group_feed(std::vector<pending_group>& groups, std::vector<site_evidence>& out)
      : groups_(groups), out_(out) {}

  int next(batch_locus* locus, bool) override {
    size_t i;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (next_ >= groups_.size()) return -1;
      i = next_++;
    }
    pending_group& p = groups_[i];
    group_evidence& g = out_[p.site].groups[p.group];
    const int c = p.run.c;
    double* m = vector(0, c);
    double* h = vector(0, c);
    m[0] = h[0] = c;
    locus_maxima(p.run.k, c, p.run.alpha.data(), m, h, &g.L_max, &g.L_hyp);
    free_vector(m, 0, c);
    free_vector(h, 0, c);
    locus->alpha = p.run.alpha.data();
    locus->c = c;
    locus->L_hyp = g.L_hyp;
    locus->maxmc = p.run.maxmc;
    locus->minmc = p.run.minmc;
    locus->precision = p.run.precision;
    locus->tag = i;
    return 1;
  }

  // Each group is written by the one engine that finished it.
  void finished(const batch_locus& locus, const batch_result& result) override {
    pending_group& p = groups_[static_cast<size_t>(locus.tag)];
    group_evidence& g = out_[p.site].groups[p.group];
    g.E = 1 - result.r;
    g.draws = result.draws;
    finish_group(p.run.precision, &g);
  }

 private:
  std::vector<pending_group>& groups_;
  std::vector<site_evidence>& out_;
  std::mutex mutex_;
  size_t next_ = 0;
};

}  // namespace

struct site_batch::impl {
  tuning_request tuning;
  int max_alleles;
  batch_result_cache results{16384};
  std::vector<std::unique_ptr<batch_engine>> engines;
};

site_batch::site_batch(const tuning_request& tuning, int max_alleles, int threads)
    : impl_(new impl) {
  impl_->tuning = tuning;
  impl_->max_alleles = max_alleles;
  batch_options options;
  options.results = &impl_->results;
  for (int t = 0; t < (threads < 1 ? 1 : threads); t++)
    impl_->engines.emplace_back(new batch_engine(options));
}

site_batch::~site_batch() = default;

site_batch_counts site_batch::counts() const {
  site_batch_counts total;
  for (const auto& e : impl_->engines) {
    const batch_stats& s = e->stats();
    total.groups += s.loci;
    total.repeated += s.cached;
    total.per_site += s.per_site;
    total.draws += s.draws;
    total.replays += s.kernel_replays;
  }
  return total;
}

std::vector<site_evidence> site_batch::compute(const std::vector<site_record>& sites) {
  std::vector<site_evidence> out(sites.size());
  std::vector<pending_group> groups;
  for (size_t s = 0; s < sites.size(); s++) {
    out[s] = site_evidence_outline(sites[s], impl_->max_alleles);
    for (size_t g = 0; g < sites[s].groups.size(); g++)
      if (out[s].groups[g].outcome == site_outcome::computed)
        groups.push_back({s, g, group_run_of(sites[s].groups[g], impl_->tuning)});
  }
  group_feed feed(groups, out);
  std::vector<std::thread> workers;
  for (size_t t = 1; t < impl_->engines.size(); t++)
    workers.emplace_back([this, &feed, t]() { impl_->engines[t]->run(feed); });
  impl_->engines[0]->run(feed);
  for (std::thread& w : workers) w.join();
  return out;
}

}  // namespace drevel
