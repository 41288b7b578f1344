#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "BusConfig.h"
#include "MessageQueue.h"
#include "PluginConfig.h"
#include "TransportInfo.h"

namespace quendaris {

// One audio channel's connection, host buffers for the current block and scratch buffer.
struct ChannelRoute {
    bool connected = false;
    const float* hostInput32 = nullptr;
    float* hostOutput32 = nullptr;
    double* host64 = nullptr;
    std::vector<double> scratch;
    // Scratch holds host audio that must not leak into a later unconnected block.
    bool scratchDirty = false;
};

// Format-independent audio side: accepted bus arrangements, channel routing between host
// buffers of 32-bit or 64-bit samples and 64-bit block processing, pass-through and timing.
//
// Blocks longer than the block size are processed in pieces of at most the block size, so the
// scratch buffers are never overrun and nothing is allocated on the audio thread.
class PluginProcessor {
  public:
    explicit PluginProcessor(const PluginConfig& config);
    virtual ~PluginProcessor();
    PluginProcessor(const PluginProcessor&) = delete;
    PluginProcessor& operator=(const PluginProcessor&) = delete;

    // Default: copies input i to output i where both exist and silences the other outputs.
    virtual void ProcessAudioBlock(double** inputs, double** outputs, int nFrames);
    virtual void ProcessMidiMsg(const MidiMessage& msg) { SendMidiMsg(msg); }
    virtual void ProcessSysEx(const SysExMessage& msg) { (void)msg; }
    virtual void ResetProcessing() {}
    virtual void OnActivate(bool active) { (void)active; }
    virtual bool SendMidiMsg(const MidiMessage& msg);
    // True only when every message was sent.
    virtual bool SendMidiMsgs(const std::vector<MidiMessage>& msgs);
    virtual bool SendSysEx(const SysExMessage& msg);
    virtual void GetBusName(BusDirection dir, int busIdx, int nBuses, std::string& name) const;
    virtual void SetLatency(int samples);
    virtual void SetTailSize(int samples) { mTailSize = samples; }

    // Bus configurations.
    int NIOConfigs() const { return static_cast<int>(mIOConfigs.size()); }
    const BusConfig* GetIOConfig(int index) const;
    // Largest bus count of a direction over all configurations; configIdx receives the
    // (last) configuration that has it.
    int MaxNBuses(BusDirection dir, int* configIdx = nullptr) const;
    // Largest channel count the bus has anywhere; -1 when the first configuration has a
    // wildcard bus in that direction.
    int MaxNChannelsForBus(BusDirection dir, int busIdx) const;
    // Index of the first configuration with exactly these per-bus channel counts, or -1.
    int GetIOConfigWithChanCounts(const std::vector<int>& inputBuses,
                                  const std::vector<int>& outputBuses) const;

    // Channels.
    int NChannels(BusDirection dir) const { return static_cast<int>(Routes(dir).size()); }
    int NChannelsConnected(BusDirection dir) const;
    bool IsChannelConnected(BusDirection dir, int channel) const;
    void SetChannelConnections(BusDirection dir, int first, int count, bool connected);
    // Host buffers for connected channels from first on, taken in order; a null array or
    // null channel buffer leaves that channel on its scratch buffer.
    void AttachBuffers(BusDirection dir, int first, int count, float** buffers, int nFrames);
    void AttachBuffers(BusDirection dir, int first, int count, double** buffers);
    void SetBlockSize(int nFrames);
    void ZeroScratchBuffers();

    // Audio thread. Any frame count is safe. Zero or negative frames pass nothing through, and
    // processing runs ProcessAudioBlock with 0 frames for the block's bookkeeping.
    void ProcessBuffers32(int nFrames) { RunBlock(nFrames, false); }
    void ProcessBuffers64(int nFrames) { RunBlock(nFrames, false); }
    void PassThroughBuffers32(int nFrames) { RunBlock(nFrames, true); }
    void PassThroughBuffers64(int nFrames) { RunBlock(nFrames, true); }

    double GetSampleRate() const { return mSampleRate; }
    // Rates that are not positive numbers are ignored.
    void SetSampleRate(double sampleRate);
    int GetBlockSize() const { return mBlockSize; }
    int GetLatency() const { return mLatency; }
    int GetTailSize() const { return mTailSize; }
    bool GetBypassed() const { return mBypassed.load(std::memory_order_relaxed); }
    void SetBypassed(bool bypassed) { mBypassed.store(bypassed, std::memory_order_relaxed); }
    const TransportInfo& GetTransport() const { return mTransport; }
    void SetTransport(const TransportInfo& transport) { mTransport = transport; }
    bool GetRenderingOffline() const { return mRenderingOffline; }
    void SetRenderingOffline(bool offline) { mRenderingOffline = offline; }
    int GetPluginType() const { return mPlugType; }
    bool DoesMidiIn() const { return mDoesMidiIn; }
    bool DoesMidiOut() const { return mDoesMidiOut; }
    bool DoesMPE() const { return mDoesMPE; }

  private:
    struct DelayLine {
        int nInputs = 0;
        int nOutputs = 0;
        int length = 0;
        int position = 0;
        std::vector<double> buffer;
    };

    std::vector<ChannelRoute>& Routes(BusDirection dir) {
        return dir == kInput ? mInputRoutes : mOutputRoutes;
    }
    const std::vector<ChannelRoute>& Routes(BusDirection dir) const {
        return dir == kInput ? mInputRoutes : mOutputRoutes;
    }
    void RunBlock(int nFrames, bool passThrough);
    void PrepareInputs(int offset, int nFrames);
    void PrepareOutputs(int offset);
    void FinishOutputs(int offset, int nFrames);
    void SilenceHostOutputs(int nFrames);
    void PassThrough(int nFrames);
    void ResetDelayLine(int samples);

    int mPlugType = 0;
    bool mDoesMidiIn = false;
    bool mDoesMidiOut = false;
    bool mDoesMPE = false;
    int mLatency = 0;
    double mSampleRate = 48000.0;
    int mBlockSize = 0;
    int mTailSize = 0;
    std::atomic<bool> mBypassed{false};
    std::vector<BusConfig> mIOConfigs;
    std::vector<double*> mInputPtrs;
    std::vector<double*> mOutputPtrs;
    std::vector<ChannelRoute> mInputRoutes;
    std::vector<ChannelRoute> mOutputRoutes;
    std::unique_ptr<DelayLine> mDelay;
    TransportInfo mTransport;
    bool mRenderingOffline = false;
};

}  // namespace quendaris
