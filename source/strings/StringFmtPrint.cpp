// The formatting engine: format scanning, escapes, the decimal-point switch, positional arguments and every
// conversion, writing into a bounded destination or measuring.
#include <atomic>
#include <cmath>
#include <cstring>

#include "diagnostics/Report.h"
#include "strings/FormatArgs.h"
#include "strings/NumberRender.h"
#include "strings/PathTextHook.h"
#include "strings/ShortCopy.h"
#include "tqcore/core.h"
#include "tqcore/memory.h"
#include "tqcore/numerics.h"
#include "tqcore/strings.h"

#define TQ_UNIT "source\\StringFmtPrint"

namespace {

std::atomic<uChar> gDecimalPoint{'.'};
std::atomic<const tq::strings::PathTextHooks*> gPathHooks{nullptr};

constexpr uInt32 kUnlimited = 0xFFFFFFFFu;
constexpr int32 kMaxWidth = 4096;
constexpr int32 kPositions = 10;

using namespace tq::strings;

bool IsHexDigit(uChar c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}
int32 HexValue(uChar c) {
    return c <= '9' ? c - '0' : c - 'A' + 10;
}
bool IsDigit(uChar c) {
    return c >= '0' && c <= '9';
}

class Output {
  public:
    Output(uChar* dst, uInt32 limit) : dst_(dst), limit_(dst ? limit : kUnlimited) {}
    // False once a byte does not fit: the engine stops there.
    bool Put(uChar c) {
        if (silent_) return true;
        if (count_ >= limit_) return false;
        if (dst_) dst_[count_] = c;
        ++count_;
        return true;
    }
    bool Put(const uChar* p, int32 n) {
        if (silent_ || n <= 0) return true;
        const uInt32 room = limit_ - count_;
        const uInt32 take = uInt32(n) < room ? uInt32(n) : room;
        if (dst_) tq::strings::CopyBytes(dst_ + count_, p, int32(take));
        count_ += take;
        return take == uInt32(n);
    }
    bool Put(const char* s) { return Put(reinterpret_cast<const uChar*>(s), int32(std::strlen(s))); }
    uInt32 Count() const { return count_; }
    void Rewind() { count_ = 0; }
    void SetSilent(bool s) { silent_ = s; }

  private:
    uChar* dst_;
    uInt32 limit_;
    uInt32 count_ = 0;
    bool silent_ = false;
};

struct Directive {
    int32 position = 0;
    bool left = false;
    int32 width = 0;
    bool widthGiven = false;
    uChar pad = ' ';
    int32 precision = -1;
    int32 typeCode = -1;  // -1: no type selector
    bool typeFromArgument = false;
    enum Size { kDefault, kLong, kLongLong, kI64 } size = kDefault;
    uChar conv = 0;
};

// The caller's variable argument list; positional values are read once, in position order, into slots.
class VaListSource final : public ArgSource {
  public:
    explicit VaListSource(va_list args) { va_copy(args_, args); }
    ~VaListSource() override { va_end(args_); }
    int32 Int32(int32 pos) override { return pos ? int32(bits_[pos - 1]) : va_arg(args_, int); }
    int64 Int64(int32 pos) override { return pos ? int64(bits_[pos - 1]) : int64(va_arg(args_, long long)); }
    double Double(int32 pos) override {
        if (!pos) return va_arg(args_, double);
        double d;
        std::memcpy(&d, &bits_[pos - 1], 8);
        return d;
    }
    const void* Pointer(int32 pos, PointerKind, int32) override {
        return pos ? reinterpret_cast<const void*>(uintptr_t(bits_[pos - 1])) : va_arg(args_, const void*);
    }
    void LoadPositions(const int32* tags, int32 count) override {
        for (int32 i = 0; i < count; ++i) {
            switch (tags[i]) {
                case kTag64:
                    bits_[i] = uInt64(va_arg(args_, long long));
                    break;
                case kTagDouble: {
                    const double d = va_arg(args_, double);
                    std::memcpy(&bits_[i], &d, 8);
                    break;
                }
                case kTagPtr:
                    bits_[i] = uInt64(reinterpret_cast<uintptr_t>(va_arg(args_, void*)));
                    break;
                default:
                    bits_[i] = uInt32(va_arg(args_, int));
                    break;  // 32-bit slots
            }
        }
    }

