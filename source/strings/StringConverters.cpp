// Conversion between the ANSI code page and UTF-16 for whole strings.
#include <cstring>

#include "platform/CodePage.h"
#include "strings/TextConvert.h"
#include "tqcore/strings.h"

namespace tq::strings {

bool NarrowToWide(uInt32 codePage, const char* s, size_t length, TQWString& out) {
    out.clear();
    if (!s || length == 0 || length > size_t(INT32_MAX)) return length == 0;
    const int32 n = int32(length);
    if (codePage == platform::kCodePageUtf8) {
        // UTF-8 never needs more UTF-16 units than it has bytes, so one call replaces measure-and-fill.
        out.resize(length);
        const int32 written = platform::MultiByteToWide(codePage, 0, s, n, out.data(), n);
        out.resize(size_t(written > 0 ? written : 0));
        return written > 0;
    }
    const int32 needed = platform::MultiByteToWide(codePage, 0, s, n, nullptr, 0);
    if (needed < 1) return false;
    out.resize(size_t(needed));
    const int32 written = platform::MultiByteToWide(codePage, 0, s, n, out.data(), needed);
    out.resize(size_t(written > 0 ? written : 0));
    return written > 0;
}

bool WideToNarrow(uInt32 codePage, const TQWChar* s, size_t length, std::string& out) {
    out.clear();
    if (!s || length == 0 || length > size_t(INT32_MAX)) return length == 0;
    const int32 n = int32(length);
    if (codePage == platform::kCodePageUtf8 && length <= size_t(INT32_MAX / 3)) {
        // At most three UTF-8 bytes per UTF-16 unit: one call replaces measure-and-fill.
        out.resize(length * 3);
        const int32 written = platform::WideToMultiByte(codePage, 0, s, n, out.data(), int32(length * 3));
        out.resize(size_t(written > 0 ? written : 0));
        return written > 0;
    }
    const int32 needed = platform::WideToMultiByte(codePage, 0, s, n, nullptr, 0);
    if (needed < 1) return false;
    out.resize(size_t(needed));
    const int32 written = platform::WideToMultiByte(codePage, 0, s, n, out.data(), needed);
    out.resize(size_t(written > 0 ? written : 0));
    return written > 0;
}

}  // namespace tq::strings

using namespace tq::strings;

namespace {
size_t WideLength(const TQWChar* s) {
    size_t n = 0;
    while (s && s[n]) ++n;
    return n;
}
}  // namespace

TQWString ConvertToUTF16(const std::string& ansi) {
    return ConvertToUTF16(ansi.data(), int32(ansi.size() <= size_t(INT32_MAX) ? ansi.size() : 0));
}

TQWString ConvertToUTF16(const char* ansi) {
    return ConvertToUTF16(ansi, ansi ? int32(std::strlen(ansi)) : 0);
}

TQWString ConvertToUTF16(const char* ansi, int32 length) {
    TQWString out;
    if (length > 0) NarrowToWide(tq::platform::kCodePageAnsi, ansi, size_t(length), out);
    return out;
}

int32 ConvertToUTF16(const char* ansi, TQWChar* buffer, int32 capacity) {
    if (!ansi || !buffer || capacity <= 0) return 0;
    return tq::platform::MultiByteToWide(tq::platform::kCodePageAnsi, 0, ansi, -1, buffer, capacity);
}

std::string ConvertFromUTF16(const TQWString& wide) {
    return ConvertFromUTF16(wide.data(), int32(wide.size() <= size_t(INT32_MAX) ? wide.size() : 0));
}

std::string ConvertFromUTF16(const TQWChar* wide) {
    return ConvertFromUTF16(wide, int32(WideLength(wide)));
}

std::string ConvertFromUTF16(const TQWChar* wide, int32 length) {
    std::string out;
    if (length > 0) WideToNarrow(tq::platform::kCodePageAnsi, wide, size_t(length), out);
    return out;
}

int32 ConvertFromUTF16(const TQWChar* wide, char* buffer, int32 capacity) {
    if (!wide || !buffer || capacity <= 0) return 0;
    return tq::platform::WideToMultiByte(tq::platform::kCodePageAnsi, 0, wide, -1, buffer, capacity);
}

TqErr ConvertToUTF16NoThrow(const std::string& ansi, TQWString* out) {
    if (!out) return kErrArgument;
    return NoThrow([&] { *out = ConvertToUTF16(ansi); });
}

TqErr ConvertFromUTF16NoThrow(const TQWString& wide, std::string* out) {
    if (!out) return kErrArgument;
    return NoThrow([&] { *out = ConvertFromUTF16(wide); });
}
