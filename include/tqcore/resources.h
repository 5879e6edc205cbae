// tqcore/resources.h - resource files: typed, numbered, optionally named blocks of bytes kept in one file or
// one memory block, reached through refnums (the plain functions) or through the file and chain objects.
// Threading: every map and resource operation of every file is serialised on one process-wide lock; bytes
// reached through a returned handle or data pointer are not guarded by it.
#pragma once

#include "tqcore/paths.h"
#include "tqcore/types.h"

// A resource type, file type or creator: a four-character code (TQFourCC).
typedef int32 ResType;

// Map attributes.
enum TQ_ENUM_TYPE(int32) { kResMapReadOnly = 0x80, kResMapCompact = 0x40, kResMapChanged = 0x20 };
// Resource attributes: 0x02 is the library's; 0x04..0x20 belong to the caller (0x08 refuses removal).
enum TQ_ENUM_TYPE(int32) { kResChanged = 0x02, kResProtected = 0x08 };
// Open permissions.
enum TQ_ENUM_TYPE(int32) { kResReadWrite = 0, kResReadOnly = 1 };

TQ_EXTERN_C_BEGIN

// Opening and creating. Each open gives a new refnum (never 0); the type and creator outputs may be null.
TQ_API TqErr ROpenFile(Path path, int32 permission, uInt32* refnum, ResType* type, ResType* creator);
// A null or empty path opens the library's own module.
TQ_API TqErr ROpenAppResFile(Path path, int32 permission, uInt32* refnum);
// The file owns h from now on.
TQ_API TqErr ROpenUHandle(UHandle h, int32 permission, uInt32* refnum, ResType* type, ResType* creator);
// A read-only image over the caller's memory, which must outlive the refnum.
TQ_API TqErr ROpenUPtr(const void* data, uInt64 size, uInt32* refnum, ResType* type, ResType* creator);
TQ_API TqErr RCreateFile(Path path, int32 permission, ResType creator, ResType type, int32 flags);
TQ_API TqErr RCreateMemFile(uInt32* refnum, ResType creator, ResType type);
TQ_API TqErr RCloseFile(uInt32 refnum);
// Closes without writing when the update fails.
TQ_API TqErr RCloseFileForce(uInt32 refnum);
TQ_API TqErr RUpdateFile(uInt32 refnum);
// A chain over the files in array order; it does not close them.
TQ_API TqErr RChain(uInt32* refnum, int32 count, const uInt32* refnums);
TQ_API TqErr RDestroyChain(uInt32 refnum);

// Resources. A loaded resource is named by its shared handle, which stays the file's unless detached or
// removed.
TQ_API TqErr RGet(uInt32 refnum, ResType type, int32 id, UHandle* h);
TQ_API TqErr RGetNamed(uInt32 refnum, ResType type, ConstPStr name, UHandle* h);
TQ_API TqErr RGetInd(uInt32 refnum, ResType type, int32 index, UHandle* h);
TQ_API TqErr RExists(uInt32 refnum, ResType type, int32 id, int32* exists);
TQ_API Bool32 RIsLoaded(uInt32 refnum, ResType type, int32 id);
// The file takes over h.
TQ_API TqErr RAdd(UHandle h, uInt32 refnum, ResType type, int32 id, ConstPStr name);
// The caller keeps h and must dispose of it.
TQ_API TqErr RRemove(UHandle h, uInt32 refnum);
TQ_API TqErr RChanged(UHandle h);
TQ_API TqErr RRelease(UHandle h);
TQ_API TqErr RDetach(UHandle h);
TQ_API TqErr RGetAttrs(UHandle h, int32* attrs);
TQ_API TqErr RSetAttrs(UHandle h, int32 attrs);
TQ_API TqErr RSize(UHandle h, int32* size);
// name (when given) receives a PStr of up to 255 characters.
TQ_API TqErr RGetInfo(UHandle h, int32* id, ResType* type, PStr name);
TQ_API TqErr RCount(uInt32 refnum, ResType type, int32* count);
TQ_API TqErr RCountTypes(uInt32 refnum, int32* count);
TQ_API TqErr RGetIndType(uInt32 refnum, ResType* type, int32 index);
TQ_API int32 RUniqueID(uInt32 refnum, ResType type);
TQ_API TqErr RGetFileAttrs(uInt32 refnum, int32* attrs);
TQ_API TqErr RSetFileAttrs(uInt32 refnum, int32 attrs);
TQ_API TqErr RPreAllocFile(uInt32 refnum, int32 bytes);
TQ_API TqErr RGetMemFileHandle(uInt32 refnum, UHandle* h);
TQ_API TqErr RGetUHandleOwnership(uInt32 refnum, UHandle* h);
TQ_API TqErr RGetModDate(Path path, uInt32 refnum, uInt32* date, int32* flag);
TQ_API TqErr RGetFileType(Path path, ResType* type, ResType* creator);
TQ_API TqErr RSetFileType(Path path, ResType type, ResType creator);

