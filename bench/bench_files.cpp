// Open files against the system's own calls on the same kind of descriptor: reading and writing 64 MiB in
// 64 KiB blocks (target within 1.1x), and opening and closing a file with a deny mode against open and close
// (the deny table's price). The ratios are printed after the runs.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "tqcore/core.h"
#include "tqcore/files.h"
#include "tqcore/paths.h"

namespace {

namespace fs = std::filesystem;

constexpr int32 kBlock = 64 * 1024;
constexpr int64 kFileBytes = 64 * 1024 * 1024;

struct Library {
    Library() { InitTQCoreBase(); }
    ~Library() { UninitTQCoreBase(); }
};

// One scratch file of 64 MiB for the whole run, and its Path.
struct Scratch {
    Scratch() : file(fs::temp_directory_path() / ("tqbench-files-" + std::to_string(getpid()))) {
        std::vector<char> block(kBlock, 'x');
        const int fd = ::open(file.c_str(), O_CREAT | O_TRUNC | O_WRONLY | O_CLOEXEC, 0644);
        for (int64 done = 0; done < kFileBytes; done += kBlock)
            if (::write(fd, block.data(), kBlock) != kBlock) break;
        ::close(fd);
        path = std::make_unique<PathRef>(kBaseAbsolute);
        for (const fs::path& part : file.relative_path()) path->Append(part.string());
    }
    ~Scratch() { fs::remove(file); }
    fs::path file;
    std::unique_ptr<PathRef> path;
};

Scratch& TheScratch() {
    static Library library;
    static Scratch scratch;
    return scratch;
}

void Read_FMRead(benchmark::State& state) {
    Scratch& s = TheScratch();
    File fd = 0;
    FMOpen(&fd, s.path.get(), kOpenReadWrite, kDenyNone);
    std::vector<uChar> block(kBlock);
    for (auto _ : state) {
        FMSeek(fd, 0, kSeekFromStart);
        for (int64 done = 0; done < kFileBytes; done += kBlock) FMRead(fd, kBlock, nullptr, block.data());
        benchmark::DoNotOptimize(block.data());
    }
    FMClose(fd);
    state.SetBytesProcessed(int64_t(state.iterations()) * kFileBytes);
}

void Read_Posix(benchmark::State& state) {
    Scratch& s = TheScratch();
    const int fd = ::open(s.file.c_str(), O_RDWR | O_CLOEXEC);
    std::vector<uChar> block(kBlock);
    for (auto _ : state) {
        ::lseek(fd, 0, SEEK_SET);
        for (int64 done = 0; done < kFileBytes; done += kBlock)
            benchmark::DoNotOptimize(::read(fd, block.data(), kBlock));
        benchmark::DoNotOptimize(block.data());
    }
    ::close(fd);
    state.SetBytesProcessed(int64_t(state.iterations()) * kFileBytes);
}

void Write_FMWrite(benchmark::State& state) {
    Scratch& s = TheScratch();
    File fd = 0;
    FMOpen(&fd, s.path.get(), kOpenReadWrite, kDenyNone);
    std::vector<uChar> block(kBlock, 'w');
    for (auto _ : state) {
        FMSeek(fd, 0, kSeekFromStart);
        for (int64 done = 0; done < kFileBytes; done += kBlock) FMWrite(fd, kBlock, nullptr, block.data());
    }
    FMClose(fd);
    state.SetBytesProcessed(int64_t(state.iterations()) * kFileBytes);
}

void Write_Posix(benchmark::State& state) {
    Scratch& s = TheScratch();
    const int fd = ::open(s.file.c_str(), O_RDWR | O_CLOEXEC);
    std::vector<uChar> block(kBlock, 'w');
    for (auto _ : state) {
        ::lseek(fd, 0, SEEK_SET);
        for (int64 done = 0; done < kFileBytes; done += kBlock)
            benchmark::DoNotOptimize(::write(fd, block.data(), kBlock));
    }
    ::close(fd);
    state.SetBytesProcessed(int64_t(state.iterations()) * kFileBytes);
}

void OpenClose_FMOpenDeny(benchmark::State& state) {
    Scratch& s = TheScratch();
    for (auto _ : state) {
        File fd = 0;
        FMOpen(&fd, s.path.get(), kOpenRead, kDenyWrite);
        FMClose(fd);
    }
    state.SetItemsProcessed(int64_t(state.iterations()));
}

void OpenClose_Posix(benchmark::State& state) {
    Scratch& s = TheScratch();
    for (auto _ : state) ::close(::open(s.file.c_str(), O_RDONLY | O_CLOEXEC));
    state.SetItemsProcessed(int64_t(state.iterations()));
}

}  // namespace

BENCHMARK(Read_FMRead)->Unit(benchmark::kMillisecond);
BENCHMARK(Read_Posix)->Unit(benchmark::kMillisecond);
BENCHMARK(Write_FMWrite)->Unit(benchmark::kMillisecond);
BENCHMARK(Write_Posix)->Unit(benchmark::kMillisecond);
BENCHMARK(OpenClose_FMOpenDeny)->Iterations(100000);
BENCHMARK(OpenClose_Posix)->Iterations(100000);

BENCHMARK_MAIN();
