// Win32 operating-system identity: product name and true version.
#include <windows.h>

#include "platform/OsInfo.h"
#include "platform/win32/WideText.h"

namespace tq::platform {

namespace {

std::string ProductName() {
    wchar_t value[256];
    DWORD bytes = sizeof value;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", L"ProductName",
                     RRF_RT_REG_SZ, nullptr, value, &bytes) != ERROR_SUCCESS)
        return {};
    return Utf8FromWide(value);
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
