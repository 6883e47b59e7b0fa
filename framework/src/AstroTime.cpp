// The instant the astronomy routines take as now, and time-scale conversion.
#include "AstroContext.h"

#include <atomic>
#include <chrono>
#include <cmath>

namespace {

constexpr double UNIX_EPOCH_JD = 2440587.5;
std::atomic<double> fixedJd{0.0};

}  // namespace

extern "C" void kestor_set_astro_time(double jd_utc) { fixedJd.store(jd_utc, std::memory_order_relaxed); }

extern "C" double kestor_astro_time(void) { return kestor_astro::nowJd(); }

namespace kestor_astro {

double nowJd() {
  const double fixed = fixedJd.load(std::memory_order_relaxed);
  if (fixed != 0.0) return fixed;
  const auto since = std::chrono::system_clock::now().time_since_epoch();
  const double seconds = std::chrono::duration<double>(since).count();
  return UNIX_EPOCH_JD + seconds / ERFA_DAYSEC;
}

void splitJd(double jd, double &whole, double &fraction) {
  whole = std::floor(jd - 0.5) + 0.5;
  fraction = jd - whole;
}

bool utcToTt(double utc1, double utc2, double &tt1, double &tt2) {
  double tai1, tai2;
  if (eraUtctai(utc1, utc2, &tai1, &tai2) < 0) return false;
  return eraTaitt(tai1, tai2, &tt1, &tt2) == 0;
}

}  // namespace kestor_astro
