// The INI document on disk: reading a file into it and the safe rewrite through a numbered temporary file.
// Paths are the operating system's own text (UTF-8).
#pragma once

#include <string>

#include "config/IniDocument.h"
#include "tqcore/clocks.h"

namespace tq::config {

IniCode IniReadFile(const std::string& path, IniDocument& doc);
// Writes doc over the file at path, never leaving it half written.
IniCode IniWriteFile(const std::string& path, const IniDocument& doc);

enum class IniStamp : uInt8 { kRead, kMissing, kFailed };
// The file's last-write time.
IniStamp IniLastWrite(const std::string& path, TQFileTime& time);

}  // namespace tq::config
