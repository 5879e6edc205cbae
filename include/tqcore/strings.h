// tqcore/strings.h - the long, Pascal and C string families, string lists, text encodings, string
// utilities, number text and the formatting engine. No function keeps state of its own; callers that share a
// string between threads lock it themselves. The case tables behind StringUtils are written once at start-up
// and only read afterwards. The only other shared state is the process-wide decimal point
// (StrSetDecimalPoint), read once at the start of each formatting-engine call.
#pragma once

#include <assert.h>
#include <stdarg.h>

#include "tqcore/types.h"

// Packed Pascal strings: count, then that many Pascal strings back to back.
typedef struct CPStr {
    int32 cnt;
    uChar str[1];
} CPStr;
typedef CPStr** CPStrHandle;

// Packed long strings: count, then long strings each padded to a multiple of 4 bytes.
typedef struct CLStr {
    int32 cnt;
    uChar str[1];
} CLStr;
typedef CLStr** CLStrHandle;

// A handle of long-string handles: count, 4 bytes of padding, then the handles (null = empty string).
typedef struct _LStrArray {
    int32 cnt;
    int32 pad;
    LStrHandle elt[1];
} _LStrArray;

// 14 bytes: 18 BCD digits (least significant pair first, high digit in the high nibble), sign (non-zero =
// negative), exponent (0x7FFF infinity, 0x7FFE NaN; value = digits x 10^exponent), significant digit count.
typedef struct PackedDecimalReal {
    uChar digits[9];
    uChar sign;
    int16 exponent;
    int16 count;
} PackedDecimalReal;
static_assert(sizeof(PackedDecimalReal) == 14, "packed decimal record is 14 bytes");

// Format-code kinds as used by SetFormat; a code's parameter is its offset within its kind's range.
enum {
    kFmtKindFixed = 0,          // -63..0: -code digits after the point
    kFmtKindScientific = 1,     // 1..63: code significant digits
    kFmtKindEngineering = 100,  // 100..130
    kFmtKindSI = 131,           // 131..162
    kFmtKind200 = 200,          // 200..299
    kFmtKind512 = 512,          // 512..16895
};
// The integer format codes.
enum {
    kFmtSignedDecimal = 64,
    kFmtUnsignedDecimal = 65,
    kFmtHexadecimal = 66,
    kFmtOctal = 67,
    kFmtBinary = 68,
};

TQ_EXTERN_C_BEGIN

// --- Conversions between forms. Destination buffers must be large enough (see each line). ---
// Copy into caller storage of 4 + length bytes; null source gives count 0. Result: the length.
TQ_API int32 CToLStr(ConstCStr src, LStr* dst);
TQ_API int32 PToLStr(ConstPStr src, LStr* dst);
// Copy and terminate into length + 1 bytes; null LStr is empty. Result: the length.
TQ_API int32 LToCStr(const LStr* src, CStr dst);
TQ_API int32 PToCStr(ConstPStr src, CStr dst);
// At most size - 1 bytes and a terminator; size 0 writes nothing. Result: bytes copied.
TQ_API int32 LToCStrN(const LStr* src, CStr dst, uInt32 size);
TQ_API int32 LToCStrNUnchecked(const LStr* src, CStr dst, uInt32 size);
// As LToCStrN; kErrStringHasNull when a copied byte is NUL (the copy is still made).
TQ_API TqErr LToCStrNChecked(const LStr* src, CStr dst, uInt32 size, int32* copied);
// Into a 256-byte buffer; longer long strings are cut to 255 with a level-2 report, C strings silently.
TQ_API int32 LToPStr(const LStr* src, PStr dst);
TQ_API int32 CToPStr(ConstCStr src, PStr dst);
// Sets *h to exactly 4 + length bytes (creating it), or disposes it and stores null when empty.
// kErrArgument for a null h or a negative length, kErrMemoryFull when memory runs out; the caller owns *h.
TQ_API TqErr LStrFromPtr(LStrHandle* h, int32 length, const void* src);
TQ_API TqErr CToLHStr(ConstCStr src, LStrHandle* h);
TQ_API TqErr PToLHStr(ConstPStr src, LStrHandle* h);
TQ_API TqErr PStrToDSLStr(ConstPStr src, LStrHandle* h);

// --- Long-string editing. Results are kErrNone, kErrArgument (null handle where one is needed) or the memory
// manager's error; a failed resize leaves the string unchanged. ---
TQ_API TqErr LStrAppendCStr(LStrHandle* h, ConstCStr s);
TQ_API TqErr LStrAppendPStr(LStrHandle* h, ConstPStr s);
TQ_API TqErr LStrPrependCStr(LStrHandle* h, ConstCStr s);
TQ_API TqErr LStrAppendChar(LStrHandle h, uChar c);
// Grows the block only when it is too small (keeping slack); LStrCat then trims it to 4 + count.
TQ_API TqErr LStrCatEfficient(LStrHandle h, const LStr* add);
TQ_API TqErr LStrCat(LStrHandle h, const LStr* add);
// Appends a NUL that becomes part of the string.
TQ_API TqErr LStrHNullTerminate(LStrHandle h);
TQ_API void LStrToLower(LStrHandle h);
TQ_API void LStrToUpper(LStrHandle h);
// UTF-8 aware: characters are kept whole. kErrBadCharEncoding for a byte that cannot start a character.
TQ_API TqErr LStrReverse(LStrHandle h);
TQ_API TqErr LStrRotateOneCharacter(LStrHandle h);

