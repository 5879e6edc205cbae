// Moving to the user's recycle bin.
#include "files/PathSupport.h"
#include "platform/FileSystem.h"
#include "platform/Trash.h"
#include "tqcore/core.h"

// A missing name is reported as the OS reports it, before the recycle bin is touched.
TqErr FRemoveToRecycle(Path p, int32 confirm) {
    tq::files::FlushDestination(p);
    std::string name;
    if (const TqErr err = tq::files::RootedOsName(p, false, name)) return err;
    tq::platform::FileStatus status;
    if (!tq::platform::FileGetLinkStatus(name.c_str(), &status)) return Win32ToPKFileErr();
    return tq::platform::MoveToTrash(name.c_str(), confirm != 0) ? kErrNone : Win32ToPKFileErr();
}