// String and path resources.
TQ_API TqErr RGetIndStringPtr(uInt32 refnum, ConstPStr* s, int32 id, int32 index, ResType type);
TQ_API TqErr RGetIndString(uInt32 refnum, PStr s, int32 id, int32 index);
TQ_API TqErr RGetIndLString(uInt32 refnum, LStrHandle* s, int32 id, int32 index, ResType type);
TQ_API TqErr RGetIndPath(uInt32 refnum, Path* p, int32 id, int32 index);
TQ_API TqErr RGetPath(uInt32 refnum, ResType type, int32 id, Path* p);
TQ_API TqErr RGetPStr(uInt32 refnum, int32 id, PStr s);
TQ_API TqErr RGetString(uInt32 refnum, int32 id, UHandle* h);
TQ_EXTERN_C_END

#ifdef __cplusplus
#include <string>
#include <vector>

#include "tqcore/cookies.h"

TQ_API TqErr RGetStringStd(uInt32 refnum, std::string* s, int32 id);
TQ_API TqErr RGetIndexStringStd(uInt32 refnum, std::string* s, int32 id, int32 index);
TQ_API TqErr RGetLongStringStd(uInt32 refnum, std::string* s, int32 id);
TQ_API TqErr RGetIndexLongStringStd(uInt32 refnum, std::string* s, int32 id, int32 index, ResType type);

class PKResfileIO;
class Resource;

// Files and chains searched as one. Results are codes of core.h; a missing resource is kErrResourceNotFound.
class TQ_API ResChain {
  public:
    virtual ~ResChain();
    virtual TqErr RCloseFile() = 0;
    virtual TqErr RGet(ResType type, int32 id, Resource** out) = 0;
    virtual TqErr RExists(ResType type, int32 id, int32* exists) = 0;
    virtual TqErr RGetNamed(ResType type, ConstPStr name, Resource** out) = 0;
    virtual TqErr RIsLoaded(ResType type, int32 id, bool* loaded) = 0;
    virtual TqErr RGetIndStringPtr(ConstPStr* out, int32 id, int32 index, ResType type) = 0;
    virtual TqErr GetResourceForHandle(UHandle h, Resource** out) = 0;
};

class TQ_API ResFile : public ResChain {
  public:
    virtual TqErr RUpdateFile() = 0;
    virtual TqErr RAddPtr(const uInt8* data, int32 size, ResType type, int32 id, ConstPStr name) = 0;
    virtual TqErr RAdd(UHandle h, ResType type, int32 id, ConstPStr name) = 0;
    virtual TqErr RReplacePtr(const uInt8* data, int32 size, ResType type, int32 id) = 0;
    virtual TqErr RReplaceDSHandle(UHandle h, ResType type, int32 id) = 0;
    virtual TqErr RRemove(Resource* r) = 0;
    virtual TqErr RCount(ResType type, int32* n) = 0;
    virtual TqErr RCountTypes(int32* n) = 0;
    virtual TqErr RGetInd(ResType type, int32 index, Resource** out) = 0;
    virtual TqErr RGetIndType(int32* type, int32 index) = 0;
    virtual int32 RUniqueID(ResType type) = 0;
    virtual TqErr RGetModDate(const PathRef& path, uInt32* date, int32* flag) = 0;
    virtual TqErr RGetFileAttrs(int32* attrs) = 0;
    virtual TqErr RSetFileAttrs(int32 attrs) = 0;
    virtual TqErr RPreAllocFile(int32 bytes) = 0;
    virtual TqErr RGetUHandleOwnership(UHandle* out) = 0;
    virtual TqErr RGetMemFileHandle(UHandle* out) = 0;
};

