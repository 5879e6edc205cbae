// The typed reader over arbitrary bytes: byte 0 picks the converter and the source, byte 1 the number of
// operation bytes that follow, and the rest is the stream. The stream sits in a block of exactly its size, so
// any read outside it is caught; errors must stick and the position never pass the end.
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "tqcore/bindata.h"
#include "tqcore/core.h"
#include "tqcore/memory.h"
#include "tqcore/paths.h"

namespace {

using fuzz::Check;
using fuzz::Converter;

void Dispose(LStrHandle h) {
    AZDisposeHandle(reinterpret_cast<UHandle>(h));
}

// One typed read chosen by op; alignments and counts come from the op byte itself.
void Run(BinDataReader& r, uint8_t op) {
    const size_t arg = op >> 5;
    switch (op & 31) {
        case 0:
            r.ReadI8();
            break;
        case 1:
            r.ReadU8();
            break;
        case 2:
            r.ReadI16();
            break;
        case 3:
            r.ReadU16();
            break;
        case 4:
            r.ReadI32();
            break;
        case 5:
            r.ReadU32();
            break;
        case 6:
            r.ReadI64();
            break;
        case 7:
            r.ReadU64();
            break;
        case 8:
            r.Read4Char();
            break;
        case 9:
            r.ReadF32();
            break;
        case 10:
            r.ReadF64();
            break;
        case 11:
            r.ReadFX();
            break;
        case 12:
            r.ReadBool();
            break;
        case 13:
            delete r.ReadPath();
            break;
        case 14: {
            Str255 s;
            r.ReadPStr(s, arg + 1);
            break;
        }
        case 15: {
            std::string s;
            r.ReadPStrAsNarrow(&s, arg + 1);
            Check(s.size() <= 255);
            break;
        }
        case 16: {
            std::string s;
            r.ReadLStrAsNarrow(&s);
            break;
        }
        case 17: {
            LStrHandle h = r.ReadLStr();
            Check(!h || (*h)->cnt > 0);
            Dispose(h);
            break;
        }
        case 18: {
            uChar bytes[7];
            r.ReadBytes(bytes, arg);
            break;
        }
        case 19:
            r.Skip(arg);
            break;
        case 20:
            r.Align(arg + 1);
            break;
        default:
            r.ReadBytes(nullptr, arg);
            break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    PathRef::Init();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const uint8_t selector = data[0];
    const size_t opCount = std::min<size_t>(data[1], size - 2);
    const uint8_t* ops = data + 2;
    const size_t streamSize = size - 2 - opCount;
    const std::unique_ptr<uint8_t[]> stream(new uint8_t[streamSize ? streamSize : 1]);
    if (streamSize) std::memcpy(stream.get(), ops + opCount, streamSize);

    std::unique_ptr<InputBuf> in;
    if (selector & 4) {
        auto h = reinterpret_cast<LStrHandle>(AZNewHandle(sizeof(int32) + streamSize));
        if (!h) return 0;
        (*h)->cnt = int32(streamSize);
        if (streamSize) std::memcpy((*h)->str, stream.get(), streamSize);
        in.reset(CreateLStrInputBuf(&h));
    } else {
        in.reset(CreateMemInputBuf(stream.get(), streamSize));
    }
    BinDataReader r(in.get(), Converter(selector >> 3));
    TqErr sticky = 0;
    for (size_t i = 0; i < opCount; ++i) {
        const size_t before = in->GetBytesRead();
        Run(r, ops[i]);
        const TqErr err = r.GetError();
        Check(in->GetBytesRead() <= streamSize);
        // Once in error nothing moves and the first error stays.
        if (sticky != 0) Check(err == sticky && in->GetBytesRead() == before);
        sticky = err;
    }
    return 0;
}
