// The path-level functions' shared plumbing.
#include "files/PathSupport.h"

#include "files/OsPathName.h"
#include "tqcore/core.h"

namespace tq::files {

const char* OsPathFormat() {
    return platform::NativeNameStyle() == platform::OsNameStyle::kDos ? PathRef::StringDOS()
                                                                      : PathRef::StringUnix();
}

bool IsRootedPath(Path p) {
    return p && (p->StartsWith(kBaseAbsolute) || p->StartsWith(kBaseUNC));
}

void FlushDestination(Path p) {
    if (p) p->FlushCache();
}

TqErr RootedOsName(Path p, bool resolveShortcuts, std::string& utf8) {
    if (!IsRootedPath(p)) return kErrArgument;
    return OsPathName(p, resolveShortcuts, utf8);
}

TqErr PathFromOsName(const std::string& utf8, Path* out) {
    const std::string text = LibraryTextFromOs(utf8);
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

uInt32 DateFromFileTime(const TQFileTime& t) {
    const ATime128 time = ATime128FromFILETIME(t);
    const int64 rounded = time.GetInt64Seconds() + (time.GetUInt64Fraction() >> 63);
    return rounded < 0 ? 0 : rounded > int64(UINT32_MAX) ? UINT32_MAX : uInt32(rounded);
}

}  // namespace tq::files
