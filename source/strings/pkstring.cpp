// The string classes: PKSubString views over several kinds of storage, PKString and PKTempString.
#include <cstring>
#include <new>
#include <string>

#include "diagnostics/Report.h"
#include "strings/LStrHandles.h"
#include "strings/PackedLists.h"
#include "tqcore/core.h"
#include "tqcore/memory.h"
#include "tqcore/strings.h"

#define TQ_UNIT "source\\pkstring"

using namespace tq::strings;

// Callers hand a PKString* where an LStrHandle* is expected, and a view's fields sit where theirs do.
static_assert(sizeof(PKString) == sizeof(LStrHandle));
static_assert(sizeof(PKSubString) == 32);

namespace {

uChar* Bytes(const char* s) {
    return reinterpret_cast<uChar*>(const_cast<char*>(s));
}

int32 CLength(const char* s) {
    return s ? StrLen(s) : 0;
}

uChar* LStrText(LStr** h) {
    return h && *h ? (*h)->str : nullptr;
}

int32 LStrLength(LStr** h) {
    return h && *h ? Count(*h) : 0;
}

// A byte folded as the case-insensitive forms compare it: as a signed value, only ASCII is folded.
int32 Folded(uChar c) {
    const int32 v = int8(c);
    return v < 0 ? v : ToLower(v);
}

int32 CompareEmpty(int32 length, int32 otherLength) {
    if (length == 0) return otherLength == 0 ? 0 : -1;
    return 1;
}

int32 FoldedCompare(const uChar* a, int32 lengthA, const uChar* b, int32 lengthB) {
    const int32 n = lengthA < lengthB ? lengthA : lengthB;
    for (int32 i = 0; i < n; ++i)
        if (const int32 d = Folded(a[i]) - Folded(b[i])) return d;
    return lengthA - lengthB;
}

int32 Find(const uChar* text, int32 length, const uChar* pattern, int32 patternLength, int32 start,
           bool fold) {
    if (start < 0 || start > length || (patternLength == 0 && start >= length)) return -1;
    for (int32 at = start; at + patternLength <= length; ++at) {
        int32 k = 0;
        if (fold)
            while (k < patternLength && Folded(text[at + k]) == Folded(pattern[k])) ++k;
        else
            while (k < patternLength && text[at + k] == pattern[k]) ++k;
        if (k == patternLength) return at;
    }
    return -1;
}

bool IsBlank(uChar c) {
    return c == 9 || c == 10 || c == 13 || c == 32;
}

// The control block of a temporary string, reached through its owner field.
PKTempString::Control* TempControl(uInt64 owner) {
    return reinterpret_cast<PKTempString::Control*>(uintptr_t(owner));
}

// Text taken from storage that an edit may move or overwrite is copied aside first.
class SourceCopy {
  public:
    SourceCopy(const char* src, int32 length, const uChar* storage, int32 storageLength) : src_(src) {
        const auto* s = reinterpret_cast<const uChar*>(src);
        if (!src || !storage || length <= 0 || s + length <= storage || s >= storage + storageLength) return;
        copy_ = length <= int32(sizeof local_) ? local_ : static_cast<uChar*>(DSNewPtr(uInt64(length)));
        if (!copy_) {
            failed_ = true;
            return;
        }
        std::memcpy(copy_, src, size_t(length));
        src_ = reinterpret_cast<const char*>(copy_);
    }
    ~SourceCopy() {
        if (copy_ && copy_ != local_) DSDisposePtr(copy_);
    }
    SourceCopy(const SourceCopy&) = delete;
    SourceCopy& operator=(const SourceCopy&) = delete;
    const char* Get() const { return src_; }
    bool Failed() const { return failed_; }

  private:
    const char* src_;
    uChar* copy_ = nullptr;
    bool failed_ = false;
    uChar local_[256];
};

}  // namespace

// ---- PKSubString: construction.

PKSubString::PKSubString(const char* s) : PKSubString(Bytes(s), CLength(s), kFixed, 0) {}
PKSubString::PKSubString(const char* s, int32 length) : PKSubString(Bytes(s), length, kFixed, 0) {}
PKSubString::PKSubString(const unsigned char* s, int32 length)
    : PKSubString(const_cast<uChar*>(s), length, kFixed, 0) {}
