// A resource of an open file: its operations find their own map entry first.
#define TQ_UNIT "source\\PKResource"

#include "diagnostics/Report.h"
#include "resources/ResGlobals.h"
#include "resources/ResourceObjects.h"
#include "tqcore/core.h"

using namespace tq::resources;

Resource::~Resource() = default;

PKResource::~PKResource() {
    delete data_;
}

namespace {

// Runs op(file, entry, type) under the lock once this resource's entry is found.
template <class Op>
TqErr WithEntry(PKResource* r, Op op) {
    PKResFile* f = r->File();
    if (!f) return kErrResourceNotFound;
    LockHold hold(ResourceLock());
    if (!PKResFileAccess::IsOpen(*f)) return kErrResourceFile;
    ResType type = 0;
    int64 entry = 0;
    if (const TqErr e = PKResFileAccess::EntryOf(*f, r, &type, &entry)) return e;
    return op(*f, entry, type);
}

}  // namespace

TqErr PKResource::RGetInfo(int32* id, int32* type, uInt8* name) {
    return WithEntry(this, [&](PKResFile& f, int64 entry, ResType t) {
        const MapRef m = PKResFileAccess::Map(f);
        if (id) *id = int32(Get32(m.base, entry + kRefId));
        if (type) *type = t;
        if (name) {
            const uInt8* n = m.NameOf(entry);
            name[0] = 0;
            if (n) std::memcpy(name, n, size_t(n[0]) + 1);
        }
        return kErrNone;
    });
}

TqErr PKResource::RGetAttrs(int32* attrs) {
    if (!attrs) return kErrArgument;
    return WithEntry(this, [&](PKResFile& f, int64 entry, ResType) {
        *attrs = int32(Get32(PKResFileAccess::Map(f).base, entry + kRefAttrs));
        return kErrNone;
    });
}

TqErr PKResource::RSetAttrs(int32 attrs) {
    return WithEntry(this, [&](PKResFile& f, int64 entry, ResType) {
        if (PKResFileAccess::ReadOnlyMap(f)) return kErrPermission;
        Set32(PKResFileAccess::Map(f).base, entry + kRefAttrs, uInt32(attrs));
        PKResFileAccess::MarkMapChanged(f);
        return kErrNone;
    });
}

TqErr PKResource::RChanged() {
    return WithEntry(this, [&](PKResFile& f, int64 entry, ResType) {
        if (PKResFileAccess::ReadOnlyMap(f)) return kErrPermission;
        const MapRef m = PKResFileAccess::Map(f);
        Set32(m.base, entry + kRefAttrs, Get32(m.base, entry + kRefAttrs) | kResChanged);
        PKResFileAccess::MarkMapChanged(f);
        return kErrNone;
    });
}

TqErr PKResource::RSize(int32* size) {
    if (!size) return kErrArgument;
    *size = -1;
    return WithEntry(this, [&](PKResFile&, int64, ResType) {
        *size = data_ ? data_->DataSize() : 0;
        return kErrNone;
    });
}

TqErr PKResource::RRelease() {
    PKResFile* f = file_;
    if (!f) {
        TQ_REPORT(kDbgError, "Releasing a non-resource");
        return kErrResourceNotFound;
    }
    {
        LockHold hold(ResourceLock());
        if (!PKResFileAccess::IsOpen(*f)) return kErrResourceFile;
        ResType type = 0;
        int64 entry = 0;
        if (const TqErr e = PKResFileAccess::EntryOf(*f, this, &type, &entry)) {
            TQ_REPORT(kDbgError, "Releasing a non-resource");
            return e;
        }
        if (Get32(PKResFileAccess::Map(*f).base, entry + kRefAttrs) & kResChanged) {
            TQ_REPORT(kDbgBroken, "!!! Tried to release a changed resource");
            return kErrArgument;
        }
        PKResFileAccess::ForgetCookie(*f, entry);
        PKResFileAccess::ClearCache(*f);
    }
    delete this;
    return kErrNone;
}

TqErr PKResource::DetachResource() {
    const TqErr e = WithEntry(this, [&](PKResFile& f, int64 entry, ResType) {
        if (Get32(PKResFileAccess::Map(f).base, entry + kRefAttrs) & kResChanged) {
            TQ_REPORT(kDbgError, "!!! Tried to detach a changed resource");
            return kErrResourceNotFound;
        }
        PKResFileAccess::ForgetCookie(f, entry);
        PKResFileAccess::ClearCache(f);
        return kErrNone;
    });
    if (e) return e;
    if (data_) data_->ForgetData();
    file_ = nullptr;
    return kErrNone;
}

TqErr PKResource::DetachHandle() {
    if (data_) data_->ForgetData();
    if (file_) {
        LockHold hold(ResourceLock());
        PKResFileAccess::ClearCache(*file_);
    }
    return kErrNone;
}

UHandle PKResource::GetSharedDSHandle() {
    return file_ && data_ ? data_->DataHandle() : nullptr;
}

int32 PKResource::GetSize() {
    return file_ && data_ ? data_->DataSize() : 0;
}

const uInt8* PKResource::GetData() {
    return file_ && data_ ? data_->DataPtr() : nullptr;
}

bool PKResource::ContainsHandle(UHandle h) {
    return file_ && data_ && data_->HoldsHandle(h);
}
