// The program as a package installs it: `cmake --install` into a staging folder, the
// installed program started as a user without root rights, with a fresh home and no
// "RootFolder", and closed by the Exit command; its desktop entry and metainfo checked by
// the desktop's own validators; and the Debian package holding what the install holds.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "mainwindow/single_instance.h"
#include "platform/launch_program.h"
#include "platform/window_messages.h"
#include "support/temp_dir.h"

extern char** environ;

namespace tunecrest {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kExitCommand = 100;      // the Exit action's command number
constexpr uint32_t kUserCommand = 0x400;  // WM_USER: command numbers of the main window
constexpr const char* kInnerEnv = "TUNECREST_INSTALLED_STAGE";

struct Trun {
    int ExitCode = -1;  // -1: killed at the deadline or not started
    std::string Output;
};

// Runs `argv` (found on the caller's PATH) with `env` (the caller's environment when empty)
// in `folder` (the caller's when empty), output into a file, and waits at most `seconds`; a
// program still running then is killed.
Trun RunProgram(const std::vector<std::string>& argv, const std::vector<std::string>& env, int seconds,
                const fs::path& outputFile, const fs::path& folder = {}) {
    Trun run;
    std::vector<char*> args, envp;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    for (const auto& e : env) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    if (!folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    pid_t pid = 0;
    const int spawned =
        posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), env.empty() ? environ : envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        run.Output = "cannot start " + argv[0];
        return run;
    }
    const auto deadline = Clock::now() + std::chrono::seconds(seconds);
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (Clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            status = -1;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (status != -1 && WIFEXITED(status)) run.ExitCode = WEXITSTATUS(status);
    std::error_code ec;
    if (fs::file_size(outputFile, ec) < 64 * 1024) {
        FILE* f = fopen(outputFile.c_str(), "r");
        if (f) {
            char buffer[4096];
            size_t n;
            while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) run.Output.append(buffer, n);
            fclose(f);
        }
    }
    return run;
}

// Every file and link below `tree`, as paths relative to it.
std::set<std::string> FilesBelow(const fs::path& tree) {
    std::set<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(tree))
        if (!entry.is_directory() || entry.is_symlink()) files.insert(fs::relative(entry.path(), tree).string());
    return files;
}

// The install into a staging folder of the test's own (each test runs in a process of its
// own, so each installs; the inner run as the unprivileged user uses its outer run's).
class InstalledProgram : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::getenv(kInnerEnv)) return;
        Fstage = Fdir.Path() / "stage";
        const Trun install = RunProgram({CMAKE_COMMAND_PATH, "--install", TUNECREST_BUILD_DIR, "--prefix", "/usr"},
                                 {"DESTDIR=" + Fstage.string(), "PATH=/usr/bin:/bin"}, 120,
                                 Fdir.Path() / "install.log");
        FinstallOk = install.ExitCode == 0;
        FinstallLog = install.Output;
    }
    test::TempDir Fdir;
    fs::path Fstage;
    bool FinstallOk = false;
    std::string FinstallLog;
};

TEST_F(InstalledProgram, InstallsTheProgramsPlugInsSkinsHelpAndDesktopFilesInTheStandardFolders) {
    if (std::getenv(kInnerEnv)) GTEST_SKIP() << "inner run";
    ASSERT_TRUE(FinstallOk) << FinstallLog;
    const fs::path usr = Fstage / "usr";
    for (const char* file : {"bin/tunecrest", "bin/tunecrest-outside-player", "share/tunecrest/Skins/Default/skin.usk",
                             "share/tunecrest/Skins/Classic/skin.usk", "share/tunecrest/Docs/tunecrest.html",
                             "share/applications/org.tunecrest.Tunecrest.desktop",
                             "share/metainfo/org.tunecrest.Tunecrest.metainfo.xml",
                             "share/icons/hicolor/scalable/apps/org.tunecrest.Tunecrest.svg",
                             "share/tunecrest/autostart/tunecrest-kiosk.desktop"})
        EXPECT_TRUE(fs::is_regular_file(usr / file)) << file;
    bool tagger = false;
    for (const auto& entry : fs::recursive_directory_iterator(usr / "lib"))
        tagger |= entry.path().filename() == "TAG_taglib.so" && entry.path().parent_path().filename() == "TagPlugins" &&
                  entry.path().parent_path().parent_path().filename() == "tunecrest";
    EXPECT_TRUE(tagger) << "lib/.../tunecrest/TagPlugins/TAG_taglib.so";
    // Nothing of the build's own (tests, benchmarks, the screenshot and skin tools) ships.
    for (const auto& file : FilesBelow(usr))
        EXPECT_EQ(file.find("test"), std::string::npos) << file;
    EXPECT_FALSE(fs::exists(usr / "bin" / "tunecrest-screenshots"));
    EXPECT_FALSE(fs::exists(usr / "bin" / "tunecrest-skin-generator"));
}

