// tqcore/types.h - shared types, the export macro and the four-character-code helper.
// Every other public header includes this one; it pulls in no operating-system header.
// Each public header keeps one promise: everything before its closing C++ section compiles as C11, so any
// language's foreign-function interface can bind the plain functions; C++ classes stand in that one section.
#pragma once

#include <stddef.h>
#include <stdint.h>
#ifndef __cplusplus
#include <stdbool.h>
#endif

#if defined(TQCORE_STATIC)
#define TQ_API
#elif defined(_WIN32)
#if defined(TQCORE_BUILDING)
#define TQ_API __declspec(dllexport)
#else
#define TQ_API __declspec(dllimport)
#endif
#else
#define TQ_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
#define TQ_EXTERN_C_BEGIN extern "C" {
#define TQ_EXTERN_C_END }
#else
#define TQ_EXTERN_C_BEGIN
#define TQ_EXTERN_C_END
#endif

// `enum TQ_ENUM_TYPE(int32) {...}`: constants with a fixed underlying type in C++; C, which has no such
// enums, sees int constants.
#ifdef __cplusplus
#define TQ_ENUM_TYPE(type) : type
#else
#define TQ_ENUM_TYPE(type)
#endif

typedef int8_t int8;
typedef uint8_t uInt8;
typedef int16_t int16;
typedef uint16_t uInt16;
typedef int32_t int32;
typedef uint32_t uInt32;
typedef int64_t int64;
typedef uint64_t uInt64;
typedef unsigned char uChar;
typedef int32 Bool32;

// Signed 32-bit result code; 0 is success. The named codes are in core.h.
typedef int32 TqErr;

// Relocatable handle: a pointer to a master pointer holding the data address.
typedef uChar** UHandle;
// Fixed block.
typedef uChar* UPtr;

// Long string: signed count then that many bytes, living at the start of a handle's block.
typedef struct LStr {
    int32 cnt;
    uChar str[1];
} LStr;
typedef LStr* LStrPtr;
typedef LStr** LStrHandle;

// Pascal string: length byte then up to 255 bytes. Str255 is a full buffer for one.
typedef uChar* PStr;
typedef const uChar* ConstPStr;
typedef uChar Str255[256];
typedef char* CStr;
typedef const char* ConstCStr;

// 128-bit globally unique identifier in the platform GUID layout.
typedef struct PKGuidType {
    uInt32 data1;
    uInt16 data2;
    uInt16 data3;
    uInt8 data4[8];
} PKGuidType;

// An open file: the operating-system handle as a pointer-sized value, 0 for none.
typedef uintptr_t File;

#ifdef __cplusplus
#if __cplusplus < 202002L
#error "the C++ interface of tqcore needs C++20; C callers include these headers as C"
#endif
#include <bit>
#include <string>

// C++ objects that plain functions take or return by pointer; a C caller holds them as opaque pointers.
class IServiceObject;
class IServiceRegistry;
class TQAppInterface;
class TQPlacementDeletor;
class TextCursor;
class TQEvent;
class TQEventTarget;
class TQEventQueue;
class TQEventCoalescePolicy;

// Wide text is UTF-16 on every OS.
#if defined(_WIN32)
using TQWChar = wchar_t;
#else
using TQWChar = char16_t;
#endif
using TQWString = std::basic_string<TQWChar>;
static_assert(sizeof(TQWChar) == 2, "wide text must be UTF-16");

// A four-character code is the int32 whose memory bytes are the four characters in order.
constexpr int32 TQFourCC(const char (&s)[5]) {
    const uInt32 b0 = uChar(s[0]), b1 = uChar(s[1]), b2 = uChar(s[2]), b3 = uChar(s[3]);
    const uInt32 v = std::endian::native == std::endian::little ? (b0 | b1 << 8 | b2 << 16 | b3 << 24)
                                                                : (b3 | b2 << 8 | b1 << 16 | b0 << 24);
    return static_cast<int32>(v);
}
#else
typedef struct IServiceObject IServiceObject;
typedef struct IServiceRegistry IServiceRegistry;
typedef struct TQAppInterface TQAppInterface;
typedef struct TQPlacementDeletor TQPlacementDeletor;
typedef struct TextCursor TextCursor;
typedef struct TQEvent TQEvent;
typedef struct TQEventTarget TQEventTarget;
typedef struct TQEventQueue TQEventQueue;
typedef struct TQEventCoalescePolicy TQEventCoalescePolicy;
#endif
