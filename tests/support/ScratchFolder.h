// A private folder for each test under the temporary folder, removed afterwards, whole-file reads and writes,
// and the library's paths into it.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "tqcore/paths.h"

#if defined(_WIN32)
#include <process.h>
#else
#include <unistd.h>
#endif

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

// Named after the test, the process and a serial number, so that parallel runs never share one; the current
// directory is put back afterwards.
class ScratchFolder {
  public:
    ScratchFolder() : cwd_(fs::current_path()) {
        static std::atomic<int> serial{0};
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string test = info ? info->name() : "x";
        for (char& c : test)
            if (c == '/') c = '_';  // parameterised tests
        root_ = fs::temp_directory_path() /
                ("tqcore-" + test + "-" + std::to_string(Pid()) + "-" + std::to_string(serial++) + "-" +
                 std::to_string(std::random_device{}()));
        fs::remove_all(root_);
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
    // The OS's text for root/name; names may hold "/" between items.
    std::string OsName(const std::string& name) const {
        return (root_ / fs::path(name).make_preferred()).string();
    }
    // A path of the library to root/name (root itself for an empty name).
    PathRef Ref(const std::string& name = "") const {
        return NativePath(name.empty() ? root_ : (root_ / name).make_preferred());
    }
    fs::path File(const std::string& name, const std::string& text = "data") const {
        WriteText(root_ / name, text);
        return root_ / name;
    }
    // Names in the folder other than the given one.
    int CountOthers(const std::string& name) const {
        int n = 0;
        for (const auto& e : fs::directory_iterator(root_)) n += e.path().filename() != name;
        return n;
    }
    // Removes what CountOthers counts, where it can (a file still open on Windows stays).
    void RemoveOthers(const std::string& name) const {
        std::error_code ec;
        for (const auto& e : fs::directory_iterator(root_, ec))
            if (e.path().filename() != name) fs::remove_all(e.path(), ec);
    }

  private:
    static long Pid() {
#if defined(_WIN32)
        return long(_getpid());
#else
        return long(getpid());
#endif
    }

    fs::path cwd_;
    fs::path root_;
};

}  // namespace tq::test
