// The plain functions over refnums and resource handles.
#define TQ_UNIT "source\\ResourcePlain"

#include <new>
#include <vector>

#include "diagnostics/Report.h"
#include "resources/RefnumTable.h"
#include "resources/ResMap.h"
#include "tqcore/core.h"
#include "tqcore/strings.h"

using namespace tq::resources;

namespace {

constexpr ResType kStringType = TQFourCC("STR ");

// No exception leaves a plain function: allocation failure becomes its code.
template <class F>
TqErr Guarded(F f) {
    try {
        return f();
    } catch (const std::bad_alloc&) {
        return kErrMemoryFull;
    } catch (...) {
        return kErrGeneric;
    }
}

ResFile& FileOf(uInt32 refnum) {
    return *RsrcFileToRMapResFile(refnum);
}
ResChain& ChainOf(uInt32 refnum) {
    return *RsrcFileToRMapResChain(refnum);
}

// A new kind-1 refnum for a file just opened; the file is closed again when none can be had.
TqErr Register(TqErr e, ResFile* const& file, uInt32* refnum) {
    if (e || !file) return e ? e : kErrGeneric;
    *refnum = RMapResFileToRsrcFile(file);
    if (*refnum) return kErrNone;
    if (file->RCloseFile() != kErrDuplicatePath) delete file;
    return kErrMemoryFull;
}

// The shared handle of the resource find(&r) fetches, remembered for the lookups by handle.
template <class Find>
TqErr HandleOut(UHandle* h, Find find) {
    if (!h) return kErrArgument;
    return Guarded([&]() -> TqErr {
        Resource* r = nullptr;
        const TqErr e = find(&r);
        *h = nullptr;
        if (e || !r) return e ? e : kErrResourceNotFound;
        *h = r->GetSharedDSHandle();
        RememberHandle(*h, r);
        return kErrNone;
    });
}

// Closes the object of a file refnum and forgets the refnum; force drops unsaved changes when saving fails.
TqErr CloseRefnum(uInt32 refnum, bool force) {
    ResFile& f = FileOf(refnum);
    if (&f == &NullResFile()) return kErrResourceFile;
    TqErr e = f.RCloseFile();
    if (force && e && e != kErrDuplicatePath) {
        int32 attrs = 0;
        if (!f.RGetFileAttrs(&attrs) && (attrs & kResMapChanged)) {
            f.RSetFileAttrs(attrs & ~kResMapChanged);
            f.RCloseFile();
        }
    }
    RReleaseRsrcFileRefnum(refnum);
    if (e == kErrDuplicatePath) return kErrNone;
    delete &f;
    return e;
}

}  // namespace

TqErr ROpenUHandle(UHandle h, int32 permission, uInt32* refnum, ResType* type, ResType* creator) {
    if (!refnum) return kErrArgument;
    *refnum = 0;
    return Guarded([&]() -> TqErr {
        ResFile* f = nullptr;
        return Register(ResFileFactory::ROpenMemFile(h, permission, &f, type, creator), f, refnum);
    });
}

TqErr ROpenUPtr(const void* data, uInt64 size, uInt32* refnum, ResType* type, ResType* creator) {
    if (!refnum || !data) return kErrArgument;
    *refnum = 0;
    return Guarded([&]() -> TqErr {
        ResFile* f = nullptr;
        const TqErr e =
            ResFileFactory::ROpenMemFile(static_cast<const uInt8*>(data), size, &f, type, creator);
        return Register(e, f, refnum);
    });
}

TqErr RCreateMemFile(uInt32* refnum, ResType creator, ResType type) {
    if (!refnum) return kErrArgument;
    *refnum = 0;
    return Guarded([&]() -> TqErr {
        ResFile* f = nullptr;
        return Register(ResFileFactory::RCreateMemFile(&f, creator, type), f, refnum);
    });
}

TqErr RCloseFile(uInt32 refnum) {
    return Guarded([&]() -> TqErr { return CloseRefnum(refnum, false); });
}

TqErr RCloseFileForce(uInt32 refnum) {
    return Guarded([&]() -> TqErr { return CloseRefnum(refnum, true); });
}

TqErr RUpdateFile(uInt32 refnum) {
    return Guarded([&]() -> TqErr { return FileOf(refnum).RUpdateFile(); });
}

TqErr RChain(uInt32* refnum, int32 count, const uInt32* refnums) {
    if (!refnum || count < 0 || (count && !refnums)) return kErrArgument;
    *refnum = 0;
    return Guarded([&]() -> TqErr {
        std::vector<ResFile*> files;
        for (int32 i = 0; i < count; ++i) {
            ResFile* f = RsrcFileToRMapResFile(refnums[i]);
            if (f == &NullResFile()) {
                TQ_REPORT(kDbgBroken, "RChain called with RsrcFile that is not in map.");
                f = nullptr;
            }
            files.push_back(f);
        }
        ResChain* chain = nullptr;
        if (const TqErr e = ResFileFactory::RChain(&chain, files, false)) return e;
        *refnum = RMapResBaseToRsrcFile(chain);
        if (*refnum) return kErrNone;
        delete chain;
        return kErrMemoryFull;
    });
}

