#include "ValueTextBox.h"

#include <algorithm>

namespace quendaris {

namespace {

bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// Byte length of the UTF-8 sequence that starts with lead.
size_t SequenceLength(unsigned char lead) {
    if (lead < 0x80)
        return 1;
    if ((lead & 0xE0) == 0xC0)
        return 2;
    if ((lead & 0xF0) == 0xE0)
        return 3;
    return 4;
}

size_t CountCharacters(const std::string& text) {
    size_t count = 0;
    for (unsigned char byte : text)
        if (!IsContinuation(byte))
            ++count;
    return count;
}

}  // namespace

void ValueTextBox::Open(const char* text, int maxLength, Filter filter, const Rect& bounds,
                        const TextStyle& style) {
    mText = text ? text : "";
    mMaxLength = maxLength;
    mFilter = filter;
    mBounds = bounds;
    mStyle = style;
    mAllSelected = !mText.empty();
    mState = State::kEditing;
}

void ValueTextBox::Close() {
    mState = State::kClosed;
    mText.clear();
    mAllSelected = false;
}

bool ValueTextBox::Accepts(Filter filter, char32_t c) {
    switch (filter) {
        case Filter::kAny:
            return c >= 0x20 && c != 0x7F;
        case Filter::kInteger:
            return (c >= '0' && c <= '9') || c == '+' || c == '-';
        case Filter::kDecimal:
            return (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
    }
    return false;
}

bool ValueTextBox::Type(const std::string& utf8) {
    if (mState != State::kEditing)
        return false;
    bool changed = false;
    for (size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const size_t length = std::min(SequenceLength(lead), utf8.size() - i);
        char32_t character = lead < 0x80 ? lead : 0x80;
        const std::string sequence = utf8.substr(i, length);
        i += length;
        if (!Accepts(mFilter, character))
            continue;
        if (mAllSelected) {
            mText.clear();
            mAllSelected = false;
            changed = true;
        }
        if (mMaxLength > 0 && Length() >= mMaxLength)
            continue;
        mText += sequence;
        changed = true;
    }
    return changed;
}

bool ValueTextBox::Backspace() {
    if (mState != State::kEditing || mText.empty())
        return false;
    if (mAllSelected) {
        mText.clear();
        mAllSelected = false;
        return true;
    }
    size_t end = mText.size() - 1;
    while (end > 0 && IsContinuation(static_cast<unsigned char>(mText[end])))
        --end;
    mText.erase(end);
    return true;
}

void ValueTextBox::Commit() {
    if (mState == State::kEditing)
        mState = State::kCommit;
}

void ValueTextBox::Cancel() {
    if (mState == State::kEditing)
        mState = State::kCancel;
}

std::string ValueTextBox::CommitText() const {
    size_t count = 0;
    size_t i = 0;
    for (; i < mText.size(); ++i) {
        if (!IsContinuation(static_cast<unsigned char>(mText[i])) && count++ == kMaxCommitLength)
            break;
    }
    return mText.substr(0, i);
}

int ValueTextBox::Length() const {
    return static_cast<int>(CountCharacters(mText));
}

}  // namespace quendaris