  private:
    va_list args_;
    uInt64 bits_[kPositions] = {};
};

enum class Mode { kNormal, kRecording, kReplay };

// Source is the argument source's own type where it is known, so that fetching a value is no virtual call.
template <class Source>
class Engine {
  public:
    Engine(uChar* dst, uInt32 limit, const uChar* format, int32 len, Source& args)
        : out_(dst, limit), begin_(format), end_(format + (len > 0 ? len : 0)), args_(args) {}

    int32 Run() {
        Pass(Mode::kNormal);
        if (!needPositional_) return int32(out_.Count());
        out_.SetSilent(true);
        for (int32& t : tags_) t = kTagNone;
        const bool recorded = Pass(Mode::kRecording);
        out_.SetSilent(false);
        if (!recorded) return int32(out_.Count());
        if (!ReadPositionalArguments()) return 0;
        out_.Rewind();
        Pass(Mode::kReplay);
        return int32(out_.Count());
    }

  private:
    // Walks the whole format; false when it stopped on an error.
    bool Pass(Mode mode) {
        mode_ = mode;
        point_ = gDecimalPoint.load(std::memory_order_relaxed);
        p_ = begin_;
        while (p_ < end_) {
            const uChar c = *p_;
            bool ok;
            if (c == '%')
                ok = Percent();
            else if (c == '\\')
                ok = Escape();
            else
                ok = Literal();
            if (!ok) return false;
            if (needPositional_ && mode_ == Mode::kNormal) return true;
        }
        return true;
    }

    // ASCII bytes are never lead bytes, so a run of them up to the next '%' or '\\' is copied at once.
    bool Literal() {
        const uChar* run = p_;
        while (run < end_ && *run < 0x80 && *run != '%' && *run != '\\') ++run;
        if (run > p_) {
            const bool ok = out_.Put(p_, int32(run - p_));
            p_ = run;
            return ok;
        }
        int32 w = 1;
        if (p_ + 1 < end_) w = StrNextChar(reinterpret_cast<ConstCStr>(p_), 0);
        if (w < 1 || p_ + w > end_) w = 1;
        const bool ok = out_.Put(p_, w);
        p_ += w;
        return ok;
    }

    bool Escape() {
        const uChar v = ScanForBackslash(&p_, end_);
        if (v == 10 && !out_.Put(13)) return false;
        return out_.Put(v);
    }

    bool Unknown() {
        TQ_REPORT(kDbgFatal, "Unknown Conversion");
        return false;
    }

    bool Percent() {
        ++p_;
        if (p_ >= end_) return out_.Put('%');
        if (*p_ == '%') return ++p_, out_.Put('%');
        uChar point;
        // A decimal-point directive has ';' first or second (after a punctuation byte or an escape).
        const bool maybePoint = *p_ == ';' || *p_ == '\\' || (p_ + 1 < end_ && p_[1] == ';');
        if (maybePoint && ScanForFormatDecPoint(&p_, end_, &point)) {
            point_ = point;
            return true;
        }
        Directive s;
        if (!ParseDirective(s)) return Unknown();
        if (s.position) return Positional(s);
        if (mode_ != Mode::kNormal) {
            TQ_REPORT(kDbgNote, "Can't mix ANSI and %n$ specifiers");
            return Unknown();
        }
        if (s.typeFromArgument) s.typeCode = int32(NextInt32() & 0xFFFF);
        return Convert(s);
    }

    bool Positional(const Directive& s) {
        if (s.typeFromArgument) return Unknown();
        if (mode_ == Mode::kNormal) {
            if (sawPlain_) {
                TQ_REPORT(kDbgNote, "Can't mix ANSI and %n$ specifiers");
                return Unknown();
            }
            needPositional_ = true;
            return true;
        }
        if (mode_ == Mode::kReplay) {
            current_ = s.position;
            return Convert(s);
        }
        const int32 tag = TagOf(s);
        int32& slot = tags_[s.position - 1];
        if (slot != kTagNone && slot != tag) {
            TQ_REPORT(kDbgNote, "Parameter ", s.position, " type info [", tag, "] redefined (was [", slot,
                      "])");
            return Unknown();
        }
        slot = tag;
        return true;
    }

