#pragma once

#include <string>

#include "graphics/Control.h"

namespace quendaris {

// One entry of the filter-model radio group: selects its model on the press itself and lights
// while the bound parameter holds exactly that model.
class ModelButton : public Control {
  public:
    ModelButton(const Rect& bounds, int paramIdx, int modelIndex, const char* text);

    void HandlePress(float x, float y, const KeyMods& mods) override;
    void Paint(Graphics& g) override;

    bool IsActive() const;
    int ModelIndex() const { return mModelIndex; }
    const std::string& Text() const { return mText; }

  private:
    int mModelIndex;
    std::string mText;
};

}  // namespace quendaris
