// The INI reader over arbitrary bytes, with a round trip: what it reads, written and read again, gives the
// same sections, keys, values and quotes, and a second round gives the same bytes.
#include <string>

#include "config/IniDocument.h"

namespace {

using tq::config::IniDocument;

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

bool IsNullSection(const std::string& name) {
    return tq::config::NormaliseName(name) == tq::config::NormaliseName(tq::config::kNullSectionName);
}

// The writer gives the "(null)" section no header: it reads back as itself only at the top of the file, and
// only when it holds an entry (an empty one leaves no trace).
bool NullSectionFirst(const IniDocument& doc) {
    const auto& sections = doc.Sections();
    for (size_t i = 0; i < sections.size(); ++i)
        if (IsNullSection(sections[i].name) && (i > 0 || sections[i].entries.empty())) return false;
    return true;
}

// A kept line at the top of the written file that starts like a byte-order mark is not read as text.
bool StartsAsText(const std::string& bytes) {
    auto starts = [&](const char* mark, size_t n) { return bytes.compare(0, n, mark, n) == 0; };
    return !(starts("\xFF\xFE", 2) || starts("\xFE\xFF", 2) || starts("\xEF\xBB\xBF", 3));
}

// Names read back as written, except the "(null)" section's, which has no header to keep its spelling.
bool SameName(const std::string& a, const std::string& b) {
    return a == b || (IsNullSection(a) && IsNullSection(b));
}

void SameContent(const IniDocument& a, const IniDocument& b) {
    Check(a.Sections().size() == b.Sections().size());
    for (size_t i = 0; i < a.Sections().size(); ++i) {
        const auto& x = a.Sections()[i];
        const auto& y = b.Sections()[i];
        Check(SameName(x.name, y.name) && x.entries.size() == y.entries.size());
        for (size_t j = 0; j < x.entries.size(); ++j) {
            Check(x.entries[j].key == y.entries[j].key);
            Check(x.entries[j].value == y.entries[j].value);
            Check(x.entries[j].quote == y.entries[j].quote);
            const auto* found = b.Find(x.name, x.entries[j].key);
            Check(found && found->value == x.entries[j].value);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    IniDocument first;
    if (first.Parse(std::string_view(reinterpret_cast<const char*>(data), size)) != tq::config::kIniOk) {
        Check(first.Sections().empty());
        return 0;
    }
    const std::string once = first.Serialize();
    Check(once.empty() || once.back() == '\n');
    if (!NullSectionFirst(first) || !StartsAsText(once)) return 0;
    IniDocument second;
    Check(second.Parse(once) == tq::config::kIniOk);
    SameContent(first, second);
    // Kept lines may settle once (blank lines at the top of a file are not kept); then nothing moves.
    const std::string twice = second.Serialize();
    if (!StartsAsText(twice)) return 0;
    IniDocument third;
    Check(third.Parse(twice) == tq::config::kIniOk);
    SameContent(second, third);
    Check(third.Serialize() == twice);
    return 0;
}
