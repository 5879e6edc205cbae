
// ---- Files on disk.

TqErr ROpenFile(Path path, int32 permission, uInt32* refnum, ResType* type, ResType* creator) {
    if (!path || !refnum) return kErrArgument;
    *refnum = 0;
    return Guarded([&]() -> TqErr {
        ResFile* f = nullptr;
        const TqErr e = ResFileFactory::ROpenPath(*path, permission, &f, type, creator);
        return Register(e, f, refnum);
    });
}

TqErr ROpenAppResFile(Path path, int32 permission, uInt32* refnum) {
    if (!refnum) return kErrArgument;
    *refnum = 0;
    return Guarded([&]() -> TqErr {
        ResFile* f = nullptr;
        const TqErr e = ResFileFactory::ROpenAppResFile(path, permission, &f);
        return Register(e, f, refnum);
    });
}

TqErr RCreateFile(Path path, int32 permission, ResType creator, ResType type, int32 flags) {
    if (!path) return kErrArgument;
    return Guarded([&] { return ResFileFactory::RCreateFile(*path, permission, creator, type, flags); });
}

TqErr RGetModDate(Path path, uInt32 refnum, uInt32* date, int32* flag) {
    return Guarded([&]() -> TqErr {
        if (refnum) return FileOf(refnum).RGetModDate(path ? *path : PathRef::NotAPath(), date, flag);
        if (!path) return kErrArgument;
        return ResFileFactory::RGetModDate(*path, date, flag);
    });
}

TqErr RGetFileType(Path path, ResType* type, ResType* creator) {
    if (!path) return kErrArgument;
    return Guarded([&] { return ResFileFactory::RGetFileType(*path, type, creator); });
}

TqErr RSetFileType(Path path, ResType type, ResType creator) {
    if (!path) return kErrArgument;
    return Guarded([&] { return ResFileFactory::RSetFileType(*path, type, creator); });
}
