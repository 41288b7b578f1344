#pragma once

#include <string>

#include "graphics/GraphicsTypes.h"

namespace quendaris {

// The single-line field for typing a control's value: its text, the character filter of the
// edited parameter, the length limit and the commit / cancel outcome. The window draws it and
// feeds it keys; the outcome is handed to the graphics context at the next display tick.
class ValueTextBox {
  public:
    enum class State { kClosed, kEditing, kCommit, kCancel };
    enum class Filter {
        kAny,      // no parameter: nothing is filtered
        kInteger,  // bool, enum and integer parameters: digits, '+', '-'
        kDecimal,  // double parameters: also '.'
    };
    // The most characters handed on at commit.
    static constexpr int kMaxCommitLength = 256;

    // Opens with the whole text selected, so typing replaces it.
    void Open(const char* text, int maxLength, Filter filter, const Rect& bounds,
              const TextStyle& style);
    void Close();

    // Adds typed text after filtering; answers whether anything changed.
    bool Type(const std::string& utf8);
    bool Backspace();
    void Commit();
    void Cancel();

    State GetState() const { return mState; }
    bool IsOpen() const { return mState != State::kClosed; }
    bool AllSelected() const { return mAllSelected; }
    const std::string& Text() const { return mText; }
    // The text handed on at commit: at most kMaxCommitLength characters.
    std::string CommitText() const;
    const Rect& Bounds() const { return mBounds; }
    const TextStyle& Style() const { return mStyle; }

    static bool Accepts(Filter filter, char32_t character);

  private:
    int Length() const;

    State mState = State::kClosed;
    std::string mText;
    int mMaxLength = 0;
    Filter mFilter = Filter::kAny;
    Rect mBounds;
    TextStyle mStyle;
    bool mAllSelected = false;
};

}  // namespace quendaris
