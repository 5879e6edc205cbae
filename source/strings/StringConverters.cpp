// Conversion between the ANSI code page and UTF-16 for whole strings.
#include <cstring>

#include "platform/CodePage.h"
#include "strings/TextConvert.h"
#include "tqcore/strings.h"

namespace tq::strings {

namespace {
// convert(src, n, dst, capacity) as the code-page calls take it: a null dst measures. With a bound on the
// output units per input unit (0: none known), one call into that much room replaces measure-and-fill.
template <class In, class Out, class Convert>
bool ConvertWhole(const In* s, size_t length, size_t perUnit, Out& out, Convert convert) {
    out.clear();
    if (!s || length == 0 || length > size_t(INT32_MAX)) return length == 0;
    const int32 n = int32(length);
    const int32 room = perUnit && length <= size_t(INT32_MAX) / perUnit ? int32(length * perUnit)
                                                                        : convert(s, n, nullptr, 0);
    if (room < 1) return false;
    out.resize(size_t(room));
    const int32 written = convert(s, n, out.data(), room);
    out.resize(size_t(written > 0 ? written : 0));
    return written > 0;
}
}  // namespace

// UTF-8 never needs more UTF-16 units than it has bytes.
bool NarrowToWide(uInt32 codePage, const char* s, size_t length, TQWString& out) {
    return ConvertWhole(s, length, codePage == platform::kCodePageUtf8 ? 1 : 0, out,
                        [codePage](const char* in, int32 n, TQWChar* dst, int32 capacity) {
                            return platform::MultiByteToWide(codePage, 0, in, n, dst, capacity);
                        });
}

// At most three UTF-8 bytes per UTF-16 unit.
bool WideToNarrow(uInt32 codePage, const TQWChar* s, size_t length, std::string& out) {
    return ConvertWhole(s, length, codePage == platform::kCodePageUtf8 ? 3 : 0, out,
                        [codePage](const TQWChar* in, int32 n, char* dst, int32 capacity) {
                            return platform::WideToMultiByte(codePage, 0, in, n, dst, capacity);
                        });
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
