// The named text formats of paths and their writers.
#include "paths/PathTextFormat.h"

#include <cstring>
#include <new>
#include <vector>

#include "paths/PathCache.h"
#include "paths/PathItemElement.h"
#include "paths/PathManagerImplementation.h"
#include "paths/PathRefAccess.h"
#include "tqcore/core.h"

#define TQ_UNIT "source\\PathRef"

namespace tq::paths {
namespace {

using WK = WriterKind;
using RK = ReaderKind;

const TextFormat kFormats[] = {
    {"pathref_display", WK::kWin, RK::kWin, "internal_display", false},
    {"pathref_commandline", WK::kWin, RK::kWin, "internal_commandline", true},
    {"pathref_dos", WK::kWin, RK::kWin, "internal_dos", false},
    {"pathref_unix", WK::kUnix, RK::kUnix, "internal_unix", false},
    {"pathref_platformindependent", WK::kPlatformIndependent, RK::kPlatformIndependent,
     "internal_platformindependent", false},
    {"pathref_platformagnostic", WK::kPlatformIndependent, RK::kAgnostic, "internal_platformindependent",
     false},
};

// The host may suppress the per-path text cache (an embedded run-time does).
bool CachingAllowed(const PathRef& path) {
    TQAppInterface* app = TQApp();
    return path.Element() && !(app && app->IsEmbeddedRunTime());
}

bool CachedText(const PathItemElement* e, const char* key, std::string* out) {
    PathLock lock;
    const auto* text = static_cast<const PathRef::CachedPathString*>(
        FindCachedLocked(e, key, PathRef::CachedPathString::ClassName(), PathRef::kSearchHere, nullptr));
    if (!text) return false;
    *out = text->Value();
    return true;
}

// Text depends on the items alone, never on the file system: it survives every flush.
void StoreText(PathItemElement* e, const char* key, const std::string& text) {
    std::unique_ptr<PathRef::CachedItem> item = std::make_unique<PathRef::CachedPathString>(
        kUnlimitedLifetime, text, PathRef::kIndependentOfMetaData);
    CacheGraveyard graveyard;
    graveyard.reserve(1);
    PathLock lock;
    StoreCachedLocked(e, key, item, graveyard);
}

// Items in [elideFirst, elideLast] are written as one ellipsis.
struct Elision {
    int32 first = -1;
    int32 last = -2;
};

TqErr Compose(const PathRef& path, PathTextFormat& writer, std::string* out, Elision elide) {
    out->clear();
    const PathItemElement* e = path.Element();
    const PathBase base = BaseOf(e);
    const int32 count = path.ItemCount();
    std::string scratch;
    switch (base) {
        case kBaseAbsolute:
            writer.BeginAbsolute(*out, count);
            break;
        case kBaseRelative:
            writer.BeginRelative(*out, count);
            break;
        case kBaseUNC:
            writer.BeginUNC(*out, scratch, count);
            break;
        default:
            *out = NotAPathText();
            return e ? kErrArgument : kErrNone;
    }
    std::vector<const PathItemElement*> items;
    if (!ChainItems(e, items)) return kErrEndOfData;
    for (int32 i = 0; i < count; ++i) {
        if (i > elide.first && i <= elide.last) continue;
        if (i) writer.AppendSeparator(*out);
        if (i == elide.first)
            writer.AppendEllipsis(*out);
        else if (IsUpDir(items[size_t(i)]))
            writer.AppendUpDir(*out);
        else
            writer.AppendName(*out, items[size_t(i)]->name, i);
    }
    writer.End(*out, count);
    return kErrNone;
}

TqErr ComposeIn(const PathRef& path, WriterKind kind, std::string* out, Elision elide = {}) {
    switch (kind) {
        case WK::kWin: {
            PathTextFormatWin w;
            return Compose(path, w, out, elide);
        }
        case WK::kUnix: {
            PathTextFormatUNIX w;
            return Compose(path, w, out, elide);
        }
        default: {
            PathTextFormatPlatformIndependent w;
            return Compose(path, w, out, elide);
        }
    }
}

}  // namespace

const TextFormat* FindTextFormat(const char* name) {
    if (!name) return nullptr;
    for (const TextFormat& f : kFormats)
        if (std::strcmp(f.name, name) == 0) return &f;
    return nullptr;
}

TqErr WritePath(const PathRef& path, const TextFormat& format, std::string* out) {
    if (format.commandLine && (!path.IsValid() || path.ItemCount() < 1)) return kErrArgument;
    PathItemElement* e = PathRefAccess::Element(path);
    if (CachingAllowed(path) && CachedText(e, format.cacheKey, out)) return kErrNone;
    const TqErr err = ComposeIn(path, format.writer, out);
    if (err == kErrNone && CachingAllowed(path)) StoreText(e, format.cacheKey, *out);
    return err;
}

TqErr WriteElidedPath(const PathRef& path, const TextFormat& format, int32 first, int32 last,
                      std::string* out) {
    if (format.commandLine && (!path.IsValid() || path.ItemCount() < 1)) return kErrArgument;
    return ComposeIn(path, format.writer, out, Elision{first, last});
}

}  // namespace tq::paths

