// The path-level functions' shared plumbing.
#include "files/PathSupport.h"

#include "files/OsPathName.h"
#include "platform/CodePage.h"
#include "tqcore/core.h"

namespace tq::files {

namespace {
// The OS's own text form of paths.
const char* OsPathFormat() {
#if defined(_WIN32)
    return PathRef::StringDOS();
#else
    return PathRef::StringUnix();
#endif
}

// Text between code pages through UTF-16; empty when it does not convert.
std::string Recode(uInt32 from, uInt32 to, const std::string& text) {
    if (text.empty()) return {};
    const int32 wideLength = platform::MultiByteToWide(from, 0, text.data(), int32(text.size()), nullptr, 0);
    if (wideLength <= 0) return {};
    TQWString wide(size_t(wideLength), TQWChar(0));
    platform::MultiByteToWide(from, 0, text.data(), int32(text.size()), wide.data(), wideLength);
    const int32 length = platform::WideToMultiByte(to, 0, wide.data(), wideLength, nullptr, 0);
    if (length <= 0) return {};
    std::string out(size_t(length), '\0');
    platform::WideToMultiByte(to, 0, wide.data(), wideLength, out.data(), length);
    return out;
}
}  // namespace

bool IsRootedPath(Path p) {
    return p && (p->StartsWith(kBaseAbsolute) || p->StartsWith(kBaseUNC));
}

TqErr RootedOsName(Path p, bool resolveShortcuts, std::string& utf8) {
    if (!IsRootedPath(p)) return kErrArgument;
    return OsPathName(p, resolveShortcuts, utf8);
}

TqErr PathFromOsName(const std::string& utf8, Path* out) {
    const std::string text = Recode(platform::kCodePageUtf8, platform::kCodePageAnsi, utf8);
    try {
        PathRef made(text, OsPathFormat());
        if (!made.StartsWith(kBaseAbsolute) && !made.StartsWith(kBaseUNC)) return kErrArgument;
        if (*out)
            **out = made;
        else
            *out = new PathRef(made);
        return kErrNone;
    } catch (const PKExcept& e) {
        return e.ErrorCode() ? e.ErrorCode() : kErrArgument;
    } catch (const std::bad_alloc&) {
        return kErrMemoryFull;
    }
}

std::string OsItemText(const std::string& libraryText) {
    return Recode(platform::kCodePageAnsi, platform::kCodePageUtf8, libraryText);
}

namespace {
// A FILETIME counts 100-ns ticks; the dates count seconds since 1904.
constexpr uInt64 kTicksPerSecond = 10000000ull;
}  // namespace

uInt32 DateFromFileTime(const TQFileTime& t) {
    const ATime128 time = ATime128FromFILETIME(t);
    const int64 rounded = time.GetInt64Seconds() + (time.GetUInt64Fraction() >> 63);
    return rounded < 0 ? 0 : rounded > int64(UINT32_MAX) ? UINT32_MAX : uInt32(rounded);
}

TQFileTime FileTimeFromDate(uInt32 secs) {
    return FILETIMEFromATime128(ATime128(int64(secs), 0));
}

}  // namespace tq::files
