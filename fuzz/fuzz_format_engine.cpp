// The formatting engine on arbitrary format bytes. Arguments come from the input too, and every pointer the
// engine asks for is a valid object of the kind its conversion reads. Checks: no access outside the objects
// or the destination at any limit, and measuring gives the length writing gives.
#include <cstring>
#include <vector>

#include "strings/FormatArgs.h"
#include "tqcore/diagnostics.h"
#include "tqcore/strings.h"

namespace {

void Quiet(const char*, int32, const char*, DebugOutputLevel, uInt32, const char*) {}

class FuzzArgs final : public tq::strings::ArgSource {
  public:
    FuzzArgs(const uint8_t* data, size_t size) : data_(data), size_(size) {
        std::memset(lstr_, 0, sizeof lstr_);
        lstrBlock_ = reinterpret_cast<LStr*>(lstr_);
        lstrBlock_->cnt = int32(Byte() % 40);
        for (int32 i = 0; i < lstrBlock_->cnt; ++i) lstrBlock_->str[i] = Byte();
        handle_ = lstrBlock_;
        std::memset(pstr_, 0, sizeof pstr_);
        pstr_[0] = uChar(Byte() % 64);
        for (int32 i = 1; i <= pstr_[0]; ++i) pstr_[i] = Byte();
        for (int32 i = 0; i < 47; ++i) cstr_[i] = char(Byte() | 1);
        cstr_[47] = 0;
        sub_.data = pstr_ + 1;
        sub_.length = int32(Byte() % 64);
        for (int16& r : rect_) r = int16(Byte() << 8 | Byte());
        for (uChar& b : typed_) b = Byte();
    }

    int32 Int32(int32) override { return int32(Word()); }
    int64 Int64(int32) override { return int64(Word() << 32 | Word()); }
    double Double(int32) override {
        const uInt64 bits = Word() << 32 | Word();
        double d;
        std::memcpy(&d, &bits, 8);
        return d;
    }
    const void* Pointer(int32, tq::strings::PointerKind kind, int32) override {
        using K = tq::strings::PointerKind;
        if (Byte() == 0xFF) return nullptr;  // null is legal for some kinds and must not crash the others
        switch (kind) {
            case K::kCString:
                return cstr_;
            case K::kPascal:
                return pstr_;
            case K::kLong:
                return lstrBlock_;
            case K::kLongHandle:
                return &handle_;
            case K::kSubString:
                return &sub_;
            case K::kPath:
                return nullptr;
            case K::kRect:
                return rect_;
            case K::kTyped:
                return typed_;
        }
        return nullptr;
    }
    void LoadPositions(const int32*, int32) override {}

  private:
    uChar Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    uInt64 Word() { return uInt64(Byte()) << 24 | uInt64(Byte()) << 16 | uInt64(Byte()) << 8 | Byte(); }

    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
    alignas(8) uChar lstr_[48];
    LStr* lstrBlock_;
    LStr* handle_;
    uChar pstr_[65];
    char cstr_[48];
    struct {
        const uChar* data;
        int32 length;
    } sub_;
    int16 rect_[4];
    alignas(16) uChar typed_[32];
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    DebugOutputSetHandler(Quiet);  // "Unknown Conversion" is fatal without a handler
    const size_t split = data[0] % (size - 1) + 1;
    const uint8_t* format = data + split;
    const int32 formatLen = int32(size - split);
    const uInt32 limit = data[1] % 64;

    FuzzArgs measureArgs(data + 1, split - 1);
    const int32 measured = tq::strings::Format(nullptr, 0xFFFFFFFFu, format, formatLen, measureArgs);

    std::vector<uChar> full(size_t(measured > 0 ? measured : 0) + 1);
    FuzzArgs writeArgs(data + 1, split - 1);
    const int32 written =
        tq::strings::Format(full.data(), uInt32(full.size() - 1), format, formatLen, writeArgs);
    if (written != measured) __builtin_trap();

    std::vector<uChar> cut(limit ? limit : 1);  // exactly `limit` bytes: ASan catches a write past them
    FuzzArgs cutArgs(data + 1, split - 1);
    const int32 n = tq::strings::Format(cut.data(), limit, format, formatLen, cutArgs);
    if (uInt32(n) > limit) __builtin_trap();
    // A cut run can stop before a bad positional list is found (which makes the full result 0); otherwise it
    // wrote a prefix of the full text.
    if (n <= measured && std::memcmp(cut.data(), full.data(), size_t(n)) != 0) __builtin_trap();
    return 0;
}
