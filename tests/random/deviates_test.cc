#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

#include "random/process_rand48.h"
#include "random/randomic.h"

using namespace drevel;

// How many uniforms a stream born at the fixed start has taken.
static int uniforms_taken(const rand48_state& g) {
  rand48_state fresh;
  for (int n = 0; n < 100000; n++, drand48(fresh))
    if (fresh == g) return n;
  return -1;
}

// normaldev's waiting deviate outlives a test: consume it, if there is one,
// so that the next call draws a new point.
static void clear_waiting_normal() {
  rand48_state g;
  normaldev(g);
  if (g != rand48_state()) normaldev(g);  // that call drew a pair: take its twin
}

TEST(deviates, normaldev_sequence_and_its_waiting_deviate) {
  clear_waiting_normal();
  rand48_state g;
  EXPECT_NEAR(normaldev(g), 1.1157753010, 5e-11);
  EXPECT_EQ(uniforms_taken(g), 2);
  // The twin waits through calls of other deviates and takes no uniform.
  rand48_state other;
  poissondev(3.0, other);
  binomdev(0.3, 100, other);
  rand48_state untouched;
  EXPECT_NEAR(normaldev(untouched), -0.3392863794, 5e-11);
  EXPECT_EQ(untouched, rand48_state());
  EXPECT_NEAR(normaldev(g), -0.7384921943, 5e-11);
  EXPECT_EQ(uniforms_taken(g), 4);
  clear_waiting_normal();
}

struct sequence {
  const char* name;
  std::function<double(rand48_state&)> draw;
  std::vector<double> values;
  int uniforms;
};

static void expect_sequence(const sequence& s) {
  rand48_state g;
  for (size_t i = 0; i < s.values.size(); i++) EXPECT_EQ(s.draw(g), s.values[i]) << s.name << " call " << i + 1;
  EXPECT_EQ(uniforms_taken(g), s.uniforms) << s.name;
}

TEST(deviates, poisson_sequences_from_a_fresh_stream) {
  expect_sequence({"poissondev(3)", [](rand48_state& g) { return poissondev(3.0, g); },
                   {4, 1, 2, 1, 2}, 15});
  expect_sequence({"poissondev(20)", [](rand48_state& g) { return poissondev(20.0, g); },
                   {20, 23, 10, 17, 23}, 16});
  expect_sequence({"poissondev(0)", [](rand48_state& g) { return poissondev(0.0, g); }, {0}, 1});
}

TEST(deviates, binomial_sequences_from_a_fresh_stream) {
  auto binom = [](double p, int n) {
    return [p, n](rand48_state& g) { return binomdev(p, n, g); };
  };
  expect_sequence({"binomdev(0.3, 10)", binom(0.3, 10), {2, 4, 4, 2, 1}, 50});
  expect_sequence({"binomdev(0.7, 10)", binom(0.7, 10), {8, 6, 6, 8, 9}, 50});
  expect_sequence({"binomdev(0.3, 100)", binom(0.3, 100), {30, 33, 20, 27, 33}, 16});
  expect_sequence({"binomdev(0.01, 50)", binom(0.01, 50), {0, 1, 0, 0, 1}, 7});
  expect_sequence({"binomdev(0, 100)", binom(0.0, 100), {0}, 1});
  expect_sequence({"binomdev(1, 100)", binom(1.0, 100), {100}, 1});
  for (double p : {0.0, 0.2, 0.5, 0.8, 1.0}) {
    rand48_state g;
    binomdev(p, 24, g);
    EXPECT_EQ(uniforms_taken(g), 24) << "p " << p;
  }
}

TEST(deviates, poisson_mean_of_twelve_uses_rejection) {
  // The direct method returns k after exactly k + 1 uniforms; rejection does not.
  bool direct_count_broken = false;
  rand48_state g;
  for (int i = 0; i < 20; i++) {
    int before = uniforms_taken(g);
    double k = poissondev(12.0, g);
    if (uniforms_taken(g) - before != k + 1) direct_count_broken = true;
  }
  EXPECT_TRUE(direct_count_broken);
  rand48_state h;
  for (int i = 0; i < 20; i++) {
    int before = uniforms_taken(h);
    double k = poissondev(11.999, h);
    ASSERT_EQ(uniforms_taken(h) - before, k + 1);
  }
}

