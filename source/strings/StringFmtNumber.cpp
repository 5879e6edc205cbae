// Numbers to text under the 16-bit format codes: integer bases, fixed, scientific, engineering and SI
// notation, complex values, and the packed-decimal record.
#include <charconv>
#include <cmath>
#include <cstring>

#include "diagnostics/Report.h"
#include "numerics/NumericRead.h"
#include "strings/DecimalDigits.h"
#include "strings/NumberRender.h"
#include "tqcore/numerics.h"
#include "tqcore/strings.h"

#define TQ_UNIT "source\\StringFmtPrint"

namespace {

using tq::strings::Decimal;

enum : int32 {
    kIB = 1,
    kIW = 2,
    kIL = 3,
    kIQ = 4,
    kUB = 5,
    kUW = 6,
    kUL = 7,
    kUQ = 8,
    kFS = 9,
    kFD = 10,
    kFX = 11
};
enum : int32 { kClassSigned = 0, kClassUnsigned = 1, kClassReal = 2, kClassComplex = 3 };

// Bounded text with a terminator; anything past the end is dropped and reported once.
class TextOut {
  public:
    TextOut(uChar* buf, int32 size) : buf_(buf), size_(size) {}
    void Put(char c) {
        if (len_ + 1 < size_)
            buf_[len_++] = uChar(c);
        else
            overflow_ = true;
    }
    void Put(const char* s) {
        while (*s) Put(*s++);
    }
    void Put(const char* s, int32 n) {
        if (n > 0 && len_ + n < size_) {
            std::memcpy(buf_ + len_, s, size_t(n));
            len_ += n;
            return;
        }
        for (int32 i = 0; i < n; ++i) Put(s[i]);
    }
    int32 Length() const { return len_; }
    int32 Size() const { return size_; }
    int32 Finish() {
        if (size_ > 0) buf_[len_] = 0;
        if (overflow_) TQ_REPORT(kDbgBroken, "buffer overflow");
        return len_;
    }