// --- Comparisons (sign of the result is the order) and equality (1 or 0). ---
TQ_API int32 LStrCmp(const LStr* a, const LStr* b);
TQ_API Bool32 LStrEqual(const LStr* a, const LStr* b);
TQ_API int32 LStrCaseCmp(const LStr* a, const LStr* b);
TQ_API int32 LHStrCmp(LStrHandle a, LStrHandle b);
TQ_API Bool32 LHStrEqual(LStrHandle a, LStrHandle b);
TQ_API int32 LHStrCaseCmp(LStrHandle a, LStrHandle b);
TQ_API int32 PStrCmp(ConstPStr a, ConstPStr b);
TQ_API Bool32 PStrEqual(ConstPStr a, ConstPStr b);
TQ_API int32 PStrCaseCmp(ConstPStr a, ConstPStr b);
TQ_API Bool32 PStrCaseEqual(ConstPStr a, ConstPStr b);
TQ_API int32 PPStrCmp(const ConstPStr* a, const ConstPStr* b);
TQ_API Bool32 PPStrEqual(const ConstPStr* a, const ConstPStr* b);
TQ_API int32 PPStrCaseCmp(const ConstPStr* a, const ConstPStr* b);
TQ_API Bool32 PPStrCaseEqual(const ConstPStr* a, const ConstPStr* b);
TQ_API int32 PLStrCmp(ConstPStr a, const LStr* b);
TQ_API int32 PLStrCaseCmp(ConstPStr a, const LStr* b);
TQ_API int32 PtrLenStrCmp(const uChar* a, int32 lengthA, const uChar* b, int32 lengthB);
TQ_API int32 PtrLenStrCaseCmp(const uChar* a, int32 lengthA, const uChar* b, int32 lengthB);
TQ_API int32 StrCmp(ConstCStr a, ConstCStr b);
TQ_API Bool32 StrEqual(ConstCStr a, ConstCStr b);
TQ_API int32 StrNCmp(ConstCStr a, ConstCStr b, int32 n);
TQ_API Bool32 StrNEqual(ConstCStr a, ConstCStr b, int32 n);
TQ_API int32 StrCaseCmp(ConstCStr a, ConstCStr b);
TQ_API int32 StrNCaseCmp(ConstCStr a, ConstCStr b, int32 n);
TQ_API Bool32 StrNCaseEqual(ConstCStr a, ConstCStr b, int32 n);

// --- Pascal-string utilities (destinations are 256-byte buffers; results clip at 255 bytes). ---
TQ_API PStr PStrCpy(PStr dst, ConstPStr src);
TQ_API PStr PStrNCpy(PStr dst, ConstPStr src, int32 n);
// Result: the new length.
TQ_API int32 PStrCat(PStr dst, ConstPStr src);
// A new pointer block (free with DSDisposePtr); null for null input or when memory runs out.
TQ_API PStr PStrDup(ConstPStr s);
TQ_API Bool32 PStrEndsWith(ConstPStr s, ConstCStr lowerSuffix);
// Offset just past the first case-insensitive match at or after start, else -1.
TQ_API int32 PStrInPStr(ConstPStr s, int32 start, ConstPStr pattern);
// 1 when something was replaced; a result over 255 bytes leaves dst empty and gives 0.
TQ_API Bool32 PStrFindReplace(PStr dst, ConstPStr src, ConstCStr find, ConstCStr replace);
// Splits at the first ch not escaped by a backslash; 1 when found.
TQ_API Bool32 PStrSplitAtChar(ConstPStr src, uChar ch, PStr before, PStr after);
TQ_API uInt32 PStrHash32(ConstPStr s, Bool32 ignoreCase);
TQ_API int32 PStrNullTerminate(PStr buffer);
TQ_API int32 PStrTerminateIfPossible(PStr buffer);

// --- C-string utilities. ---
TQ_API int32 StrLen(ConstCStr s);
TQ_API CStr StrCpy(CStr dst, ConstCStr src);
TQ_API CStr StrNCpy(CStr dst, ConstCStr src, int32 n);
// Result: the new total length.
TQ_API int32 StrCat(CStr dst, ConstCStr src);
TQ_API CStr StrChr(ConstCStr s, int32 c);
TQ_API CStr StrRChr(ConstCStr s, int32 c);
// 1 when needle occurs in haystack ignoring case and skipping spaces and tabs in the haystack.
TQ_API Bool32 StrIStr(ConstCStr haystack, ConstCStr needle);

