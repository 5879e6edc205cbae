// Windows only: string values of the local-machine registry.
#include "platform/Registry.h"

#include <windows.h>

#include <vector>

#include "platform/LastError.h"
#include "platform/win32/WideText.h"

namespace tq::platform {

bool RegistryReadMachineString(const std::string& key, const std::string& value, std::string& out) {
    const std::wstring k = WideFromUtf8(key.data(), key.size(), false),
                       v = WideFromUtf8(value.data(), value.size(), false);
    DWORD bytes = 0;
    LONG r =
        ::RegGetValueW(HKEY_LOCAL_MACHINE, k.c_str(), v.c_str(), RRF_RT_REG_SZ, nullptr, nullptr, &bytes);
    if (r != ERROR_SUCCESS) {
        SetLastError(uInt32(r));
        return false;
    }
    std::vector<wchar_t> text(bytes / sizeof(wchar_t) + 1, L'\0');
    r = ::RegGetValueW(HKEY_LOCAL_MACHINE, k.c_str(), v.c_str(), RRF_RT_REG_SZ, nullptr, text.data(), &bytes);
    if (r != ERROR_SUCCESS) {
        SetLastError(uInt32(r));
        return false;
    }
    out = Utf8FromWide(text.data(), wcsnlen(text.data(), text.size()));
    return true;
}

}  // namespace tq::platform
