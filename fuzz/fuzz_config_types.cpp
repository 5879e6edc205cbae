// The readers of every built-in configuration type over arbitrary text. A text either fails with a code, or
// reads into a value whose written text, read again as the store reads it (surrounding quotation marks
// removed), writes the same text.
#include <string>
#include <vector>

#include "config/ConfigTypeRegistry.h"
#include "tqcore/core.h"
#include "tqcore/memory.h"

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

const int32 kTypes[] = {TQFourCC("NStr"), TQFourCC("NStV"), TQFourCC("ENSV"), TQFourCC("PStr"),
                        TQFourCC("Bool"), TQFourCC("I32 "), TQFourCC("Path"), TQFourCC("PLst"),
                        TQFourCC("CPSt"), TQFourCC("F32 "), TQFourCC("I32L"), TQFourCC("LStr"),
                        TQFourCC("P255"), TQFourCC("Pthp"), TQFourCC("ECPS"), TQFourCC("PRfL")};

// The typed forms, each freed when it goes.
struct Value {
    std::string text;
    std::vector<std::string> strings;
    std::vector<PathRef> paths;
    PathRef path;
    UHandle handle = nullptr;
    Path pathHandle = nullptr;
    int32 number = 0;
    float real = 0;
    Str255 fixed{};
    ~Value() {
        if (handle) DSDisposeHandle(handle);
        PathRef::DisposePath(pathHandle);
    }
    void* For(int32 type) {
        if (type == TQFourCC("NStr")) return &text;
        if (type == TQFourCC("NStV") || type == TQFourCC("ENSV")) return &strings;
        if (type == TQFourCC("PLst") || type == TQFourCC("PRfL")) return &paths;
        if (type == TQFourCC("Pthp")) return &path;
        if (type == TQFourCC("Path")) return &pathHandle;
        if (type == TQFourCC("Bool") || type == TQFourCC("I32 ")) return &number;
        if (type == TQFourCC("F32 ")) return &real;
        if (type == TQFourCC("P255")) return fixed;
        return &handle;
    }
};

bool IsPathType(int32 type) {
    return type == TQFourCC("Path") || type == TQFourCC("Pthp") || type == TQFourCC("PLst") ||
           type == TQFourCC("PRfL");
}

std::string AsStored(const std::string& text) {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') return text.substr(1, text.size() - 2);
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool started = InitTQCoreBase() == kErrNone && InitConfigTypeRegistry() == kErrNone &&
                                tq::config::RegisterCoreConfigTypes() == kErrNone;
    if (!started || size < 1) return 0;
    const int32 type = kTypes[data[0] % (sizeof kTypes / sizeof kTypes[0])];
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    Value first;
    if (ConfigTypeFromString(type, text, first.For(type)) != kErrNone) return 0;
    std::string written;
    Check(ConfigTypeToString(type, first.For(type), &written) == kErrNone);
    // Text with ';' inside a list element, or path text that reads in more than one way, may take a second
    // round to settle; from then on it must not move.
    Value second;
    if (ConfigTypeFromString(type, AsStored(written), second.For(type)) != kErrNone) return 0;
    std::string again;
    Check(ConfigTypeToString(type, second.For(type), &again) == kErrNone);
    // Path values are written in the display form and read in the OS's form: an item holding ':' or '\' may
    // not come back, or come back as another path. The paths' own fuzzer holds the text grammar; here path
    // values must only read and write without fault, the other types must settle.
    const bool path = IsPathType(type);
    Value third;
    if (ConfigTypeFromString(type, AsStored(again), third.For(type)) != kErrNone) return Check(path), 0;
    std::string settled;
    Check(ConfigTypeToString(type, third.For(type), &settled) == kErrNone);
    Check(settled == again || path);
    return 0;
}