    static int32 TagOf(const Directive& s) {
        switch (s.conv) {
            case 'd':
            case 'i':
            case 'u':
            case 'x':
            case 'o':
            case 'b':
                if (s.typeCode >= 0) return kTagPtr;
                return s.size == Directive::kLongLong || s.size == Directive::kI64 ? kTag64 : kTag32;
            case 'a':
                return kTag64;
            case 'e':
            case 'E':
            case 'g':
            case 'G':
            case 'f':
            case 'F':
                return s.typeCode >= 0 ? kTagPtr : kTagDouble;
            case 'c':
                return s.width == 4 ? kTag32 : kTagChar;
            case 'Q':
            case 'q':
                return kTagPoint;
            default:
                return kTagPtr;
        }
    }

    bool ReadPositionalArguments() {
        int32 last = 0;
        for (int32 i = 0; i < kPositions; ++i)
            if (tags_[i] != kTagNone) last = i + 1;
        for (int32 i = 0; i < last; ++i) {
            switch (tags_[i]) {
                case kTagNone:
                    TQ_REPORT(kDbgNote, "Not all parameters between 1 and ", last, " specified");
                    return false;
                case kTag32:
                case kTag32Alt:
                case kTagChar:
                case kTagPoint:
                case kTag64:
                case kTagDouble:
                case kTagPtr:
                    break;
                default:
                    TQ_REPORT(kDbgFatal, "Bogus typeInfo");
                    return false;
            }
        }
        args_.LoadPositions(tags_, last);
        return true;
    }

    // ----- argument access: in order, or the recorded value of the current position -----
    int32 Position() const { return mode_ == Mode::kReplay ? current_ : 0; }
    int32 NextInt32() { return args_.Int32(Position()); }
    int64 NextInt64() { return args_.Int64(Position()); }
    double NextDouble() { return args_.Double(Position()); }
    const void* NextPointer(PointerKind kind, int32 typeCode = 0) {
        return args_.Pointer(Position(), kind, typeCode);
    }

    // ----- conversion syntax -----
    bool ReadNumber(int32& v) {
        if (p_ >= end_ || !IsDigit(*p_)) return false;
        int64 n = 0;
        while (p_ < end_ && IsDigit(*p_)) {
            if (n < 100000) n = n * 10 + (*p_ - '0');
            ++p_;
        }
        v = int32(n);
        return true;
    }

    bool ParseDirective(Directive& s) {
        const uChar* start = p_;
        int32 n;
        if (ReadNumber(n) && p_ < end_ && *p_ == '$') {
            if (n < 1 || n > kPositions) return false;
            s.position = n;
            ++p_;
        } else {
            p_ = start;
        }
        if (p_ < end_ && *p_ == '-') s.left = true, ++p_;
        if (p_ < end_ && IsDigit(*p_)) {
            if (*p_ == '0') s.pad = '0';
            ReadNumber(s.width);
            s.width = s.width > kMaxWidth ? kMaxWidth : s.width;
            s.widthGiven = true;
        }
        if (p_ < end_ && *p_ == '.') {
            ++p_;
            s.precision = 0;
            ReadNumber(s.precision);
        }
        if (!ParseSize(s) || p_ >= end_) return false;
        s.conv = *p_++;
        if (!s.position) sawPlain_ = true;
        return true;
    }

    bool ParseSize(Directive& s) {
        if (p_ >= end_) return false;
        if (*p_ == '{') return ParseTypeSelector(s);
        if (*p_ == 'I') return ++p_, s.size = Directive::kI64, true;
        if (*p_ == 'l') {
            ++p_;
            s.size = Directive::kLong;
            if (p_ < end_ && *p_ == 'l') ++p_, s.size = Directive::kLongLong;
        }
        return true;
    }

