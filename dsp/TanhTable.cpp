#include "TanhTable.h"

#include <vector>

namespace quendaris {
namespace tanh_table {

alignas(64) Segment tanhSegments[kPoints];
alignas(64) Segment logCoshSegments[kPoints];

namespace {

// Catmull-Rom coefficients of every interval; points has kEntries values, the last two being
// guards at the end of the range.
void FillSegments(const std::vector<double>& points, Segment* segments) {
    for (int i = 0; i < kPoints; ++i) {
        const double p0 = i > 0 ? points[i - 1] : 0.0;
        const double p1 = points[i];
        const double p2 = points[i + 1];
        const double p3 = points[i + 2];
        segments[i] = {(p1 - p2) * 1.5 + (p3 - p0) * 0.5, p0 - 2.5 * p1 + 2.0 * p2 - 0.5 * p3,
                       (p2 - p0) * 0.5, p1};
    }
}

struct TableFiller {
    TableFiller() {
        std::vector<double> tanhPoints(kEntries);
        std::vector<double> logCoshPoints(kEntries);
        for (int i = 0; i < kEntries; ++i) {
            const double x = i < kPoints ? static_cast<double>(i) * kRange / (kPoints - 1) : kRange;
            tanhPoints[i] = std::tanh(x);
            // log(cosh x) = x + log1p(exp(-2x)) - ln 2; exp(-2x) stops mattering past 15.
            logCoshPoints[i] = x <= 15.0 ? x + std::log1p(std::exp(-2.0 * x)) - kLn2 : x - kLn2;
        }
        FillSegments(tanhPoints, tanhSegments);
        FillSegments(logCoshPoints, logCoshSegments);
    }
};

// Runs at module load, before any engine exists.
const TableFiller filler;

}  // namespace
}  // namespace tanh_table

DoublePair TableTanhPerLane(DoublePair x) {
    return PerLane(x, [](double a) { return TableTanh(a); });
}

DoublePair TableLogCoshPerLane(DoublePair x) {
    return PerLane(x, [](double a) { return TableLogCosh(a); });
}

DoublePair PadeOutsideLanes(DoublePair x, DoublePair y, PairMask outside) {
    return Select(outside, TableTanh(x), y);
}

}  // namespace quendaris
