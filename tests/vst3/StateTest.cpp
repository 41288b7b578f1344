// The state a host keeps in its project: 76 bytes, and what happens to bad streams.
#include <gtest/gtest.h>

#include <cmath>
#include <algorithm>
#include <cstring>
#include <limits>
#include <random>

#include "TestHost.h"

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace quendaris::test;

namespace {

// Parameter ranges: minimum and maximum of each of the nine parameters.
constexpr double kMin[9] = {20, 0, 0, -24, 0, 0, -24, 0, 0};
constexpr double kMax[9] = {20000, 100, 3, 24, 100, 100, 24, 1, 1};
constexpr double kDefaults[9] = {1840, 50, 0, 0, 0, 100, 0, 0, 0};

std::vector<char> MakeState(const double (&values)[9], int32_t bypass) {
    std::vector<char> bytes(76);
    for (int i = 0; i < 9; ++i)
        std::memcpy(bytes.data() + 8 * i, &values[i], 8);
    std::memcpy(bytes.data() + 72, &bypass, 4);
    return bytes;
}

double StoredValue(const std::vector<char>& state, int index) {
    double value = 0.0;
    std::memcpy(&value, state.data() + 8 * index, 8);
    return value;
}

int32_t StoredBypass(const std::vector<char>& state) {
    int32_t value = 0;
    std::memcpy(&value, state.data() + 72, 4);
    return value;
}

void ExpectEveryParameterInRange(Effect& effect) {
    const auto state = effect.SaveState();
    ASSERT_EQ(state.size(), 76u);
    for (int i = 0; i < 9; ++i) {
        SCOPED_TRACE(i);
        const double value = StoredValue(state, i);
        EXPECT_TRUE(std::isfinite(value));
        EXPECT_GE(value, kMin[i]);
        EXPECT_LE(value, kMax[i]);
        const double normalized = effect.Normalized(static_cast<ParamID>(i));
        EXPECT_GE(normalized, 0.0);
        EXPECT_LE(normalized, 1.0);
    }
    const double bypass = effect.Normalized(kBypassId);
    EXPECT_TRUE(bypass == 0.0 || bypass == 1.0);
}

const double kStored[9] = {500, 70, 2, -6, 30, 80, 3, 1, 0};

class State : public ::testing::Test {
  protected:
    Effect effect;
};

}  // namespace

TEST_F(State, FreshInstanceStoresDefaultsAndNoBypass) {
    const auto state = effect.SaveState();
    ASSERT_EQ(state.size(), 76u);
    for (int i = 0; i < 9; ++i)
        EXPECT_DOUBLE_EQ(StoredValue(state, i), kDefaults[i]) << i;
    EXPECT_EQ(StoredBypass(state), 0);
}

TEST_F(State, RoundTripRestoresEveryValueAndTheBypass) {
    const auto stored = MakeState(kStored, 1);
    ASSERT_EQ(effect.LoadState(stored.data(), 76), kResultOk);
    EXPECT_EQ(effect.SaveState(), stored);
    EXPECT_DOUBLE_EQ(effect.Plain(kParamCutoff), 500.0);
    EXPECT_DOUBLE_EQ(effect.Plain(kParamModel), 2.0);
    EXPECT_DOUBLE_EQ(effect.Normalized(kBypassId), 1.0);

    Effect other;
    ASSERT_EQ(other.LoadState(stored.data(), 76), kResultOk);
    EXPECT_EQ(other.SaveState(), stored);
}

TEST_F(State, HostStreamThatDoesNotStartAtZero) {
    // Hosts often keep several components in one stream; ours starts wherever it is.
    MemoryStream stream;
    const char header[13] = "other plugin";
    int32 written = 0;
    stream.write(const_cast<char*>(header), 13, &written);
    auto stored = MakeState(kStored, 1);
    stream.write(stored.data(), 76, &written);
    stream.seek(13, IBStream::kIBSeekSet, nullptr);
    ASSERT_EQ(effect.component->setState(&stream), kResultOk);
    EXPECT_EQ(effect.SaveState(), stored);
    EXPECT_DOUBLE_EQ(effect.Normalized(kBypassId), 1.0);

    MemoryStream saved;
    saved.write(const_cast<char*>(header), 13, &written);
    ASSERT_EQ(effect.component->getState(&saved), kResultOk);
    ASSERT_EQ(saved.getSize(), 13 + 76);
    EXPECT_EQ(std::memcmp(saved.getData() + 13, stored.data(), 76), 0);
}

TEST_F(State, ParametersWithoutTheBypassFieldRestoreButReportFailure) {
    const auto stored = MakeState(kStored, 1);
    EXPECT_EQ(effect.LoadState(stored.data(), 72), kResultFalse);
    const auto state = effect.SaveState();
    for (int i = 0; i < 9; ++i)
        EXPECT_DOUBLE_EQ(StoredValue(state, i), kStored[i]) << i;
    EXPECT_DOUBLE_EQ(effect.Plain(kParamResonance), 70.0);
    EXPECT_DOUBLE_EQ(effect.Normalized(kBypassId), 0.0);
}

