// The container's checks and byte-order conversions: pure functions over bytes, no I/O.
#pragma once

#include "resources/ResMap.h"

namespace tq::resources {

// A file header in host order (four-character codes as stored).
struct FileHeader {
    ResType magic;
    uInt8 crlf[2];
    uInt16 version;
    ResType type;
    ResType creator;
    uInt32 mapOffset;
    uInt32 mapSize;
    uInt32 dataOffset;
    uInt32 dataSize;
};

// Decodes 32 stored bytes.
FileHeader DecodeHeader(const uInt8* bytes);
// Encodes into 32 bytes.
void EncodeHeader(const FileHeader& h, uInt8* bytes);
// The empty file's header: map and data at 32, both of size 0, version 3.
FileHeader EmptyHeader(ResType type, ResType creator);
bool Recognised(const FileHeader& h);

// The number of the first header rule that fails against file size F, or 0.
int32 HeaderValidation(const FileHeader& h, uInt64 fileSize);

// The number of the first map rule that fails for a map read as stored (file byte order), or 0.
// fileHeader is the header as found (offsets may be adjusted for an appended file).
int32 MapValidation(const uInt8* map, int64 size, const FileHeader& fileHeader);
// The header copy agrees with the file header (rule 7).
bool HeaderAgreement(const uInt8* mapHeader, const FileHeader& fileHeader);

// Converts a structurally valid map between file and host order in place; cookies are cleared on the way in.
void MapToHost(uInt8* map, int64 size);
void MapToFile(uInt8* map, int64 size);

}  // namespace tq::resources