PKSubString::PKSubString(LStr** h) : PKSubString(LStrText(h), LStrLength(h), kFixed, 0) {}
PKSubString::PKSubString(const PKString& s) : PKSubString(s.Handle()) {}
PKSubString::PKSubString(int32 capacity, char* buffer)
    : PKSubString(Bytes(buffer), CLength(buffer), kCharBuffer, uInt32(capacity)) {}
PKSubString::PKSubString(int32 capacity, char* buffer, int32 length)
    : PKSubString(Bytes(buffer), length, kCharBuffer, uInt32(capacity)) {}
PKSubString::PKSubString(const LStr* s)
    : PKSubString(s ? const_cast<uChar*>(s->str) : nullptr, s ? Count(s) : 0, kFixedLStr, 0) {}
PKSubString::PKSubString(PKString* s)
    : PKSubString(Bytes(s ? s->Data() : nullptr), s ? s->Length() : 0, kString, uintptr_t(s)) {}
PKSubString::PKSubString(LStr*** h) : PKSubString(reinterpret_cast<PKString*>(h)) {}
PKSubString::PKSubString(CPStr** h, int32 index) : PKSubString(nullptr, 0, kListElement, uintptr_t(h)) {
    if (!h || !*h) return;
    uChar* e = CPStrIndex(h, index);
    data_ = e + 1;
    length_ = PackedCount(h) ? e[0] : 0;
}

// ---- Resizing by kind.

TqErr PKSubString::Resize(int32 n) {
    if (n < 0) return 1;
    switch (kind_) {
        case kFixed:
        case 2:
        case 3:
        case kFixedLStr:
            return 1;
        case kPStrBuffer: {
            if (n > 254) return 1;
            uChar* p = reinterpret_cast<uChar*>(uintptr_t(owner_));
            p[0] = uChar(n);
            p[n + 1] = 0;
            data_ = p + 1;
            length_ = n;
            return kErrNone;
        }
        case kCharBuffer:
            if (!data_ || n > int32(uInt32(owner_)) - 1) return 1;
            data_[n] = 0;
            length_ = n;
            return kErrNone;
        case kString: {
            auto* s = reinterpret_cast<PKString*>(uintptr_t(owner_));
            if (!s) return 1;
            const TqErr err = s->Resize(n);
            data_ = Bytes(s->Data());
            length_ = s->Length();
            return err;
        }
        case kListElement: {
            if (n > 255 || !owner_ || !data_) return 1;
            PKHandle list(reinterpret_cast<UHandle>(uintptr_t(owner_)));
            uChar* field = data_;
            const TqErr err = list.ResizeField(&field, uInt64(length_), uInt64(n));
            list.Detach();
            data_ = field;
            if (err) return err;
            data_[-1] = uChar(n);
            length_ = n;
            return kErrNone;
        }
        case kTemp:
            return ResizeTemp(n);
        default:
            TQ_REPORT(kDbgError, "PKSubString::Resize: Unknown m_class (", kind_, ")");
            return kErrNone;
    }
}

// ---- Editing.

TqErr PKSubString::Replace(const char* src, int32 srcLen, int32 at, int32 dstLen) {
    if (at < 0 || at > length_) at = length_;
    if (dstLen < 0 || dstLen > length_ || at + dstLen > length_ || srcLen < 0) {
        TQ_REPORT(kDbgBroken, "BadParams");
        TQ_REPORT(kDbgNote, "Bad Params:at:", at, "\tdstLen:", dstLen, "\tSize:", length_, " \n");
        return 1;
    }
    if (kind_ == kFixed) {
        TQ_REPORT(kDbgNote, "Can't Change Fixed Strings!");
        return 1;
    }
    const SourceCopy source(src, srcLen, data_, length_);
    if (source.Failed()) return kErrMemoryFull;
    const int32 tail = length_ - at - dstLen;
    if (srcLen > dstLen) {
        if (const TqErr err = Resize(length_ - dstLen + srcLen)) return err;
        MoveBlock(data_ + at + dstLen, data_ + at + srcLen, uInt64(tail));
    } else if (srcLen < dstLen) {
        if (!data_) {
            TQ_REPORT(kDbgBroken, "This shouldn't happen");
            return 1;
        }
        MoveBlock(data_ + at + dstLen, data_ + at + srcLen, uInt64(tail));
        if (const TqErr err = Resize(length_ - dstLen + srcLen)) return err;
    }
    if (source.Get() && srcLen > 0) MoveBlock(source.Get(), data_ + at, uInt64(srcLen));
    return kErrNone;
}

