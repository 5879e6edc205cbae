// The holders of one resource's bytes and the resource object over them.
#pragma once

#include "resources/ResMap.h"

namespace tq::resources {

class ResourceData {
  public:
    virtual ~ResourceData() = default;
    // Drops the bytes without freeing them.
    virtual void ForgetData() = 0;
    virtual int32 DataSize() = 0;
    virtual const uInt8* DataPtr() = 0;
    // Null when a copy cannot be made.
    virtual UHandle DataHandle() = 0;
    virtual bool HoldsHandle(UHandle h) = 0;
};

// Owns a handle with the bytes.
class DSHandleResource final : public ResourceData {
  public:
    explicit DSHandleResource(UHandle h) : handle_(h) {}
    ~DSHandleResource() override { DSDisposeHandle(handle_); }
    void ForgetData() override { handle_ = nullptr; }
    int32 DataSize() override { return handle_ ? int32(DSGetHandleSize(handle_)) : 0; }
    const uInt8* DataPtr() override { return handle_ ? *handle_ : nullptr; }
    UHandle DataHandle() override { return handle_; }
    bool HoldsHandle(UHandle h) override { return h && h == handle_; }

  private:
    UHandle handle_;
};

// Points into a read-only image of the file; a handle copy is made on the first request and kept.
class MappedResource final : public ResourceData {
  public:
    MappedResource(const uInt8* p, int32 size) : data_(p), size_(size) {}
    ~MappedResource() override { DSDisposeHandle(copy_); }
    void ForgetData() override { data_ = nullptr, size_ = 0, copy_ = nullptr; }
    int32 DataSize() override { return size_; }
    const uInt8* DataPtr() override { return data_; }
    UHandle DataHandle() override {
        if (!copy_ && data_) DSPtrToHand(data_, &copy_, uInt64(size_));
        return copy_;
    }
    bool HoldsHandle(UHandle h) override { return h && h == copy_; }

  private:
    const uInt8* data_;
    int32 size_;
    UHandle copy_ = nullptr;
};

}  // namespace tq::resources

class PKResource final : public Resource {
  public:
    PKResource(PKResFile* file, tq::resources::ResourceData* data) : file_(file), data_(data) {}
    ~PKResource() override;
    TqErr RRelease() override;
    TqErr RChanged() override;
    TqErr DetachResource() override;
    TqErr RSetAttrs(int32 attrs) override;
    TqErr RSize(int32* size) override;
    TqErr RGetInfo(int32* id, int32* type, uInt8* name) override;
    TqErr RGetAttrs(int32* attrs) override;
    UHandle GetSharedDSHandle() override;
    TqErr DetachHandle() override;
    int32 GetSize() override;
    const uInt8* GetData() override;
    bool ContainsHandle(UHandle h) override;

    void NotifyFileClosed() { file_ = nullptr; }
    PKResFile* File() const { return file_; }
    tq::resources::ResourceData* Data() const { return data_; }
    // Gives up the holder without deleting it.
    tq::resources::ResourceData* ReleaseData() {
        auto* d = data_;
        data_ = nullptr;
        return d;
    }

  private:
    PKResFile* file_;
    tq::resources::ResourceData* data_;
};

// What the units of the resource files share of an open file's insides. Every member expects the
// resource-manager lock held and the file open.
class PKResFileAccess {
  public:
    using MapRef = tq::resources::MapRef;
    static MapRef Map(PKResFile& f) { return tq::resources::MapOf(f.map_); }
    static UHandle& MapHandle(PKResFile& f) { return f.map_; }
    static PKResfileIO* IO(PKResFile& f) { return f.io_; }
    static bool IsOpen(PKResFile& f) { return f.isOpen_; }
    static void ClearCache(PKResFile& f);
    // Fills the lookup cache with a resource and its entry.
    static void Remember(PKResFile& f, Resource* r, ResType type, int64 entry);
    static bool ReadOnlyMap(PKResFile& f);
    static void MarkMapChanged(PKResFile& f);
    // The loaded resource of an entry, or null.
    static PKResource* Loaded(PKResFile& f, int64 entry);
    // 0 with the entry's map offset, or kErrResourceNotFound.
    static TqErr FindEntry(PKResFile& f, ResType type, int32 id, int64* entry);
    static TqErr EntryOf(PKResFile& f, Resource* r, ResType* type, int64* entry);
    static TqErr EntryOfHandle(PKResFile& f, UHandle h, ResType* type, int64* entry);
    // Disposes of the entry's cookie and sets it to 0 (the object itself is left alone).
    static void ForgetCookie(PKResFile& f, int64 entry);
    // A new cookie for r stored in the entry; kErrMemoryFull when none can be had.
    static TqErr GiveCookie(PKResFile& f, int64 entry, Resource* r);
    // A cookie for r not yet stored anywhere (0 when none can be had), and its disposal.
    static MagicCookie NewCookie(PKResFile& f, Resource* r);
    static void DisposeCookie(PKResFile& f, MagicCookie c);
    // Deletes every loaded resource of the file, leaving their entries without cookies.
    static void DropLoaded(PKResFile& f);
    static TqErr Update(PKResFile& f);
    // The header's codes; either output may be null.
    static void TypeAndCreator(PKResFile& f, ResType* type, ResType* creator) {
        if (type) *type = ResType(tq::resources::Get32(*f.map_, tq::resources::kHdrType));
        if (creator) *creator = ResType(tq::resources::Get32(*f.map_, tq::resources::kHdrCreator));
    }
    static TqErr LoadData(PKResFile& f, int64 entry, tq::resources::ResourceData** out);
};
