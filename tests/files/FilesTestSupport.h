// A scratch folder per test and the way from its files to Paths, for the file manager's tests.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>

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

inline std::string Contents(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteContents(const fs::path& file, const std::string& text) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
}

// Each test gets an empty folder of its own under the system's temporary folder, removed afterwards.
class ScratchFolderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::random_device seed;
        folder_ = fs::temp_directory_path() / ("tqfiles-" + std::to_string(seed()) + std::to_string(seed()));
        fs::create_directories(folder_);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
    fs::path OnDisk(const std::string& name) const { return folder_ / name; }
    std::unique_ptr<PathRef> PathTo(const std::string& name) const { return PathOf(folder_ / name); }
    // A file with the given text, and its Path.
    std::unique_ptr<PathRef> Existing(const std::string& name, const std::string& text) const {
        WriteContents(OnDisk(name), text);
        return PathTo(name);
    }

    fs::path folder_;
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
