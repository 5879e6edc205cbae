// The readers of path text, one per named format, and the platform-agnostic reader.
#include "paths/PathFormatReader.h"

#include <new>

#include "paths/PathTextFormat.h"
#include "platform/CodePage.h"
#include "platform/CurrentDirectory.h"
#include "tqcore/core.h"

#define TQ_UNIT "source\\PathRef"

namespace WidePathFormat {

// --- Base reader ---

PathFormatReader::Iterator PathFormatReader::Begin() {
    Iterator it{this, -1, -1};
    FirstItem(it.start, it.length);
    return it;
}

int32 PathFormatReader::LengthFrom(int32 start) {
    if (start < 0 || start >= size_) return 0;
    const int32 separator = FindSeparator(start);
    return (separator < 0 ? size_ : separator) - start;
}

void PathFormatReader::NextItem(int32& start, int32& length) {
    start = start + length + 1;
    length = LengthFrom(start);
}

void PathFormatReader::FirstItem(int32& start, int32& length) {
    start = FirstItemStart();
    length = start < 0 ? -1 : LengthFrom(start);
}

bool PathFormatReader::GetItem(int32 start, int32 length, std::string& out) {
    return Extract(start, length, out);
}

bool PathFormatReader::HasItem(int32 start, int32 length) {
    return start != -1 && length != -1 && start < size_ && start + length <= size_;
}

bool PathFormatReader::IsSeparatorAt(int32 i) {
    return i >= 0 && i < size_ && NextCharIndex(i) == i + 1;
}

int32 PathFormatReader::NextCharIndex(int32 i) {
    if (i + 1 < size_ && tq::platform::AnsiIsLeadByte(uChar(text_[size_t(i)]))) return i + 2;
    return i + 1;
}

int32 PathFormatReader::FirstItemStart() {
    if (IsSeparatorAt(0)) return size_ < 2 ? -1 : 1;
    return size_ == 0 ? -1 : 0;
}

int32 PathFormatReader::FindSeparator(int32 from) {
    for (int32 i = from < 0 ? 0 : from; i < size_; i = NextCharIndex(i))
        if (IsSeparatorAt(i)) return i;
    return -1;
}

bool PathFormatReader::Extract(int32 start, int32 length, std::string& out) {
    if (start < 0 || length < 0 || start > size_ || length > size_ - start) {
        out.clear();
        return false;
    }
    out.assign(text_, size_t(start), size_t(length));
    return true;
}

void PathFormatReaderDotted::SkipDotItems(int32& start, int32& length) {
    while (HasItem(start, length) && (length == 0 || (length == 1 && ByteAt(start, '.'))))
        PathFormatReader::NextItem(start, length);
}

// --- Colon-separated text ---

PathBase PathFormatReaderMac::GetBase() {
    if (size_ == 0) return kBaseAbsolute;
    if (ByteAt(0, ':') || FindSeparator(0) < 0) return kBaseRelative;
    return kBaseAbsolute;
}

bool PathFormatReaderMac::IsSeparatorAt(int32 i) {
    return ByteAt(i, ':') && PathFormatReader::IsSeparatorAt(i);
}

// --- Platform-independent text ---

PathBase PathFormatReaderPlatformIndependent::GetBase() {
    if (size_ > 1 && ByteAt(0, '/')) {
        if (size_ < 5) return kBaseAbsolute;
        return ByteAt(1, '/') && FindSeparator(3) >= 0 ? kBaseUNC : kBaseAbsolute;
    }
    return size_ > 0 ? kBaseRelative : kBaseAbsolute;
}

bool PathFormatReaderPlatformIndependent::IsSeparatorAt(int32 i) {
    return ByteAt(i, '/') && PathFormatReader::IsSeparatorAt(i);
}

void PathFormatReaderPlatformIndependent::FirstUNCItem(int32& start, int32& length) {
    start = 0;
    const int32 server = FindSeparator(2);
    const int32 share = server < 0 ? -1 : FindSeparator(server + 1);
    length = share < 0 ? size_ : share;
}

void PathFormatReaderPlatformIndependent::FirstItem(int32& start, int32& length) {
    const PathBase base = GetBase();
    if (base == kBaseUNC) return FirstUNCItem(start, length);
    PathFormatReader::FirstItem(start, length);
    if (base == kBaseRelative) SkipDotItems(start, length);
}

void PathFormatReaderPlatformIndependent::NextItem(int32& start, int32& length) {
    PathFormatReader::NextItem(start, length);
    SkipDotItems(start, length);
}

bool PathFormatReaderPlatformIndependent::GetItem(int32 start, int32 length, std::string& out) {
    if (!Extract(start, length, out)) return false;
    if (out == "..") out.clear();
    if (start != 0 || GetBase() != kBaseUNC || out.size() < 2) return true;
    // Item 0 of a network path is stored in the Windows form \\server\share.
    out[0] = out[1] = '\\';
    const int32 server = FindSeparator(2);
    if (server >= 0 && server < length)
        out[size_t(server)] = '\\';
    else
        out += '\\';
    return true;
}

// --- Unix text ---

PathBase PathFormatReaderUnix::GetBase() {
    if (size_ == 0 || ByteAt(0, '/')) return kBaseAbsolute;
    if (size_ < 3) return kBaseRelative;
    return ByteAt(0, '\\') && ByteAt(1, '\\') ? kBaseUNC : kBaseRelative;
}

bool PathFormatReaderUnix::IsSeparatorAt(int32 i) {
    return ByteAt(i, '/');
}

int32 PathFormatReaderUnix::NextCharIndex(int32 i) {
    return i + 1;
}

void PathFormatReaderUnix::FirstItem(int32& start, int32& length) {
    if (GetBase() == kBaseUNC) {
        start = 0;
        length = LengthFrom(0);
        return;
    }
    PathFormatReader::FirstItem(start, length);
    SkipDotItems(start, length);
}

void PathFormatReaderUnix::NextItem(int32& start, int32& length) {
    PathFormatReader::NextItem(start, length);
    SkipDotItems(start, length);
}

bool PathFormatReaderUnix::GetItem(int32 start, int32 length, std::string& out) {
    if (!Extract(start, length, out)) return false;
    if (out == "..") out.clear();
    return true;
}

// --- Windows text ---

PathFormatReaderWin::PathFormatReaderWin(const std::string& text)
    : PathFormatReaderPlatformIndependent(text) {
    base_ = DecideBase();
}

PathBase PathFormatReaderWin::DecideBase() {
    if (size_ >= 3 && ByteAt(0, '\\') && ByteAt(1, '\\')) return kBaseUNC;
    const int32 backslash = FindSeparator(0);
    if (backslash >= 2 && ByteAt(backslash - 1, ':')) return kBaseAbsolute;
    if (size_ == 0 || backslash == 0) return kBaseAbsolute;
    const int32 colon = FindColon(0);
    if (colon < 0 || (backslash >= 0 && colon > backslash)) return kBaseRelative;
    return kBaseAbsolute;
}

PathBase PathFormatReaderWin::GetBase() {
    return base_;
}

bool PathFormatReaderWin::IsSeparatorAt(int32 i) {
    return ByteAt(i, '\\') && PathFormatReader::IsSeparatorAt(i);
}

int32 PathFormatReaderWin::FirstItemStart() {
    return 0;
}

int32 PathFormatReaderWin::FindColon(int32 from) {
    for (int32 i = from < 0 ? 0 : from; i < size_; i = NextCharIndex(i))
        if (ByteAt(i, ':') && NextCharIndex(i) == i + 1) return i;
    return -1;
}

void PathFormatReaderWin::FirstItem(int32& start, int32& length) {
    if (base_ == kBaseUNC) return FirstUNCItem(start, length);
    PathFormatReader::FirstItem(start, length);
    if (base_ == kBaseRelative) return SkipDotItems(start, length);
    // The volume ends at its colon, or at the first separator of a text rooted without one.
    const int32 colon = FindColon(0);
    if (colon >= 0 && colon < length) length = colon;
}

void PathFormatReaderWin::NextItem(int32& start, int32& length) {
    PathFormatReader::NextItem(start, length);
    if (base_ == kBaseAbsolute) {
        const int32 firstSeparator = FindSeparator(0);
        int32 s = start;
        while (ByteAt(s, ':') && (firstSeparator < 0 || s < firstSeparator)) ++s;
        if (s != start) start = s, length = LengthFrom(s);
    }
    SkipDotItems(start, length);
}

bool PathFormatReaderWin::GetItem(int32 start, int32 length, std::string& out) {
    if (!PathFormatReaderPlatformIndependent::GetItem(start, length, out)) return false;
    if (base_ != kBaseAbsolute || start != 0) return true;
    while (!out.empty() && out.back() == ':') out.pop_back();
    if (out.empty()) out = tq::platform::CurrentVolume();
    return !out.empty();
}

}  // namespace WidePathFormat

