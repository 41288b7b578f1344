#include "TextConversion.h"

#include <windows.h>

namespace quendaris {

std::wstring Utf8ToWide(const char* text) {
    if (!text || !*text)
        return std::wstring();
    int length = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    if (length <= 1)
        return std::wstring();
    std::wstring out(size_t(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text, -1, out.data(), length);
    out.resize(size_t(length - 1));
    return out;
}

std::string WideToUtf8(const wchar_t* text, int length) {
    if (!text || length == 0)
        return std::string();
    int bytes = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        return std::string();
    std::string out(size_t(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), bytes, nullptr, nullptr);
    if (length < 0 && !out.empty() && out.back() == '\0')
        out.pop_back();
    return out;
}

}  // namespace quendaris
