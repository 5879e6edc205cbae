// Printf-style formatting into a debug stream, with its checks of conversion specifiers.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "tqcore/diagnostics.h"

namespace {

constexpr const char* kBadFormat = "__DbgFmtType: Bad Format__";

enum class ConversionKind { Integer, Character, Real, Pointer, Text };

// One conversion of a printf format, as written by the caller.
struct Conversion {
    size_t begin = 0, end = 0;  // the whole conversion text, '%' included
    std::string flagsWidthPrecision;
    int32 integerBits = 32;  // from the length modifier; Windows' long is 32 bits
    char letter = 0;
    ConversionKind kind = ConversionKind::Integer;
};

bool KindOfLetter(char c, ConversionKind* kind) {
    if (std::strchr("diouxX", c))
        *kind = ConversionKind::Integer;
    else if (c == 'c')
        *kind = ConversionKind::Character;
    else if (std::strchr("eEfFgGaA", c))
        *kind = ConversionKind::Real;
    else if (c == 'p')
        *kind = ConversionKind::Pointer;
    else if (c == 's')
        *kind = ConversionKind::Text;
    else
        return false;
    return true;
}

// Length modifiers of both C and the Windows runtime ("I64", "I32", "I").
size_t LengthModifier(const char* p, int32* bits) {
    struct Modifier {
        const char* text;
        int32 bits;
    };
    static constexpr Modifier kModifiers[] = {{"I64", 64}, {"I32", 32}, {"hh", 8}, {"ll", 64},
                                              {"h", 16},   {"l", 32},   {"L", 64}, {"q", 64},
                                              {"j", 64},   {"z", 64},   {"t", 64}, {"I", 64}};
    for (const Modifier& m : kModifiers) {
        const size_t n = std::strlen(m.text);
        if (std::strncmp(p, m.text, n) == 0) {
            *bits = m.bits;
            return n;
        }
    }
    return 0;
}

// Parses the conversion starting at format[at] == '%' (not "%%"). False for anything malformed,
// including '*' widths, which would need a second argument.
bool ParseConversion(const char* format, size_t at, Conversion* out) {
    size_t i = at + 1;
    const size_t flagsBegin = i;
    while (format[i] && std::strchr("-+ #0", format[i])) ++i;
    while (format[i] >= '0' && format[i] <= '9') ++i;
    if (format[i] == '.') {
        ++i;
        while (format[i] >= '0' && format[i] <= '9') ++i;
    }
    if (format[i] == '*') return false;
    out->flagsWidthPrecision.assign(format + flagsBegin, i - flagsBegin);
    out->integerBits = 32;
    i += LengthModifier(format + i, &out->integerBits);
    out->letter = format[i];
    if (!out->letter || !KindOfLetter(out->letter, &out->kind)) return false;
    out->begin = at;
    out->end = i + 1;
    return true;
}

// The number of conversions in the format, the first stored in `first`; -1 when one is malformed.
int32 CountConversions(const char* format, Conversion* first) {
    int32 count = 0;
    for (size_t i = 0; format[i]; ++i) {
        if (format[i] != '%') continue;
        if (format[i + 1] == '%') {
            ++i;
            continue;
        }
        Conversion c;
        if (!ParseConversion(format, i, &c)) return -1;
        if (count++ == 0) *first = c;
        i = c.end - 1;
    }
    return count;
}

// The value handed to a conversion, before it is fitted to the conversion's kind.
struct Argument {
    enum { Signed, Unsigned, Real, Address, Text } type;
    int64 i = 0;
    uInt64 u = 0;
    double d = 0;
    const void* p = nullptr;
    const char* s = nullptr;
};

uInt64 IntegerBitsOf(const Argument& a) {
    switch (a.type) {
        case Argument::Signed:
            return uInt64(a.i);
        case Argument::Unsigned:
            return a.u;
        default:
            return uInt64(reinterpret_cast<uintptr_t>(a.p));
    }
}

// An integer conversion reads only as many bits as its length modifier says, as the C runtime does.
bool FormatInteger(const Conversion& c, const Argument& a, std::string& directive, long long* si,
                   unsigned long long* ui) {
    if (a.type == Argument::Real || a.type == Argument::Text) return false;
    const uInt64 raw = IntegerBitsOf(a);
    const int32 bits = c.integerBits;
    const uInt64 mask = bits == 64 ? ~uInt64(0) : (uInt64(1) << bits) - 1;
    *ui = raw & mask;
    const uInt64 sign = uInt64(1) << (bits - 1);
    *si = static_cast<long long>((*ui ^ sign) - sign);
    directive += "ll";
    return true;
}

// Renders the whole format with the one conversion fitted to the argument; false when they do not match.
bool Render(const char* format, const Conversion& c, const Argument& a, char* out, size_t size) {
    std::string directive = "%" + c.flagsWidthPrecision;
    long long si = 0;
    unsigned long long ui = 0;
    const std::string before(format, c.begin);
    const char* after = format + c.end;
    auto print = [&](auto value) {
        const std::string whole = before + directive + after;
        std::snprintf(out, size, whole.c_str(), value);
    };
    switch (c.kind) {
        case ConversionKind::Integer:
            if (!FormatInteger(c, a, directive, &si, &ui)) return false;
            directive += c.letter;
            if (c.letter == 'd' || c.letter == 'i')
                print(si);
            else
                print(ui);
            return true;
        case ConversionKind::Character:
            if (a.type == Argument::Real || a.type == Argument::Text) return false;
            directive += 'c';
            print(int(uInt8(IntegerBitsOf(a))));
            return true;
        case ConversionKind::Real:
            if (a.type != Argument::Real) return false;
            directive += c.letter;
            print(a.d);
            return true;
        case ConversionKind::Pointer:
            // Win64's rendering of "%p": 16 upper-case hex digits, the same on every OS.
            if (a.type == Argument::Real || a.type == Argument::Text) return false;
            directive = "%016llX";
            print(static_cast<unsigned long long>(IntegerBitsOf(a)));
            return true;
        case ConversionKind::Text:
            if (a.type != Argument::Text) return false;
            directive += 's';
            print(a.s ? a.s : "");
            return true;
    }
    return false;
}

void AppendFormatted(DebugStream& s, const char* format, const Argument& a) {
    Conversion c;
    char text[DebugStream::kBufferSize];
    text[0] = 0;
    if (!format || CountConversions(format, &c) != 1 || !Render(format, c, a, text, sizeof text)) {
        s.Append(kBadFormat);
        return;
    }
    s.Append(text);
}

}  // namespace

