// Code-page conversion through glibc iconv; UTF-8 through the library's own codec, which needs no state.
#include <iconv.h>
#include <locale.h>
#include <wctype.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/CodePage.h"
#include "platform/LastError.h"
#include "platform/Utf8Codec.h"
#include "platform/posix/Syscalls.h"

namespace tq::platform {

namespace {

constexpr size_t kIconvFailed = size_t(-1);

std::string IconvName(uInt32 codePage) {
    return "CP" + std::to_string(codePage);
}

// iconv descriptors carry shift state and are not thread-safe, so each thread keeps its own pair.
class Converter {
  public:
    Converter(uInt32 codePage, bool toWide) {
        const std::string cp = IconvName(codePage);
        cd_ = toWide ? sys::iconv_open("UTF-16LE", cp.c_str()) : sys::iconv_open(cp.c_str(), "UTF-16LE");
    }
    ~Converter() {
        if (Ok()) sys::iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool Ok() const { return cd_ != iconv_t(-1); }
    iconv_t Get() {
        sys::iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        return cd_;
    }

  private:
    iconv_t cd_;
};

iconv_t CachedConverter(uInt32 codePage, bool toWide) {
    struct Slot {
        uInt32 codePage = 0;
        Converter* conv = nullptr;
        ~Slot() { delete conv; }
    };
    thread_local Slot slots[2][4];
    thread_local int next[2] = {0, 0};
    Slot* row = slots[toWide ? 1 : 0];
    for (int i = 0; i < 4; ++i)
        if (row[i].conv && row[i].codePage == codePage) return row[i].conv->Get();
    auto* conv = new Converter(codePage, toWide);
    if (!conv->Ok()) {
        delete conv;
        return iconv_t(-1);
    }
    Slot& slot = row[next[toWide ? 1 : 0]++ % 4];
    delete slot.conv;
    slot.codePage = codePage;
    slot.conv = conv;
    return conv->Get();
}

// Output that either fills the caller's buffer or, with no buffer, only counts. iconv always writes into a
// scratch area first: with the caller's buffer nearly full it would answer "no room" even for a character
// that makes no bytes at all, and measuring would then announce a size that filling refuses.
class ByteOut {
  public:
    ByteOut(char* dst, size_t cap) : dst_(cap ? dst : nullptr), cap_(cap) {}
    char* Scratch() { return scratch_; }
    static constexpr size_t kScratch = 512;
    bool Put(const char* bytes, size_t n) {
        if (dst_) {
            if (cap_ - used_ < n) return false;
            std::memcpy(dst_ + used_, bytes, n);
        }
        used_ += n;
        return true;
    }
    size_t Total() const { return used_; }

