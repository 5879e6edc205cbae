// The built-in configuration types: the text each typed form is written as and read from.
#include <cstdio>
#include <cstring>
#include <iterator>
#include <new>
#include <string_view>

#include "config/ConfigTypeRegistry.h"
#include "config/ConfigTypedValue.h"
#include "tqcore/memory.h"

namespace tq::config {

namespace {

using Strings = std::vector<std::string>;

std::string Quoted(std::string_view s) {
    std::string out;
    out.reserve(s.size() + 2);
    out.push_back('"');
    out.append(s);
    out.push_back('"');
    return out;
}

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return s;
}

std::string TrimSpaces(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
    return s.substr(b, e - b);
}

Strings SplitPlain(const std::string& text) {
    Strings parts;
    StringUtils::Split(text, ";", &parts, StringUtils::kKeepEmptyPieces);
    return parts;
}

// Within each string a backslash doubles and ';' gains a backslash; the strings are joined with ';'.
std::string JoinEscaped(const Strings& v) {
    std::string out;
    for (size_t i = 0; i < v.size(); ++i) {
        if (i) out.push_back(';');
        for (char c : v[i]) {
            if (c == '\\' || c == ';') out.push_back('\\');
            out.push_back(c);
        }
    }
    return out;
}

Strings SplitEscaped(const std::string& text) {
    Strings parts(1);
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\' && i + 1 < text.size())
            parts.back().push_back(text[++i]);
        else if (c == ';')
            parts.emplace_back();
        else
            parts.back().push_back(c);
    }
    return parts;
}

