// UTF-8 <-> UTF-16 for the wide system calls, in one call each way: the codec's bounds make measuring
// needless.
#pragma once

#include <cstring>
#include <cwchar>
#include <string>

namespace tq::platform {

// Empty for empty text and, when strict, for text that is not UTF-8; otherwise bad bytes read as U+FFFD.
std::wstring WideFromUtf8(const char* utf8, size_t length, bool strict);
inline std::wstring WideFromUtf8(const char* utf8, bool strict) {
    return utf8 ? WideFromUtf8(utf8, std::strlen(utf8), strict) : std::wstring();
}

// A lone surrogate reads as U+FFFD.
std::string Utf8FromWide(const wchar_t* wide, size_t length);
inline std::string Utf8FromWide(const wchar_t* wide) {
    return wide ? Utf8FromWide(wide, std::wcslen(wide)) : std::string();
}

}  // namespace tq::platform