// One resource of an open file. Its bytes stay valid while it is loaded.
class TQ_API Resource {
  public:
    virtual ~Resource();
    virtual TqErr RRelease() = 0;
    virtual TqErr RChanged() = 0;
    virtual TqErr DetachResource() = 0;
    virtual TqErr RSetAttrs(int32 attrs) = 0;
    virtual TqErr RSize(int32* size) = 0;
    virtual TqErr RGetInfo(int32* id, int32* type, uInt8* name) = 0;
    virtual TqErr RGetAttrs(int32* attrs) = 0;
    virtual UHandle GetSharedDSHandle() = 0;
    virtual TqErr DetachHandle() = 0;
    virtual int32 GetSize() = 0;
    virtual const uInt8* GetData() = 0;
    virtual bool ContainsHandle(UHandle h) = 0;
};

// An open resource file: the map in one handle, a resource object for each fetched resource.
class TQ_API PKResFile : public ResFile {
  public:
    PKResFile();
    ~PKResFile() override;
    PKResFile(const PKResFile&) = delete;
    PKResFile& operator=(const PKResFile&) = delete;

    TqErr RCloseFile() override;
    TqErr RGet(ResType type, int32 id, Resource** out) override;
    TqErr RExists(ResType type, int32 id, int32* exists) override;
    TqErr RGetNamed(ResType type, ConstPStr name, Resource** out) override;
    TqErr RIsLoaded(ResType type, int32 id, bool* loaded) override;
    TqErr RGetIndStringPtr(ConstPStr* out, int32 id, int32 index, ResType type) override;
    TqErr GetResourceForHandle(UHandle h, Resource** out) override;
    TqErr RUpdateFile() override;
    TqErr RAddPtr(const uInt8* data, int32 size, ResType type, int32 id, ConstPStr name) override;
    TqErr RAdd(UHandle h, ResType type, int32 id, ConstPStr name) override;
    TqErr RReplacePtr(const uInt8* data, int32 size, ResType type, int32 id) override;
    TqErr RReplaceDSHandle(UHandle h, ResType type, int32 id) override;
    TqErr RRemove(Resource* r) override;
    TqErr RCount(ResType type, int32* n) override;
    TqErr RCountTypes(int32* n) override;
    TqErr RGetInd(ResType type, int32 index, Resource** out) override;
    TqErr RGetIndType(int32* type, int32 index) override;
    int32 RUniqueID(ResType type) override;
    TqErr RGetModDate(const PathRef& path, uInt32* date, int32* flag) override;
    TqErr RGetFileAttrs(int32* attrs) override;
    TqErr RSetFileAttrs(int32 attrs) override;
    TqErr RPreAllocFile(int32 bytes) override;
    TqErr RGetUHandleOwnership(UHandle* out) override;
    TqErr RGetMemFileHandle(UHandle* out) override;
    // Reads and validates the header and map through io, which the file owns from now on (also on failure).
    virtual TqErr Open(PKResfileIO* io);

    // The path of a file opened by path (NotAPath otherwise).
    const PathRef& GetPath() const { return path_; }
    void SetPath(const PathRef& path) { path_ = path; }
    bool IsOpen() const { return isOpen_; }

  private:
    friend class PKResFileAccess;
    struct LookupCache {
        Resource* resource;
        ResType type;
        UHandle map;
        int64 entryOffset;
    };

    PKResfileIO* io_ = nullptr;
    UHandle map_ = nullptr;
    LookupCache cache_;
    PathRef path_;
    bool isOpen_ = false;
    BaseCookieJar cookies_;
};

// Searches its files in order; owns them only when made to close them.
class TQ_API PKResChain : public ResChain {
  public:
    PKResChain(const std::vector<ResFile*>& files, bool closesFiles);
    ~PKResChain() override;
    TqErr RCloseFile() override;
    TqErr RGet(ResType type, int32 id, Resource** out) override;
    TqErr RExists(ResType type, int32 id, int32* exists) override;
    TqErr RGetNamed(ResType type, ConstPStr name, Resource** out) override;
    TqErr RIsLoaded(ResType type, int32 id, bool* loaded) override;
    TqErr RGetIndStringPtr(ConstPStr* out, int32 id, int32 index, ResType type) override;
    TqErr GetResourceForHandle(UHandle h, Resource** out) override;

