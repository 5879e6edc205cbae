// Packed string lists from arbitrary bytes. Byte 0: bit 0 picks the form (0: a CPStrList read from a binary
// stream, 1: a long-string list converted from standard byte order in place), the rest picks the converter.
// The bytes sit in a block of exactly their size, so a read outside them is caught. A list read whole must
// walk to its own end, and a Pascal list must flatten back to the very bytes it was read from.
#include <cstring>
#include <vector>

#include "FuzzSupport.h"
#include "tqcore/bindata.h"
#include "tqcore/core.h"
#include "tqcore/diagnostics.h"
#include "tqcore/memory.h"
#include "tqcore/strings.h"

namespace {

using fuzz::Check;

// Reports of bad input are expected here; a handler keeps the fatal ones from ending the run.
void Quiet(const char*, int32, const char*, DebugOutputLevel, uInt32, const char*) {}

void PascalList(const uint8_t* data, size_t size, const Endianizer* e) {
    MemInputBuf in(data, size);
    BinDataReader reader(&in, e);
    CPStrList list;
    const TqErr err = list.UnFlatten(&reader);
    Check(err == reader.GetError());
    const int64 held = list.Handle() ? DSGetHandleSize(reinterpret_cast<UHandle>(list.Handle())) : 0;
    Check(list.Handle() == nullptr || CPStrSize(*list.Handle()) == held);
    if (err != kErrNone) return;
    HandleOutputBuf out;
    BinDataWriter writer(&out, e);
    Check(list.Flatten(&writer) == kErrNone);
    const size_t read = in.GetBytesRead();
    UHandle written = out.GetHandle(0);
    Check(out.GetBytesWritten() == read && read >= 4);
    // A negative count reads as an empty list and flattens as count 0; everything else comes back unchanged.
    const size_t from = int32(e->Get32(data)) < 0 ? 4 : 0;
    Check(std::memcmp(*written + from, data + from, read - from) == 0);
}

void LongList(const uint8_t* data, size_t size) {
    UHandle h = nullptr;
    if (DSPtrToHand(data, &h, size) != kErrNone) return;
    auto list = reinterpret_cast<CLStrHandle>(h);
    if (StdToCLStr(list) == kErrNone) {
        Check(CLStrSize(*list) == DSGetHandleSize(h));
        for (int32 i = 0; i < (*list)->cnt; ++i) Check(CLStrIndex(*list, i)->cnt >= 0);
    }
    DSDisposeHandle(h);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    DebugOutputSetHandler(Quiet);
    const std::vector<uint8_t> body(data + 1, data + size);
    if (data[0] & 1)
        LongList(body.data(), body.size());
    else
        PascalList(body.data(), body.size(), fuzz::Converter(data[0] >> 1));
    return 0;
}
