// The plain-function interface over Path values: making, copying, editing, inspecting and comparing them.
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "diagnostics/Report.h"
#include "paths/PathGuard.h"
#include "paths/PathItemElement.h"
#include "paths/PathManagerImplementation.h"
#include "paths/PathRefAccess.h"
#include "tqcore/core.h"
#include "tqcore/memory.h"
#include "tqcore/paths.h"
#include "tqcore/strings.h"

#define TQ_UNIT "source\\PathPlainFunctions"

namespace {

constexpr int32 kPStrLongest = 255;

// The tree base of a type code; kBaseNull for a code that is none.
PathBase BaseOfType(int32 type) {
    switch (type) {
        case kAbsPath:
            return kBaseAbsolute;
        case kRelPath:
            return kBaseRelative;
        case kNotAPath:
            return kBaseNotAPath;
        case kUNCPath:
            return kBaseUNC;
        default:
            return kBaseNull;
    }
}

int32 TypeOf(const PathRef& p) {
    switch (tq::paths::BaseOf(p.Element())) {
        case kBaseAbsolute:
            return kAbsPath;
        case kBaseRelative:
            return kRelPath;
        case kBaseUNC:
            return kUNCPath;
        default:
            return kNotAPath;
    }
}

std::string PStrText(ConstPStr s) {
    return s ? std::string(reinterpret_cast<const char*>(s + 1), s[0]) : std::string();
}

// Writes name as a PStr; names longer than a PStr holds are refused rather than cut.
TqErr ToPStr(const std::string& name, PStr out) {
    if (name.size() > size_t(kPStrLongest)) return kErrPathTooLong;
    out[0] = uChar(name.size());
    if (!name.empty()) std::memcpy(out + 1, name.data(), name.size());
    return kErrNone;
}

// value into p, or into a new Path for a null p; null when memory runs out.
Path Deliver(Path p, const PathRef& value) {
    if (p) {
        *p = value;
        return p;
    }
    return new (std::nothrow) PathRef(value);
}

// Never throws: a Path-returning function turns every failure into null.
template <class F>
Path GuardedPath(F f) {
    try {
        return f();
    } catch (...) {
        GetExceptionInCatch_FileAndLine(TQ_UNIT, __LINE__);
        return nullptr;
    }
}

// items (as elements of another chain) hung below base without the append rules: up-dirs stay up-dirs.
PathRef Rebuilt(PathBase base, const std::vector<const PathItemElement*>& items) {
    PathRef result(base);
    for (const PathItemElement* item : items) {
        PathItemElement* child = tq::paths::FindOrCreateChild(PathRefAccess::Element(result),
                                                              item->name.data(), item->name.size());
        if (!child) throw PKExcept(kErrMemoryFull, "FSetPathType", TQ_UNIT, __LINE__);
        result = PathRefAccess::Adopting(child);
    }
    return result;
}

PathRef WithBase(const PathRef& p, PathBase base) {
    std::vector<const PathItemElement*> items;
    if (!tq::paths::ChainItems(p.Element(), items))
        throw PKExcept(kErrEndOfData, "Corrupt Path", TQ_UNIT, __LINE__);
    return Rebuilt(base, items);
}

// The relative path of up-dirs that climb above base's root, then rel's own items.
PathRef ClimbedAbove(int32 upDirs, const PathRef& rel) {
    PathRef result(kBaseRelative);
    for (int32 k = 0; k < upDirs; ++k) result.AppendUpDir();
    for (int32 i = rel.CountUpDir(); i < rel.ItemCount(); ++i) result.Append(rel.ItemAt(i));
    return result;
}

int32 ItemCountOrMinus(Path p) {
    return p && p->IsValid() ? p->ItemCount() : -1;
}

}  // namespace

Path FMakePath(Path p, int32 type, ...) {
    if (type < kAbsPath || type > kUNCPath || (p && !FIsAPathOrNotAPath(p))) return nullptr;
    std::vector<std::string> names;
    va_list args;
    va_start(args, type);
    for (ConstPStr name = va_arg(args, ConstPStr); name; name = va_arg(args, ConstPStr))
        names.push_back(PStrText(name));
    va_end(args);
    return GuardedPath([&]() -> Path {
        PathRef made(BaseOfType(type));
        for (const std::string& name : names) made.Append(name);
        return Deliver(p, made);
    });
}

Path FEmptyPath(Path p) {
    return GuardedPath([&] { return Deliver(p, PathRef(kBaseAbsolute)); });
}

Path FNotAPath(Path p) {
    return GuardedPath([&] { return Deliver(p, PathRef()); });
}