  private:
    std::vector<ResFile*> files_;
    bool closesFiles_;
};

// Opens and creates resource files. Every member returns a code of core.h.
class TQ_API ResFileFactory {
  public:
    static TqErr ROpenPath(const PathRef& path, int32 permission, ResFile** out, ResType* type,
                           ResType* creator);
    static TqErr ROpenAppResFile(PathRef* path, int32 permission, ResFile** out);
    static TqErr ROpenMemFile(UHandle h, int32 permission, ResFile** out, ResType* type, ResType* creator);
    static TqErr ROpenMemFile(const uInt8* data, size_t size, ResFile** out, ResType* type, ResType* creator);
    static TqErr RCreateFile(const PathRef& path, int32 permission, ResType creator, ResType type,
                             int32 flags);
    static TqErr RCreateMemFile(ResFile** out, ResType creator, ResType type);
    static TqErr RGetFileType(const PathRef& path, ResType* type, ResType* creator);
    static TqErr RSetFileType(const PathRef& path, ResType type, ResType creator);
    static TqErr RGetModDate(const PathRef& path, uInt32* date, int32* flag);
    static TqErr RChain(ResChain** out, const std::vector<ResFile*>& files, bool closesFiles);
    static TqErr InitResourceMgr();
    static TqErr UninitResourceMgr();
};

// The refnum table.
TQ_API uInt32 RMapResFileToRsrcFile(ResFile* file);
TQ_API uInt32 RMapResBaseToRsrcFile(ResChain* chain);
TQ_API ResFile* RsrcFileToRMapResFile(uInt32 refnum);
TQ_API ResChain* RsrcFileToRMapResChain(uInt32 refnum);
TQ_API void RReleaseRsrcFileRefnum(uInt32 refnum);

// Reads typed resources from a file or chain; closes what it opened itself.
class TQ_API RFReader {
  public:
    RFReader();
    explicit RFReader(ResChain* chain);
    explicit RFReader(uInt32 refnum);
    virtual ~RFReader();
    RFReader(const RFReader&) = delete;
    RFReader& operator=(const RFReader&) = delete;
    virtual uInt32 MapToObsoleteRsrcFile();

    TqErr OpenPath(const PathRef& path, int32 permission, ResType* type, ResType* creator);
    TqErr Close();
    TqErr AllocDSHandle(ResType type, int32 id, UHandle* out);
    TqErr AllocDSHandleByName(ResType type, ConstPStr name, UHandle* out);
    TqErr PtrToResDataInternal(ResType type, int32 id, const void** data, int32* size);
    TqErr PtrToResDataByNameInternal(ResType type, ConstPStr name, const void** data, int32* size);
    TqErr GetIndString(uInt8* out, int32 id, int32 index);
    TqErr GetPStr(int32 id, uInt8* out);
    TqErr GetString(int32 id, UHandle* out);
    TqErr GetIndLString(LStr*** out, int32 id, int32 index, ResType type);
    TqErr GetIndPath(PathRef** out, int32 id, int32 index);
    TqErr GetPath(ResType type, int32 id, PathRef** out);
    ResChain* LowLevelResChain();

  protected:
    bool closes_ = false;
    ResChain* chain_ = nullptr;
    ResFile* file_ = nullptr;  // the same object when it is a file
    uInt32 refnum_ = 0;
};

// A reader that also edits one file.
class TQ_API RFReadWrite : public RFReader {
  public:
    RFReadWrite();
    explicit RFReadWrite(ResFile* file);
    explicit RFReadWrite(uInt32 refnum);
    uInt32 MapToObsoleteRsrcFile() override;

    TqErr AddFromHandle(UHandle h, int32 give, ResType type, int32 id, ConstPStr name);
    TqErr AddFromPtr(const void* data, int32 size, ResType type, int32 id, ConstPStr name);
    TqErr Remove(ResType type, int32 id);
    TqErr ReplaceFromHandle(UHandle h, int32 give, ResType type, int32 id, ConstPStr name);
    TqErr UpdateFile();
    TqErr CreateMemoryResourceFile(ResType creator, ResType type);
    ResFile* LowLevelResFile();
};

// Null when allocation fails.
TQ_API RFReader* CreateRFReader(uInt32 refnum);
TQ_API RFReadWrite* CreateRFReadWrite();
#endif