// A handle at *h sized to bytes, made when null.
TqErr SizeHandle(UHandle* h, size_t bytes) {
    if (!*h) {
        *h = DSNewHandle(bytes);
        return *h ? kErrNone : kErrConfigAlloc;
    }
    return DSSetHandleSize(*h, bytes) == kErrNone ? kErrNone : kErrConfigAlloc;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The signed number at the start of text (leading white space allowed), as "%ld" reads it: a number beyond 64
// bits stops at the nearer bound, and the value keeps the low 32 bits. Read here rather than by the C
// library, whose locale-aware reader costs a typed lookup more than the rest of it.
bool ReadLong(const std::string& text, int32& out) {
    size_t i = 0;
    const size_t n = text.size();
    while (i < n && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i >= n || !IsDigit(text[i])) return false;
    const uInt64 limit = uInt64(INT64_MAX) + (negative ? 1 : 0);
    uInt64 magnitude = 0;
    for (; i < n && IsDigit(text[i]); ++i) {
        const uInt64 digit = uInt64(text[i] - '0');
        magnitude = magnitude > (limit - digit) / 10 ? limit : magnitude * 10 + digit;
    }
    out = int32(uInt32(negative ? 0 - magnitude : magnitude));
    return true;
}

// ---- Byte strings.

TqErr NStrFrom(const std::string& text, void* value) {
    *static_cast<std::string*>(value) = text;
    return kErrNone;
}
TqErr NStrTo(const void* value, std::string* text) {
    *text = Quoted(*static_cast<const std::string*>(value));
    return kErrNone;
}

TqErr NStVFrom(const std::string& text, void* value) {
    *static_cast<Strings*>(value) = SplitPlain(text);
    return kErrNone;
}
TqErr NStVTo(const void* value, std::string* text) {
    std::string joined;
    StringUtils::Join(*static_cast<const Strings*>(value), ";", &joined);
    *text = Quoted(joined);
    return kErrNone;
}

TqErr ENSVFrom(const std::string& text, void* value) {
    *static_cast<Strings*>(value) = SplitEscaped(text);
    return kErrNone;
}
TqErr ENSVTo(const void* value, std::string* text) {
    *text = Quoted(JoinEscaped(*static_cast<const Strings*>(value)));
    return kErrNone;
}

// ---- Pascal and long strings.

TqErr PStrFrom(const std::string& text, void* value) {
    if (text.size() > 255) return kErrConfigParse;
    UHandle* h = static_cast<UHandle*>(value);
    if (SizeHandle(h, text.size() + 1) != kErrNone) return kErrConfigAlloc;
    (**h)[0] = uChar(text.size());
    std::memcpy(**h + 1, text.data(), text.size());
    return kErrNone;
}
TqErr PStrTo(const void* value, std::string* text) {
    const UHandle h = *static_cast<const UHandle*>(value);
    if (!h || !*h) return kErrArgument;
    *text = Quoted(std::string_view(reinterpret_cast<const char*>(*h + 1), (*h)[0]));
    return kErrNone;
}

TqErr P255From(const std::string& text, void* value) {
    if (text.size() > 255) return kErrConfigParse;
    uChar* p = static_cast<uChar*>(value);
    p[0] = uChar(text.size());
    std::memcpy(p + 1, text.data(), text.size());
    return kErrNone;
}
TqErr P255To(const void* value, std::string* text) {
    const uChar* p = static_cast<const uChar*>(value);
    *text = Quoted(std::string_view(reinterpret_cast<const char*>(p + 1), p[0]));
    return kErrNone;
}

TqErr LStrFrom(const std::string& text, void* value) {
    if (text.size() > size_t(INT32_MAX) - 4) return kErrConfigAlloc;
    UHandle* h = reinterpret_cast<UHandle*>(value);
    if (SizeHandle(h, text.size() + 4) != kErrNone) return kErrConfigAlloc;
    LStr* s = reinterpret_cast<LStr*>(**h);
    s->cnt = int32(text.size());
    std::memcpy(s->str, text.data(), text.size());
    return kErrNone;
}
TqErr LStrTo(const void* value, std::string* text) {
    const LStrHandle h = *static_cast<const LStrHandle*>(value);
    const int32 n = h && *h && (*h)->cnt > 0 ? (*h)->cnt : 0;
    *text = Quoted(std::string_view(n ? reinterpret_cast<const char*>((*h)->str) : "", size_t(n)));
    return kErrNone;
}

// ---- Packed Pascal string lists.

TqErr CPStrFromParts(const Strings& parts, void* value) {
    size_t bytes = 4;
    for (const auto& p : parts) {
        if (p.size() > 255) return kErrConfigParse;
        bytes += p.size() + 1;
    }
    UHandle* h = static_cast<UHandle*>(value);
    if (SizeHandle(h, bytes) != kErrNone) return kErrConfigAlloc;
    CPStr* list = reinterpret_cast<CPStr*>(**h);
    list->cnt = int32(parts.size());
    uChar* at = list->str;
    for (const auto& p : parts) {
        *at++ = uChar(p.size());
        std::memcpy(at, p.data(), p.size());
        at += p.size();
    }
    return kErrNone;
}

TqErr CPStrParts(const void* value, Strings& parts) {
    const CPStrHandle h = *static_cast<const CPStrHandle*>(value);
    if (!h || !*h) return kErrArgument;
    const uChar* at = (*h)->str;
    for (int32 i = 0; i < (*h)->cnt; ++i) {
        parts.emplace_back(reinterpret_cast<const char*>(at + 1), at[0]);
        at += 1 + at[0];
    }
    return kErrNone;
}

TqErr CPStFrom(const std::string& text, void* value) {
    return CPStrFromParts(SplitPlain(text), value);
}
TqErr CPStTo(const void* value, std::string* text) {
    Strings parts;
    const TqErr r = CPStrParts(value, parts);
    if (r != kErrNone) return r;
    std::string joined;
    StringUtils::Join(parts, ";", &joined);
    *text = Quoted(joined);
    return kErrNone;
}

TqErr ECPSFrom(const std::string& text, void* value) {
    return CPStrFromParts(SplitEscaped(text), value);
}
TqErr ECPSTo(const void* value, std::string* text) {
    Strings parts;
    const TqErr r = CPStrParts(value, parts);
    if (r != kErrNone) return r;
    *text = Quoted(JoinEscaped(parts));
    return kErrNone;
}

// ---- Numbers.

TqErr BoolFrom(const std::string& text, void* value) {
    const std::string t = Lower(text);
    int32 v;
    if (t == "true" || t == "yes" || t == "on")
        v = 1;
    else if (t == "false" || t == "no" || t == "off")
        v = 0;
    else
        return kErrConfigParse;
    *static_cast<int32*>(value) = v;
    return kErrNone;
}
TqErr BoolTo(const void* value, std::string* text) {
    *text = *static_cast<const int32*>(value) ? "True" : "False";
    return kErrNone;
}

TqErr I32From(const std::string& text, void* value) {
    return ReadLong(text, *static_cast<int32*>(value)) ? kErrNone : kErrConfigParse;
}
TqErr I32To(const void* value, std::string* text) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%d", int(*static_cast<const int32*>(value)));
    *text = buf;
    return kErrNone;
}