TqErr FDestroyPath(Path* pp) {
    if (!pp) {
        TQ_REPORT(kDbgNote, "This is a noop.");
        return kErrNone;
    }
    delete *pp;
    *pp = nullptr;
    return kErrNone;
}

TqErr FDisposePath(Path p) {
    TQ_REPORT(kDbgNote, "FDisposePath is deprecated within PK code; use FDestroyPath instead.");
    delete p;
    return kErrNone;
}

TqErr FPathCpy(Path dst, Path src) {
    if (!dst || !src) return kErrArgument;
    return TQ_GUARDED([&]() -> TqErr {
        *dst = *src;
        return kErrNone;
    });
}

TqErr FPathToPath(Path* pp) {
    if (!pp || !*pp) return kErrArgument;
    Path copy = new (std::nothrow) PathRef(**pp);
    if (!copy) return kErrMemoryFull;
    *pp = copy;
    return kErrNone;
}

TqErr FAppendName(Path p, ConstPStr name) {
    if (!FIsAPath(p)) return kErrArgument;
    if ((!name || !name[0]) && p->StartsWith(kBaseAbsolute)) return kErrArgument;
    return TQ_GUARDED([&]() -> TqErr {
        p->Append(PStrText(name));
        return kErrNone;
    });
}

TqErr FAddPath(Path base, Path rel, Path out) {
    if (!base || !rel || !out) return kErrArgument;
    return TQ_GUARDED([&]() -> TqErr {
        const bool relative = rel->StartsWith(kBaseRelative);
        if (base->ItemCount() == 0 && !relative) {
            *out = *rel;
            return kErrNone;
        }
        if (!relative) return kErrArgument;
        if (rel->ItemCount() == 0) {
            *out = *base;
            return kErrNone;
        }
        const int32 n = base->ItemCount(), u = rel->CountUpDir();
        if (u > n && base->CountUpDir() == 0) {
            *out = ClimbedAbove(u - n, *rel);
            return kErrNone;
        }
        PathRef joined(*base);
        joined.Append(*rel);
        *out = joined;
        return kErrNone;
    });
}

TqErr FRelPath(Path from, Path to, Path out) {
    if (!from || !to || !out) return kErrArgument;
    return TQ_GUARDED([&]() -> TqErr {
        *out = from->GetRelativePathFromThisToThat(*to, kCompareDefault);
        return kErrNone;
    });
}

TqErr FCommonPath(Path a, Path b, Path out) {
    if (!a || !b || !out) return kErrArgument;
    return TQ_GUARDED([&]() -> TqErr {
        const PathRef common = a->GetInCommonWith(*b, kCompareDefault);
        if (!common.IsValid()) return kErrArgument;
        *out = common;
        return kErrNone;
    });
}

TqErr FDirName(Path p, Path out) {
    if (!p || !out || p->ItemCount() == 0 || !p->IsValid()) return kErrArgument;
    if (p->StartsWith(kBaseUNC) && p->ItemCount() == 1) return kErrArgument;
    return TQ_GUARDED([&]() -> TqErr {
        *out = p->GetParentDirectory();
        return kErrNone;
    });
}

TqErr FName(Path p, UHandle h) {
    if (!p || !h || p->ItemCount() == 0) return kErrArgument;
    return TQ_GUARDED([&]() -> TqErr {
        const std::string name = p->Name();
        if (name.size() > size_t(kPStrLongest)) return kErrPathTooLong;
        const TqErr err = DSSetHandleSize(h, name.size() + 1);
        return err ? err : ToPStr(name, reinterpret_cast<PStr>(*h));
    });
}

TqErr FNamePtr(Path p, PStr out) {
    return FPathComponent(p, -1, out);
}

TqErr FPathComponent(Path p, int32 i, PStr out) {
    if (!p || !out || i < -1) return kErrArgument;
    return TQ_GUARDED([&]() -> TqErr {
        std::string item;
        const TqErr err = p->CopyItemAt(i, &item);
        return err ? err : ToPStr(item, out);
    });
}

PStr PathCopyElt(Path p, int32 i, PStr out) {
    if (!out) return nullptr;
    if (FPathComponent(p, i, out) == kErrNone) return out;
    out[0] = 0;
    return nullptr;
}

PStr PathCopyName(Path p, PStr out) {
    return PathCopyElt(p, -1, out);
}

TqErr PathReplaceElt(Path p, ConstPStr name, int32 i) {
    if (!p || !name) return kErrArgument;
    return TQ_GUARDED([&]() -> TqErr {
        p->Replace(i, PStrText(name));
        return kErrNone;
    });
}

int32 FDepth(Path p) {
    return ItemCountOrMinus(p);
}

int32 PathCnt(Path p) {
    return p ? p->ItemCount() : 0;
}

