// Text to numbers: integers of a chosen type and base, and decimal reals into the packed-decimal record.
#include <bit>
#include <cstring>
#include <limits>

#include "strings/HostRules.h"
#include "tqcore/strings.h"

namespace {

static_assert(std::endian::native == std::endian::little, "packed digits are stored as little-endian words");

enum : int32 { kIB = 1, kIW = 2, kIL = 3, kIQ = 4, kUB = 5, kUW = 6, kUL = 7, kUQ = 8 };

bool IsSignedType(int32 t) {
    return t >= kIB && t <= kIQ;
}
bool Is64Type(int32 t) {
    return t == kIQ || t == kUQ;
}

// Byte sources: a pointer with a length, or the caller's cursor.
class PointerSource {
  public:
    explicit PointerSource(const uChar* p) : p_(p) {}
    uChar Current() const { return *p_; }
    void Advance() { ++p_; }
    void Rewind(int32 n) { p_ -= n; }
    const uChar* Position() const { return p_; }

  private:
    const uChar* p_;
};

class CursorSource {
  public:
    explicit CursorSource(TextCursor* c) : c_(c) {}
    uChar Current() const { return c_->Current(); }
    void Advance() { c_->Advance(); }
    void Rewind(int32 n) { c_->Move(-n); }

  private:
    TextCursor* c_;
};

int32 DigitValue(uChar c, int32 base) {
    int32 d = -1;
    if (c >= '0' && c <= '9')
        d = c - '0';
    else if (c >= 'A' && c <= 'Z')
        d = c - 55;
    else if (c >= 'a' && c <= 'z')
        d = c - 87;
    return d >= 0 && d < base ? d : -1;
}

struct Accumulated {
    bool any = false;
    bool saturated = false;
};

// Accumulates digits in Int with the saturation rules; later digits are consumed without effect.
template <class Int, class Src>
Accumulated Accumulate(Src& s, int32& used, int32 len, int32 base, bool negative, bool signedRequest,
                       Int& value) {
    using Lim = std::numeric_limits<Int>;
    Accumulated a;
    value = 0;
    for (; used < len; ++used, s.Advance()) {
        const int32 d = DigitValue(s.Current(), base);
        if (d < 0) break;
        a.any = true;
        if (a.saturated) continue;
        Int next;
        if (__builtin_mul_overflow(value, Int(base), &next) || __builtin_add_overflow(next, Int(d), &next) ||
            (Lim::is_signed && next < 0)) {
            a.saturated = true;
            if constexpr (Lim::is_signed) {
                value = negative ? Lim::min() : Lim::max();
            } else {
                using S = std::make_signed_t<Int>;
                value = signedRequest && base != 10 ? Int(std::numeric_limits<S>::max()) : Lim::max();
            }
            continue;
        }
        value = next;
    }
    return a;
}

// Limits 8-, 16- and (in the 64-bit parse) 32-bit results to the requested type.
int64 LimitToType(int64 v, int32 type, int32 base, bool wide) {
    struct Range {
        int64 lo, hi, otherMax, otherFallback;
    };
    Range r{};
    switch (type) {
        case kIB:
            r = {-128, 127, 255, 127};
            break;
        case kIW:
            r = {-32768, 32767, 65535, 32767};
            break;
        case kUB:
            r = {0, 255, 255, 255};
            break;
        case kUW:
            r = {0, 65535, 65535, 65535};
            break;
        case kIL:
            r = {INT32_MIN, INT32_MAX, 0xFFFFFFFFll, INT32_MAX};
            break;
        case kUL:
            r = {0, 0xFFFFFFFFll, 0xFFFFFFFFll, 0xFFFFFFFFll};
            break;
        default:
            return v;
    }
    if ((type == kIL || type == kUL) && !wide) return v;
    if (base == 10) return v < r.lo ? r.lo : (v > r.hi ? r.hi : v);
    if (IsSignedType(type)) return v >= 0 && v <= r.otherMax ? v : r.otherFallback;
    return v > r.otherMax ? r.otherMax : v;
}

template <class Int, class Src>
Accumulated AccumulateAs(Src& s, int32& used, int32 len, int32 base, bool negative, bool signedRequest,
                         int64& out) {
    Int v;
    const Accumulated a = Accumulate<Int>(s, used, len, base, negative, signedRequest, v);
    out = int64(v);
    return a;
}

template <class Src>
int64 ParseInteger(Src& s, int32 len, int32 type, int32 base, bool unsignedOnly, bool wide) {
    type &= 0xF;
    int32 used = 0;
    while (used < len && s.Current() == ' ') ++used, s.Advance();
    bool negative = false;
    if (used < len) {
        const uChar c = s.Current();
        const bool sign =
            unsignedOnly ? c == '+' && tq::strings::HostAllowsLeadingPlus() : c == '-' || c == '+';
        if (sign) {
            negative = c == '-';
            ++used, s.Advance();
        }
    }
    const bool signedRequest = IsSignedType(type);
    // Other bases accumulate in the unsigned twin of a signed type.
    const bool accumulateSigned = signedRequest && base == 10;
    int64 value = 0;
    Accumulated a;
    if (wide && Is64Type(type)) {
        a = accumulateSigned ? AccumulateAs<int64>(s, used, len, base, negative, signedRequest, value)
                             : AccumulateAs<uInt64>(s, used, len, base, negative, signedRequest, value);
    } else {
        a = accumulateSigned ? AccumulateAs<int32>(s, used, len, base, negative, signedRequest, value)
                             : AccumulateAs<uInt32>(s, used, len, base, negative, signedRequest, value);
    }
    if (!a.any) {
        s.Rewind(used);
        return 0;
    }
    if (base == 10 && negative && !a.saturated) value = int64(0 - uInt64(value));
    value = LimitToType(value, type, base, wide);
    if (base != 10 && negative) value = int64(0 - uInt64(value));
    return value;
}

// The 32-bit parse widened: signed types sign-extend, unsigned ones zero-extend.
int64 Widen32(int64 v, int32 type) {
    return IsSignedType(type & 0xF) ? int64(int32(v)) : int64(uInt32(v));
}

}  // namespace

