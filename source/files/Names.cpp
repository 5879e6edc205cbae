// Operations on names alone: legality, resource-file extensions, sorting name lists, wildcard characters.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "files/NameCheck.h"
#include "platform/CodePage.h"
#include "tqcore/files.h"
#include "tqcore/memory.h"
#include "tqcore/paths.h"
#include "tqcore/sortsearch.h"
#include "tqcore/strings.h"

namespace {

std::string TextOf(ConstPStr name) {
    return name ? std::string(reinterpret_cast<const char*>(name + 1), name[0]) : std::string();
}

void SetPStr(PStr name, const std::string& text) {
    name[0] = uChar(text.size());
    std::memcpy(name + 1, text.data(), text.size());
}

_FMFileType RegisteredType(const std::string& name) {
    try {
        return PathRef::NameGetExtensionType(name);
    } catch (...) {
        return 0;
    }
}

struct SortEntry {
    ConstPStr name;  // first: the comparison reads the entry as a ConstPStr*
    int32 index;
};

int32 CompareEntries(const void* a, const void* b) {
    return PPStrCaseCmp(static_cast<const ConstPStr*>(a), static_cast<const ConstPStr*>(b));
}

// The entries of a packed list, each pointing into the handle's block; false for a malformed list.
bool ListEntries(CPStrHandle names, std::vector<SortEntry>& entries) {
    const int64 size = DSGetHandleSize(reinterpret_cast<UHandle>(names));
    const int32 count = (*names)->cnt;
    if (count < 0 || size < int64(sizeof(int32))) return false;
    const uChar* p = (*names)->str;
    const uChar* end = reinterpret_cast<const uChar*>(*names) + size;
    entries.reserve(size_t(count));
    for (int32 i = 0; i < count; ++i) {
        if (p >= end || p + 1 + *p > end) return false;
        entries.push_back({p, i});
        p += 1 + *p;
    }
    return true;
}

void PermuteInfo(UHandle info, const std::vector<SortEntry>& order) {
    constexpr size_t kEntry = sizeof(VolKindRec);
    if (!info || !*info || DSGetHandleSize(info) < int64(order.size() * kEntry)) return;
    std::vector<uChar> copy(*info, *info + order.size() * kEntry);
    for (size_t i = 0; i < order.size(); ++i)
        std::memcpy(*info + i * kEntry, copy.data() + size_t(order[i].index) * kEntry, kEntry);
}

bool IsWildCard(uChar c, uChar extra) {
    return c == '*' || c == '?' || c == extra;
}

}  // namespace

int32 FileNameChk(ConstPStr name, int32 /*reserved*/, int32 skip, CStr bad) {
    if (bad) bad[0] = 0;
    if (!name || name[0] == 0) return kNameEmpty;
    if (skip) return 0;
    std::string found;
    const int32 flags = tq::files::NameCheckFlags(reinterpret_cast<const char*>(name + 1), name[0], &found);
    if (bad) std::memcpy(bad, found.c_str(), found.size() + 1);
    return flags;
}

_FMFileType HasRezExt(Path p) {
    if (!p || p->ItemCount() < 1) return 0;
    try {
        return RegisteredType(p->Name());
    } catch (...) {
        return 0;
    }
}

_FMFileType PStrHasRezExt(ConstPStr name) {
    return name ? RegisteredType(TextOf(name)) : 0;
}

// A name that would pass 255 bytes is left as it is.
int32 PStrAppendRezExt(PStr name, _FMFileType t) {
    if (!name) return 0;
    try {
        const std::string longer = PathRef::NameAppendExtension(TextOf(name), t);
        if (longer.size() <= 255) SetPStr(name, longer);
    } catch (...) {
    }
    return 0;
}

int32 PStrStripRezExt(PStr name, _FMFileType t) {
    if (!name) return 0;
    const std::string text = TextOf(name);
    const size_t dot = text.rfind('.');
    if (dot == std::string::npos || (t != 0 && RegisteredType(text) != t)) return 0;
    name[0] = uChar(dot);
    return int32(text.size() - dot);
}

void LSort(CPStrHandle names, UHandle info) {
    if (!names || !*names) return;
    std::vector<SortEntry> entries;
    try {
        if (!ListEntries(names, entries) || entries.size() < 2) return;
        QSort(entries.data(), entries.size(), sizeof(SortEntry), CompareEntries);
        std::vector<uChar> sorted;
        for (const SortEntry& e : entries) sorted.insert(sorted.end(), e.name, e.name + 1 + e.name[0]);
        std::memcpy((*names)->str, sorted.data(), sorted.size());
        PermuteInfo(info, entries);
    } catch (...) {
        // Out of memory: the list stays as it was.
    }
}

int32 FFindMatchCh(UPtr s, int32* pos, int32 len) {
    if (!s || !pos) return 0;
    int32 i = std::max(*pos, int32(0));
    while (i < len) {
        if (IsWildCard(s[i], '`')) {
            *pos = i;
            return 1;
        }
        i += tq::platform::AnsiIsLeadByte(s[i]) && i + 1 < len ? 2 : 1;
    }
    *pos = len;
    return 0;
}

int32 FMFindWildCardMatchCh(UPtr s, int64* pos, int64 len, char extra) {
    if (!s || !pos) return 0;
    for (int64 i = std::max(*pos, int64(0)); i < len; ++i) {
        if (IsWildCard(s[i], uChar(extra))) {
            *pos = i;
            return 1;
        }
    }
    *pos = len;
    return 0;
}
