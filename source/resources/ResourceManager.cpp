// The refnum table, the null objects, the service and the memory half of the factory.
#define TQ_UNIT "source\\ResourceManager"

#include <mutex>
#include <new>

#include "diagnostics/Report.h"
#include "files/Services.h"
#include "memory/Services.h"
#include "resources/RefnumTable.h"
#include "resources/ResFormat.h"
#include "resources/ResGlobals.h"
#include "resources/ResfileIO.h"
#include "resources/ResourceObjects.h"
#include "resources/Services.h"
#include "strings/PackedLists.h"
#include "tqcore/core.h"
#include "tqcore/resources.h"
#include "tqcore/threads.h"

using namespace tq::resources;

namespace {

enum : int32 { kKindChain = 0, kKindFile = 1 };

struct RefRecord {
    int32 kind;
    int32 reserved;
    ResChain* object;
};

std::mutex gTableLock;  // guards the table's creation and destruction only
BaseCookieJar* gTable = nullptr;

BaseCookieJar* Table() {
    std::lock_guard<std::mutex> hold(gTableLock);
    if (!gTable) {
        auto* jar = new (std::nothrow) BaseCookieJar;
        if (!jar || jar->Init(sizeof(RefRecord), 0)) {
            delete jar;
            return nullptr;
        }
        gTable = jar;
    }
    return gTable;
}

uInt32 NewRefnum(int32 kind, ResChain* object) {
    BaseCookieJar* jar = Table();
    const RefRecord r{kind, 0, object};
    return jar ? jar->NewCookie(&r) : 0;
}

bool Lookup(uInt32 refnum, RefRecord* out) {
    BaseCookieJar* jar = refnum ? Table() : nullptr;
    return jar && jar->GetCookieInfo(refnum, out) == 0 && out->object;
}

// ---- Null objects.

class NULLResFile final : public ResFile {
  public:
    TqErr RCloseFile() override { return kErrResourceFile; }
    TqErr RGet(ResType, int32, Resource** out) override { return Null(out); }
    TqErr RExists(ResType, int32, int32* exists) override {
        if (exists) *exists = 0;
        return kErrResourceFile;
    }
    TqErr RGetNamed(ResType, ConstPStr, Resource** out) override { return Null(out); }
    TqErr RIsLoaded(ResType, int32, bool* loaded) override {
        if (loaded) *loaded = false;
        return kErrResourceNotFound;
    }
    TqErr RGetIndStringPtr(ConstPStr* out, int32, int32, ResType) override {
        if (out) *out = nullptr;
        return kErrResourceFile;
    }
    TqErr GetResourceForHandle(UHandle, Resource** out) override {
        Null(out);
        return kErrResourceNotFound;
    }
    TqErr RUpdateFile() override { return kErrResourceFile; }
    TqErr RAddPtr(const uInt8*, int32, ResType, int32, ConstPStr) override { return kErrResourceFile; }
    TqErr RAdd(UHandle, ResType, int32, ConstPStr) override { return kErrResourceFile; }
    TqErr RReplacePtr(const uInt8*, int32, ResType, int32) override { return kErrResourceFile; }
    TqErr RReplaceDSHandle(UHandle, ResType, int32) override { return kErrResourceFile; }
    TqErr RRemove(Resource*) override { return kErrResourceFile; }
    TqErr RCount(ResType, int32* n) override { return Zero(n); }
    TqErr RCountTypes(int32* n) override { return Zero(n); }
    TqErr RGetInd(ResType, int32, Resource** out) override { return Null(out); }
    TqErr RGetIndType(int32* type, int32) override { return Zero(type); }
    int32 RUniqueID(ResType) override { return kErrResourceFile; }
    TqErr RGetModDate(const PathRef&, uInt32* date, int32*) override {
        if (date) *date = 0;
        return kErrResourceFile;
    }
    TqErr RGetFileAttrs(int32* attrs) override { return Zero(attrs); }
    TqErr RSetFileAttrs(int32) override { return kErrResourceFile; }
    TqErr RPreAllocFile(int32) override { return kErrPermission; }
    TqErr RGetUHandleOwnership(UHandle* out) override {
        if (out) *out = nullptr;
        return kErrPermission;
    }
    TqErr RGetMemFileHandle(UHandle* out) override {
        if (out) *out = nullptr;
        return kErrPermission;
    }

