// Code pages: the process's ANSI code page, conversion between code pages, UTF-8 and UTF-16, the ANSI
// character functions (case, stepping) and BSTR blocks. Conversions and character functions may run on any
// thread; selecting the ANSI code page is meant for start-up and tests.
#pragma once

#include <atomic>

#include "tqcore/types.h"

namespace tq::platform {

inline constexpr uInt32 kCodePageAnsi = 0;
inline constexpr uInt32 kCodePageUtf8 = 65001;
inline constexpr uInt32 kCodePageWestern = 1252;

// The process's ANSI code page (never 0).
uInt32 AnsiCodePage();
// Selects the ANSI code page for the whole process; false and no change when it cannot be converted here.
bool SetAnsiCodePage(uInt32 codePage);
// The ANSI code page the host chooses: on POSIX the variable TQCORE_ANSI_CODEPAGE, else 1252.
uInt32 HostAnsiCodePage();
bool IsCodePageSupported(uInt32 codePage);

enum : uInt32 {
    // Fail with kWinNoUnicodeTranslation on invalid or unmappable input instead of substituting.
    kConvertStrict = 1,
};

// Both conversions follow the Win32 contract: length -1 means up to and including the NUL; capacity 0
// measures. Result: code units written (or needed), 0 on failure with the last error set
// (kWinInvalidParameter, kWinInsufficientBuffer, kWinNoUnicodeTranslation). Code page 0 is the ANSI one.
int32 MultiByteToWide(uInt32 codePage, uInt32 flags, const char* src, int32 srcLen, TQWChar* dst,
                      int32 dstCap);
// Without kConvertStrict a character the code page lacks becomes '?' (UTF-8: a lone surrogate becomes
// U+FFFD).
int32 WideToMultiByte(uInt32 codePage, uInt32 flags, const TQWChar* src, int32 srcLen, char* dst,
                      int32 dstCap);

// Simple Unicode case mapping of one UTF-16 unit (units without a one-unit mapping stay as they are).
TQWChar WideToUpper(TQWChar c);
TQWChar WideToLower(TQWChar c);

// Lead bytes of a double-byte code page (all false for a single-byte one); false when unsupported.
bool LeadByteTable(uInt32 codePage, bool lead[256]);

// Character functions over the active ANSI code page. Single characters fold alone; the buffer forms
// skip double-byte characters.
uChar AnsiCharUpper(uChar c);
uChar AnsiCharLower(uChar c);
void AnsiCharUpperBuff(char* text, uInt32 length);
void AnsiCharLowerBuff(char* text, uInt32 length);
bool AnsiIsLeadByte(uChar c);
// The active lower-case table (256 entries, valid for the life of the process) and whether it folds the
// ASCII letters exactly as ASCII does (true for every supported page; lets callers fold ASCII in bulk).
struct AnsiLowerFold {
    const uChar* table;
    bool asciiPlain;
};
// The active page's, published once the tables are chosen (null before), so comparisons read it inline.
extern std::atomic<const AnsiLowerFold*> gAnsiLowerFold;
AnsiLowerFold AnsiLowerTableSlow();
inline AnsiLowerFold AnsiLowerTable() {
    if (const AnsiLowerFold* f = gAnsiLowerFold.load(std::memory_order_acquire)) return *f;
    return AnsiLowerTableSlow();
}
// The next character (a NUL does not advance) and the start of the character before `current`.
const char* AnsiCharNext(const char* current);
const char* AnsiCharPrev(const char* start, const char* current);

// BSTR: a length-prefixed, NUL-terminated UTF-16 block; the pointer addresses the text.
TQWChar* SysAllocStringLen(const TQWChar* text, uInt32 length);
uInt32 SysStringLen(const TQWChar* bstr);
void SysFreeString(TQWChar* bstr);

}  // namespace tq::platform
