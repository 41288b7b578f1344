#pragma once

#include <string>

namespace quendaris {

// UTF-8 and UTF-16 through the system's converters; invalid input converts to what the
// system makes of it, never fails.
std::wstring Utf8ToWide(const char* text);
std::string WideToUtf8(const wchar_t* text, int length = -1);

}  // namespace quendaris
