// Random edit sequences on a memory resource file, checked against a plain map of what it should hold: each
// step adds, replaces, removes or saves; after the last step the file is saved, reopened from its image and
// compared resource by resource.
#include <map>
#include <string>

#include "FuzzSupport.h"
#include "tqcore/core.h"
#include "tqcore/memory.h"
#include "tqcore/resources.h"

namespace {

using fuzz::Check;
using Key = std::pair<ResType, int32>;
using Model = std::map<Key, std::pair<std::string, std::string>>;  // bytes, name

constexpr ResType kTypes[] = {TQFourCC("STR "), TQFourCC("STR#"), TQFourCC("DATA"), TQFourCC("PTH0")};

struct Input {
    const uint8_t* p;
    size_t n;
    uint8_t Byte() { return n ? (--n, *p++) : 0; }
    std::string Bytes(size_t k) {
        k = std::min(k, n);
        std::string s(reinterpret_cast<const char*>(p), k);
        p += k, n -= k;
        return s;
    }
};

std::string Name(Input& in) {
    const uint8_t len = in.Byte() % 8;
    return std::string(len, char('a' + in.Byte() % 26));
}

void Compare(uInt32 ref, const Model& model) {
    int32 total = 0;
    for (ResType t : kTypes) {
        int32 n = 0;
        Check(RCount(ref, t, &n) == kErrNone);
        total += n;
    }
    Check(size_t(total) == model.size());
    for (const auto& [key, value] : model) {
        UHandle h = nullptr;
        Check(RGet(ref, key.first, key.second, &h) == kErrNone);
        Check(std::string(reinterpret_cast<const char*>(*h), size_t(DSGetHandleSize(h))) == value.first);
        Str255 name;
        Check(RGetInfo(h, nullptr, nullptr, name) == kErrNone);
        Check(std::string(reinterpret_cast<const char*>(name + 1), name[0]) == value.second);
    }
}

// Saves the file into a handle and opens that image in its place.
uInt32 SaveAndReopen(uInt32 ref) {
    UHandle image = nullptr;
    Check(RGetMemFileHandle(ref, &image) == kErrNone);
    Check(RCloseFile(ref) == kErrNone);
    uInt32 again = 0;
    Check(ROpenUHandle(image, kResReadWrite, &again, nullptr, nullptr) == kErrNone);
    return again;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    InitTQCoreBase();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input in{data, size};
    uInt32 ref = 0;
    Check(RCreateMemFile(&ref, TQFourCC("tqcr"), TQFourCC("TEST")) == kErrNone);
    Model model;
    while (in.n) {
        const uint8_t op = in.Byte();
        const Key key{kTypes[(op >> 2) % 4], int32(int8_t(in.Byte())) * 3};
        UHandle h = nullptr;
        const bool present = model.count(key) > 0;
        switch (op & 3) {
            case 0: {
                const std::string bytes = in.Bytes(in.Byte());
                const std::string name = Name(in);
                Str255 p;
                p[0] = uInt8(name.size());
                std::memcpy(p + 1, name.data(), name.size());
                Check(DSPtrToHand(bytes.data(), &h, bytes.size()) == kErrNone);
                const TqErr e = RAdd(h, ref, key.first, key.second, name.empty() ? nullptr : p);
                Check(e == (present ? kErrResourceExists : kErrNone));
                if (e) DSDisposeHandle(h);
                if (!present) model[key] = {bytes, name};
                break;
            }
            case 1: {
                const std::string bytes = in.Bytes(in.Byte());
                const TqErr e = RGet(ref, key.first, key.second, &h);
                Check(e == (present ? kErrNone : kErrResourceNotFound));
                if (!e) {
                    Check(DSSetHandleFromPtr(&h, bytes.data(), bytes.size()) == kErrNone);
                    Check(RChanged(h) == kErrNone);
                    model[key].first = bytes;
                }
                break;
            }
            case 2: {
                const TqErr e = RGet(ref, key.first, key.second, &h);
                Check(e == (present ? kErrNone : kErrResourceNotFound));
                if (!e) {
                    Check(RRemove(h, ref) == kErrNone);
                    DSDisposeHandle(h);
                    model.erase(key);
                }
                break;
            }
            default:
                ref = SaveAndReopen(ref);
                Compare(ref, model);
                break;
        }
    }
    ref = SaveAndReopen(ref);
    Compare(ref, model);
    Check(RCloseFile(ref) == kErrNone);
    return 0;
}
