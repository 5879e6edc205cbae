// UTF-8 stepping over arbitrary bytes: the walk stays inside the text, and reversing a valid string twice
// or rotating it once per character gives it back.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/CodePage.h"
#include "tqcore/core.h"
#include "tqcore/memory.h"
#include "tqcore/strings.h"

namespace {

std::string Text(LStrHandle h) {
    return h && *h ? std::string(reinterpret_cast<const char*>((*h)->str), size_t((*h)->cnt)) : std::string();
}

void Check(bool ok) {
    if (!ok) std::abort();
}

// The lead-byte walk: every step moves forward and a successful count matches the walk.
void Walk(const char* s, int32 n) {
    int32 index = 0, steps = 0;
    bool clean = true;
    while (index < n) {
        int32 next = -1;
        if (StrValidateAndGetNextChar(s, index, &next) != kErrNone) {
            clean = false;
            break;
        }
        Check(next > index && next <= index + 6);
        if (next > n) {
            clean = false;
            break;
        }
        index = next, ++steps;
    }
    int32 count = -1;
    const TqErr err = StrCharCount(s, 0, n, &count);
    Check(clean == (err == kErrNone));
    if (clean) Check(count == steps);
}

void ReverseTwice(const std::string& original) {
    LStrHandle h = nullptr;
    if (LStrFromPtr(&h, int32(original.size()), original.data()) != kErrNone || !h) return;
    if (LStrReverse(h) == kErrNone) {
        Check(LStrReverse(h) == kErrNone);
        Check(Text(h) == original);
    }
    DSDisposeHandle(reinterpret_cast<UHandle>(h));
}

void RotateAround(const std::string& original) {
    LStrHandle h = nullptr;
    if (LStrFromPtr(&h, int32(original.size()), original.data()) != kErrNone || !h) return;
    int32 count = 0;
    if (StrCharCount(reinterpret_cast<const char*>((*h)->str), 0, (*h)->cnt, &count) == kErrNone) {
        for (int32 i = 0; i < count; ++i) Check(LStrRotateOneCharacter(h) == kErrNone);
        Check(Text(h) == original);
    } else {
        LStrRotateOneCharacter(h);
    }
    DSDisposeHandle(reinterpret_cast<UHandle>(h));
}

// The ANSI stepping walks to the terminator, and back by the same steps, in a single- and a double-byte page.
void AnsiWalk(const std::string& text, uInt32 codePage) {
    tq::platform::SetAnsiCodePage(codePage);
    std::vector<char> z(text.begin(), text.end());
    z.push_back('\0');
    const int32 n = int32(text.size());
    int32 index = 0;
    while (index <= n) {
        const int32 next = StrNextChar(z.data(), index);
        Check(next > index && next <= index + 2);
        if (index < n) Check(StrPrevChar(z.data(), next) == index);
        index = next;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 4096) return 0;
    // An exact-size copy so that any read past the text is caught.
    char* exact = static_cast<char*>(std::malloc(size ? size : 1));
    if (size) std::memcpy(exact, data, size);
    Walk(exact, int32(size));
    std::free(exact);
    const std::string text(reinterpret_cast<const char*>(data), size);
    ReverseTwice(text);
    RotateAround(text);
    AnsiWalk(text, size && (data[0] & 1) ? 932 : 1252);
    return 0;
}