  private:
    char* dst_;
    size_t cap_;
    size_t used_ = 0;
    char scratch_[kScratch];
};

enum class Outcome { kDone, kInvalid, kNoRoom, kUnsupported };

// Converts in chunks; an input unit iconv rejects is replaced (or fails in strict mode).
// `skip` is the input unit size to step over; `fallback` produces the replacement for one rejected unit.
template <class Fallback>
Outcome RunIconv(iconv_t cd, const char* in, size_t inLen, ByteOut& out, size_t skip, bool strict,
                 Fallback fallback) {
    if (cd == iconv_t(-1)) return Outcome::kUnsupported;
    char* src = const_cast<char*>(in);
    size_t left = inLen;
    while (left > 0) {
        char* pos = out.Scratch();
        size_t room = ByteOut::kScratch;
        const size_t r = sys::iconv(cd, &src, &left, &pos, &room);
        if (!out.Put(out.Scratch(), size_t(pos - out.Scratch()))) return Outcome::kNoRoom;
        if (r != kIconvFailed) break;
        if (errno == E2BIG) continue;
        if (strict) return Outcome::kInvalid;
        const size_t step = (errno == EINVAL || left < skip) ? left : skip;
        if (!fallback(src, step, out)) return Outcome::kNoRoom;
        src += step, left -= step;
        sys::iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    return Outcome::kDone;
}

int32 Fail(uInt32 code) {
    SetLastError(code);
    return 0;
}

int32 FromOutcome(Outcome o, size_t total, size_t unit) {
    switch (o) {
        case Outcome::kDone:
            if (total / unit > size_t(INT32_MAX)) return Fail(kWinInvalidParameter);
            return int32(total / unit);
        case Outcome::kInvalid:
            return Fail(kWinNoUnicodeTranslation);
        case Outcome::kNoRoom:
            return Fail(kWinInsufficientBuffer);
        case Outcome::kUnsupported:
            break;
    }
    return Fail(kWinInvalidParameter);
}

int32 FromCodec(int32 r) {
    if (r == kCodecInvalid) return Fail(kWinNoUnicodeTranslation);
    if (r == kCodecNoRoom) return Fail(kWinInsufficientBuffer);
    return r;
}

uInt32 Resolve(uInt32 codePage) {
    return codePage == kCodePageAnsi ? AnsiCodePage() : codePage;
}

template <class T>
int32 TerminatedLength(const T* s) {
    int32 n = 0;
    while (s[n] != T(0)) ++n;
    return n + 1;
}

// A byte a single-byte page leaves undefined keeps its value as a C1 or Latin-1 code point, so no byte is
// lost.
bool WideFallback(const char* at, size_t n, ByteOut& out) {
    for (size_t i = 0; i < n; ++i) {
        const char16_t unit = char16_t(uChar(at[i]));
        char le[2] = {char(unit & 0xFF), char(unit >> 8)};
        if (!out.Put(le, 2)) return false;
    }
    return true;
}

// True when the page gives the byte no meaning of its own (iconv rejects it as a whole character).
bool ByteUndefined(uInt32 codePage, uChar b) {
    iconv_t cd = CachedConverter(codePage, true);
    if (cd == iconv_t(-1)) return false;
    char in = char(b), buf[8];
    char* src = &in;
    char* dst = buf;
    size_t left = 1, room = sizeof buf;
    const bool rejected = sys::iconv(cd, &src, &left, &dst, &room) == kIconvFailed && errno == EILSEQ;
    sys::iconv(cd, nullptr, nullptr, nullptr, nullptr);
    return rejected;
}

// The reverse of WideFallback; anything else the page lacks becomes '?'.
bool NarrowFallback(uInt32 codePage, const char* at, size_t n, ByteOut& out) {
    const uInt32 unit = n == 2 ? uInt32(uChar(at[0])) | uInt32(uChar(at[1])) << 8 : 0x10000;
    if (unit >= 0x80 && unit <= 0xFF && ByteUndefined(codePage, uChar(unit))) {
        const char b = char(unit);
        return out.Put(&b, 1);
    }
    return out.Put("?", 1);
}

// What both directions share: the argument checks, a terminated text's length (srcLen -1), and UTF-8 through
// codec(length, strict); other pages through paged(codePage, length, strict).
template <class Char, class Codec, class Paged>
int32 Convert(uInt32 codePage, uInt32 flags, const Char* src, int32 srcLen, const void* dst, int32 dstCap,
              Codec codec, Paged paged) {
    if (!src || srcLen == 0 || srcLen < -1 || dstCap < 0 || (dstCap > 0 && !dst))
        return Fail(kWinInvalidParameter);
    if (srcLen == -1) srcLen = TerminatedLength(src);
    const bool strict = flags & kConvertStrict;
    codePage = Resolve(codePage);
    if (codePage == kCodePageUtf8) return FromCodec(codec(srcLen, strict));
    return paged(codePage, srcLen, strict);
}

}  // namespace

uInt32 HostAnsiCodePage() {
    const char* env = std::getenv("TQCORE_ANSI_CODEPAGE");
    if (!env || !*env) return kCodePageWestern;
    char* end = nullptr;
    const unsigned long cp = std::strtoul(env, &end, 10);
    return (end && *end == '\0' && cp > 0 && cp < 65536) ? uInt32(cp) : kCodePageWestern;
}

int32 MultiByteToWide(uInt32 codePage, uInt32 flags, const char* src, int32 srcLen, TQWChar* dst,
                      int32 dstCap) {
    return Convert(
        codePage, flags, src, srcLen, dst, dstCap,
        [&](int32 n, bool strict) { return Utf8ToUtf16(src, n, dst, dstCap, strict); },
        [&](uInt32 page, int32 n, bool strict) {
            ByteOut out(reinterpret_cast<char*>(dst), size_t(dstCap) * 2);
            const Outcome o =
                RunIconv(CachedConverter(page, true), src, size_t(n), out, 1, strict, WideFallback);
            return FromOutcome(o, out.Total(), 2);
        });
}

int32 WideToMultiByte(uInt32 codePage, uInt32 flags, const TQWChar* src, int32 srcLen, char* dst,
                      int32 dstCap) {
    return Convert(
        codePage, flags, src, srcLen, dst, dstCap,
        [&](int32 n, bool strict) { return Utf16ToUtf8(src, n, dst, dstCap, strict); },
        [&](uInt32 page, int32 n, bool strict) {
            ByteOut out(dst, size_t(dstCap));
            const Outcome o = RunIconv(
                CachedConverter(page, false), reinterpret_cast<const char*>(src), size_t(n) * 2, out, 2,
                strict,
                [page](const char* at, size_t k, ByteOut& o) { return NarrowFallback(page, at, k, o); });
            return FromOutcome(o, out.Total(), 1);
        });
}

namespace {
locale_t UnicodeLocale() {
    static locale_t loc = sys::newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t(0));
    return loc;
}

TQWChar FoldWide(TQWChar c, bool upper) {
    const char16_t u = char16_t(c);
    if (u >= 0xD800 && u <= 0xDFFF) return c;
    if (locale_t loc = UnicodeLocale()) {
        const wint_t r = upper ? towupper_l(wint_t(u), loc) : towlower_l(wint_t(u), loc);
        return r <= 0xFFFF ? TQWChar(r) : c;
    }
    // Without a Unicode locale only ASCII letters fold.
    if (upper && u >= 'a' && u <= 'z') return TQWChar(u - 32);
    if (!upper && u >= 'A' && u <= 'Z') return TQWChar(u + 32);
    return c;
}
}  // namespace

TQWChar WideToUpper(TQWChar c) {
    return FoldWide(c, true);
}

TQWChar WideToLower(TQWChar c) {
    return FoldWide(c, false);
}

bool LeadByteTable(uInt32 codePage, bool lead[256]) {
    iconv_t cd = CachedConverter(codePage, true);
    if (cd == iconv_t(-1)) return false;
    // A byte that iconv reports as an incomplete sequence on its own opens a double-byte character.
    for (int b = 0; b < 256; ++b) {
        char in = char(b);
        char* src = &in;
        size_t left = 1;
        char buf[8];
        char* dst = buf;
        size_t room = sizeof buf;
        sys::iconv(cd, nullptr, nullptr, nullptr, nullptr);
        const size_t r = sys::iconv(cd, &src, &left, &dst, &room);
        lead[b] = (r == kIconvFailed && errno == EINVAL);
    }
    sys::iconv(cd, nullptr, nullptr, nullptr, nullptr);
    return true;
}

namespace {
// Layout: 4-byte byte count, then the text, then a NUL unit; the handed-out pointer is the text.
constexpr size_t kBstrPrefix = sizeof(uInt32);
}  // namespace

TQWChar* SysAllocStringLen(const TQWChar* text, uInt32 length) {
    const size_t bytes = size_t(length) * sizeof(TQWChar);
    if (bytes > UINT32_MAX - 8) return nullptr;
    char* block = static_cast<char*>(std::malloc(kBstrPrefix + bytes + sizeof(TQWChar)));
    if (!block) return nullptr;
    const uInt32 count = uInt32(bytes);
    std::memcpy(block, &count, kBstrPrefix);
    auto* out = reinterpret_cast<TQWChar*>(block + kBstrPrefix);
    if (text)
        std::memcpy(out, text, bytes);
    else
        std::memset(out, 0, bytes);
    out[length] = 0;
    return out;
}

uInt32 SysStringLen(const TQWChar* bstr) {
    if (!bstr) return 0;
    uInt32 count;
    std::memcpy(&count, reinterpret_cast<const char*>(bstr) - kBstrPrefix, kBstrPrefix);
    return count / sizeof(TQWChar);
}

void SysFreeString(TQWChar* bstr) {
    if (bstr) std::free(reinterpret_cast<char*>(bstr) - kBstrPrefix);
}

}  // namespace tq::platform