    bool ParseTypeSelector(Directive& s) {
        ++p_;
        if (p_ >= end_) return false;
        if (*p_ == '*') {
            ++p_;
            s.typeFromArgument = true;
            s.typeCode = 0;
        } else {
            if (end_ - p_ < 2) return false;
            s.typeCode = TypeCodeOf(p_[0], p_[1]);
            p_ += 2;
        }
        if (p_ < end_ && *p_ == '}') ++p_;
        return true;
    }

    static int32 TypeCodeOf(uChar kind, uChar size) {
        static const char kInt[] = "BWLQ", kReal[] = "SDX";
        const char* found;
        switch (kind) {
            case 'i':
                found = std::strchr(kInt, size);
                return size && found ? kNumI8 + int32(found - kInt) : 0;
            case 'u':
                found = std::strchr(kInt, size);
                return size && found ? kNumU8 + int32(found - kInt) : 0;
            case 'f':
                found = std::strchr(kReal, size);
                return size && found ? kNumSgl + int32(found - kReal) : 0;
            case 'c':
                found = std::strchr(kReal, size);
                return size && found ? kNumCSgl + int32(found - kReal) : 0;
            default:
                return 0;
        }
    }

    // ----- conversions -----
    bool Convert(const Directive& s) {
        switch (s.conv) {
            case 'd':
            case 'i':
                return Integer(s, kFmtSignedDecimal);
            case 'u':
                return Integer(s, kFmtUnsignedDecimal);
            case 'x':
                return Integer(s, kFmtHexadecimal);
            case 'o':
                return Integer(s, kFmtOctal);
            case 'b':
                return Integer(s, kFmtBinary);
            case 'a':
                return Address();
            case 'e':
            case 'E':
            case 'g':
            case 'G':
            case 'f':
            case 'F':
                return Real(s);
            case 'c':
                return Character(s);
            case 's':
                return CString(s);
            case 'p':
                return PascalOrLong(s);
            case 'P':
                return LongString(s, static_cast<const LStr*>(NextPointer(PointerKind::kLong)));
            case 'H':
                return LongHandle(s);
            case 'h':
                return SubString(s);
            case 'z':
                return PathText();
            case 'R':
            case 'r':
                return Rectangle(s.conv == 'R');
            case 'Q':
            case 'q':
                return Point(s.conv == 'Q');
            default:
                return Unknown();
        }
    }

    bool Integer(const Directive& s, int16 code) {
        if (s.typeCode < 0) {  // plain 32- or 64-bit argument: straight to the integer text
            const bool is64 = s.size == Directive::kLongLong || s.size == Directive::kI64;
            const int64 v = is64 ? NextInt64() : int64(NextInt32());
            char text[72];
            char* const end = text + sizeof text;
            const char* start = tq::strings::IntegerCodeDigits(v, is64, code, end);
            return NumberField(s, reinterpret_cast<const uChar*>(start), int32(end - start));
        }
        return Number(s, NextPointer(PointerKind::kTyped, s.typeCode), s.typeCode, code);
    }

    bool Number(const Directive& s, const void* value, int32 type, int16 code) {
        uChar text[256];
        const int32 len = NumToAnyString(value, type, &code, text, sizeof text, point_, nullptr);
        return NumberField(s, text, len);
    }

    bool NumberField(const Directive& s, const uChar* text, int32 len) {
        const int32 fill = s.width > len ? s.width - len : 0;
        if (s.left) return out_.Put(text, len) && Repeat(' ', fill);
        if (s.pad == '0' && len > 0 && text[0] == '-')
            return out_.Put('-') && Repeat('0', fill) && out_.Put(text + 1, len - 1);
        return Repeat(s.pad, fill) && out_.Put(text, len);
    }

    bool Repeat(uChar c, int32 n) {
        for (int32 i = 0; i < n; ++i)
            if (!out_.Put(c)) return false;
        return true;
    }

