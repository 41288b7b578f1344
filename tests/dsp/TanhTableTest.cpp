#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "TanhTable.h"

namespace quendaris {
namespace {

constexpr double kLn2 = 0.6931471805599453;

TEST(TableTanh, SaturatesExactlyFromSixteen) {
    EXPECT_EQ(TableTanh(16.0), 1.0);
    EXPECT_EQ(TableTanh(-20.0), -1.0);
    EXPECT_EQ(TableTanh(1e300), 1.0);
}

TEST(TableTanh, ZeroAtZeroAndOdd) {
    EXPECT_EQ(TableTanh(0.0), 0.0);
    for (double x : {0.001, 0.3, 1.0, 2.5, 7.0, 15.99}) {
        EXPECT_EQ(TableTanh(-x), -TableTanh(x)) << x;
    }
}

TEST(TableTanh, TracksLibraryTanhClosely) {
    for (double x = -17.0; x <= 17.0; x += 0.0137) {
        EXPECT_NEAR(TableTanh(x), std::tanh(x), 1e-10) << x;
    }
}

TEST(TableTanh, NaNArgumentIsPassedOnNotUsedAsIndex) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_TRUE(std::isnan(TableTanh(nan)));
    EXPECT_TRUE(std::isnan(TableLogCosh(nan)));
    EXPECT_TRUE(std::isnan(PadeTanh(nan)));
    EXPECT_EQ(TableTanh(std::numeric_limits<double>::infinity()), 1.0);
}

TEST(TableLogCosh, LinearBeyondSixteen) {
    EXPECT_EQ(TableLogCosh(20.0), 20.0 - kLn2);
    EXPECT_EQ(TableLogCosh(-20.0), 20.0 - kLn2);
}

TEST(TableLogCosh, EvenAndCloseToLogCosh) {
    for (double x = 0.0; x < 16.0; x += 0.0291) {
        EXPECT_EQ(TableLogCosh(-x), TableLogCosh(x)) << x;
        EXPECT_NEAR(TableLogCosh(x), std::log(std::cosh(x)), 1e-9) << x;
    }
}

TEST(PadeTanh, RationalBelowOnePointFiveTableFromThere) {
    const double x = 1.4999;
    EXPECT_NEAR(PadeTanh(x), x * (x * x + 27.0) / (9.0 * x * x + 27.0), 1e-15);
    EXPECT_GT(PadeTanh(x) - std::tanh(x), 0.02);  // visibly not the table
    EXPECT_EQ(PadeTanh(-x), -PadeTanh(x));
    EXPECT_EQ(PadeTanh(1.5), TableTanh(1.5));
    EXPECT_EQ(PadeTanh(-3.0), TableTanh(-3.0));
}

// The two-channel form must take the same branch as the single one right at the edge of the
// rational range, and must not let NaN or infinity reach the table as an index.
TEST(PadeTanh, PairTakesTheSameBranchAsSingleAtTheEdge) {
    const double below = std::nextafter(1.5, 0.0);
    const double cases[][2] = {{below, 1.5},   {-below, -1.5}, {1.5, below},
                               {-1.5, -below}, {0.0, -0.0},    {1e300, -1e-300}};
    for (const auto& c : cases) {
        const quendaris::DoublePair y = PadeTanh(quendaris::DoublePair(c[0], c[1]));
        EXPECT_EQ(y.Lane0(), PadeTanh(c[0])) << c[0];
        EXPECT_EQ(y.Lane1(), PadeTanh(c[1])) << c[1];
    }
    EXPECT_NE(PadeTanh(below), TableTanh(below));
    const double inf = std::numeric_limits<double>::infinity();
    const quendaris::DoublePair odd = PadeTanh(quendaris::DoublePair(std::nan(""), -inf));
    EXPECT_TRUE(std::isnan(odd.Lane0()));
    EXPECT_EQ(odd.Lane1(), -1.0);
}

TEST(PadeTanh, CloseToTanhForSmallSignals) {
    for (double x = -0.5; x <= 0.5; x += 0.01) {
        EXPECT_NEAR(PadeTanh(x), std::tanh(x), 0.01 * std::fabs(std::tanh(x)) + 1e-15) << x;
    }
}

TEST(AdaaTanh, EqualArgumentsGiveTanhAndItsSlope) {
    for (double v : {-2.0, -0.1, 0.0, 0.7, 5.0}) {
        const auto r = AdaaTanh(v, v);
        EXPECT_EQ(r.value, TableTanh(v));
        EXPECT_EQ(r.slope, 1.0 - TableTanh(v) * TableTanh(v));
    }
}

TEST(AdaaTanh, AveragesTanhOverTheStep) {
    // Mean of tanh over [0.2, 0.6] and the derivative of that mean with respect to its end.
    const double a = 0.2, b = 0.6;
    const double mean = (std::log(std::cosh(b)) - std::log(std::cosh(a))) / (b - a);
    const double slope =
        (std::tanh(b) * (b - a) - (std::log(std::cosh(b)) - std::log(std::cosh(a)))) /
        ((b - a) * (b - a));
    const auto r = AdaaTanh(b, a);
    EXPECT_NEAR(r.value, mean, 1e-9);
    EXPECT_NEAR(r.slope, slope, 1e-8);
    EXPECT_GT(r.value, std::tanh(a));
    EXPECT_LT(r.value, std::tanh(b));
}

}  // namespace
}  // namespace quendaris