  private:
    static TqErr Null(Resource** out) {
        if (out) *out = nullptr;
        return kErrResourceFile;
    }
    static TqErr Zero(int32* out) {
        if (out) *out = 0;
        return kErrResourceFile;
    }
};

class NULLResource final : public Resource {
  public:
    TqErr RRelease() override {
        TQ_REPORT(kDbgError, "Releasing a non-resource");
        return kErrResourceNotFound;
    }
    TqErr RChanged() override { return kErrResourceNotFound; }
    TqErr DetachResource() override { return kErrResourceNotFound; }
    TqErr RSetAttrs(int32) override { return kErrResourceNotFound; }
    TqErr RSize(int32* size) override {
        if (size) *size = -1;
        return kErrResourceNotFound;
    }
    TqErr RGetInfo(int32*, int32*, uInt8*) override { return kErrResourceNotFound; }
    TqErr RGetAttrs(int32* attrs) override {
        if (attrs) *attrs = 0;
        return kErrResourceNotFound;
    }
    UHandle GetSharedDSHandle() override { return nullptr; }
    TqErr DetachHandle() override { return kErrResourceNotFound; }
    int32 GetSize() override { return 0; }
    const uInt8* GetData() override { return nullptr; }
    bool ContainsHandle(UHandle) override { return false; }
};

// ---- The start-up thread's two-entry cache of resources by handle.

struct HandlePair {
    UHandle h;
    Resource* r;
};
HandlePair gRecent[2] = {};

// ---- The service.

// Lists made from a resource's handle take the handle over.
void DetachFromResource(UHandle h) {
    RDetach(h);
}

class ResourceManager_Service final : public RefcountedServiceObject_T<ResourceManager_Service> {
  public:
    const char* Name() override { return "ResourceManager"; }
    void Dependencies(IServiceDependencyList& list) override {
        list.Add(MemoryManagerService());
        list.Add(PathManagerService());
        list.Add(tq::files::FileManagerService());
    }
    TqErr InitService() override {
        CreateRefnumTable();
        tq::strings::SetResourceDetachProc(DetachFromResource);
        return ResFileFactory::InitResourceMgr();
    }
    TqErr UninitService() override {
        tq::strings::SetResourceDetachProc(nullptr);
        DestroyRefnumTable();
        return ResFileFactory::UninitResourceMgr();
    }
};

}  // namespace

namespace tq::resources {

ResFile& NullResFile() {
    static NULLResFile file;
    return file;
}

Resource& NullResource() {
    static NULLResource resource;
    return resource;
}

void RememberHandle(UHandle h, Resource* r) {
    if (!h || !r || !IsStartUpThread()) return;
    if (gRecent[0].h != h) gRecent[1] = gRecent[0];
    gRecent[0] = HandlePair{h, r};
}

void ForgetHandles() {
    if (IsStartUpThread()) gRecent[0] = gRecent[1] = HandlePair{};
}

Resource& ResourceForHandle(UHandle h, bool useCache) {
    if (!h) return NullResource();
    if (useCache && IsStartUpThread())
        for (const HandlePair& p : gRecent)
            if (p.h == h) return *p.r;
    BaseCookieJar* jar = Table();
    if (!jar) return NullResource();
    CookieList list;
    jar->GetCookieList(list);
    for (int32 i = 0; i < list.GetCount(); ++i) {
        RefRecord rec{};
        Resource* r = nullptr;
        if (Lookup(list.GetCookie(i), &rec) && rec.object->GetResourceForHandle(h, &r) == kErrNone && r) {
            if (useCache) RememberHandle(h, r);
            return *r;
        }
    }
    return NullResource();
}

void CreateRefnumTable() {
    Table();
}

void DestroyRefnumTable() {
    std::lock_guard<std::mutex> hold(gTableLock);
    if (!gTable) return;
    int32 count = 0;
    if (gTable->GetNumCookies(&count))
        TQ_REPORT(kDbgBroken, "ResFileMap::~ResFileMap. Bad Cookie Jar()");
    else if (count > 0)
        TQ_REPORT(kDbgError, "The Resource Manager is being shut down with open files!");
    delete gTable;
    gTable = nullptr;
}

IServiceObject* ResourceManagerService() {
    return ResourceManager_Service::Get();
}

void ApplyResourceSettings(bool weakValidation, bool shareReadOnly) {
    SetSettings(ResourceSettings{weakValidation, shareReadOnly});
}

}  // namespace tq::resources

