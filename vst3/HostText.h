#pragma once

#include <cstddef>
#include <string>

#include "pluginterfaces/vst/vsttypes.h"

// Text conversions for everything that crosses the host boundary. Texts from a host are
// unvalidated UTF-16 and may be unterminated within their field, so these never throw, never
// read past the given capacity and read a malformed sequence as U+FFFD, keeping the rest.
namespace quendaris::vst3 {

// Reads at most maxUnits UTF-16 units, stopping at a terminator. A null text reads as empty.
std::string Utf16ToUtf8(const Steinberg::Vst::TChar* text, size_t maxUnits);
std::u16string Utf8ToUtf16(const std::string& text);
// Writes the text into a host field of capacity units, cut on a character boundary and
// always terminated.
void Utf8ToUtf16(const std::string& text, Steinberg::Vst::TChar* field, size_t capacity);

}  // namespace quendaris::vst3
