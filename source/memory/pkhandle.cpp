// PKHandle: single-handle ownership.
#include <cstring>

#include "diagnostics/Report.h"
#include "tqcore/core.h"
#include "tqcore/memory.h"

#define TQ_UNIT "source\\pkhandle"

PKHandle::~PKHandle() {
    DSDisposeHandle(handle_);
}

void PKHandle::AttachHandle(UHandle h) {
    if (handle_) {
        TQ_REPORT(kDbgFatal, "Can't attach to non null PKHandle.");
        DSDisposeHandle(handle_);
    }
    handle_ = h;
}

TqErr PKHandle::Resize(uInt64 size) {
    if (size == 0) return DSDisposeHandleAndNull(&handle_);
    return DSSetHandleSizeOrNewHandle(&handle_, size);
}

TqErr PKHandle::ResizeField(uChar** field, uInt64 oldLength, uInt64 newLength) {
    if (!field) return kErrArgument;
    if (oldLength == newLength) return kErrNone;
    const uInt64 size = handle_ ? uInt64(DSGetHandleSize(handle_)) : 0;
    const uInt64 at = handle_ && *field ? uInt64(*field - *handle_) : 0;
    if (at > size || oldLength > size - at) return kErrArgument;
    const uInt64 tail = size - at - oldLength;
    const uInt64 newSize = size - oldLength + newLength;
    TqErr err = kErrNone;
    if (newLength > oldLength) {
        err = Resize(newSize);
        if (err == kErrNone && handle_) MoveBlock(*handle_ + at + oldLength, *handle_ + at + newLength, tail);
    } else {
        MoveBlock(*handle_ + at + oldLength, *handle_ + at + newLength, tail);
        err = Resize(newSize);
    }
    *field = handle_ ? *handle_ + at : nullptr;
    return err;
}
