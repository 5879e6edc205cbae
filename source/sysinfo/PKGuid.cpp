// PKGuid: creation, text forms and comparison of GUIDs.
#include <cstring>
#include "tqcore/diagnostics.h"

#include "platform/Guid.h"
#include "tqcore/core.h"
#include "tqcore/numerics.h"

namespace {

// Used only when the system generator fails: the two 8-byte halves take the bytes of two random doubles.
void FallbackGuid(PKGuidType* guid) {
    std::memset(guid, 0, sizeof *guid);
    double halves[2];
    RandomGen(&halves[0]);
    RandomGen(&halves[1]);
    static_assert(sizeof halves == sizeof(PKGuidType));
    std::memcpy(guid, halves, sizeof halves);
}

}  // namespace

void PKGuidCreate(PKGuidType* guid) {
    if (!guid) return;
    if (!tq::platform::CreateGuid(*guid)) FallbackGuid(guid);
}

TqErr PKGuidCreateStr(char* text) {
    if (!text) return kErrNone;
    PKGuidType g;
    PKGuidCreate(&g);
    return PKGuidToCStr(&g, text);
}

TqErr PKGuidToCStr(const PKGuidType* guid, char* text) {
    if (!text) return kErrNone;
    text[0] = '\0';
    if (!guid) return kErrGuidText;
    char buf[kPKGuidTextSize];
    if (!tq::platform::GuidToText(*guid, buf)) return kErrGuidText;
    std::memcpy(text, buf, sizeof buf);
    return kErrNone;
}

TqErr PKGuidFromCStr(const char* text, PKGuidType* guid) {
    if (!text) return kErrArgument;
    if (!guid) return kErrNone;
    return tq::platform::GuidFromText(text, *guid) ? kErrNone : kErrGuidText;
}

Bool32 PKGuidsEqual(const PKGuidType* a, const PKGuidType* b) {
    if (!a || !b) return a == b;
    return std::memcmp(a, b, sizeof(PKGuidType)) == 0;
}

const PKGuidType& NullPKGuid() {
    static const PKGuidType null{};
    return null;
}

void ToDebugStream(DebugStream& s, const PKGuidType& guid) {
    char text[kPKGuidTextSize];
    if (PKGuidToCStr(&guid, text) == kErrNone)
        s.Append(text);
    else
        s.Append("<<Error printing PKGuidType>>");
}
