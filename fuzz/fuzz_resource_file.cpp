// Arbitrary bytes opened as a read-only memory resource file, in a block of exactly their size. An image is
// refused with the format's codes, or opens; then every resource reads back (or is refused with the
// end-of-file code) and the string lists are walked. A file that opens is written again through the
// library's writer, and the copy opens and holds the same resources.
#include <cstring>
#include <map>
#include <memory>
#include <string>

#include "FuzzSupport.h"
#include "tqcore/core.h"
#include "tqcore/memory.h"
#include "tqcore/resources.h"

namespace {

using fuzz::Check;
using Contents = std::map<std::pair<ResType, int32>, std::string>;

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
            (*out)[{type, id}] = std::string(reinterpret_cast<const char*>(*h), size_t(size));
            ConstPStr s = nullptr;
            for (int32 k = 1; k <= 3; ++k)
                if (RGetIndStringPtr(ref, &s, id, k, type) == kErrNone)
                    Check(s >= *h + 2 && s + 1 + s[0] <= *h + size);
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
        Check(ref == 0 && (e == kErrEndOfFile || e == kErrResourceFile || e == kErrGeneric || e == kErrResFileVersion));
        return 0;
    }
    Contents original;
    const bool whole = ReadAll(ref, &original);
    Check(RCloseFile(ref) == kErrNone);
    if (!whole) return 0;

    // Written again by the library: the copy holds the same resources.
    UHandle h = nullptr;
    Check(DSPtrToHand(block.get(), &h, size) == kErrNone);
    Check(ROpenUHandle(h, kResReadWrite, &ref, nullptr, nullptr) == kErrNone);
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
