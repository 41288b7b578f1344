#include "vst3/HostText.h"

#include <algorithm>

namespace quendaris::vst3 {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsLowSurrogate(char32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

void AppendUtf8(char32_t code, std::string& out) {
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (code >> 6)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (code >> 12)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (code >> 18)));
        out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

void AppendUtf16(char32_t code, std::u16string& out) {
    if (code < 0x10000) {
        out.push_back(static_cast<char16_t>(code));
    } else {
        code -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 | (code >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 | (code & 0x3FF)));
    }
}

// Decodes one character starting at text[at] and advances at past it. A byte that does not
// start a well-formed, shortest-form sequence of a scalar value is one replacement character.
char32_t DecodeUtf8(const std::string& text, size_t& at) {
    const auto lead = static_cast<unsigned char>(text[at++]);
    if (lead < 0x80)
        return lead;
    int trail = 0;
    char32_t code = 0;
    char32_t least = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        trail = 1, code = lead & 0x1F, least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        trail = 2, code = lead & 0x0F, least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        trail = 3, code = lead & 0x07, least = 0x10000;
    } else {
        return kReplacement;
    }
    size_t next = at;
    for (int i = 0; i < trail; ++i, ++next) {
        if (next >= text.size())
            return kReplacement;
        const auto byte = static_cast<unsigned char>(text[next]);
        if ((byte & 0xC0) != 0x80)
            return kReplacement;
        code = (code << 6) | (byte & 0x3F);
    }
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return kReplacement;
    at = next;
    return code;
}

}  // namespace

std::string Utf16ToUtf8(const Steinberg::Vst::TChar* text, size_t maxUnits) {
    std::string out;
    if (!text)
        return out;
    for (size_t i = 0; i < maxUnits && text[i] != 0; ++i) {
        const char32_t unit = static_cast<char16_t>(text[i]);
        if (IsHighSurrogate(unit) && i + 1 < maxUnits &&
            IsLowSurrogate(static_cast<char16_t>(text[i + 1]))) {
            const char32_t low = static_cast<char16_t>(text[++i]);
            AppendUtf8(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00), out);
        } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
            AppendUtf8(kReplacement, out);
        } else {
            AppendUtf8(unit, out);
        }
    }
    return out;
}

std::u16string Utf8ToUtf16(const std::string& text) {
    std::u16string out;
    for (size_t at = 0; at < text.size();)
        AppendUtf16(DecodeUtf8(text, at), out);
    return out;
}

void Utf8ToUtf16(const std::string& text, Steinberg::Vst::TChar* field, size_t capacity) {
    if (!field || capacity == 0)
        return;
    const std::u16string wide = Utf8ToUtf16(text);
    size_t length = std::min(wide.size(), capacity - 1);
    // Never leave the first half of a pair at the cut.
    if (length > 0 && length < wide.size() && IsHighSurrogate(wide[length - 1]))
        --length;
    for (size_t i = 0; i < length; ++i)
        field[i] = static_cast<Steinberg::Vst::TChar>(wide[i]);
    field[length] = 0;
}

}  // namespace quendaris::vst3
