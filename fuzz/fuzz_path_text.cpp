// Path text readers over arbitrary bytes: every format, under single- and double-byte code pages. Each text
// either reads as a valid, sane path that every writer can write, or fails with a nonzero code.
#include <cstring>
#include <string>

#include "files/OsPathName.h"
#include "paths/PathFormatReader.h"
#include "platform/CodePage.h"
#include "tqcore/core.h"
#include "tqcore/files.h"
#include "tqcore/paths.h"

namespace {

const uInt32 kCodePages[] = {1252, 932, 936, 949};
const char* const kFormats[] = {"pathref_display", "pathref_commandline",         "pathref_dos",
                                "pathref_unix",    "pathref_platformindependent", "pathref_platformagnostic"};

// Every path has an OS name below the limit in both forms, or is refused with 1 or 129.
void CheckOsNames(const PathRef& p) {
    for (const auto style : {tq::platform::OsNameStyle::kUnix, tq::platform::OsNameStyle::kDos}) {
        std::string text;
        const TqErr err = tq::files::OsNameText(p, style, text);
        if (err == kErrNone ? text.size() >= tq::files::kMaxOsNameBytes
                            : err != kErrArgument && err != kErrPathTooLong)
            __builtin_trap();
    }
}

// The name check reports only its flags, and only forbidden characters as bad ones.
void CheckNameFlags(const std::string& text) {
    uChar name[256];
    name[0] = uChar(text.size() > 255 ? 255 : text.size());
    std::memcpy(name + 1, text.data(), name[0]);
    char bad[16];
    const int32 flags = FileNameChk(name, 0, 0, bad);
    if (flags & ~(kNameEmpty | kNameForbiddenChar | kNameEndsInDot | kNameReservedDevice)) __builtin_trap();
    if (std::strspn(bad, "\"*/:<>?\\|") != std::strlen(bad) ||
        (bad[0] != 0) != ((flags & kNameForbiddenChar) != 0))
        __builtin_trap();
}

void Check(const PathRef& p) {
    if (!p.IsValid() || !p.IsSane(false)) __builtin_trap();
    for (const char* format : kFormats) {
        std::string text;
        const TqErr err = p.ConvertToString(&text, format);
        if (err && !(err == kErrArgument && !std::strcmp(format, "pathref_commandline"))) __builtin_trap();
    }
    for (int32 i = 0; i < p.ItemCount(); ++i) (void)p.ItemAt(i);
    CheckOsNames(p);
}

void ReadNamed(const std::string& text, const char* format) {
    try {
        Check(PathRef(text, format));
    } catch (const PKExcept& e) {
        if (e.ErrorCode() == kErrNone) __builtin_trap();
    }
}

void ReadColonText(const std::string& text) {
    WidePathFormat::PathFormatReaderMac reader(text);
    PathRef p;
    if (tq::paths::ReadWith(reader, &p) == kErrNone) Check(p);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const TqErr started = PathRef::Init();
    if (started != kErrNone || size < 1) return 0;
    const uInt32 codePage = kCodePages[data[0] % 4];
    if (!tq::platform::SetAnsiCodePage(codePage)) tq::platform::SetAnsiCodePage(1252);
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    for (const char* format : kFormats) ReadNamed(text, format);
    ReadColonText(text);
    CheckNameFlags(text);
    return 0;
}
