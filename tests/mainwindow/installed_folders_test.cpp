// The root of an installed program, the files that ship with it, and the tagger plug-ins
// linked into the root.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "mainwindow/jukebox_folders.h"
#include "support/env_scope.h"
#include "support/temp_dir.h"

namespace tunecrest {
namespace {

namespace fs = std::filesystem;

void Touch(const fs::path& file, const std::string& text = "x") {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << text;
}

// An installed tree under `prefix`: bin/, share/tunecrest/{Skins,Docs}, lib/tunecrest/TagPlugins.
struct TinstalledTree {
    test::TempDir dir;
    fs::path prefix = dir.Path() / "usr";
    TinstalledTree() {
        fs::create_directories(prefix / "bin");
        Touch(prefix / "share" / "tunecrest" / "Skins" / "Default" / "skin.usk");
        Touch(prefix / "share" / "tunecrest" / "Docs" / "tunecrest.html");
        Touch(prefix / "lib" / "tunecrest" / "TagPlugins" / "TAG_taglib.so", "shipped");
    }
    std::string Bin() const { return (prefix / "bin").string(); }
};

TEST(InstalledFolders, TheRootIsTheSwitchThenAWritableProgramFolderThenThePerUserFolder) {
    TinstalledTree tree;
    const std::string perUser = (tree.dir.Path() / "home" / ".local" / "share" / "tunecrest").string() + "/";

    // An installed program's folder is never the root, even for a user who may write there.
    EXPECT_EQ(TjukeboxFolders({}, tree.Bin(), perUser).RootFolder(), perUser);
    // The switch still wins when it names a folder; a missing one falls back.
    fs::create_directories(tree.dir.Path() / "bar");
    const std::string bar = (tree.dir.Path() / "bar").string();
    EXPECT_EQ(TjukeboxFolders({"-RootFolder=" + bar}, tree.Bin(), perUser).RootFolder(), bar + "/");
    EXPECT_EQ(TjukeboxFolders({"-RootFolder=" + bar + "/nope"}, tree.Bin(), perUser).RootFolder(), perUser);

    // A build tree (the shipped files beside the program) or a folder the owner made keeps
    // its own folder as the root where it may be written.
    const fs::path build = tree.dir.Path() / "build" / "bin";
    fs::create_directories(build / "Skins");
    EXPECT_EQ(TjukeboxFolders({}, build.string(), perUser).RootFolder(), build.string() + "/");
    const fs::path own = tree.dir.Path() / "jukebox";
    fs::create_directories(own);
    EXPECT_EQ(TjukeboxFolders({}, own.string(), perUser).RootFolder(), own.string() + "/");
    // A program folder nobody may write into falls back to the per-user folder.
    EXPECT_EQ(TjukeboxFolders({}, "/nonexistent/bin", perUser).RootFolder(), perUser);

    // The per-user root and its missing parents are made with the tree.
    TjukeboxFolders folders({}, tree.Bin(), perUser);
    ASSERT_TRUE(folders.CreateFolders(true));
    for (const char* name : {"Data", "Settings", "Skins", "TagPlugins"})
        EXPECT_TRUE(fs::is_directory(fs::path(perUser) / name)) << name;
}

TEST(InstalledFolders, ThePerUserFolderFollowsTheBaseDirectoryRules) {
    {
        test::TenvScope data("XDG_DATA_HOME", "/srv/data"), home("HOME", "/home/bar");
        EXPECT_EQ(TjukeboxFolders::PerUserRootFolder(), "/srv/data/tunecrest/");
    }
    {
        // A relative value is invalid and ignored; unset means ~/.local/share.
        test::TenvScope data("XDG_DATA_HOME", "relative/data"), home("HOME", "/home/bar/");
        EXPECT_EQ(TjukeboxFolders::PerUserRootFolder(), "/home/bar/.local/share/tunecrest/");
    }
    {
        test::TenvScope data("XDG_DATA_HOME", nullptr), home("HOME", nullptr);
        EXPECT_EQ(TjukeboxFolders::PerUserRootFolder(), "");
        // With no per-user folder to go to, the program's folder is the root as before.
        EXPECT_EQ(TjukeboxFolders({}, "/opt/prog").RootFolder(), "/opt/prog/");
    }
}

TEST(InstalledFolders, ShippedFilesAreBesideABuiltProgramOrInTheInstalledShareAndLibFolders) {
    TinstalledTree tree;
    const TshippedFolders installed(tree.Bin());
    EXPECT_FALSE(installed.BesideProgram());
    EXPECT_EQ(installed.SkinsFolder(), (tree.prefix / "share" / "tunecrest" / "Skins").string() + "/");
    EXPECT_EQ(installed.DocsFolder(), (tree.prefix / "share" / "tunecrest" / "Docs").string() + "/");
    EXPECT_EQ(installed.TagPluginsFolder(), (tree.prefix / "lib" / "tunecrest" / "TagPlugins").string() + "/");
    EXPECT_TRUE(fs::is_regular_file(fs::path(installed.SkinsFolder()) / "Default" / "skin.usk"));

    const fs::path build = tree.dir.Path() / "build" / "bin";
    fs::create_directories(build / "TagPlugins");
    const TshippedFolders beside(build.string());
    EXPECT_TRUE(beside.BesideProgram());
    EXPECT_EQ(beside.SkinsFolder(), build.string() + "/Skins/");
    EXPECT_EQ(beside.TagPluginsFolder(), build.string() + "/TagPlugins/");
}

TEST(InstalledFolders, ShippedTagPluginsAreLinkedInAndTheOwnersOwnAreLeftAlone) {
    TinstalledTree tree;
    const TshippedFolders shipped(tree.Bin());
    const fs::path shippedPlugin = fs::path(shipped.TagPluginsFolder()) / "TAG_taglib.so";
    Touch(fs::path(shipped.TagPluginsFolder()) / "TAG_other.so", "shipped");
    Touch(fs::path(shipped.TagPluginsFolder()) / "TAG_Settings.ini", "[x]");  // not a plug-in
    Touch(fs::path(shipped.TagPluginsFolder()) / "libhelper.so", "y");        // not a tagger
    const fs::path root = tree.dir.Path() / "root" / "TagPlugins";
    fs::create_directories(root);
    // The owner's own plug-in under a shipped name stays, file or link elsewhere.
    Touch(root / "TAG_other.so", "owner's");

    EXPECT_EQ(LinkShippedTagPlugins(shipped.TagPluginsFolder(), root.string()),
              std::vector<std::string>{"TAG_taglib.so"});
    EXPECT_TRUE(fs::is_symlink(root / "TAG_taglib.so"));
    EXPECT_TRUE(fs::equivalent(root / "TAG_taglib.so", shippedPlugin));
    EXPECT_FALSE(fs::is_symlink(root / "TAG_other.so"));
    EXPECT_FALSE(fs::exists(root / "TAG_Settings.ini"));
    EXPECT_FALSE(fs::exists(root / "libhelper.so"));
    // Linked once: a second start finds the link in place.
    EXPECT_TRUE(LinkShippedTagPlugins(shipped.TagPluginsFolder(), root.string()).empty());

    // A link of ours left dangling (the package moved the file) is pointed at the shipped one
    // again; a link the owner made to a plug-in elsewhere is the owner's.
    fs::remove(root / "TAG_taglib.so");
    fs::create_symlink(fs::path(shipped.TagPluginsFolder()) / "TAG_gone.so", root / "TAG_taglib.so");
    Touch(tree.dir.Path() / "mine" / "TAG_mine.so");
    Touch(fs::path(shipped.TagPluginsFolder()) / "TAG_mine.so", "shipped");
    fs::create_symlink(tree.dir.Path() / "mine" / "TAG_mine.so", root / "TAG_mine.so");
    EXPECT_EQ(LinkShippedTagPlugins(shipped.TagPluginsFolder(), root.string()),
              std::vector<std::string>{"TAG_taglib.so"});
    EXPECT_TRUE(fs::equivalent(root / "TAG_taglib.so", shippedPlugin));
    EXPECT_EQ(fs::read_symlink(root / "TAG_mine.so"), tree.dir.Path() / "mine" / "TAG_mine.so");

    // Nothing to do for a missing folder or for the shipped folder itself.
    EXPECT_TRUE(LinkShippedTagPlugins((tree.dir.Path() / "none").string(), root.string()).empty());
    EXPECT_TRUE(LinkShippedTagPlugins(shipped.TagPluginsFolder(), shipped.TagPluginsFolder()).empty());
}

}  // namespace
}  // namespace tunecrest