// --- Classification (ASCII) and case (the process's ANSI code page). ---
TQ_API Bool32 IsAlpha(int32 c);
TQ_API Bool32 IsDigit(int32 c);
TQ_API Bool32 IsPunct(int32 c);
TQ_API Bool32 IsLower(int32 c);
TQ_API Bool32 IsUpper(int32 c);
TQ_API int32 ToLower(int32 c);
TQ_API int32 ToUpper(int32 c);
TQ_API void StrToLower(CStr s, int32 n);
TQ_API void StrToUpper(CStr s, int32 n);
TQ_API uChar HexChar(int32 v);

// --- Character stepping: ANSI code page (double-byte aware) and UTF-8. ---
TQ_API int32 StrNextChar(ConstCStr s, int32 index);
TQ_API int32 StrPrevChar(ConstCStr s, int32 index);
// Width of the equal characters at a and b, or 0.
TQ_API int32 StrCharacterEqual(ConstCStr a, ConstCStr endA, ConstCStr b, ConstCStr endB);
// kErrBadCharEncoding when the byte at index cannot start a UTF-8 character; kErrArgument for null pointers.
TQ_API TqErr StrValidateAndGetNextChar(ConstCStr s, int32 index, int32* next);
// kErrArgument for bad arguments or a character crossing end; kErrBadCharEncoding for a bad lead byte.
TQ_API TqErr StrCharCount(ConstCStr s, int32 start, int32 end, int32* count);

// --- Long-string arrays. ---
// Keeps the first n elements (disposing the rest), n = 0 disposes the array; kErrArgument for null h.
TQ_API TqErr ReallocLStrArrayHandle(_LStrArray*** h, int32 n);

// --- Number text and the formatting engine. ---
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
// *pos points after a '%'; on a decimal-point switch stores the new point (the process-wide one for "%;")
// and returns 1.
TQ_API Bool32 ScanForFormatDecPoint(const uChar** pos, const uChar* end, uChar* point);

TQ_EXTERN_C_END

// --- Packed string lists (CPStr, CLStr). Element indexes are zero-based; the caller owns every handle. ---
typedef int32 (*CPStrCompareProc)(ConstPStr a, ConstPStr b);
TQ_EXTERN_C_BEGIN
// A string-list resource body (16-bit count, packed Pascal strings) into dst, which holds size + 2 bytes.
TQ_API void StrPoundToCPStr(UHandle src, CPStr* dst);
// Bytes in use: 4 + the packed elements; 0 for null.
TQ_API int32 CPStrSize(const CPStr* list);
// Element i, i clamped to the list; null (with a report) for a null handle.
TQ_API PStr CPStrIndex(CPStrHandle h, int32 i);
// Inserts before element i (negative: first, past the end: appended). Efficient: the block grows only when
// too small (keeping slack) unless exactSize. kErrGeneric for null arguments, else the resize result.
TQ_API TqErr CPStrInsert(CPStrHandle h, ConstPStr s, int32 i);
TQ_API TqErr CPStrInsertEfficient(CPStrHandle h, ConstPStr s, int32 i, Bool32 exactSize);
// Element i (clamped) removed or replaced; kErrArgument for an empty list or a null argument.
TQ_API TqErr CPStrRemove(CPStrHandle h, int32 i);
TQ_API TqErr CPStrReplace(CPStrHandle h, ConstPStr s, int32 i);
// First index whose element e gives compare(s, e) = 0, else -1.
TQ_API int32 CPStrSearch(CPStrHandle h, ConstPStr s, CPStrCompareProc compare);
// *h (created when null) becomes n empty strings. kErrArgument for null h or negative n.
TQ_API TqErr CPStrSetToNEmptyStrings(CPStrHandle* h, int32 n);
// Count 0 in a 4-byte block; 1 for a null handle.
TQ_API TqErr CPStrClear(CPStrHandle h);
// Element-wise PStrCmp, then the count difference; a null handle is an empty list.
TQ_API int32 CPStrCmp(CPStrHandle a, CPStrHandle b);
TQ_API Bool32 CPStrEqual(CPStrHandle a, CPStrHandle b);

TQ_API int32 CLStrSize(const CLStr* list);
// Element i, pinned to the list; null (with a report) for a null list.
TQ_API LStr* CLStrIndex(const CLStr* list, int32 i);
TQ_API TqErr CLStrInsert(CLStrHandle h, const LStr* s, int32 i, Bool32 exactSize);
// Sorted (LStrCmp) insertion; *index gets the position, *inserted 0 when an equal element was kept instead.
TQ_API TqErr CLStrInsertSort(CLStrHandle h, const LStr* s, Bool32 allowDuplicate, int32* index,
                             Bool32* inserted, Bool32 exactSize);
TQ_API TqErr CLStrRemove(CLStrHandle h, int32 i);
// Big-endian counts to native order in place. kErrArgument (with a report) when the counts do not walk
// exactly to the end of the block.
TQ_API TqErr StdToCLStr(CLStrHandle h);
TQ_EXTERN_C_END