TEST_F(State, ShortStreamRestoresTheLeadingParametersOnly) {
    const auto stored = MakeState(kStored, 1);
    EXPECT_EQ(effect.LoadState(stored.data(), 40), kResultFalse);
    const auto state = effect.SaveState();
    for (int i = 0; i < 5; ++i)
        EXPECT_DOUBLE_EQ(StoredValue(state, i), kStored[i]) << i;
    for (int i = 5; i < 9; ++i)
        EXPECT_DOUBLE_EQ(StoredValue(state, i), kDefaults[i]) << i;
    EXPECT_DOUBLE_EQ(effect.Plain(kParamDrive), 30.0);  // the controller shows what was restored
    EXPECT_DOUBLE_EQ(effect.Plain(kParamMix), 100.0);
    EXPECT_EQ(StoredBypass(state), 0);
}

TEST_F(State, EmptyAndMissingStreams) {
    const auto before = effect.SaveState();
    EXPECT_EQ(effect.LoadState("", 0), kResultFalse);
    EXPECT_EQ(effect.SaveState(), before);
    EXPECT_EQ(effect.component->setState(nullptr), kInvalidArgument);
    EXPECT_EQ(effect.component->getState(nullptr), kInvalidArgument);
}

TEST_F(State, TrailingBytesAreIgnored) {
    auto stored = MakeState(kStored, 0);
    stored.resize(76 + 5000, 'x');
    EXPECT_EQ(effect.LoadState(stored.data(), static_cast<int32>(stored.size())), kResultOk);
    stored.resize(76);
    EXPECT_EQ(effect.SaveState(), stored);
}

TEST_F(State, OutOfRangeValuesAreClampedAndSteppedValuesRounded) {
    const double wild[9] = {1e9, -5, 2.6, 100, 1e300, -1e300, -24.5, 0.4, 7};
    EXPECT_EQ(effect.LoadState(MakeState(wild, 1).data(), 76), kResultOk);
    const auto state = effect.SaveState();
    EXPECT_DOUBLE_EQ(StoredValue(state, kParamCutoff), 20000.0);
    EXPECT_DOUBLE_EQ(StoredValue(state, kParamResonance), 0.0);
    EXPECT_DOUBLE_EQ(StoredValue(state, kParamModel), 3.0);
    EXPECT_DOUBLE_EQ(StoredValue(state, kParamInput), 24.0);
    EXPECT_DOUBLE_EQ(StoredValue(state, kParamOutput), -24.0);
    EXPECT_DOUBLE_EQ(StoredValue(state, kParamPoles), 0.0);
    EXPECT_DOUBLE_EQ(StoredValue(state, kParamBypass), 1.0);
    ExpectEveryParameterInRange(effect);
}

TEST_F(State, NotANumberAndInfinityNeverReachTheParameters) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const double bad[9] = {nan, inf, -inf, nan, nan, inf, -inf, nan, nan};
    effect.LoadState(MakeState(bad, 12345).data(), 76);
    ExpectEveryParameterInRange(effect);
    EXPECT_DOUBLE_EQ(effect.Normalized(kBypassId), 1.0);
}

TEST_F(State, RandomGarbageNeverLeavesAParameterOutOfRange) {
    std::mt19937 random(2024);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> length(0, 300);
    for (int round = 0; round < 300; ++round) {
        std::vector<char> garbage(static_cast<size_t>(length(random)));
        for (auto& b : garbage)
            b = static_cast<char>(byte(random));
        effect.LoadState(garbage.data(), static_cast<int32>(garbage.size()));
        ExpectEveryParameterInRange(effect);
        if (HasFatalFailure())
            return;
    }
}

namespace {

// A host stream that hands out a few bytes per read and reports each read as failed.
class GrudgingStream : public IBStream {
  public:
    explicit GrudgingStream(std::vector<char> bytes) : bytes_(std::move(bytes)) {}
    tresult PLUGIN_API read(void* buffer, int32 numBytes, int32* numBytesRead) override {
        const int32 count =
            std::min({numBytes, int32{10}, static_cast<int32>(bytes_.size()) - position_});
        std::memcpy(buffer, bytes_.data() + position_, static_cast<size_t>(count));
        position_ += count;
        if (numBytesRead)
            *numBytesRead = count;
        return kResultFalse;
    }
    tresult PLUGIN_API write(void*, int32, int32*) override { return kNotImplemented; }
    tresult PLUGIN_API seek(int64, int32, int64*) override { return kNotImplemented; }
    tresult PLUGIN_API tell(int64* pos) override {
        if (pos)
            *pos = position_;
        return kResultOk;
    }
    tresult PLUGIN_API queryInterface(const TUID, void** obj) override {
        *obj = nullptr;
        return kNoInterface;
    }
    uint32 PLUGIN_API addRef() override { return 1; }
    uint32 PLUGIN_API release() override { return 1; }

  private:
    std::vector<char> bytes_;
    int32 position_ = 0;
};

}  // namespace

TEST(StateHosts, FailingReadsEndTheStateExceptUnderWaveLab) {
    const auto stored = MakeState(kStored, 1);
    Effect strict;
    GrudgingStream first(stored);
    EXPECT_EQ(strict.component->setState(&first), kResultFalse);
    EXPECT_DOUBLE_EQ(strict.Plain(kParamCutoff), 500.0);    // the first piece arrived
    EXPECT_DOUBLE_EQ(strict.Plain(kParamResonance), 50.0);  // the rest did not

    NamedHost wavelab(u"WaveLab Pro 12");
    Effect tolerant(&wavelab);
    GrudgingStream second(stored);
    EXPECT_EQ(tolerant.component->setState(&second), kResultOk);
    EXPECT_EQ(tolerant.SaveState(), stored);
}