TqErr PKSubString::Replace(const PKSubString& src, int32 at, int32 dstLen) {
    return Replace(src.Data(), src.Length(), at, dstLen);
}
TqErr PKSubString::ReplaceCStr(const char* src, int32 at, int32 dstLen) {
    return Replace(src, CLength(src), at, dstLen);
}
TqErr PKSubString::Insert(const char* src, int32 srcLen, int32 at) {
    return Replace(src, srcLen, at, 0);
}
TqErr PKSubString::Insert(const PKSubString& src, int32 at) {
    return Replace(src.Data(), src.Length(), at, 0);
}
TqErr PKSubString::InsertCStr(const char* src, int32 at) {
    return Replace(src, CLength(src), at, 0);
}
TqErr PKSubString::Append(const char* src, int32 srcLen) {
    return Replace(src, srcLen, length_, 0);
}
TqErr PKSubString::Append(const PKSubString& src) {
    return Replace(src.Data(), src.Length(), length_, 0);
}
TqErr PKSubString::AppendCStr(const char* src) {
    return Replace(src, CLength(src), length_, 0);
}

TqErr PKSubString::Assign(const char* src, int32 length) {
    if (length < 0) return 1;
    const SourceCopy source(src, length, data_, length_);
    if (source.Failed()) return kErrMemoryFull;
    if (const TqErr err = Resize(length)) return err;
    if (source.Get() && length > 0) MoveBlock(source.Get(), data_, uInt64(length));
    return kErrNone;
}
TqErr PKSubString::Assign(const PKSubString& src) {
    return Assign(src.Data(), src.Length());
}
TqErr PKSubString::Assign(const PKString& src) {
    return Assign(src.Data(), src.Length());
}
TqErr PKSubString::Assign(LStr** h) {
    return Assign(reinterpret_cast<const char*>(LStrText(h)), LStrLength(h));
}
TqErr PKSubString::Assign(const LStr* s) {
    return Assign(s ? reinterpret_cast<const char*>(s->str) : nullptr, s ? Count(s) : 0);
}
TqErr PKSubString::AssignCStr(const char* src) {
    return Assign(src, CLength(src));
}
TqErr PKSubString::AssignPStr(ConstPStr src) {
    return Assign(src ? reinterpret_cast<const char*>(src + 1) : nullptr, src ? src[0] : 0);
}

TqErr PKSubString::ReplaceBSTR(const TQWChar* wide, int32 length, int32 at, int32 dstLen) {
    if (length < 1) length = wide ? int32(StringUtils::BSTRLength(wide)) : 0;
    std::string narrow;
    try {
        if (wide && length > 0) narrow = ConvertFromUTF16(wide, length);
    } catch (const std::bad_alloc&) {
        return kErrMemoryFull;
    }
    return Replace(narrow.data(), int32(narrow.size()), at, dstLen);
}
TqErr PKSubString::AssignBSTR(const TQWChar* wide, int32 length) {
    return ReplaceBSTR(wide, length, 0, length_);
}
TqErr PKSubString::AppendBSTR(const TQWChar* wide, int32 length) {
    return ReplaceBSTR(wide, length, length_, 0);
}

// ---- Formatting through the engine.

// The formatted text and its length. Short results are formatted once into local storage; longer ones are
// measured by the engine first and formatted in place.
class Formatted {
  public:
    Formatted(const char* format, va_list args) : format_(Bytes(format)), formatLen_(CLength(format)) {
        va_copy(args_, args);
        va_list first;
        va_copy(first, args);
        length_ = SPrintfv(local_, sizeof local_, format_, formatLen_, first);
        va_end(first);
        if (length_ < int32(sizeof local_)) return;
        va_copy(first, args);
        length_ = SPrintfv(nullptr, 0xFFFFFFFFu, format_, formatLen_, first);
        va_end(first);
        inLocal_ = false;
    }
    ~Formatted() { va_end(args_); }
    Formatted(const Formatted&) = delete;
    Formatted& operator=(const Formatted&) = delete;

