// The configuration stores: the abstract store, the one that keeps an INI file in step with disk and the one
// that lives in memory only. Each store locks itself for the whole of every operation.
#pragma once

#include <atomic>
#include <map>
#include <string>
#include <vector>

#include "config/IniDocument.h"
#include "tqcore/clocks.h"
#include "tqcore/paths.h"
#include "tqcore/threads.h"

namespace tq::config {

// The TqErr a store returns for an engine code.
TqErr IniCodeToErr(int32 code);

class ConfigOperationsInterface {
  public:
    virtual ~ConfigOperationsInterface() = default;
    virtual std::string GetSection() = 0;
    virtual TqErr SetSection(const std::string& name) = 0;
    virtual TqErr ReadValue(const std::string& section, const std::string& key, std::string* value) = 0;
    virtual TqErr ReadValue(const std::string& key, std::string* value);
    virtual TqErr WriteValue(const std::string& section, const std::string& key,
                             const std::string& value) = 0;
    virtual TqErr WriteValue(const std::string& key, const std::string& value);
    virtual TqErr RemoveKey(const std::string& section, const std::string& key) = 0;
    virtual TqErr RemoveKey(const std::string& key);
    virtual bool KeyExists(const std::string& section, const std::string& key) = 0;
    virtual bool KeyExists(const std::string& key);
    virtual TqErr GetSectionNames(std::vector<std::string>* names) = 0;
    virtual TqErr GetKeyNames(const std::string& section, std::vector<std::string>* names) = 0;
    virtual TqErr GetKeyNames(std::vector<std::string>* names);
};

// Owns its mutex.
class StoreMutex {
  public:
    StoreMutex();
    ~StoreMutex();
    StoreMutex(const StoreMutex&) = delete;
    StoreMutex& operator=(const StoreMutex&) = delete;
    ThMutex Get() const { return m_; }

  private:
    ThMutex m_ = nullptr;
};

class KEINIConfigOperations final : public ConfigOperationsInterface {
  public:
    KEINIConfigOperations(const PathRef& file, const std::string& section);

    using ConfigOperationsInterface::GetKeyNames;
    using ConfigOperationsInterface::KeyExists;
    using ConfigOperationsInterface::ReadValue;
    using ConfigOperationsInterface::RemoveKey;
    using ConfigOperationsInterface::WriteValue;

    std::string GetSection() override;
    TqErr SetSection(const std::string& name) override;
    TqErr ReadValue(const std::string& section, const std::string& key, std::string* value) override;
    // The own section's value under one hold of the lock, without copying the section's name.
    TqErr ReadValue(const std::string& key, std::string* value) override;
    TqErr WriteValue(const std::string& section, const std::string& key, const std::string& value) override;
    TqErr RemoveKey(const std::string& section, const std::string& key) override;
    bool KeyExists(const std::string& section, const std::string& key) override;
    TqErr GetSectionNames(std::vector<std::string>* names) override;
    TqErr GetKeyNames(const std::string& section, std::vector<std::string>* names) override;

    // The file's path in command-line text.
    const std::string& PathText() const { return pathText_; }

  private:
    // Reads the file again when it changed on disk (at most once a second); missing tells a file that is not
    // there from one that cannot be read.
    TqErr SyncWithDisk(bool* missing);
    TqErr SyncForRead();
    TqErr Rewrite();
    TqErr MakeParentFolders();

    std::string pathText_;
    PathRef path_;
    std::string osPath_;  // the same path as the operating system names it
    std::string section_;
    StoreMutex mutex_;
    bool checked_ = false;
    uInt32 lastCheck_ = 0;
    bool haveStamp_ = false;
    TQFileTime stamp_{};
    IniDocument doc_;
    // The own section's position in doc_, kept between reads; forgotten whenever it may have moved.
    size_t ownSection_ = IniDocument::kNoSection;
};

class MemoryMapConfigOperations final : public ConfigOperationsInterface {
  public:
    explicit MemoryMapConfigOperations(const std::string& section) : section_(section) {}

    using ConfigOperationsInterface::GetKeyNames;
    using ConfigOperationsInterface::KeyExists;
    using ConfigOperationsInterface::ReadValue;
    using ConfigOperationsInterface::RemoveKey;
    using ConfigOperationsInterface::WriteValue;

    std::string GetSection() override;
    TqErr SetSection(const std::string& name) override;
    TqErr ReadValue(const std::string& section, const std::string& key, std::string* value) override;
    TqErr WriteValue(const std::string& section, const std::string& key, const std::string& value) override;
    TqErr RemoveKey(const std::string& section, const std::string& key) override;
    bool KeyExists(const std::string& section, const std::string& key) override;
    TqErr GetSectionNames(std::vector<std::string>* names) override;
    TqErr GetKeyNames(const std::string& section, std::vector<std::string>* names) override;

    // True when no section holds a key: a lookup then needs neither the lock nor a section name.
    bool HoldsNothing() const { return entries_.load(std::memory_order_acquire) == 0; }
    // Every key and value of the own section, in key order.
    void OwnEntries(std::vector<std::string>* keys, std::vector<std::string>* values);

  private:
    std::map<std::string, std::map<std::string, std::string>> sections_;
    std::string section_;
    StoreMutex mutex_;
    // Written under the mutex; lets a lookup in an empty store answer without taking it.
    std::atomic<size_t> entries_{0};
};

// A path as the operating system names it ("" for one it cannot name), and back (NotAPath when the text is
// not a rooted name).
std::string OsPathText(const PathRef& path);
PathRef PathFromOsText(const std::string& text);

}  // namespace tq::config
