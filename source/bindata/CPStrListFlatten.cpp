// CPStrList to and from binary streams: the count, then each element as a Pascal string.
#include "tqcore/bindata.h"
#include "tqcore/core.h"
#include "tqcore/strings.h"

TqErr CPStrList::Flatten(BinDataWriter* writer) const {
    if (!writer) return kErrArgument;
    const int32 count = Count();
    writer->WriteI32(count);
    for (int32 i = 0; i < count; ++i) writer->WritePStr((*this)[i], 1);
    return writer->GetError();
}

TqErr CPStrList::UnFlatten(BinDataReader* reader) {
    if (!reader) return kErrArgument;
    Clear();
    if (const TqErr err = reader->GetError()) return err;
    const int32 count = reader->ReadI32();
    // The count is not trusted for a reservation: each element read must be there before it is kept.
    for (int32 i = 0; i < count && reader->GetError() == kErrNone; ++i) {
        Str255 s;
        reader->ReadPStr(s, 1);
        if (reader->GetError() != kErrNone) break;
        if (const TqErr err = Insert(s, -1)) return err;
    }
    return reader->GetError();
}