#ifdef __cplusplus
#include <string>
#include <vector>

// A caller-supplied source of bytes for StringToNumL/StringToNumQ.
class TextCursor {
  public:
    virtual uChar Current() = 0;          // the byte at the position, not consumed
    virtual void Advance() = 0;           // one byte on
    virtual void Move(int32 offset) = 0;  // by a signed number of bytes (rewinding)
    virtual ~TextCursor() = default;
};

// A narrow string held as a Pascal string (cut to 255 bytes) for calls that need one.
class TQ_API Str255Converter {
  public:
    explicit Str255Converter(const std::string& s);
    explicit Str255Converter(const char* s);
    ConstPStr PStr() const { return buffer_; }
    operator ConstPStr() const { return buffer_; }

  private:
    Str255 buffer_;
};

// ANSI code page <-> UTF-16 (not UTF-8). Throwing forms raise std::bad_alloc; unconvertible text gives "".
TQ_API TQWString ConvertToUTF16(const std::string& ansi);
TQ_API TQWString ConvertToUTF16(const char* ansi);
TQ_API TQWString ConvertToUTF16(const char* ansi, int32 length);
// Up to and including the NUL into a buffer of capacity units; result: units written, 0 on failure.
TQ_API int32 ConvertToUTF16(const char* ansi, TQWChar* buffer, int32 capacity);
TQ_API std::string ConvertFromUTF16(const TQWString& wide);
TQ_API std::string ConvertFromUTF16(const TQWChar* wide);
TQ_API std::string ConvertFromUTF16(const TQWChar* wide, int32 length);
TQ_API int32 ConvertFromUTF16(const TQWChar* wide, char* buffer, int32 capacity);
// kErrArgument for a null out, kErrMemoryFull when memory runs out, else kErrNone.
TQ_API TqErr ConvertToUTF16NoThrow(const std::string& ansi, TQWString* out);
TQ_API TqErr ConvertFromUTF16NoThrow(const TQWString& wide, std::string* out);

