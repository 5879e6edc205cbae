// The INI document on disk: reading a file into it and the safe rewrite through a numbered temporary file,
// both through the file manager.
#pragma once

#include <string>

#include "config/IniDocument.h"
#include "tqcore/clocks.h"
#include "tqcore/paths.h"

namespace tq::config {

IniCode IniReadFile(const PathRef& path, IniDocument& doc);
// Writes doc over the file at path, never leaving it half written.
IniCode IniWriteFile(const PathRef& path, const IniDocument& doc);

enum class IniStamp : uInt8 { kRead, kMissing, kFailed };
// The last-write time of the file the operating system names osPath, to the tenth of a microsecond.
IniStamp IniLastWrite(const std::string& osPath, TQFileTime& time);

}  // namespace tq::config
