// Resource files: lookups by type and ID against std::map, opening and checking a 10 MiB file (mapped
// read-only and read-write), and adding 10,000 resources then saving them.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "tqcore/core.h"
#include "tqcore/memory.h"
#include "tqcore/paths.h"
#include "tqcore/resources.h"

namespace {

constexpr int32 kTypes = 20, kPerType = 500, kLookups = 1 << 16;

ResType TypeNumber(int32 t) {
    const char code[5] = {'T', 'Y', char('A' + t / 10), char('0' + t % 10), 0};
    return TQFourCC(code);
}

struct Started {
    Started() { InitTQCoreBase(); }
};

void Start() {
    static Started started;
}

// 10,000 resources over 20 types, with the same keys in a std::map.
struct LookupFixture {
    ResFile* file = nullptr;
    std::map<std::pair<ResType, int32>, int32> map;
    std::vector<std::pair<ResType, int32>> order;

    LookupFixture() {
        Start();
        ResFileFactory::RCreateMemFile(&file, TQFourCC("tqcr"), TQFourCC("BNCH"));
        for (int32 t = 0; t < kTypes; ++t)
            for (int32 i = 0; i < kPerType; ++i) {
                const uInt8 byte = uInt8(i);
                file->RAddPtr(&byte, 1, TypeNumber(t), i * 3, nullptr);
                map.emplace(std::pair{TypeNumber(t), i * 3}, i);
            }
        std::mt19937 gen(7);
        for (int32 k = 0; k < kLookups; ++k)
            order.emplace_back(TypeNumber(int32(gen() % kTypes)), int32(gen() % kPerType) * 3);
    }
};

LookupFixture& Lookups() {
    static LookupFixture f;
    return f;
}

void BM_ResourceLookup(benchmark::State& state) {
    LookupFixture& f = Lookups();
    size_t i = 0;
    int32 found = 0;
    for (auto _ : state) {
        const auto& k = f.order[i++ & (kLookups - 1)];
        int32 exists = 0;
        f.file->RExists(k.first, k.second, &exists);
        found += exists;
    }
    benchmark::DoNotOptimize(found);
    state.SetItemsProcessed(int64_t(state.iterations()));
}

void BM_ResourceGetLoaded(benchmark::State& state) {
    LookupFixture& f = Lookups();
    size_t i = 0;
    uInt64 sum = 0;
    for (auto _ : state) {
        const auto& k = f.order[i++ & (kLookups - 1)];
        Resource* r = nullptr;
        f.file->RGet(k.first, k.second, &r);
        sum += uInt64(r->GetSize());
    }
    benchmark::DoNotOptimize(sum);
    state.SetItemsProcessed(int64_t(state.iterations()));
}

void BM_StdMapLookup(benchmark::State& state) {
    LookupFixture& f = Lookups();
    size_t i = 0;
    int32 found = 0;
    for (auto _ : state) {
        const auto& k = f.order[i++ & (kLookups - 1)];
        found += f.map.find(k) != f.map.end();
    }
    benchmark::DoNotOptimize(found);
    state.SetItemsProcessed(int64_t(state.iterations()));
}

// A 10 MiB file on disk: 2,560 resources of 4 KiB.
struct DiskFixture {
    std::filesystem::path file = std::filesystem::temp_directory_path() / "tqcore-bench-10mib.res";
    PathRef path;
    int64_t size = 0;

    DiskFixture() {
        Start();
        ResFile* f = nullptr;
        ResFileFactory::RCreateMemFile(&f, TQFourCC("tqcr"), TQFourCC("BNCH"));
        const std::vector<uInt8> block(4096, 0x5A);
        for (int32 i = 0; i < 2560; ++i)
            f->RAddPtr(block.data(), int32(block.size()), TypeNumber(i % kTypes), i, nullptr);
        UHandle image = nullptr;
        f->RGetMemFileHandle(&image);
        f->RCloseFile();
        delete f;
        size = DSGetHandleSize(image);
        std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(*image), size);
        DSDisposeHandle(image);
#if defined(_WIN32)
        path = PathRef(file.string(), PathRef::StringDOS());
#else
        path = PathRef(file.string(), PathRef::StringUnix());
#endif
    }
    ~DiskFixture() {
        std::filesystem::remove(file);
    }
};

DiskFixture& Disk() {
    static DiskFixture f;
    return f;
}

void OpenAndCheck(benchmark::State& state, int32 permission) {
    DiskFixture& d = Disk();
    for (auto _ : state) {
        uInt32 ref = 0;
        if (ROpenFile(&d.path, permission, &ref, nullptr, nullptr)) state.SkipWithError("open failed");
        RCloseFile(ref);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * d.size);
}

void BM_OpenMapped10MiB(benchmark::State& state) {
    OpenAndCheck(state, kResReadOnly);
}

void BM_OpenReadWrite10MiB(benchmark::State& state) {
    OpenAndCheck(state, kResReadWrite);
}

// Adds 10,000 resources of 1 to 64 bytes to a new memory file and saves it into one handle.
void BM_Add10000AndSave(benchmark::State& state) {
    Start();
    std::vector<uInt8> bytes(64, 0x33);
    int64_t fileSize = 0, dataSize = 0;
    for (auto _ : state) {
        ResFile* f = nullptr;
        ResFileFactory::RCreateMemFile(&f, TQFourCC("tqcr"), TQFourCC("BNCH"));
        dataSize = 0;
        for (int32 i = 0; i < 10000; ++i) {
            const int32 n = 1 + i % 64;
            f->RAddPtr(bytes.data(), n, TypeNumber(i % kTypes), i, nullptr);
            dataSize += n;
        }
        UHandle image = nullptr;
        f->RGetMemFileHandle(&image);
        fileSize = DSGetHandleSize(image);
        DSDisposeHandle(image);
        f->RCloseFile();
        delete f;
    }
    state.counters["file_bytes"] = double(fileSize);
    state.counters["data_bytes"] = double(dataSize);
    state.counters["file_per_data"] = double(fileSize) / double(dataSize);
}

}  // namespace

BENCHMARK(BM_ResourceLookup)->Iterations(1000000);
BENCHMARK(BM_ResourceGetLoaded)->Iterations(1000000);
BENCHMARK(BM_StdMapLookup)->Iterations(1000000);
BENCHMARK(BM_OpenMapped10MiB);
BENCHMARK(BM_OpenReadWrite10MiB);
BENCHMARK(BM_Add10000AndSave)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
