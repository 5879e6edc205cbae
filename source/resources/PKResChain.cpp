// Several files searched as one, in order.
#include "tqcore/core.h"
#include "tqcore/resources.h"

namespace {

// The first answer of the files that is not "not found"; an empty chain finds nothing.
template <class Ask>
TqErr FirstAnswer(const std::vector<ResFile*>& files, Ask ask) {
    for (ResFile* f : files)
        if (f)
            if (const TqErr e = ask(*f); e != kErrResourceNotFound) return e;
    return kErrResourceNotFound;
}

}  // namespace

PKResChain::PKResChain(const std::vector<ResFile*>& files, bool closesFiles)
    : files_(files), closesFiles_(closesFiles) {}

PKResChain::~PKResChain() {
    RCloseFile();
}

TqErr PKResChain::RCloseFile() {
    if (closesFiles_)
        for (ResFile* f : files_)
            if (f && f->RCloseFile() != kErrDuplicatePath) delete f;
    files_.clear();
    return kErrNone;
}

TqErr PKResChain::RGet(ResType type, int32 id, Resource** out) {
    if (out) *out = nullptr;
    return FirstAnswer(files_, [&](ResFile& f) { return f.RGet(type, id, out); });
}

TqErr PKResChain::RExists(ResType type, int32 id, int32* exists) {
    if (exists) *exists = 0;
    return FirstAnswer(files_, [&](ResFile& f) { return f.RExists(type, id, exists); });
}

TqErr PKResChain::RGetNamed(ResType type, ConstPStr name, Resource** out) {
    if (out) *out = nullptr;
    return FirstAnswer(files_, [&](ResFile& f) { return f.RGetNamed(type, name, out); });
}

TqErr PKResChain::RIsLoaded(ResType type, int32 id, bool* loaded) {
    if (loaded) *loaded = false;
    return FirstAnswer(files_, [&](ResFile& f) { return f.RIsLoaded(type, id, loaded); });
}

TqErr PKResChain::RGetIndStringPtr(ConstPStr* out, int32 id, int32 index, ResType type) {
    if (out) *out = nullptr;
    return FirstAnswer(files_, [&](ResFile& f) { return f.RGetIndStringPtr(out, id, index, type); });
}

TqErr PKResChain::GetResourceForHandle(UHandle h, Resource** out) {
    if (out) *out = nullptr;
    return FirstAnswer(files_, [&](ResFile& f) { return f.GetResourceForHandle(h, out); });
}