TqErr RDestroyChain(uInt32 refnum) {
    ResChain& c = ChainOf(refnum);
    if (&c == &NullResFile()) return kErrNone;
    RReleaseRsrcFileRefnum(refnum);
    delete &c;
    return kErrNone;
}

TqErr RGet(uInt32 refnum, ResType type, int32 id, UHandle* h) {
    return HandleOut(h, [&](Resource** r) { return ChainOf(refnum).RGet(type, id, r); });
}

TqErr RGetNamed(uInt32 refnum, ResType type, ConstPStr name, UHandle* h) {
    return HandleOut(h, [&](Resource** r) { return ChainOf(refnum).RGetNamed(type, name, r); });
}

TqErr RGetInd(uInt32 refnum, ResType type, int32 index, UHandle* h) {
    return HandleOut(h, [&](Resource** r) { return FileOf(refnum).RGetInd(type, index, r); });
}

TqErr RExists(uInt32 refnum, ResType type, int32 id, int32* exists) {
    return Guarded([&]() -> TqErr { return ChainOf(refnum).RExists(type, id, exists); });
}

Bool32 RIsLoaded(uInt32 refnum, ResType type, int32 id) {
    bool loaded = false;
    return Guarded([&]() -> TqErr { return ChainOf(refnum).RIsLoaded(type, id, &loaded); }) == kErrNone &&
           loaded;
}

TqErr RAdd(UHandle h, uInt32 refnum, ResType type, int32 id, ConstPStr name) {
    return Guarded([&]() -> TqErr { return FileOf(refnum).RAdd(h, type, id, name); });
}

TqErr RRemove(UHandle h, uInt32 refnum) {
    return Guarded([&]() -> TqErr {
        Resource& r = ResourceForHandle(h, false);
        if (&r == &NullResource()) return kErrResourceNotFound;
        ForgetHandles();
        r.DetachHandle();
        return FileOf(refnum).RRemove(&r);
    });
}

TqErr RChanged(UHandle h) {
    return Guarded([&]() -> TqErr { return ResourceForHandle(h, true).RChanged(); });
}

TqErr RRelease(UHandle h) {
    return Guarded([&]() -> TqErr {
        Resource& r = ResourceForHandle(h, true);
        ForgetHandles();
        return r.RRelease();
    });
}

TqErr RDetach(UHandle h) {
    return Guarded([&]() -> TqErr {
        Resource& r = ResourceForHandle(h, true);
        ForgetHandles();
        const TqErr e = r.DetachResource();
        if (!e && &r != &NullResource()) delete &r;
        return e;
    });
}

TqErr RGetAttrs(UHandle h, int32* attrs) {
    return Guarded([&]() -> TqErr { return ResourceForHandle(h, true).RGetAttrs(attrs); });
}

TqErr RSetAttrs(UHandle h, int32 attrs) {
    return Guarded([&]() -> TqErr { return ResourceForHandle(h, true).RSetAttrs(attrs); });
}

TqErr RSize(UHandle h, int32* size) {
    return Guarded([&]() -> TqErr { return ResourceForHandle(h, true).RSize(size); });
}

TqErr RGetInfo(UHandle h, int32* id, ResType* type, PStr name) {
    return Guarded([&]() -> TqErr { return ResourceForHandle(h, true).RGetInfo(id, type, name); });
}

TqErr RCount(uInt32 refnum, ResType type, int32* count) {
    return Guarded([&]() -> TqErr { return FileOf(refnum).RCount(type, count); });
}

TqErr RCountTypes(uInt32 refnum, int32* count) {
    return Guarded([&]() -> TqErr { return FileOf(refnum).RCountTypes(count); });
}

TqErr RGetIndType(uInt32 refnum, ResType* type, int32 index) {
    return Guarded([&]() -> TqErr { return FileOf(refnum).RGetIndType(type, index); });
}

int32 RUniqueID(uInt32 refnum, ResType type) {
    return Guarded([&]() -> TqErr { return FileOf(refnum).RUniqueID(type); });
}

TqErr RGetFileAttrs(uInt32 refnum, int32* attrs) {
    return Guarded([&]() -> TqErr { return FileOf(refnum).RGetFileAttrs(attrs); });
}

TqErr RSetFileAttrs(uInt32 refnum, int32 attrs) {
    return Guarded([&]() -> TqErr { return FileOf(refnum).RSetFileAttrs(attrs); });
}

TqErr RPreAllocFile(uInt32 refnum, int32 bytes) {
    return Guarded([&]() -> TqErr { return FileOf(refnum).RPreAllocFile(bytes); });
}

TqErr RGetMemFileHandle(uInt32 refnum, UHandle* h) {
    return Guarded([&]() -> TqErr { return FileOf(refnum).RGetMemFileHandle(h); });
}

TqErr RGetUHandleOwnership(uInt32 refnum, UHandle* h) {
    return Guarded([&]() -> TqErr { return FileOf(refnum).RGetUHandleOwnership(h); });
}

// ---- Strings and paths.