namespace StringUtils {

// 0 = ANSI code page; any other value = UTF-8.
enum InputStringType : int32 { kInputAnsi = 0, kInputUtf8 = 1 };
// 1 = dispose the input after converting it; any other value = leave it.
enum DeallocationPolicy : int32 { kKeepInput = 0, kDeallocateInput = 1 };
enum StringTrimmingPolicy : int32 { kTrimLeading = 1, kTrimTrailing = 2, kTrimBoth = 3 };
enum StringSplitOptions : int32 { kKeepEmptyPieces = 0, kRemoveEmptyPieces = 1 };

// Narrow (ANSI) strings. NoThrow forms: kErrArgument for a null out, kErrMemoryFull, else kErrNone.
TQ_API std::string ToNarrowString(const std::string& s, InputStringType type);
TQ_API std::string ToNarrowString(const TQWString& s);
TQ_API std::string ToNarrowString(LStrHandle h, DeallocationPolicy policy);
TQ_API std::string ToNarrowString(const LStr* s);
TQ_API std::string ToNarrowString(const LStr* const* h);
TQ_API std::string ToNarrowString(ConstPStr s);
TQ_API std::string ToNarrowStringFromBSTR(TQWChar* bstr, DeallocationPolicy policy);
TQ_API std::string& ToNarrowString(const std::string& s, InputStringType type, std::string& out);
TQ_API std::string& ToNarrowString(const TQWString& s, std::string& out);
TQ_API TqErr ToNarrowStringNoThrow(const std::string& s, InputStringType type, std::string* out);
TQ_API TqErr ToNarrowStringNoThrow(const TQWString& s, std::string* out);
TQ_API TqErr ToNarrowStringNoThrow(LStrHandle h, DeallocationPolicy policy, std::string* out);
TQ_API TqErr ToNarrowStringNoThrow(const LStr* s, std::string* out);
TQ_API TqErr ToNarrowStringNoThrow(ConstPStr s, std::string* out);
TQ_API TqErr ToNarrowStringFromBSTRNoThrow(TQWChar* bstr, DeallocationPolicy policy, std::string* out);

// Wide (UTF-16) strings; an empty or unconvertible input gives "".
TQ_API TQWString ToWideString(const std::string& s, InputStringType type);
TQ_API TQWString ToWideString(LStrHandle h, DeallocationPolicy policy);
TQ_API TQWString ToWideString(const LStr* s);
TQ_API TQWString ToWideString(ConstPStr s);
TQ_API TQWString ToWideStringFromBSTR(TQWChar* bstr, DeallocationPolicy policy);
TQ_API TQWString& ToWideString(const std::string& s, InputStringType type, TQWString& out);
TQ_API TqErr ToWideStringNoThrow(const std::string& s, InputStringType type, TQWString* out);
TQ_API TqErr ToWideStringNoThrow(LStrHandle h, DeallocationPolicy policy, TQWString* out);
TQ_API TqErr ToWideStringNoThrow(const LStr* s, TQWString* out);
TQ_API TqErr ToWideStringNoThrow(ConstPStr s, TQWString* out);
TQ_API TqErr ToWideStringFromBSTRNoThrow(TQWChar* bstr, DeallocationPolicy policy, TQWString* out);

// UTF-8.
TQ_API std::string ToUTF8String(const std::string& ansi);
TQ_API std::string ToUTF8String(const TQWString& wide);
TQ_API TqErr ToUTF8StringNoThrow(const std::string& ansi, std::string* out);
TQ_API TqErr ToUTF8StringNoThrow(const TQWString& wide, std::string* out);
// Buffer forms write a NUL-terminated result; allocating forms hand out exactly the converted bytes
// (new[], caller deletes) and their count. 1 for null pointers, failure or (allocating) an empty result.
TQ_API int32 ToUTF8FromWideString(const TQWChar* wide, int32 wideLength, char* out, int32 outSize);
TQ_API int32 ToUTF8FromWideString(const TQWChar* wide, char* out, int32 outSize);
TQ_API int32 ToUTF8FromWideString(const TQWChar* wide, int32 wideLength, char** out, int32* outLength);
TQ_API int32 ToUTF8FromWideString(const TQWChar* wide, char** out, int32* outLength);
TQ_API int32 ToWideStringFromUTF8(const char* utf8, int32 length, TQWChar* out, int32 outSize);
TQ_API int32 ToWideStringFromUTF8(const char* utf8, TQWChar* out, int32 outSize);
TQ_API int32 ToWideStringFromUTF8(const char* utf8, int32 length, TQWChar** out, int32* outLength);
TQ_API int32 ToWideStringFromUTF8(const char* utf8, TQWChar** out, int32* outLength);
// In place to UTF-8: 0, 1 (conversion failure) or 2 (memory). The one-argument form takes the code page
// of the host's language.
TQ_API int32 CodePageStringToUTF8String(uInt32 codePage, std::string& s);
TQ_API int32 CodePageStringToUTF8String(std::string& s);
// 1252, 932, 949 or 936 for the known language names (any case), else 0 (the ANSI code page).
TQ_API uInt32 LanguageToCodePage(const std::string& language);

// Library forms. Handles are the caller's; throwing forms raise std::bad_alloc.
TQ_API LStrHandle ToLStrHandle(const std::string& s);
TQ_API LStrHandle ToLStrHandle(const std::string& s, LStrHandle* h);
TQ_API LStrHandle ToLStrHandle(const TQWString& s);
TQ_API LStrHandle ToLStrHandle(const TQWString& s, LStrHandle* h);
TQ_API TqErr ToLStrHandleNoThrow(const std::string& s, LStrHandle* h);
TQ_API TqErr ToLStrHandleNoThrow(const TQWString& s, LStrHandle* h);
// Replaces *out (disposing the old array) with one handle per element.
TQ_API TqErr ToLStrArrayHandleNoThrow(const std::vector<std::string>& v, _LStrArray*** out);
TQ_API void ToNarrowStringVector(_LStrArray** a, std::vector<std::string>* out, DeallocationPolicy policy);
TQ_API TqErr ToNarrowStringVectorNoThrow(_LStrArray** a, std::vector<std::string>* out,
                                         DeallocationPolicy policy);
TQ_API uChar* ToPStr(const std::string& s, uChar* buffer);
TQ_API uChar* ToPStr(const TQWString& s, uChar* buffer);
// BSTRs are freed by the caller (SysFreeString on Windows).
TQ_API TQWChar* ToBSTR(const std::string& s);
TQ_API TQWChar* ToBSTR(const TQWString& s);
TQ_API TqErr ToBSTRNoThrow(const std::string& s, TQWChar** out);
TQ_API TqErr ToBSTRNoThrow(const TQWString& s, TQWChar** out);
TQ_API void FreeBSTR(TQWChar* bstr);
TQ_API uInt32 BSTRLength(const TQWChar* bstr);

// Everyday utilities. Narrow case folding uses the case tables.
TQ_API int32 CaseInsensitiveCompare(const std::string& a, const std::string& b);
TQ_API int32 CaseInsensitiveCompare(const TQWString& a, const TQWString& b);
TQ_API bool CaseInsensitiveEqual(const std::string& a, const std::string& b);
TQ_API bool CaseInsensitiveEqual(const TQWString& a, const TQWString& b);
TQ_API bool CaseInsensitiveEqual(const char* a, size_t lengthA, const char* b, size_t lengthB);
TQ_API bool CaseInsensitiveEqual(const TQWChar* a, size_t lengthA, const TQWChar* b, size_t lengthB);
TQ_API uInt32 Hash(const std::string& s, bool ignoreCase);
TQ_API uInt32 Hash(const uChar* s, uInt32 length, bool ignoreCase);
TQ_API uInt32 Hash(const uChar* s, bool ignoreCase);
TQ_API bool StartsWith(const std::string& s, const std::string& prefix);
TQ_API bool StartsWith(const std::string& s, char c);
TQ_API bool StartsWith(const TQWString& s, const TQWString& prefix);
TQ_API bool StartsWith(const TQWString& s, TQWChar c);
TQ_API bool EndsWith(const std::string& s, const std::string& suffix);
TQ_API bool EndsWith(const std::string& s, char c);
TQ_API bool EndsWith(const TQWString& s, const TQWString& suffix);
TQ_API bool EndsWith(const TQWString& s, TQWChar c);
TQ_API std::string Left(const std::string& s, int32 n);
TQ_API std::string Right(const std::string& s, int32 n);
TQ_API TQWString Left(const TQWString& s, int32 n);
TQ_API TQWString Right(const TQWString& s, int32 n);
TQ_API void Split(const std::string& s, const std::string& delimiters, std::vector<std::string>* out,
                  StringSplitOptions options);
TQ_API void Split(const TQWString& s, const TQWString& delimiters, std::vector<TQWString>* out,
                  StringSplitOptions options);
TQ_API void Join(const std::vector<std::string>& v, const std::string& separator, std::string* out);
TQ_API void Join(const std::vector<TQWString>& v, const TQWString& separator, TQWString* out);
TQ_API void Trim(std::string* s, StringTrimmingPolicy policy);
TQ_API void Trim(TQWString* s, StringTrimmingPolicy policy);
TQ_API void ToLowerCase(std::string& s);
TQ_API void ToUpperCase(std::string& s);
TQ_API void ToLowerCase(TQWString& s);
TQ_API void ToUpperCase(TQWString& s);
// Empty find strings replace nothing.
TQ_API void SearchAndReplace(std::string* s, const std::string& find, const std::string& replace);
TQ_API void SearchAndReplace(TQWString* s, const TQWString& find, const TQWString& replace);
TQ_API void SearchAndReplaceFromPosition(std::string& s, const std::string& find, const std::string& replace,
                                         int32 start);
TQ_API void SearchAndReplaceFromPosition(TQWString& s, const TQWString& find, const TQWString& replace,
                                         int32 start);
// Position of the next occurrence after the inserted text, else std::string::npos.
TQ_API size_t SearchAndReplaceTheFirst(std::string* s, const std::string& find, const std::string& replace);
TQ_API size_t SearchAndReplaceTheFirst(TQWString* s, const TQWString& find, const TQWString& replace);
TQ_API void RemoveBlockComments(std::string* s, const std::string& open, const std::string& close);
TQ_API void RemoveLineComments(std::string* s, const std::string& marker);
TQ_API bool IsSurroundedByQuotes(const std::string& s);
// kErrMemoryFull when memory runs out, else kErrNone.
TQ_API TqErr AppendNoThrow(std::string& dst, const std::string& src);
TQ_API TqErr AppendNoThrow(std::string& dst, const char* src);
TQ_API TqErr AppendNoThrow(std::string& dst, ConstPStr src);
TQ_API TqErr AppendNoThrow(TQWString& dst, const TQWString& src);
TQ_API TqErr AppendNoThrow(TQWString& dst, const TQWChar* src);
TQ_API TqErr AppendNoThrow(TQWString& dst, ConstPStr src);
TQ_API TqErr AssignNoThrow(std::string& dst, const std::string& src);
TQ_API TqErr AssignNoThrow(std::string& dst, const char* src);
TQ_API TqErr AssignNoThrow(std::string& dst, ConstPStr src);
TQ_API TqErr AssignNoThrow(TQWString& dst, const TQWString& src);
TQ_API TqErr AssignNoThrow(TQWString& dst, const TQWChar* src);
TQ_API TqErr AssignNoThrow(TQWString& dst, ConstPStr src);
TQ_API const std::string& EmptyNarrowString();
TQ_API const TQWString& EmptyWideString();

}  // namespace StringUtils
#endif

