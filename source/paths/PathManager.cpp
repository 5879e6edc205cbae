// The path manager service, the plain-function interface over paths and their text, and the formatting
// engine's view of paths.
#include <cstring>
#include <new>
#include <string>

#include "diagnostics/Report.h"
#include "memory/Services.h"
#include "paths/PathFormatReader.h"
#include "paths/PathGuard.h"
#include "paths/PathManagerImplementation.h"
#include "paths/PathTextFormat.h"
#include "strings/PathTextHook.h"
#include "tqcore/memory.h"
#include "tqcore/paths.h"

#define TQ_UNIT "source\\PathManager"

namespace {

Str255 gNotAPathPStr = {0};
Str255 gPathTooLongPStr = {0};

void CopyPStr(ConstPStr from, uChar* to) {
    if (!from) {
        to[0] = 0;
        return;
    }
    std::memmove(to, from, size_t(from[0]) + 1);
}

// The display text of a path, the NotAPath text for a null one.
TqErr TextOf(Path p, const char* format, std::string* out) {
    return (p ? *p : PathRef()).ConvertToString(out, format);
}

int32 FormatterPathText(const void* path, uChar* buf, int32 size) {
    // A path that has no text of its own (the null marker) shows the NotAPath text, as NotAPath does.
    std::string text;
    TextOf(static_cast<PathRef*>(const_cast<void*>(path)), PathRef::StringDisplay(), &text);
    const int32 length = int32(text.size());
    std::memcpy(buf, text.data(), size_t(length < size ? length : size));
    return length;
}

ConstPStr FormatterTooLong() {
    return FGetPathTooLongString();
}

const tq::strings::PathTextHooks kFormatterHooks{FormatterPathText, FormatterTooLong};

class PathManager_Service final : public RefcountedServiceObject_T<PathManager_Service> {
  public:
    const char* Name() override { return "PathManager"; }
    void Dependencies(IServiceDependencyList& list) override {
        list.Add(tq::memory::TrackedMallocFreeService());
        list.Add(MemoryManagerService());
    }
    TqErr InitService() override { return PathRef::Init(); }
    TqErr UninitService() override {
        PathRef::UnInit();
        return kErrNone;
    }
};

// Text into an LStr handle (new when *h is null) with a NUL after the counted bytes.
TqErr TextToLStrHandle(const std::string& text, LStrHandle* h, bool applicationZone) {
    if (!h) return kErrArgument;
    const uInt64 size = sizeof(int32) + text.size() + 1;
    if (!*h) {
        *h = reinterpret_cast<LStrHandle>(applicationZone ? AZNewHandle(size) : DSNewHandle(size));
        if (!*h) return kErrMemoryFull;
    } else {
        const UHandle u = reinterpret_cast<UHandle>(*h);
        if ((applicationZone ? AZSetHandleSize(u, size) : DSSetHandleSize(u, size)) != kErrNone)
            return kErrMemoryFull;
    }
    (**h)->cnt = int32(text.size());
    if (!text.empty()) std::memcpy((**h)->str, text.data(), text.size());
    (**h)->str[text.size()] = 0;
    return kErrNone;
}

TqErr PathToHandle(Path p, const char* format, LStrHandle* h, bool applicationZone = false) {
    if (!h) return kErrArgument;
    std::string text;
    const TqErr err = TextOf(p, format, &text);
    return err ? err : TextToLStrHandle(text, h, applicationZone);
}

// Parses text into *p, making a new Path when *p is null; *p is left alone on failure.
TqErr TextToPath(const std::string& text, const char* format, Path* p) {
    if (!p) return kErrArgument;
    PathRef parsed;
    const TqErr err = tq::paths::ReadPath(text, format, &parsed);
    if (err) return err;
    if (*p)
        **p = parsed;
    else
        *p = new (std::nothrow) PathRef(parsed);
    return *p ? kErrNone : kErrMemoryFull;
}

std::string LStrText(LStrHandle h) {
    return h && *h && (*h)->cnt > 0 ? std::string(reinterpret_cast<const char*>((*h)->str), size_t((*h)->cnt))
                                    : std::string();
}

}  // namespace

IServiceObject* PathManagerService(void) {
    return PathManager_Service::Get();
}

TqErr PathRef::Init() {
    const TqErr err = tq::paths::InitTree();
    if (err == kErrNone) tq::strings::SetPathTextHooks(&kFormatterHooks);
    return err;
}

void PathRef::UnInit() {
    tq::strings::SetPathTextHooks(nullptr);
    tq::paths::UnInitTree();
}

int32 FIsAPath(Path p) {
    return p && p->Element() ? 1 : 0;
}

int32 FIsAPathOrNotAPath(Path p) {
    return p && p->IsSane(true) && (!p->Element() || p->IsValid()) ? 1 : 0;
}

int32 FIsSanePath(Path p) {
    return p && p->IsSane(true) ? 1 : 0;
}

int32 FStrFitsPat(UPtr pattern, UPtr str, int32 patLen, int32 strLen) {
    if (!pattern || !str || patLen < 0 || strLen < 0) return 0;
    return TQ_GUARDED([&]() -> TqErr {
        return TqErr(
            PathRef::NameWildCardMatch(std::string(reinterpret_cast<const char*>(str), size_t(strLen)),
                                       std::string(reinterpret_cast<const char*>(pattern), size_t(patLen))));
    });
}

