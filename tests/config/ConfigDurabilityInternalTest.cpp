// A rewrite of a preference file never leaves it torn: interrupted at any system call, killed at any moment,
// or raced by another process, the file holds a whole old or new content.
#include <gtest/gtest.h>

#include <random>

#include "config/ConfigOperations.h"
#include "config/ConfigTestSupport.h"
#include "config/IniDocument.h"
#include "platform/OsSyscallNames.h"
#include "platform/Syscalls.h"

#ifndef _WIN32
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using tq::config::IniDocument;
using tq::config::KEINIConfigOperations;
using tq::test::OsPath;
using tq::test::ReadText;
using tq::test::ScratchFolder;
using tq::test::WriteText;

namespace {

// A value long enough that a torn write shows, and checkable on its own: n repeated.
std::string Filler(int n) {
    std::string s;
    for (int i = 0; i < 200; ++i) s += std::to_string(n) + ",";
    return s;
}

// One token's value: its number, then the number's filler, so a torn value shows.
std::string Version(int n) {
    return std::to_string(n) + ":" + Filler(n);
}

// The content is a whole file, every token's value a whole version.
[[maybe_unused]] bool WholeVersion(const std::string& bytes, const char* section,
                                   std::initializer_list<const char*> tokens) {
    IniDocument doc;
    if (bytes.empty() || bytes.back() != '\n' || doc.Parse(bytes) != tq::config::kIniOk) return false;
    for (const char* token : tokens) {
        const auto* e = doc.Find(section, token);
        if (!e) continue;  // a process may not have written its token yet
        const size_t colon = e->value.find(':');
        if (colon == std::string::npos || e->value != Version(std::stoi(e->value.substr(0, colon))))
            return false;
    }
    return true;
}

TEST(ConfigDurability, ARewriteInterruptedAtAnySystemCallLeavesTheOldOrTheNewFile) {
    namespace pf = tq::platform;
    ScratchFolder folder;
    const std::string file = folder.OsName("d.ini");
    const std::string oldBytes = "; kept\n[S]\nk=old\n";
    const std::string newBytes = "; kept\n[S]\nk=new\n";
    int interrupted = 0;
    for (uInt32 entry = 0; const char* name = pf::SyscallName(entry); ++entry) {
        for (uInt32 nth = 1;; ++nth) {
            WriteText(file, oldBytes);
            const int othersBefore = folder.CountOthers("d.ini");
            TqErr r;
            {
                KEINIConfigOperations store(OsPath(file), "S");
                pf::SyscallFault fault;
                fault.nth = nth;
                fault.error = tq::platform::test::kOs.accessDenied;
                if (!pf::InjectSyscallFault(name, fault)) break;  // an entry that cannot fail
                r = store.WriteValue("S", "k", "new");
            }
            const bool reached = pf::InjectedSyscallFaults() != 0;
            pf::ResetSyscallsForTest();
            const std::string bytes = ReadText(file);
            EXPECT_TRUE(bytes == oldBytes || bytes == newBytes) << name << " call " << nth << ": " << bytes;
            // A failure after the replace (the folder's flush) reports an error over the new file. A rewrite
            // whose clean-up is what failed (the close, the removal) leaves its own numbered temporary file
            // at most, never read in place of the preference file; it is cleared where it can be.
            if (r != kErrNone) {
                EXPECT_LE(folder.CountOthers("d.ini"), othersBefore + 1) << name << " call " << nth;
                EXPECT_TRUE(OthersAreTemporaries(folder, "d.ini"))
                    << name << " call " << nth << " left a file behind";
            }
            folder.RemoveOthers("d.ini");
            if (!reached) break;
            interrupted += r != kErrNone;
            if (nth > 64) break;
        }
    }
    // The write really went through the seam: several of its calls failed it.
    EXPECT_GE(interrupted, 5);
}

#ifndef _WIN32
// Each child rewrites the file until it is killed; it reports each completed rewrite through a pipe.
[[noreturn]] void RewriteForever(const std::string& file, const char* token, int ackFd, int start) {
    KEINIConfigOperations store(OsPath(file), "S");
    for (int n = start;; ++n) {
        if (store.WriteValue("S", token, Version(n)) != kErrNone) _exit(2);
        const char ack = 1;
        if (write(ackFd, &ack, 1) != 1) _exit(4);
    }
}

TEST(ConfigDurability, AWriterKilledAtRandomMomentsNeverTearsTheFile) {
    ScratchFolder folder;
    const std::string file = folder.OsName("k.ini");
    std::mt19937 random(12345);
    int rewrites = 0, kills = 0, start = 0;
    while (rewrites < 1000) {
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(fds[0]);
            RewriteForever(file, "k", fds[1], start);
        }
        close(fds[1]);
        // Let a random number of rewrites complete, then kill in the middle of a later one.
        const int wait = int(random() % 40) + 1;
        char ack;
        int got = 0;
        while (got < wait && read(fds[0], &ack, 1) == 1) ++got;
        // A random amount of work before the kill, so it lands anywhere inside a rewrite.
        const int extraSpin = int(random() % 20000);
        volatile int sink = 0;
        for (int spin = 0; spin < extraSpin; ++spin) sink = sink + 1;
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        while (read(fds[0], &ack, 1) == 1) ++got;
        close(fds[0]);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the child stopped on its own: " << status;
        rewrites += got;
        start += got + 1;
        ++kills;
        const std::string bytes = ReadText(file);
        if (!bytes.empty()) {
            ASSERT_TRUE(WholeVersion(bytes, "S", {"k"})) << "after kill " << kills << ":\n" << bytes;
        }
    }
    // A fresh store reads the survivor, whatever temporary files the kills left.
    KEINIConfigOperations store(OsPath(file), "S");
    std::string v;
    EXPECT_EQ(store.ReadValue("S", "k", &v), kErrNone);
    EXPECT_TRUE(WholeVersion(ReadText(file), "S", {"k"}));
}

TEST(ConfigDurability, TwoProcessesWritingDifferentTokensNeverTearTheFile) {
    ScratchFolder folder;
    const std::string file = folder.OsName("two.ini");
    WriteText(file, "[S]\n");
    constexpr int kRounds = 150;
    pid_t children[2];
    const char* tokens[2] = {"a", "b"};
    for (int c = 0; c < 2; ++c) {
        children[c] = fork();
        ASSERT_GE(children[c], 0);
        if (children[c] == 0) {
            KEINIConfigOperations store(OsPath(file), "S");
            for (int n = 0; n < kRounds; ++n) {
                if (store.WriteValue("S", tokens[c], Version(n)) != kErrNone) _exit(2);
            }
            _exit(0);
        }
    }
    int running = 2, checks = 0;
    while (running > 0) {
        const std::string bytes = ReadText(file);
        ++checks;
        if (!bytes.empty()) {
            ASSERT_TRUE(WholeVersion(bytes, "S", {"a", "b"})) << bytes;
        }
        for (int c = 0; c < 2; ++c) {
            int status = 0;
            if (children[c] > 0 && waitpid(children[c], &status, WNOHANG) == children[c]) {
                EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
                children[c] = -1;
                --running;
            }
        }
    }
    EXPECT_TRUE(WholeVersion(ReadText(file), "S", {"a", "b"}));
    EXPECT_GT(checks, 0);
}
#endif

}  // namespace
