// Read-only views of whole open files, and the host's file-cache callback.
#include <atomic>

#include "files/FileCacheHook.h"
#include "platform/File.h"
#include "platform/MappedFile.h"
#include "tqcore/core.h"
#include "tqcore/files.h"

namespace {

std::atomic<IsFileAlreadyInCacheProc> gFileCacheHook{nullptr};

}  // namespace

IsFileAlreadyInCacheProc tq::files::FileCacheHook() {
    return gFileCacheHook.load(std::memory_order_acquire);
}

TQ_EXTERN_C_BEGIN

TQ_API void CreateMemMappedFile(File fd, UPtr* view, int32* size, UPtr* base) {
    int64 length = 0;
    if (size) *size = FGetEOF64(fd, &length) == kErrNone ? int32(uInt32(uInt64(length))) : 0;
    tq::platform::MappedView mapped;
    if (!view || !tq::platform::MapWholeFile(tq::platform::FileFromToken(fd), &mapped)) return;
    *view = const_cast<UPtr>(mapped.base);
    if (base) *base = *view;
}

TQ_API Bool32 UnmapFileHelper(UPtr view) {
    return tq::platform::UnmapView(view) ? 1 : 0;
}

TQ_API void Set_IsFileAlreadyInCache(IsFileAlreadyInCacheProc callback) {
    gFileCacheHook.store(callback, std::memory_order_release);
}

TQ_EXTERN_C_END