TEST_F(InstalledProgram, DesktopEntriesAndMetainfoPassTheValidators) {
    if (std::getenv(kInnerEnv)) GTEST_SKIP() << "inner run";
    ASSERT_TRUE(FinstallOk) << FinstallLog;
    for (const char* tool : {"desktop-file-validate", "appstreamcli"})
        ASSERT_FALSE(FindOnPath(tool).empty()) << tool << " is missing (scripts/install-deps installs it)";
    const fs::path share = Fstage / "usr" / "share";
    for (const fs::path& entry : {share / "applications" / "org.tunecrest.Tunecrest.desktop",
                                 share / "tunecrest" / "autostart" / "tunecrest-kiosk.desktop"}) {
        const Trun check = RunProgram({"desktop-file-validate", entry.string()}, {}, 60, Fdir.Path() / "validate.log");
        EXPECT_EQ(check.ExitCode, 0) << entry << "\n" << check.Output;
        EXPECT_EQ(check.Output, "") << entry;  // no warnings either
    }
    const Trun meta = RunProgram({"appstreamcli", "validate", "--no-net", "--pedantic",
                           (share / "metainfo" / "org.tunecrest.Tunecrest.metainfo.xml").string()},
                          {}, 60, Fdir.Path() / "appstream.log");
    EXPECT_EQ(meta.ExitCode, 0) << meta.Output;
}

