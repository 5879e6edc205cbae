// Windows: the shell's link object resolves links. It lives in single-threaded apartments only, so a thread
// already in a multithreaded one hands the work to a thread of its own.
#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <windows.h>

#include <string>

#include "platform/LastError.h"
#include "platform/ShellLink.h"
#include "platform/win32/WideText.h"

namespace tq::platform {

namespace {

const DWORD kResolveFlags = DWORD(SLR_NO_UI) | DWORD(SLR_NOSEARCH);
constexpr int kTargetUnits = MAX_PATH;

struct Resolution {
    std::wstring name;
    ShellLinkResolution* out;
};

void Note(ShellLinkResolution* out, ShellLinkEvent event, uInt32 code) {
    out->notes.push_back({event, code});
}

// Load, resolve without asking anyone, and read the target; each interface is released on the way out.
bool ResolveWithLinkObject(Resolution& r) {
    IShellLinkW* link = nullptr;
    const HRESULT made = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                          reinterpret_cast<void**>(&link));
    if (FAILED(made) || !link) {
        Note(r.out, ShellLinkEvent::kLinkObjectMissing, uInt32(made));
        return false;
    }
    IPersistFile* file = nullptr;
    wchar_t target[kTargetUnits] = {};
    bool resolved = false;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) && file) {
        resolved = SUCCEEDED(file->Load(r.name.c_str(), STGM_READ)) &&
                   SUCCEEDED(link->Resolve(nullptr, kResolveFlags)) &&
                   SUCCEEDED(link->GetPath(target, kTargetUnits, nullptr, 0)) && target[0] != 0;
        file->Release();
    }
    link->Release();
    if (resolved) r.out->target = Utf8FromWide(target);
    return resolved && !r.out->target.empty();
}

// The thread of its own initialises and uninitialises COM itself.
DWORD WINAPI ResolveInApartment(void* arg) {
    Resolution& r = *static_cast<Resolution*>(arg);
    const HRESULT init = CoInitialize(nullptr);
    if (FAILED(init)) {
        Note(r.out, ShellLinkEvent::kApartmentComInitFailed, uInt32(init));
        return 0;
    }
    const bool resolved = ResolveWithLinkObject(r);
    CoUninitialize();
    return resolved ? 1 : 0;
}

bool ResolveOnThreadOfItsOwn(Resolution& r) {
    HANDLE thread = CreateThread(nullptr, 0, ResolveInApartment, &r, 0, nullptr);
    if (!thread) {
        Note(r.out, ShellLinkEvent::kApartmentThreadNotStarted, ::GetLastError());
        return false;
    }
    WaitForSingleObject(thread, INFINITE);
    DWORD code = 0;
    const bool read = GetExitCodeThread(thread, &code);
    if (!read) Note(r.out, ShellLinkEvent::kApartmentThreadAbnormalEnd, ::GetLastError());
    CloseHandle(thread);
    return read && code == 1;
}

}  // namespace

bool ResolveShellLink(const char* utf8Path, ShellLinkResolution* out) {
    out->target.clear();
    out->notes.clear();
    Resolution r{WideFromUtf8(utf8Path, true), out};
    if (r.name.empty()) return false;
    const HRESULT init = CoInitialize(nullptr);
    if (init == RPC_E_CHANGED_MODE) return ResolveOnThreadOfItsOwn(r);
    if (FAILED(init)) {
        Note(out, ShellLinkEvent::kComInitFailed, uInt32(init));
        return false;
    }
    if (init == S_OK) Note(out, ShellLinkEvent::kThreadWithoutCom, 0);
    const bool resolved = ResolveWithLinkObject(r);
    CoUninitialize();
    return resolved;
}

}  // namespace tq::platform
