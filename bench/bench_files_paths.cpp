// The file manager by path against the standard library on the same names: listing a folder of 10,000 files
// with an information record for each, against std::filesystem::directory_iterator with status; and
// FGetInfo64 on one path against stat. The goal is 1.5x or better on both. The public interface has no
// folder listing, so both sides take the names from directory_iterator and only the records differ.
#include <benchmark/benchmark.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "tqcore/core.h"
#include "tqcore/files.h"
#include "tqcore/paths.h"

namespace {

namespace fs = std::filesystem;
constexpr int kFiles = 10000;

// A folder of kFiles small files, made once for the whole run and removed at exit.
class Folder {
  public:
    Folder() {
        root_ = fs::temp_directory_path() / ("tqcore-bench-files-" + std::to_string(std::random_device{}()));
        fs::create_directories(root_);
        for (int i = 0; i < kFiles; ++i) std::ofstream(root_ / ("file" + std::to_string(i) + ".dat")) << i;
    }
    ~Folder() {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
    const fs::path& Root() const { return root_; }

  private:
    fs::path root_;
};

const Folder& TheFolder() {
    static const Folder folder;
    return folder;
}

PathRef NativePath(const fs::path& p) {
#if defined(_WIN32)
    return PathRef(p.string(), PathRef::StringDOS());
#else
    return PathRef(p.string(), PathRef::StringUnix());
#endif
}

void BM_ListFolder_FGetInfo64(benchmark::State& state) {
    const PathRef folder = NativePath(TheFolder().Root());
    for (auto _ : state) {
        int64 total = 0;
        for (const auto& entry : fs::directory_iterator(TheFolder().Root())) {
            PathRef p(folder);
            p.Append(entry.path().filename().string());
            FileInfoRec64 rec;
            if (FGetInfo64(&p, &rec, 0xFFFFFFFFu) == kErrNone) total += rec.size;
        }
        benchmark::DoNotOptimize(total);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * kFiles);
}

void BM_ListFolder_StdStatus(benchmark::State& state) {
    for (auto _ : state) {
        int64 total = 0;
        for (const auto& entry : fs::directory_iterator(TheFolder().Root())) {
            const fs::file_status s = fs::status(entry.path());
            total += s.type() == fs::file_type::regular ? int64(fs::file_size(entry.path())) : 0;
        }
        benchmark::DoNotOptimize(total);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * kFiles);
}

void BM_FGetInfo64(benchmark::State& state) {
    PathRef p = NativePath(TheFolder().Root() / "file1234.dat");
    for (auto _ : state) {
        FileInfoRec64 rec;
        benchmark::DoNotOptimize(FGetInfo64(&p, &rec, 0xFFFFFFFFu));
        benchmark::DoNotOptimize(rec.size);
    }
}

void BM_Stat(benchmark::State& state) {
    const std::string name = (TheFolder().Root() / "file1234.dat").string();
    for (auto _ : state) {
        struct stat st;
        benchmark::DoNotOptimize(::stat(name.c_str(), &st));
        benchmark::DoNotOptimize(st.st_size);
    }
}

BENCHMARK(BM_ListFolder_FGetInfo64)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListFolder_StdStatus)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FGetInfo64);
BENCHMARK(BM_Stat);

}  // namespace

int main(int argc, char** argv) {
    if (InitTQCoreBase() != kErrNone) return 1;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    UninitTQCoreBase();
    return 0;
}