  private:
    uChar* buf_;
    int32 size_;
    int32 len_ = 0;
    bool overflow_ = false;
};

// ----- integer text -----

int32 MaxDigits(int32 base, bool is64) {
    switch (base) {
        case 2:
            return is64 ? 64 : 32;
        case 8:
            return is64 ? 24 : 12;
        case 10:
            return is64 ? 20 : 12;
        default:
            return is64 ? 16 : 8;
    }
}

bool SupportedBase(int32 base) {
    return base == 2 || base == 8 || base == 10 || base == 16;
}

// Two decimal digits per step, from a table of the pairs 00..99.
constexpr struct DigitPairs {
    char text[200];
    constexpr DigitPairs() : text() {
        for (int32 i = 0; i < 100; ++i)
            text[2 * i] = char('0' + i / 10), text[2 * i + 1] = char('0' + i % 10);
    }
} kDigitPairs;

// Two hexadecimal digits per step, from a table of the bytes 00..FF.
constexpr struct HexPairs {
    char text[512];
    constexpr HexPairs() : text() {
        for (int32 i = 0; i < 256; ++i)
            text[2 * i] = "0123456789ABCDEF"[i >> 4], text[2 * i + 1] = "0123456789ABCDEF"[i & 15];
    }
} kHexPairs;

char* HexBefore(uInt64 v, char* p) {
    while (v >= 256) {
        p -= 2;
        std::memcpy(p, kHexPairs.text + 2 * (v & 0xFF), 2);
        v >>= 8;
    }
    if (v >= 16) {
        p -= 2;
        std::memcpy(p, kHexPairs.text + 2 * v, 2);
    } else {
        *--p = "0123456789ABCDEF"[v];
    }
    return p;
}

template <class U>
char* DecimalBefore(U v, char* p) {
    while (v >= 100) {
        p -= 2;
        std::memcpy(p, kDigitPairs.text + 2 * (v % 100), 2);
        v /= 100;
    }
    if (v >= 10) {
        p -= 2;
        std::memcpy(p, kDigitPairs.text + 2 * v, 2);
    } else {
        *--p = char('0' + v);
    }
    return p;
}

// The digits of v in base, most significant first, written to end at `end`; returns their count. Decimal
// values that fit 32 bits take 32-bit arithmetic, hexadecimal goes a byte a step, octal and binary shift.
int32 DigitsBefore(uInt64 v, int32 base, char* end) {
    char* p = end;
    if (base == 10) {
        p = v <= 0xFFFFFFFFu ? DecimalBefore(uInt32(v), p) : DecimalBefore(v, p);
    } else if (base == 16) {
        p = HexBefore(v, p);
    } else {
        const int32 shift = base == 16 ? 4 : base == 8 ? 3 : 1;
        const uInt64 mask = uInt64(base - 1);
        do {
            *--p = "0123456789ABCDEF"[v & mask];
            v >>= shift;
        } while (v);
    }
    return int32(end - p);
}

// Renders magnitude (with '-' when negative) into buf; keeps the low-order digits when space runs out.
int32 IntegerText(uInt64 magnitude, bool negative, bool is64, int32 base, uChar* buf, int32 size,
                  bool* complete) {
    if (size < 2) {
        if (size == 1) buf[0] = 0;
        if (complete)
            *complete = false;
        else
            TQ_REPORT(kDbgError, "NumToStr requires at least 2 bytes in the input buffer.");
        return 0;
    }
    const int32 window = std::min(MaxDigits(base, is64) + 1, size - 1);
    char tmp[72];
    char* const end = tmp + sizeof tmp;
    const int32 n = DigitsBefore(magnitude, base, end);
    const bool digitsFit = n <= window;
    const bool signFits = !negative || n + 1 <= window;
    if (!digitsFit) {
        if (complete)
            *complete = false;
        else
            TQ_REPORT(
                kDbgError,
                "Incomplete conversion in NumToStr: buffer provided was not large enough to represent the "
                "number in base ",
                base, ".");
    } else if (!signFits) {
        if (complete)
            *complete = false;
        else
            TQ_REPORT(kDbgError, "Unable to include sign in NumToStr: buffer too small.");
    }
    int32 len = 0;
    if (negative && digitsFit && signFits) buf[len++] = '-';
    // Too little room keeps the low-order digits.
    const int32 shown = std::min(n, window);
    std::memcpy(buf + len, end - shown, size_t(shown));
    len += shown;
    buf[len] = 0;
    return len;
}

// Signed values show '-' and the magnitude in base 10 only; elsewhere their two's-complement bits.
int32 SignedOrBits(int64 v, bool is64, int32 base, uChar* buf, int32 size) {
    if (base == 10) {
        const uInt64 mag = v < 0 ? 0 - uInt64(v) : uInt64(v);
        return IntegerText(mag, v < 0, is64, base, buf, size, nullptr);
    }
    const uInt64 bits = is64 ? uInt64(v) : uInt64(uInt32(v));
    return IntegerText(bits, false, is64, base, buf, size, nullptr);
}

// ----- reading values -----

struct RealValue {
    long double v = 0;
    bool extended = false;
};

int32 PartSize(int32 type) {
    return type == kFX ? NumSize(kFX) : (type == kFD ? 8 : 4);
}

RealValue ReadReal(const uChar* p, int32 type) {
    RealValue r;
    if (type == kFS) {
        float f;
        std::memcpy(&f, p, 4);
        r.v = f;
    } else if (type == kFD) {
        double d;
        std::memcpy(&d, p, 8);
        r.v = d;
    } else {
        long double x = 0;
        std::memcpy(&x, p, 10);
        r.v = x;
        r.extended = true;
    }
    return r;
}

int64 ReadSigned(const uChar* p, int32 type) {
    return int64(tq::numerics::ReadWidened(type, p));
}

uInt64 ReadUnsigned(const uChar* p, int32 type) {
    return tq::numerics::ReadWidened(type, p);
}

// ----- decimal layouts -----

char DigitAt(const Decimal& d, int32 power) {
    const int32 i = d.Magnitude() - power;
    return i >= 0 && i < d.count ? d.digits[i] : '0';
}

// Rounds half up on the digit string, keeping `keep` leading digits. Keeping none rounds to one unit of the
// next place (leading digit 5 or more) or to zero; keeping fewer than none always gives zero.
void RoundHalfUp(Decimal& d, int32 keep) {
    if (d.kind != Decimal::kFinite || d.count <= keep || d.IsZero()) return;
    if (keep <= 0) {
        const bool one = keep == 0 && d.digits[0] >= '5';
        d.exp10 = one ? d.exp10 + d.count : 0;
        d.digits[0] = one ? '1' : '0';
        d.count = 1;
        if (!one) d.negative = false;
        return;
    }
    const bool up = d.digits[keep] >= '5';
    d.exp10 += d.count - keep;
    d.count = keep;
    if (!up) return;
    int32 i = keep - 1;
    while (i >= 0 && d.digits[i] == '9') d.digits[i--] = '0';
    if (i >= 0) {
        ++d.digits[i];
        return;
    }
    d.digits[0] = '1';  // all nines carried into a new leading digit
    d.exp10 += keep;
    d.count = 1;
}

void PutExponent(TextOut& out, int32 e, char letter = 'E') {
    out.Put(letter);
    out.Put(e < 0 ? '-' : '+');
    char tmp[12];
    int32 n = 0;
    uInt32 m = e < 0 ? uInt32(-int64(e)) : uInt32(e);
    do tmp[n++] = char('0' + m % 10), m /= 10;
    while (m);
    while (n) out.Put(tmp[--n]);
}

void WriteFixed(const Decimal& d, int32 digits, uChar point, TextOut& out) {
    if (d.negative && !d.IsZero()) out.Put('-');
    const int32 mag = d.IsZero() ? 0 : d.Magnitude();
    if (mag < 0) out.Put('0');
    for (int32 p = mag; p >= 0; --p) out.Put(d.IsZero() ? '0' : DigitAt(d, p));
    if (digits <= 0) return;
    out.Put(char(point));
    for (int32 p = -1; p >= -digits; --p) out.Put(d.IsZero() ? '0' : DigitAt(d, p));
}

void WriteScientific(const Decimal& d, int32 digits, uChar point, TextOut& out) {
    if (d.negative && !d.IsZero()) out.Put('-');
    const bool zero = d.IsZero();
    out.Put(zero ? '0' : d.digits[0]);
    if (digits > 1) out.Put(char(point));
    for (int32 i = 1; i < digits; ++i) out.Put(!zero && i < d.count ? d.digits[i] : '0');
    PutExponent(out, zero ? 0 : d.Magnitude());
}

bool WriteSpecial(const Decimal& d, TextOut& out) {
    if (d.kind == Decimal::kNaN)
        out.Put("NaN");
    else if (d.kind == Decimal::kInfinite)
        out.Put(d.negative ? "-Inf" : "Inf");
    else
        return false;
    return true;
}

constexpr int32 kMinDecimalExponent = -4915;

void FlushTinyToZero(Decimal& d) {
    if (d.kind == Decimal::kFinite && !d.IsZero() && d.Magnitude() < kMinDecimalExponent) {
        d.digits[0] = '0', d.count = 1, d.exp10 = 0, d.negative = false;
    }
}

int32 CapDigits(int32 digits, const TextOut& out) {
    const int32 cap = out.Size() - 8;
    return digits > cap ? (cap > 0 ? cap : 0) : digits;
}

int32 FixedLength(const Decimal& d, int32 digits) {
    const int32 mag = d.IsZero() ? 0 : d.Magnitude();
    return (d.negative && !d.IsZero()) + (mag >= 0 ? mag + 1 : 1) + (digits > 0 ? digits + 1 : 0);
}

// A source of correctly rounded digits: the exact binary value of a real, or a digit string (integers and
// packed records) that is rounded half up.
class DigitSource {
  public:
    virtual Decimal Significant(int32 n) const = 0;
    virtual Decimal Fixed(int32 digits) const = 0;
    virtual bool Huge() const = 0;  // 10^307 or more: never shown in fixed notation
    virtual ~DigitSource() = default;
};

class RealDigits final : public DigitSource {
  public:
    explicit RealDigits(RealValue v) : v_(v) {}
    Decimal Significant(int32 n) const override {
        return v_.extended ? tq::strings::RoundSignificant(v_.v, n)
                           : tq::strings::RoundSignificant(double(v_.v), n);
    }
    Decimal Fixed(int32 digits) const override {
        return v_.extended ? tq::strings::RoundFixed(v_.v, digits)
                           : tq::strings::RoundFixed(double(v_.v), digits);
    }
    bool Huge() const override { return std::fabs(v_.v) >= 1e307L; }