    bool Address() {
        const uInt64 v = uInt64(NextInt64());
        char text[19] = "0x";
        for (int32 i = 0; i < 16; ++i) text[2 + i] = "0123456789ABCDEF"[(v >> (60 - 4 * i)) & 0xF];
        text[18] = 0;
        return out_.Put(text);
    }

    bool Real(const Directive& s) {
        double d;
        const void* value;
        int32 type;
        if (s.typeCode >= 0) {
            value = NextPointer(PointerKind::kTyped, s.typeCode);
            type = s.typeCode;
        } else {
            d = NextDouble();
            value = &d, type = kNumDbl;
        }
        const bool fixed = s.conv == 'f' || s.conv == 'F';
        if (fixed && value && FixedFits(value, type, s)) {
            const int16 code = int16(s.precision < 0 ? -6 : (s.precision >= 64 ? -63 : -s.precision));
            return Number(s, value, type, code);
        }
        int32 code = s.precision >= 0 ? s.precision + 1 : (s.width < 7 ? 7 : s.width - 5);
        return Number(s, value, type, int16(code > 17 ? 17 : code));
    }

    // Whether |trunc(log10 |x|)| (plus one for a minus sign) stays within limit, by comparing with powers of
    // ten.
    static bool WithinDigits(long double x, bool extended, int32 limit) {
        if (std::isnan(x)) return 3 <= limit;
        if (std::isinf(x)) return !extended && 3 <= limit;
        if (x == 0) return 1 + (std::signbit(x) ? 1 : 0) <= limit;
        const int32 room = limit - (x < 0 ? 1 : 0);
        if (room < 0) return false;
        const long double bound = PowerOfTen(room + 1), a = std::fabs(x);
        return a < bound && a * bound > 1;
    }

    static long double PowerOfTen(int32 k) {
        static const long double kSmall[] = {1e0L,  1e1L,  1e2L,  1e3L,  1e4L,  1e5L,  1e6L,  1e7L,
                                             1e8L,  1e9L,  1e10L, 1e11L, 1e12L, 1e13L, 1e14L, 1e15L,
                                             1e16L, 1e17L, 1e18L, 1e19L, 1e20L, 1e21L, 1e22L, 1e23L};
        return k < 24 ? kSmall[k] : std::pow(10.0L, (long double)(k));
    }

    static long double PartValue(const void* p, int32 type) {
        long double x = 0;
        ConvertNum(type, p, kNumExt, &x);
        return x;
    }

    static bool FixedFits(const void* value, int32 type, const Directive& s) {
        const int32 limit = s.widthGiven && s.width > 0 ? s.width - 1 : 18;
        type &= 0xF;
        const int32 cls = NumClass(type);
        if (cls == kNumClassNone) return true;
        if (type == kNumDbl && limit >= 18) {
            // Between 10^-17 and 10^17 a double leaves the 17 digits plus sign this limit allows: the
            // extended-precision test below would say so too.
            const double a = std::fabs(*static_cast<const double*>(value));
            if (a >= 1e-17 && a < 1e17) return true;
        }
        if (cls != kNumClassComplex)
            return WithinDigits(type == kNumDbl ? *static_cast<const double*>(value) : PartValue(value, type),
                                type == kNumExt, limit);
        // Complex: both parts and " +" " i" between and after them share the limit.
        const int32 part = type - (kNumCSgl - kNumSgl), size = NumSize(part);
        const uChar* p = static_cast<const uChar*>(value);
        for (int32 used = 0; used <= limit; ++used)
            if (WithinDigits(PartValue(p, part), part == kNumExt, used) &&
                WithinDigits(PartValue(p + size, part), part == kNumExt, limit - 4 - used))
                return true;
        return false;
    }

    // Text fields: a precision of 1 or more caps every byte the field writes, padding included.
    bool TextField(const Directive& s, const uChar* text, int32 len) {
        int32 budget = s.precision >= 1 ? s.precision : 1 << 30;
        const int32 fill = s.width > len ? s.width - len : 0;
        // The part of the next n bytes the budget still allows.
        auto take = [&budget](int32 n) {
            const int32 t = n < budget ? n : budget;
            budget -= t;
            return t;
        };
        if (!s.left && !Repeat(' ', take(fill))) return false;
        if (!out_.Put(text, take(len))) return false;
        return !s.left || Repeat(' ', take(fill));
    }

