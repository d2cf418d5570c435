#pragma once

namespace aqv::test {

// Independent reference solutions of well hydraulics, written without the engine's routines,
// for checking the drawdown engine against the literature.

// Exponential integral E1(u) for u > 0, the Theis well function W(u): power series for u <= 1,
// continued fraction (modified Lentz) above. Relative accuracy about 1e-15.
double TheisWellFunction(double u);

// Hantush-Jacob leaky well function W(u, beta) = int_u^inf exp(-y - beta^2/(4y)) / y dy, by
// composite Simpson quadrature in ln y. Relative accuracy about 1e-10.
double HantushWellFunction(double u, double beta);

// Papadopulos-Cooper (1967) drawdown function F(u, alpha) of a large-diameter well, with the
// drawdown in the well Q/(4 pi T) F(u, alpha), u = rw^2 S/(4 T t) and alpha = rw^2 S/rc^2:
// F = (32 alpha^2/pi^2) int_0^inf (1 - exp(-b^2/(4u))) / (b^3 D(b)) db with
// D = (b J0(b) - 2 alpha J1(b))^2 + (b Y0(b) - 2 alpha Y1(b))^2, by Simpson's rule in ln b.
// Relative accuracy about 1e-8.
double PapadopulosCooperWellFunction(double u, double alpha);

// e^x K0(x) and e^x K1(x) for x > 0, scaled so that large arguments do not underflow, from
// K_nu(x) = int_0^inf exp(-x cosh t) cosh(nu t) dt by the trapezoidal rule, which converges
// geometrically for this analytic integrand.
double ReferenceScaledBesselK0(double x);
double ReferenceScaledBesselK1(double x);

}  // namespace aqv::test
