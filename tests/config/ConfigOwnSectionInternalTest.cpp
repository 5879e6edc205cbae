// The file store's reads in its own section: they follow the section's name and the file's content, however
// the section moves in the file.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "config/ConfigOperations.h"
#include "config/ConfigTestSupport.h"

using tq::config::KEINIConfigOperations;
using tq::test::ScratchFolder;
using tq::test::WriteText;

namespace {

std::string Own(KEINIConfigOperations& store, const char* key, TqErr expected) {
    std::string value = "<untouched>";
    EXPECT_EQ(store.ReadValue(std::string(key), &value), expected) << key;
    return value;
}

TEST(ConfigOwnSection, ReadsFollowTheSectionsNameAndNewSections) {
    ScratchFolder folder;
    const std::string file = folder.OsName("own.ini");
    WriteText(file, "[A]\nk=a\n[B]\nk=b\n");
    KEINIConfigOperations store(tq::config::PathFromOsText(file), "B");
    EXPECT_EQ(Own(store, "k", kErrNone), "b");
    EXPECT_EQ(Own(store, "  K", kErrNone), "b");
    ASSERT_EQ(store.SetSection("a"), kErrNone);
    EXPECT_EQ(Own(store, "k", kErrNone), "a");
    ASSERT_EQ(store.SetSection("C"), kErrNone);
    EXPECT_EQ(Own(store, "k", kErrConfigNotFound), "<untouched>");
    ASSERT_EQ(store.WriteValue("C", "k", "c"), kErrNone);
    EXPECT_EQ(Own(store, "k", kErrNone), "c");
    ASSERT_EQ(store.SetSection(""), kErrNone);
    EXPECT_EQ(Own(store, "k", kErrArgument), "<untouched>");
}

TEST(ConfigOwnSection, AFileReadAgainIsLookedUpAgain) {
    ScratchFolder folder;
    const std::string file = folder.OsName("moved.ini");
    WriteText(file, "[A]\nk=a\n[B]\nk=b\n");
    KEINIConfigOperations store(tq::config::PathFromOsText(file), "B");
    EXPECT_EQ(Own(store, "k", kErrNone), "b");
    // The own section now comes first. The file is written again until the once-a-second check sees a new
    // time stamp; the clock is not bounded from above.
    std::string seen;
    for (int i = 0; i < 100 && seen != "b2"; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        WriteText(file, "[B]\nk=b2\n[A]\nk=a2\n");
        seen = Own(store, "k", kErrNone);
    }
    EXPECT_EQ(seen, "b2");
}

// Readers of the own section while another thread adds sections, writes and switches the section: every read
// answers a value its section held or not-found, never another section's value.
TEST(ConfigOwnSection, ReadsBesideWritesAndSectionSwitches) {
    ScratchFolder folder;
    const std::string file = folder.OsName("busy.ini");
    WriteText(file, "[A]\nk=A\n[B]\nk=B\n");
    KEINIConfigOperations store(tq::config::PathFromOsText(file), "A");
    std::atomic<bool> stop{false};
    std::atomic<int> wrong{0};
    std::vector<std::thread> readers;
    for (int r = 0; r < 2; ++r)
        readers.emplace_back([&] {
            while (!stop.load()) {
                std::string v;
                const TqErr e = store.ReadValue(std::string("k"), &v);
                if (e == kErrConfigNotFound) continue;
                if (e != kErrNone || (v != "A" && v != "B" && v.rfind("S", 0) != 0)) ++wrong;
            }
        });
    for (int i = 0; i < 40; ++i) {
        const std::string section = "S" + std::to_string(i);
        ASSERT_EQ(store.WriteValue(section, "k", section), kErrNone);
        ASSERT_EQ(store.SetSection(i % 2 ? "A" : section), kErrNone);
    }
    stop = true;
    for (auto& t : readers) t.join();
    EXPECT_EQ(wrong.load(), 0);
}

}  // namespace
