#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <tuple>

#include "model/engine/AQVBessel.h"
#include "tests/support/ClosedForms.h"

namespace aqv {
namespace {

// x, K0(x), K1(x) and the relative tolerance that the range routine for x can reach. Reference
// values to 17 digits (Abramowitz & Stegun table 9.8, extended by an independent 30-digit
// evaluation). The tolerances follow the ranges: the series and the quadrature reach double
// precision, the Chebyshev coefficients are given to about 1e-15 absolute, and from x = 300 on
// three asymptotic terms leave a relative error of about 225/(3072 x^3).
const std::tuple<double, double, double, double> kBesselReferences[] = {
    {0.01, 4.7212447301610950, 99.973894118296248, 1e-15},
    {0.1, 2.4270690247020166, 9.8538447808706061, 1e-15},
    {1.0, 0.42102443824070833, 0.60190723019723457, 1e-15},
    {1.5, 0.21380556264752574, 0.27738780045684382, 1e-15},
    {2.0, 0.11389387274953344, 0.13986588181652243, 1e-14},
    {5.0, 0.0036910983340425943, 0.0040446134454521642, 1e-14},
    {10.0, 1.7780062316167652e-05, 1.8648773453825585e-05, 1e-14},
    {50.0, 3.4101677497894955e-23, 3.4441022267175556e-23, 1e-14},
    {200.0, 1.2256819797765335e-88, 1.2287423734729858e-88, 1e-14},
    {500.0, 3.9923216091177929e-219, 3.9963119385460033e-219, 1e-9},
};

TEST(AQVBessel, MatchesReferenceValuesAcrossAllRanges) {
  for (const auto& [x, k0Reference, k1Reference, tolerance] : kBesselReferences) {
    double k1 = 0.0;
    const double k0 = BesselK0K1(x, k1);
    EXPECT_NEAR(k0 / k0Reference, 1.0, tolerance) << "x = " << x;
    EXPECT_NEAR(k1 / k1Reference, 1.0, tolerance) << "x = " << x;
  }
}

TEST(AQVBessel, MatchesIndependentQuadratureOnADenseGrid) {
  // The trapezoidal reference is accurate to about 1e-15; 5e-14 covers the Chebyshev branch.
  for (double x = 0.05; x < 250.0; x *= 1.37) {
    double k1 = 0.0;
    const double k0 = BesselK0K1(x, k1);
    const double scale = std::exp(x);
    EXPECT_NEAR(k0 * scale / test::ReferenceScaledBesselK0(x), 1.0, 5e-14) << "x = " << x;
    EXPECT_NEAR(k1 * scale / test::ReferenceScaledBesselK1(x), 1.0, 5e-14) << "x = " << x;
  }
}

TEST(AQVBessel, SeriesGivesTheStatedValuesAtOne) {
  double k1 = 0.0;
  const double k0 = BesselK0K1Series(1.0, k1);
  EXPECT_NEAR(k0, 0.42102443824070834, 1e-16);
  EXPECT_NEAR(k1, 0.6019072301972346, 1e-16);
}

TEST(AQVBessel, RangesAgreeAtTheirBoundaries) {
  double k1Series = 0.0, k1Quadrature = 0.0, k1Large = 0.0;
  const double k0Series = BesselK0K1Series(1.5, k1Series);
  const double k0Quadrature = BesselK0K1Quadrature(1.5, k1Quadrature);
  // About 1e-14 apart: the quadrature's last node weights limit it near its lower end.
  EXPECT_NEAR(k0Series / k0Quadrature, 1.0, 5e-14);
  EXPECT_NEAR(k1Series / k1Quadrature, 1.0, 5e-14);

  const double k0AtFive = BesselK0K1Quadrature(5.0, k1Quadrature);
  const double k0LargeAtFive = BesselK0K1Large(5.0, k1Large);
  EXPECT_NEAR(k0LargeAtFive / k0AtFive, 1.0, 1e-14);
  EXPECT_NEAR(k1Large / k1Quadrature, 1.0, 1e-14);

  // The asymptotic branch from 300 on continues the Chebyshev branch within its own accuracy.
  const double k0Below = BesselK0K1(std::nextafter(300.0, 0.0), k1Large);
  double k1Above = 0.0;
  const double k0Above = BesselK0K1(300.0, k1Above);
  EXPECT_NEAR(k0Above / k0Below, 1.0, 1e-8);
  EXPECT_NEAR(k1Above / k1Large, 1.0, 1e-8);
}

TEST(AQVBessel, BoundariesBelongToTheLowerRange) {
  double k1 = 0.0, k1Expected = 0.0;
  EXPECT_EQ(BesselK0K1(1.5, k1), BesselK0K1Series(1.5, k1Expected));
  EXPECT_EQ(k1, k1Expected);
  EXPECT_EQ(BesselK0K1(5.0, k1), BesselK0K1Quadrature(5.0, k1Expected));
  EXPECT_EQ(k1, k1Expected);
  EXPECT_EQ(BesselK0K1(5.000001, k1), BesselK0K1Large(5.000001, k1Expected));
}

TEST(AQVBessel, ZeroFromTenThousandOn) {
  for (double x : {10000.0, 1e6, 1e300, std::numeric_limits<double>::infinity()}) {
    double k1 = 1.0;
    EXPECT_EQ(BesselK0K1(x, k1), 0.0) << x;
    EXPECT_EQ(k1, 0.0) << x;
  }
}

TEST(AQVBessel, ZeroNegativeAndSubnormalArgumentsAreTakenAsTheSmallestArgument) {
  const double expected = std::log(2.0) - std::log(1e-308) - 0.5772156649015329;
  for (double x : {0.0, -1.0, -std::numeric_limits<double>::infinity(), 1e-320}) {
    double k1 = 0.0;
    EXPECT_NEAR(BesselK0K1(x, k1), expected, 1e-12) << x;
    EXPECT_NEAR(BesselK0OverXK1(x), expected, 1e-12) << x;
  }
  EXPECT_NEAR(BesselK0OverXK1(0.0), 709.3, 0.05);
}

TEST(AQVBessel, NaNArgumentReturnsNaNWithoutHanging) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  double k1 = 0.0;
  EXPECT_TRUE(std::isnan(BesselK0K1(nan, k1)));
  EXPECT_TRUE(std::isnan(k1));
  EXPECT_TRUE(std::isnan(BesselK0K1Series(nan, k1)));
  EXPECT_TRUE(std::isnan(BesselK0OverXK1(nan)));
  EXPECT_TRUE(std::isnan(FiniteRadiusRatio(10.0, nan, 0.1)));
  EXPECT_TRUE(std::isnan(FiniteRadiusRatio(nan, 1.0, 0.1)));
  EXPECT_TRUE(std::isnan(FiniteRadiusRatio(10.0, 1.0, nan)));
}

TEST(AQVBessel, WellFaceRatioUsesAsymptoticFormFromSevenHundred) {
  const double x = 700.0;
  // Close to (1 - 1/(2x))/x; three asymptotic terms leave about 1e-9 relative.
  EXPECT_NEAR(BesselK0OverXK1(x) * x / (1.0 - 0.5 / x), 1.0, 1e-6);
  const double expected = test::ReferenceScaledBesselK0(x) / (x * test::ReferenceScaledBesselK1(x));
  EXPECT_NEAR(BesselK0OverXK1(x) / expected, 1.0, 2e-9);
  // Continuous with the Bessel quotient just below, within the three-term accuracy.
  EXPECT_NEAR(BesselK0OverXK1(std::nextafter(x, 0.0)) / BesselK0OverXK1(x), 1.0, 2e-9);
  // Finite and positive where e^(-x) has underflowed.
  EXPECT_NEAR(BesselK0OverXK1(1e6) * 1e6, 1.0 - 0.5e-6, 1e-12);
}

// K0(x)/(x K1(x)) against the independent scaled references, across every range routine and
// the asymptotic form. The tolerances are those of the approximations: double precision below
// 300, three asymptotic terms (about 0.18/x^3 in the quotient) from 300 to 700, and four from
// 700 on (about 0.26/x^4).
TEST(AQVBessel, WellFaceRatioMatchesIndependentBesselValues) {
  for (double x : {1e-6, 0.03, 0.7, 1.5, 3.0, 5.0, 12.0, 120.0, 299.0, 301.0, 650.0, 699.9, 700.0,
                   708.0, 720.0, 745.0, 760.0, 2000.0, 20000.0}) {
    const double expected =
        test::ReferenceScaledBesselK0(x) / (x * test::ReferenceScaledBesselK1(x));
    const double tolerance = x < 300.0 ? 1e-12 : x < 700.0 ? 0.2 / (x * x * x) : 2e-12;
    EXPECT_NEAR(BesselK0OverXK1(x) / expected, 1.0, tolerance) << x;
    EXPECT_EQ(WellFaceBessel(x).RatioOverX, BesselK0OverXK1(x)) << x;
  }
}

// Where K1(b) is subnormal (b from about 708 to 745) the quotient K0(a)/(b K1(b)) lost its
// accuracy (32 % at b = 740 with a - b = 1), and from 745 on it switched form only where K1 is
// exactly 0. The whole band must follow the independent value.
TEST(AQVBessel, WellFaceRatioStaysAccurateWhereK1IsSubnormal) {
  const double rw = 0.1;
  for (double b = 690.0; b <= 760.0; b += 0.5) {
    const double q = b / rw;
    for (double d : {0.0, 1.0, 10.0}) {
      const double r = rw + d / q;
      const double a = r * q;
      const double expected = std::exp(b - a) * test::ReferenceScaledBesselK0(a) /
                              (b * test::ReferenceScaledBesselK1(b));
      // Three asymptotic terms below 700, four above; e^(b - a) adds the rounding of a.
      const double tolerance = b < 700.0 ? 1e-9 : 5e-12;
      EXPECT_NEAR(FiniteRadiusRatio(r, q, rw) / expected, 1.0, tolerance) << b << " " << d;
      EXPECT_NEAR(FiniteRadiusRatio(r, q, WellFaceBessel(b)) / expected, 1.0, tolerance)
          << b << " " << d;
    }
  }
}

// The division of an observation well's finite-radius ratio by y K1(y) went through the same
// subnormal band, and from y = 745 on, where y K1(y) is 0, it was skipped altogether; with
// b + y beyond 745, K0(a) was 0 although the quotient is of order 1.
TEST(AQVBessel, RatioOverXK1StaysAccurateWhereK1IsSubnormal) {
  for (double b : {2.0, 300.0, 705.0, 740.0}) {
    for (double y = 690.0; y <= 760.0; y += 0.5) {
      for (double d : {0.0, 1.0}) {
        const double a = b + y + d;
        const double q = 1000.0;
        const double expected = std::exp(b + y - a) * test::ReferenceScaledBesselK0(a) /
                                (b * test::ReferenceScaledBesselK1(b)) /
                                (y * test::ReferenceScaledBesselK1(y));
        // Three asymptotic terms in a factor below 700 (1e-9); otherwise four, with the
        // rounding of a magnified by e^(b + y - a).
        const double tolerance = b < 700.0 && b >= 300.0 ? 1e-8 : y < 700.0 ? 1e-9 : 5e-12;
        EXPECT_NEAR(
            FiniteRadiusRatioOverXK1(a / q, q, WellFaceBessel(b), WellFaceBessel(y)) / expected,
            1.0, tolerance)
            << b << " " << y << " " << d;
      }
    }
  }
  // Below 700 everywhere it is the plain division.
  const TWellFaceBessel face = WellFaceBessel(0.3);
  const TWellFaceBessel own = WellFaceBessel(0.02);
  EXPECT_EQ(FiniteRadiusRatioOverXK1(30.0, 1.0, face, own),
            FiniteRadiusRatio(30.0, 1.0, face) / own.Denominator);
}

TEST(AQVBessel, FiniteRadiusRatioAtTheWellFaceEqualsTheWellFaceRatio) {
  for (double q : {1e-9, 1e-4, 0.02, 1.0, 30.0, 6999.0}) {
    const double rw = 0.1;
    EXPECT_NEAR(FiniteRadiusRatio(rw, q, rw) / BesselK0OverXK1(q * rw), 1.0, 1e-14) << q;
  }
  // Below 1e-10 the denominator is its limit 1, so the ratio is K0(q R).
  double k1 = 0.0;
  EXPECT_EQ(FiniteRadiusRatio(0.1, 1e-10, 0.1), BesselK0K1(1e-11, k1));
  EXPECT_EQ(FiniteRadiusRatio(50.0, 1e-10, 0.1), BesselK0K1(5e-9, k1));
}

TEST(AQVBessel, FiniteRadiusRatioBeyondUnderflowUsesTheExponentialForm) {
  // b = q rw = 20000: K1(b) is 0 in double; compare with the scaled reference functions.
  // e^(b - a) with b - a up to -20 magnifies the rounding of its argument: 1e-11.
  const double q = 200000.0, rw = 0.1;
  for (double r : {0.1, 0.100001, 0.1001}) {
    const double a = q * r;
    const double b = q * rw;
    const double expected =
        std::exp(b - a) * test::ReferenceScaledBesselK0(a) / (b * test::ReferenceScaledBesselK1(b));
    EXPECT_NEAR(FiniteRadiusRatio(r, q, rw) / expected, 1.0, 1e-11) << r;
  }
  // q (R - Rw) >= 720: the ratio underflows to 0.
  EXPECT_EQ(FiniteRadiusRatio(rw + 720.0 / q, q, rw), 0.0);
  EXPECT_GT(FiniteRadiusRatio(rw + 700.0 / q, q, rw), 0.0);
}

TEST(AQVBessel, SharedWellFaceValuesGiveIdenticalRatios) {
  for (double b : {0.0, 1e-12, 1e-5, 0.4, 2.0, 9.0, 650.0, 800.0, 12000.0}) {
    const double rw = 0.2;
    const double q = b / rw;
    const TWellFaceBessel face = WellFaceBessel(b);
    EXPECT_EQ(face.RatioOverX, BesselK0OverXK1(b)) << b;
    for (double r : {0.2, 0.5, 3.0, 40.0})
      EXPECT_EQ(FiniteRadiusRatio(r, q, face), FiniteRadiusRatio(r, q, rw)) << b << " " << r;
  }
}

}  // namespace
}  // namespace aqv
