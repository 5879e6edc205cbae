// Capture walks the stack with RtlCaptureStackBackTrace (or StackWalk64 from a saved context); names come
// from dbghelp.dll, opened at run time so that a system without it still records and decodes to "<unknown>".
#include "platform/StackTrace.h"

#include <windows.h>
// windows.h first: dbghelp.h needs its types.
#include <dbghelp.h>

#include <cxxabi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace tq::platform {

namespace {

using SymInitializeFn = BOOL(WINAPI*)(HANDLE, PCSTR, BOOL);
using SymGetModuleInfo64Fn = BOOL(WINAPI*)(HANDLE, DWORD64, PIMAGEHLP_MODULE64);
using SymGetSymFromAddr64Fn = BOOL(WINAPI*)(HANDLE, DWORD64, PDWORD64, PIMAGEHLP_SYMBOL64);
using SymLoadModule64Fn = DWORD64(WINAPI*)(HANDLE, HANDLE, PCSTR, PCSTR, DWORD64, DWORD);
using SymGetModuleBase64Fn = DWORD64(WINAPI*)(HANDLE, DWORD64);
using StackWalk64Fn = BOOL(WINAPI*)(DWORD, HANDLE, HANDLE, LPSTACKFRAME64, PVOID,
                                    PREAD_PROCESS_MEMORY_ROUTINE64, PFUNCTION_TABLE_ACCESS_ROUTINE64,
                                    PGET_MODULE_BASE_ROUTINE64, PTRANSLATE_ADDRESS_ROUTINE64);
using SymFunctionTableAccess64Fn = PVOID(WINAPI*)(HANDLE, DWORD64);

constexpr int kModuleCacheSize = 1000;

struct DbgHelp {
    SymInitializeFn initialize = nullptr;
    SymGetModuleInfo64Fn moduleInfo = nullptr;
    SymGetSymFromAddr64Fn symFromAddr = nullptr;
    SymLoadModule64Fn loadModule = nullptr;
    SymGetModuleBase64Fn moduleBase = nullptr;
    StackWalk64Fn stackWalk = nullptr;
    SymFunctionTableAccess64Fn tableAccess = nullptr;
    HANDLE process = nullptr;
    DWORD64 loadedModules[kModuleCacheSize] = {};
    int loadedCount = 0;
};

template <class F>
bool Bind(HMODULE lib, const char* name, F& fn) {
    fn = reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(lib, name)));
    return fn != nullptr;
}

DbgHelp* OpenDbgHelp() {
    HMODULE lib = ::LoadLibraryW(L"dbghelp.dll");
    if (!lib) return nullptr;
    static DbgHelp dh;
    const bool ok =
        Bind(lib, "SymInitialize", dh.initialize) && Bind(lib, "SymGetModuleInfo64", dh.moduleInfo) &&
        Bind(lib, "SymGetSymFromAddr64", dh.symFromAddr) && Bind(lib, "SymLoadModule64", dh.loadModule) &&
        Bind(lib, "SymGetModuleBase64", dh.moduleBase) && Bind(lib, "StackWalk64", dh.stackWalk) &&
        Bind(lib, "SymFunctionTableAccess64", dh.tableAccess);
    if (!ok) return nullptr;
    dh.process = ::GetCurrentProcess();
    if (!dh.initialize(dh.process, nullptr, TRUE)) return nullptr;
    return &dh;
}

// dbghelp is single-threaded: every call into it holds this lock.
std::mutex gDbgHelpLock;

DbgHelp* SymbolState() {
    static DbgHelp* dh = OpenDbgHelp();
    return dh;
}

// Loads the module that holds address into the symbol handler once and remembers it.
void EnsureModuleLoaded(DbgHelp& dh, DWORD64 address) {
    HMODULE module = nullptr;
    if (!::GetModuleHandleExW(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            reinterpret_cast<LPCWSTR>(address), &module))
        return;
    const DWORD64 base = reinterpret_cast<DWORD64>(module);
    for (int i = 0; i < dh.loadedCount; ++i)
        if (dh.loadedModules[i] == base) return;
    char path[MAX_PATH] = {};
    if (!::GetModuleFileNameA(module, path, MAX_PATH)) return;
    if (dh.loadModule(dh.process, nullptr, path, nullptr, base, 0) || ::GetLastError() == ERROR_SUCCESS) {
        if (dh.loadedCount < kModuleCacheSize) dh.loadedModules[dh.loadedCount++] = base;
    }
}

const char* BaseName(const char* path) {
    const char* slash = std::strrchr(path, '\\');
    const char* fslash = std::strrchr(path, '/');
    if (fslash > slash) slash = fslash;
    return slash ? slash + 1 : path;
}

}  // namespace