int32 StringToNum32(const uChar** text, int32 len, int32 type, int32 base, Bool32 unsignedOnly) {
    if (!text || !*text || len <= 0 || base < 2 || base > 36) return 0;
    PointerSource s(*text);
    const int32 v = int32(ParseInteger(s, len, type, base, unsignedOnly != 0, false));
    *text = s.Position();
    return v;
}

int64 StringToNum64(const uChar** text, int32 len, int32 type, int32 base, Bool32 unsignedOnly) {
    if (!text || !*text || len <= 0 || base < 2 || base > 36) return 0;
    PointerSource s(*text);
    const int64 v = ParseInteger(s, len, type, base, unsignedOnly != 0, true);
    *text = s.Position();
    return Is64Type(type & 0xF) ? v : Widen32(v, type);
}

int32 StringToNumL(TextCursor* cursor, int32 len, int32 type, int32 base, Bool32 unsignedOnly) {
    if (!cursor || len <= 0 || base < 2 || base > 36) return 0;
    CursorSource s(cursor);
    return int32(ParseInteger(s, len, type, base, unsignedOnly != 0, false));
}

int64 StringToNumQ(TextCursor* cursor, int32 len, int32 type, int32 base, Bool32 unsignedOnly) {
    if (!cursor || len <= 0 || base < 2 || base > 36) return 0;
    CursorSource s(cursor);
    const int64 v = ParseInteger(s, len, type, base, unsignedOnly != 0, true);
    return Is64Type(type & 0xF) ? v : Widen32(v, type);
}

namespace {

// Reads decimal text into up to 18 significant digits, a decimal-point position and an explicit exponent.
class PackedScanner {
  public:
    PackedScanner(const uChar* text, int32 len, uChar point) : p_(text), end_(text + len), point_(point) {}

    Bool32 Run(PackedDecimalReal& out) {
        std::memset(&out, 0, sizeof out);
        out.count = 1;
        State st = kStart;
        while (st != kDone) st = Step(st, out);
        return ok_;
    }

  private:
    enum State {
        kStart,
        kAfterSign,
        kInteger,
        kExcess,
        kFraction,
        kExpStart,
        kExpSign,
        kExpDigits,
        kTrailing,
        kDone
    };
    static constexpr int32 kMaxDigits = 18;

    bool AtEnd() const { return p_ >= end_; }
    uChar Peek() const { return *p_ == point_ ? uChar('.') : *p_; }
    static bool IsDigit(uChar c) { return c >= '0' && c <= '9'; }
    static uChar Lower(uChar c) { return c >= 'A' && c <= 'Z' ? uChar(c + 32) : c; }

    void Store(uChar c) { digits_[count_++] = uChar(c - '0'); }

    State Fail() {
        ok_ = 0;
        return Finish();
    }

    // "inf" or "nan" (any case) from here; ends the scan.
    bool TrySpecial(PackedDecimalReal& out) {
        const uChar c = Lower(*p_);
        const char* word = c == 'i' ? "inf" : (c == 'n' ? "nan" : nullptr);
        if (!word || end_ - p_ < 3 || Lower(p_[1]) != word[1] || Lower(p_[2]) != word[2]) return false;
        out.exponent = int16(c == 'i' ? 0x7FFF : 0x7FFE);
        p_ += 3;
        ok_ = ok_ && AtEnd();
        special_ = true;
        return true;
    }

