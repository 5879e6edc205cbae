// The Linux answers for the standard folders, from the environment and user-dirs.dirs.
#ifndef _WIN32
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <map>
#include <optional>
#include <string>

#include "platform/KnownFolders.h"

namespace {

using tq::platform::KnownFolder;
using tq::platform::KnownFolderPath;

// A scratch home folder, with the XDG variables cleared; everything is put back afterwards.
class KnownFoldersPosix : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* name : kVariables) {
            const char* v = getenv(name);
            saved_[name] = v ? std::optional<std::string>(v) : std::nullopt;
            unsetenv(name);
        }
        char pattern[] = "/tmp/tqcore-folders-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        home_ = pattern;
        setenv("HOME", home_.c_str(), 1);
    }
    void TearDown() override {
        for (auto& [name, value] : saved_) {
            if (value)
                setenv(name.c_str(), value->c_str(), 1);
            else
                unsetenv(name.c_str());
        }
        std::string command = "rm -rf '" + home_ + "'";
        ASSERT_EQ(std::system(command.c_str()), 0);
    }
    void WriteUserDirs(const std::string& text, const std::string& configHome = "") {
        const std::string dir = configHome.empty() ? home_ + "/.config" : configHome;
        mkdir(dir.c_str(), 0700);
        std::ofstream(dir + "/user-dirs.dirs") << text;
    }
    static bool IsFolder(const std::string& p) {
        struct stat st {};
        return stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    }

    static constexpr const char* kVariables[] = {"HOME",           "XDG_CONFIG_HOME", "XDG_DATA_HOME",
                                                 "XDG_CACHE_HOME", "XDG_DATA_DIRS",   "XDG_CONFIG_DIRS",
                                                 "TMPDIR"};
    std::map<std::string, std::optional<std::string>> saved_;
    std::string home_;
};

TEST_F(KnownFoldersPosix, DefaultsBelowHomeWhenNothingIsSet) {
    EXPECT_EQ(KnownFolderPath(KnownFolder::kHome, false), home_);
    EXPECT_EQ(KnownFolderPath(KnownFolder::kUserApplicationData, false), home_ + "/.local/share");
    EXPECT_EQ(KnownFolderPath(KnownFolder::kUserPreferences, false), home_ + "/.config");
    EXPECT_EQ(KnownFolderPath(KnownFolder::kDesktop, false), home_ + "/Desktop");
    EXPECT_EQ(KnownFolderPath(KnownFolder::kDocuments, false), home_) << "xdg-user-dir's answer";
    EXPECT_EQ(KnownFolderPath(KnownFolder::kPublicApplicationData, false), "/usr/share");
    EXPECT_EQ(KnownFolderPath(KnownFolder::kPublicPreferences, false), "/etc/xdg");
    EXPECT_EQ(KnownFolderPath(KnownFolder::kBootVolumeRoot, false), "/");
    EXPECT_EQ(KnownFolderPath(KnownFolder::kPublicCache, false), "/var/cache");
    EXPECT_FALSE(IsFolder(home_ + "/.local/share")) << "asking does not create";
}

TEST_F(KnownFoldersPosix, AbsoluteBaseVariablesWinAndRelativeOnesAreIgnored) {
    setenv("XDG_DATA_HOME", (home_ + "/data/").c_str(), 1);
    setenv("XDG_CONFIG_HOME", "relative/config", 1);
    EXPECT_EQ(KnownFolderPath(KnownFolder::kUserApplicationData, false), home_ + "/data");
    EXPECT_EQ(KnownFolderPath(KnownFolder::kUserPreferences, false), home_ + "/.config");
    setenv("XDG_DATA_DIRS", "share:/opt/share/:/usr/share", 1);
    setenv("XDG_CONFIG_DIRS", "", 1);
    EXPECT_EQ(KnownFolderPath(KnownFolder::kPublicApplicationData, false), "/opt/share");
    EXPECT_EQ(KnownFolderPath(KnownFolder::kPublicPreferences, false), "/etc/xdg");
}

TEST_F(KnownFoldersPosix, MissingBaseFoldersAreAnsweredAndMadeOnRequest) {
    const std::string missing = home_ + "/not/yet/there";
    setenv("XDG_CONFIG_HOME", missing.c_str(), 1);
    EXPECT_EQ(KnownFolderPath(KnownFolder::kUserPreferences, false), missing);
    EXPECT_FALSE(IsFolder(missing));
    EXPECT_EQ(KnownFolderPath(KnownFolder::kUserPreferences, true), missing);
    EXPECT_TRUE(IsFolder(missing));
    struct stat st {};
    ASSERT_EQ(stat(missing.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0077, 0u) << "private to the user";
}

TEST_F(KnownFoldersPosix, UserDirsFileNamesDesktopAndDocuments) {
    mkdir((home_ + "/Schreibtisch").c_str(), 0700);
    mkdir((home_ + "/Dok \"x\"").c_str(), 0700);
    WriteUserDirs(
        "# written by xdg-user-dirs-update\n"
        "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
        "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n"
        "  XDG_DOCUMENTS_DIR=\"" +
        home_ +
        "/Dok \\\"x\\\"\"\n"
        "XDG_MUSIC_DIR=\"relative\"\n");
    EXPECT_EQ(KnownFolderPath(KnownFolder::kDesktop, false), home_ + "/Schreibtisch") << "the last line wins";
    EXPECT_EQ(KnownFolderPath(KnownFolder::kDocuments, false), home_ + "/Dok \"x\"");
}

TEST_F(KnownFoldersPosix, UserDirsFileFollowsTheConfigHomeVariable) {
    const std::string config = home_ + "/cfg";
    mkdir((home_ + "/Work").c_str(), 0700);
    WriteUserDirs("XDG_DOCUMENTS_DIR=\"$HOME/Work\"\n", config);
    EXPECT_EQ(KnownFolderPath(KnownFolder::kDocuments, false), home_);
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    EXPECT_EQ(KnownFolderPath(KnownFolder::kDocuments, false), home_ + "/Work") << "read afresh on each call";
}

TEST_F(KnownFoldersPosix, AVanishedUserFolderReadsAsHomeUnlessMade) {
    WriteUserDirs("XDG_DESKTOP_DIR=\"$HOME/Gone\"\n");
    EXPECT_EQ(KnownFolderPath(KnownFolder::kDesktop, false), home_);
    EXPECT_EQ(KnownFolderPath(KnownFolder::kDesktop, true), home_ + "/Gone");
    EXPECT_TRUE(IsFolder(home_ + "/Gone"));
    EXPECT_EQ(KnownFolderPath(KnownFolder::kDesktop, false), home_ + "/Gone");
}

TEST_F(KnownFoldersPosix, HomeFromThePasswordDatabaseWithoutTheVariable) {
    unsetenv("HOME");
    const std::string home = KnownFolderPath(KnownFolder::kHome, false);
    EXPECT_FALSE(home.empty());
    EXPECT_EQ(home[0], '/');
}

TEST_F(KnownFoldersPosix, TheTemporaryFolderIsNotAnsweredHere) {
    EXPECT_EQ(KnownFolderPath(KnownFolder::kUserTemporary, false), "");
}

}  // namespace
#endif
