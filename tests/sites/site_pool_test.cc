#include "sites/site_pool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace drevel;

namespace {

site_record numbered(int n) {
  site_record site;
  site.k = n;  // the site's number, for the test
  return site;
}

// Later sites finish first: every third site is slow.
site_evidence slow_every_third(const site_record& site) {
  if (site.k % 3 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  site_evidence e;
  e.groups.resize(1);
  e.groups[0].outcome = site_outcome::computed;
  e.groups[0].draws = site.k * 10;
  return e;
}

}  // namespace

TEST(site_pool, results_come_back_in_submission_order) {
  for (int threads : {1, 2, 4}) {
    site_pool pool(threads, 8, slow_every_third);
    int submitted = 0, taken = 0;
    site_record site;
    site_evidence e;
    while (taken < 60) {
      while (submitted < 60 && !pool.full()) pool.submit(numbered(submitted++));
      if (pool.take_next(std::chrono::milliseconds(1000), &site, &e)) {
        EXPECT_EQ(site.k, taken) << threads << " threads";
        ASSERT_EQ(e.groups.size(), 1u);
        EXPECT_EQ(e.groups[0].draws, taken * 10);
        taken++;
      }
    }
    EXPECT_TRUE(pool.empty());
  }
}

TEST(site_pool, in_flight_sites_are_bounded_by_the_window) {
  std::atomic<bool> release{false};
  site_pool pool(2, 3, [&release](const site_record&) {
    while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return site_evidence();
  });
  site_record site;
  site_evidence e;
  EXPECT_TRUE(pool.empty());
  EXPECT_FALSE(pool.take_next(std::chrono::milliseconds(0), &site, &e));
  for (int n = 0; n < 3; n++) {
    EXPECT_FALSE(pool.full());
    pool.submit(numbered(n));
  }
  EXPECT_TRUE(pool.full());
  EXPECT_FALSE(pool.take_next(std::chrono::milliseconds(20), &site, &e));  // nothing done yet
  release = true;
  ASSERT_TRUE(pool.take_next(std::chrono::milliseconds(5000), &site, &e));
  EXPECT_EQ(site.k, 0);
  EXPECT_FALSE(pool.full());
}

TEST(site_pool, stops_with_sites_still_in_flight) {
  site_pool pool(2, 16, slow_every_third);
  for (int n = 0; n < 10; n++) pool.submit(numbered(n));
  // The destructor joins the workers; the test ends without a hang or leak.
}
