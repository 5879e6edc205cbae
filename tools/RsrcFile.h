// Resource files as the tqcore program handles them: read whole, checked, edited in memory, and written back
// through a copy that replaces the original only once it is complete and reads back valid.
#pragma once

#include <string>
#include <vector>

#include "tqcore/resources.h"

namespace tool::rsrc {

using Bytes = std::vector<uInt8>;

// The whole file; false with a message in *why when it cannot be read.
bool ReadWhole(const std::string& path, Bytes* out, std::string* why);

// The outcome of opening bytes as a resource file.
struct Check {
    TqErr code = 0;       // 0 when the file opened and every resource read back
    int32 rule = 0;       // the numbered rule that failed, or 0
    bool header = false;  // the rule is one of the header's
    std::string detail;   // what failed, for people
};
Check CheckBytes(const Bytes& bytes);
// What a numbered rule asks, for the report of a failure.
const char* RuleText(bool header, int32 rule);

// Writes bytes to a sibling copy of path, flushes it, reads it back, checks it and only then moves it over
// path. The original is untouched on any failure (then false, with a message).
bool ReplaceSafely(const std::string& path, const Bytes& bytes, std::string* why);

// A memory resource file over a copy of bytes, for editing; 0 on failure with *code set.
uInt32 OpenForEdit(const Bytes& bytes, TqErr* code);
// The edited image (all resources written, compacted); the refnum stays open.
bool Image(uInt32 refnum, Bytes* out, TqErr* code);

}  // namespace tool::rsrc