  private:
    RealValue v_;
};

class StringDigits final : public DigitSource {
  public:
    explicit StringDigits(const Decimal& d) : d_(d) {}
    Decimal Significant(int32 n) const override {
        Decimal d = d_;
        RoundHalfUp(d, n);
        return d;
    }
    Decimal Fixed(int32 digits) const override {
        Decimal d = d_;
        RoundHalfUp(d, d.count + d.exp10 + digits);
        return d;
    }
    bool Huge() const override {
        return d_.kind == Decimal::kFinite && !d_.IsZero() && d_.Magnitude() >= 307;
    }

  private:
    Decimal d_;
};

// Fixed notation, or scientific with 1 + digits significant digits when the fixed text would not fit.
void RenderFixed(const DigitSource& src, int32 digits, uChar point, TextOut& out, int32 maxSignificant) {
    digits = CapDigits(digits > 63 ? 63 : digits, out);
    Decimal d = src.Fixed(digits);
    if (WriteSpecial(d, out)) return;
    FlushTinyToZero(d);
    if (src.Huge() || FixedLength(d, digits) > out.Size() - 4) {
        const int32 n = std::min(1 + digits, maxSignificant);
        Decimal s = src.Significant(n);
        FlushTinyToZero(s);
        WriteScientific(s, n, point, out);
        return;
    }
    WriteFixed(d, digits, point, out);
}

void RenderScientific(const DigitSource& src, int32 n, uChar point, TextOut& out, int32 maxSignificant) {
    n = std::max(1, CapDigits(std::min(n, maxSignificant), out));
    Decimal d = src.Significant(n);
    if (WriteSpecial(d, out)) return;
    FlushTinyToZero(d);
    WriteScientific(d, n, point, out);
}

// ----- format codes -----

enum class Kind { kInteger, kFixed, kScientific, kEngineering, kSI, kNoText, kPolar, kBad };

Kind KindOf(int32 code) {
    if (code >= 64 && code <= 68) return Kind::kInteger;
    if (code >= -63 && code <= 0) return Kind::kFixed;
    if (code >= 1 && code <= 63) return Kind::kScientific;
    if (code >= 100 && code <= 130) return Kind::kEngineering;
    if (code >= 131 && code <= 162) return Kind::kSI;
    if ((code >= 200 && code <= 299) || (code >= 512 && code <= 16895)) return Kind::kNoText;
    if (code < -64) return Kind::kPolar;
    return Kind::kBad;
}

struct Request {
    const uChar* value;
    int32 type;
    int32 code;
    uChar point;
    int32* exponent;
};

void RenderValue(const Request& r, TextOut& out);

Decimal IntegerDecimal(uInt64 magnitude, bool negative) {
    Decimal d;
    char tmp[24];
    int32 n = 0;
    do tmp[n++] = char('0' + magnitude % 10), magnitude /= 10;
    while (magnitude);
    for (int32 i = 0; i < n; ++i) d.digits[i] = tmp[n - 1 - i];
    d.count = n;
    d.negative = negative && !(n == 1 && tmp[0] == '0');
    return d;
}

// Digit string of an integer value; n may ask for up to 63 digits, so a 20-digit string is padded by layout.
Decimal IntegerValueDecimal(const Request& r) {
    if (NumClass(r.type) == kClassSigned) {
        const int64 v = ReadSigned(r.value, r.type);
        return IntegerDecimal(v < 0 ? 0 - uInt64(v) : uInt64(v), v < 0);
    }
    return IntegerDecimal(ReadUnsigned(r.value, r.type), false);
}

constexpr int32 kBaseOfCode[] = {10, 10, 16, 8, 2};

void RenderIntegerKind(const Request& r, TextOut& out) {
    const int32 base = kBaseOfCode[r.code - 64];
    const int32 cls = NumClass(r.type);
    char text[80];
    uChar* buf = reinterpret_cast<uChar*>(text);
    int32 len;
    if (cls == kClassComplex) {
        TQ_REPORT(kDbgBroken, "Complex number can't be shown in bin/hex/oct");
        uInt32 u = 0;
        ConvertNum(r.type, r.value, kUL, &u);
        len = IntegerText(u, false, false, base, buf, sizeof text, nullptr);
    } else if (cls == kClassReal) {
        // Reals take the 64-bit renderer through a saturating conversion.
        const RealValue v = ReadReal(r.value, r.type);
        if (v.v < 0) {
            int64 i = 0;
            ConvertNum(r.type, r.value, kIQ, &i);
            len = r.code == 64 ? SignedOrBits(i, true, base, buf, sizeof text)
                               : IntegerText(uInt64(i), false, true, base, buf, sizeof text, nullptr);
        } else {
            uInt64 u = 0;
            ConvertNum(r.type, r.value, kUQ, &u);
            len = IntegerText(u, false, true, base, buf, sizeof text, nullptr);
        }
    } else if (cls == kClassSigned && (NumSize(r.type) >= 4 || r.code <= 65)) {
        len = tq::strings::SignedIntegerCodeText(ReadSigned(r.value, r.type), r.type == kIQ, r.code, buf,
                                                 sizeof text);
    } else {
        const bool is64 = r.type == kIQ || r.type == kUQ;
        uInt64 bits =
            cls == kClassSigned ? uInt64(ReadSigned(r.value, r.type)) : ReadUnsigned(r.value, r.type);
        const int32 size = NumSize(r.type);
        if (r.code >= 66 && size < 4) bits &= size == 1 ? 0xFFu : 0xFFFFu;
        if (!is64) bits &= 0xFFFFFFFFu;
        len = IntegerText(bits, false, is64, base, buf, sizeof text, nullptr);
    }
    out.Put(text, len);
}

// Scientific rendering of any single value with n significant digits, into a scratch buffer.
void RenderScientificOf(const Request& r, int32 n, TextOut& out) {
    if (NumClass(r.type) <= kClassUnsigned) {
        RenderScientific(StringDigits(IntegerValueDecimal(r)), n, r.point, out, 63);
        return;
    }
    RenderScientific(RealDigits(ReadReal(r.value, r.type)), n, r.point, out, tq::strings::kMaxSignificant);
}

struct SIPrefix {
    int32 exponent;
    const char* prefix;
    bool usable;
};
constexpr SIPrefix kSIPrefixes[] = {
    {0, "", true},    {-24, "y", true}, {-21, "z", true}, {-18, "a", true}, {-15, "f", true},
    {-12, "p", true}, {-9, "n", true},  {-6, "u", true},  {-3, "m", true},  {3, "k", true},
    {6, "M", true},   {9, "G", true},   {12, "T", true},  {15, "P", true},  {18, "E", true},
    {21, "Z", true},  {24, "Y", true},  {-2, "c", false}, {-1, "d", false}, {1, "da", false},
    {2, "h", false},
};

const char* SIPrefixFor(int32 e) {
    if (e < -24 || e > 24) return nullptr;
    for (const SIPrefix& p : kSIPrefixes)
        if (p.exponent == e) return p.usable ? p.prefix : nullptr;
    return nullptr;
}

// The scientific text split into sign, mantissa digits and exponent.
struct SciParts {
    char lead[4] = {};
    int32 leadLen = 0;
    char digits[72] = {};
    int32 count = 0;
    int32 exponent = 0;
    char letter = 'E';
    bool hasExponent = false;
};

SciParts SplitScientific(const char* text, int32 len, uChar point) {
    SciParts s;
    int32 i = 0;
    while (i < len && !(text[i] >= '0' && text[i] <= '9') && s.leadLen < 3) s.lead[s.leadLen++] = text[i++];
    for (; i < len && text[i] != 'E' && text[i] != 'e'; ++i)
        if (text[i] >= '0' && text[i] <= '9' && s.count < 70) s.digits[s.count++] = text[i];
    if (i < len) {
        s.letter = text[i];
        s.hasExponent = true;
        int32 sign = 1, e = 0;
        ++i;
        if (i < len && (text[i] == '-' || text[i] == '+')) sign = text[i++] == '-' ? -1 : 1;
        for (; i < len && text[i] >= '0' && text[i] <= '9'; ++i) e = e * 10 + (text[i] - '0');
        s.exponent = sign * e;
    }
    (void)point;
    return s;
}

int32 Mod3(int32 e) {
    return ((e % 3) + 3) % 3;
}

bool RenderEngineeringOnce(const Request& r, int32 p, bool si, TextOut& out) {
    const bool useExponentPointer = r.exponent && *r.exponent != 100;
    if (si && r.exponent && *r.exponent == 100) return false;
    const int32 offset = useExponentPointer ? *r.exponent : 0;
    uChar scratch[256];
    TextOut sci(scratch, sizeof scratch);
    RenderScientificOf(r, p + 3, sci);
    SciParts parts = SplitScientific(reinterpret_cast<char*>(scratch), sci.Length(), r.point);
    if (!parts.hasExponent) {
        if (parts.count == 0) {  // NaN or Inf: no mantissa to move
            out.Put(reinterpret_cast<char*>(scratch), sci.Length());
            return true;
        }
        TQ_REPORT(kDbgBroken, "Bad result from NumToText recursion 1.");
        return true;
    }
    int32 e = parts.exponent + offset;
    int32 rem = Mod3(e);
    if (rem < 2) {
        TextOut again(scratch, sizeof scratch);
        RenderScientificOf(r, p + 1 + rem, again);
        parts = SplitScientific(reinterpret_cast<char*>(scratch), again.Length(), r.point);
        if (!parts.hasExponent) {
            TQ_REPORT(kDbgBroken, "Bad result from NumToText recursion 2.");
            return true;
        }
        e = parts.exponent + offset;
        rem = Mod3(e);
        if (rem == 0 && !useExponentPointer && !si) {
            out.Put(reinterpret_cast<char*>(scratch), again.Length());
            return true;
        }
    }
    const int32 chosen = e - rem;
    const char* prefix = nullptr;
    if (si && !(prefix = SIPrefixFor(chosen))) return false;
    out.Put(parts.lead, parts.leadLen);
    for (int32 i = 0; i <= rem; ++i) out.Put(i < parts.count ? parts.digits[i] : '0');
    if (p > 0) out.Put(char(r.point));
    for (int32 i = 0; i < p; ++i) out.Put(rem + 1 + i < parts.count ? parts.digits[rem + 1 + i] : '0');
    if (si) {
        out.Put(prefix);
        if (useExponentPointer) *r.exponent = chosen;
        return true;
    }
    if (useExponentPointer && chosen >= -24 && chosen <= 24) {
        *r.exponent = chosen;
        return true;
    }
    if (useExponentPointer) *r.exponent = 0;
    if (out.Size() - out.Length() < 6) TQ_REPORT(kDbgBroken, "buffer overflow imminent");
    PutExponent(out, chosen, parts.letter);
    return true;
}

void RenderEngineering(const Request& r, int32 p, bool si, TextOut& out) {
    if (si) {
        uChar scratch[256];
        TextOut trial(scratch, sizeof scratch);
        if (RenderEngineeringOnce(r, p, true, trial)) {
            out.Put(reinterpret_cast<char*>(scratch), trial.Length());
            return;
        }
        Request plain = r;
        plain.exponent = nullptr;  // the SI attempt failed: plain engineering, without the caller's exponent
        RenderEngineeringOnce(plain, p, false, out);
        return;
    }
    RenderEngineeringOnce(r, p, false, out);
}

void RenderComplex(const Request& r, TextOut& out, bool polar) {
    const int32 partType = r.type - 3;
    const uChar* re = r.value;
    const uChar* im = r.value + PartSize(partType);
    Request a = r, b = r;
    a.type = b.type = partType;
    a.value = re;
    b.value = im;
    long double mag = 0, arg = 0;
    if (polar) {
        const long double x = ReadReal(re, partType).v, y = ReadReal(im, partType).v;
        mag = std::hypot(x, y);
        arg = std::atan2(y, x);
        a.value = reinterpret_cast<const uChar*>(&mag);
        b.value = reinterpret_cast<const uChar*>(&arg);
        a.type = b.type = kFX;
        a.code = b.code = r.code + 100;
    }
    uChar first[256], second[256];
    TextOut ta(first, sizeof first), tb(second, sizeof second);
    RenderValue(a, ta);
    RenderValue(b, tb);
    out.Put(reinterpret_cast<char*>(first), ta.Length());
    if (polar) {
        out.Put(" arg ");
        out.Put(reinterpret_cast<char*>(second), tb.Length());
        return;
    }
    out.Put(' ');
    if (tb.Length() == 0 || second[0] != '-') out.Put('+');
    out.Put(reinterpret_cast<char*>(second), tb.Length());
    if (out.Size() - out.Length() >= 3) out.Put(" i");
}

// Scientific text of a finite, non-zero double straight from the digit generator, respelled ("E", the given
// point, no leading exponent zeros). Other values take the general path, which gives the same text.
bool ScientificDirect(double v, int32 code, uChar point, TextOut& out) {
    const int32 n = code > tq::strings::kMaxSignificant ? tq::strings::kMaxSignificant : code;
    if (v == 0 || !std::isfinite(v) || out.Size() - out.Length() < n + 16 || n > out.Size() - 8) return false;
    char text[48];
    char* end = std::to_chars(text, text + sizeof text, v, std::chars_format::scientific, n - 1).ptr;
    // The generator's form is [-]d[.ddd]e(+|-)dd[d]: the point and the 'e' stand at known places.
    const int32 lead = v < 0 ? 1 : 0;
    if (n > 1) text[lead + 1] = char(point);
    char* e = text + lead + (n > 1 ? n + 1 : 1);
    *e = 'E';
    // The exponent has two digits at least, three from 100 on: only a two-digit one can lead with a zero.
    char* digits = e + 2;
    if (end - digits == 2 && digits[0] == '0') digits[0] = digits[1], --end;
    out.Put(text, int32(end - text));
    return true;
}

bool FixedDirect(double v, int32 digits, uChar point, TextOut& out) {
    if (digits > out.Size() - 8) return false;
    char text[tq::strings::kFixedTextRoom];
    const char* shown;
    const int32 n = tq::strings::FixedCodeText(v, digits, point, text, &shown);
    if (n < 0 || n > out.Size() - 4) return false;
    out.Put(shown, n);
    return true;
}

void RenderValue(const Request& r, TextOut& out) {
    const Kind kind = KindOf(r.code);
    const int32 cls = NumClass(r.type);
    if (kind == Kind::kBad) {
        TQ_REPORT(kDbgError, "Bad k_code: ", r.code);
        return;
    }
    if (cls > kClassComplex || kind == Kind::kNoText || (kind == Kind::kPolar && cls != kClassComplex))
        return;
    if (kind == Kind::kInteger) {
        if (cls == kClassComplex && r.code < 66)
            RenderComplex(r, out, false);
        else
            RenderIntegerKind(r, out);
        return;
    }
    if (cls == kClassComplex) {
        RenderComplex(r, out, kind == Kind::kPolar);
        return;
    }
    if (kind == Kind::kEngineering || kind == Kind::kSI) {
        const bool si = kind == Kind::kSI;
        RenderEngineering(r, r.code - (si ? 131 : 100), si, out);
        return;
    }
    if (cls <= kClassUnsigned) {
        const StringDigits src(IntegerValueDecimal(r));
        if (kind == Kind::kFixed)
            RenderFixed(src, -r.code, r.point, out, 63);
        else
            RenderScientific(src, r.code, r.point, out, 63);
        return;
    }
    const RealValue v = ReadReal(r.value, r.type);
    if (kind == Kind::kScientific && !v.extended && ScientificDirect(double(v.v), r.code, r.point, out))
        return;
    if (kind == Kind::kFixed && !v.extended && FixedDirect(double(v.v), -r.code, r.point, out)) return;
    const RealDigits src(v);
    if (kind == Kind::kFixed)
        RenderFixed(src, -r.code, r.point, out, tq::strings::kMaxSignificant);
    else
        RenderScientific(src, r.code, r.point, out, tq::strings::kMaxSignificant);
}

bool DecodePacked(const PackedDecimalReal& p, Decimal& d) {
    d.negative = p.sign != 0;
    if (uInt16(p.exponent) == 0x7FFF || uInt16(p.exponent) == 0x7FFE) {
        d.kind = uInt16(p.exponent) == 0x7FFF ? Decimal::kInfinite : Decimal::kNaN;
        if (d.kind == Decimal::kNaN) d.negative = false;
        return true;
    }
    char all[18];
    for (int32 i = 0; i < 18; ++i) {
        const int32 nib = (p.digits[i / 2] >> (i % 2 ? 4 : 0)) & 0xF;
        if (nib > 9) return false;
        all[17 - i] = char('0' + nib);
    }
    int32 first = 0;
    while (first < 17 && all[first] == '0') ++first;
    int32 last = 17;  // trailing zeros move into the exponent
    int32 exp = p.exponent;
    while (last > first && all[last] == '0') --last, ++exp;
    d.count = last - first + 1;
    std::memcpy(d.digits, all + first, size_t(d.count));
    d.exp10 = d.digits[0] == '0' ? 0 : exp;
    if (d.digits[0] == '0') d.negative = false;
    return true;
}

}  // namespace

