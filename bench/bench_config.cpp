// Preference files against GLib's key files and inih: loading a 10,000-line file, a typed lookup of a 32-bit
// integer, and the whole-file rewrite after one change (flushed to the device). Goals: loading and the
// lookup no slower than GLib. The ratios and the rewrite's ms and MB/s are printed after the runs.
#include <benchmark/benchmark.h>
#include <glib.h>
#include <ini.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "tqcore/config.h"
#include "tqcore/core.h"
#include "tqcore/sysinfo.h"

namespace {

constexpr int kSections = 100;
constexpr int kKeysPerSection = 98;  // with the header and a blank line: 10,000 lines

struct PrefsFile {
    std::string path;
    std::string commandLine;
    size_t bytes = 0;
};

// Sections of integers, strings, quoted strings and Booleans, each with a line both readers keep (a "#" line
// is GLib's comment; this library keeps it as an unrecognised line).
const PrefsFile& Prefs() {
    static const PrefsFile file = [] {
        PrefsFile f;
        f.path = (std::filesystem::temp_directory_path() / "tqcore-bench-prefs.ini").string();
        std::ofstream out(f.path, std::ios::binary | std::ios::trunc);
        for (int s = 0; s < kSections; ++s) {
            out << "[Section" << s << "]\n# settings of part " << s << "\n";
            for (int k = 1; k < kKeysPerSection; ++k) {
                out << "Key" << k << "=";
                switch (k % 4) {
                    case 0:
                        out << k * 37;
                        break;
                    case 1:
                        out << "value number " << k;
                        break;
                    case 2:
                        out << "\"quoted " << k << "\"";
                        break;
                    default:
                        out << (k % 8 ? "True" : "False");
                        break;
                }
                out << "\n";
            }
        }
        out.close();
        f.bytes = size_t(std::filesystem::file_size(f.path));
        f.commandLine = PathRef(f.path, PathRef::StringUnix()).ToString(PathRef::StringCommandLine());
        return f;
    }();
    return file;
}

ConfigManager* NewManager() {
    ConfigManager* m = nullptr;
    if (ConstructCfgAccessCStr(Prefs().commandLine.c_str(), &m) != kErrNone) return nullptr;
    m->UpdateSectionHeader("Section50");
    return m;
}

void Load_ConfigManager(benchmark::State& state) {
    for (auto _ : state) {
        ConfigManager* m = NewManager();
        int32 v = 0;
        // The first lookup reads the file.
        if (!m || m->GetDefault(TQFourCC("I32 "), std::string("Key4"), &v) != kErrNone)
            state.SkipWithError("read");
        benchmark::DoNotOptimize(v);
        m->RemoveRef();
    }
    state.SetBytesProcessed(int64_t(state.iterations() * Prefs().bytes));
}

void Load_GKeyFile(benchmark::State& state) {
    for (auto _ : state) {
        GKeyFile* k = g_key_file_new();
        if (!g_key_file_load_from_file(k, Prefs().path.c_str(), G_KEY_FILE_NONE, nullptr))
            state.SkipWithError("load");
        benchmark::DoNotOptimize(g_key_file_get_integer(k, "Section50", "Key4", nullptr));
        g_key_file_free(k);
    }
    state.SetBytesProcessed(int64_t(state.iterations() * Prefs().bytes));
}

int CountEntry(void* user, const char*, const char*, const char*) {
    ++*static_cast<int*>(user);
    return 1;
}

void Load_Inih(benchmark::State& state) {
    for (auto _ : state) {
        int n = 0;
        if (ini_parse(Prefs().path.c_str(), CountEntry, &n) != 0) state.SkipWithError("parse");
        benchmark::DoNotOptimize(n);
    }
    state.SetBytesProcessed(int64_t(state.iterations() * Prefs().bytes));
}

void Lookup_CfgGetDefault(benchmark::State& state) {
    Str255 token;
    token[0] = 4;
    std::memcpy(token + 1, "Key4", 4);
    ConfigManager* main = GetMainCfgAccess();
    if (!main) return state.SkipWithError("no main manager");
    main->UpdateSectionHeader("Section50");
    for (auto _ : state) {
        int32 v = 0;
        if (CfgGetDefault(TQFourCC("I32 "), token, &v) != kErrNone) state.SkipWithError("lookup");
        benchmark::DoNotOptimize(v);
    }
}

void Lookup_GKeyFile(benchmark::State& state) {
    GKeyFile* k = g_key_file_new();
    g_key_file_load_from_file(k, Prefs().path.c_str(), G_KEY_FILE_NONE, nullptr);
    for (auto _ : state) benchmark::DoNotOptimize(g_key_file_get_integer(k, "Section50", "Key4", nullptr));
    g_key_file_free(k);
}

void Save_ConfigManager(benchmark::State& state) {
    ConfigManager* m = NewManager();
    int32 v = 0;
    for (auto _ : state) {
        ++v;
        if (m->Write(TQFourCC("I32 "), std::string("Key4"), &v, 0) != kErrNone) state.SkipWithError("write");
    }
    m->RemoveRef();
    state.SetBytesProcessed(int64_t(state.iterations() * Prefs().bytes));
}

void Save_GKeyFile(benchmark::State& state) {
    GKeyFile* k = g_key_file_new();
    g_key_file_load_from_file(k, Prefs().path.c_str(), G_KEY_FILE_KEEP_COMMENTS, nullptr);
    const std::string copy = Prefs().path + ".glib";
    int v = 0;
    for (auto _ : state) {
        g_key_file_set_integer(k, "Section50", "Key4", ++v);
        if (!g_key_file_save_to_file(k, copy.c_str(), nullptr)) state.SkipWithError("save");
    }
    g_key_file_free(k);
    std::filesystem::remove(copy);
    state.SetBytesProcessed(int64_t(state.iterations() * Prefs().bytes));
}

BENCHMARK(Load_ConfigManager)->Unit(benchmark::kMillisecond);
BENCHMARK(Load_GKeyFile)->Unit(benchmark::kMillisecond);
BENCHMARK(Load_Inih)->Unit(benchmark::kMillisecond);
BENCHMARK(Lookup_CfgGetDefault);
BENCHMARK(Lookup_GKeyFile);
BENCHMARK(Save_ConfigManager)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Save_GKeyFile)->Unit(benchmark::kMillisecond)->UseRealTime();

