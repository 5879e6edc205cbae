// Enumerated settings: their configuration types, and their values as entries of string list resources.
#include <cstring>

#include "diagnostics/Report.h"
#include "tqcore/config.h"
#include "tqcore/core.h"
#include "tqcore/resources.h"
#include "tqcore/strings.h"

#define TQ_UNIT "source\\CfgDataEnum"

namespace {

// Callers without a file of their own name the host's.
uInt32 StringListFile(uInt32 refnum) {
    if (refnum) return refnum;
    TQAppInterface* app = TQApp();
    return app ? uInt32(app->StringResourceRefNum()) : 0;
}

// text as a Pascal string; false when it is too long to equal any entry.
bool ToPStr(const char* text, Str255 out) {
    const size_t length = std::strlen(text);
    if (length > 255) return false;
    out[0] = uChar(length);
    std::memcpy(out + 1, text, length);
    return true;
}

}  // namespace

TqErr CfgEnumTypeInit(int32 type, ConfigFromText fromText, ConfigToText toText, int32 value, int32* out) {
    const TqErr r = RegisterConfigType(type, fromText, toText);
    if (r == kErrNone && out) *out = value;
    return r;
}

TqErr CfgEnumTypeUninit(int32 type, int32* out) {
    const TqErr r = UnregisterConfigType(type);
    if (out) *out = 0;
    return r;
}

TqErr ConfigParseGetPStrRsrcIndex(uInt32 refnum, int32* index, const char* text, int32 id,
                                  bool caseInsensitive) {
    if (!index) return kErrArgument;
    if (!text || !*text) {
        *index = -1;
        return kErrArgument;
    }
    Str255 wanted;
    const bool comparable = ToPStr(text, wanted);
    const uInt32 file = StringListFile(refnum);
    for (int32 i = 1;; ++i) {
        Str255 entry;
        const TqErr err = RGetIndString(file, entry, id, i);
        // The list reports its end as a missing resource.
        if (err == kErrResourceNotFound) return kErrConfigNotFound;
        if (err) return err;
        if (comparable && (caseInsensitive ? PStrCaseEqual(entry, wanted) : PStrEqual(entry, wanted))) {
            *index = i;
            return kErrNone;
        }
    }
}

TqErr ConfigWriteEnumPStr(uInt32 refnum, int32 id, int32 index, std::string* out) {
    const TqErr err = RGetIndexStringStd(StringListFile(refnum), out, id, index);
    if (err) TQ_REPORT(kDbgError, "Failed to find correct value for enumeration string.");
    return err;
}
