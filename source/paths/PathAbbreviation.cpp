// Abbreviated display strings of paths, and paths on debug streams.
#include <algorithm>
#include <string>
#include <vector>

#include "paths/PathTextFormat.h"
#include "platform/CodePage.h"
#include "tqcore/core.h"
#include "tqcore/diagnostics.h"
#include "tqcore/paths.h"
#include "tqcore/strings.h"

#define TQ_UNIT "source\\PathAbbreviation"

namespace {

constexpr const char* kWhere = "TrimFromFrontAbbreviationStyle::PerformAbbreviation";
constexpr size_t kLongestDebugText = 253;

size_t CharLength(const std::string& s, size_t at) {
    return at + 1 < s.size() && tq::platform::AnsiIsLeadByte(uChar(s[at])) ? 2 : 1;
}

void Check(TqErr err) {
    if (err) throw PKExcept(err, kWhere, TQ_UNIT, __LINE__);
}

// The name, losing leading characters behind "..." until it fits; empty when nothing of it fits.
std::string ShortText(const PathRef& p, const MeasurementStyle& measure) {
    const std::string name = p.Name();
    std::string text = name;
    for (size_t cut = 0; measure.StringIsTooLong(text);) {
        if (cut >= name.size()) return std::string();
        cut += CharLength(name, cut);
        text = "..." + name.substr(cut);
    }
    return text;
}

// The display text with items elided after the volume, then the volume too; the short text when even the
// last item alone does not fit.
std::string FullText(const PathRef& p, const MeasurementStyle& measure) {
    const tq::paths::TextFormat& display = *tq::paths::FindTextFormat(PathRef::StringDisplay());
    std::string text;
    Check(tq::paths::WritePath(p, display, &text));
    const int32 n = p.ItemCount();
    for (int32 last = 1; n >= 3 && last <= n - 2 && measure.StringIsTooLong(text); ++last)
        Check(tq::paths::WriteElidedPath(p, display, 1, last, &text));
    if (n > 1 && measure.StringIsTooLong(text))
        Check(tq::paths::WriteElidedPath(p, display, 0, n - 2, &text));
    return measure.StringIsTooLong(text) ? ShortText(p, measure) : text;
}

// True when two of the paths end in the same name (case ignored): names alone would not tell them apart.
bool NamesCollide(const std::list<PathRef>& paths) {
    std::vector<std::string> names;
    names.reserve(paths.size());
    for (const PathRef& p : paths) names.push_back(p.Name());
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return StringUtils::CaseInsensitiveCompare(a, b) < 0;
    });
    return std::adjacent_find(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
               return StringUtils::CaseInsensitiveEqual(a, b);
           }) != names.end();
}

}  // namespace

MeasurementStyle::~MeasurementStyle() = default;
AbbreviationStyle::~AbbreviationStyle() = default;

bool CharCountMeasurementStyle::StringIsTooLong(const std::string& text) const {
    uInt64 count = 0;
    for (size_t i = 0; i < text.size(); i += CharLength(text, i)) ++count;
    return count > limit_;
}

TqErr TrimFromFrontAbbreviationStyle::PerformAbbreviation(const std::list<PathRef>& paths,
                                                          std::vector<std::string>* out,
                                                          const MeasurementStyle& measure) const {
    if (!out) return kErrArgument;
    const bool full = GetForceFullPathStrings() || NamesCollide(paths);
    for (const PathRef& p : paths) out->push_back(full ? FullText(p, measure) : ShortText(p, measure));
    return kErrNone;
}

TqErr PathRef::ToAbbreviatedDisplayStrings(const std::list<PathRef>& paths, std::vector<std::string>* out,
                                           const AbbreviationStyle& style, const MeasurementStyle& measure) {
    if (!out) return kErrArgument;
    return style.PerformAbbreviation(paths, out, measure);
}

void ToDebugStream(DebugStream& s, const PathRef& p) {
    std::string text;
    const TqErr err = p.ConvertToString(&text, PathRef::StringDisplay());
    if (err) {
        ToDebugStream(s, "<display path error=");
        ToDebugStream(s, int32(err));
        return;
    }
    ToDebugStream(s, text.size() < kLongestDebugText ? text.c_str() : "<path too long>");
}
