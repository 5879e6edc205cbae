// The configuration manager: typed tokens over a file store and a memory store of the host's section.
#include "config/ConfigManagerDefaults.h"
#include "config/ConfigOperations.h"
#include "config/ConfigTypeRegistry.h"
#include "diagnostics/Report.h"

#define TQ_UNIT "source\\ConfigManager"

using tq::config::ConfigOperationsInterface;
using tq::config::KEINIConfigOperations;
using tq::config::MemoryMapConfigOperations;

namespace {

std::string FromPStr(ConstPStr s) {
    return s ? std::string(reinterpret_cast<const char*>(s + 1), s[0]) : std::string();
}

// A failure raised inside an operation, reported as its detail and returned as its code.
TqErr Raised(TqErr code, const std::string& message) {
    TQ_REPORT(kDbgWarn, message.c_str());
    return code;
}

TqErr UnknownTypeChecked(TqErr r, int32 type) {
    if (r == kErrConfigBadType)
        TQ_REPORT(kDbgError, ("Unknown config type '" + tq::config::TypeCodeText(type) + "'.").c_str());
    return r;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// s itself when no blank stands at either end, else its trimmed copy, made in room.
const std::string& Trimmed(const std::string& s, std::string& room) {
    if (!s.empty() && !IsBlank(s.front()) && !IsBlank(s.back())) return s;
    room = s;
    StringUtils::Trim(&room, StringUtils::kTrimBoth);
    return room;
}

}  // namespace

ConfigManager::ConfigManager(const PathRef& file) : file_(nullptr), memory_(nullptr) {
    const std::string section = tq::config::HostPrefsSection();
    file_ = new KEINIConfigOperations(file.IsValid() ? file : tq::config::DefaultPrefFile(), section);
    memory_ = new MemoryMapConfigOperations(std::string());
}

ConfigManager::~ConfigManager() {
    delete memory_;
    delete file_;
}

int32 ConfigManager::AddRef() {
    return refs_.fetch_add(1) + 1;
}

int32 ConfigManager::RemoveRef() {
    const int32 left = refs_.fetch_sub(1) - 1;
    if (left == 0) delete this;
    return left;
}

void ConfigManager::SetKnownTokens(const KnownToken* tokens, uInt32 count) {
    known_ = tokens;
    knownCount_ = tokens ? count : 0;
}

void ConfigManager::ValidateTokenName(const std::string& token) {
    if (!known_) return;
    for (uInt32 i = 0; i < knownCount_; ++i)
        if (known_[i].name && StringUtils::CaseInsensitiveEqual(token, known_[i].name)) return;
    TQ_REPORT(kDbgWarn, ("Unknown INI token: " + token).c_str());
}

TqErr ConfigManager::ValueFromString(int32 type, const std::string& text, void* value) {
    return ConfigTypeFromString(type, text, value);
}

TqErr ConfigManager::ValueToString(int32 type, const void* value, std::string* text) {
    return ConfigTypeToString(type, value, text);
}

TqErr ConfigManager::GetDefault(int32 type, const std::string& token, void* value) {
    if (token.empty() || !value) return kErrArgument;
    ValidateTokenName(token);
    std::string room;
    const std::string& t = Trimmed(token, room);
    if (t.empty()) return Raised(kErrArgument, "Token name empty");
    // Both stores address the host's section, the file store's own one. A store's read answers
    // kErrConfigNotFound for a token it does not hold, so each store is asked once, and a memory store that
    // holds nothing not at all.
    std::string text;
    TqErr read = kErrConfigNotFound;
    if (!static_cast<MemoryMapConfigOperations*>(memory_)->HoldsNothing())
        read = memory_->ReadValue(file_->GetSection(), t, &text);
    if (read == kErrConfigNotFound) {
        read = file_->ReadValue(t, &text);
        if (read == kErrConfigNotFound) return read;
        if (read != kErrNone) return Raised(read, "Error while reading from file");
    } else if (read != kErrNone) {
        return Raised(read, "Error while reading from memory");
    }
    const TqErr r = UnknownTypeChecked(ValueFromString(type, text, value), type);
    return r == kErrNone ? r : Raised(r, "Error while parsing value");
}

TqErr ConfigManager::GetDefault(int32 type, ConstPStr token, void* value) {
    return GetDefault(type, FromPStr(token), value);
}

TqErr ConfigManager::Write(int32 type, const std::string& token, const void* value, int32 memoryOnly) {
    if (token.empty() || !value) return kErrArgument;
    ValidateTokenName(token);
    std::string text;
    const TqErr r = UnknownTypeChecked(ValueToString(type, value, &text), type);
    if (r != kErrNone) return Raised(r, "Could not parse value to write into string");
    std::string tokenRoom, textRoom;
    const std::string& t = Trimmed(token, tokenRoom);
    if (t.empty()) return Raised(kErrArgument, "Token name empty");
    return Store(t, Trimmed(text, textRoom), memoryOnly);
}

TqErr ConfigManager::Store(const std::string& token, const std::string& text, int32 memoryOnly) {
    const std::string section = file_->GetSection();
    if (memory_->KeyExists(section, token)) {
        if (!memoryOnly)
            TQ_REPORT(kDbgNote, ("In Memory Config Token (" + token +
                                 ") is now asked to persist in file! Not recommended.")
                                    .c_str());
        const TqErr m = memory_->WriteValue(section, token, text);
        if (m != kErrNone) return Raised(m, "Error writing key to memory");
        if (memoryOnly) return kErrNone;
    } else if (memoryOnly) {
        const TqErr m = memory_->WriteValue(section, token, text);
        return m == kErrNone ? m : Raised(m, "Error writing key to memory");
    }
    const TqErr f = file_->WriteValue(section, token, text);
    return f == kErrNone ? f : Raised(f, "Error writing key to file");
}

TqErr ConfigManager::Write(int32 type, ConstPStr token, const void* value, int32 memoryOnly) {
    return Write(type, FromPStr(token), value, memoryOnly);
}

TqErr ConfigManager::Remove(int32 type, const std::string& token, int32 memoryOnly) {
    (void)type;
    if (token.empty()) return kErrArgument;
    std::string room;
    const std::string& t = Trimmed(token, room);
    if (t.empty()) return Raised(kErrArgument, "Token name empty");
    return Drop(t, memoryOnly);
}

TqErr ConfigManager::Drop(const std::string& token, int32 memoryOnly) {
    const std::string section = file_->GetSection();
    if (memory_->KeyExists(section, token)) {
        if (!memoryOnly)
            TQ_REPORT(kDbgNote, ("In Memory Config Token (" + token +
                                 ") is now asked to be removed from file! Not recommended.")
                                    .c_str());
        const TqErr m = memory_->RemoveKey(section, token);
        if (m != kErrNone) return Raised(m, "Error removing key from memory");
    }
    if (memoryOnly) return kErrNone;
    const TqErr f = file_->RemoveKey(section, token);
    return f == kErrNone ? f : Raised(f, "Error removing key from file");
}

TqErr ConfigManager::Remove(int32 type, ConstPStr token, int32 memoryOnly) {
    return Remove(type, FromPStr(token), memoryOnly);
}

TqErr ConfigManager::GetPrefFilePath(PathRef* out) {
    if (!out) return kErrArgument;
    const std::string& text = static_cast<KEINIConfigOperations*>(file_)->PathText();
    try {
        *out = text.empty() ? PathRef() : PathRef(text, PathRef::StringCommandLine());
    } catch (const PKExcept& e) {
        return e.ErrorCode();
    }
    return kErrNone;
}

TqErr ConfigManager::GetHostPrefsSection(LStrHandle* out) {
    if (!out) return kErrArgument;
    *out = nullptr;
    return StringUtils::ToLStrHandleNoThrow(file_->GetSection(), out);
}

TqErr ConfigManager::UpdateSectionHeader(const std::string& section) {
    return file_->SetSection(section);
}

TqErr ConfigManager::GetInMemoryConfigList(_LStrArray*** tokens, _LStrArray*** values, int32* count) {
    if (!tokens || !values || !count) return kErrArgument;
    const std::string section = file_->GetSection();
    std::vector<std::string> keys;
    (void)memory_->GetKeyNames(section, &keys);
    std::vector<std::string> texts;
    for (const auto& k : keys) {
        std::string v;
        (void)memory_->ReadValue(section, k, &v);
        texts.push_back(v);
    }
    *tokens = nullptr;
    *values = nullptr;
    TqErr r = StringUtils::ToLStrArrayHandleNoThrow(keys, tokens);
    if (r == kErrNone) r = StringUtils::ToLStrArrayHandleNoThrow(texts, values);
    *count = r == kErrNone ? int32(keys.size()) : 0;
    return r;
}
