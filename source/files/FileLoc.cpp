// Locations of diagnostic files: a name placed in the temporary folder, or taken as given.
#include <cstring>
#include <string>

#include "platform/FileSystem.h"
#include "platform/OsNames.h"
#include "tqcore/core.h"
#include "tqcore/files.h"

#define TQ_UNIT "source\\FileLoc"

namespace {

bool InTemporaryFolder(FileLoc::LocCode code) {
    return code == FileLoc::kTempDir || code == FileLoc::kTempDirLog || code == FileLoc::kTempDirDump;
}

std::string Located(FileLoc::LocCode code, const char* name) {
    if (!InTemporaryFolder(code)) return name;
    std::string text = tq::platform::TemporaryDirectory();
    const char separator = tq::platform::NativeNameStyle() == tq::platform::OsNameStyle::kDos ? '\\' : '/';
    if (text.empty() || text.back() != separator) text += separator;
    return text + name;
}

}  // namespace

FileLoc::~FileLoc() = default;

Win32FileLoc::Win32FileLoc(LocCode code, const char* inFilename, bool addTxt) : path_{} {
    if (!inFilename) throw PKExcept(kErrArgument, "inFilename is NULL", TQ_UNIT, __LINE__);
    std::string text = Located(code, inFilename);
    if (text.size() > size_t(kMaxPath)) throw PKExcept(kErrNotFound, "Path too long", TQ_UNIT, __LINE__);
    if (addTxt) {
        text += ".txt";
        if (text.size() > size_t(kMaxPath)) throw PKExcept(kErrNotFound, nullptr, TQ_UNIT, __LINE__);
    }
    std::memcpy(path_, text.c_str(), text.size() + 1);
}

Win32FileLoc::Win32FileLoc(const Win32FileLoc& other) : FileLoc(other) {
    std::memcpy(path_, other.path_, sizeof path_);
}

Win32FileLoc& Win32FileLoc::operator=(const Win32FileLoc& other) {
    std::memcpy(path_, other.path_, sizeof path_);
    return *this;
}

Win32FileLoc::~Win32FileLoc() = default;

FileLoc* Win32FileLoc::Clone() const {
    return new Win32FileLoc(*this);
}

const char* Win32FileLoc::GetPath() const {
    return path_;
}

FileLoc* CreateFileLoc(FileLoc::LocCode code, const char* inFilename, bool addTxt) {
    try {
        return new Win32FileLoc(code, inFilename, addTxt);
    } catch (...) {
        return nullptr;
    }
}