#ifdef __cplusplus
class BinDataReader;
class BinDataWriter;
class FileLoc;
class PKString;

// Long-string arrays from and to packed lists. *out is replaced only on success (the old array disposed);
// kErrGeneric for a null out, kErrArgument for a bad count, else the memory manager's error.
TQ_API TqErr CPStrPtrToLStrArray(CPStr* const& list, int32 n, _LStrArray*** out);
TQ_API TqErr CPStrPtrToLStrArray(CPStr* const& list, _LStrArray*** out);
// Elements longer than 255 bytes are cut. n = 0 or a null array stores null.
TQ_API TqErr LStrArrayToCPStrHandle(_LStrArray** const& a, int32 n, CPStr*** out);
TQ_API TqErr LStrArrayToCPStrHandle(_LStrArray** const& a, CPStr*** out);

// A view of a run of bytes over one kind of storage, editing it in place where the kind allows. Results are
// TqErr: 1 when the storage cannot take the change, else the memory manager's error.
class TQ_API PKSubString {
  public:
    enum Kind : int32 {
        kFixed = 1,
        kPStrBuffer = 4,
        kCharBuffer = 5,
        kFixedLStr = 7,
        kString = 10,
        kListElement = 11,
        kTemp = 12,
    };

    PKSubString(const char* s);
    PKSubString(const char* s, int32 length);
    PKSubString(const unsigned char* s, int32 length);
    PKSubString(LStr** h);
    PKSubString(const PKString& s);
    PKSubString(int32 capacity, char* buffer);
    PKSubString(int32 capacity, char* buffer, int32 length);
    PKSubString(const LStr* s);
    PKSubString(PKString* s);
    PKSubString(LStr*** h);
    PKSubString(CPStr** h, int32 index);

