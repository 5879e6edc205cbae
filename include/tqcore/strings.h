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
