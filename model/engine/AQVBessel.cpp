#include "model/engine/AQVBessel.h"

#include <array>
#include <cmath>
#include <numbers>

namespace aqv {

namespace {

constexpr double kEulerGamma = 0.5772156649015329;
constexpr double kSmallestArgument = 1e-308;

// Weights exp(-k^2/10), k = 1..20, of the trapezoidal rule behind the quadrature branch.
constexpr std::array<double, 20> kQuadratureWeights = {
    0.90483741803596,    0.67032004603564,    0.4065696597406,     0.20189651799466,
    0.082084998623899,   0.027323722447293,   0.0074465830709243,  0.0016615572731739,
    0.00030353913807887, 4.5399929762485E-05, 5.55951324165E-06,   5.5739036926944E-07,
    4.5753387694459E-08, 3.0748798795865E-09, 1.6918979226151E-10, 7.6218651945127E-12,
    2.8111852987891E-13, 8.4890440338729E-15, 2.098791048793E-16,  4.2483542552916E-18};

// Chebyshev coefficients c1..c14 of sqrt(2x/pi) e^x K0(x) in t = 10/x - 1; c0 apart.
constexpr double kChebyshevC0 = 0.9884081742308258;
constexpr std::array<double, 15> kChebyshev = {0.0,
                                               -0.011310504646928,
                                               0.00026953261276272,
                                               -1.1106685196665E-05,
                                               6.3257510850049E-07,
                                               -4.50473376411E-08,
                                               3.79299645568E-09,
                                               -3.6454717921E-10,
                                               3.904375576E-11,
                                               -4.57993622E-12,
                                               5.8081063E-13,
                                               -7.883236E-14,
                                               1.136042E-14,
                                               -1.72697E-15,
                                               2.7545E-16};
constexpr int kChebyshevDegree = 14;
constexpr double kHalfPi14 = 1.5707963267949;

// The series converges in about 12 terms on its range; the cap only stops a NaN from looping.
constexpr int kMaxSeriesTerms = 100;

// 1/k for k = 0..kMaxSeriesTerms + 1 (entry 0 unused): the same values as the divisions, taken
// from a table because the series is the engine's innermost loop.
constexpr std::array<double, kMaxSeriesTerms + 2> kReciprocals = [] {
  std::array<double, kMaxSeriesTerms + 2> table{};
  for (int k = 1; k < kMaxSeriesTerms + 2; ++k) table[static_cast<std::size_t>(k)] = 1.0 / k;
  return table;
}();

// The argument from which e^(-x) underflows the pair; both functions are then returned as 0.
constexpr double kUnderflowArgument = 10000.0;
// From here on K0/(x K1) is taken from the asymptotic expansions, before e^(-x) underflows.
constexpr double kRatioAsymptoticArgument = 700.0;

}  // namespace

double BesselK0K1Series(double x, double& k1) {
  // Abramowitz & Stegun 9.6.13 and 9.6.11 with the harmonic numbers carried along.
  if (x < kSmallestArgument) x = kSmallestArgument;
  // ln 2 - ln x stays finite at x = 1e-308, where 2/x would overflow.
  const double a = std::numbers::ln2 - std::log(x) - kEulerGamma;
  const double y = 0.25 * x * x;
  double s0 = a;
  double s1 = -1.0 - 2.0 * a;
  double h0 = a;
  double h1 = s1;
  double f = 1.0;
  double u = 1.0;
  for (int k = 1; k <= kMaxSeriesTerms; ++k) {
    f *= y * u * u;
    h0 += u;
    h1 -= u;
    u = kReciprocals[static_cast<std::size_t>(k + 1)];
    h1 -= u;
    const double t0 = f * h0;
    const double t1 = f * h1 * u;
    s0 += t0;
    s1 += t1;
    if (std::fabs(t0 / s0) + std::fabs(t1 / s1) < 1e-16) break;
  }
  k1 = (1.0 + y * s1) / x;
  return s0;
}

double BesselK0K1Quadrature(double x, double& k1) {
  // Trapezoidal rule with step sqrt(1/10) on K_nu(x) = int exp(-x cosh t) cosh(nu t) dt after
  // the substitution cosh t = 1 + s^2/(2x); the integrand is analytic, so the rule converges
  // geometrically and twenty nodes reach double precision for x > 1.5.
  double s0 = 0.5;
  double s1 = 0.0;
  for (int k = 1; k <= 20; ++k) {
    const double a = k * k / 10.0;
    const double w = std::sqrt(a / (2.0 * x) + 1.0);
    const double weight = kQuadratureWeights[static_cast<std::size_t>(k - 1)];
    s0 += weight / w;
    s1 += weight * w * a;
  }
  const double scale = std::exp(-x) / std::sqrt(5.0 * x);
  k1 = 2.0 * scale * s1;
  return scale * s0;
}

double BesselK0K1Large(double x, double& k1) {
  if (x < 300.0) {
    // Chebyshev series of the scaled K0 (Clenshaw's recurrence), and of its derivative in t
    // through the derivative coefficients d(n-1) = d(n+1) + 2n c(n); K1 = -dK0/dx.
    const double t = 10.0 / x - 1.0;
    const double twoT = 2.0 * t;
    std::array<double, kChebyshevDegree + 2> d{};
    for (int n = kChebyshevDegree; n >= 1; --n) {
      d[static_cast<std::size_t>(n - 1)] =
          d[static_cast<std::size_t>(n + 1)] + 2.0 * n * kChebyshev[static_cast<std::size_t>(n)];
    }
    double b1 = 0.0, b2 = 0.0;  // recurrence of F
    double e1 = 0.0, e2 = 0.0;  // recurrence of F'
    for (int n = kChebyshevDegree; n >= 1; --n) {
      const double b0 = twoT * b1 - b2 + kChebyshev[static_cast<std::size_t>(n)];
      b2 = b1;
      b1 = b0;
      if (n <= kChebyshevDegree - 1) {
        const double e0 = twoT * e1 - e2 + d[static_cast<std::size_t>(n)];
        e2 = e1;
        e1 = e0;
      }
    }
    const double f = t * b1 - b2 + kChebyshevC0;
    const double fPrime = t * e1 - e2 + 0.5 * d[0];
    const double scale = std::sqrt(kHalfPi14 / x) * std::exp(-x);
    k1 = scale * ((1.0 + 0.5 / x) * f + (10.0 / (x * x)) * fPrime);
    return scale * f;
  }
  if (x < kUnderflowArgument) {
    // Three terms of the asymptotic expansions, Abramowitz & Stegun 9.7.2.
    const double m = std::sqrt(std::numbers::pi / (2.0 * x)) * std::exp(-x);
    const double z = 16.0 * x;
    k1 = (1.0 + 3.0 / (8.0 * x) - 30.0 / (z * z)) * m;
    return (1.0 - 1.0 / (8.0 * x) + 18.0 / (z * z)) * m;
  }
  k1 = 0.0;
  return 0.0;
}

double BesselK0K1(double x, double& k1) {
  // A NaN compares false everywhere and goes to the series, whose term count is bounded.
  if (!(x > 1.5)) return BesselK0K1Series(x, k1);
  if (x <= 5.0) return BesselK0K1Quadrature(x, k1);
  return BesselK0K1Large(x, k1);
}

namespace {

// K0(x)/K1(x) from three terms of both asymptotic expansions, free of the underflow of e^(-x).
double AsymptoticK0OverK1(double x) {
  return (((3072.0 * x - 384.0) * x + 216.0) * x - 225.0) /
         (((3072.0 * x + 1152.0) * x - 360.0) * x + 315.0);
}

}  // namespace

double BesselK0OverXK1(double x) {
  double ratio;
  double k0 = 0.0;
  if (x < kRatioAsymptoticArgument || std::isnan(x)) {
    double k1;
    k0 = BesselK0K1(x, k1);
    ratio = k0 / k1;
  } else {
    ratio = AsymptoticK0OverK1(x);
  }
  // Below the smallest argument the series has used 1e-308, so the quotient is K0 there.
  if (x > kSmallestArgument || std::isnan(x)) return ratio / x;
  return k0;
}

TWellFaceBessel WellFaceBessel(double b) {
  TWellFaceBessel face;
  face.Argument = b;
  double k1;
  const double k0 = BesselK0K1(b, k1);
  if (b < kRatioAsymptoticArgument || std::isnan(b)) {
    face.RatioOverX = b > kSmallestArgument || std::isnan(b) ? k0 / k1 / b : k0;
  } else {
    face.RatioOverX = AsymptoticK0OverK1(b) / b;
  }
  // x K1(x) tends to 1 as x tends to 0.
  face.Denominator = b < 1e-10 ? 1.0 : b * k1;
  return face;
}

namespace {

// e^x K0(x) and e^x x K1(x) from four terms of the asymptotic expansions (Abramowitz & Stegun
// 9.7.2), for x >= kRatioAsymptoticArgument, where the next terms are below 1e-12 relative.
double ScaledAsymptoticK0(double x) {
  return std::sqrt(std::numbers::pi / (2.0 * x)) *
         (3072.0 - 384.0 / x + 216.0 / (x * x) - 225.0 / (x * x * x)) / 3072.0;
}
double ScaledAsymptoticXK1(double x) {
  return std::sqrt(std::numbers::pi * x / 2.0) *
         (3072.0 + 1152.0 / x - 360.0 / (x * x) + 315.0 / (x * x * x)) / 3072.0;
}

// True when x K1(x) is taken in the exponential form: from the same argument as the ratio
// K0/(x K1), because e^(-x) in K1 becomes subnormal near 708 and 0 near 745, and a subnormal
// denominator has lost its relative accuracy.
bool IsScaledFace(const TWellFaceBessel& face) {
  return face.Argument >= kRatioAsymptoticArgument || face.Denominator == 0.0;
}

}  // namespace

double FiniteRadiusRatio(double r, double q, const TWellFaceBessel& face) {
  const double a = r * q;
  if (!IsScaledFace(face)) {
    // A NaN denominator passes on as NaN, so that a bad argument is seen by the caller.
    double k1a;
    return BesselK0K1(a, k1a) / face.Denominator;
  }
  // The ratio of the asymptotic expansions, free of the underflow of e^(-a) and e^(-b).
  const double b = face.Argument;
  const double d = b - a;
  if (d > -720.0 && d < 11000.0) {
    return std::exp(d) / std::sqrt(a * b) *
           (3072.0 - 384.0 / a + 216.0 / (a * a) - 225.0 / (a * a * a)) /
           (3072.0 + 1152.0 / b - 360.0 / (b * b) + 315.0 / (b * b * b));
  }
  return 0.0;
}

double FiniteRadiusRatioOverXK1(double r, double q, const TWellFaceBessel& face,
                                TWellFaceBessel own) {
  const double a = r * q;
  if (!IsScaledFace(face) && !IsScaledFace(own) && !(a >= kRatioAsymptoticArgument)) {
    const double f = FiniteRadiusRatio(r, q, face);
    return own.Denominator > 0.0 ? f / own.Denominator : f;
  }
  // K0(a) / (b K1(b)) / (y K1(y)) in logarithms: every factor whose e^(-x) would underflow is
  // taken as e^(-x) times its scaled value, so that neither K0(a) (0 from a = 745 on) nor a
  // denominator (subnormal from 708) is used directly. With a >= b + y the result is at most of
  // order 1; the logarithms, of magnitude up to a, cost about a times the unit roundoff, which
  // the rounding of a itself already costs.
  double logValue;
  if (a >= kRatioAsymptoticArgument) {
    logValue = std::log(ScaledAsymptoticK0(a)) - a;
  } else {
    double k1a;
    const double k0a = BesselK0K1(a, k1a);
    if (!(k0a > 0.0)) return k0a;  // NaN passes on
    logValue = std::log(k0a);
  }
  for (const TWellFaceBessel* side : {&face, static_cast<const TWellFaceBessel*>(&own)}) {
    if (IsScaledFace(*side)) {
      logValue += side->Argument - std::log(ScaledAsymptoticXK1(side->Argument));
    } else if (side->Denominator > 0.0 || std::isnan(side->Denominator)) {
      logValue -= std::log(side->Denominator);
    }
  }
  return std::exp(logValue);
}

double FiniteRadiusRatio(double r, double q, double rw) {
  const double b = rw * q;
  TWellFaceBessel face;
  face.Argument = b;
  if (b < 1e-10) {
    face.Denominator = 1.0;
  } else {
    double k1;
    BesselK0K1(b, k1);
    face.Denominator = b * k1;
  }
  return FiniteRadiusRatio(r, q, face);
}

}  // namespace aqv
