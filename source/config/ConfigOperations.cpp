// The configuration stores over the INI engine and over plain maps.
#include "config/ConfigOperations.h"

#include "clocks/MillisecsOffset.h"
#include "config/IniFile.h"
#include "diagnostics/Report.h"
#include "files/OsPathName.h"
#include "files/PathSupport.h"
#include "threads/ThMutexHold.h"
#include "tqcore/files.h"

#define TQ_UNIT "source\\ConfigOperations"

namespace tq::config {

using tq::threads::ThMutexHold;

namespace {
constexpr uInt32 kCheckInterval = 1000;

bool SameTime(const TQFileTime& a, const TQFileTime& b) {
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

TqErr ValueOf(const IniEntry* e, std::string* value) {
    if (!e) return kErrConfigNotFound;
    *value = e->value;
    return kErrNone;
}

TqErr Unexpected() {
    TQ_REPORT(kDbgError, "Warning, unexpected result.");
    return kErrGeneric;
}
}  // namespace

TqErr IniCodeToErr(int32 code) {
    switch (code) {
        case kIniOk:
        case 1:
            return kErrNone;
        case -5021:
        case -5022:
        case -5023:
        case -5024:
            return kErrArgument;
        case kIniTempCreate:
        case kIniTempOther:
        case kIniTempNamesUsed:
        case kIniTempOpen:
            return kErrIO;
        case kIniMissing:
        case kIniUnreadable:
            return kErrNotFound;
        case kIniNotWritable:
            return kErrPermission;
        case kIniFlush:
            return kErrDiskFull;
        case kIniTooManyFiles:
            return kErrTooManyFiles;
        case kIniEmptyName:
            return kErrConfigBadType;
        case kIniNoMemory:
            return kErrConfigAlloc;
        case kIniEncoding:
            return kErrNotSupported;
        default:
            break;
    }
    if (code >= 2) {
        (void)Unexpected();
        return kErrNone;
    }
    return kErrGeneric;
}

std::string OsPathText(const PathRef& path) {
    if (!path.IsValid()) return {};
    PathRef copy(path);
    std::string out;
    return tq::files::OsPathName(&copy, false, out) == kErrNone ? out : std::string();
}

PathRef PathFromOsText(const std::string& text) {
    Path p = nullptr;
    PathRef out;
    if (tq::files::PathFromOsName(text, &p) == kErrNone && p) out = *p;
    PathRef::DisposePath(p);
    return out;
}

// ---- The abstract store's own-section forms.

TqErr ConfigOperationsInterface::ReadValue(const std::string& key, std::string* value) {
    return ReadValue(GetSection(), key, value);
}
TqErr ConfigOperationsInterface::WriteValue(const std::string& key, const std::string& value) {
    return WriteValue(GetSection(), key, value);
}
TqErr ConfigOperationsInterface::RemoveKey(const std::string& key) {
    return RemoveKey(GetSection(), key);
}
bool ConfigOperationsInterface::KeyExists(const std::string& key) {
    return KeyExists(GetSection(), key);
}
TqErr ConfigOperationsInterface::GetKeyNames(std::vector<std::string>* names) {
    return GetKeyNames(GetSection(), names);
}

StoreMutex::StoreMutex() {
    (void)ThMutexCreate(&m_, "ConfigStore");
}
StoreMutex::~StoreMutex() {
    ThMutexDestroy(m_);
}

// ---- The INI file store.

KEINIConfigOperations::KEINIConfigOperations(const PathRef& file, const std::string& section)
    : pathText_(file.IsValid() ? file.ToString(PathRef::StringCommandLine()) : std::string()),
      path_(file.IsValid() ? file : PathRef()),
      osPath_(OsPathText(file)),
      section_(section) {}

std::string KEINIConfigOperations::GetSection() {
    ThMutexHold hold(mutex_.Get());
    return section_;
}

TqErr KEINIConfigOperations::SetSection(const std::string& name) {
    ThMutexHold hold(mutex_.Get());
    section_ = name;
    ownSection_ = IniDocument::kNoSection;
    return kErrNone;
}

TqErr KEINIConfigOperations::Rewrite() {
    const IniCode r = IniWriteFile(path_, doc_);
    if (r != kIniOk) return IniCodeToErr(r);
    haveStamp_ = IniLastWrite(osPath_, stamp_) == IniStamp::kRead;
    return kErrNone;
}

TqErr KEINIConfigOperations::SyncWithDisk(bool* missing) {
    if (missing) *missing = false;
    // Every operation passes here: the cheap clock serves a check once a second.
    const uInt32 now = tq::CoarseMilliSecs();
    if (checked_ && uInt32(now - lastCheck_) < kCheckInterval) return kErrNone;
    TQFileTime time{};
    switch (IniLastWrite(osPath_, time)) {
        case IniStamp::kMissing:
            if (missing) *missing = true;
            return kErrNotFound;
        case IniStamp::kFailed:
            return Unexpected();
        case IniStamp::kRead:
            break;
    }
    if (!haveStamp_ || !SameTime(time, stamp_)) {
        // Read beside the document, which stays as it was when the file cannot be read; the next operation
        // then reads again.
        IniDocument fresh;
        const IniCode r = IniReadFile(path_, fresh);
        if (r != kIniOk) {
            haveStamp_ = checked_ = false;
            if (missing) *missing = r == kIniMissing;
            return IniCodeToErr(r);
        }
        doc_ = std::move(fresh);
        ownSection_ = IniDocument::kNoSection;
        stamp_ = time;
        haveStamp_ = true;
        // A file of bare key lines gets the store's section at once.
        if (doc_.OnlyNullSection()) {
            doc_.RenameSection(0, section_);
            const TqErr w = Rewrite();
            if (w != kErrNone) return w;
        }
    }
    checked_ = true;
    lastCheck_ = now;
    return kErrNone;
}

// The folder holding the file, with the missing folders above it.
TqErr KEINIConfigOperations::MakeParentFolders() {
    PathRef parent = path_.GetParentDirectory();
    if (!parent.IsValid() || parent.ItemCount() == 0) return kErrNone;
    return FNewDirHier(&parent);
}

TqErr KEINIConfigOperations::ReadValue(const std::string& section, const std::string& key,
                                       std::string* value) {
    if (!value) return kErrArgument;
    if (section.empty() || key.empty()) return kErrArgument;
    ThMutexHold hold(mutex_.Get());
    const TqErr sync = SyncForRead();
    if (sync != kErrNone) return sync;
    return ValueOf(doc_.Find(section, key), value);
}

TqErr KEINIConfigOperations::ReadValue(const std::string& key, std::string* value) {
    if (!value) return kErrArgument;
    if (key.empty()) return kErrArgument;
    ThMutexHold hold(mutex_.Get());
    if (section_.empty()) return kErrArgument;
    const TqErr sync = SyncForRead();
    if (sync != kErrNone) return sync;
    if (ownSection_ == IniDocument::kNoSection) ownSection_ = doc_.SectionIndex(section_);
    return ValueOf(doc_.FindIn(ownSection_, key), value);
}

// A file that is missing holds no value.
TqErr KEINIConfigOperations::SyncForRead() {
    const TqErr sync = SyncWithDisk(nullptr);
    return sync == kErrNotFound ? kErrConfigNotFound : sync;
}

TqErr KEINIConfigOperations::WriteValue(const std::string& section, const std::string& key,
                                        const std::string& value) {
    if (section.empty() || key.empty()) return kErrArgument;
    ThMutexHold hold(mutex_.Get());
    bool missing = false;
    const TqErr sync = SyncWithDisk(&missing);
    if (sync != kErrNone && !missing) return sync;
    doc_.Set(section, key, value);
    ownSection_ = IniDocument::kNoSection;
    const TqErr made = MakeParentFolders();
    if (made != kErrNone) return made;
    return Rewrite();
}

TqErr KEINIConfigOperations::RemoveKey(const std::string& section, const std::string& key) {
    if (section.empty() || key.empty()) return kErrArgument;
    ThMutexHold hold(mutex_.Get());
    const TqErr sync = SyncWithDisk(nullptr);
    if (sync != kErrNone) return sync;
    if (!doc_.Remove(section, key)) return kErrNone;
    return Rewrite();
}

bool KEINIConfigOperations::KeyExists(const std::string& section, const std::string& key) {
    if (section.empty() || key.empty()) return false;
    ThMutexHold hold(mutex_.Get());
    (void)SyncWithDisk(nullptr);
    return doc_.Find(section, key) != nullptr;
}

TqErr KEINIConfigOperations::GetSectionNames(std::vector<std::string>* names) {
    if (!names) return kErrArgument;
    names->clear();
    ThMutexHold hold(mutex_.Get());
    const TqErr sync = SyncWithDisk(nullptr);
    if (sync != kErrNone) return sync;
    *names = doc_.SectionNames();
    return kErrNone;
}

TqErr KEINIConfigOperations::GetKeyNames(const std::string& section, std::vector<std::string>* names) {
    if (!names) return kErrArgument;
    names->clear();
    if (section.empty()) return kErrArgument;
    ThMutexHold hold(mutex_.Get());
    const TqErr sync = SyncWithDisk(nullptr);
    if (sync != kErrNone) return sync;
    *names = doc_.KeyNames(section);
    return kErrNone;
}

// ---- The memory store.

std::string MemoryMapConfigOperations::GetSection() {
    ThMutexHold hold(mutex_.Get());
    return section_;
}

TqErr MemoryMapConfigOperations::SetSection(const std::string& name) {
    ThMutexHold hold(mutex_.Get());
    section_ = name;
    return kErrNone;
}

TqErr MemoryMapConfigOperations::ReadValue(const std::string& section, const std::string& key,
                                           std::string* value) {
    if (!value || section.empty() || key.empty()) return kErrArgument;
    if (HoldsNothing()) return kErrConfigNotFound;
    ThMutexHold hold(mutex_.Get());
    auto s = sections_.find(section);
    if (s == sections_.end()) return kErrConfigNotFound;
    auto k = s->second.find(key);
    if (k == s->second.end()) return kErrConfigNotFound;
    *value = k->second;
    return kErrNone;
}

TqErr MemoryMapConfigOperations::WriteValue(const std::string& section, const std::string& key,
                                            const std::string& value) {
    if (section.empty() || key.empty()) return kErrArgument;
    ThMutexHold hold(mutex_.Get());
    auto& entries = sections_[section];
    if (entries.insert_or_assign(key, value).second) entries_.fetch_add(1, std::memory_order_release);
    return kErrNone;
}

TqErr MemoryMapConfigOperations::RemoveKey(const std::string& section, const std::string& key) {
    if (section.empty() || key.empty()) return kErrArgument;
    ThMutexHold hold(mutex_.Get());
    auto s = sections_.find(section);
    if (s != sections_.end() && s->second.erase(key)) entries_.fetch_sub(1, std::memory_order_release);
    return kErrNone;
}

bool MemoryMapConfigOperations::KeyExists(const std::string& section, const std::string& key) {
    if (section.empty() || key.empty()) return false;
    if (HoldsNothing()) return false;
    ThMutexHold hold(mutex_.Get());
    auto s = sections_.find(section);
    return s != sections_.end() && s->second.count(key) != 0;
}

TqErr MemoryMapConfigOperations::GetSectionNames(std::vector<std::string>* names) {
    if (!names) return kErrArgument;
    names->clear();
    ThMutexHold hold(mutex_.Get());
    for (const auto& s : sections_) names->push_back(s.first);
    return kErrNone;
}

TqErr MemoryMapConfigOperations::GetKeyNames(const std::string& section, std::vector<std::string>* names) {
    if (!names) return kErrArgument;
    names->clear();
    if (section.empty()) return kErrArgument;
    ThMutexHold hold(mutex_.Get());
    auto s = sections_.find(section);
    if (s != sections_.end())
        for (const auto& k : s->second) names->push_back(k.first);
    return kErrNone;
}

void MemoryMapConfigOperations::OwnEntries(std::vector<std::string>* keys, std::vector<std::string>* values) {
    ThMutexHold hold(mutex_.Get());
    keys->clear();
    values->clear();
    auto s = sections_.find(section_);
    if (s == sections_.end()) return;
    for (const auto& k : s->second) {
        keys->push_back(k.first);
        values->push_back(k.second);
    }
}

}  // namespace tq::config
