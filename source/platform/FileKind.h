// What a name stands for in the file system.
#pragma once

namespace tq::platform {

enum class FileKind { kNone, kFile, kFolder, kUnknown };

// kNone when nothing has the name, kUnknown when asking failed for another reason.
FileKind FileKindOf(const char* utf8Path);

}  // namespace tq::platform
