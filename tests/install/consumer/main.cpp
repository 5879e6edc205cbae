// A program outside the project, built only from the installed headers and library.
#include <tqcore/tqcore.h>

#include <cstdio>
#include <cstring>

static int gSeen = 0;
static void Handler(const char*, int32, const char*, DebugOutputLevel, uInt32, const char* message) {
    gSeen = std::strcmp(message, "installed") == 0;
}

int main() {
    DebugOutputSetHandler(Handler);
    DebugStream s("consumer", 1, "r", kDbgFatal);
    s.Append("installed");
    s.Process();
    const double a = 1.5, b = 2.25;
    double sum = 0;
    RTfAddD(&a, &b, &sum);
    if (!gSeen || TQFourCC("RSRC") == 0 || sum != 3.75 || !RTfLTD(&a, &b)) {
        std::fprintf(stderr, "consumer: library did not answer\n");
        return 1;
    }
    std::printf("consumer linked and ran\n");
    return 0;
}