    bool Character(const Directive& s) {
        const uInt32 v = uInt32(NextInt32());
        const uChar bytes[4] = {uChar(v), uChar(v >> 8), uChar(v >> 16), uChar(v >> 24)};
        if (s.width == 2 || s.width == 4) return TextField(s, bytes, s.width);
        return out_.Put(bytes[0]);
    }

    bool CString(const Directive& s) {
        const uChar* text = static_cast<const uChar*>(NextPointer(PointerKind::kCString));
        if (!text) return true;
        int32 len = 0;
        const int32 cut = s.precision >= 1 ? s.precision : 1 << 30;
        while (len < cut && text[len]) ++len;
        return TextField(s, text, len);
    }

    bool PascalOrLong(const Directive& s) {
        const void* p = NextPointer(s.size == Directive::kLong ? PointerKind::kLong : PointerKind::kPascal);
        if (s.size == Directive::kLong) return LongString(s, static_cast<const LStr*>(p));
        const uChar* ps = static_cast<const uChar*>(p);
        return ps ? TextField(s, ps + 1, ps[0]) : true;
    }

    bool LongString(const Directive& s, const LStr* ls) {
        return ls && ls->cnt > 0 ? TextField(s, ls->str, ls->cnt) : true;
    }

    bool LongHandle(const Directive& s) {
        const LStrHandle h =
            static_cast<LStrHandle>(const_cast<void*>(NextPointer(PointerKind::kLongHandle)));
        return h && *h ? LongString(s, *h) : true;
    }

    bool SubString(const Directive& s) {
        struct View {
            const uChar* data;
            int32 length;
        };
        const View* v = static_cast<const View*>(NextPointer(PointerKind::kSubString));
        return v && v->data && v->length > 0 ? TextField(s, v->data, v->length) : true;
    }

    bool PathText() {
        const void* path = NextPointer(PointerKind::kPath);
        if (!path) return out_.Put("NULL");
        const tq::strings::PathTextHooks* hooks = gPathHooks.load();
        if (!hooks || !hooks->text) return true;
        constexpr int32 kTooLong = 253;
        uChar text[kTooLong];
        const int32 len = hooks->text(path, text, kTooLong);
        if (len < kTooLong) return out_.Put(text, len > 0 ? len : 0);
        const ConstPStr alt = hooks->tooLong ? hooks->tooLong() : nullptr;
        return alt ? out_.Put(alt + 1, alt[0]) : true;
    }

    bool Decimal16(int16 v) {
        char text[32];  // six characters at most; the room keeps GCC's bounds analysis of CopyBytes quiet
        int32 n = 0;
        int32 x = v;
        if (x < 0) text[n++] = '-', x = -x;
        char tmp[6];
        int32 k = 0;
        do tmp[k++] = char('0' + x % 10), x /= 10;
        while (x);
        while (k) text[n++] = tmp[--k];
        return out_.Put(reinterpret_cast<const uChar*>(text), n);
    }

    bool Rectangle(bool named) {
        const int16* r = static_cast<const int16*>(NextPointer(PointerKind::kRect));
        if (!r) return true;
        if (named && !out_.Put("tlbr")) return false;
        return out_.Put('(') && Decimal16(r[0]) && out_.Put(", ") && Decimal16(r[1]) && out_.Put(", ") &&
               Decimal16(r[2]) && out_.Put(", ") && Decimal16(r[3]) && out_.Put(')');
    }

    bool Point(bool named) {
        const uInt32 v = uInt32(NextInt32());
        if (named && !out_.Put("hv")) return false;
        return out_.Put('(') && Decimal16(int16(v >> 16)) && out_.Put(',') && Decimal16(int16(v & 0xFFFF)) &&
               out_.Put(')');
    }

