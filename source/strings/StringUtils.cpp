// Bridges between the library's string forms and standard strings, and the everyday text utilities.
#include <atomic>
#include <cctype>
#include <cstring>
#include <mutex>

#include "platform/CodePage.h"
#include "strings/LStrArray.h"
#include "strings/LStrHandles.h"
#include "strings/Services.h"
#include "strings/TextConvert.h"

using namespace tq::strings;
namespace platform = tq::platform;

// --- The case tables and their service ---

namespace {

struct CaseTables {
    uChar lower[256];
    uChar upper[256];
};

CaseTables gTables;
std::atomic<bool> gTablesFilled{false};
std::mutex gTablesMutex;

// Byte values go to tolower/toupper as unsigned so that bytes of 0x80 and above stay defined behaviour.
void FillTables() {
    std::lock_guard<std::mutex> lock(gTablesMutex);
    for (int b = 0; b < 256; ++b) {
        gTables.lower[b] = uChar(std::tolower(b));
        gTables.upper[b] = uChar(std::toupper(b));
    }
    gTablesFilled.store(true, std::memory_order_release);
}

// Filled on first use when the service has not started yet, so no caller ever folds through zeros.
const CaseTables& Tables() {
    if (!gTablesFilled.load(std::memory_order_acquire)) FillTables();
    return gTables;
}

class StringUtilsLocaleCache_Service final
    : public RefcountedServiceObject_T<StringUtilsLocaleCache_Service> {
  public:
    const char* Name() override { return "StringUtilsLocaleCache"; }
    void Dependencies(IServiceDependencyList&) override {}
    TqErr InitService() override {
        FillTables();
        return kErrNone;
    }
};

}  // namespace

IServiceObject* tq::strings::StringUtilsLocaleCacheService() {
    return StringUtilsLocaleCache_Service::Get();
}