TqErr F32From(const std::string& text, void* value) {
    float f;
    if (std::sscanf(text.c_str(), "%f", &f) != 1) return kErrConfigParse;
    *static_cast<float*>(value) = f;
    return kErrNone;
}
TqErr F32To(const void* value, std::string* text) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%f", double(*static_cast<const float*>(value)));
    *text = buf;
    return kErrNone;
}

TqErr I32LFrom(const std::string& text, void* value) {
    std::vector<int32> numbers;
    for (const auto& part : SplitPlain(text)) {
        const std::string t = TrimSpaces(part);
        if (t.empty()) continue;
        int32 v;
        if (!ReadLong(t, v)) return kErrConfigParse;
        numbers.push_back(v);
    }
    UHandle* h = static_cast<UHandle*>(value);
    if (SizeHandle(h, 4 * (numbers.size() + 1)) != kErrNone) return kErrConfigAlloc;
    const int32 count = int32(numbers.size());
    std::memcpy(**h, &count, 4);
    if (count) std::memcpy(**h + 4, numbers.data(), 4 * numbers.size());
    return kErrNone;
}
TqErr I32LTo(const void* value, std::string* text) {
    const UHandle h = *static_cast<const UHandle*>(value);
    if (!h || !*h) return kErrArgument;
    int32 count;
    std::memcpy(&count, *h, 4);
    text->clear();
    for (int32 i = 0; i < count; ++i) {
        int32 v;
        std::memcpy(&v, *h + 4 + 4 * i, 4);
        if (i) text->push_back(';');
        *text += std::to_string(v);
    }
    return kErrNone;
}

// ---- Paths.
//
// A path value is stored in the display form, the preference file's form on every OS. A path that form cannot
// hold (on POSIX an item may contain ':' or a backslash) is stored in the Unix form instead, opening with "/"
// or "./"; text that opens so is read in the Unix form, any other text in the display form. NotAPath is the
// NotAPath text (empty unless the host names it) both ways.

bool IsWhiteSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// The store takes the marks off a value in double quotation marks.
bool InQuotes(std::string_view text) {
    return text.size() >= 2 && text.front() == '"' && text.back() == '"';
}

bool InUnixForm(std::string_view text) {
    return text.starts_with('/') || text.starts_with("./");
}

TqErr ReadPathText(const std::string& text, PathRef& out) {
    try {
        if (text == PathRef::GetNotAPathString()) {
            out = PathRef(kBaseNotAPath);
            return kErrNone;
        }
        out = PathRef(text, InUnixForm(text) ? PathRef::StringUnix() : PathRef::StringDisplay());
        return kErrNone;
    } catch (const PKExcept& e) {
        return e.ErrorCode() == kErrMemoryFull ? kErrConfigAlloc : kErrConfigParse;
    }
}

// The written forms. The last serves a relative path that neither of the others holds (its first item has
// both ':' and '/'): after a "." item the display reader takes no ':' for a volume.
enum class PathForm { kDisplay, kUnix, kDisplayFromHere };

// The path's text in the form, when it reads back as the same path.
bool TextThatReadsBack(const PathRef& p, PathForm form, std::string& text) {
    const bool unixForm = form == PathForm::kUnix;
    if (p.ConvertToString(&text, unixForm ? PathRef::StringUnix() : PathRef::StringDisplay()) != kErrNone)
        return false;
    // The store keeps no empty value and the list readers skip empty parts; both trim white space at the
    // ends. The Unix form opens with "/" or "./" and may end with a "/" that reads as nothing.
    if (unixForm) {
        if (!text.starts_with('/')) text.insert(0, "./");
        if (IsWhiteSpace(text.back())) text.push_back('/');
    } else if (form == PathForm::kDisplayFromHere) {
        if (!p.StartsWith(kBaseRelative)) return false;
        text.insert(0, ".\\");
    } else if (InUnixForm(text)) {
        return false;
    }
    if (text.empty() || IsWhiteSpace(text.front()) || IsWhiteSpace(text.back()) || InQuotes(text))
        return false;
    PathRef back;
    return ReadPathText(text, back) == kErrNone && back.Equals(p, kCompareExact);
}

// The first form whose text reads back as the path.
bool HoldingText(const PathRef& p, std::string& text) {
    for (PathForm form : {PathForm::kDisplay, PathForm::kUnix, PathForm::kDisplayFromHere})
        if (TextThatReadsBack(p, form, text)) return true;
    return false;
}

