// Arbitrary bytes opened as a read-only memory resource file, in a block of exactly their size. An image is
// refused with the format's codes, or opens; then every resource reads back (or is refused with the
// end-of-file code) and the string lists are walked. A file that opens is written again through the
// library's writer, and the copy opens and holds the same resources.
#include <cstring>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "FuzzSupport.h"
#include "tqcore/core.h"
#include "tqcore/memory.h"
#include "tqcore/resources.h"

namespace {

using fuzz::Check;
// Every resource in type-list and list order: a file may hold one ID twice.
using Contents = std::vector<std::tuple<ResType, int32, std::string>>;

// The first strings of a resource read as a string list agree with a walk over its bytes.
void CheckStringList(uInt32 ref, ResType type, int32 id, const std::string& bytes) {
    size_t at = 2;
    const int32 count = bytes.size() >= 2 ? (uint8_t(bytes[0]) << 8 | uint8_t(bytes[1])) : 0;
    for (int32 k = 1; k <= 3; ++k) {
        ConstPStr s = nullptr;
        const TqErr e = RGetIndStringPtr(ref, &s, id, k, type);
        const bool inside = k <= count && at < bytes.size() && at + 1 + uint8_t(bytes[at]) <= bytes.size();
        Check(e == (inside ? kErrNone : kErrResourceNotFound));
        if (!inside) return;
        Check(std::string(reinterpret_cast<const char*>(s), size_t(s[0]) + 1) ==
              bytes.substr(at, size_t(uint8_t(bytes[at])) + 1));
        at += 1 + uint8_t(bytes[at]);
    }
}

// Every resource of the file, read by index; false when one cannot be read.
bool ReadAll(uInt32 ref, Contents* out) {
    int32 types = 0;
    Check(RCountTypes(ref, &types) == kErrNone && types >= 0);
    bool whole = true;
    for (int32 t = 1; t <= types; ++t) {
        ResType type = 0;
        int32 count = 0;
        Check(RGetIndType(ref, &type, t) == kErrNone);
        Check(RCount(ref, type, &count) == kErrNone && count >= 1);
        for (int32 i = 1; i <= count; ++i) {
            UHandle h = nullptr;
            const TqErr e = RGetInd(ref, type, i, &h);
            if (e) {
                Check(e == kErrEndOfFile && !h);
                whole = false;
                continue;
            }
            int32 id = 0, size = -1;
            Check(RGetInfo(h, &id, nullptr, nullptr) == kErrNone && RSize(h, &size) == kErrNone);
            Check(size == DSGetHandleSize(h));
            out->emplace_back(type, id, std::string(reinterpret_cast<const char*>(*h), size_t(size)));
            // By ID the first resource of that ID answers, which the string-list reader reads too.
            UHandle first = nullptr;
            if (const TqErr byId = RGet(ref, type, id, &first)) {
                Check(byId == kErrEndOfFile);  // another entry of the same ID, whose block is not whole
                whole = false;
                continue;
            }
            CheckStringList(
                ref, type, id,
                std::string(reinterpret_cast<const char*>(*first), size_t(DSGetHandleSize(first))));
        }
    }
    return whole;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    InitTQCoreBase();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::unique_ptr<uint8_t[]> block(new uint8_t[size ? size : 1]);
    if (size) std::memcpy(block.get(), data, size);
    uInt32 ref = 0;
    const TqErr e = ROpenUPtr(block.get(), size, &ref, nullptr, nullptr);
    if (e) {
        Check(ref == 0 &&
              (e == kErrEndOfFile || e == kErrResourceFile || e == kErrGeneric || e == kErrResFileVersion));
        return 0;
    }
    Contents original;
    const bool whole = ReadAll(ref, &original);
    Check(RCloseFile(ref) == kErrNone);
    if (!whole) return 0;

    // Written again by the library: the copy holds the same resources.
    UHandle h = nullptr;
    Check(DSPtrToHand(block.get(), &h, size) == kErrNone);
    // A resource file appended to other bytes opens read-only only.
    if (const TqErr rw = ROpenUHandle(h, kResReadWrite, &ref, nullptr, nullptr)) {
        Check(rw == kErrResourceFile);
        return 0;
    }
    Contents loaded;
    ReadAll(ref, &loaded);
    UHandle image = nullptr;
    Check(RGetMemFileHandle(ref, &image) == kErrNone);
    Check(RCloseFile(ref) == kErrNone);
    Check(ROpenUPtr(*image, uInt64(DSGetHandleSize(image)), &ref, nullptr, nullptr) == kErrNone);
    Contents copy;
    Check(ReadAll(ref, &copy) && copy == original);
    Check(RCloseFile(ref) == kErrNone);
    DSDisposeHandle(image);
    return 0;
}