    int32 Length() const { return length_; }
    // Writes at most limit bytes of the text at dst.
    void WriteTo(uChar* dst, int32 limit) {
        if (limit <= 0) return;
        if (inLocal_)
            MoveBlock(local_, dst, uInt64(limit < length_ ? limit : length_));
        else
            SPrintfv(dst, uInt32(limit), format_, formatLen_, args_);
    }

  private:
    const uChar* format_;
    int32 formatLen_;
    va_list args_;
    int32 length_ = 0;
    bool inLocal_ = true;
    uChar local_[256];
};

TqErr PKSubString::PrintfV(const char* format, va_list args) {
    Formatted text(format, args);
    if (const TqErr err = Resize(text.Length())) return err;
    text.WriteTo(data_, length_);
    return kErrNone;
}

TqErr PKSubString::AppendPrintfV(const char* format, va_list args) {
    Formatted text(format, args);
    const int32 old = length_;
    if (const TqErr err = Resize(old + text.Length())) return err;
    if (length_ != old + text.Length()) {
        TQ_REPORT(kDbgBroken, "PKSubStringPrintf error");
        return 1;
    }
    text.WriteTo(data_ + old, text.Length());
    return kErrNone;
}

TqErr PKSubString::Printf(const char* format, ...) {
    va_list args;
    va_start(args, format);
    const TqErr err = PrintfV(format, args);
    va_end(args);
    return err;
}

TqErr PKSubString::AppendPrintf(const char* format, ...) {
    va_list args;
    va_start(args, format);
    const TqErr err = AppendPrintfV(format, args);
    va_end(args);
    return err;
}

// ---- Comparing and searching.

int32 PKSubString::Compare(const char* s, int32 length) const {
    if (length_ == 0 || length <= 0) return CompareEmpty(length_, length > 0 ? length : 0);
    return CompareBytes(data_, length_, Bytes(s), length);
}
int32 PKSubString::Compare(const PKSubString& other) const {
    return Compare(other.Data(), other.Length());
}
int32 PKSubString::CompareCStr(const char* s) const {
    return Compare(s, CLength(s));
}
int32 PKSubString::CompareNC(const char* s, int32 length) const {
    if (length_ == 0 || length <= 0) return CompareEmpty(length_, length > 0 ? length : 0);
    return FoldedCompare(data_, length_, Bytes(s), length);
}
int32 PKSubString::CompareNC(const PKSubString& other) const {
    return CompareNC(other.Data(), other.Length());
}
int32 PKSubString::CompareNCCStr(const char* s) const {
    return CompareNC(s, CLength(s));
}

int32 PKSubString::Search(const char* pattern, int32 length, int32 start) const {
    return Find(data_, length_, Bytes(pattern), length > 0 ? length : 0, start, false);
}
int32 PKSubString::Search(const PKSubString& pattern, int32 start) const {
    return Search(pattern.Data(), pattern.Length(), start);
}
int32 PKSubString::SearchCStr(const char* pattern, int32 start) const {
    return Search(pattern, CLength(pattern), start);
}
int32 PKSubString::SearchNC(const char* pattern, int32 length, int32 start) const {
    return Find(data_, length_, Bytes(pattern), length > 0 ? length : 0, start, true);
}
int32 PKSubString::SearchNC(const PKSubString& pattern, int32 start) const {
    return SearchNC(pattern.Data(), pattern.Length(), start);
}
int32 PKSubString::SearchNCCStr(const char* pattern, int32 start) const {
    return SearchNC(pattern, CLength(pattern), start);
}

int32 PKSubString::FindFirstOf(const char* set, int32 length, int32 start) const {
    if (start < 0 || !set || length <= 0) return -1;
    for (int32 at = start; at < length_; ++at)
        if (std::memchr(set, data_[at], size_t(length))) return at;
    return -1;
}
int32 PKSubString::FindFirstOf(const PKSubString& set, int32 start) const {
    return FindFirstOf(set.Data(), set.Length(), start);
}
int32 PKSubString::FindFirstOfCStr(const char* set, int32 start) const {
    return FindFirstOf(set, CLength(set), start);
}