// ---- The refnum table.

uInt32 RMapResFileToRsrcFile(ResFile* file) {
    return NewRefnum(kKindFile, file);
}

uInt32 RMapResBaseToRsrcFile(ResChain* chain) {
    return NewRefnum(kKindChain, chain);
}

ResFile* RsrcFileToRMapResFile(uInt32 refnum) {
    RefRecord r{};
    if (Lookup(refnum, &r) && r.kind == kKindFile) return static_cast<ResFile*>(r.object);
    return &NullResFile();
}

ResChain* RsrcFileToRMapResChain(uInt32 refnum) {
    RefRecord r{};
    return Lookup(refnum, &r) ? r.object : &NullResFile();
}

void RReleaseRsrcFileRefnum(uInt32 refnum) {
    if (BaseCookieJar* jar = refnum ? Table() : nullptr) jar->DisposeCookie(refnum, nullptr);
    ForgetHandles();
}

// ---- The factory's memory files and chains.

namespace {

TqErr OpenOver(PKResfileIO* io, ResFile** out, ResType* type, ResType* creator) {
    if (!io) return kErrMemoryFull;
    auto* f = new (std::nothrow) PKResFile;
    if (!f) {
        io->Close();
        delete io;
        return kErrMemoryFull;
    }
    if (const TqErr e = f->Open(io)) {
        delete f;
        return e;
    }
    PKResFileAccess::TypeAndCreator(*f, type, creator);
    *out = f;
    return kErrNone;
}

}  // namespace

TqErr ResFileFactory::ROpenMemFile(UHandle h, int32 permission, ResFile** out, ResType* type,
                                   ResType* creator) {
    if (!out || permission < 0 || permission > 1) return kErrArgument;
    *out = nullptr;
    PKResfileIO* io = NewHandleIO(h, permission);
    if (!io) DSDisposeHandle(h);
    return OpenOver(io, out, type, creator);
}

TqErr ResFileFactory::ROpenMemFile(const uInt8* data, size_t size, ResFile** out, ResType* type,
                                   ResType* creator) {
    if (!out) return kErrArgument;
    *out = nullptr;
    return OpenOver(NewImageIO(data, size), out, type, creator);
}

TqErr ResFileFactory::RCreateMemFile(ResFile** out, ResType creator, ResType type) {
    if (!out) return kErrArgument;
    *out = nullptr;
    UHandle h = DSNewHandle(kHeaderSize);
    if (!h) return kErrMemoryFull;
    EncodeHeader(EmptyHeader(type, creator), *h);
    return ROpenMemFile(h, kResReadWrite, out, nullptr, nullptr);
}

TqErr ResFileFactory::RChain(ResChain** out, const std::vector<ResFile*>& files, bool closesFiles) {
    if (!out) return kErrArgument;
    try {
        *out = new PKResChain(files, closesFiles);
        return kErrNone;
    } catch (const std::bad_alloc&) {
        *out = nullptr;
        return kErrMemoryFull;
    }
}

TqErr ResFileFactory::InitResourceMgr() {
    ResourceLock();
    if (Settings().shareReadOnly) SharedFilesLock();
    return kErrNone;
}

TqErr ResFileFactory::UninitResourceMgr() {
    return kErrNone;
}
