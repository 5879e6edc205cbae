#include <cinttypes>
#include <cstdio>
#include <vector>

#include "Command.h"
#include "Host.h"
#include "tqcore/core.h"

namespace {

int Run(int argc, char** argv);

const tool::Command kServices = {
    "services",
    "start and stop the base services and show their order and timing",
    "usage: tqcore services\n"
    "\n"
    "Starts the library as every host does, stops it again, and prints each base service in start\n"
    "order: its start result, when its start began and how long it took, and the same for its stop.\n"
    "Times are millisecond-tick readings; stops run in reverse order.\n",
    Run,
};
const tool::CommandRegistrar kRegistrar(kServices);

std::vector<TQServiceRecord> Records() {
    std::vector<TQServiceRecord> records(size_t(TQCoreBaseServiceRecords(nullptr, 0)));
    const int32 n = TQCoreBaseServiceRecords(records.data(), int32(records.size()));
    records.resize(size_t(n) < records.size() ? size_t(n) : records.size());
    return records;
}

int Run(int argc, char** argv) {
    if (argc > 1) return tool::UsageError(kServices, "takes no arguments");
    tool::HostSession* session = tool::HostSession::Current();
    if (!session) return 1;
    // Stopping first fills in the stop readings; the records outlive the registry.
    session->Stop();
    const std::vector<TQServiceRecord> records = Records();
    std::printf("%-2s %-26s %6s %12s %5s %6s %12s %5s\n", "#", "service", "start", "began(ms)", "took",
                "stop", "began(ms)", "took");
    int failures = 0;
    for (size_t i = 0; i < records.size(); ++i) {
        const TQServiceRecord& r = records[i];
        std::printf("%-2zu %-26s %6d %12" PRIu32 " %5" PRIu32 " %6d %12" PRIu32 " %5" PRIu32 "\n", i + 1,
                    r.name, int(r.startResult), r.startBegin, r.startEnd - r.startBegin, int(r.stopResult),
                    r.stopBegin, r.stopEnd - r.stopBegin);
        if (r.startResult != kErrNone || r.stopResult != kErrNone) ++failures;
    }
    std::printf("%zu services, %d with a failing start or stop\n", records.size(), failures);
    return failures ? 1 : 0;
}

}  // namespace
