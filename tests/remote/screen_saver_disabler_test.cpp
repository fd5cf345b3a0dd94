#include "remote/screen_saver_disabler.h"

#include <gio/gio.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "core/base/services.h"
#include "support/temp_dir.h"

extern char** environ;

namespace tunecrest {
namespace {

// Display time-outs kept in memory; a test may change them "behind the disabler's back".
class TfakeTimeouts : public TscreenTimeouts {
public:
    explicit TfakeTimeouts(std::vector<int> values) : Values(std::make_shared<std::vector<int>>(std::move(values))) {}
    bool Read(std::vector<int>& values) override {
        values = *Values;
        return true;
    }
    bool Write(const std::vector<int>& values) override {
        ++*Writes;
        *Values = values;
        return true;
    }
    std::shared_ptr<std::vector<int>> Values;
    std::shared_ptr<int> Writes = std::make_shared<int>(0);
};

TEST(ScreenSaverDisablerTimeouts, SwitchesOffWhileActiveAndPutsBackOnlyWhatItChanged) {
    auto fake = std::make_unique<TfakeTimeouts>(std::vector<int>{600, 0, 900, 1200});
    auto values = fake->Values;
    auto writes = fake->Writes;
    {
        TscreenSaverDisabler disabler(std::move(fake), "unix:path=/nonexistent/bus");
        EXPECT_FALSE(disabler.Active());
        disabler.SetActive(false);
        EXPECT_EQ(*writes, 0);

        disabler.SetActive(true);
        EXPECT_EQ(*values, (std::vector<int>{0, 0, 0, 0}));
        // Activating again saves nothing new: what goes back is what was found first.
        disabler.SetActive(true);
        EXPECT_EQ(*writes, 1);
        // The user sets the power-off time-out while the jukebox plays: that value stays.
        (*values)[3] = 300;
        disabler.SetActive(false);
        EXPECT_EQ(*values, (std::vector<int>{600, 0, 900, 300}));
        EXPECT_EQ(*writes, 2);

        // A second round reads the values afresh.
        (*values)[0] = 60;
        disabler.SetActive(true);
        disabler.SetActive(false);
        EXPECT_EQ(*values, (std::vector<int>{60, 0, 900, 300}));
        *writes = 0;
    }
    // Destroying an inactive disabler writes nothing.
    EXPECT_EQ(*writes, 0);
}

TEST(ScreenSaverDisablerTimeouts, ANeverActiveDisablerChangesNothingAndAnActiveOneRestoresWhenDestroyed) {
    auto fake = std::make_unique<TfakeTimeouts>(std::vector<int>{600});
    auto values = fake->Values;
    auto writes = fake->Writes;
    { TscreenSaverDisabler disabler(std::move(fake), "unix:path=/nonexistent/bus"); }
    EXPECT_EQ(*writes, 0);

    auto active = std::make_unique<TfakeTimeouts>(std::vector<int>{0, 45});
    values = active->Values;
    writes = active->Writes;
    {
        TscreenSaverDisabler disabler(std::move(active), "unix:path=/nonexistent/bus");
        disabler.SetActive(true);
        EXPECT_EQ(*values, (std::vector<int>{0, 0}));
    }
    EXPECT_EQ(*values, (std::vector<int>{0, 45}));
    EXPECT_EQ(*writes, 2);
}

// A private session bus started for the test, with a stand-in screen-saver service that
// records the calls it gets.
class ScreenSaverBus : public ::testing::Test {
protected:
    void SetUp() override {
        int pipeFds[2];
        ASSERT_EQ(::pipe(pipeFds), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
        posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
        const char* argv[] = {"dbus-daemon", "--session", "--nofork", "--print-address=1", nullptr};
        const int spawned = ::posix_spawnp(&FdaemonPid, "dbus-daemon", &actions, nullptr,
                                           const_cast<char**>(argv), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(pipeFds[1]);
        ASSERT_EQ(spawned, 0) << "dbus-daemon is needed (package dbus)";
        char c;
        while (::read(pipeFds[0], &c, 1) == 1 && c != '\n') Address += c;
        ::close(pipeFds[0]);
        ASSERT_FALSE(Address.empty());

        Fcontext = g_main_context_new();
        Floop = g_main_loop_new(Fcontext, FALSE);
        Fservice = std::thread([this] { ServeOnThread(); });
        std::unique_lock lock(Fmutex);
        Fready.wait(lock, [this] { return Fserving; });
        ASSERT_TRUE(FnameOwned);

        SetErrorLogFile(Dir.File("log.log"));
    }
    void TearDown() override {
        SetErrorLogFile("");
        g_main_context_invoke(Fcontext, [](gpointer loop) -> gboolean {
            g_main_loop_quit(static_cast<GMainLoop*>(loop));
            return G_SOURCE_REMOVE;
        }, Floop);
        if (Fservice.joinable()) Fservice.join();
        g_main_loop_unref(Floop);
        g_main_context_unref(Fcontext);
        if (FdaemonPid > 0) {
            ::kill(FdaemonPid, SIGTERM);
            ::waitpid(FdaemonPid, nullptr, 0);
        }
    }

    std::vector<std::string> Calls() {
        std::lock_guard lock(Fmutex);
        return Fcalls;
    }

    std::string Address;
    test::TempDir Dir;

private:
    void ServeOnThread() {
        g_main_context_push_thread_default(Fcontext);
        GError* error = nullptr;
        GDBusConnection* bus = g_dbus_connection_new_for_address_sync(
            Address.c_str(),
            GDBusConnectionFlags(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                 G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
            nullptr, nullptr, &error);
        GDBusNodeInfo* info = g_dbus_node_info_new_for_xml(
            "<node><interface name='org.freedesktop.ScreenSaver'>"
            "<method name='Inhibit'><arg type='s' direction='in'/><arg type='s' direction='in'/>"
            "<arg type='u' direction='out'/></method>"
            "<method name='UnInhibit'><arg type='u' direction='in'/></method>"
            "</interface></node>",
            nullptr);
        static const GDBusInterfaceVTable vtable = {&ScreenSaverService::Call, nullptr, nullptr, {}};
        bool owned = false;
        if (bus) {
            g_dbus_connection_register_object(bus, "/org/freedesktop/ScreenSaver", info->interfaces[0], &vtable,
                                              this, nullptr, nullptr);
            GVariant* reply = g_dbus_connection_call_sync(
                bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "RequestName",
                g_variant_new("(su)", "org.freedesktop.ScreenSaver", 4u), G_VARIANT_TYPE("(u)"),
                G_DBUS_CALL_FLAGS_NONE, 2000, nullptr, nullptr);
            if (reply) {
                guint32 result = 0;
                g_variant_get(reply, "(u)", &result);
                owned = result == 1;  // primary owner
                g_variant_unref(reply);
            }
        }
        if (error) g_error_free(error);
        {
            std::lock_guard lock(Fmutex);
            FnameOwned = owned;
            Fserving = true;
        }
        Fready.notify_all();
        g_main_loop_run(Floop);
        if (bus) {
            g_dbus_connection_close_sync(bus, nullptr, nullptr);
            g_object_unref(bus);
        }
        g_dbus_node_info_unref(info);
        g_main_context_pop_thread_default(Fcontext);
    }

    struct ScreenSaverService {
        static void Call(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar* method,
                         GVariant* parameters, GDBusMethodInvocation* invocation, gpointer self) {
            auto* test = static_cast<ScreenSaverBus*>(self);
            std::lock_guard lock(test->Fmutex);
            if (g_strcmp0(method, "Inhibit") == 0) {
                const gchar *app = nullptr, *reason = nullptr;
                g_variant_get(parameters, "(&s&s)", &app, &reason);
                const guint32 cookie = 100 + guint32(test->Fcalls.size());
                test->Fcalls.push_back(std::string("Inhibit ") + app + " / " + reason + " -> " +
                                       std::to_string(cookie));
                g_dbus_method_invocation_return_value(invocation, g_variant_new("(u)", cookie));
            } else {
                guint32 cookie = 0;
                g_variant_get(parameters, "(u)", &cookie);
                test->Fcalls.push_back("UnInhibit " + std::to_string(cookie));
                g_dbus_method_invocation_return_value(invocation, nullptr);
            }
        }
    };

    pid_t FdaemonPid = 0;
    GMainContext* Fcontext = nullptr;
    GMainLoop* Floop = nullptr;
    std::thread Fservice;
    std::mutex Fmutex;
    std::condition_variable Fready;
    bool Fserving = false, FnameOwned = false;
    std::vector<std::string> Fcalls;
};

std::string ReadAll(const std::string& file) {
    std::ifstream in(file);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST_F(ScreenSaverBus, HoldsOneInhibitWhileActiveAndReleasesItsOwnCookie) {
    TscreenSaverDisabler disabler(nullptr, Address);
    disabler.SetActive(false);
    disabler.WaitForBus();
    EXPECT_TRUE(Calls().empty());

    disabler.SetActive(true);
    disabler.SetActive(true);
    disabler.WaitForBus();
    EXPECT_EQ(Calls(), (std::vector<std::string>{"Inhibit Tunecrest / Playing music -> 100"}));
    disabler.SetActive(false);
    disabler.SetActive(true);
    disabler.SetActive(false);
    disabler.WaitForBus();
    EXPECT_EQ(Calls(), (std::vector<std::string>{"Inhibit Tunecrest / Playing music -> 100", "UnInhibit 100",
                                                 "Inhibit Tunecrest / Playing music -> 102", "UnInhibit 102"}));
    EXPECT_EQ(ReadAll(Dir.File("log.log")), "");
}

TEST_F(ScreenSaverBus, AnActiveDisablerReleasesWhenDestroyedAndANeverActiveOneCallsNothing) {
    { TscreenSaverDisabler idle(nullptr, Address); }
    EXPECT_TRUE(Calls().empty());
    {
        TscreenSaverDisabler disabler(nullptr, Address);
        disabler.SetActive(true);
    }
    EXPECT_EQ(Calls(), (std::vector<std::string>{"Inhibit Tunecrest / Playing music -> 100", "UnInhibit 100"}));
}

TEST(ScreenSaverDisablerBus, AMissingBusIsLoggedOnceAndTheTimeoutsStillWork) {
    test::TempDir dir;
    SetErrorLogFile(dir.File("log.log"));
    auto fake = std::make_unique<TfakeTimeouts>(std::vector<int>{600});
    auto values = fake->Values;
    {
        TscreenSaverDisabler disabler(std::move(fake), "unix:path=" + dir.File("no-bus"));
        disabler.SetActive(true);
        EXPECT_EQ(*values, std::vector<int>{0});
        disabler.SetActive(false);
        disabler.SetActive(true);
        disabler.WaitForBus();
    }
    SetErrorLogFile("");
    EXPECT_EQ(*values, std::vector<int>{600});
    const std::string log = ReadAll(dir.File("log.log"));
    EXPECT_NE(log.find("Screen saver: no session bus"), std::string::npos);
    EXPECT_EQ(log.find("no session bus"), log.rfind("no session bus")) << log;
}

}  // namespace
}  // namespace tunecrest