// Keeps each run's time per iteration by name, to print the ratios at the end.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs) {
            times[r.benchmark_name()] = r.GetAdjustedCPUTime();
            real[r.benchmark_name()] = r.GetAdjustedRealTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times, real;
};

void Ratio(RatioReporter& r, const char* mine, const char* theirs, const char* what) {
    const auto a = r.times.find(mine), b = r.times.find(theirs);
    if (a == r.times.end() || b == r.times.end() || b->second <= 0) return;
    std::printf("%-40s %s / %s = %.2f\n", what, mine, theirs, a->second / b->second);
}

}  // namespace

int main(int argc, char** argv) {
    // Paths are made once the path tree runs; the main manager then starts over the file.
    if (InitTQCoreBase() != kErrNone || SetPrefsPath(Prefs().commandLine.c_str()) != kErrNone) return 1;
    InitTQCoreAppSupport();
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    Ratio(reporter, "Load_ConfigManager", "Load_GKeyFile", "loading 10,000 lines");
    Ratio(reporter, "Load_ConfigManager", "Load_Inih", "loading 10,000 lines");
    Ratio(reporter, "Lookup_CfgGetDefault", "Lookup_GKeyFile", "typed I32 lookup");
    if (auto s = reporter.real.find("Save_ConfigManager/real_time");
        s != reporter.real.end() && s->second > 0)
        std::printf("%-40s %.3f ms, %.1f MB/s\n", "rewrite after one change", s->second,
                    double(Prefs().bytes) / 1e6 / (s->second / 1e3));
    UninitTQCoreAppSupport();
    UninitTQCoreBase();
    std::filesystem::remove(Prefs().path);
    benchmark::Shutdown();
    return 0;
}