namespace tq::strings {

// Fixed text of a finite double straight from the digit generator, when it needs no more than the 17
// significant digits the general path keeps; a result that rounds to zero loses its sign, as there. Other
// values take the general path, which gives the same text.
int32 FixedCodeText(double v, int32 digits, uChar point, char* text, const char** start) {
    if (!std::isfinite(v) || std::fabs(v) >= 1e17 || digits > 63) return -1;
    char* end = std::to_chars(text, text + kFixedTextRoom, v, std::chars_format::fixed, digits).ptr;
    const char* p = text + (text[0] == '-' ? 1 : 0);
    while (p < end && (*p == '0' || *p == '.')) ++p;
    // Counted from the first non-zero digit, trailing zeros included; the point stands before the last
    // `digits` digits.
    const int32 significant = int32(end - p) - (digits > 0 && p < end - digits ? 1 : 0);
    if (significant > kMaxSignificant) return -1;
    *start = significant == 0 && text[0] == '-' ? text + 1 : text;
    if (digits > 0) end[-digits - 1] = char(point);
    return int32(end - *start);
}

char* IntegerCodeDigits(int64 v, bool is64, int32 code, char* end) {
    const int32 base = kBaseOfCode[code - 64];
    if (code == 64 && v < 0) {
        char* p = end - DigitsBefore(0 - uInt64(v), base, end);
        *--p = '-';
        return p;
    }
    const uInt64 bits = is64 || code == 64 ? uInt64(v) : uInt64(uInt32(v));
    return end - DigitsBefore(bits, base, end);
}

int32 SignedIntegerCodeText(int64 v, bool is64, int32 code, uChar* buf, int32 size) {
    const int32 base = kBaseOfCode[code - 64];
    if (code == 64) return SignedOrBits(v, is64, base, buf, size);
    return IntegerText(is64 ? uInt64(v) : uInt64(uInt32(v)), false, is64, base, buf, size, nullptr);
}

}  // namespace tq::strings

