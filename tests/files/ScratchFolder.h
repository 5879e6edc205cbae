// Test support: a private folder for each test, removed afterwards, and the library's paths into it.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>

#include "tqcore/paths.h"

namespace tq::test {

namespace fs = std::filesystem;

inline std::string Utf8(const fs::path& p) {
    const std::u8string s = p.u8string();
    return std::string(reinterpret_cast<const char*>(s.data()), s.size());
}

// The OS's own text form of a path.
inline PathRef NativePath(const fs::path& p) {
#if defined(_WIN32)
    return PathRef(Utf8(p), PathRef::StringDOS());
#else
    return PathRef(Utf8(p), PathRef::StringUnix());
#endif
}

inline std::string ReadText(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteText(const fs::path& p, const std::string& text) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out << text;
}

// Made under the temporary folder with a name of its own; the current directory is put back afterwards.
class ScratchFolder {
  public:
    ScratchFolder() : cwd_(fs::current_path()) {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        root_ = fs::temp_directory_path() / ("tqcore-files-" + std::string(info ? info->name() : "x") + "-" +
                                             std::to_string(std::random_device{}()));
        fs::create_directories(root_);
        root_ = fs::canonical(root_);
    }
    ~ScratchFolder() {
        std::error_code ec;
        fs::current_path(cwd_, ec);
        fs::permissions(root_, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(root_, ec);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const fs::path& Root() const { return root_; }
    fs::path operator/(const std::string& name) const { return root_ / name; }
    // A path of the library to root/name (root itself for an empty name).
    PathRef Ref(const std::string& name = "") const {
        return NativePath(name.empty() ? root_ : root_ / name);
    }
    fs::path File(const std::string& name, const std::string& text = "data") const {
        WriteText(root_ / name, text);
        return root_ / name;
    }

  private:
    fs::path cwd_;
    fs::path root_;
};

}  // namespace tq::test
