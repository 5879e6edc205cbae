// Where the formatting engine takes its arguments from: the caller's variable argument list, or any other
// source that hands out values of the kinds the conversions ask for (the fuzz target uses one).
#pragma once

#include "tqcore/types.h"

namespace tq::strings {

// Type tags of the positional-argument table.
enum : int32 {
    kTagNone = 0,
    kTag32Alt = 2,
    kTag32 = 3,
    kTag64 = 4,
    kTagDouble = 10,
    kTagChar = -1,
    kTagPtr = -2,
    kTagPoint = -3,
};

enum class PointerKind { kCString, kPascal, kLong, kLongHandle, kSubString, kPath, kRect, kTyped };

class ArgSource {
  public:
    // position 0 takes the next argument in order; 1..10 the value recorded for that position.
    virtual int32 Int32(int32 position) = 0;
    virtual int64 Int64(int32 position) = 0;
    virtual double Double(int32 position) = 0;
    // typeCode is the numeric type for kTyped.
    virtual const void* Pointer(int32 position, PointerKind kind, int32 typeCode) = 0;
    // Reads positions 1..count in order; every tag is one of the known non-zero tags.
    virtual void LoadPositions(const int32* tags, int32 count) = 0;
    virtual ~ArgSource() = default;
};

// The engine behind SPrintfv: null dst measures; returns the bytes produced.
int32 Format(uChar* dst, uInt32 limit, const uChar* format, int32 len, ArgSource& args);

}  // namespace tq::strings
