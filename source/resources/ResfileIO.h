// The file-access object of an open resource file: positioned reads and writes over a disk file, a memory
// handle or a caller's read-only block, whichever the file was opened on.
#pragma once

#include "tqcore/resources.h"

class PKResfileIO {
  public:
    virtual ~PKResfileIO();
    // n bytes at pos; fewer available gives kErrEndOfFile.
    virtual TqErr Read(int64 pos, void* buf, int64 n) = 0;
    virtual TqErr Write(int64 pos, const void* buf, int64 n) = 0;
    virtual TqErr SetEOF(int64 size) = 0;
    virtual TqErr GetEOF(int64* size) = 0;
    virtual TqErr Flush() = 0;
    // Unmaps, disposes of an owned handle, closes the refnum.
    virtual void Close() = 0;
    virtual bool IsMemory() const = 0;
    virtual TqErr ModDate(const PathRef& path, uInt32* date, int32* flag) = 0;
    // The whole file as one read-only block when it is mapped or a caller's image, else null.
    virtual const uInt8* Image() const { return nullptr; }
    // An owned memory handle handed to the caller; null when there is none.
    virtual UHandle TakeHandle() { return nullptr; }

    int32 permission = kResReadWrite;
    int64 appendOffset = 0;  // where an appended resource file starts
    int64 fileSize = 0;      // at opening
};

namespace tq::resources {

// Over a handle (owned from now on) or a caller's read-only block; null when allocation fails.
PKResfileIO* NewHandleIO(UHandle h, int32 permission);
PKResfileIO* NewImageIO(const uInt8* data, uInt64 size);
// Opens the file at path; a read-only file is mapped when it can be. 0 and the object, or the code.
TqErr OpenDiskIO(const PathRef& path, int32 permission, PKResfileIO** out);

}  // namespace tq::resources
