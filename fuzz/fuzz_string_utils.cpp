// The split, join, trim, replace and comment utilities over arbitrary text: no access outside the strings,
// and the round trips that exist give the input back.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tqcore/core.h"
#include "tqcore/strings.h"

namespace {

using namespace StringUtils;

void Check(bool ok) {
    if (!ok) std::abort();
}

// Input layout: one control byte, then fields separated by 0xFF: text, a pattern, a replacement.
struct Fields {
    uint8_t control = 0;
    std::string text, pattern, replacement;
};

Fields Parse(const uint8_t* data, size_t size) {
    Fields f;
    if (size == 0) return f;
    f.control = data[0];
    std::string* out[] = {&f.text, &f.pattern, &f.replacement};
    size_t field = 0;
    for (size_t i = 1; i < size; ++i) {
        if (data[i] == 0xFF && field < 2) {
            ++field;
            continue;
        }
        out[field]->push_back(char(data[i]));
    }
    return f;
}

void SplitJoin(const Fields& f) {
    const char delimiter = f.pattern.empty() ? ',' : f.pattern[0];
    std::vector<std::string> pieces;
    Split(f.text, std::string(1, delimiter), &pieces, kKeepEmptyPieces);
    std::string joined;
    Join(pieces, std::string(1, delimiter), &joined);
    Check(joined == f.text);
    Split(f.text, f.pattern, &pieces, kRemoveEmptyPieces);
    for (const std::string& p : pieces) Check(!p.empty() && p.find_first_of(f.pattern) == std::string::npos);
}

void TrimChecks(const Fields& f) {
    std::string t = f.text;
    Trim(&t, StringTrimmingPolicy(f.control & 3));
    Check(t.size() <= f.text.size());
    Check(f.text.find(t) != std::string::npos);
    if ((f.control & 3) == kTrimBoth && !t.empty()) {
        Check(t.front() != ' ' && t.front() != '\t' && t.back() != ' ' && t.back() != '\t');
    }
}

// Replacing the pattern by a byte found nowhere else and back restores the text.
void ReplaceRoundTrip(const Fields& f) {
    if (f.pattern.empty()) return;
    char marker = 0;
    for (int c = 1; c < 256 && !marker; ++c)
        if (f.text.find(char(c)) == std::string::npos && f.pattern.find(char(c)) == std::string::npos)
            marker = char(c);
    if (!marker) return;
    std::string s = f.text;
    SearchAndReplace(&s, f.pattern, std::string(1, marker));
    Check(s.find(f.pattern) == std::string::npos || f.pattern.size() > 1);
    SearchAndReplace(&s, std::string(1, marker), f.pattern);
    Check(s == f.text);
    std::string first = f.text;
    const size_t next = SearchAndReplaceTheFirst(&first, f.pattern, f.replacement);
    Check(next == std::string::npos || next < first.size());
    std::string from = f.text;
    SearchAndReplaceFromPosition(from, f.pattern, f.replacement, int32(f.control));
}

void Comments(const Fields& f) {
    std::string s = f.text;
    RemoveBlockComments(&s, f.pattern, f.replacement);
    Check(s.size() <= f.text.size());
    s = f.text;
    RemoveLineComments(&s, f.pattern);
    Check(s.size() <= f.text.size());
}

void PascalForms(const Fields& f) {
    Str255 src, dst, before, after;
    StringUtils::ToPStr(f.text, src);
    const std::string find = f.pattern.substr(0, f.pattern.find('\0'));
    const std::string repl = f.replacement.substr(0, f.replacement.find('\0'));
    PStrFindReplace(dst, src, find.c_str(), repl.c_str());
    PStrSplitAtChar(src, f.control, before, after);
    Check(before[0] + after[0] <= src[0]);
}

// Valid UTF-8 survives the trip through UTF-16.
void Utf8RoundTrip(const Fields& f) {
    const TQWString wide = ToWideString(f.text, kInputUtf8);
    const std::string back = ToUTF8String(wide);
    TQWChar* strict = nullptr;
    int32 n = 0;
    if (ToWideStringFromUTF8(f.text.data(), int32(f.text.size()), &strict, &n) == 0) delete[] strict;
    if (f.text.empty()) Check(back.empty());
    const TQWString again = ToWideString(back, kInputUtf8);
    Check(again == wide);  // once cleaned, the text is stable
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 8192) return 0;
    const Fields f = Parse(data, size);
    SplitJoin(f);
    TrimChecks(f);
    ReplaceRoundTrip(f);
    Comments(f);
    PascalForms(f);
    Utf8RoundTrip(f);
    CaseInsensitiveCompare(f.text, f.pattern);
    Hash(f.text, (f.control & 4) != 0);
    return 0;
}