namespace tq::paths {

TqErr ReadWith(WidePathFormat::PathFormatReader& reader, PathRef* out) {
    try {
        PathRef path(reader.GetBase());
        std::string item;
        for (auto it = reader.Begin(); reader.HasItem(it.start, it.length);
             reader.NextItem(it.start, it.length))
            if (reader.GetItem(it.start, it.length, item)) path.Append(item);
        if (!path.IsValid()) return kErrArgument;
        *out = path;
        return kErrNone;
    } catch (const PKExcept& e) {
        return e.ErrorCode() ? e.ErrorCode() : kErrArgument;
    } catch (const std::bad_alloc&) {
        return kErrMemoryFull;
    }
}

namespace {

using namespace WidePathFormat;

template <class Reader>
TqErr ParseAs(const std::string& text, PathRef* out) {
    Reader reader(text);
    return ReadWith(reader, out);
}

// Text of unknown origin: the form its first separators suggest, else the reading with the most items.
TqErr ParseAgnostic(const std::string& text, PathRef* out) {
    const size_t colon = text.find(':'), backslash = text.find('\\'), slash = text.find('/');
    if (slash == 0) return ParseAs<PathFormatReaderUnix>(text, out);
    if (colon != std::string::npos && backslash == colon + 1 && (slash == std::string::npos || slash > colon))
        return ParseAs<PathFormatReaderWin>(text, out);
    TqErr (*const readers[])(const std::string&, PathRef*) = {
        ParseAs<PathFormatReaderWin>, ParseAs<PathFormatReaderMac>, ParseAs<PathFormatReaderUnix>};
    TqErr firstError = kErrNone;
    bool found = false;
    PathRef best;
    for (auto read : readers) {
        PathRef candidate;
        const TqErr err = read(text, &candidate);
        if (err) {
            if (!firstError) firstError = err;
        } else if (!found || candidate.ItemCount() > best.ItemCount()) {
            best = candidate;
            found = true;
        }
    }
    if (!found) return firstError ? firstError : kErrGeneric;
    *out = best;
    return kErrNone;
}

}  // namespace

TqErr ReadPath(const std::string& text, const char* format, PathRef* out) {
    if (!format || !out) return kErrArgument;
    const TextFormat* f = FindTextFormat(format);
    if (!f) return kErrNotSupported;
    switch (f->reader) {
        case ReaderKind::kWin:
            return ParseAs<PathFormatReaderWin>(text, out);
        case ReaderKind::kUnix:
            return ParseAs<PathFormatReaderUnix>(text, out);
        case ReaderKind::kPlatformIndependent:
            return ParseAs<PathFormatReaderPlatformIndependent>(text, out);
        default:
            return ParseAgnostic(text, out);
    }
}

}  // namespace tq::paths

PathRef::PathRef(const std::string& text, const char* format) {
    const tq::paths::TextFormat* f = tq::paths::FindTextFormat(format);
    if (f && f->commandLine && text.empty())
        throw PKExcept(kErrArgument, "Empty command line strings cannot be converted to Path", TQ_UNIT,
                       __LINE__);
    const TqErr err = tq::paths::ReadPath(text, format, this);
    if (err) throw PKExcept(err, "PathRef from string constructor", TQ_UNIT, __LINE__);
}