int32 NumToIntString(const void* value, uChar* buf, int32 size, int32 base, Bool32 isSigned, int32 type) {
    if (!value || !buf || size <= 0) return 0;
    if (!SupportedBase(base)) {
        buf[0] = 0;
        TQ_REPORT(kDbgError, "NumToStr supports bases 2, 8, 10 and 16 only, not ", base);
        return 0;
    }
    type &= 0xF;
    const bool is64 = type == kIQ || type == kUQ;
    const uChar* p = static_cast<const uChar*>(value);
    int64 v;
    if (is64)
        std::memcpy(&v, p, 8);
    else {
        int32 v32;
        std::memcpy(&v32, p, 4);
        v = isSigned ? int64(v32) : int64(uInt32(v32));
    }
    if (isSigned) return SignedOrBits(v, is64, base, buf, size);
    return IntegerText(is64 ? uInt64(v) : uInt64(uInt32(v)), false, is64, base, buf, size, nullptr);
}

int32 NumToAnyString(const void* value, int32 type, const int16* code, uChar* buf, int32 size,
                     uChar decimalPoint, int32* exponent) {
    if (!buf || size <= 0 || !code) return 0;
    Request r{static_cast<const uChar*>(value), type & 0xF, *code, decimalPoint, exponent};
    TextOut out(buf, size);
    // A complex value that is not there reads as zero, in one fixed spelling whatever the code.
    if (!r.value) {
        if (NumClass(r.type) == kClassComplex) out.Put("0 + 0i");
        return out.Finish();
    }
    RenderValue(r, out);
    return out.Finish();
}

