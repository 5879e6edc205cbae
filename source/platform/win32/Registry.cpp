// Windows only: string values of the local-machine registry.
#include "platform/Registry.h"

#include <windows.h>

#include <vector>

#include "platform/LastError.h"
#include "platform/Utf8Codec.h"

namespace tq::platform {

namespace {
std::wstring Wide(const std::string& s) {
    const int32 n = Utf8ToUtf16(s.data(), int32(s.size()), nullptr, 0, false);
    std::wstring w(size_t(n > 0 ? n : 0), L'\0');
    if (n > 0) Utf8ToUtf16(s.data(), int32(s.size()), reinterpret_cast<TQWChar*>(w.data()), n, false);
    return w;
}

std::string Narrow(const wchar_t* w, size_t length) {
    const int32 n = Utf16ToUtf8(reinterpret_cast<const TQWChar*>(w), int32(length), nullptr, 0, false);
    std::string s(size_t(n > 0 ? n : 0), '\0');
    if (n > 0) Utf16ToUtf8(reinterpret_cast<const TQWChar*>(w), int32(length), s.data(), n, false);
    return s;
}
}  // namespace

bool RegistryReadMachineString(const std::string& key, const std::string& value, std::string& out) {
    const std::wstring k = Wide(key), v = Wide(value);
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
    out = Narrow(text.data(), wcsnlen(text.data(), text.size()));
    return true;
}

}  // namespace tq::platform
