// A scratch folder per test and the way from its files to Paths, for the file manager's tests.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "support/ScratchFolder.h"
#include "tqcore/clocks.h"
#include "tqcore/core.h"
#include "tqcore/files.h"
#include "tqcore/paths.h"

namespace tq::test {

namespace fs = std::filesystem;

// The Path of an absolute file-system path: the drive letter, or the top-level folder, is item 0.
inline std::unique_ptr<PathRef> PathOf(const fs::path& where) {
    auto p = std::make_unique<PathRef>(kBaseAbsolute);
    const std::string drive = where.root_name().string();
    if (!drive.empty()) p->Append(drive.substr(0, 1));
    for (const fs::path& part : where.relative_path()) {
        const std::string item = part.string();
        if (!item.empty()) p->Append(item);
    }
    return p;
}

// Each test gets an empty folder of its own, removed afterwards.
class ScratchFolderTest : public ::testing::Test {
  protected:
    fs::path OnDisk(const std::string& name) const { return scratch_ / name; }
    std::unique_ptr<PathRef> PathTo(const std::string& name) const { return PathOf(scratch_ / name); }
    // A file with the given text, and its Path.
    std::unique_ptr<PathRef> Existing(const std::string& name, const std::string& text) const {
        scratch_.File(name, text);
        return PathTo(name);
    }

    ScratchFolder scratch_;
};

// The existence entry a host caches on a path: after the item's own fields, an is-file and an is-folder byte.
class CachedPathFlavor : public PathRef::CachedItem {
  public:
    CachedPathFlavor(bool isFile, bool isFolder)
        : CachedItem(100000, PathRef::kDependsOnMetaData), isFile_(isFile), isFolder_(isFolder ? 1 : 0) {}
    bool IsA(const char* className) const override {
        return std::string(className ? className : "") == "CachedPathFlavor" || CachedItem::IsA(className);
    }

  private:
    uInt8 isFile_;
    int8 isFolder_;
};

// Closes an open file at the end of a scope.
class OpenFile {
  public:
    OpenFile() = default;
    ~OpenFile() {
        if (fd_) FMClose(fd_);
    }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    File* Out() { return &fd_; }
    operator File() const { return fd_; }
    File Release() {
        const File fd = fd_;
        fd_ = 0;
        return fd;
    }

  private:
    File fd_ = 0;
};

}  // namespace tq::test
