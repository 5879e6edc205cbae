// Every converter that fills a caller's buffer, on arbitrary text and output sizes, into heap blocks of
// exactly that size, so that a write past the end is caught. Checks against the allocating forms: a buffer
// form succeeds exactly when the text and its NUL fit, and then holds the same text.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/CodePage.h"
#include "tqcore/core.h"
#include "tqcore/strings.h"

namespace {

using namespace StringUtils;

void Check(bool ok) {
    if (!ok) std::abort();
}

// A heap block of exactly n elements (none at all for 0, which ASan still tracks).
template <class T>
class Exact {
  public:
    explicit Exact(size_t n) : p_(static_cast<T*>(std::malloc(n * sizeof(T)))), n_(n) {}
    // A copy of the text, with a NUL after it when `terminated`.
    Exact(const std::basic_string<T>& text, bool terminated) : Exact(text.size() + (terminated ? 1 : 0)) {
        std::memcpy(p_, text.data(), text.size() * sizeof(T));
        if (terminated) p_[text.size()] = T(0);
    }
    ~Exact() { std::free(p_); }
    Exact(const Exact&) = delete;
    Exact& operator=(const Exact&) = delete;
    T* get() const { return p_; }
    int32 size() const { return int32(n_); }

  private:
    T* p_;
    size_t n_;
};

// Input layout: code-page choice, size choice, flags, then the text (wide text reads it as UTF-16LE).
struct Input {
    uInt32 codePage;
    uint8_t sizeChoice;
    uint8_t flags;
    std::string narrow;
    TQWString wide;
};

constexpr uInt32 kCodePages[] = {1252, 932, 936, 949, 950, 1251, 1250, 65001};

Input Parse(const uint8_t* data, size_t size) {
    Input in{kCodePages[data[0] % (sizeof kCodePages / sizeof kCodePages[0])], data[1], data[2], {}, {}};
    in.narrow.assign(reinterpret_cast<const char*>(data + 3), size - 3);
    for (size_t i = 3; i + 1 < size; i += 2) in.wide.push_back(TQWChar(data[i] | data[i + 1] << 8));
    return in;
}

// Sizes around the one that just fits, or anywhere small.
int32 OutputSize(uint8_t choice, int32 fits) {
    if (choice & 0x80) return fits - (choice & 3) < 0 ? 0 : fits - (choice & 3);
    return choice & 0x7F;
}

template <class C>
std::basic_string<C> UpToNul(const std::basic_string<C>& s) {
    return s.substr(0, s.find(C(0)));
}

// The buffer form against the allocating one (which gives the converted text, or 1 for empty input). The
// text sits in an exact block too: with a length there is no terminator to lean on.
template <class From, class To, class Fill, class Alloc>
void BufferAgainstAllocating(const std::basic_string<From>& text, uint8_t sizeChoice, Fill fill,
                             Alloc alloc) {
    const Exact<From> in(text, false);
    To* whole = nullptr;
    int32 wholeLength = 0;
    const int32 allocated = alloc(in.get(), in.size(), &whole, &wholeLength);
    Check(allocated == 0 || allocated == 1);
    Check(allocated == 1 ? whole == nullptr : wholeLength > 0);
    if (allocated == 1 && !text.empty()) return;  // nothing to compare with
    const int32 fits = text.empty() ? 1 : wholeLength + 1;
    Exact<To> out(size_t(OutputSize(sizeChoice, fits)));
    const int32 r = fill(in.get(), in.size(), out.get(), out.size());
    Check(r == (out.size() >= fits ? 0 : 1));
    if (r == 0) {
        Check(out.get()[fits - 1] == To(0));
        Check(fits == 1 || std::memcmp(out.get(), whole, size_t(fits - 1) * sizeof(To)) == 0);
    } else if (out.size() > 0) {
        Check(out.get()[0] == To(0));  // a failure leaves an empty text, not a torn one
    }
    delete[] whole;
}

// The variants without a length read up to the terminator and give what the length forms give.
template <class From, class To, class Fill, class FillCounted>
void TerminatedForm(const std::basic_string<From>& text, uint8_t sizeChoice, Fill fill, FillCounted counted) {
    const std::basic_string<From> cut = UpToNul(text);
    const Exact<From> z(cut, true);
    const int32 size = OutputSize(sizeChoice, int32(cut.size()) * 3 + 1);
    Exact<To> out{size_t(size)}, expected{size_t(size)};
    const int32 r = fill(z.get(), out.get(), out.size());
    Check(r == counted(z.get(), int32(cut.size()), expected.get(), expected.size()));
    if (r != 0) return;
    const size_t n = std::char_traits<To>::length(expected.get());
    Check(std::char_traits<To>::length(out.get()) == n);
    Check(std::char_traits<To>::compare(out.get(), expected.get(), n) == 0);
}

void Utf8Forms(const Input& in) {
    auto toUtf8 = [](const TQWChar* s, int32 n, char* o, int32 size) {
        return ToUTF8FromWideString(s, n, o, size);
    };
    auto toWide = [](const char* s, int32 n, TQWChar* o, int32 size) {
        return ToWideStringFromUTF8(s, n, o, size);
    };
    BufferAgainstAllocating<TQWChar, char>(
        in.wide, in.sizeChoice, toUtf8,
        [](const TQWChar* s, int32 n, char** o, int32* len) { return ToUTF8FromWideString(s, n, o, len); });
    BufferAgainstAllocating<char, TQWChar>(
        in.narrow, in.sizeChoice, toWide,
        [](const char* s, int32 n, TQWChar** o, int32* len) { return ToWideStringFromUTF8(s, n, o, len); });
    TerminatedForm<TQWChar, char>(
        in.wide, in.sizeChoice,
        [](const TQWChar* s, char* o, int32 size) { return ToUTF8FromWideString(s, o, size); }, toUtf8);
    TerminatedForm<char, TQWChar>(
        in.narrow, in.sizeChoice,
        [](const char* s, TQWChar* o, int32 size) { return ToWideStringFromUTF8(s, o, size); }, toWide);
}

// The ANSI buffer forms convert up to and including the NUL: units written, or 0 when they do not fit.
template <class From, class To, class Fill>
void AnsiForm(const std::basic_string<From>& text, const std::basic_string<To>& whole, uint8_t sizeChoice,
              Fill fill) {
    const std::basic_string<From> cut = UpToNul(text);
    const Exact<From> z(cut, true);
    const int32 fits = int32(whole.size()) + 1;
    Exact<To> out(size_t(OutputSize(sizeChoice, fits)));
    const int32 r = fill(z.get(), out.get(), out.size());
    Check(r >= 0 && r <= out.size());
    if (cut.empty() || !whole.empty()) Check(r == (out.size() >= fits ? fits : 0));
    if (r > 0 && r == fits) Check(std::memcmp(out.get(), whole.data(), size_t(r) * sizeof(To)) == 0);
}

void AnsiForms(const Input& in) {
    if (!tq::platform::SetAnsiCodePage(in.codePage)) return;
    AnsiForm(in.narrow, ConvertToUTF16(UpToNul(in.narrow)), in.sizeChoice,
             [](const char* s, TQWChar* o, int32 cap) { return ConvertToUTF16(s, o, cap); });
    AnsiForm(in.wide, ConvertFromUTF16(UpToNul(in.wide)), in.sizeChoice,
             [](const TQWChar* s, char* o, int32 cap) { return ConvertFromUTF16(s, o, cap); });
}

// The platform conversions themselves: filling writes what measuring announced, or fails when it does not
// fit. Capacity 0 measures, so only non-empty blocks are filled.
template <class From, class To, class Convert>
void PlatformForm(const std::basic_string<From>& text, uint8_t sizeChoice, Convert convert) {
    if (text.empty()) return;
    const Exact<From> in(text, false);
    const int32 needed = convert(in.get(), in.size(), static_cast<To*>(nullptr), 0);
    Check(needed >= 0);
    const Exact<To> out(size_t(OutputSize(sizeChoice, needed)));
    if (out.size() == 0) return;
    const int32 r = convert(in.get(), in.size(), out.get(), out.size());
    Check(r == (out.size() >= needed ? needed : 0));
}

void PlatformForms(const Input& in) {
    namespace p = tq::platform;
    const uInt32 cp = in.codePage, flags = (in.flags & 1) ? p::kConvertStrict : 0;
    PlatformForm<char, TQWChar>(in.narrow, in.sizeChoice, [=](const char* s, int32 n, TQWChar* o, int32 cap) {
        return p::MultiByteToWide(cp, flags, s, n, o, cap);
    });
    PlatformForm<TQWChar, char>(in.wide, in.sizeChoice, [=](const TQWChar* s, int32 n, char* o, int32 cap) {
        return p::WideToMultiByte(cp, flags, s, n, o, cap);
    });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3 || size > 4096) return 0;
    const Input in = Parse(data, size);
    Utf8Forms(in);
    AnsiForms(in);
    PlatformForms(in);
    std::string s = in.narrow;
    CodePageStringToUTF8String(in.codePage, s);
    return 0;
}
