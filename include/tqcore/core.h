// tqcore/core.h - start-up and services, result codes, exceptions, the host application interface.
// Start-up and shut-down run on one thread; everything else here may be called from any thread.
#pragma once

#include "tqcore/types.h"

enum : TqErr {
    kErrNone = 0,
    kErrArgument = 1,
    kErrMemoryFull = 2,
    kErrBadHandle = 3,
    kErrEndOfFile = 4,
    kErrFileBusy = 5,
    kErrIO = 6,
    kErrNotFound = 7,
    kErrPermission = 8,
    kErrDiskFull = 9,
    kErrDuplicatePath = 10,
    kErrTooManyFiles = 11,
    kErrResourceFile = 13,
    kErrResourceExists = 14,
    kErrResourceNotFound = 15,
    kErrConfigBadType = 19,
    kErrConfigNotFound = 20,
    kErrConfigParse = 21,
    kErrConfigAlloc = 22,
    kErrGeneric = 42,
    kErrNotSupported = 53,
    kErrQueueClosed = 67,
    kErrNoOccurrence = 69,
    kErrOccurQueueFull = 70,
    kErrEndOfData = 74,
    kErrBadFormat = 85,
    kErrBadStreamData = 116,
    kErrGuidText = 121,
    kErrResFileVersion = 122,
    kErrTimeout = 123,
    kErrStringHasNull = 124,
    kErrNoUniqueID = 128,
    kErrPathTooLong = 129,
    kErrBadCharEncoding = 1675,
};