    Output out_;
    const uChar* begin_;
    const uChar* end_;
    const uChar* p_ = nullptr;
    Source& args_;
    Mode mode_ = Mode::kNormal;
    uChar point_ = '.';
    bool needPositional_ = false;
    bool sawPlain_ = false;
    int32 current_ = 0;
    int32 tags_[kPositions] = {};
};

// A format that is one lone %d, %i, %x or %.Nf (N a single digit) costs a fraction of the general walk here.
// The text is what Engine writes for it.
int32 QuickInteger(uChar* dst, uInt32 limit, uChar conv, int32 v) {
    char text[16];
    char* const end = text + sizeof text;
    const int16 code = conv == 'x' ? kFmtHexadecimal : kFmtSignedDecimal;
    const char* start = tq::strings::IntegerCodeDigits(v, false, code, end);
    Output out(dst, limit);
    out.Put(reinterpret_cast<const uChar*>(start), int32(end - start));
    return int32(out.Count());
}

// -1 for a value the general path treats specially: outside this range not every fixed form fits.
[[gnu::noinline]] int32 QuickFixed(uChar* dst, uInt32 limit, int32 precision, va_list args) {
    va_list peek;
    va_copy(peek, args);
    double d = va_arg(peek, double);
    va_end(peek);
    const double a = std::fabs(d);
    if (!(a >= 1e-17 && a < 1e17)) return -1;
    const uChar point = gDecimalPoint.load(std::memory_order_relaxed);
    Output out(dst, limit);
    char digits[tq::strings::kFixedTextRoom];
    const char* start;
    const int32 n = tq::strings::FixedCodeText(d, precision, point, digits, &start);
    if (n >= 0) {
        out.Put(reinterpret_cast<const uChar*>(start), n);
    } else {
        int16 code = int16(-precision);
        uChar text[256];
        out.Put(text, NumToAnyString(&d, kNumDbl, &code, text, sizeof text, point, nullptr));
    }
    return int32(out.Count());
}

// -1 when the format is not one of those.
int32 QuickFormat(uChar* dst, uInt32 limit, const uChar* f, int32 len, va_list args) {
    if (len == 2 && f[0] == '%' && (f[1] == 'd' || f[1] == 'i' || f[1] == 'x'))
        return QuickInteger(dst, limit, f[1], va_arg(args, int));
    if (len == 4 && f[0] == '%' && f[1] == '.' && IsDigit(f[2]) && f[3] == 'f')
        return QuickFixed(dst, limit, f[2] - '0', args);
    return -1;
}

[[gnu::noinline]] int32 FormatGeneral(uChar* dst, uInt32 limit, const uChar* format, int32 len,
                                      va_list args) {
    VaListSource source(args);
    Engine<VaListSource> e(dst, limit, format, len, source);
    return e.Run();
}

int32 FormatInto(uChar* dst, uInt32 limit, const uChar* format, int32 len, va_list args) {
    const int32 quick = QuickFormat(dst, limit, format, len, args);
    return quick >= 0 ? quick : FormatGeneral(dst, limit, format, len, args);
}

int32 CLength(const char* s) {
    return s ? int32(std::strlen(s)) : 0;
}

}  // namespace

namespace tq::strings {
int32 Format(uChar* dst, uInt32 limit, const uChar* format, int32 len, ArgSource& args) {
    Engine<ArgSource> e(dst, limit, format, len, args);
    return e.Run();
}

void SetPathTextHooks(const PathTextHooks* hooks) {
    gPathHooks.store(hooks);
}
const PathTextHooks* GetPathTextHooks() {
    return gPathHooks.load();
}
}  // namespace tq::strings

uChar StrGetDecimalPoint(void) {
    return gDecimalPoint.load(std::memory_order_relaxed);
}

void StrSetDecimalPoint(uChar point) {
    gDecimalPoint.store(point, std::memory_order_relaxed);
}

