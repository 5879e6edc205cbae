// The factory's files on disk: opening (shared read-only files among them), creating, and the header's codes.
#define TQ_UNIT "source\\ResFileFactoryDisk"

#include <new>

#include "diagnostics/Report.h"
#include "resources/ResFormat.h"
#include "resources/ResGlobals.h"
#include "resources/ResfileIO.h"
#include "resources/ResourceObjects.h"
#include "resources/SharedFiles.h"
#include "tqcore/core.h"
#include "tqcore/files.h"
#include "tqcore/sysinfo.h"

using namespace tq::resources;

namespace {

// Opens a file object over path (whose text the map checks name); the caller holds the shared-file lock.
TqErr OpenNew(const PathRef& path, int32 permission, PKResFile** out) {
    PKResfileIO* io = nullptr;
    if (const TqErr e = OpenDiskIO(path, permission, &io)) return e;
    auto* f = new (std::nothrow) PKResFile;
    if (!f) {
        delete io;
        return kErrMemoryFull;
    }
    f->SetPath(path);
    if (const TqErr e = f->Open(io)) {
        delete f;
        return e;
    }
    *out = f;
    return kErrNone;
}

// The header and the map's copy of it, read from an open file.
struct Headers {
    uInt8 file[kHeaderSize];
    uInt8 copy[kHeaderSize];
};

TqErr ReadHeaders(File fd, Headers* h) {
    int32 done = 0;
    if (FMSeek64(fd, 0, kSeekFromStart) || FMRead(fd, kHeaderSize, &done, h->file)) return kErrResourceFile;
    const FileHeader fh = DecodeHeader(h->file);
    if (!Recognised(fh)) return kErrResourceFile;
    std::memcpy(h->copy, h->file, kHeaderSize);
    if (fh.mapSize == 0) return kErrNone;
    if (FMSeek64(fd, fh.mapOffset, kSeekFromStart) || FMRead(fd, kHeaderSize, &done, h->copy))
        return kErrResourceFile;
    if (!HeaderAgreement(h->copy, fh)) {
        TQ_REPORT(kDbgWarn, "PKResFile::VerifyRsrcHeaderAgreement: no agreement;");
        return kErrGeneric;
    }
    return kErrNone;
}

TqErr WriteHeaders(File fd, const Headers& h) {
    const FileHeader fh = DecodeHeader(h.file);
    int32 done = 0;
    uInt8* file = const_cast<uInt8*>(h.file);
    uInt8* copy = const_cast<uInt8*>(h.copy);
    if (const TqErr e = FMSeek64(fd, 0, kSeekFromStart)) return e;
    if (const TqErr e = FMWrite(fd, kHeaderSize, &done, file)) return e;
    if (fh.mapSize == 0) return kErrNone;
    if (const TqErr e = FMSeek64(fd, fh.mapOffset, kSeekFromStart)) return e;
    return FMWrite(fd, kHeaderSize, &done, copy);
}

void SetCodes(uInt8* header, ResType type, ResType creator) {
    std::memcpy(header + kHdrType, &type, 4);
    std::memcpy(header + kHdrCreator, &creator, 4);
}

}  // namespace

TqErr ResFileFactory::ROpenPath(const PathRef& path, int32 permission, ResFile** out, ResType* type,
                                ResType* creator) {
    if (!out || permission < 0 || permission > 1) return kErrArgument;
    *out = nullptr;
    LockHold shared(SharedFilesLock());
    const bool sharing = Settings().shareReadOnly && permission == kResReadOnly;
    PKResFile* f = sharing ? SharedAcquire(path) : nullptr;
    if (!f) {
        if (const TqErr e = OpenNew(path, permission, &f)) return e;
        if (sharing && path.GetExtension() == "rsc" && !SharedEnter(path, f)) {
            f->RCloseFile();
            delete f;
            return kErrMemoryFull;
        }
    }
    {
        LockHold hold(ResourceLock());
        PKResFileAccess::TypeAndCreator(*f, type, creator);
    }
    *out = f;
    return kErrNone;
}

TqErr ResFileFactory::ROpenAppResFile(PathRef* path, int32 permission, ResFile** out) {
    if (path && path->ItemCount() > 0) return ROpenPath(*path, permission, out, nullptr, nullptr);
    char text[kModulePathBufferSize] = {};
    Path own = nullptr;
    if (MSWinGetModulePath(TQModuleGetModule(), text) <= 0 || FFileSystemCStrToPath(text, &own) || !own) {
        TQ_REPORT(kDbgWarn, "PKResFile::ROpenAppResFile, pathLen<=0");
        return kErrNotFound;
    }
    const TqErr e = ROpenPath(*own, permission, out, nullptr, nullptr);
    PathRef::DisposePath(own);
    return e;
}

TqErr ResFileFactory::RCreateFile(const PathRef& path, int32, ResType creator, ResType type, int32 flags) {
    PathRef copy(path);
    File fd = 0;
    if (const TqErr e = FGenericCreate(&fd, &copy, flags, kOpenReadWrite, kDenyNone, nullptr, 0)) return e;
    uInt8 header[kHeaderSize];
    EncodeHeader(EmptyHeader(type, creator), header);
    int32 done = 0;
    TqErr e = FMWrite(fd, kHeaderSize, &done, header);
    const TqErr closed = FMClose(fd);
    return e ? e : closed;
}

TqErr ResFileFactory::RGetFileType(const PathRef& path, ResType* type, ResType* creator) {
    PathRef copy(path);
    File fd = 0;
    if (const TqErr e = FMOpen(&fd, &copy, kOpenRead, kDenyNone)) return e;
    uInt8 header[kHeaderSize];
    int32 done = 0;
    TqErr e = FMRead(fd, kHeaderSize, &done, header);
    FMClose(fd);
    if (e) return e;
    const FileHeader h = DecodeHeader(header);
    if (!Recognised(h)) return kErrResourceFile;
    if (type) *type = h.type;
    if (creator) *creator = h.creator;
    return kErrNone;
}

TqErr ResFileFactory::RSetFileType(const PathRef& path, ResType type, ResType creator) {
    PathRef copy(path);
    File fd = 0;
    if (const TqErr e = FMOpen(&fd, &copy, kOpenReadWrite, kDenyNone)) return e;
    Headers h;
    TqErr e = ReadHeaders(fd, &h);
    if (!e) {
        SetCodes(h.file, type, creator);
        SetCodes(h.copy, type, creator);
        e = WriteHeaders(fd, h);
    }
    const TqErr closed = FMClose(fd);
    return e ? e : closed;
}

TqErr ResFileFactory::RGetModDate(const PathRef& path, uInt32* date, int32* flag) {
    if (!date) {
        TQ_REPORT(kDbgWarn, "ResFileFactory::RGetModDate, modDate==NULL.");
        return kErrArgument;
    }
    PathRef copy(path);
    return FMGetModDate(&copy, 0, date, flag);
}

TqErr RFReader::OpenPath(const PathRef& path, int32 permission, ResType* type, ResType* creator) {
    ResFile* f = nullptr;
    if (const TqErr e = ResFileFactory::ROpenPath(path, permission, &f, type, creator)) return e;
    if (closes_) Close();
    chain_ = file_ = f;
    closes_ = true;
    return kErrNone;
}