// A deviate's value depends only on its arguments and the stream, never on
// what the previous call left in the caches.
TEST(deviates, caches_follow_the_arguments) {
  struct { std::function<double(rand48_state&)> before, draw; } cases[] = {
      {[](rand48_state& g) { return poissondev(30.0, g); }, [](rand48_state& g) { return poissondev(20.0, g); }},
      {[](rand48_state& g) { return poissondev(3.0, g); }, [](rand48_state& g) { return poissondev(20.0, g); }},
      {[](rand48_state& g) { return poissondev(20.0, g); }, [](rand48_state& g) { return poissondev(3.0, g); }},
      {[](rand48_state& g) { return binomdev(0.3, 200, g); }, [](rand48_state& g) { return binomdev(0.3, 100, g); }},
      {[](rand48_state& g) { return binomdev(0.4, 100, g); }, [](rand48_state& g) { return binomdev(0.3, 100, g); }},
      {[](rand48_state& g) { return binomdev(0.7, 100, g); }, [](rand48_state& g) { return binomdev(0.3, 100, g); }},
  };
  for (auto& c : cases) {
    rand48_state after_same, after_other, scratch;
    for (int i = 0; i < 50; i++) {
      c.draw(scratch);
      double expected = c.draw(after_same);
      c.before(scratch);
      ASSERT_EQ(c.draw(after_other), expected);
      ASSERT_EQ(after_other, after_same);
    }
  }
}

TEST(deviates, forms_without_a_stream_draw_from_the_process_stream) {
  clear_waiting_normal();
  rand48_state copy = process_rand48();
  std::vector<double> process_values, copy_values;
  // One call at a time: the caches, normaldev's twin among them, are shared.
  for (int i = 0; i < 3; i++) process_values.push_back(poissondev(20.0));
  for (int i = 0; i < 3; i++) copy_values.push_back(poissondev(20.0, copy));
  for (int i = 0; i < 3; i++) process_values.push_back(binomdev(0.3, 100));
  for (int i = 0; i < 3; i++) copy_values.push_back(binomdev(0.3, 100, copy));
  for (int i = 0; i < 4; i++) process_values.push_back(normaldev());
  for (int i = 0; i < 4; i++) copy_values.push_back(normaldev(copy));
  EXPECT_EQ(process_values, copy_values);
  EXPECT_EQ(process_rand48(), copy);
}

static void expect_moments(const char* name, const std::function<double(rand48_state&)>& draw,
                           double mean, double var) {
  rand48_state g;
  const int n = 40000;
  double s = 0, s2 = 0;
  for (int i = 0; i < n; i++) {
    double x = draw(g);
    s += x;
    s2 += x * x;
  }
  double m = s / n, v = s2 / n - m * m;
  EXPECT_NEAR(m, mean, 5 * std::sqrt(var / n)) << name;
  EXPECT_NEAR(v / var, 1.0, 0.05) << name;
}

TEST(deviates, moments_match_the_distributions) {
  clear_waiting_normal();
  expect_moments("normal", [](rand48_state& g) { return normaldev(g); }, 0, 1);
  clear_waiting_normal();
  for (double mean : {3.0, 12.0, 20.0, 300.0})
    expect_moments("poisson", [mean](rand48_state& g) { return poissondev(mean, g); }, mean, mean);
  struct { double p; int n; } binomials[] = {{0.3, 10}, {0.7, 10}, {0.3, 100}, {0.9, 1000}, {0.01, 50}};
  for (auto b : binomials)
    expect_moments("binomial", [b](rand48_state& g) { return binomdev(b.p, b.n, g); }, b.n * b.p,
                   b.n * b.p * (1 - b.p));
}