TqErr RGetIndStringPtr(uInt32 refnum, ConstPStr* s, int32 id, int32 index, ResType type) {
    return Guarded([&]() -> TqErr { return ChainOf(refnum).RGetIndStringPtr(s, id, index, type); });
}

TqErr RGetIndString(uInt32 refnum, PStr s, int32 id, int32 index) {
    return Guarded([&]() -> TqErr { return RFReader(refnum).GetIndString(s, id, index); });
}

TqErr RGetIndLString(uInt32 refnum, LStrHandle* s, int32 id, int32 index, ResType type) {
    return Guarded([&]() -> TqErr { return RFReader(refnum).GetIndLString(s, id, index, type); });
}

TqErr RGetIndPath(uInt32 refnum, Path* p, int32 id, int32 index) {
    return Guarded([&]() -> TqErr { return RFReader(refnum).GetIndPath(p, id, index); });
}

TqErr RGetPath(uInt32 refnum, ResType type, int32 id, Path* p) {
    return Guarded([&]() -> TqErr { return RFReader(refnum).GetPath(type, id, p); });
}

TqErr RGetPStr(uInt32 refnum, int32 id, PStr s) {
    return Guarded([&]() -> TqErr { return RFReader(refnum).GetPStr(id, s); });
}

TqErr RGetString(uInt32 refnum, int32 id, UHandle* h) {
    return RGet(refnum, kStringType, id, h);
}

TqErr RGetStringStd(uInt32 refnum, std::string* s, int32 id) {
    if (!s) return kErrArgument;
    return Guarded([&]() -> TqErr {
        Str255 p;
        if (const TqErr e = RFReader(refnum).GetPStr(id, p)) return e;
        return StringUtils::ToNarrowStringNoThrow(ConstPStr(p), s);
    });
}

TqErr RGetIndexStringStd(uInt32 refnum, std::string* s, int32 id, int32 index) {
    if (!s) return kErrArgument;
    return Guarded([&]() -> TqErr {
        Str255 p;
        if (const TqErr e = RFReader(refnum).GetIndString(p, id, index)) return e;
        return StringUtils::ToNarrowStringNoThrow(ConstPStr(p), s);
    });
}

TqErr RGetLongStringStd(uInt32 refnum, std::string* s, int32 id) {
    if (!s) return kErrArgument;
    return Guarded([&]() -> TqErr {
        UHandle h = nullptr;
        if (const TqErr e = RGet(refnum, kStringType, id, &h)) return e;
        // The text is everything after the count byte, however long.
        const int64 size = DSGetHandleSize(h);
        const std::string text(reinterpret_cast<const char*>(*h) + (size > 0 ? 1 : 0),
                               size_t(size > 0 ? size - 1 : 0));
        return StringUtils::ToNarrowStringNoThrow(text, StringUtils::kInputAnsi, s);
    });
}

TqErr RGetIndexLongStringStd(uInt32 refnum, std::string* s, int32 id, int32 index, ResType type) {
    if (!s) return kErrArgument;
    return Guarded([&]() -> TqErr {
        LStrHandle h = nullptr;
        if (const TqErr e = RFReader(refnum).GetIndLString(&h, id, index, type)) return e;
        return StringUtils::ToNarrowStringNoThrow(h, StringUtils::kDeallocateInput, s);
    });
}

// ---- Files on disk.

TqErr ROpenFile(Path path, int32 permission, uInt32* refnum, ResType* type, ResType* creator) {
    if (!path || !refnum) return kErrArgument;
    *refnum = 0;
    return Guarded([&]() -> TqErr {
        ResFile* f = nullptr;
        const TqErr e = ResFileFactory::ROpenPath(*path, permission, &f, type, creator);
        return Register(e, f, refnum);
    });
}

TqErr ROpenAppResFile(Path path, int32 permission, uInt32* refnum) {
    if (!refnum) return kErrArgument;
    *refnum = 0;
    return Guarded([&]() -> TqErr {
        ResFile* f = nullptr;
        const TqErr e = ResFileFactory::ROpenAppResFile(path, permission, &f);
        return Register(e, f, refnum);
    });
}

TqErr RCreateFile(Path path, int32 permission, ResType creator, ResType type, int32 flags) {
    if (!path) return kErrArgument;
    return Guarded([&] { return ResFileFactory::RCreateFile(*path, permission, creator, type, flags); });
}

TqErr RGetModDate(Path path, uInt32 refnum, uInt32* date, int32* flag) {
    return Guarded([&]() -> TqErr {
        if (refnum) return FileOf(refnum).RGetModDate(path ? *path : PathRef::NotAPath(), date, flag);
        if (!path) return kErrArgument;
        return ResFileFactory::RGetModDate(*path, date, flag);
    });
}

TqErr RGetFileType(Path path, ResType* type, ResType* creator) {
    if (!path) return kErrArgument;
    return Guarded([&] { return ResFileFactory::RGetFileType(*path, type, creator); });
}

TqErr RSetFileType(Path path, ResType type, ResType creator) {
    if (!path) return kErrArgument;
    return Guarded([&] { return ResFileFactory::RSetFileType(*path, type, creator); });
}
