// CPStrList: an owned packed Pascal-string list. Flattening to binary streams lives with the streams
// (bindata/CPStrListFlatten.cpp), which sit above strings.
#include <atomic>

#include "strings/PackedLists.h"
#include "tqcore/core.h"
#include "tqcore/memory.h"
#include "tqcore/strings.h"

namespace tq::strings {

namespace {
std::atomic<ResourceDetachProc> gResourceDetach{nullptr};
}

void SetResourceDetachProc(ResourceDetachProc proc) {
    gResourceDetach.store(proc, std::memory_order_release);
}

}  // namespace tq::strings

using namespace tq::strings;

namespace {

UHandle* Raw(CPStrHandle* h) {
    return reinterpret_cast<UHandle*>(h);
}

// The file-name rule of this platform: case ignored.
Bool32 FileNameEqual(ConstPStr a, ConstPStr b) {
    return PStrCaseEqual(a, b);
}

bool SameCount(CPStrHandle a, CPStrHandle b) {
    return PackedCount(a) == PackedCount(b);
}

}  // namespace

CPStrList::CPStrList(unsigned char** resourceHandle)
    : handle_(reinterpret_cast<CPStrHandle>(resourceHandle)) {
    if (!resourceHandle) return;
    if (const ResourceDetachProc detach = gResourceDetach.load(std::memory_order_acquire))
        detach(resourceHandle);
    if (*resourceHandle && DSGetHandleSize(resourceHandle) >= 4) RevBL(*resourceHandle);
}

CPStrList::CPStrList(CPStr* list) {
    if (list) DSSetHandleFromPtr(Raw(&handle_), list, uInt64(CPStrSize(list)));
}

CPStrList::~CPStrList() {
    DSDisposeHandle(reinterpret_cast<UHandle>(handle_));
}

PStr CPStrList::operator[](int32 i) const {
    return PackedCount(handle_) ? CPStrIndex(handle_, i) : nullptr;
}

void CPStrList::Clear() {
    if (handle_) CPStrClear(handle_);
}

int32 CPStrList::Compare(const CPStrList& other) const {
    return ComparePackedLists(handle_, other.handle_, PStrCmp);
}

int32 CPStrList::CompareFS(const CPStrList& other) const {
    return ComparePackedLists(handle_, other.handle_, PStrCaseCmp);
}

Bool32 CPStrList::Equal(const CPStrList& other) const {
    return SameCount(handle_, other.handle_) && EqualPackedLists(handle_, other.handle_, Count(), PStrEqual);
}

Bool32 CPStrList::EqualNC(const CPStrList& other) const {
    return SameCount(handle_, other.handle_) &&
           EqualPackedLists(handle_, other.handle_, Count(), PStrCaseEqual);
}

Bool32 CPStrList::EqualFS(const CPStrList& other) const {
    return SameCount(handle_, other.handle_) &&
           EqualPackedLists(handle_, other.handle_, Count(), FileNameEqual);
}

Bool32 CPStrList::EqualNEltsFS(const CPStrList& other, int32 n) const {
    return n >= 0 && EqualPackedLists(handle_, other.handle_, n, FileNameEqual);
}

TqErr CPStrList::Copy(const CPStrList& other) {
    if (&other == this) return kErrNone;
    return DSCopyHandle(Raw(&handle_), reinterpret_cast<UHandle>(other.handle_));
}

TqErr CPStrList::Copy(CPStr* list) {
    return DSSetHandleFromPtr(Raw(&handle_), list, uInt64(CPStrSize(list)));
}

TqErr CPStrList::Delete(int32 i) {
    // An empty list is an ordinary state of the class, not a caller's fault.
    return PackedCount(handle_) ? CPStrRemove(handle_, i) : kErrArgument;
}

TqErr CPStrList::ForceAllocate() {
    if (handle_) return kErrNone;
    handle_ = reinterpret_cast<CPStrHandle>(DSNewHClr(4));
    return handle_ ? kErrNone : kErrMemoryFull;
}

TqErr CPStrList::Insert(const unsigned char* s, int32 i) {
    if (!s) return kErrArgument;
    if (const TqErr err = ForceAllocate()) return err;
    return CPStrInsert(handle_, s, i < 0 ? Count() : i);
}

TqErr CPStrList::Insert(const PKSubString& s, int32 i) {
    Str255 p;
    s.CopyToPStr(p);
    return Insert(p, i);
}
