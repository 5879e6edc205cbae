// UTF-8 <-> UTF-16 for the wide system calls.
#include "platform/win32/WideText.h"

#include <cstdint>

#include "platform/Utf8Codec.h"

namespace tq::platform {

namespace {
// The codec's units written, or 0 for a failure.
size_t Written(int32 n) {
    return n > 0 ? size_t(n) : 0;
}
}  // namespace

// A UTF-8 byte never makes more than one UTF-16 unit.
std::wstring WideFromUtf8(const char* utf8, size_t length, bool strict) {
    if (length == 0 || length > size_t(INT32_MAX)) return {};
    std::wstring wide(length, L'\0');
    wide.resize(Written(Utf8ToUtf16(utf8, int32(length), wide.data(), int32(length), strict)));
    return wide;
}

// A UTF-16 unit never makes more than three UTF-8 bytes.
std::string Utf8FromWide(const wchar_t* wide, size_t length) {
    if (length == 0 || length > size_t(INT32_MAX / 3)) return {};
    std::string text(length * 3, '\0');
    text.resize(Written(Utf16ToUtf8(wide, int32(length), text.data(), int32(length * 3), false)));
    return text;
}

}  // namespace tq::platform
