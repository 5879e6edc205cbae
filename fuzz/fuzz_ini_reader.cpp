// The INI reader over arbitrary bytes, with a round trip: what it reads, written and read again, gives the
// same sections, keys, values and quotes, and writing that gives the same bytes.
#include <string>

#include "config/IniDocument.h"

namespace {

using tq::config::IniDocument;

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

// The writer gives the "(null)" section no header: it reads back as itself only at the top of the file. A
// first line that looks like a byte-order mark is not read as text either.
bool RoundTrips(const IniDocument& doc, const std::string& bytes) {
    const auto& sections = doc.Sections();
    for (size_t i = 1; i < sections.size(); ++i)
        if (tq::config::NormaliseName(sections[i].name) ==
            tq::config::NormaliseName(tq::config::kNullSectionName))
            return false;
    return !(bytes.size() >= 2 && (uint8_t(bytes[0]) >= 0xEF) && (uint8_t(bytes[1]) >= 0xBB));
}

void SameContent(const IniDocument& a, const IniDocument& b) {
    Check(a.Sections().size() == b.Sections().size());
    for (size_t i = 0; i < a.Sections().size(); ++i) {
        const auto& x = a.Sections()[i];
        const auto& y = b.Sections()[i];
        Check(x.name == y.name && x.entries.size() == y.entries.size());
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
    if (!RoundTrips(first, once)) return 0;
    IniDocument second;
    Check(second.Parse(once) == tq::config::kIniOk);
    SameContent(first, second);
    Check(second.Serialize() == once);
    return 0;
}
