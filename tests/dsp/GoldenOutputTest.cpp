#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "GoldenCases.h"

namespace quendaris::golden {
namespace {

struct Reference {
    const char* name;
    double sum;
    double sumOfSquares;
    double left[kSamplePositions];
    double right[kSamplePositions];
    double spectrumSum;
};

const Reference kReferences[] = {
#include "GoldenReference.inc"
};

// Tight enough to catch any change of arithmetic, loose enough for printing round trips.
void ExpectClose(double actual, double expected, const std::string& what) {
    EXPECT_NEAR(actual, expected, 1e-12 * std::max(1.0, std::fabs(expected))) << what;
}

TEST(GoldenOutput, EveryModelSlopeAndSettingReproducesReference) {
    const std::vector<Case> cases = Cases();
    ASSERT_EQ(cases.size(), sizeof(kReferences) / sizeof(kReferences[0]));
    for (size_t i = 0; i < cases.size(); ++i) {
        const Reference& ref = kReferences[i];
        ASSERT_EQ(cases[i].name, ref.name);
        const Result r = golden::Run(cases[i]);
        ExpectClose(r.sum, ref.sum, cases[i].name + " sum");
        ExpectClose(r.sumOfSquares, ref.sumOfSquares, cases[i].name + " sum of squares");
        for (int k = 0; k < kSamplePositions; ++k) {
            ExpectClose(r.left[k], ref.left[k], cases[i].name + " left " + std::to_string(k));
            ExpectClose(r.right[k], ref.right[k], cases[i].name + " right " + std::to_string(k));
        }
        ExpectClose(r.spectrumSum, ref.spectrumSum, cases[i].name + " spectrum");
    }
}

}  // namespace
}  // namespace quendaris::golden