TqErr PKSubString::SearchReplace(const PKSubString& find, const PKSubString& replace, int32* count) {
    if (count) *count = 0;
    if (find.Length() <= 0) return kErrNone;
    for (int32 at = Search(find, 0); at >= 0;) {
        if (const TqErr err = Replace(replace, at, find.Length())) return err;
        if (count) ++*count;
        at = Search(find, at + replace.Length());
    }
    return kErrNone;
}

void PKSubString::TrimWhitespace() {
    while (length_ > 0 && IsBlank(data_[0])) {
        ++data_;
        --length_;
    }
    while (length_ > 0 && IsBlank(data_[length_ - 1])) --length_;
}

// ---- Copies out.

void PKSubString::CopyToCStr(char* buffer, int32 size) const {
    if (size < 1 || !buffer) {
        TQ_REPORT(kDbgBroken, "Bad Arg");
        return;
    }
    const int32 n = length_ < size - 1 ? length_ : size - 1;
    if (n > 0) std::memcpy(buffer, data_, size_t(n));
    buffer[n] = 0;
}

void PKSubString::CopyToPStr(PStr buffer) const {
    if (!buffer) return;
    const int32 n = length_ < 255 ? length_ : 255;
    buffer[0] = uChar(n);
    if (n > 0) std::memcpy(buffer + 1, data_, size_t(n));
}

TqErr PKSubString::CopyToNarrowString(std::string* out) const {
    if (!out) return kErrArgument;
    try {
        if (length_ > 0)
            out->assign(reinterpret_cast<const char*>(data_), size_t(length_));
        else
            out->clear();
    } catch (const std::bad_alloc&) {
        return kErrMemoryFull;
    } catch (...) {
        return kErrGeneric;
    }
    return kErrNone;
}

// ---- PKTempString.

PKTempString::PKTempString() : PKSubString(control_.buffer, 0, kTemp, uintptr_t(&control_)), control_{} {
    data_ = control_.buffer;
}

PKTempString::~PKTempString() = default;

TqErr PKSubString::ResizeTemp(int32 n) {
    PKTempString::Control* c = TempControl(owner_);
    if (n <= 255) {
        if (c->inHandle) {
            std::memcpy(c->buffer, c->string.Data(), size_t(n < length_ ? n : length_));
            c->string.Resize(0);
            c->inHandle = 0;
        }
        data_ = c->buffer;
        length_ = n;
        return kErrNone;
    }
    if (const TqErr err = c->string.Resize(n)) return err;
    uChar* text = Bytes(c->string.Data());
    if (!c->inHandle) {
        std::memcpy(text, c->buffer, size_t(length_));
        c->inHandle = 1;
    }
    data_ = text;
    length_ = c->string.Length();
    return kErrNone;
}

// ---- PKString.

PKString::~PKString() {
    Dispose(handle_);
}

TqErr PKString::Resize(int32 n) {
    if (n < 0) return kErrArgument;
    if (n == 0) {
        Dispose(handle_);
        handle_ = nullptr;
        return kErrNone;
    }
    if (!handle_) {
        handle_ = NewLStr(kLStrHeader + n);
        if (!handle_) return kErrMemoryFull;
    } else if (const TqErr err = tq::strings::Resize(handle_, kLStrHeader + n)) {
        return err;
    }
    (*handle_)->cnt = n;
    return kErrNone;
}

TqErr PKString::Assign(const char* s, int32 length) {
    return PKSubString(this).Assign(s, length);
}

TqErr PKString::Printf(const char* format, ...) {
    va_list args;
    va_start(args, format);
    const TqErr err = PKSubString(this).PrintfV(format, args);
    va_end(args);
    return err;
}

TqErr PKString::AppendPrintf(const char* format, ...) {
    va_list args;
    va_start(args, format);
    const TqErr err = PKSubString(this).AppendPrintfV(format, args);
    va_end(args);
    return err;
}

void PKString::CopyToCStr(char* buffer, int32 size) const {
    PKSubString(*this).CopyToCStr(buffer, size);
}

void PKString::CopyToPStr(PStr buffer) const {
    PKSubString(*this).CopyToPStr(buffer);
}

TqErr PKString::CopyToNarrowString(std::string* out) const {
    return PKSubString(*this).CopyToNarrowString(out);
}