// --- Writers ---

void PathTextFormatWin::BeginAbsolute(std::string&, int32) {
    absolute_ = true;
}
void PathTextFormatWin::BeginRelative(std::string& out, int32 count) {
    if (count == 0) out += ".";
}
void PathTextFormatWin::BeginUNC(std::string&, std::string&, int32) {}
void PathTextFormatWin::AppendName(std::string& out, const std::string& name, int32 index) {
    out += name;
    if (absolute_ && index == 0) out += ":";
}
void PathTextFormatWin::AppendSeparator(std::string& out) {
    out += "\\";
}
void PathTextFormatWin::End(std::string& out, int32 count) {
    if (absolute_ && count == 1) AppendSeparator(out);
}

void PathTextFormatUNIX::BeginAbsolute(std::string& out, int32) {
    absolute_ = true;
    out += "/";
}
void PathTextFormatUNIX::BeginRelative(std::string& out, int32 count) {
    if (count == 0) out += ".";
}
void PathTextFormatUNIX::BeginUNC(std::string&, std::string&, int32) {
    unc_ = true;
}
void PathTextFormatUNIX::AppendName(std::string& out, const std::string& name, int32) {
    out += name;
}
void PathTextFormatUNIX::AppendSeparator(std::string& out) {
    out += "/";
}
void PathTextFormatUNIX::End(std::string&, int32) {}

void PathTextFormatPlatformIndependent::BeginAbsolute(std::string& out, int32 count) {
    absolute_ = true;
    if (count > 0) out += "/";
}
void PathTextFormatPlatformIndependent::BeginRelative(std::string&, int32) {}
void PathTextFormatPlatformIndependent::AppendName(std::string& out, const std::string& name, int32 index) {
    if (!(unc_ && index == 0)) {
        out += name;
        return;
    }
    for (char c : name) out += c == '\\' ? '/' : c;
}

// --- PathRef members ---

const char* PathRef::StringDisplay() {
    return "pathref_display";
}
const char* PathRef::StringCommandLine() {
    return "pathref_commandline";
}
const char* PathRef::StringDOS() {
    return "pathref_dos";
}
const char* PathRef::StringUnix() {
    return "pathref_unix";
}
const char* PathRef::StringPlatformIndependent() {
    return "pathref_platformindependent";
}
const char* PathRef::StringPlatformAgnostic() {
    return "pathref_platformagnostic";
}

TqErr PathRef::ConvertToString(std::string* out, const char* format) const {
    if (!out || !format) return kErrArgument;
    const tq::paths::TextFormat* f = tq::paths::FindTextFormat(format);
    if (!f) return kErrNotSupported;
    try {
        return tq::paths::WritePath(*this, *f, out);
    } catch (const std::bad_alloc&) {
        return kErrMemoryFull;
    }
}

const std::string& PathRef::ToString(const char* format) const {
    std::string* buffer = nullptr;
    try {
        buffer = &Buffer();
        buffer->clear();
    } catch (const std::bad_alloc&) {
        throw PKExcept(kErrMemoryFull, "PathRef ToString", TQ_UNIT, __LINE__);
    }
    const TqErr err = ConvertToString(buffer, format);
    if (err) {
        buffer->clear();
        throw PKExcept(err, "PathRef ToString", TQ_UNIT, __LINE__);
    }
    return *buffer;
}

const std::string& PathRef::GetNotAPathString() {
    return tq::paths::NotAPathText();
}
void PathRef::SetNotAPathString(const std::string& s) {
    tq::paths::NotAPathText() = s;
}
const std::string& PathRef::GetPathTooLongString() {
    return tq::paths::PathTooLongText();
}
void PathRef::SetPathTooLongString(const std::string& s) {
    tq::paths::PathTooLongText() = s;
}