    State Step(State st, PackedDecimalReal& out) {
        if (AtEnd()) return st == kStart || st == kAfterSign ? kDone : Finish();
        const uChar c = Peek();
        switch (st) {
            case kStart:
            case kAfterSign:
                return StepLeading(st, c, out);
            case kInteger:
                return StepInteger(c);
            case kExcess:
                return StepExcess(c);
            case kFraction:
                return StepFraction(c);
            case kExpStart:
            case kExpSign:
                return StepExponentStart(st, c);
            case kExpDigits:
                return StepExponentDigits(c);
            case kTrailing:
                return StepTrailing(c);
            case kDone:
                break;
        }
        return kDone;
    }

    State StepLeading(State st, uChar c, PackedDecimalReal& out) {
        if (st == kStart && (c == '+' || c == '-')) {
            if (c == '-') out.sign = 0x80;
            ++p_;
            return kAfterSign;
        }
        if (c == '0' || (st == kAfterSign && c == ' ')) return ++p_, st;
        if (IsDigit(c)) return Next(kInteger, c);
        if (c == '.') return ++p_, kFraction;
        if (c == 'E' || c == 'e') return ++p_, kExpStart;
        if (TrySpecial(out)) return kDone;
        if (st == kAfterSign) {
            ok_ = 0;
            return kDone;
        }
        ok_ = 0;  // an unexpected leading byte is skipped
        return ++p_, st;
    }

    State Next(State st, uChar c) {
        Store(c);
        if (st == kInteger) ++point_pos_;
        ++p_;
        return st;
    }

    State StepInteger(uChar c) {
        if (IsDigit(c)) {
            if (count_ == kMaxDigits) return ++point_pos_, ++p_, kExcess;
            return Next(kInteger, c);
        }
        if (c == '.') return ++p_, kFraction;
        if (c == 'E' || c == 'e') return ++p_, kExpStart;
        return Fail();
    }

    State StepExcess(uChar c) {
        if (IsDigit(c)) return ++point_pos_, ++p_, kExcess;
        if (c == ' ') return ++p_, kExcess;
        if (c == '.') return ++p_, kTrailing;
        if (c == 'E' || c == 'e') return ++p_, kExpStart;
        return Fail();
    }

    State StepFraction(uChar c) {
        if (c == '0' && count_ == 0) return --point_pos_, ++p_, kFraction;
        if (IsDigit(c)) {
            if (count_ == kMaxDigits) return ++p_, kTrailing;
            Store(c);
            return ++p_, kFraction;
        }
        if (c == ' ') return ++p_, kTrailing;
        if (c == 'E' || c == 'e') return ++p_, kExpStart;
        return Fail();
    }

    State StepExponentStart(State st, uChar c) {
        if (c == ' ') return ++p_, st;
        if (st == kExpStart && (c == '+' || c == '-')) {
            exp_negative_ = c == '-';
            return ++p_, kExpSign;
        }
        if (IsDigit(c)) return StepExponentDigits(c);
        return Fail();
    }

    State StepExponentDigits(uChar c) {
        if (!IsDigit(c)) return Fail();
        if (exp_digits_ < 4 || exponent_ < 10000) exponent_ = exponent_ * 10 + (c - '0');
        ++exp_digits_;
        ++p_;
        return kExpDigits;
    }

    State StepTrailing(uChar c) {
        if (c == ' ' || IsDigit(c)) return ++p_, kTrailing;
        if (c == 'E' || c == 'e') return ++p_, kExpStart;
        ok_ = 0;
        return ++p_, kTrailing;
    }

    static State Finish() { return kDone; }

  public:
    void Pack(PackedDecimalReal& out) const {
        if (special_ || count_ == 0) return;  // zero keeps exponent 0 and one digit
        int32 e = (exp_negative_ ? -exponent_ : exponent_) + point_pos_ - count_;
        e = e < -8191 ? -8191 : (e > 8191 ? 8191 : e);
        out.exponent = int16(e);
        out.count = int16(count_);
        for (int32 i = 0; i < count_; ++i) {
            const int32 pos = count_ - 1 - i;  // 0 = least significant
            out.digits[pos / 2] |= uChar(digits_[i] << (pos % 2 ? 4 : 0));
        }
    }

  private:
    const uChar* p_;
    const uChar* end_;
    uChar point_;
    uChar digits_[kMaxDigits] = {};
    int32 count_ = 0;
    int32 point_pos_ = 0;
    int32 exponent_ = 0;
    int32 exp_digits_ = 0;
    bool exp_negative_ = false;
    bool special_ = false;
    Bool32 ok_ = 1;
};

}  // namespace