    const char* Data() const { return reinterpret_cast<const char*>(data_); }
    char* MutableData() { return reinterpret_cast<char*>(data_); }
    int32 Length() const { return length_; }
    int32 GetKind() const { return kind_; }

    TqErr Resize(int32 n);
    TqErr Replace(const char* src, int32 srcLen, int32 at, int32 dstLen);
    TqErr Replace(const PKSubString& src, int32 at, int32 dstLen);
    TqErr ReplaceCStr(const char* src, int32 at, int32 dstLen);
    TqErr Insert(const char* src, int32 srcLen, int32 at);
    TqErr Insert(const PKSubString& src, int32 at);
    TqErr InsertCStr(const char* src, int32 at);
    TqErr Append(const char* src, int32 srcLen);
    TqErr Append(const PKSubString& src);
    TqErr AppendCStr(const char* src);
    TqErr Assign(const PKSubString& src);
    TqErr Assign(const PKString& src);
    TqErr Assign(const char* src, int32 length);
    TqErr Assign(LStr** h);
    TqErr Assign(const LStr* s);
    TqErr AssignCStr(const char* src);
    TqErr AssignPStr(ConstPStr src);
    // UTF-16 text to the ANSI code page; a length below 1 takes the BSTR's own length prefix.
    TqErr AssignBSTR(const TQWChar* wide, int32 length);
    TqErr AppendBSTR(const TQWChar* wide, int32 length);
    TqErr ReplaceBSTR(const TQWChar* wide, int32 length, int32 at, int32 dstLen);
    TqErr Printf(const char* format, ...);
    TqErr AppendPrintf(const char* format, ...);
    TqErr PrintfV(const char* format, va_list args);
    TqErr AppendPrintfV(const char* format, va_list args);

    int32 Compare(const PKSubString& other) const;
    int32 Compare(const char* s, int32 length) const;
    int32 CompareCStr(const char* s) const;
    int32 CompareNC(const PKSubString& other) const;
    int32 CompareNC(const char* s, int32 length) const;
    int32 CompareNCCStr(const char* s) const;
    // Offsets from the view's start, -1 when not found.
    int32 Search(const PKSubString& pattern, int32 start) const;
    int32 Search(const char* pattern, int32 length, int32 start) const;
    int32 SearchCStr(const char* pattern, int32 start) const;
    int32 SearchNC(const PKSubString& pattern, int32 start) const;
    int32 SearchNC(const char* pattern, int32 length, int32 start) const;
    int32 SearchNCCStr(const char* pattern, int32 start) const;
    int32 FindFirstOf(const PKSubString& set, int32 start) const;
    int32 FindFirstOf(const char* set, int32 length, int32 start) const;
    int32 FindFirstOfCStr(const char* set, int32 start) const;
    TqErr SearchReplace(const PKSubString& find, const PKSubString& replace, int32* count);
    void TrimWhitespace();
    void CopyToCStr(char* buffer, int32 size) const;
    void CopyToPStr(PStr buffer) const;
    TqErr CopyToNarrowString(std::string* out) const;

  protected:
    PKSubString(uChar* data, int32 length, int32 kind, uInt64 owner)
        : data_(data), length_(length), kind_(kind), owner_(owner) {}
    uChar* data_;
    int32 length_;
    int32 reserved_ = 1;
    int32 kind_;
    uInt64 owner_;

  private:
    TqErr ResizeTemp(int32 n);
};

// Owns a long string in a handle of exactly 4 + length bytes (null when empty); a PKString* may stand for an
// LStrHandle*.
class TQ_API PKString {
  public:
    PKString() = default;
    ~PKString();
    PKString(const PKString&) = delete;
    PKString& operator=(const PKString&) = delete;

    LStrHandle Handle() const { return handle_; }
    const char* Data() const { return handle_ ? reinterpret_cast<const char*>((*handle_)->str) : nullptr; }
    int32 Length() const { return handle_ ? (*handle_)->cnt : 0; }

    TqErr Resize(int32 n);
    TqErr Assign(const char* s, int32 length);
    TqErr Printf(const char* format, ...);
    TqErr AppendPrintf(const char* format, ...);
    void CopyToCStr(char* buffer, int32 size) const;
    void CopyToPStr(PStr buffer) const;
    TqErr CopyToNarrowString(std::string* out) const;

