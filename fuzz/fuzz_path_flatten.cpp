// The flattened-path reader over arbitrary bytes: byte 0 picks the converter, the rest is the record, held
// in a block of exactly its size. A record is refused with one of the reader's codes or read into a path;
// flattening that path gives a record that reads back to an equal path and flattens to itself again.
#include <cstring>
#include <memory>
#include <vector>

#include "FuzzSupport.h"
#include "tqcore/bindata.h"
#include "tqcore/core.h"
#include "tqcore/memory.h"
#include "tqcore/paths.h"

namespace {

using fuzz::Check;
using fuzz::Converter;

std::vector<uChar> Flatten(const PathRef* p, const Endianizer* e) {
    HandleOutputBuf out;
    const uInt32 n = FFlattenPath2(p, &out, e);
    UHandle h = out.GetHandle(0);
    Check(h && n == out.GetBytesWritten());
    return std::vector<uChar>(*h, *h + n);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    PathRef::Init();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const Endianizer* e = Converter(data[0]);
    const size_t recordSize = size - 1;
    const std::unique_ptr<uint8_t[]> record(new uint8_t[recordSize ? recordSize : 1]);
    if (recordSize) std::memcpy(record.get(), data + 1, recordSize);

    MemInputBuf in(record.get(), recordSize);
    PathRef* raw = nullptr;
    const TqErr err = FUnFlattenPath2(&in, &raw, e);
    std::unique_ptr<PathRef> path(raw);
    Check(in.GetBytesRead() <= recordSize);
    if (err != kErrNone) {
        Check(!path && (err == kErrArgument || err == kErrEndOfData || err == kErrMemoryFull));
        return 0;
    }
    if (!path) return 0;  // the null record

    const std::vector<uChar> flat = Flatten(path.get(), e);
    // A path whose names no record can hold is refused by the writer.
    if (flat.empty()) return 0;
    MemInputBuf again(flat.data(), flat.size());
    PathRef* rawBack = nullptr;
    Check(FUnFlattenPath2(&again, &rawBack, e) == kErrNone);
    const std::unique_ptr<PathRef> back(rawBack);
    Check(back && back->Equals(*path, kCompareExact) && again.GetBytesRead() == flat.size());
    Check(Flatten(back.get(), e) == flat);
    return 0;
}
