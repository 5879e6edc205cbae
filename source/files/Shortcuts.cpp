// Shortcut files: one name resolved through the link it names, and every link along a name, prefix by prefix.
// Names are OS names in the library's text (the ANSI code page) in buffers of kMaxOsNameBytes.
#define TQ_UNIT "source\\Shortcuts"

#include "files/Shortcuts.h"

#include <cstdio>
#include <cstring>

#include "diagnostics/Report.h"
#include "files/OsPathName.h"
#include "files/PathSupport.h"
#include "platform/FileSystem.h"
#include "platform/OsNames.h"
#include "platform/ShellLink.h"
#include "tqcore/core.h"
#include "tqcore/files.h"

namespace {
namespace platform = tq::platform;
using tq::files::kMaxOsNameBytes;

constexpr char kLinkExtension[] = ".lnk";
constexpr size_t kLinkExtensionLength = sizeof kLinkExtension - 1;

// Names split at the separator their OS names use: '\' on Windows, '/' on POSIX.
char Separator() {
    return platform::NativeNameStyle() == platform::OsNameStyle::kDos ? '\\' : '/';
}

bool Exists(const std::string& name) {
    std::string utf8;
    platform::FileStatus status;
    return tq::files::OsTextFromLibrary(name, utf8) && platform::FileGetStatus(utf8.c_str(), &status);
}

void ReportNote(const platform::ShellLinkNote& note) {
    using platform::ShellLinkEvent;
    char hresult[16];
    std::snprintf(hresult, sizeof hresult, "0x%08x", unsigned(note.code));
    switch (note.event) {
        case ShellLinkEvent::kThreadWithoutCom:
            TQ_REPORT(kDbgWarn, "Win32ResolveShortCut called from thread that wasn't CoInitialized().");
            break;
        case ShellLinkEvent::kApartmentThreadNotStarted:
            TQ_REPORT(kDbgError,
                      "Failed to create ResolveInApartment thread. Error Code: ", int32(note.code));
            break;
        case ShellLinkEvent::kApartmentThreadAbnormalEnd:
            TQ_REPORT(kDbgError,
                      "ResolveInApartment thread terminated abnormally. Error Code: ", int32(note.code));
            break;
        case ShellLinkEvent::kComInitFailed:
            TQ_REPORT(kDbgError, "CoInitialize failed. Error Code: ", int32(note.code));
            break;
        case ShellLinkEvent::kLinkObjectMissing:
            TQ_REPORT(kDbgError,
                      "Failed to retrieve IShellLink interface. Windows may not be properly installed. Error "
                      "Code: ",
                      hresult);
            break;
        case ShellLinkEvent::kApartmentComInitFailed:
            TQ_REPORT(kDbgError, "Failed to initialize COM in ResolveInApartment. Error Code: ", hresult);
            break;
    }
}

// The link's target as an OS name in the library's text. The target is Windows path text, read as the
// library reads that form on every OS (on POSIX "C:\dir\x" is /C/dir/x; a server share has no POSIX name and
// does not resolve); a relative target is taken from the link's own folder.
bool TargetName(const std::string& link, const std::string& targetUtf8, std::string* name) {
    try {
        PathRef target(tq::files::LibraryTextFromOs(targetUtf8), PathRef::StringDOS());
        if (target.StartsWith(kBaseRelative)) {
            PathRef folder = PathRef(link, tq::files::OsPathFormat()).GetParentDirectory();
            folder.Append(target);
            target = folder;
        }
        return tq::files::OsNameText(target, platform::NativeNameStyle(), *name) == kErrNone;
    } catch (...) {
        return false;
    }
}

// The target of the link file named link, or false.
bool ResolveLinkFile(const std::string& link, std::string* target) {
    std::string utf8;
    if (!tq::files::OsTextFromLibrary(link, utf8)) return false;
    platform::ShellLinkResolution resolution;
    const bool resolved = platform::ResolveShellLink(utf8.c_str(), &resolution);
    for (const platform::ShellLinkNote& note : resolution.notes) ReportNote(note);
    return resolved && TargetName(link, resolution.target, target) && target->size() < kMaxOsNameBytes;
}

// The length of the name in a caller's buffer, which holds at most kMaxOsNameBytes with its NUL.
size_t NameLength(const char* name) {
    const void* nul = std::memchr(name, 0, kMaxOsNameBytes);
    return nul ? size_t(static_cast<const char*>(nul) - name) : kMaxOsNameBytes;
}

// The first end bytes of name: when they name a link, its target (without a trailing separator) replaces
// them and *next is just past the separator that followed them; false when they name no link.
bool ResolvePrefix(std::string& name, size_t end, size_t* next) {
    char buffer[kMaxOsNameBytes] = {};
    std::memcpy(buffer, name.data(), end);
    if (!Win32ResolveShortCutExists(buffer, 0)) return false;
    std::string target(buffer);
    if (target.size() > 1 && target.back() == Separator()) target.pop_back();
    name.replace(0, end, target);
    *next = target.size() + 1;
    return true;
}

}  // namespace

