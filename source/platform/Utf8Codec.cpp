// UTF-8 and UTF-16 conversion, the text form handed to the operating system.
#include "platform/Utf8Codec.h"

#include <cstring>

namespace tq::platform {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

struct Decoded {
    char32_t cp;
    int32 length;
    bool valid;
};

// One scalar value at s (n > 0 bytes left); an invalid sequence yields its maximal valid prefix length.
Decoded DecodeUtf8(const uChar* s, int32 n) {
    const uChar b0 = s[0];
    if (b0 < 0x80) return {b0, 1, true};
    int32 need;
    char32_t cp;
    uChar lo = 0x80, hi = 0xBF;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        need = 1, cp = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        need = 2, cp = b0 & 0x0F;
        if (b0 == 0xE0) lo = 0xA0;
        if (b0 == 0xED) hi = 0x9F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        need = 3, cp = b0 & 0x07;
        if (b0 == 0xF0) lo = 0x90;
        if (b0 == 0xF4) hi = 0x8F;
    } else {
        return {kReplacement, 1, false};
    }
    for (int32 i = 1; i <= need; ++i) {
        if (i >= n || s[i] < lo || s[i] > hi) return {kReplacement, i, false};
        cp = (cp << 6) | (s[i] & 0x3F);
        lo = 0x80, hi = 0xBF;
    }
    return {cp, need + 1, true};
}

class Utf8Sink {
  public:
    Utf8Sink(char* dst, int32 cap) : dst_(cap > 0 ? dst : nullptr), cap_(cap) {}
    bool Put(char32_t cp) {
        uChar buf[4];
        int32 n;
        if (cp < 0x80) {
            buf[0] = uChar(cp), n = 1;
        } else if (cp < 0x800) {
            buf[0] = uChar(0xC0 | (cp >> 6)), buf[1] = uChar(0x80 | (cp & 0x3F)), n = 2;
        } else if (cp < 0x10000) {
            buf[0] = uChar(0xE0 | (cp >> 12)), buf[1] = uChar(0x80 | ((cp >> 6) & 0x3F));
            buf[2] = uChar(0x80 | (cp & 0x3F)), n = 3;
        } else {
            buf[0] = uChar(0xF0 | (cp >> 18)), buf[1] = uChar(0x80 | ((cp >> 12) & 0x3F));
            buf[2] = uChar(0x80 | ((cp >> 6) & 0x3F)), buf[3] = uChar(0x80 | (cp & 0x3F)), n = 4;
        }
        if (dst_) {
            if (count_ + n > cap_) return false;
            for (int32 i = 0; i < n; ++i) dst_[count_ + i] = char(buf[i]);
        }
        count_ += n;
        return true;
    }
    bool PutAscii4(const TQWChar* units) {
        if (dst_) {
            if (count_ + 4 > cap_) return false;
            for (int32 k = 0; k < 4; ++k) dst_[count_ + k] = char(units[k]);
        }
        count_ += 4;
        return true;
    }
    int32 Count() const { return count_; }

  private:
    char* dst_;
    int32 cap_;
    int32 count_ = 0;
};

constexpr uInt64 kAsciiBytes = 0x8080808080808080ull;
constexpr uInt64 kAsciiUnits = 0xFF80FF80FF80FF80ull;

}  // namespace

int32 Utf8ToUtf16(const char* src, int32 srcLen, TQWChar* dst, int32 dstCap, bool strict) {
    const uChar* s = reinterpret_cast<const uChar*>(src);
    const bool fill = dst && dstCap > 0;
    int32 i = 0, n = 0;
    while (i < srcLen) {
        // ASCII runs go eight bytes at a time.
        uInt64 word;
        if (i + 8 <= srcLen && (std::memcpy(&word, s + i, 8), (word & kAsciiBytes) == 0)) {
            if (fill) {
                if (n + 8 > dstCap) return kCodecNoRoom;
                for (int32 k = 0; k < 8; ++k) dst[n + k] = TQWChar(s[i + k]);
            }
            i += 8, n += 8;
            continue;
        }
        const Decoded d = s[i] < 0x80 ? Decoded{s[i], 1, true} : DecodeUtf8(s + i, srcLen - i);
        if (!d.valid && strict) return kCodecInvalid;
        const int32 units = d.cp >= 0x10000 ? 2 : 1;
        if (fill) {
            if (n + units > dstCap) return kCodecNoRoom;
            if (units == 2) {
                dst[n] = TQWChar(0xD800 + ((d.cp - 0x10000) >> 10));
                dst[n + 1] = TQWChar(0xDC00 + ((d.cp - 0x10000) & 0x3FF));
            } else {
                dst[n] = TQWChar(d.cp);
            }
        }
        n += units, i += d.length;
    }
    return n;
}

int32 Utf16ToUtf8(const TQWChar* src, int32 srcLen, char* dst, int32 dstCap, bool strict) {
    Utf8Sink sink(dst, dstCap);
    for (int32 i = 0; i < srcLen; ++i) {
        // ASCII runs go four units at a time.
        uInt64 word;
        if (i + 4 <= srcLen && (std::memcpy(&word, src + i, 8), (word & kAsciiUnits) == 0)) {
            if (!sink.PutAscii4(src + i)) return kCodecNoRoom;
            i += 3;
            continue;
        }
        char32_t cp = char16_t(src[i]);
        if (cp >= 0xD800 && cp <= 0xDFFF) {
            const bool paired = cp <= 0xDBFF && i + 1 < srcLen && char16_t(src[i + 1]) >= 0xDC00 &&
                                char16_t(src[i + 1]) <= 0xDFFF;
            if (paired) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (char16_t(src[i + 1]) - 0xDC00);
                ++i;
            } else if (strict) {
                return kCodecInvalid;
            } else {
                cp = kReplacement;
            }
        }
        if (!sink.Put(cp)) return kCodecNoRoom;
    }
    return sink.Count();
}

}  // namespace tq::platform
