#include "PluginProcessor.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

namespace quendaris {

namespace {

void CopySamples(double* destination, const double* source, int nFrames) {
    if (nFrames > 0 && destination != source) {
        std::memmove(destination, source, sizeof(double) * static_cast<size_t>(nFrames));
    }
}

void ZeroSamples(double* destination, int nFrames) {
    std::fill(destination, destination + nFrames, 0.0);
}

// A finite sample beyond the float range would reach the host as infinity and poison its mix
// bus; it saturates at the largest finite float instead. Not-a-number passes as it is: the
// limit is the first operand of each select, which is what vector min and max compute.
void SaturateToFloat(float* destination, const double* source, int nFrames) {
    constexpr double kLargest = std::numeric_limits<float>::max();
    int s = 0;
#if defined(__SSE2__) || defined(_M_X64)
    // Written out because the compiler turns the selects below into branches once it knows
    // the limit, which makes the whole conversion several times slower.
    const __m128d upper = _mm_set1_pd(kLargest);
    const __m128d lower = _mm_set1_pd(-kLargest);
    for (; s + 4 <= nFrames; s += 4) {
        const __m128d a = _mm_max_pd(lower, _mm_min_pd(upper, _mm_loadu_pd(source + s)));
        const __m128d b = _mm_max_pd(lower, _mm_min_pd(upper, _mm_loadu_pd(source + s + 2)));
        _mm_storeu_ps(destination + s, _mm_movelh_ps(_mm_cvtpd_ps(a), _mm_cvtpd_ps(b)));
    }
#endif
    for (; s < nFrames; ++s) {
        double sample = source[s];
        sample = kLargest < sample ? kLargest : sample;
        sample = -kLargest > sample ? -kLargest : sample;
        destination[s] = static_cast<float>(sample);
    }
}

}  // namespace

PluginProcessor::PluginProcessor(const PluginConfig& config)
    : mPlugType(config.plugType),
      mDoesMidiIn(config.doesMidiIn),
      mDoesMidiOut(config.doesMidiOut),
      mDoesMPE(config.doesMPE),
      mLatency(std::max(config.latency, 0)) {
    ChannelIOSummary summary = ParseChannelIOStr(config.channelIOStr, mIOConfigs);
    int nInputs = std::max(summary.maxInputChannels, 0);
    int nOutputs = std::max(summary.maxOutputChannels, 0);
    mInputRoutes.resize(static_cast<size_t>(nInputs));
    mOutputRoutes.resize(static_cast<size_t>(nOutputs));
    mInputPtrs.assign(static_cast<size_t>(nInputs), nullptr);
    mOutputPtrs.assign(static_cast<size_t>(nOutputs), nullptr);
    if (nInputs > 0) {
        mDelay = std::make_unique<DelayLine>();
        mDelay->nInputs = nInputs;
        mDelay->nOutputs = nOutputs;
        ResetDelayLine(mLatency);
    }
}

PluginProcessor::~PluginProcessor() = default;

void PluginProcessor::ProcessAudioBlock(double** inputs, double** outputs, int nFrames) {
    int nIn = NChannels(kInput);
    for (int c = 0; c < NChannels(kOutput); ++c) {
        if (c < nIn) {
            CopySamples(outputs[c], inputs[c], nFrames);
        } else {
            ZeroSamples(outputs[c], nFrames);
        }
    }
}

bool PluginProcessor::SendMidiMsg(const MidiMessage& msg) {
    (void)msg;
    return false;
}

bool PluginProcessor::SendMidiMsgs(const std::vector<MidiMessage>& msgs) {
    bool allSent = true;
    for (const MidiMessage& msg : msgs)
        allSent = SendMidiMsg(msg) && allSent;
    return allSent;
}

bool PluginProcessor::SendSysEx(const SysExMessage& msg) {
    (void)msg;
    return false;
}

void PluginProcessor::GetBusName(BusDirection dir, int busIdx, int nBuses,
                                 std::string& name) const {
    if (dir == kInput) {
        if (nBuses == 1) {
            name = "Input";
        } else if (nBuses == 2 && (busIdx == 0 || busIdx == 1)) {
            name = busIdx == 0 ? "Main" : "Aux";
        } else {
            name = "Input " + std::to_string(busIdx);
        }
    } else {
        name = nBuses == 1 ? "Output" : "Output " + std::to_string(busIdx);
    }
}

void PluginProcessor::SetLatency(int samples) {
    mLatency = std::max(samples, 0);
    if (mDelay)
        ResetDelayLine(mLatency);
}

void PluginProcessor::ResetDelayLine(int samples) {
    mDelay->length = samples;
    mDelay->position = 0;
    mDelay->buffer.assign(static_cast<size_t>(samples) * static_cast<size_t>(mDelay->nInputs), 0.0);
}

const BusConfig* PluginProcessor::GetIOConfig(int index) const {
    if (index < 0 || index >= NIOConfigs())
        return nullptr;
    return &mIOConfigs[static_cast<size_t>(index)];
}

int PluginProcessor::MaxNBuses(BusDirection dir, int* configIdx) const {
    int maxBuses = 0;
    int maxIdx = -1;
    for (int i = 0; i < NIOConfigs(); ++i) {
        int n = mIOConfigs[static_cast<size_t>(i)].NBuses(dir);
        if (maxIdx < 0 || n >= maxBuses) {
            maxBuses = n;
            maxIdx = i;
        }
    }
    if (configIdx)
        *configIdx = maxIdx;
    return maxBuses;
}

int PluginProcessor::MaxNChannelsForBus(BusDirection dir, int busIdx) const {
    if (!mIOConfigs.empty() && mIOConfigs.front().HasWildcard(dir))
        return -1;
    int maxChannels = 0;
    for (const BusConfig& config : mIOConfigs) {
        maxChannels = std::max(maxChannels, config.NChannels(dir, busIdx));
    }
    return maxChannels;
}

int PluginProcessor::GetIOConfigWithChanCounts(const std::vector<int>& inputBuses,
                                               const std::vector<int>& outputBuses) const {
    auto matches = [](const std::vector<BusRecord>& buses, const std::vector<int>& counts) {
        if (buses.size() != counts.size())
            return false;
        for (size_t i = 0; i < buses.size(); ++i) {
            if (buses[i].nChannels != counts[i])
                return false;
        }
        return true;
    };
    for (int i = 0; i < NIOConfigs(); ++i) {
        const BusConfig& config = mIOConfigs[static_cast<size_t>(i)];
        if (matches(config.inputs, inputBuses) && matches(config.outputs, outputBuses))
            return i;
    }
    return -1;
}

int PluginProcessor::NChannelsConnected(BusDirection dir) const {
    const auto& routes = Routes(dir);
    return static_cast<int>(std::count_if(routes.begin(), routes.end(),
                                          [](const ChannelRoute& r) { return r.connected; }));
}

bool PluginProcessor::IsChannelConnected(BusDirection dir, int channel) const {
    const auto& routes = Routes(dir);
    if (channel < 0 || channel >= static_cast<int>(routes.size()))
        return false;
    return routes[static_cast<size_t>(channel)].connected;
}

void PluginProcessor::SetChannelConnections(BusDirection dir, int first, int count,
                                            bool connected) {
    auto& routes = Routes(dir);
    int begin = std::max(first, 0);
    int end = std::min(first + std::max(count, 0), static_cast<int>(routes.size()));
    for (int c = begin; c < end; ++c) {
        ChannelRoute& route = routes[static_cast<size_t>(c)];
        route.connected = connected;
        // Host buffers belong to one block; each block attaches its own.
        route.hostInput32 = nullptr;
        route.hostOutput32 = nullptr;
        route.host64 = nullptr;
        if (!connected && route.scratchDirty) {
            std::fill(route.scratch.begin(), route.scratch.end(), 0.0);
            route.scratchDirty = false;
        }
    }
}

void PluginProcessor::AttachBuffers(BusDirection dir, int first, int count, float** buffers,
                                    int nFrames) {
    (void)nFrames;
    auto& routes = Routes(dir);
    int next = 0;
    int end = std::min(first + std::max(count, 0), static_cast<int>(routes.size()));
    for (int c = std::max(first, 0); c < end; ++c) {
        ChannelRoute& route = routes[static_cast<size_t>(c)];
        if (!route.connected)
            continue;
        float* buffer = buffers ? buffers[next] : nullptr;
        ++next;
        route.host64 = nullptr;
        if (dir == kInput) {
            route.hostInput32 = buffer;
        } else {
            route.hostOutput32 = buffer;
        }
    }
}

void PluginProcessor::AttachBuffers(BusDirection dir, int first, int count, double** buffers) {
    auto& routes = Routes(dir);
    int next = 0;
    int end = std::min(first + std::max(count, 0), static_cast<int>(routes.size()));
    for (int c = std::max(first, 0); c < end; ++c) {
        ChannelRoute& route = routes[static_cast<size_t>(c)];
        if (!route.connected)
            continue;
        route.hostInput32 = nullptr;
        route.hostOutput32 = nullptr;
        route.host64 = buffers ? buffers[next] : nullptr;
        ++next;
    }
}

void PluginProcessor::SetBlockSize(int nFrames) {
    nFrames = std::max(nFrames, 0);
    if (nFrames == mBlockSize)
        return;
    for (auto* routes : {&mInputRoutes, &mOutputRoutes}) {
        for (ChannelRoute& route : *routes) {
            route.scratch.assign(static_cast<size_t>(nFrames), 0.0);
            route.scratchDirty = false;
        }
    }
    mBlockSize = nFrames;
}

void PluginProcessor::ZeroScratchBuffers() {
    for (auto* routes : {&mInputRoutes, &mOutputRoutes}) {
        for (ChannelRoute& route : *routes) {
            std::fill(route.scratch.begin(), route.scratch.end(), 0.0);
            route.scratchDirty = false;
        }
    }
}

void PluginProcessor::SetSampleRate(double sampleRate) {
    if (sampleRate > 0.0 && std::isfinite(sampleRate))
        mSampleRate = sampleRate;
}

void PluginProcessor::RunBlock(int nFrames, bool passThrough) {
    if (nFrames <= 0) {
        // A flush still does the block's bookkeeping; no sample is read or written.
        if (!passThrough) {
            PrepareInputs(0, 0);
            PrepareOutputs(0);
            ProcessAudioBlock(mInputPtrs.data(), mOutputPtrs.data(), 0);
        }
        return;
    }
    if (mBlockSize <= 0) {
        // Nothing was prepared: silence is the only output that needs no buffers.
        SilenceHostOutputs(nFrames);
        return;
    }
    for (int offset = 0; offset < nFrames; offset += mBlockSize) {
        int n = std::min(mBlockSize, nFrames - offset);
        PrepareInputs(offset, n);
        PrepareOutputs(offset);
        if (passThrough) {
            PassThrough(n);
        } else {
            ProcessAudioBlock(mInputPtrs.data(), mOutputPtrs.data(), n);
        }
        FinishOutputs(offset, n);
    }
}

void PluginProcessor::PrepareInputs(int offset, int nFrames) {
    for (size_t c = 0; c < mInputRoutes.size(); ++c) {
        ChannelRoute& route = mInputRoutes[c];
        double* scratch = route.scratch.data();
        if (route.connected && route.host64) {
            mInputPtrs[c] = route.host64 + offset;
        } else if (route.connected && route.hostInput32) {
            const float* source = route.hostInput32 + offset;
            for (int s = 0; s < nFrames; ++s)
                scratch[s] = static_cast<double>(source[s]);
            route.scratchDirty = true;
            mInputPtrs[c] = scratch;
        } else {
            // No host audio this block: an earlier block's samples must not replay.
            if (route.scratchDirty) {
                std::fill(route.scratch.begin(), route.scratch.end(), 0.0);
                route.scratchDirty = false;
            }
            mInputPtrs[c] = scratch;
        }
    }
}

void PluginProcessor::PrepareOutputs(int offset) {
    for (size_t c = 0; c < mOutputRoutes.size(); ++c) {
        ChannelRoute& route = mOutputRoutes[c];
        mOutputPtrs[c] =
            (route.connected && route.host64) ? route.host64 + offset : route.scratch.data();
    }
}

void PluginProcessor::FinishOutputs(int offset, int nFrames) {
    for (ChannelRoute& route : mOutputRoutes) {
        if (!route.connected || !route.hostOutput32 || route.host64)
            continue;
        SaturateToFloat(route.hostOutput32 + offset, route.scratch.data(), nFrames);
    }
}

void PluginProcessor::SilenceHostOutputs(int nFrames) {
    for (ChannelRoute& route : mOutputRoutes) {
        if (!route.connected)
            continue;
        if (route.host64)
            ZeroSamples(route.host64, nFrames);
        if (route.hostOutput32)
            std::fill(route.hostOutput32, route.hostOutput32 + nFrames, 0.0f);
    }
}

void PluginProcessor::PassThrough(int nFrames) {
    int nIn = NChannels(kInput);
    int nOut = NChannels(kOutput);
    int nBoth = std::min(nIn, nOut);
    if (mLatency > 0 && mDelay && mDelay->length > 0) {
        DelayLine& delay = *mDelay;
        int start = delay.position;
        for (int c = 0; c < nBoth; ++c) {
            double* line = delay.buffer.data() + static_cast<size_t>(c) * delay.length;
            const double* in = mInputPtrs[static_cast<size_t>(c)];
            double* out = mOutputPtrs[static_cast<size_t>(c)];
            int position = start;
            for (int s = 0; s < nFrames; ++s) {
                double sample = in[s];
                out[s] = line[position];
                line[position] = sample;
                if (++position == delay.length)
                    position = 0;
            }
            delay.position = position;
        }
    } else {
        for (int c = 0; c < nBoth; ++c) {
            CopySamples(mOutputPtrs[static_cast<size_t>(c)], mInputPtrs[static_cast<size_t>(c)],
                        nFrames);
        }
    }
    for (int c = nBoth; c < nOut; ++c)
        ZeroSamples(mOutputPtrs[static_cast<size_t>(c)], nFrames);
}

}  // namespace quendaris
