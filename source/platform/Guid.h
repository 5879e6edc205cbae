// GUID creation and text conversion of the platform layer.
#pragma once

#include "tqcore/sysinfo.h"

namespace tq::platform {

// A fresh GUID from the system's generator; false when the system could not supply one.
bool CreateGuid(PKGuidType& guid);
// 36 characters and a NUL into text; false when the system conversion fails.
bool GuidToText(const PKGuidType& guid, char (&text)[kPKGuidTextSize]);
// Parses the text form; false (guid untouched) when text is not one.
bool GuidFromText(const char* text, PKGuidType& guid);

// The portable text form and parser, for systems without a UUID text service: lowercase 8-4-4-4-12
// hexadecimal; parsing takes exactly 36 characters, hexadecimal in either case.
void FormatGuidText(const PKGuidType& guid, char (&text)[kPKGuidTextSize]);
bool ParseGuidText(const char* text, PKGuidType& guid);

}  // namespace tq::platform