uChar ScanForBackslash(const uChar** pos, const uChar* end) {
    if (!pos || !*pos) return 0;
    const uChar* p = *pos + 1;  // past the backslash
    if (p >= end) {
        *pos = p;
        return '\\';
    }
    const uChar c = *p++;
    uChar v;
    switch (c) {
        case 'b':
            v = 8;
            break;
        case 'f':
            v = 12;
            break;
        case 'n':
            v = 10;
            break;
        case 'r':
            v = 13;
            break;
        case 's':
            v = 32;
            break;
        case 't':
            v = 9;
            break;
        default:
            if (IsHexDigit(c)) {
                v = uChar(HexValue(c));
                if (p < end && IsHexDigit(*p)) v = uChar(v * 16 + HexValue(*p++));
            } else {
                v = c;
            }
    }
    *pos = p;
    return v;
}

Bool32 ScanForFormatDecPoint(const uChar** pos, const uChar* end, uChar* point) {
    if (!pos || !*pos || *pos >= end) return 0;
    const uChar* p = *pos;
    if (*p == ';') {
        if (point) *point = StrGetDecimalPoint();
        *pos = p + 1;
        return 1;
    }
    if (*p == '[' || *p == '%') return 0;
    const uChar* q = p;
    const uChar c = *q == '\\' ? ScanForBackslash(&q, end) : *q++;
    if (q >= end || *q != ';' || !IsPunct(c)) return 0;
    if (point) *point = c;
    *pos = q + 1;
    return 1;
}

int32 SPrintfv(uChar* dst, uInt32 limit, const uChar* format, int32 formatLen, va_list args) {
    if (!format) return 0;
    return FormatInto(dst, limit, format, formatLen, args);
}

int32 SPrintf(uChar* dst, const char* format, ...) {
    va_list args;
    va_start(args, format);
    const int32 n =
        FormatInto(dst, kUnlimited, reinterpret_cast<const uChar*>(format), CLength(format), args);
    va_end(args);
    if (dst) dst[n] = 0;
    return n;
}

int32 SPrintfp(uChar* dst, ConstPStr format, ...) {
    va_list args;
    va_start(args, format);
    const int32 n = format ? FormatInto(dst, kUnlimited, format + 1, format[0], args) : 0;
    va_end(args);
    if (dst) dst[n] = 0;
    return n;
}

int32 SNPrintf(uChar* dst, uInt32 size, const char* format, ...) {
    va_list args;
    va_start(args, format);
    const int32 n = FormatInto(dst, size, reinterpret_cast<const uChar*>(format), CLength(format), args);
    va_end(args);
    if (dst && size > 0) dst[uInt32(n) < size - 1 ? uInt32(n) : size - 1] = 0;
    return n;
}

namespace {
int32 PascalFormat(PStr dst, const uChar* format, int32 len, va_list args) {
    const int32 n = FormatInto(dst ? dst + 1 : nullptr, 255, format, len, args);
    if (dst) dst[0] = uChar(n > 255 ? 255 : n);
    return n;
}
}  // namespace

int32 PPrintf(PStr dst, const char* format, ...) {
    va_list args;
    va_start(args, format);
    const int32 n = PascalFormat(dst, reinterpret_cast<const uChar*>(format), CLength(format), args);
    va_end(args);
    return n;
}

int32 PPrintfp(PStr dst, ConstPStr format, ...) {
    va_list args;
    va_start(args, format);
    const int32 n = format ? PascalFormat(dst, format + 1, format[0], args) : 0;
    va_end(args);
    return n;
}

TqErr LStrPrintf(LStrHandle h, const char* format, ...) {
    if (!h) return kErrArgument;
    const uChar* f = reinterpret_cast<const uChar*>(format);
    const int32 flen = CLength(format);
    va_list args, again;
    va_start(args, format);
    va_copy(again, args);
    const int32 n = FormatInto(nullptr, kUnlimited, f, flen, args);
    TqErr err = DSSetHandleSize(reinterpret_cast<UHandle>(h), uInt64(4) + uInt64(n));
    if (err == kErrNone) {
        const int32 written = FormatInto((*h)->str, uInt32(n), f, flen, again);
        if (written != n) TQ_REPORT(kDbgBroken, "LStrPrintf: second pass gave ", written, " bytes, not ", n);
        (*h)->cnt = n;
    }
    va_end(again);
    va_end(args);
    return err;
}
