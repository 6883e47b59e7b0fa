// Apparent topocentric places of the Sun, the Moon and the planets.
#include "AstroContext.h"

#include <cmath>

namespace kestor_astro {

bool bodyBarycentric(const kestor_site_context &context, int32_t body, double pv[2][3]) {
  double sun[2][3];
  eraPvmpv(const_cast<double(*)[3]>(context.earthBary), const_cast<double(*)[3]>(context.earthHelio), sun);
  double own[2][3];
  switch (body) {
  case KESTOR_MERCURY:
  case KESTOR_VENUS:
  case KESTOR_MARS:
  case KESTOR_JUPITER:
  case KESTOR_SATURN:
  case KESTOR_URANUS:
  case KESTOR_NEPTUNE:
    // ERFA's planet numbers are ours; its status 1 and 2 only say the date is far from J2000.
    if (eraPlan94(context.tt1, context.tt2, body, own) < 0) return false;
    eraPvppv(own, sun, pv);
    return true;
  case KESTOR_PLUTO:
    plutoHeliocentric(context.tt1, context.tt2, own);
    eraPvppv(own, sun, pv);
    return true;
  case KESTOR_SUN: eraCpv(sun, pv); return true;
  case KESTOR_MOON:
    eraMoon98(context.tt1, context.tt2, own);
    eraPvppv(own, const_cast<double(*)[3]>(context.earthBary), pv);
    return true;
  default: return false;
  }
}

}  // namespace kestor_astro

extern "C" kestor_result kestor_site_topo_planet(const kestor_site_context *context, int32_t body, double *ra,
                                                 double *dec) {
  double pv[2][3];
  if (context == nullptr || !kestor_astro::bodyBarycentric(*context, body, pv)) return KESTOR_INVALID;
  // Observer to body, with the body taken back by the light time (two iterations suffice).
  double p[3], distance = 0.0;
  double observer[3];
  eraCp(const_cast<double *>(context->astrom.eb), observer);
  double tau = 0.0;
  for (int n = 0; n < 3; ++n) {
    for (int k = 0; k < 3; ++k) p[k] = pv[0][k] - pv[1][k] * tau - observer[k];
    distance = eraPm(p);
    tau = distance * ERFA_AULT / ERFA_DAYSEC;
  }
  double direction[3], aberrated[3], cirs[3];
  eraSxp(1.0 / distance, p, direction);
  eraAb(direction, const_cast<double *>(context->astrom.v), context->astrom.em, context->astrom.bm1, aberrated);
  eraRxp(const_cast<double(*)[3]>(context->astrom.bpn), aberrated, cirs);
  double ri, di;
  eraC2s(cirs, &ri, &di);
  *ra = eraAnp(ri - context->eo) * ERFA_DR2D / 15.0;
  *dec = di * ERFA_DR2D;
  return KESTOR_OK;
}