namespace {

// Eight text bytes that are all digits, as eight BCD nibbles (the first byte the most significant).
[[gnu::always_inline]] inline bool EightDigits(const uChar* p, uInt32& nibbles) {
    uInt64 v;
    std::memcpy(&v, p, 8);
    constexpr uInt64 kHigh = 0xF0F0F0F0F0F0F0F0ull;
    if (((v & kHigh) | (((v + 0x0606060606060606ull) & kHigh) >> 4)) != 0x3333333333333333ull) return false;
    v = __builtin_bswap64(v - 0x3030303030303030ull);  // the last digit in the low byte
    v = (v | v >> 4) & 0x00FF00FF00FF00FFull;
    v = (v | v >> 8) & 0x0000FFFF0000FFFFull;
    nibbles = uInt32(v | v >> 16);
    return true;
}

// A run of decimal digits from p, appended four bits each to bcd (the packed record's own order); returns
// where the run ends.
[[gnu::always_inline]] inline const uChar* DigitRun(const uChar* p, const uChar* end,
                                                    unsigned __int128& bcd) {
    for (uInt32 eight; end - p >= 8 && EightDigits(p, eight); p += 8) bcd = bcd << 32 | eight;
    for (; p < end; ++p) {
        const uInt32 d = uInt32(*p) - '0';
        if (d > 9) break;
        bcd = bcd << 4 | d;
    }
    return p;
}

const uChar* ZeroRun(const uChar* p, const uChar* end) {
    while (p < end && *p == '0') ++p;
    return p;
}

// A point byte that is also a digit, sign or exponent letter changes how those read: the state machine's job.
bool PlainPoint(uChar point) {
    return !(uInt32(point) - '0' <= 9 || point == '+' || point == '-' || point == 'e' || point == 'E');
}

// The plain form [sign] digits [point digits] [e [sign] 1-4 digits] with at most 18 significant digits and
// nothing else, digits packed as they are read. Anything else is left to the state machine, which reads it
// the same way.
bool ScanPlainDecimal(const uChar* p, const uChar* end, uChar point, PackedDecimalReal& out) {
    std::memset(&out, 0, sizeof out);
    out.count = 1;
    if (*p == '-' || *p == '+') out.sign = *p++ == '-' ? 0x80 : 0;
    unsigned __int128 bcd = 0;
    const uChar* lead = p;
    const uChar* first = ZeroRun(p, end);  // leading zeros before the point count for nothing
    p = DigitRun(first, end, bcd);
    int32 count = int32(p - first), pointPos = count;
    bool any = p != lead;
    if (p < end && (*p == '.' || *p == point)) {
        const uChar* fraction = ++p;
        if (count == 0) {
            p = ZeroRun(p, end);
            pointPos = -int32(p - fraction);
        }
        const uChar* digits = p;
        p = DigitRun(p, end, bcd);
        count += int32(p - digits);
        any = any || p != fraction;
    }
    if (!any || count > 18) return false;
    int32 exponent = 0;
    if (p < end && (*p == 'e' || *p == 'E')) {
        bool negative = false;
        if (++p < end && (*p == '-' || *p == '+')) negative = *p++ == '-';
        const uChar* digits = p;
        for (; p < end && uInt32(*p) - '0' <= 9 && p - digits < 5; ++p) exponent = exponent * 10 + (*p - '0');
        if (p == digits || p - digits > 4) return false;
        if (negative) exponent = -exponent;
    }
    if (p != end) return false;
    if (count == 0) return true;  // zero: exponent 0, one digit
    const int32 e = exponent + pointPos - count;
    out.exponent = int16(e < -8191 ? -8191 : (e > 8191 ? 8191 : e));
    out.count = int16(count);
    const uInt64 low = uInt64(bcd);
    std::memcpy(out.digits, &low, 8);  // one store, read back as one load by the conversion
    out.digits[8] = uChar(bcd >> 64);
    return true;
}

}  // namespace

Bool32 StringToPacked(const uChar* text, int32 len, PackedDecimalReal* out, uChar decimalPoint) {
    if (!out) return 0;
    if (text && len > 0 && PlainPoint(decimalPoint) && ScanPlainDecimal(text, text + len, decimalPoint, *out))
        return 1;
    if (!text || len < 0) len = 0;
    static const uChar kEmpty = 0;
    PackedScanner scanner(text ? text : &kEmpty, len, decimalPoint);
    const Bool32 ok = scanner.Run(*out);
    scanner.Pack(*out);
    return ok;
}