ConstPStr FGetNotAPathString(void) {
    return gNotAPathPStr;
}
void FSetNotAPathString(ConstPStr s) {
    CopyPStr(s, gNotAPathPStr);
}
ConstPStr FGetPathTooLongString(void) {
    return gPathTooLongPStr;
}
void FSetPathTooLongString(ConstPStr s) {
    CopyPStr(s, gPathTooLongPStr);
}

TqErr FTextToPath(UPtr text, int32 len, Path* p) {
    if (len < 0 || (!text && len > 0)) return kErrArgument;
    return TQ_GUARDED([&]() -> TqErr {
        return TextToPath(std::string(reinterpret_cast<const char*>(text), size_t(len)),
                          PathRef::StringDisplay(), p);
    });
}

TqErr FFileSystemCStrToPath(ConstCStr text, Path* p) {
    if (!text) {
        TQ_REPORT(kDbgError, "FFileSystemCStrToPath: don't pass NULL for text");
        return kErrArgument;
    }
    return FTextToPath(reinterpret_cast<UPtr>(const_cast<char*>(text)), int32(std::strlen(text)), p);
}

TqErr FStringToPath(LStrHandle text, Path* p) {
    return TQ_GUARDED([&]() -> TqErr { return TextToPath(LStrText(text), PathRef::StringDisplay(), p); });
}

TqErr FFileSystemStringToPath(LStrHandle text, Path* p) {
    return FStringToPath(text, p);
}

TqErr FPathToText(Path p, LStrPtr buf) {
    if (!buf) return kErrArgument;
    return TQ_GUARDED([&]() -> TqErr {
        std::string text;
        const TqErr err = TextOf(p, PathRef::StringDisplay(), &text);
        if (err) return err;
        const bool measureOnly = buf->cnt < 0;
        buf->cnt = int32(text.size());
        if (!measureOnly && !text.empty()) std::memcpy(buf->str, text.data(), text.size());
        return kErrNone;
    });
}

TqErr FPathToDSString(Path p, LStrHandle* h) {
    return TQ_GUARDED([&]() -> TqErr { return PathToHandle(p, PathRef::StringDisplay(), h); });
}

TqErr FPathToAZString(Path p, LStrHandle* h) {
    return TQ_GUARDED([&]() -> TqErr { return PathToHandle(p, PathRef::StringDisplay(), h, true); });
}

TqErr FPathToFileSystemDSString(Path p, LStrHandle* h) {
    return FPathToDSString(p, h);
}

UHandle PathToCString(Path p) {
    LStrHandle h = nullptr;
    if (FPathToDSString(p, &h) != kErrNone) return reinterpret_cast<UHandle>(h);
    const int32 length = (*h)->cnt;
    std::memmove(static_cast<void*>(*h), (*h)->str, size_t(length) + 1);
    const UHandle u = reinterpret_cast<UHandle>(h);
    DSSetHandleSize(u, uInt64(length) + 1);
    return u;
}

UHandle PathToCStringEx(Path p) {
    return PathToCString(p);
}

TqErr FPathToMaxCString(Path p, UPtr* s) {
    if (!s) return kErrArgument;
    constexpr int32 kBlock = 264, kLongest = 260;
    *s = DSNewPtr(kBlock);
    if (!*s) return kErrMemoryFull;
    const TqErr err = TQ_GUARDED([&]() -> TqErr {
        std::string text;
        const TqErr e = TextOf(p, PathRef::StringDisplay(), &text);
        if (e) return e;
        if (text.size() > size_t(kLongest)) return kErrMemoryFull;
        std::memcpy(*s, text.c_str(), text.size() + 1);
        return kErrNone;
    });
    if (err) {
        DSDisposePtr(*s);
        *s = nullptr;
    }
    return err;
}

TqErr FPathToUnixString(Path p, LStrHandle* h) {
    return TQ_GUARDED([&]() -> TqErr { return PathToHandle(p, PathRef::StringUnix(), h); });
}

TqErr FPathToStringRTF(Path p, LStrHandle* h) {
    return TQ_GUARDED([&]() -> TqErr {
        std::string text, doubled;
        const TqErr err = TextOf(p, PathRef::StringDisplay(), &text);
        if (err) return err;
        for (char c : text) {
            doubled += c;
            if (c == '\\') doubled += c;
        }
        return TextToLStrHandle(doubled, h, false);
    });
}

TqErr ConvertPathToPlatformIndependentText(Path p, LStrHandle* h) {
    if (!p || !h) return kErrArgument;
    return TQ_GUARDED([&]() -> TqErr { return PathToHandle(p, PathRef::StringPlatformIndependent(), h); });
}

TqErr ConvertPlatformIndependentTextToPath(Path* p, LStrHandle text) {
    if (!text) {
        TQ_REPORT(kDbgError, "ConvertPlatformIndependentTextToPathNew: NULL text passed in");
        return kErrArgument;
    }
    return TQ_GUARDED(
        [&]() -> TqErr { return TextToPath(LStrText(text), PathRef::StringPlatformIndependent(), p); });
}

TqErr FPathToURL(Path, LStrHandle*) {
    return kErrNotFound;
}
