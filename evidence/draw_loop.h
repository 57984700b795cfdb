// The Monte Carlo draw loop shared by every engine: count draws and hits,
// take the check every 100 draws (Fieller's theorem and the delta method
// for the ratio of means) and apply the adaptive stopping rule.  An engine
// supplies only the draws, through a draw source; the loop is the same
// code for all of them, so their estimates can differ only if their hits do.
#ifndef DREVEL_EVIDENCE_DRAW_LOOP_H
#define DREVEL_EVIDENCE_DRAW_LOOP_H

#include <cstdint>

namespace drevel {

// The six running sums of a ratio estimator with draw weight w (always 1.0)
// and hit h: Sw += w, Sx += h*w, Sz += (1-h)*w, Sww += w*w,
// Sxw += h*(w*w), Szw += (1-h)*(w*w).
struct mc_sums {
  double Sw = 0, Sx = 0, Sz = 0, Sww = 0, Sxw = 0, Szw = 0;
};

// Adds one draw with hit 0 or 1; inline, so that a loop keeps the sums in
// registers.
inline void mc_add_draw(mc_sums& s, int hit) {
  double w = 1.0;
  double h = hit;
  s.Sw = s.Sw + w;
  s.Sx = s.Sx + h * w;
  s.Sz = s.Sz + (1 - h) * w;
  s.Sww = s.Sww + w * w;
  s.Sxw = s.Sxw + h * (w * w);
  s.Szw = s.Szw + (1 - h) * (w * w);
}

// The check taken every 100 draws: the estimate r = mx/mw, the Fieller
// half-width HF (sqrt(D)/FA for Fieller's quadratic FA r^2 - 2 FB r + FC = 0
// with squared critical value K = 6.7; 1.0 when D is negative or NaN) and the
// delta-method half-width HD = sqrt(K V / N), every expression evaluated in
// its written order.
struct mc_check {
  double r, HF, HD;
};
mc_check mc_check_sums(const mc_sums& sums, int64_t N);

// The precision test of the stopping rule: both half-widths strictly below
// precision.  Every engine and every reader of a run's end asks this one.
bool mc_precise(const mc_check& check, double precision);

// The stopping test after a check at draw N: go on while N < minmc; stop at
// N >= maxmc; else stop when mc_precise.
bool mc_stop(int64_t N, int32_t minmc, int32_t maxmc, const mc_check& check, double precision);

// The tuning values of a run.
struct mc_rule {
  int32_t maxmc, minmc;
  double precision;
};

// A run so far: the draws taken, their sums and the last check (whose r is
// the estimate once the rule has stopped the run).
struct mc_run {
  int64_t draws = 0;
  mc_sums sums;
  mc_check check{0, 0, 0};
};

// What a run that the rule has stopped gives its caller: the estimate r
// (the last check's), the draws, the hits among them (draws whose
// log-kernel reached L_hyp), and whether it stopped at maxmc with the
// precision not met at that check (else it stopped because the precision
// was met; a run past maxmc that also met it counts as met).
struct mc_estimate {
  double r = 0;
  int64_t draws = 0;
  int64_t hits = 0;
  bool at_maxmc = false;
};

// The estimate of a run that run_draws has stopped under `rule`.  Every
// sum is a whole count below 2^53, so the hits are read exactly from Sx.
mc_estimate mc_estimate_of(const mc_run& run, const mc_rule& rule);

// Takes draws from `source` until the stopping rule ends the run, and
// returns true.  A source is any type with
//   int next_hit();                  // the next draw's hit: 1 or 0
//   static constexpr bool may_end;   // whether next_hit may return -1
// A source with may_end may return -1 instead of a draw when it has none to
// give (the draw is then not taken); the loop returns false with the run as
// it stands, and the caller may go on with another source from the same
// point of the stream.  At least 100 draws and always a multiple of 100 when
// the rule ends the run; the count is 64-bit, so maxmc up to 2147483647
// ends it.
template <class Source>
bool run_draws(Source& source, const mc_rule& rule, mc_run& run) {
  int64_t N = run.draws;
  mc_sums sums = run.sums;
  bool stopped = false;
  for (;;) {
    int hit = source.next_hit();
    if constexpr (Source::may_end) {
      if (hit < 0) break;
    }
    N = N + 1;
    mc_add_draw(sums, hit);
    if (N % 100 != 0) continue;
    run.check = mc_check_sums(sums, N);
    if (mc_stop(N, rule.minmc, rule.maxmc, run.check, rule.precision)) {
      stopped = true;
      break;
    }
  }
  run.draws = N;
  run.sums = sums;
  return stopped;
}

}  // namespace drevel

#endif
