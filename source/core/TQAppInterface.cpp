// The installable host application interface and the plain functions that ask it.
#include "tqcore/core.h"

namespace {
TQAppInterface* gApp = nullptr;

template <class Query>
int32 Ask(TQAppInterface* app, Query query) {
    if (!app) app = gApp;
    return app ? int32(query(*app)) : 0;
}
}  // namespace

void TQAppInterfaceSet(TQAppInterface* app) {
    gApp = app;
}

TQAppInterface* TQApp(void) {
    return gApp;
}

int32 TQGetAppAPIVersion(TQAppInterface* app) {
    return Ask(app, [](TQAppInterface& a) { return a.AppAPIVersion(); });
}

int32 TQGetAppEditorVersion(TQAppInterface* app) {
    return Ask(app, [](TQAppInterface& a) { return a.AppEditorVersion(); });
}

int32 TQGetIsTopLevel(TQAppInterface* app) {
    return Ask(app, [](TQAppInterface& a) { return a.IsTopLevel(); });
}

int32 TQGetIsBoundApp(TQAppInterface* app) {
    return Ask(app, [](TQAppInterface& a) { return a.IsBoundApp(); });
}

int32 TQGetIsRunTime(TQAppInterface* app) {
    return Ask(app, [](TQAppInterface& a) { return a.IsRunTime(); });
}

int32 TQGetIsFullFeatureRunTime(TQAppInterface* app) {
    return Ask(app, [](TQAppInterface& a) { return a.IsFullFeatureRunTime(); });
}
