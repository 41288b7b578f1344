#include "TanhTable.h"

namespace quendaris {
namespace tanh_table {

alignas(64) double tanhStorage[kEntries + 1];
alignas(64) double logCoshStorage[kEntries + 1];

namespace {

struct TableFiller {
    TableFiller() {
        for (int i = 0; i < kEntries; ++i) {
            const double x = i < kPoints ? static_cast<double>(i) * kRange / (kPoints - 1) : kRange;
            tanhStorage[i + 1] = std::tanh(x);
            // log(cosh x) = x + log1p(exp(-2x)) - ln 2; exp(-2x) stops mattering past 15.
            logCoshStorage[i + 1] =
                x <= 15.0 ? x + std::log1p(std::exp(-2.0 * x)) - kLn2 : x - kLn2;
        }
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
