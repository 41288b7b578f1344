#pragma once

#include "BrisvaleBase.h"
#include "BrisvaleConfig.h"
#include "FilterEngine.h"

namespace quendaris {

// The effect: nine parameters around the saturating filter engine.
class Brisvale : public BrisvaleBase {
  public:
    explicit Brisvale(const InstanceInfo& info);

    void ProcessAudioBlock(double** inputs, double** outputs, int nFrames) override;
    void ResetProcessing() override;

    // Display side for the editor (user-interface thread).
    const FilterEngine& Engine() const { return mEngine; }

  private:
    void DeclareParams();
    BlockParameters ReadBlockParameters() const;

    FilterEngine mEngine;
};

}  // namespace quendaris