namespace StringUtils {

namespace {

uInt32 InputCodePage(InputStringType type) {
    return type == kInputAnsi ? platform::kCodePageAnsi : platform::kCodePageUtf8;
}

std::string BytesOf(const LStr* s) {
    const int32 n = Count(s);
    return n ? std::string(reinterpret_cast<const char*>(s->str), size_t(n)) : std::string();
}

std::string BytesOf(ConstPStr s) {
    return s ? std::string(reinterpret_cast<const char*>(s + 1), s[0]) : std::string();
}

// Disposes an input handle or BSTR on leaving, when the policy asks for it, whatever happened meanwhile.
struct HandleDisposer {
    LStrHandle h;
    DeallocationPolicy policy;
    ~HandleDisposer() {
        if (policy == kDeallocateInput) Dispose(h);
    }
};

struct BstrDisposer {
    TQWChar* bstr;
    DeallocationPolicy policy;
    ~BstrDisposer() {
        if (policy == kDeallocateInput) platform::SysFreeString(bstr);
    }
};

TQWString WideOf(const std::string& s, uInt32 codePage) {
    TQWString out;
    NarrowToWide(codePage, s.data(), s.size(), out);
    return out;
}

std::string NarrowOf(const TQWChar* s, size_t n, uInt32 codePage) {
    std::string out;
    WideToNarrow(codePage, s, n, out);
    return out;
}

template <class T, class F>
TqErr Fill(T* out, F&& make) {
    if (!out) return kErrArgument;
    return NoThrow([&] { *out = make(); });
}

}  // namespace

// --- Narrow ---

std::string ToNarrowString(const std::string& s, InputStringType type) {
    if (type == kInputAnsi) return s;
    const TQWString wide = WideOf(s, platform::kCodePageUtf8);
    return NarrowOf(wide.data(), wide.size(), platform::kCodePageAnsi);
}

std::string ToNarrowString(const TQWString& s) {
    return NarrowOf(s.data(), s.size(), platform::kCodePageAnsi);
}

std::string ToNarrowString(LStrHandle h, DeallocationPolicy policy) {
    HandleDisposer guard{h, policy};
    return BytesOf(Deref(h));
}

std::string ToNarrowString(const LStr* s) {
    return BytesOf(s);
}

std::string ToNarrowString(const LStr* const* h) {
    return BytesOf(h ? *h : nullptr);
}

std::string ToNarrowString(ConstPStr s) {
    return BytesOf(s);
}

std::string ToNarrowStringFromBSTR(TQWChar* bstr, DeallocationPolicy policy) {
    BstrDisposer guard{bstr, policy};
    return bstr ? NarrowOf(bstr, platform::SysStringLen(bstr), platform::kCodePageAnsi) : std::string();
}

std::string& ToNarrowString(const std::string& s, InputStringType type, std::string& out) {
    return out = ToNarrowString(s, type);
}

std::string& ToNarrowString(const TQWString& s, std::string& out) {
    return out = ToNarrowString(s);
}

TqErr ToNarrowStringNoThrow(const std::string& s, InputStringType type, std::string* out) {
    return Fill(out, [&] { return ToNarrowString(s, type); });
}

TqErr ToNarrowStringNoThrow(const TQWString& s, std::string* out) {
    return Fill(out, [&] { return ToNarrowString(s); });
}

TqErr ToNarrowStringNoThrow(LStrHandle h, DeallocationPolicy policy, std::string* out) {
    if (!out) {
        HandleDisposer guard{h, policy};
        return kErrArgument;
    }
    return Fill(out, [&] { return ToNarrowString(h, policy); });
}

TqErr ToNarrowStringNoThrow(const LStr* s, std::string* out) {
    return Fill(out, [&] { return BytesOf(s); });
}

TqErr ToNarrowStringNoThrow(ConstPStr s, std::string* out) {
    return Fill(out, [&] { return BytesOf(s); });
}

TqErr ToNarrowStringFromBSTRNoThrow(TQWChar* bstr, DeallocationPolicy policy, std::string* out) {
    if (!out) {
        BstrDisposer guard{bstr, policy};
        return kErrArgument;
    }
    return Fill(out, [&] { return ToNarrowStringFromBSTR(bstr, policy); });
}

// --- Wide ---

TQWString ToWideString(const std::string& s, InputStringType type) {
    return WideOf(s, InputCodePage(type));
}

TQWString ToWideString(LStrHandle h, DeallocationPolicy policy) {
    HandleDisposer guard{h, policy};
    return ToWideString(Deref(h));
}

TQWString ToWideString(const LStr* s) {
    TQWString out;
    if (Count(s))
        NarrowToWide(platform::kCodePageAnsi, reinterpret_cast<const char*>(s->str), size_t(s->cnt), out);
    return out;
}

TQWString ToWideString(ConstPStr s) {
    TQWString out;
    if (s && s[0]) NarrowToWide(platform::kCodePageAnsi, reinterpret_cast<const char*>(s + 1), s[0], out);
    return out;
}

TQWString ToWideStringFromBSTR(TQWChar* bstr, DeallocationPolicy policy) {
    BstrDisposer guard{bstr, policy};
    return bstr ? TQWString(bstr, platform::SysStringLen(bstr)) : TQWString();
}

TQWString& ToWideString(const std::string& s, InputStringType type, TQWString& out) {
    return out = ToWideString(s, type);
}

TqErr ToWideStringNoThrow(const std::string& s, InputStringType type, TQWString* out) {
    return Fill(out, [&] { return ToWideString(s, type); });
}

TqErr ToWideStringNoThrow(LStrHandle h, DeallocationPolicy policy, TQWString* out) {
    if (!out) {
        HandleDisposer guard{h, policy};
        return kErrArgument;
    }
    return Fill(out, [&] { return ToWideString(h, policy); });
}

TqErr ToWideStringNoThrow(const LStr* s, TQWString* out) {
    return Fill(out, [&] { return ToWideString(s); });
}

TqErr ToWideStringNoThrow(ConstPStr s, TQWString* out) {
    return Fill(out, [&] { return ToWideString(s); });
}

TqErr ToWideStringFromBSTRNoThrow(TQWChar* bstr, DeallocationPolicy policy, TQWString* out) {
    if (!out) {
        BstrDisposer guard{bstr, policy};
        return kErrArgument;
    }
    return Fill(out, [&] { return ToWideStringFromBSTR(bstr, policy); });
}

// --- UTF-8 ---

std::string ToUTF8String(const std::string& ansi) {
    const TQWString wide = WideOf(ansi, platform::kCodePageAnsi);
    return NarrowOf(wide.data(), wide.size(), platform::kCodePageUtf8);
}

std::string ToUTF8String(const TQWString& wide) {
    return NarrowOf(wide.data(), wide.size(), platform::kCodePageUtf8);
}

TqErr ToUTF8StringNoThrow(const std::string& ansi, std::string* out) {
    return Fill(out, [&] { return ToUTF8String(ansi); });
}

TqErr ToUTF8StringNoThrow(const TQWString& wide, std::string* out) {
    return Fill(out, [&] { return ToUTF8String(wide); });
}

namespace {

template <class C>
int32 TerminatedLength(const C* s) {
    size_t n = 0;
    while (s[n]) ++n;
    return n > size_t(INT32_MAX) ? -1 : int32(n);
}

// The buffer form of both directions: converted text plus a NUL, or 1 and an empty text. Room for the NUL
// alone is not handed on: the converters take capacity 0 as "measure" and would report a size never written.
template <class From, class To, class Convert>
int32 ConvertIntoBuffer(const From* in, int32 inLength, To* out, int32 outSize, Convert convert) {
    if (!in || !out || inLength < 0 || outSize < 1) return 1;
    out[0] = To(0);
    if (inLength == 0) return 0;
    const int32 room = outSize - 1;
    const int32 written = room > 0 ? convert(in, inLength, out, room) : 0;
    if (written < 1 || written > room) {
        out[0] = To(0);
        return 1;
    }
    out[written] = To(0);
    return 0;
}

// The allocating form: exactly the converted units from new[], no terminator.
template <class From, class To, class Convert>
int32 ConvertAllocating(const From* in, int32 inLength, To** out, int32* outLength, Convert convert) {
    if (!in || !out || !outLength || inLength < 1) return 1;
    const int32 needed = convert(in, inLength, static_cast<To*>(nullptr), 0);
    if (needed < 1) return 1;
    To* buffer = new (std::nothrow) To[size_t(needed)];
    if (!buffer) return kErrMemoryFull;
    if (convert(in, inLength, buffer, needed) != needed) {
        delete[] buffer;
        return 1;
    }
    *out = buffer;
    *outLength = needed;
    return 0;
}

int32 WideToUtf8(const TQWChar* in, int32 n, char* out, int32 cap) {
    return platform::WideToMultiByte(platform::kCodePageUtf8, 0, in, n, out, cap);
}

int32 Utf8ToWide(const char* in, int32 n, TQWChar* out, int32 cap) {
    return platform::MultiByteToWide(platform::kCodePageUtf8, 0, in, n, out, cap);
}

}  // namespace

int32 ToUTF8FromWideString(const TQWChar* wide, int32 wideLength, char* out, int32 outSize) {
    return ConvertIntoBuffer(wide, wideLength, out, outSize, WideToUtf8);
}

int32 ToUTF8FromWideString(const TQWChar* wide, char* out, int32 outSize) {
    return wide ? ToUTF8FromWideString(wide, TerminatedLength(wide), out, outSize) : 1;
}

int32 ToUTF8FromWideString(const TQWChar* wide, int32 wideLength, char** out, int32* outLength) {
    return ConvertAllocating(wide, wideLength, out, outLength, WideToUtf8);
}

int32 ToUTF8FromWideString(const TQWChar* wide, char** out, int32* outLength) {
    return wide ? ToUTF8FromWideString(wide, TerminatedLength(wide), out, outLength) : 1;
}

int32 ToWideStringFromUTF8(const char* utf8, int32 length, TQWChar* out, int32 outSize) {
    return ConvertIntoBuffer(utf8, length, out, outSize, Utf8ToWide);
}

int32 ToWideStringFromUTF8(const char* utf8, TQWChar* out, int32 outSize) {
    return utf8 ? ToWideStringFromUTF8(utf8, TerminatedLength(utf8), out, outSize) : 1;
}

int32 ToWideStringFromUTF8(const char* utf8, int32 length, TQWChar** out, int32* outLength) {
    return ConvertAllocating(utf8, length, out, outLength, Utf8ToWide);
}

int32 ToWideStringFromUTF8(const char* utf8, TQWChar** out, int32* outLength) {
    return utf8 ? ToWideStringFromUTF8(utf8, TerminatedLength(utf8), out, outLength) : 1;
}

int32 CodePageStringToUTF8String(uInt32 codePage, std::string& s) {
    if (s.empty()) return 0;
    try {
        TQWString wide;
        std::string utf8;
        if (!NarrowToWide(codePage, s.data(), s.size(), wide)) return 1;
        if (!WideToNarrow(platform::kCodePageUtf8, wide.data(), wide.size(), utf8)) return 1;
        s.swap(utf8);
        return 0;
    } catch (const std::bad_alloc&) {
        return kErrMemoryFull;
    }
}

int32 CodePageStringToUTF8String(std::string& s) {
    TQAppInterface* app = TQApp();
    const char* language = app ? app->LanguageName() : nullptr;
    // Without a host (or a language) the text is taken to be in the ANSI code page.
    return CodePageStringToUTF8String(LanguageToCodePage(language ? language : ""), s);
}

uInt32 LanguageToCodePage(const std::string& language) {
    struct Entry {
        const char* lowerName;
        uInt32 codePage;
    };
    static constexpr Entry kLanguages[] = {{"french", 1252},  {"german", 1252}, {"english", 1252},
                                           {"japanese", 932}, {"korean", 949},  {"chineses", 936}};
    const uChar* lower = Tables().lower;
    for (const Entry& e : kLanguages) {
        const size_t n = std::strlen(e.lowerName);
        if (language.size() != n) continue;
        size_t i = 0;
        while (i < n && lower[uChar(language[i])] == uChar(e.lowerName[i])) ++i;
        if (i == n) return e.codePage;
    }
    return 0;
}

// --- Library forms ---

LStrHandle ToLStrHandle(const std::string& s) {
    LStrHandle h = nullptr;
    return ToLStrHandle(s, &h);
}

LStrHandle ToLStrHandle(const std::string& s, LStrHandle* h) {
    ThrowIfFailed(ToLStrHandleNoThrow(s, h));
    return h ? *h : nullptr;
}

LStrHandle ToLStrHandle(const TQWString& s) {
    return ToLStrHandle(ToNarrowString(s));
}

LStrHandle ToLStrHandle(const TQWString& s, LStrHandle* h) {
    return ToLStrHandle(ToNarrowString(s), h);
}

TqErr ToLStrHandleNoThrow(const std::string& s, LStrHandle* h) {
    if (!h) return kErrArgument;
    if (s.size() > size_t(INT32_MAX)) return kErrMemoryFull;
    const int64 bytes = kLStrHeader + int64(s.size());
    if (*h) {
        if (Resize(*h, bytes)) return kErrMemoryFull;
    } else {
        LStrHandle created = NewLStr(bytes);
        if (!created) return kErrMemoryFull;
        *h = created;
    }
    if (!s.empty()) std::memcpy((**h)->str, s.data(), s.size());
    (**h)->cnt = int32(s.size());
    return kErrNone;
}

TqErr ToLStrHandleNoThrow(const TQWString& s, LStrHandle* h) {
    if (!h) return kErrArgument;
    std::string narrow;
    const TqErr err = ToNarrowStringNoThrow(s, &narrow);
    return err ? err : ToLStrHandleNoThrow(narrow, h);
}

TqErr ToLStrArrayHandleNoThrow(const std::vector<std::string>& v, _LStrArray*** out) {
    if (!out) return kErrArgument;
    if (v.size() > size_t(INT32_MAX / 8 - 1)) return kErrMemoryFull;
    _LStrArray** a = nullptr;
    TqErr err = ReallocLStrArrayHandle(&a, int32(v.size()));
    for (size_t i = 0; !err && i < v.size(); ++i) err = ToLStrHandleNoThrow(v[i], &(*a)->elt[i]);
    if (err) {
        DisposeLStrArray(a);
        return err;
    }
    DisposeLStrArray(*out);
    *out = a;
    return kErrNone;
}

void ToNarrowStringVector(_LStrArray** a, std::vector<std::string>* out, DeallocationPolicy policy) {
    ThrowIfFailed(ToNarrowStringVectorNoThrow(a, out, policy));
}

TqErr ToNarrowStringVectorNoThrow(_LStrArray** a, std::vector<std::string>* out, DeallocationPolicy policy) {
    // The policy disposes the whole array, elements first, whether or not the copy succeeded.
    struct ArrayDisposer {
        _LStrArray** a;
        DeallocationPolicy policy;
        ~ArrayDisposer() {
            if (policy == kDeallocateInput) DisposeLStrArray(a);
        }
    } guard{a, policy};
    if (!out) return kErrArgument;
    return NoThrow([&] {
        out->clear();
        const int32 n = ArrayCount(a);
        out->reserve(size_t(n));
        for (int32 i = 0; i < n; ++i) out->push_back(BytesOf(Deref((*a)->elt[i])));
    });
}

uChar* ToPStr(const std::string& s, uChar* buffer) {
    if (!buffer) return buffer;
    const size_t n = s.size() < 255 ? s.size() : 255;
    std::memcpy(buffer + 1, s.data(), n);
    buffer[0] = uChar(n);
    return buffer;
}

uChar* ToPStr(const TQWString& s, uChar* buffer) {
    return ToPStr(ToNarrowString(s), buffer);
}

TQWChar* ToBSTR(const std::string& s) {
    return ToBSTR(ToWideString(s, kInputAnsi));
}

TQWChar* ToBSTR(const TQWString& s) {
    TQWChar* out = nullptr;
    ThrowIfFailed(ToBSTRNoThrow(s, &out));
    return out;
}

TqErr ToBSTRNoThrow(const std::string& s, TQWChar** out) {
    if (!out) return kErrArgument;
    TQWString wide;
    const TqErr err = ToWideStringNoThrow(s, kInputAnsi, &wide);
    return err ? err : ToBSTRNoThrow(wide, out);
}

TqErr ToBSTRNoThrow(const TQWString& s, TQWChar** out) {
    if (!out) return kErrArgument;
    if (s.size() > size_t(INT32_MAX / 2)) return kErrMemoryFull;
    TQWChar* bstr = platform::SysAllocStringLen(s.data(), uInt32(s.size()));
    if (!bstr) return kErrMemoryFull;
    *out = bstr;
    return kErrNone;
}

void FreeBSTR(TQWChar* bstr) {
    platform::SysFreeString(bstr);
}

uInt32 BSTRLength(const TQWChar* bstr) {
    return platform::SysStringLen(bstr);
}

// --- Comparison and hashing ---

int32 CaseInsensitiveCompare(const std::string& a, const std::string& b) {
    const uChar* lower = Tables().lower;
    const size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        if (a[i] == b[i]) continue;
        const signed char fa = static_cast<signed char>(lower[uChar(a[i])]);
        const signed char fb = static_cast<signed char>(lower[uChar(b[i])]);
        if (fa != fb) return fa < fb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

int32 CaseInsensitiveCompare(const TQWString& a, const TQWString& b) {
    const size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        if (a[i] == b[i]) continue;
        const char16_t fa = char16_t(platform::WideToLower(a[i])), fb = char16_t(platform::WideToLower(b[i]));
        if (fa != fb) return fa < fb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool CaseInsensitiveEqual(const char* a, size_t lengthA, const char* b, size_t lengthB) {
    if (lengthA != lengthB) return false;
    if (lengthA == 0) return true;
    if (!a || !b) return false;
    const uChar* lower = Tables().lower;
    for (size_t i = 0; i < lengthA; ++i)
        if (a[i] != b[i] && lower[uChar(a[i])] != lower[uChar(b[i])]) return false;
    return true;
}

bool CaseInsensitiveEqual(const TQWChar* a, size_t lengthA, const TQWChar* b, size_t lengthB) {
    if (lengthA != lengthB) return false;
    if (lengthA == 0) return true;
    if (!a || !b) return false;
    for (size_t i = 0; i < lengthA; ++i)
        if (a[i] != b[i] && platform::WideToLower(a[i]) != platform::WideToLower(b[i])) return false;
    return true;
}

bool CaseInsensitiveEqual(const std::string& a, const std::string& b) {
    return CaseInsensitiveEqual(a.data(), a.size(), b.data(), b.size());
}

bool CaseInsensitiveEqual(const TQWString& a, const TQWString& b) {
    return CaseInsensitiveEqual(a.data(), a.size(), b.data(), b.size());
}

uInt32 Hash(const uChar* s, uInt32 length, bool ignoreCase) {
    if (!s) return 0;
    const uChar* upper = ignoreCase ? Tables().upper : nullptr;
    uInt32 h = 0;
    for (uInt32 i = 0; i < length && s[i]; ++i) {
        const uChar b = upper ? upper[s[i]] : s[i];
        h = (h << 4) + uInt32(int32(static_cast<signed char>(b)));
        const uInt32 g = h & 0xF0000000u;
        if (g) h = ((g >> 24) & 0xF0u) ^ (h & 0x0FFFFFFFu);
    }
    return h;
}

uInt32 Hash(const std::string& s, bool ignoreCase) {
    const uInt32 n = s.size() > UINT32_MAX ? UINT32_MAX : uInt32(s.size());
    return Hash(reinterpret_cast<const uChar*>(s.data()), n, ignoreCase);
}

uInt32 Hash(const uChar* s, bool ignoreCase) {
    return Hash(s, UINT32_MAX, ignoreCase);
}

// --- Pieces ---

namespace {

template <class S>
bool StartsWithT(const S& s, const S& p) {
    return p.size() <= s.size() && s.compare(0, p.size(), p) == 0;
}

template <class S>
bool EndsWithT(const S& s, const S& p) {
    return p.size() <= s.size() && s.compare(s.size() - p.size(), p.size(), p) == 0;
}

template <class S>
S LeftT(const S& s, int32 n) {
    return (n <= 0 || size_t(n) > s.size()) ? s : s.substr(0, size_t(n));
}

template <class S>
S RightT(const S& s, int32 n) {
    return (n <= 0 || size_t(n) > s.size()) ? s : s.substr(s.size() - size_t(n));
}

template <class S>
void SplitT(const S& s, const S& delimiters, std::vector<S>* out, StringSplitOptions options) {
    if (!out) return;
    out->clear();
    const bool dropEmpty = options == kRemoveEmptyPieces;
    size_t begin = 0;
    for (;;) {
        const size_t cut = s.find_first_of(delimiters, begin);
        const size_t end = cut == S::npos ? s.size() : cut;
        if (!dropEmpty || end > begin) out->push_back(s.substr(begin, end - begin));
        if (cut == S::npos) break;
        begin = cut + 1;
    }
}

template <class S>
void JoinT(const std::vector<S>& v, const S& separator, S* out) {
    if (!out) return;
    out->clear();
    for (size_t i = 0; i < v.size(); ++i) {
        if (i) out->append(separator);
        out->append(v[i]);
    }
}

template <class S>
void TrimT(S* s, StringTrimmingPolicy policy) {
    if (!s) return;
    using C = typename S::value_type;
    const C blanks[] = {C(' '), C('\t'), C(0)};
    const size_t first = s->find_first_not_of(blanks);
    if (first == S::npos) {
        if (policy & (kTrimLeading | kTrimTrailing)) s->clear();
        return;
    }
    if (policy & kTrimTrailing) s->erase(s->find_last_not_of(blanks) + 1);
    if (policy & kTrimLeading) s->erase(0, first);
}

// Replaces every occurrence from `start` on, continuing after each inserted text.
template <class S>
void ReplaceFrom(S& s, const S& find, const S& replace, size_t start) {
    if (find.empty()) return;
    for (size_t at = s.find(find, start); at != S::npos; at = s.find(find, at + replace.size()))
        s.replace(at, find.size(), replace);
}

template <class S>
size_t ReplaceFirst(S* s, const S& find, const S& replace) {
    if (!s || find.empty()) return S::npos;
    const size_t at = s->find(find);
    if (at == S::npos) return S::npos;
    s->replace(at, find.size(), replace);
    return s->find(find, at + replace.size());
}

}  // namespace

bool StartsWith(const std::string& s, const std::string& prefix) {
    return StartsWithT(s, prefix);
}
bool StartsWith(const std::string& s, char c) {
    return !s.empty() && s.front() == c;
}
bool StartsWith(const TQWString& s, const TQWString& prefix) {
    return StartsWithT(s, prefix);
}
bool StartsWith(const TQWString& s, TQWChar c) {
    return !s.empty() && s.front() == c;
}
bool EndsWith(const std::string& s, const std::string& suffix) {
    return EndsWithT(s, suffix);
}
bool EndsWith(const std::string& s, char c) {
    return !s.empty() && s.back() == c;
}
bool EndsWith(const TQWString& s, const TQWString& suffix) {
    return EndsWithT(s, suffix);
}
bool EndsWith(const TQWString& s, TQWChar c) {
    return !s.empty() && s.back() == c;
}

std::string Left(const std::string& s, int32 n) {
    return LeftT(s, n);
}
std::string Right(const std::string& s, int32 n) {
    return RightT(s, n);
}
TQWString Left(const TQWString& s, int32 n) {
    return LeftT(s, n);
}
TQWString Right(const TQWString& s, int32 n) {
    return RightT(s, n);
}

void Split(const std::string& s, const std::string& delimiters, std::vector<std::string>* out,
           StringSplitOptions options) {
    SplitT(s, delimiters, out, options);
}
void Split(const TQWString& s, const TQWString& delimiters, std::vector<TQWString>* out,
           StringSplitOptions options) {
    SplitT(s, delimiters, out, options);
}
void Join(const std::vector<std::string>& v, const std::string& separator, std::string* out) {
    JoinT(v, separator, out);
}
void Join(const std::vector<TQWString>& v, const TQWString& separator, TQWString* out) {
    JoinT(v, separator, out);
}
void Trim(std::string* s, StringTrimmingPolicy policy) {
    TrimT(s, policy);
}
void Trim(TQWString* s, StringTrimmingPolicy policy) {
    TrimT(s, policy);
}

void ToLowerCase(std::string& s) {
    const uChar* lower = Tables().lower;
    for (char& c : s) c = char(lower[uChar(c)]);
}
void ToUpperCase(std::string& s) {
    const uChar* upper = Tables().upper;
    for (char& c : s) c = char(upper[uChar(c)]);
}
void ToLowerCase(TQWString& s) {
    for (TQWChar& c : s) c = platform::WideToLower(c);
}
void ToUpperCase(TQWString& s) {
    for (TQWChar& c : s) c = platform::WideToUpper(c);
}

void SearchAndReplace(std::string* s, const std::string& find, const std::string& replace) {
    if (s) ReplaceFrom(*s, find, replace, 0);
}
void SearchAndReplace(TQWString* s, const TQWString& find, const TQWString& replace) {
    if (s) ReplaceFrom(*s, find, replace, 0);
}
// A start outside the string replaces nothing.
void SearchAndReplaceFromPosition(std::string& s, const std::string& find, const std::string& replace,
                                  int32 start) {
    if (start >= 0 && size_t(start) <= s.size()) ReplaceFrom(s, find, replace, size_t(start));
}
void SearchAndReplaceFromPosition(TQWString& s, const TQWString& find, const TQWString& replace,
                                  int32 start) {
    if (start >= 0 && size_t(start) <= s.size()) ReplaceFrom(s, find, replace, size_t(start));
}
size_t SearchAndReplaceTheFirst(std::string* s, const std::string& find, const std::string& replace) {
    return ReplaceFirst(s, find, replace);
}
size_t SearchAndReplaceTheFirst(TQWString* s, const TQWString& find, const TQWString& replace) {
    return ReplaceFirst(s, find, replace);
}

void RemoveBlockComments(std::string* s, const std::string& open, const std::string& close) {
    if (!s || open.empty() || close.empty()) return;
    for (size_t at = s->find(open); at != std::string::npos; at = s->find(open, at)) {
        const size_t end = s->find(close, at + open.size());
        if (end == std::string::npos) return;
        s->erase(at, end + close.size() - at);
    }
}

void RemoveLineComments(std::string* s, const std::string& marker) {
    if (!s || marker.empty()) return;
    for (size_t at = s->find(marker); at != std::string::npos; at = s->find(marker, at + 1)) {
        const size_t eol = s->find_first_of("\r\n", at);
        s->erase(at, eol == std::string::npos ? std::string::npos : eol - at);
    }
}

bool IsSurroundedByQuotes(const std::string& s) {
    if (s.empty()) return false;
    return (s.front() == '"' && s.back() == '"') || (s.front() == '\'' && s.back() == '\'');
}

// --- Appending and assigning without exceptions ---

namespace {
template <class S, class Src>
TqErr AppendT(S& dst, const Src& src) {
    return NoThrow([&] { dst.append(src); });
}
template <class S, class Src>
TqErr AssignT(S& dst, const Src& src) {
    return NoThrow([&] { dst.assign(src); });
}
}  // namespace

TqErr AppendNoThrow(std::string& dst, const std::string& src) {
    return AppendT(dst, src);
}
TqErr AppendNoThrow(std::string& dst, const char* src) {
    return src ? AppendT(dst, src) : kErrNone;
}
TqErr AppendNoThrow(std::string& dst, ConstPStr src) {
    return NoThrow([&] { dst.append(BytesOf(src)); });
}
TqErr AppendNoThrow(TQWString& dst, const TQWString& src) {
    return AppendT(dst, src);
}
TqErr AppendNoThrow(TQWString& dst, const TQWChar* src) {
    return src ? AppendT(dst, src) : kErrNone;
}
TqErr AppendNoThrow(TQWString& dst, ConstPStr src) {
    return NoThrow([&] { dst.append(ToWideString(src)); });
}
TqErr AssignNoThrow(std::string& dst, const std::string& src) {
    return AssignT(dst, src);
}
TqErr AssignNoThrow(std::string& dst, const char* src) {
    return src ? AssignT(dst, src) : NoThrow([&] { dst.clear(); });
}
TqErr AssignNoThrow(std::string& dst, ConstPStr src) {
    return NoThrow([&] { dst.assign(BytesOf(src)); });
}
TqErr AssignNoThrow(TQWString& dst, const TQWString& src) {
    return AssignT(dst, src);
}
TqErr AssignNoThrow(TQWString& dst, const TQWChar* src) {
    return src ? AssignT(dst, src) : NoThrow([&] { dst.clear(); });
}
TqErr AssignNoThrow(TQWString& dst, ConstPStr src) {
    return NoThrow([&] { dst.assign(ToWideString(src)); });
}

const std::string& EmptyNarrowString() {
    static const std::string empty;
    return empty;
}

const TQWString& EmptyWideString() {
    static const TQWString empty;
    return empty;
}

}  // namespace StringUtils

Str255Converter::Str255Converter(const std::string& s) {
    StringUtils::ToPStr(s, buffer_);
}

Str255Converter::Str255Converter(const char* s) {
    CToPStr(s, buffer_);
}
