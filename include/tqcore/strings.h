#pragma once

#include "tqcore/types.h"

// ---------------------------------------------------------------------------------------------------------------
// Number text and the formatting engine. Every function here is safe to call from any thread; the only shared
// state is the process-wide decimal point (StrSetDecimalPoint), read once at the start of each engine call.

#include <stdarg.h>

// 14 bytes: 18 BCD digits (least significant pair first, high digit in the high nibble), sign (non-zero =
// negative), exponent (0x7FFF infinity, 0x7FFE NaN; value = digits x 10^exponent), significant digit count.
typedef struct PackedDecimalReal {
    uChar digits[9];
    uChar sign;
    int16 exponent;
    int16 count;
} PackedDecimalReal;

#ifdef __cplusplus
static_assert(sizeof(PackedDecimalReal) == 14, "packed decimal record is 14 bytes");

// A caller-supplied source of bytes for StringToNumL/StringToNumQ.
class TextCursor {
  public:
    virtual uChar Current() = 0;          // the byte at the position, not consumed
    virtual void Advance() = 0;           // one byte on
    virtual void Move(int32 offset) = 0;  // by a signed number of bytes (rewinding)
    virtual ~TextCursor() = default;
};
#else
typedef struct TextCursor TextCursor;
#endif

// Format-code kinds as used by SetFormat; a code's parameter is its offset within its kind's range.
enum {
    kFmtKindFixed = 0,          // -63..0: -code digits after the point
    kFmtKindScientific = 1,     // 1..63: code significant digits
    kFmtKindEngineering = 100,  // 100..130
    kFmtKindSI = 131,           // 131..162
    kFmtKind200 = 200,          // 200..299
    kFmtKind512 = 512,          // 512..16895
};

TQ_EXTERN_C_BEGIN
// Renders *value (numeric type code, low 4 bits used) under *code into buf (size bytes including the NUL).
// exponent is used by the engineering and SI kinds only (may be null). Returns the text length.
TQ_API int32 NumToAnyString(const void* value, int32 type, const int16* code, uChar* buf, int32 size,
                            uChar decimalPoint, int32* exponent);
// Plain integer text in base 2, 8, 10 or 16; types 4 and 8 read 64 bits, others 32. Returns the text length.
TQ_API int32 NumToIntString(const void* value, uChar* buf, int32 size, int32 base, Bool32 isSigned,
                            int32 type);
// Converts code to the kind given (kFmtKind...) keeping its parameter, capped at the kind's upper bound;
// 0 (with a report) when either side cannot be converted.
TQ_API int16 SetFormat(int16 code, int16 kind);
// Fixed (code <= 0) or scientific (code 1..63) text of a packed record. Returns the text length.
TQ_API int32 PackedToString(const PackedDecimalReal* pdr, int16 code, uChar* buf, int32 size,
                            uChar decimalPoint);
// 1 when all len bytes form one well-formed number, else 0; out holds what was parsed either way.
TQ_API Bool32 StringToPacked(const uChar* text, int32 len, PackedDecimalReal* out, uChar decimalPoint);

// Integer scanning: *text advances past what was parsed (not at all when no digit is found); saturates.
TQ_API int32 StringToNum32(const uChar** text, int32 len, int32 type, int32 base, Bool32 unsignedOnly);
TQ_API int64 StringToNum64(const uChar** text, int32 len, int32 type, int32 base, Bool32 unsignedOnly);
TQ_API int32 StringToNumL(TextCursor* cursor, int32 len, int32 type, int32 base, Bool32 unsignedOnly);
TQ_API int64 StringToNumQ(TextCursor* cursor, int32 len, int32 type, int32 base, Bool32 unsignedOnly);

// The engine: null dst measures. Writes at most limit bytes (0xFFFFFFFF: no limit), never a terminator.
// Returns the number of bytes produced.
TQ_API int32 SPrintfv(uChar* dst, uInt32 limit, const uChar* format, int32 formatLen, va_list args);
// Wrappers: the C-string forms store a NUL after the output; the Pascal forms store the length (at most 255).
TQ_API int32 SPrintf(uChar* dst, const char* format, ...);
TQ_API int32 SPrintfp(uChar* dst, ConstPStr format, ...);
TQ_API int32 SNPrintf(uChar* dst, uInt32 size, const char* format, ...);
TQ_API int32 PPrintf(PStr dst, const char* format, ...);
TQ_API int32 PPrintfp(PStr dst, ConstPStr format, ...);
// Formats into the existing handle, sized exactly. Returns 0 or the resize error.
TQ_API TqErr LStrPrintf(LStrHandle h, const char* format, ...);

TQ_API uChar StrGetDecimalPoint(void);
TQ_API void StrSetDecimalPoint(uChar point);
// *pos points at a backslash; returns the byte the escape stands for and advances past it.
TQ_API uChar ScanForBackslash(const uChar** pos, const uChar* end);
// *pos points after a '%'; on a decimal-point switch stores the point (0 for "restore") and returns 1.
TQ_API Bool32 ScanForFormatDecPoint(const uChar** pos, const uChar* end, uChar* point);
TQ_EXTERN_C_END
