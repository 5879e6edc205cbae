// Code-page conversion, case mapping and BSTRs through the Win32 interfaces.
#include <windows.h>
// oleauto.h needs the types windows.h declares first.
#include <oleauto.h>

#include <cstdlib>

#include "platform/CodePage.h"
#include "platform/LastError.h"

namespace tq::platform {

namespace {

uInt32 Resolve(uInt32 codePage) {
    return codePage == kCodePageAnsi ? AnsiCodePage() : codePage;
}

int32 Checked(int r) {
    if (r == 0) SetLastError(uInt32(::GetLastError()));
    return r;
}

// Wine can fill a buffer with the part of the text that fits and report success (a surrogate pair cut by
// the buffer's end), so a full buffer only counts when the whole text measures that long.
template <class Measure>
int32 WholeTextOnly(int32 written, int32 dstCap, Measure measure) {
    if (dstCap < 1 || written < dstCap || measure() == written) return written;
    SetLastError(kWinInsufficientBuffer);
    return 0;
}

}  // namespace

uInt32 HostAnsiCodePage() {
    wchar_t env[16];
    const DWORD n = ::GetEnvironmentVariableW(L"TQCORE_ANSI_CODEPAGE", env, 16);
    if (n > 0 && n < 16) {
        wchar_t* end = nullptr;
        const unsigned long cp = std::wcstoul(env, &end, 10);
        if (end && *end == L'\0' && cp > 0 && cp < 65536) return uInt32(cp);
    }
    return uInt32(::GetACP());
}

int32 MultiByteToWide(uInt32 codePage, uInt32 flags, const char* src, int32 srcLen, TQWChar* dst,
                      int32 dstCap) {
    const UINT cp = Resolve(codePage);
    const DWORD f = (flags & kConvertStrict) ? MB_ERR_INVALID_CHARS : 0;
    const int32 r = Checked(::MultiByteToWideChar(cp, f, src, srcLen, dst, dstCap));
    return WholeTextOnly(r, dstCap, [&] { return ::MultiByteToWideChar(cp, f, src, srcLen, nullptr, 0); });
}

int32 WideToMultiByte(uInt32 codePage, uInt32 flags, const TQWChar* src, int32 srcLen, char* dst,
                      int32 dstCap) {
    const UINT cp = Resolve(codePage);
    if (cp == CP_UTF8) {
        const DWORD f = (flags & kConvertStrict) ? WC_ERR_INVALID_CHARS : 0;
        const int32 r = Checked(::WideCharToMultiByte(cp, f, src, srcLen, dst, dstCap, nullptr, nullptr));
        return WholeTextOnly(r, dstCap, [&] {
            return ::WideCharToMultiByte(cp, f, src, srcLen, nullptr, 0, nullptr, nullptr);
        });
    }
    // No default character of our own: the code page's own one stands in unless the caller wants failure.
    BOOL usedDefault = FALSE;
    BOOL* probe = (flags & kConvertStrict) ? &usedDefault : nullptr;
    const DWORD f = WC_NO_BEST_FIT_CHARS;
    const int32 r = Checked(::WideCharToMultiByte(cp, f, src, srcLen, dst, dstCap, nullptr, probe));
    if (r != 0 && usedDefault) {
        SetLastError(kWinNoUnicodeTranslation);
        return 0;
    }
    return WholeTextOnly(
        r, dstCap, [&] { return ::WideCharToMultiByte(cp, f, src, srcLen, nullptr, 0, nullptr, nullptr); });
}

TQWChar WideToUpper(TQWChar c) {
    wchar_t buf[1] = {c};
    ::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, buf, 1, buf, 1, nullptr, nullptr, 0);
    return buf[0];
}

TQWChar WideToLower(TQWChar c) {
    wchar_t buf[1] = {c};
    ::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_LOWERCASE, buf, 1, buf, 1, nullptr, nullptr, 0);
    return buf[0];
}

bool LeadByteTable(uInt32 codePage, bool lead[256]) {
    CPINFO info;
    if (!::GetCPInfo(codePage, &info)) return false;
    for (int b = 0; b < 256; ++b) lead[b] = false;
    for (int i = 0; i + 1 < MAX_LEADBYTES && info.LeadByte[i] != 0; i += 2)
        for (int b = info.LeadByte[i]; b <= info.LeadByte[i + 1]; ++b) lead[b] = true;
    return true;
}

TQWChar* SysAllocStringLen(const TQWChar* text, uInt32 length) {
    return ::SysAllocStringLen(text, length);
}

uInt32 SysStringLen(const TQWChar* bstr) {
    return ::SysStringLen(const_cast<BSTR>(bstr));
}

void SysFreeString(TQWChar* bstr) {
    ::SysFreeString(bstr);
}

}  // namespace tq::platform
