// Moving a file's data into another, existing file: the target keeps its own name and attributes.
#define TQ_UNIT "source\\MoveInto"

#include "diagnostics/Report.h"
#include "files/PathSupport.h"
#include "tqcore/core.h"

namespace {

constexpr int32 kBlock = 8192;

// Copies in to out from their starts; the bytes copied in *copied.
TqErr CopyBlocks(File in, File out, int64* copied) {
    uChar block[kBlock];
    *copied = 0;
    for (;;) {
        int32 got = 0;
        const TqErr err = FMRead(in, kBlock, &got, block);
        if (err != kErrNone && err != kErrEndOfFile) return kErrIO;
        if (got > 0) {
            if (const TqErr werr = FMWrite(out, got, nullptr, block)) return werr;
            *copied += got;
        }
        if (err == kErrEndOfFile || got == 0) return kErrNone;
    }
}

TqErr CopyInto(Path src, Path dst) {
    File in = 0, out = 0;
    if (const TqErr err = FMOpen(&in, src, kOpenRead, kDenyReadWrite)) return err;
    if (const TqErr err = FMOpen(&out, dst, kOpenWrite, kDenyReadWrite)) {
        TQ_REPORT(kDbgWarn, "FCopyIntoWin32 got error ", err);
        FMClose(in);
        return err;
    }
    int64 copied = 0;
    TqErr err = CopyBlocks(in, out, &copied);
    if (err == kErrNone) err = FSetEOF64(out, copied);
    FMClose(in);
    const TqErr closed = FMClose(out);
    return err ? err : closed;
}

}  // namespace

TqErr FMoveInto(Path src, Path dst) {
    tq::files::FlushDestination(dst);
    if (!tq::files::IsRootedPath(src) || !tq::files::IsRootedPath(dst) || src->ItemCount() < 2 ||
        dst->ItemCount() < 1)
        return kErrArgument;
    if (const TqErr err = CopyInto(src, dst)) return err;
    return FRemove(src);
}