int32 FIsAbsPath(Path p) {
    return p && p->IsValid() && !p->StartsWith(kBaseRelative) ? 1 : 0;
}

int32 FIsEmptyPath(Path p) {
    return p && p->Element() && p->ItemCount() == 0 ? 1 : 0;
}

int32 FIsCDUp(Path p) {
    return p && p->CountUpDir() > 0 ? 1 : 0;
}

int32 FIsAPathOfType(Path p, int32 type) {
    return p && type >= kAbsPath && type <= kUNCPath && p->StartsWith(BaseOfType(type)) ? 1 : 0;
}

TqErr FGetPathType(Path p, int32* type) {
    if (!type) return kErrArgument;
    if (!FIsAPathOrNotAPath(p)) {
        *type = kNotAPath;
        return kErrArgument;
    }
    *type = TypeOf(*p);
    return kErrNone;
}

int32 PathType(Path p) {
    int32 type = kNotAPath;
    FGetPathType(p, &type);
    return type;
}

TqErr FSetPathType(Path p, int32 type) {
    if (!FIsAPath(p) || (type != kAbsPath && type != kRelPath && type != kUNCPath)) return kErrArgument;
    return TQ_GUARDED([&]() -> TqErr {
        *p = WithBase(*p, BaseOfType(type));
        return kErrNone;
    });
}

int32 FPathCmp(Path a, Path b) {
    if (a == b) return 0;
    if (!a || !b || TypeOf(*a) != TypeOf(*b)) return -1;
    const int32 na = a->ItemCount(), nb = b->ItemCount();
    if (na == 0 || nb == 0) return na == nb ? 0 : (na == 0 ? -1 : 1);
    return std::abs(a->Compare(*b, kCompareDefault));
}

int32 FPathCmpExact(Path a, Path b) {
    if (a == b) return 0;
    if (!a) return -1;
    if (!b) return 1;
    return a->Compare(*b, kCompareExact);
}

int32 FPathCmpLexical(Path a, Path b) {
    if (a == b) return 0;
    if (!a) return 1;
    if (!b) return -1;
    return a->Compare(*b, kCompareLexical);
}

int32 FPathEqual(Path a, Path b) {
    if (a == b) return 1;
    if (!a || !b) return 0;
    return a->Equals(*b, kCompareDefault) ? 1 : 0;
}

int32 FPathMatchingTailCount(Path a, Path b) {
    if (a == b) return 0;
    if (!a || !b || TypeOf(*a) != TypeOf(*b)) return -1;
    const int32 na = a->ItemCount(), nb = b->ItemCount();
    int32 count = 0;
    for (const PathItemElement *x = a->Element(), *y = b->Element(); count < na && count < nb;
         ++count, x = x->parent, y = y->parent) {
        if (!PathRef::NameEquals(x->name, y->name, kCompareIgnoreCase)) break;
    }
    return count == (na > nb ? na : nb) ? 0 : count + 1;
}

TqErr FNormalizePath(Path p) {
    if (!p) return kErrArgument;
    if (p->ItemCount() == 0 || p->ItemAt(0).empty() || p->ItemAt(0)[0] != '\\') return kErrNone;
    return FSetPathType(p, kUNCPath) == kErrNone ? kErrNone : kErrArgument;
}

TqErr FShrinkPath(Path p) {
    if (!p) return kErrArgument;
    return TQ_GUARDED([&]() -> TqErr {
        p->FlushCache();
        return kErrNone;
    });
}

uInt64 PathSize(Path p) {
    return p ? p->MemorySize() : 0;
}

int32 FileNameEqual(ConstPStr a, ConstPStr b) {
    return StringUtils::CaseInsensitiveEqual(PStrText(a), PStrText(b)) ? 1 : 0;
}

int32 FileNameNEqual(ConstCStr a, ConstCStr b, int32 n) {
    if (!a || !b || n < 0) return a == b ? 1 : 0;
    const size_t la = strnlen(a, size_t(n)), lb = strnlen(b, size_t(n));
    return StringUtils::CaseInsensitiveEqual(a, la, b, lb) ? 1 : 0;
}

int32 FileNameCStrEqual(ConstCStr a, ConstCStr b) {
    if (!a || !b) return a == b ? 1 : 0;
    return StringUtils::CaseInsensitiveEqual(a, std::strlen(a), b, std::strlen(b)) ? 1 : 0;
}

TqErr FGetFileExtension(ConstCStr name, CStr ext) {
    if (!name || !ext) return kErrArgument;
    const char* dot = std::strrchr(name, '.');
    if (!dot || dot == name) {
        ext[0] = 0;
        return kErrNone;
    }
    std::memmove(ext, dot, std::strlen(dot) + 1);
    return kErrNone;
}
