// A scratch folder per test and whole-file reads and writes, for the configuration tests.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace tq::test {

class ScratchFolder {
  public:
    ScratchFolder() {
        static std::atomic<int> serial{0};
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        path_ = std::filesystem::temp_directory_path() /
                ("tqcfg-" + std::to_string(Pid()) + "-" + std::to_string(serial++) + "-" +
                 (info ? std::string(info->name()) : std::string("x")));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~ScratchFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // Names may hold "/" between items; the OS form uses its own separator.
    std::string File(const std::string& name) const {
        return (path_ / std::filesystem::path(name).make_preferred()).string();
    }
    const std::filesystem::path& Path() const { return path_; }
    // Names in the folder other than the given one.
    int CountOthers(const std::string& name) const {
        int n = 0;
        for (const auto& e : std::filesystem::directory_iterator(path_)) n += e.path().filename() != name;
        return n;
    }
    // Whether every other name is a numbered temporary file of a rewrite ("ini$$N.TMP").
    bool OthersAreTemporaries(const std::string& name) const {
        for (const auto& e : std::filesystem::directory_iterator(path_)) {
            const std::string n = e.path().filename().string();
            if (n != name && (n.rfind("ini$$", 0) != 0 || n.size() < 9 || n.substr(n.size() - 4) != ".TMP"))
                return false;
        }
        return true;
    }
    // Removes what CountOthers counts, where it can (a file still open on Windows stays).
    void RemoveOthers(const std::string& name) const {
        std::error_code ec;
        for (const auto& e : std::filesystem::directory_iterator(path_, ec))
            if (e.path().filename() != name) std::filesystem::remove_all(e.path(), ec);
    }

  private:
    static long Pid();
    std::filesystem::path path_;
};

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

}  // namespace tq::test

#if defined(_WIN32)
#include <process.h>
inline long tq::test::ScratchFolder::Pid() {
    return long(_getpid());
}
#else
#include <unistd.h>
inline long tq::test::ScratchFolder::Pid() {
    return long(getpid());
}
#endif
