#pragma once

namespace aqv {

// Modified Bessel functions of the second kind K0 and K1 of a positive real argument, and the
// two well-face ratios built on them. Pure functions in double precision; every routine returns
// a number (possibly NaN for a NaN argument) in bounded time, whatever the argument.

// Returns K0(x) and sets k1 to K1(x); accurate for 0 < x <= 1.5. Arguments below 1e-308
// (zero and negative ones included) are taken as 1e-308.
double BesselK0K1Series(double x, double& k1);
// Returns K0(x) and sets k1 to K1(x); accurate for 1.5 < x <= 5.
double BesselK0K1Quadrature(double x, double& k1);
// Returns K0(x) and sets k1 to K1(x); for x > 5. Both are 0 from x = 10000 on.
double BesselK0K1Large(double x, double& k1);
// Returns K0(x) and sets k1 to K1(x) for any x, choosing the range routine.
double BesselK0K1(double x, double& k1);

// Returns K0(x)/(x K1(x)), the well-face term of a well of dimensionless radius x. For
// x <= 1e-308 (zero and negative x included) it returns K0(1e-308), about 709.3, instead of
// dividing by zero.
double BesselK0OverXK1(double x);

// Returns K0(q r)/(q rw K1(q rw)): the drawdown at distance r (length) from a well of radius rw
// (length) relative to its well-face value, in a mode with q = sqrt(eigenvalue) (1/length).
double FiniteRadiusRatio(double r, double q, double rw);

// The Bessel values of one well radius in one mode, shared by the well-face term and the
// finite-radius ratios of all points around that well, so that K1 at the well face is evaluated
// once per mode.
struct TWellFaceBessel {
  double Argument = 0.0;     // b = q rw
  double RatioOverX = 0.0;   // BesselK0OverXK1(b)
  double Denominator = 0.0;  // b K1(b), taken as 1 when b < 1e-10; subnormal or 0 from about
                             // b = 708 on, where the ratios use the exponential form
};

// Returns the shared Bessel values of argument b = q rw.
TWellFaceBessel WellFaceBessel(double b);
// Returns FiniteRadiusRatio(r, q, rw) from the shared values of b = q rw; identical results.
// From b = 700 on, where K1(b) becomes subnormal, the ratio comes from the exponential form.
double FiniteRadiusRatio(double r, double q, const TWellFaceBessel& face);
// Returns FiniteRadiusRatio(r, q, face) / (y K1(y)) with y = own.Argument (the reduced radius
// of an observation well times q), without dividing by a subnormal or zero y K1(y): the
// exponentials of the factors are gathered into one from an argument of 700 on. A y K1(y) that
// is 0 or not positive for a small y is left out, as the plain division leaves it out.
double FiniteRadiusRatioOverXK1(double r, double q, const TWellFaceBessel& face,
                                TWellFaceBessel own);
// Below this q r, with r >= rw + rho, FiniteRadiusRatioOverXK1 is the plain division.
inline constexpr double kGatheredExponentialsArgument = 700.0;

}  // namespace aqv
