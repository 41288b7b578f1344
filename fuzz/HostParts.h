#pragma once

// Host-side objects a hostile host hands the plug-in: streams that read short, fail or start
// mid-way, and parameter queues with any ids, offsets and values, in any order.
#include <cstdint>
#include <vector>

#include "pluginterfaces/base/ibstream.h"
#include "pluginterfaces/vst/ivstparameterchanges.h"

namespace quendaris::fuzz {

// Owned by the program on its stack; reference counting is a no-op.
#define QUENDARIS_FUZZ_STACK_REFCOUNT                 \
    Steinberg::uint32 PLUGIN_API addRef() override {  \
        return 1;                                     \
    }                                                 \
    Steinberg::uint32 PLUGIN_API release() override { \
        return 1;                                     \
    }

class HostileStream final : public Steinberg::IBStream {
  public:
    // Reads hand out at most maxPiece bytes (any amount when 0); the read numbered failAt
    // and all later ones answer kResultFalse, some still with bytes. Reading starts at start.
    HostileStream(std::vector<uint8_t> bytes, int32_t start, int32_t maxPiece, int32_t failAt);

    const std::vector<uint8_t>& Bytes() const { return bytes_; }
    int64_t Start() const { return start_; }

    Steinberg::tresult PLUGIN_API read(void* buffer, Steinberg::int32 numBytes,
                                       Steinberg::int32* numBytesRead) override;
    Steinberg::tresult PLUGIN_API write(void* buffer, Steinberg::int32 numBytes,
                                        Steinberg::int32* numBytesWritten) override;
    Steinberg::tresult PLUGIN_API seek(Steinberg::int64 pos, Steinberg::int32 mode,
                                       Steinberg::int64* result) override;
    Steinberg::tresult PLUGIN_API tell(Steinberg::int64* pos) override;

    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
    QUENDARIS_FUZZ_STACK_REFCOUNT

  private:
    std::vector<uint8_t> bytes_;
    int64_t start_;
    int64_t position_;
    int32_t maxPiece_;
    int32_t failAt_;
    int32_t reads_ = 0;
};

class RawQueue final : public Steinberg::Vst::IParamValueQueue {
  public:
    struct Point {
        Steinberg::int32 offset;
        Steinberg::Vst::ParamValue value;
    };
    Steinberg::Vst::ParamID id = 0;
    std::vector<Point> points;

    Steinberg::Vst::ParamID PLUGIN_API getParameterId() override { return id; }
    Steinberg::int32 PLUGIN_API getPointCount() override;
    Steinberg::tresult PLUGIN_API getPoint(Steinberg::int32 index, Steinberg::int32& sampleOffset,
                                           Steinberg::Vst::ParamValue& value) override;
    Steinberg::tresult PLUGIN_API addPoint(Steinberg::int32, Steinberg::Vst::ParamValue,
                                           Steinberg::int32&) override {
        return Steinberg::kResultFalse;
    }

    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
    QUENDARIS_FUZZ_STACK_REFCOUNT
};

class RawChanges final : public Steinberg::Vst::IParameterChanges {
  public:
    // A null entry is a queue the host claims but cannot hand out.
    std::vector<RawQueue*> queues;

    Steinberg::int32 PLUGIN_API getParameterCount() override;
    Steinberg::Vst::IParamValueQueue* PLUGIN_API getParameterData(Steinberg::int32 index) override;
    Steinberg::Vst::IParamValueQueue* PLUGIN_API addParameterData(const Steinberg::Vst::ParamID&,
                                                                  Steinberg::int32&) override {
        return nullptr;
    }

    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
    QUENDARIS_FUZZ_STACK_REFCOUNT
};

}  // namespace quendaris::fuzz