__attribute__((noinline)) int32 CaptureStack(void** frames, int32 capacity, int32 skipFrames) {
    if (!frames || capacity <= 0 || skipFrames < 0) return 0;
    // One more than asked for: this function's own frame.
    constexpr DWORD kMaxCapture = 62;  // the limit of RtlCaptureStackBackTrace on older systems
    const DWORD want = capacity < int32(kMaxCapture) ? DWORD(capacity) : kMaxCapture;
    return int32(::RtlCaptureStackBackTrace(DWORD(skipFrames) + 1, want, frames, nullptr));
}

int32 CaptureStackFrom(const void* context, const void* frame, void** frames, int32 capacity,
                       int32 skipFrames) {
    if (!context) return CaptureStack(frames, capacity, skipFrames + 1);
    if (!frames || capacity <= 0 || skipFrames < 0) return 0;
    std::lock_guard<std::mutex> lock(gDbgHelpLock);
    DbgHelp* dh = SymbolState();
    if (!dh) return 0;
    // StackWalk64 updates the context as it goes: walk a copy.
    CONTEXT ctx;
    std::memcpy(&ctx, context, sizeof ctx);
    STACKFRAME64 sf{};
    sf.AddrPC.Offset = ctx.Rip;
    sf.AddrPC.Mode = AddrModeFlat;
    sf.AddrFrame.Offset = frame ? reinterpret_cast<DWORD64>(frame) : ctx.Rbp;
    sf.AddrFrame.Mode = AddrModeFlat;
    sf.AddrStack.Offset = ctx.Rsp;
    sf.AddrStack.Mode = AddrModeFlat;
    constexpr DWORD kMachineAmd64 = 0x8664;
    int32 n = 0, seen = 0;
    while (n < capacity && dh->stackWalk(kMachineAmd64, dh->process, ::GetCurrentThread(), &sf, &ctx, nullptr,
                                         dh->tableAccess, dh->moduleBase, nullptr)) {
        if (!sf.AddrPC.Offset) break;
        if (seen++ >= skipFrames) frames[n++] = reinterpret_cast<void*>(sf.AddrPC.Offset);
    }
    return n;
}

void DescribeSymbol(const void* address, char* name, size_t size, uInt64* offset) {
    if (offset) *offset = 0;
    if (!name || size == 0) return;
    *name = 0;
    std::lock_guard<std::mutex> lock(gDbgHelpLock);
    DbgHelp* dh = address ? SymbolState() : nullptr;
    if (!dh) return;
    alignas(IMAGEHLP_SYMBOL64) char symbolBuffer[sizeof(IMAGEHLP_SYMBOL64) + 512] = {};
    auto* symbol = reinterpret_cast<IMAGEHLP_SYMBOL64*>(symbolBuffer);
    symbol->SizeOfStruct = sizeof(IMAGEHLP_SYMBOL64);
    symbol->MaxNameLength = 512;
    const DWORD64 at = reinterpret_cast<DWORD64>(address);
    EnsureModuleLoaded(*dh, at);
    DWORD64 displacement = 0;
    if (!dh->symFromAddr(dh->process, at, &displacement, symbol) || !symbol->Name[0]) return;
    int status = -1;
    char* demangled = abi::__cxa_demangle(symbol->Name, nullptr, nullptr, &status);
    std::snprintf(name, size, "%s", status == 0 && demangled ? demangled : symbol->Name);
    std::free(demangled);
    if (offset) *offset = displacement;
}

void DescribeAddress(const void* address, char* text, size_t size) {
    if (!text || size == 0) return;
    std::lock_guard<std::mutex> lock(gDbgHelpLock);
    DbgHelp* dh = address ? SymbolState() : nullptr;
    const char* module = "<unknown>";
    const char* name = nullptr;
    DWORD64 offset = 0;
    IMAGEHLP_MODULE64 info{};
    info.SizeOfStruct = sizeof info;
    alignas(IMAGEHLP_SYMBOL64) char symbolBuffer[sizeof(IMAGEHLP_SYMBOL64) + 512] = {};
    auto* symbol = reinterpret_cast<IMAGEHLP_SYMBOL64*>(symbolBuffer);
    if (dh) {
        const DWORD64 at = reinterpret_cast<DWORD64>(address);
        EnsureModuleLoaded(*dh, at);
        if (dh->moduleInfo(dh->process, at, &info) && info.ImageName[0]) module = BaseName(info.ImageName);
        symbol->SizeOfStruct = sizeof(IMAGEHLP_SYMBOL64);
        symbol->MaxNameLength = 512;
        if (dh->symFromAddr(dh->process, at, &offset, symbol) && symbol->Name[0]) name = symbol->Name;
    }
    int status = -1;
    char* demangled = name ? abi::__cxa_demangle(name, nullptr, nullptr, &status) : nullptr;
    if (status == 0 && demangled) name = demangled;
    if (name)
        std::snprintf(text, size, "%s %s+0x%llx", module, name, static_cast<unsigned long long>(offset));
    else
        std::snprintf(text, size, "%s <unknown>", module);
    std::free(demangled);
}

}  // namespace tq::platform