int32 PackedToString(const PackedDecimalReal* pdr, int16 code, uChar* buf, int32 size, uChar decimalPoint) {
    if (!pdr || !buf || size <= 0) return 0;
    TextOut out(buf, size);
    Decimal d;
    if (!DecodePacked(*pdr, d)) {
        TQ_REPORT(kDbgFatal, "bad pdr, exp fmt");
        return out.Finish();
    }
    const StringDigits src(d);
    if (code < -63) code = -63;
    if (code <= 0)
        RenderFixed(src, -code, decimalPoint, out, tq::strings::kMaxSignificant);
    else if (code <= 63)
        RenderScientific(src, code, decimalPoint, out, tq::strings::kMaxSignificant);
    else
        TQ_REPORT(kDbgError, "Bad k_code: ", int32(code));
    return out.Finish();
}

int16 SetFormat(int16 code, int16 kind) {
    int32 param;
    switch (KindOf(code)) {
        case Kind::kFixed:
            param = -code;
            break;
        case Kind::kScientific:
            param = code;
            break;
        case Kind::kEngineering:
            param = code - 100;
            break;
        case Kind::kSI:
            param = code - 131;
            break;
        case Kind::kNoText:
            param = code >= 512 ? (code & 15) : code - 200;
            break;
        default:
            TQ_REPORT(kDbgError, "Wrong k-code in SetFormat function ", int32(code));
            return 0;
    }
    switch (kind) {
        case kFmtKindFixed:
            return int16(-std::min(param, 63));
        case kFmtKindScientific:
            return int16(std::min(std::max(param, 1), 63));
        case kFmtKindEngineering:
            return int16(std::min(100 + param, 130));
        case kFmtKindSI:
            return int16(std::min(131 + param, 162));
        case kFmtKind200:
            return int16(std::min(200 + param, 299));
        case kFmtKind512:
            return int16(std::min(512 + param, 16895));
        default:
            TQ_REPORT(kDbgError, "Wrong output k-code in SetFormat function:", int32(kind));
            return 0;
    }
}
