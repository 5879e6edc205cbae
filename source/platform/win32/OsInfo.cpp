// Win32 operating-system identity: product name and true version.
#include <windows.h>

#include "platform/OsInfo.h"

namespace tq::platform {

namespace {

std::string ToUtf8(const wchar_t* w) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, w, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1) return {};
    std::string s(size_t(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w, -1, s.data(), n, nullptr, nullptr);
    s.resize(size_t(n - 1));
    return s;
}

std::string ProductName() {
    wchar_t value[256];
    DWORD bytes = sizeof value;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", L"ProductName",
                     RRF_RT_REG_SZ, nullptr, value, &bytes) != ERROR_SUCCESS)
        return {};
    return ToUtf8(value);
}

// The true version: the compatibility layer makes GetVersionEx lie to unmanifested programs.
bool TrueVersion(OSVERSIONINFOW& info) {
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    if (!ntdll) return false;
    const auto fn =
        reinterpret_cast<RtlGetVersionFn>(reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")));
    info = {};
    info.dwOSVersionInfoSize = sizeof info;
    return fn && fn(&info) == 0;
}

}  // namespace

OsIdentity QueryOsIdentity() {
    OsIdentity id;
    id.productName = ProductName();
    id.isNT = true;
    OSVERSIONINFOW info;
    if (TrueVersion(info)) {
        id.major = info.dwMajorVersion;
        id.minor = info.dwMinorVersion;
        id.build = info.dwBuildNumber;
        id.detail = "build " + std::to_string(info.dwBuildNumber);
    }
    return id;
}

}  // namespace tq::platform