int32 VerifySingleFormatSpecifier(const char* format) {
    Conversion c;
    return format && CountConversions(format, &c) == 1 ? 1 : 0;
}

void DbgFmtAppend(DebugStream& s, const char* format, int64 value) {
    Argument a{Argument::Signed};
    a.i = value;
    AppendFormatted(s, format, a);
}

void DbgFmtAppend(DebugStream& s, const char* format, uInt64 value) {
    Argument a{Argument::Unsigned};
    a.u = value;
    AppendFormatted(s, format, a);
}

void DbgFmtAppend(DebugStream& s, const char* format, double value) {
    Argument a{Argument::Real};
    a.d = value;
    AppendFormatted(s, format, a);
}

void DbgFmtAppend(DebugStream& s, const char* format, const void* value) {
    Argument a{Argument::Address};
    a.p = value;
    AppendFormatted(s, format, a);
}

void DbgFmtAppend(DebugStream& s, const char* format, const char* value) {
    Argument a{Argument::Text};
    a.s = value;
    AppendFormatted(s, format, a);
}

void DbgFmtCStr::ToDebugStream(DebugStream& s) const {
    s.Append(text_);
}

void DbgFmtPStr::ToDebugStream(DebugStream& s) const {
    if (!text_ || text_[0] == 0) return;
    const char* bytes = reinterpret_cast<const char*>(text_ + 1);
    s.Append(bytes, bytes + text_[0]);
}

void DbgFmtPtr::ToDebugStream(DebugStream& s) const {
    DbgFmtAppend(s, format_, p_);
}

void DbgFmtQuadChar::ToDebugStream(DebugStream& s) const {
    char bytes[4];
    std::memcpy(bytes, &code_, sizeof bytes);
    for (char& b : bytes)
        if (uInt8(b) < 0x20 || uInt8(b) == 0x7F) b = ' ';
    s.Append(bytes, bytes + 4);
}

void ToDebugStream(DebugStream& s, const DbgFmtToDebugStream& v) {
    v.ToDebugStream(s);
}

void ToDebugStream(DebugStream& s, const char* text) {
    s.Append(text);
}
void ToDebugStream(DebugStream& s, uInt8 v) {
    DbgFmtAppend(s, "%u", uInt64(v));
}
void ToDebugStream(DebugStream& s, uInt16 v) {
    DbgFmtAppend(s, "%u", uInt64(v));
}
void ToDebugStream(DebugStream& s, uInt32 v) {
    DbgFmtAppend(s, "%u", uInt64(v));
}
void ToDebugStream(DebugStream& s, int16 v) {
    DbgFmtAppend(s, "%d", int64(v));
}
void ToDebugStream(DebugStream& s, int32 v) {
    DbgFmtAppend(s, "%d", int64(v));
}
void ToDebugStream(DebugStream& s, long long v) {
    DbgFmtAppend(s, "%I64d", int64(v));
}
void ToDebugStream(DebugStream& s, unsigned long long v) {
    DbgFmtAppend(s, "%I64u", uInt64(v));
}
void ToDebugStream(DebugStream& s, long v) {
    DbgFmtAppend(s, "%I64d", int64(v));
}
void ToDebugStream(DebugStream& s, unsigned long v) {
    DbgFmtAppend(s, "%I64u", uInt64(v));
}
void ToDebugStream(DebugStream& s, float v) {
    DbgFmtAppend(s, "%f", double(v));
}
void ToDebugStream(DebugStream& s, double v) {
    DbgFmtAppend(s, "%f", v);
}
void ToDebugStream(DebugStream& s, bool v) {
    s.Append(v ? "true" : "false");
}

void ToDebugStream(DebugStream& s, void (*fn)(void)) {
    DbgFmtAppend(s, "%p", reinterpret_cast<const void*>(fn));
}

void ToDebugStream(DebugStream& s, const LStr* v) {
    if (!v || v->cnt <= 0) return;
    const char* text = reinterpret_cast<const char*>(v->str);
    s.Append(text, text + v->cnt);
}

void ToDebugStream(DebugStream& s, LStrHandle v) {
    ToDebugStream(s, v ? static_cast<const LStr*>(*v) : nullptr);
}
