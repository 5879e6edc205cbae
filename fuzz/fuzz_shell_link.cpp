// Shell-link files: any bytes either are refused or name a target of one kind, which a link written afresh
// with that target alone reads back the same.
#include <cstdint>
#include <string>

#include "platform/ShellLinkFormat.h"
#include "platform/Utf8Codec.h"
#include "support/ShellLinkWriter.h"

namespace {

using tq::platform::ShellLinkTarget;
using tq::platform::ShellLinkTargetKind;

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

std::u16string Utf16(const std::string& text) {
    const int32 n = tq::platform::Utf8ToUtf16(text.data(), int32(text.size()), nullptr, 0, true);
    Check(n > 0);
    std::u16string wide(size_t(n), u'\0');
    Check(tq::platform::Utf8ToUtf16(text.data(), int32(text.size()), wide.data(), n, true) == n);
    return wide;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ShellLinkTarget target;
    if (!tq::platform::ParseShellLink(data, size, &target)) {
        Check(target.kind == ShellLinkTargetKind::kNone && target.text.empty());
        return 0;
    }
    Check(target.kind != ShellLinkTargetKind::kNone && !target.text.empty());
    Check(target.text.find('\0') == std::string::npos);
    tq::test::ShellLinkParts parts;
    const std::u16string text = Utf16(target.text);
    if (target.kind == ShellLinkTargetKind::kLocal) parts.localBasePath = text;
    if (target.kind == ShellLinkTargetKind::kNetwork) parts.netName = text;
    if (target.kind == ShellLinkTargetKind::kRelative) parts.relativePath = text;
    const std::vector<uint8_t> again = tq::test::ShellLinkWriter::Make(parts);
    ShellLinkTarget back;
    Check(tq::platform::ParseShellLink(again.data(), again.size(), &back));
    Check(back.kind == target.kind && back.text == target.text);
    return 0;
}