// Started as a user without root rights, with a fresh home: the root is the per-user data
// folder, both shipped skins are in it, the tagger plug-in is linked in, the Exit command
// closes it and nothing is written into the installed tree.
TEST_F(InstalledProgram, StartsAsAUserWithItsRootInThePerUserDataFolder) {
    if (const char* stage = std::getenv(kInnerEnv)) {
        // The inner run: as the unprivileged user, in the outer run's stage.
        const fs::path root = fs::path(stage) / "home" / ".local" / "share" / "tunecrest";
        const std::string runtime = (fs::path(stage) / "run").string();
        setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
        SetWindowMessageFolder(runtime + "/tunecrest");
        // Started by name from its home, as a desktop entry's "Exec=tunecrest" starts it.
        const std::string path = (fs::path(stage) / "usr" / "bin").string() + ":/usr/bin:/bin";
        setenv("PATH", path.c_str(), 1);
        std::vector<std::string> env = {"HOME=" + (fs::path(stage) / "home").string(), "XDG_RUNTIME_DIR=" + runtime,
                                        "QT_QPA_PLATFORM=offscreen", "PATH=" + path,
                                        "TUNECREST_AUDIO_SINK=fakesink"};
        for (const char* keep : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"})
            if (const char* value = std::getenv(keep)) env.push_back(std::string(keep) + "=" + value);

        // Exit is sent as soon as the window listens: it runs once the window is up.
        std::thread closer([&] {
            const auto deadline = Clock::now() + std::chrono::seconds(90);
            while (Clock::now() < deadline) {
                if (HWND window = FindWindow(std::string(kMainWindowClass), std::nullopt)) {
                    LRESULT result = 0;
                    if (SendMessageTimeout(window, kUserCommand, kExitCommand, 0, 1000, result)) return;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            }
        });
        const Trun run = RunProgram({"tunecrest"}, env, 120, fs::path(stage) / "program.log", fs::path(stage) / "home");
        closer.join();
        EXPECT_EQ(run.ExitCode, 0) << run.Output;

        EXPECT_TRUE(fs::is_regular_file(root / "Settings" / "settings.ini")) << "written at close";
        EXPECT_TRUE(fs::is_regular_file(root / "Skins" / "Default" / "skin.usk"));
        EXPECT_TRUE(fs::is_regular_file(root / "Skins" / "Classic" / "skin.usk"));
        for (const char* folder : {"Data", "Cartridges", "Reports", "Plugins", "Docs", "ControlPlugins", "TagPlugins"})
            EXPECT_TRUE(fs::is_directory(root / folder)) << folder;
        EXPECT_TRUE(fs::is_symlink(root / "TagPlugins" / "TAG_taglib.so"));
        EXPECT_TRUE(fs::is_regular_file(root / "TagPlugins" / "TAG_taglib.so")) << "the link reaches the plug-in";
        EXPECT_FALSE(fs::exists(fs::path(stage) / "usr" / "bin" / "Data"));
        EXPECT_FALSE(fs::exists(fs::path(stage) / "home" / "Data")) << "the working folder is not the root";
        return;
    }
    ASSERT_TRUE(FinstallOk) << FinstallLog;
    // The inner run needs the stage and a copy of this program where that user can reach them.
    fs::create_directories(Fstage / "home");
    fs::create_directories(Fstage / "run");
    const fs::path self = Fstage / "install_tests";
    fs::copy_file("/proc/self/exe", self, fs::copy_options::overwrite_existing);
    std::vector<std::string> argv;
    if (geteuid() == 0) {
        constexpr uid_t kNobody = 65534;
        ASSERT_FALSE(FindOnPath("setpriv").empty());
        for (const fs::path& p : {Fdir.Path(), Fstage}) fs::permissions(p, fs::perms(0755));
        for (const fs::path& p : {Fstage / "home", Fstage / "run", Fstage}) ASSERT_EQ(lchown(p.c_str(), kNobody, kNobody), 0);
        argv = {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", "--"};
    }
    fs::permissions(Fstage / "run", fs::perms::owner_all);
    argv.insert(argv.end(), {self.string(), "--gtest_filter=InstalledProgram.StartsAsAUserWithItsRootInThePerUserDataFolder"});
    std::vector<std::string> env = {std::string(kInnerEnv) + "=" + Fstage.string(), "PATH=/usr/bin:/bin",
                                    "TUNECREST_TEST_TIMEOUT=200"};
    for (const char* keep : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"})
        if (const char* value = std::getenv(keep)) env.push_back(std::string(keep) + "=" + value);
    const Trun inner = RunProgram(argv, env, 180, Fdir.Path() / "inner.log");
    EXPECT_EQ(inner.ExitCode, 0) << inner.Output;
    EXPECT_NE(inner.Output.find("[  PASSED  ] 1 test"), std::string::npos) << inner.Output;
}

// The package holds what the install holds (built from the Release tree only: packaging a
// sanitizer build proves nothing more and takes long).
TEST_F(InstalledProgram, TheDebianPackageHoldsWhatTheInstallHolds) {
    if (std::getenv(kInnerEnv)) GTEST_SKIP() << "inner run";
#ifdef TUNECREST_SANITIZED
    GTEST_SKIP() << "the package is built from the Release tree";
#endif
    ASSERT_TRUE(FinstallOk) << FinstallLog;
    const fs::path out = Fdir.Path() / "package";
    fs::create_directories(out);
    const Trun pack = RunProgram({CPACK_COMMAND_PATH, "-G", "DEB", "--config", std::string(TUNECREST_BUILD_DIR) + "/CPackConfig.cmake",
                           "-B", out.string()},
                          {}, 300, Fdir.Path() / "cpack.log");
    ASSERT_EQ(pack.ExitCode, 0) << pack.Output;
    fs::path deb;
    for (const auto& entry : fs::directory_iterator(out))
        if (entry.path().extension() == ".deb") deb = entry.path();
    ASSERT_FALSE(deb.empty()) << pack.Output;
    const fs::path unpacked = Fdir.Path() / "unpacked";
    const Trun extract = RunProgram({"dpkg-deb", "-x", deb.string(), unpacked.string()}, {}, 60, Fdir.Path() / "deb.log");
    ASSERT_EQ(extract.ExitCode, 0) << extract.Output;
    std::set<std::string> installed;
    for (const auto& file : FilesBelow(Fstage / "usr")) installed.insert("usr/" + file);
    EXPECT_EQ(FilesBelow(unpacked), installed);

    const Trun fields = RunProgram({"dpkg-deb", "-f", deb.string(), "Package", "Depends"}, {}, 60, Fdir.Path() / "fields.log");
    EXPECT_NE(fields.Output.find("Package: tunecrest"), std::string::npos) << fields.Output;
    for (const char* dependency : {"libqt6widgets6", "libgstreamer1.0-0", "libtag1v5", "gstreamer1.0-plugins-good"})
        EXPECT_NE(fields.Output.find(dependency), std::string::npos) << dependency << "\n" << fields.Output;
}

}  // namespace
}  // namespace tunecrest
