// The INI reader and writer over bytes, and the edits the stores make.
#include "config/IniDocument.h"

#include <cstring>

namespace tq::config {

namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

std::string_view SkipLeading(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && IsSpace(s[i])) ++i;
    return s.substr(i);
}

std::string_view TrimTrailing(std::string_view s) {
    size_t n = s.size();
    while (n > 0 && IsSpace(s[n - 1])) --n;
    return s.substr(0, n);
}

char Upper(char c) {
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

bool StartsWith(std::string_view s, const char* mark, size_t n) {
    return s.size() >= n && std::memcmp(s.data(), mark, n) == 0;
}

// Where the text starts after a byte-order mark; npos for a mark the engine does not read.
size_t TextStart(std::string_view bytes) {
    if (StartsWith(bytes, "\xFF\xFE", 2) || StartsWith(bytes, "\xFE\xFF", 2)) return std::string_view::npos;
    if (StartsWith(bytes, "\x00\x00\xFE\xFF", 4)) return std::string_view::npos;
    if (StartsWith(bytes, "\xEF\xBB\xBF", 3)) return 3;
    return 0;
}

// A value in double quotation marks: the marks go and the quote is remembered.
void Unquote(std::string_view& value, char& quote) {
    quote = 0;
    if (value.size() >= 2 && value.front() == kQuote && value.back() == kQuote) {
        value = value.substr(1, value.size() - 2);
        quote = kQuote;
    }
}

}  // namespace

// One pass over the lines of a file.
class IniReader {
  public:
    explicit IniReader(IniDocument& doc) : doc_(doc) {}

    void Line(std::string_view raw, int32 number);
    std::vector<std::string> Finish() { return std::move(pending_); }

  private:
    void Keep(std::string_view raw);
    bool Header(std::string_view text, int32 number);
    bool KeyLine(std::string_view text, int32 number);

    IniDocument& doc_;
    std::vector<std::string> pending_;
    bool pendingAllBlank_ = true;
    bool seenText_ = false;
    size_t current_ = SIZE_MAX;
};

void IniReader::Keep(std::string_view raw) {
    pending_.emplace_back(raw);
    pendingAllBlank_ = false;
    seenText_ = true;
}

bool IniReader::Header(std::string_view text, int32 number) {
    std::string_view rest = SkipLeading(text.substr(1));
    const size_t close = rest.find(']');
    if (close == std::string_view::npos) return false;
    const std::string_view name = TrimTrailing(rest.substr(0, close));
    if (name.empty()) return false;
    bool made = false;
    current_ = doc_.SectionForRead(name, number, made);
    // Kept lines before a repeated header wait for the resumed section's next entry.
    if (made) {
        doc_.sections_[current_].comments = std::move(pending_);
        pending_.clear();
        pendingAllBlank_ = true;
    }
    return true;
}

bool IniReader::KeyLine(std::string_view text, int32 number) {
    const size_t sep = text.find_first_of("=:");
    if (sep == std::string_view::npos) return false;
    const std::string_view key = TrimTrailing(text.substr(0, sep));
    const size_t width = text[sep] == ':' && sep + 1 < text.size() && text[sep + 1] == '=' ? 2 : 1;
    std::string_view value = TrimTrailing(SkipLeading(text.substr(sep + width)));
    if (key.empty() || value.empty()) return false;
    char quote = 0;
    Unquote(value, quote);
    if (current_ == SIZE_MAX) {
        bool made = false;
        current_ = doc_.SectionForRead(kNullSectionName, number, made);
    }
    doc_.EntryForRead(current_, key, value, quote, number, std::move(pending_));
    pending_.clear();
    pendingAllBlank_ = true;
    return true;
}

void IniReader::Line(std::string_view raw, int32 number) {
    const std::string_view text = SkipLeading(raw);
    if (text.empty()) {
        // Blank lines before any text go; of a run opening the kept lines, only the first stays.
        if (!seenText_ || (!pending_.empty() && pendingAllBlank_)) return;
        pending_.emplace_back(raw);
        return;
    }
    seenText_ = true;
    if (text.front() == ';') return Keep(raw);
    if (text.front() == '[') {
        if (!Header(text, number)) Keep(raw);
        return;
    }
    if (!KeyLine(text, number)) Keep(raw);
}

void NormaliseInto(std::string& out, std::string_view name) {
    name = SkipLeading(name);
    out.resize(name.size());
    for (size_t i = 0; i < name.size(); ++i) out[i] = Upper(name[i]);
}

std::string NormaliseName(std::string_view name) {
    std::string out;
    NormaliseInto(out, name);
    return out;
}

size_t NameHash::operator()(std::string_view name) const {
    uInt64 h = 14695981039346656037ull;  // FNV-1a
    for (char c : SkipLeading(name)) h = (h ^ uChar(Upper(c))) * 1099511628211ull;
    return size_t(h);
}

bool NameEqual::operator()(std::string_view a, std::string_view b) const {
    a = SkipLeading(a);
    b = SkipLeading(b);
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Upper(a[i]) != Upper(b[i])) return false;
    return true;
}

void IniDocument::Clear() {
    sections_.clear();
    sectionIndex_.clear();
    trailing_.clear();
}

IniCode IniDocument::Parse(std::string_view bytes) {
    Clear();
    const size_t start = TextStart(bytes);
    if (start == std::string_view::npos) return kIniEncoding;
    IniReader reader(*this);
    const char* p = bytes.data() + start;
    const char* const end = bytes.data() + bytes.size();
    int32 number = 0;
    while (p < end) {
        const char* q = p;
        while (q < end && *q != '\r' && *q != '\n' && *q != '\0') ++q;
        reader.Line(std::string_view(p, size_t(q - p)), number++);
        if (q == end) break;
        // CR LF and LF CR are one line end.
        const char c = *q++;
        if (q < end && ((c == '\r' && *q == '\n') || (c == '\n' && *q == '\r'))) ++q;
        p = q;
    }
    trailing_ = reader.Finish();
    return kIniOk;
}

