// The INI document in memory: sections of entries with the comment and unrecognised lines that stood before
// them, read from and written to bytes. No locking: its owner serialises access.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "tqcore/types.h"

namespace tq::config {

// The engine's own result codes (ConfigOperations maps them to TqErr).
enum IniCode : int32 {
    kIniOk = 0,
    kIniGeneral = -2,
    kIniEncoding = -3,
    kIniTempCreate = -5,
    kIniEmptyName = -6,
    kIniNoMemory = -12,
    kIniNotWritable = -13,
    kIniMissing = -22,
    kIniTooManyFiles = -24,
    kIniFlush = -28,
    kIniUnreadable = -5001,
    kIniTempOther = -5002,
    kIniTempNamesUsed = -5003,
    kIniTempOpen = -5004,
};

inline constexpr const char* kNullSectionName = "(null)";
inline constexpr char kQuote = '"';

// Names hashed and compared as they match (below), so that a lookup takes any spelling of a name as it
// stands.
struct NameHash {
    using is_transparent = void;
    size_t operator()(std::string_view name) const;
};
struct NameEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const;
};
// Name -> index, keyed by the normalised name.
using NameIndex = std::unordered_map<std::string, size_t, NameHash, NameEqual>;

struct IniEntry {
    std::string key;
    std::string value;
    char quote = 0;  // kQuote when the value stands in double quotation marks
    std::vector<std::string> comments;
    int32 line = -1;  // -1: made in memory
};

struct IniSection {
    std::string name;
    std::vector<std::string> comments;
    std::vector<IniEntry> entries;
    int32 line = -1;
    // Key -> index into entries.
    NameIndex index;
};

// Names match after leading white space is skipped and every character is upper-cased.
std::string NormaliseName(std::string_view name);
void NormaliseInto(std::string& out, std::string_view name);

class IniDocument {
  public:
    friend class IniReader;

    void Clear();
    // Replaces the document with the bytes' content: kIniOk, or kIniEncoding for a UTF-16/32 mark.
    IniCode Parse(std::string_view bytes);
    // The whole document as file bytes, every line ended by a line feed.
    std::string Serialize() const;

    const IniEntry* Find(std::string_view section, std::string_view key) const;
    // A section's position, or kNoSection. It holds until a section is added or renamed or the document is
    // replaced, so a caller may keep it for repeated lookups in one section.
    static constexpr size_t kNoSection = size_t(-1);
    size_t SectionIndex(std::string_view name) const;
    const IniEntry* FindIn(size_t section, std::string_view key) const;
    // Sets the value, making the section or the entry at the end when missing. A value in double quotation
    // marks is kept as a read one is: marks removed, quote remembered.
    void Set(std::string_view section, std::string_view key, std::string_view value);
    // True when an entry (with its kept lines) was removed.
    bool Remove(std::string_view section, std::string_view key);

    std::vector<std::string> SectionNames() const;
    std::vector<std::string> KeyNames(std::string_view section) const;

    const std::vector<IniSection>& Sections() const { return sections_; }
    const std::vector<std::string>& Trailing() const { return trailing_; }
    // True when the only section is the "(null)" one (a file of bare key lines).
    bool OnlyNullSection() const;
    void RenameSection(size_t i, std::string_view name);

  private:
    // The reader's steps: the section of a header (made when new), and an entry line.
    size_t SectionForRead(std::string_view name, int32 line, bool& made);
    void EntryForRead(size_t section, std::string_view key, std::string_view value, char quote, int32 line,
                      std::vector<std::string>&& kept);
    IniSection* FindSection(std::string_view name);
    const IniSection* FindSection(std::string_view name) const;
    IniSection& AddSection(std::string_view name, int32 line);
    void Reindex(IniSection& s);

    std::vector<IniSection> sections_;
    NameIndex sectionIndex_;
    std::vector<std::string> trailing_;
};

}  // namespace tq::config