  private:
    LStrHandle handle_ = nullptr;
};

// A view with 255 bytes of its own, moving into a handle past them.
class TQ_API PKTempString : public PKSubString {
  public:
    PKTempString();
    ~PKTempString();
    PKTempString(const PKTempString&) = delete;
    PKTempString& operator=(const PKTempString&) = delete;
    bool InHandle() const { return control_.inHandle != 0; }

    struct Control {
        int32 inHandle;
        PKString string;
        uChar buffer[256];
    };

  private:
    Control control_;
};

// Owns a packed Pascal-string list (null: empty).
class TQ_API CPStrList {
  public:
    CPStrList() = default;
    // Takes over a big-endian list read from a resource file, detaching it from the resource manager.
    explicit CPStrList(unsigned char** resourceHandle);
    explicit CPStrList(CPStr* list);
    ~CPStrList();
    CPStrList(const CPStrList&) = delete;
    CPStrList& operator=(const CPStrList&) = delete;

    CPStrHandle Handle() const { return handle_; }
    int32 Count() const { return handle_ && *handle_ ? (*handle_)->cnt : 0; }

    PStr operator[](int32 i) const;
    void Clear();
    int32 Compare(const CPStrList& other) const;
    int32 CompareFS(const CPStrList& other) const;
    Bool32 Equal(const CPStrList& other) const;
    Bool32 EqualNC(const CPStrList& other) const;
    Bool32 EqualFS(const CPStrList& other) const;
    Bool32 EqualNEltsFS(const CPStrList& other, int32 n) const;
    TqErr Copy(const CPStrList& other);
    TqErr Copy(CPStr* list);
    TqErr Delete(int32 i);
    TqErr ForceAllocate();
    TqErr Insert(const unsigned char* s, int32 i);
    TqErr Insert(const PKSubString& s, int32 i);
    TqErr Flatten(BinDataWriter* writer) const;
    TqErr UnFlatten(BinDataReader* reader);

  private:
    CPStrHandle handle_ = nullptr;
};

// Formatted text to a destination. Channels come from StringOutputFactory; the caller deletes them.
class TQ_API StringOutput {
  public:
    enum OpenMode : int32 { kOpenCreate = 0, kOpenAppend = 1, kOpenAppendInPlace = 2 };
    virtual ~StringOutput();
    virtual void Open(OpenMode mode);
    // Result: the channel's count of completed prints.
    virtual int32 PrintData(const char* format, ...) = 0;
    virtual int32 PrintDataV(const char* format, va_list args) = 0;
    virtual void Flush() = 0;
};

class TQ_API StringOutputBase : public StringOutput {
  public:
    int32 PrintData(const char* format, ...) override;
    int32 PrintDataV(const char* format, va_list args) override;
    void Flush() override;

  protected:
    // Writes one formatted text.
    virtual void WriteFormatted(const char* format, va_list args) = 0;
    // At most size bytes and a NUL after them (buffer holds size + 1). Result: the length.
    int32 vsnprintf(char* buffer, int32 size, const char* format, va_list args);

    static constexpr int32 kTextSize = 2048;

  private:
    int32 printCount_ = 0;
    int32 busy_ = 0;
};

class TQ_API StringOutputFile : public StringOutputBase {
  public:
    explicit StringOutputFile(const FileLoc& location);
    ~StringOutputFile() override;
    void Open(OpenMode mode) override;
    void Flush() override;

  protected:
    void WriteFormatted(const char* format, va_list args) override;

  private:
    FileLoc* location_;
    intptr_t file_;
    int32 opened_ = 0;
    char text_[kTextSize + 1];
};

class TQ_API StringOutputWinConsole : public StringOutputBase {
  public:
    StringOutputWinConsole();
    ~StringOutputWinConsole() override;

  protected:
    void WriteFormatted(const char* format, va_list args) override;

  private:
    intptr_t output_;
    intptr_t input_;
    char text_[kTextSize + 1];
};

class TQ_API StringOutputWinDebugStr : public StringOutputBase {
  protected:
    void WriteFormatted(const char* format, va_list args) override;

  private:
    char text_[kTextSize + 1];
};

// Two channels at once (either may be null); owning ones are deleted with the fork.
class TQ_API StringOutputFork : public StringOutput {
  public:
    StringOutputFork(StringOutput* first, StringOutput* second, bool owns);
    ~StringOutputFork() override;
    void Open(OpenMode mode) override;
    int32 PrintData(const char* format, ...) override;
    int32 PrintDataV(const char* format, va_list args) override;
    void Flush() override;

  private:
    StringOutput* first_;
    StringOutput* second_;
    bool owns_;
};

class TQ_API StringOutputFactory {
  public:
    // Null when memory runs out.
    static StringOutput* CreateConsoleOutput();
    static StringOutput* CreateDebugPrintOutput();
    // Nothing is opened until Open.
    static StringOutput* CreateFileOutput(const FileLoc& location);
};
#endif