std::string IniDocument::Serialize() const {
    std::string out;
    auto line = [&out](std::string_view text) {
        out.append(text);
        out.push_back('\n');
    };
    const std::string nullName = NormaliseName(kNullSectionName);
    for (size_t i = 0; i < sections_.size(); ++i) {
        const IniSection& s = sections_[i];
        const bool inMemory = s.line < 0;
        const bool isNull = NormaliseName(s.name) == nullName;
        if (inMemory && i > 0 && sections_[i - 1].line >= 0) line({});
        for (const auto& c : s.comments) line(c);
        if (!isNull) {
            out.push_back('[');
            out.append(s.name);
            line("]");
        }
        for (const IniEntry& e : s.entries) {
            for (const auto& c : e.comments) line(c);
            out.append(e.key);
            out.push_back('=');
            if (e.quote) out.push_back(e.quote);
            out.append(e.value);
            if (e.quote) out.push_back(e.quote);
            out.push_back('\n');
        }
        if (inMemory && !isNull && i + 1 < sections_.size()) line({});
    }
    for (const auto& c : trailing_) line(c);
    return out;
}

size_t IniDocument::SectionForRead(std::string_view name, int32 line, bool& made) {
    auto it = sectionIndex_.find(name);
    made = it == sectionIndex_.end();
    if (!made) return it->second;
    AddSection(name, line);
    return sections_.size() - 1;
}

void IniDocument::EntryForRead(size_t section, std::string_view key, std::string_view value, char quote,
                               int32 line, std::vector<std::string>&& kept) {
    IniSection& s = sections_[section];
    auto [it, added] = s.index.try_emplace(NormaliseName(key), s.entries.size());
    if (added) {
        s.entries.push_back(IniEntry{std::string(key), std::string(value), quote, std::move(kept), line});
        return;
    }
    // A repeated key: the later value wins; its kept lines join the entry's.
    IniEntry& e = s.entries[it->second];
    e.value.assign(value);
    e.quote = quote;
    for (auto& k : kept) e.comments.push_back(std::move(k));
}

IniSection* IniDocument::FindSection(std::string_view name) {
    auto it = sectionIndex_.find(name);
    return it == sectionIndex_.end() ? nullptr : &sections_[it->second];
}

const IniSection* IniDocument::FindSection(std::string_view name) const {
    auto it = sectionIndex_.find(name);
    return it == sectionIndex_.end() ? nullptr : &sections_[it->second];
}

IniSection& IniDocument::AddSection(std::string_view name, int32 line) {
    sectionIndex_.emplace(NormaliseName(name), sections_.size());
    IniSection& s = sections_.emplace_back();
    s.name.assign(name);
    s.line = line;
    return s;
}

void IniDocument::Reindex(IniSection& s) {
    s.index.clear();
    for (size_t i = 0; i < s.entries.size(); ++i) s.index.emplace(NormaliseName(s.entries[i].key), i);
}

const IniEntry* IniDocument::Find(std::string_view section, std::string_view key) const {
    return FindIn(SectionIndex(section), key);
}

size_t IniDocument::SectionIndex(std::string_view name) const {
    auto it = sectionIndex_.find(name);
    return it == sectionIndex_.end() ? kNoSection : it->second;
}

const IniEntry* IniDocument::FindIn(size_t section, std::string_view key) const {
    if (section >= sections_.size()) return nullptr;
    const IniSection& s = sections_[section];
    auto it = s.index.find(key);
    return it == s.index.end() ? nullptr : &s.entries[it->second];
}

void IniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
    IniSection* s = FindSection(section);
    if (!s) s = &AddSection(section, -1);
    char quote = 0;
    Unquote(value, quote);
    auto [it, added] = s->index.try_emplace(NormaliseName(key), s->entries.size());
    if (added) {
        s->entries.push_back(IniEntry{std::string(key), std::string(value), quote, {}, -1});
        return;
    }
    IniEntry& e = s->entries[it->second];
    e.value.assign(value);
    e.quote = quote;
}

bool IniDocument::Remove(std::string_view section, std::string_view key) {
    IniSection* s = FindSection(section);
    if (!s) return false;
    auto it = s->index.find(key);
    if (it == s->index.end()) return false;
    s->entries.erase(s->entries.begin() + ptrdiff_t(it->second));
    Reindex(*s);
    return true;
}

std::vector<std::string> IniDocument::SectionNames() const {
    std::vector<std::string> names;
    names.reserve(sections_.size());
    for (const auto& s : sections_) names.push_back(s.name);
    return names;
}

std::vector<std::string> IniDocument::KeyNames(std::string_view section) const {
    std::vector<std::string> names;
    if (const IniSection* s = FindSection(section)) {
        names.reserve(s->entries.size());
        for (const auto& e : s->entries) names.push_back(e.key);
    }
    return names;
}

bool IniDocument::OnlyNullSection() const {
    return sections_.size() == 1 && NormaliseName(sections_[0].name) == NormaliseName(kNullSectionName);
}

void IniDocument::RenameSection(size_t i, std::string_view name) {
    sectionIndex_.erase(NormaliseName(sections_[i].name));
    sections_[i].name.assign(name);
    sectionIndex_[NormaliseName(name)] = i;
}

}  // namespace tq::config
