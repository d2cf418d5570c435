#include "tests/support/ClosedForms.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace aqv::test {

namespace {

constexpr double kEulerGamma = 0.57721566490153286061;

// E1 by its power series, Abramowitz & Stegun 5.1.11.
double ExponentialIntegralSeries(double u) {
  double sum = 0.0;
  double term = 1.0;
  for (int k = 1; k < 200; ++k) {
    term *= -u / k;
    const double add = term / k;
    sum += add;
    if (std::fabs(add) < 1e-18 * std::fabs(sum)) break;
  }
  return -kEulerGamma - std::log(u) - sum;
}

// E1 by its continued fraction, Abramowitz & Stegun 5.1.22, evaluated by the modified Lentz
// method.
double ExponentialIntegralFraction(double u) {
  constexpr double kTiny = 1e-300;
  double b = u + 1.0;
  double c = 1.0 / kTiny;
  double d = 1.0 / b;
  double h = d;
  for (int i = 1; i < 1000; ++i) {
    const double an = -static_cast<double>(i) * i;
    b += 2.0;
    d = 1.0 / (an * d + b);
    c = b + an / c;
    const double delta = c * d;
    h *= delta;
    if (std::fabs(delta - 1.0) < 1e-16) break;
  }
  return h * std::exp(-u);
}

// e^x K_nu(x) = int_0^inf exp(-x (cosh t - 1)) cosh(nu t) dt by the trapezoidal rule.
double ScaledBesselK(int nu, double x) {
  // The integrand has width about 1/sqrt(x) near t = 0; ten steps across it keep the rule exact.
  const double kStep = std::min(0.01, 0.1 / std::sqrt(x));
  double sum = 0.5;
  for (int k = 1;; ++k) {
    const double t = k * kStep;
    const double exponent = x * (std::cosh(t) - 1.0) - nu * t;
    if (exponent > 800.0) break;
    sum += std::exp(-x * (std::cosh(t) - 1.0)) * (nu == 0 ? 1.0 : std::cosh(t));
  }
  return sum * kStep;
}

}  // namespace

double TheisWellFunction(double u) {
  return u <= 1.0 ? ExponentialIntegralSeries(u) : ExponentialIntegralFraction(u);
}

double HantushWellFunction(double u, double beta) {
  // With y = e^s the integrand exp(-e^s - beta^2 e^-s / 4) is smooth and decays doubly
  // exponentially at both ends; beyond y = 800 it is below the smallest double.
  const double lower = std::log(u);
  const double upper = std::log(800.0);
  if (!(upper > lower)) return 0.0;
  constexpr int kIntervals = 40000;
  const double h = (upper - lower) / kIntervals;
  auto f = [beta](double s) {
    const double y = std::exp(s);
    return std::exp(-y - beta * beta / (4.0 * y));
  };
  double sum = f(lower) + f(upper);
  for (int i = 1; i < kIntervals; ++i) sum += (i % 2 == 1 ? 4.0 : 2.0) * f(lower + i * h);
  return sum * h / 3.0;
}

double PapadopulosCooperWellFunction(double u, double alpha) {
  // D is |b H0(b) - 2 alpha H1(b)|^2 of the Hankel functions: free of oscillation, so a fixed
  // step in ln b resolves the integrand from b = e^-25 (where it vanishes like b) to e^8 (where
  // the rest of the integral, like b^-3, is below 1e-10).
  auto f = [u, alpha](double x) {
    const double b = std::exp(x);
    const double j = b * std::cyl_bessel_j(0.0, b) - 2.0 * alpha * std::cyl_bessel_j(1.0, b);
    const double y = b * std::cyl_neumann(0.0, b) - 2.0 * alpha * std::cyl_neumann(1.0, b);
    return -std::expm1(-b * b / (4.0 * u)) / (b * b * (j * j + y * y));
  };
  constexpr double kLower = -25.0;
  constexpr double kUpper = 8.0;
  constexpr int kIntervals = 33000;
  const double h = (kUpper - kLower) / kIntervals;
  double sum = f(kLower) + f(kUpper);
  for (int i = 1; i < kIntervals; ++i) sum += (i % 2 == 1 ? 4.0 : 2.0) * f(kLower + i * h);
  return 32.0 * alpha * alpha / (std::numbers::pi * std::numbers::pi) * sum * h / 3.0;
}

double ReferenceScaledBesselK0(double x) {
  return ScaledBesselK(0, x);
}
double ReferenceScaledBesselK1(double x) {
  return ScaledBesselK(1, x);
}

}  // namespace aqv::test