namespace tq::files {

bool EndsInLinkExtension(const char* text, size_t length) {
    if (length < kLinkExtensionLength) return false;
    const char* ext = text + length - kLinkExtensionLength;
    return ext[0] == '.' && (ext[1] | 0x20) == 'l' && (ext[2] | 0x20) == 'n' && (ext[3] | 0x20) == 'k';
}

void ResolveShortcutsOnName(std::string& text) {
    const char separator = Separator();
    bool mentioned = false;
    for (size_t at = 0; !mentioned && at < text.size(); ++at)
        mentioned =
            (at + 1 == text.size() || text[at + 1] == separator) && EndsInLinkExtension(text.data(), at + 1);
    if (!mentioned || text.size() >= kMaxOsNameBytes) return;
    char buffer[kMaxOsNameBytes] = {};
    std::memcpy(buffer, text.data(), text.size());
    if (Win32ResolveAllShortCuts(buffer)) text = buffer;
}

}  // namespace tq::files

int32 Win32ResolveShortCutExists(CStr name, int32 existsHint) {
    if (!name) return 0;
    if (existsHint < 0 || existsHint > 2) TQ_REPORT(kDbgWarn, "Bogus Value");
    const size_t length = NameLength(name);
    if (length == 0 || length >= kMaxOsNameBytes) return 0;
    std::string link(name, length);
    if (!tq::files::EndsInLinkExtension(name, length)) {
        if (existsHint == 1 || (existsHint != 2 && Exists(link))) return 0;
        link += kLinkExtension;
        if (link.size() >= kMaxOsNameBytes || !Exists(link)) return 0;
    }
    std::string target;
    if (!ResolveLinkFile(link, &target)) return 0;
    std::memcpy(name, target.c_str(), target.size() + 1);
    return 1;
}

int32 Win32ResolveShortCut(CStr name) {
    return Win32ResolveShortCutExists(name, 0);
}

int32 Win32ResolveAllShortCuts(CStr name) {
    if (!name) return 0;
    const size_t length = NameLength(name);
    if (length >= kMaxOsNameBytes) return 0;
    std::string copy(name, length);
    const char separator = Separator();
    bool resolved = false;
    for (size_t at = copy.find(separator); at != std::string::npos && at < kMaxOsNameBytes;) {
        size_t next = at + 1;
        // A name's leading separator has nothing before it to resolve.
        if (at > 0 && ResolvePrefix(copy, at, &next)) resolved = true;
        at = copy.find(separator, next);
    }
    size_t ignored = 0;
    if (copy.size() < kMaxOsNameBytes && ResolvePrefix(copy, copy.size(), &ignored)) resolved = true;
    if (!resolved || copy.size() >= kMaxOsNameBytes) return 0;
    std::memcpy(name, copy.c_str(), copy.size() + 1);
    return 1;
}