std::string WritePathText(const PathRef& p) {
    if (p.StartsWith(kBaseNotAPath)) return PathRef::GetNotAPathString();
    std::string text;
    if (HoldingText(p, text)) return text;
    // No form holds it (a volume name with ':' and '/'): the display text, as near as it comes.
    return p.ConvertToString(&text, PathRef::StringDisplay()) == kErrNone ? text : std::string();
}

TqErr PathFrom(const std::string& text, void* value) {
    PathRef read;
    const TqErr r = ReadPathText(text, read);
    if (r != kErrNone) return r;
    Path* p = static_cast<Path*>(value);
    if (*p) {
        **p = read;
        return kErrNone;
    }
    *p = new (std::nothrow) PathRef(read);
    return *p ? kErrNone : kErrConfigAlloc;
}
TqErr PathTo(const void* value, std::string* text) {
    const Path p = *static_cast<const Path*>(value);
    if (!p) return kErrArgument;
    *text = WritePathText(*p);
    return kErrNone;
}

TqErr PthpFrom(const std::string& text, void* value) {
    return ReadPathText(text, *static_cast<PathRef*>(value));
}
TqErr PthpTo(const void* value, std::string* text) {
    *text = WritePathText(*static_cast<const PathRef*>(value));
    return kErrNone;
}

TqErr PathListFrom(const std::string& text, void* value, bool skipSpaces) {
    std::vector<PathRef> paths;
    for (const auto& part : SplitPlain(text)) {
        const std::string t = skipSpaces ? TrimSpaces(part) : part;
        if (t.empty()) continue;
        PathRef p;
        const TqErr r = ReadPathText(t, p);
        if (r != kErrNone) return r;
        paths.push_back(p);
    }
    *static_cast<std::vector<PathRef>*>(value) = std::move(paths);
    return kErrNone;
}
std::string PathListText(const void* value) {
    Strings parts;
    for (const auto& p : *static_cast<const std::vector<PathRef>*>(value)) parts.push_back(WritePathText(p));
    std::string joined;
    StringUtils::Join(parts, ";", &joined);
    return joined;
}

TqErr PLstFrom(const std::string& text, void* value) {
    return PathListFrom(text, value, true);
}
TqErr PLstTo(const void* value, std::string* text) {
    *text = Quoted(PathListText(value));
    return kErrNone;
}

TqErr PRfLFrom(const std::string& text, void* value) {
    return PathListFrom(text, value, false);
}
TqErr PRfLTo(const void* value, std::string* text) {
    // Unquoted unless the list's text opens and ends with a mark that the store would take off.
    *text = PathListText(value);
    if (InQuotes(*text)) *text = Quoted(*text);
    return kErrNone;
}

struct CoreConverters {
    ConfigFromText from;
    ConfigToText to;
};

// In the order of kBuiltInTypes.
const CoreConverters kConverters[] = {
    {NStrFrom, NStrTo}, {NStVFrom, NStVTo}, {ENSVFrom, ENSVTo}, {PStrFrom, PStrTo},
    {BoolFrom, BoolTo}, {I32From, I32To},   {PathFrom, PathTo}, {PLstFrom, PLstTo},
    {CPStFrom, CPStTo}, {F32From, F32To},   {I32LFrom, I32LTo}, {LStrFrom, LStrTo},
    {P255From, P255To}, {PthpFrom, PthpTo}, {ECPSFrom, ECPSTo}, {PRfLFrom, PRfLTo},
};
static_assert(std::size(kConverters) == std::size(kBuiltInTypes));

}  // namespace

bool PathValueTextHolds(const PathRef& path) {
    std::string text;
    return path.StartsWith(kBaseNotAPath) || HoldingText(path, text);
}

TqErr RegisterCoreConfigTypes() {
    TqErr first = kErrNone;
    for (size_t i = 0; i < std::size(kBuiltInTypes); ++i) {
        for (int32 type : {kBuiltInTypes[i].code, kBuiltInTypes[i].number}) {
            if (!type) continue;
            const TqErr r = RegisterConfigType(type, kConverters[i].from, kConverters[i].to);
            if (first == kErrNone) first = r;
        }
    }
    return first;
}

void UnregisterCoreConfigTypes() {
    for (const BuiltInType& t : kBuiltInTypes) {
        (void)UnregisterConfigType(t.code);
        if (t.number) (void)UnregisterConfigType(t.number);
    }
}

}  // namespace tq::config
