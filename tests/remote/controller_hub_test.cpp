#include "remote/controller_hub.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "core/base/ini_file.h"
#include "core/base/safe_file.h"
#include "core/base/text_utils.h"
#include "remote/controller_plugins.h"
#include "remote_test_support.h"

namespace tunecrest {
namespace {

namespace fs = std::filesystem;

// The test plug-in's own exports, reached in the copy the hub loaded.
class TpluginHandle {
public:
    explicit TpluginHandle(const std::string& path) : Fhandle(dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD)) {}
    ~TpluginHandle() {
        if (Fhandle) dlclose(Fhandle);
    }
    bool Loaded() const { return Fhandle != nullptr; }
    void Send(const char* command) const {
        reinterpret_cast<void (*)(const char*)>(dlsym(Fhandle, "FakeControllerSend"))(command);
    }
    void SendFromThread(std::vector<const char*> commands) const {
        reinterpret_cast<void (*)(const char* const*, int)>(dlsym(Fhandle, "FakeControllerSendFromThread"))(
            commands.data(), int(commands.size()));
    }
    std::string Calls() const {
        return reinterpret_cast<const char* (*)()>(dlsym(Fhandle, "FakeControllerCalls"))();
    }

private:
    void* Fhandle;
};

class ControllerHubTest : public ::testing::Test {
protected:
    void SetUp() override {
        Plugins = Env.Dir.Path() / "ControlPlugins";
        Settings = Env.Dir.Path() / "settings";
        fs::create_directories(Plugins);
        fs::create_directories(Settings);
        const fs::path lib = TUNECREST_LIB_DIR;
        for (const char* name : {"ctrl_ir.so", "ctrl_serial.so", "ctrl_fail.so"})
            fs::copy_file(lib / "fake_controller.so", Plugins / name);
        fs::copy_file(lib / "fake_tagger.so", Plugins / "ctrl_none.so");  // no GetControllerPlugin
        fs::copy_file(lib / "fake_controller.so", Plugins / "input_other.so");  // not a controller name
        Write(ActionsFile(),
              "[Play]\ncom0={Key}\"\":\"\":\"112\"\n[Stop]\ncom0={Key}\"\":\"\":\"115\"\n"
              "[BarPlay]\ncom0={Key}\"\":\"\":\"66\"\n");
        Write((Settings / "ctrl_ir.ini").string(),
              "[DEFAULT]\nPLAY=Play\nSTOP=Stop\nBAR=Activate Group 'Bar'\nHOME=Activate Group 'Quiet Room'\n"
              "VOL=actnControlRaiseVolume\n"
              "[Bar]\nplay=BarPlay\nSTOP=\nMISSING=NoSuchAction\n");
        Write(SettingsFile(), "[GroupNames]\nNames=Bar,\"Quiet Room\"\n");
    }

    static void Write(const std::string& file, const std::string& text) { ASSERT_TRUE(SafeWriteFile(file, text)); }
    std::string ActionsFile() const { return (Settings / "controlactions.ini").string(); }
    std::string SettingsFile() const { return (Plugins / "settings.ini").string(); }
    std::string Plugin(const std::string& name) const { return (Plugins / name).string(); }
    std::unique_ptr<Tcontroller> LoadHub(bool insertDefault = false) {
        auto hub = std::make_unique<Tcontroller>();
        hub->SetMainWindowActions(&Window);
        hub->Load(ActionsFile(), Plugins.string(), insertDefault, 77, SettingsFile());
        return hub;
    }
    std::string Pressed() const {
        std::string keys;
        for (const TkeyPress& key : Env.Sender->Keys) keys.push_back(char(key.Code));
        return keys;
    }
    static std::string Read(const std::string& file) {
        std::string text;
        ReadFileBytes(file, text);
        return text;
    }

    test::TremoteEnvironment Env;
    test::TfakeMainWindow Window;
    fs::path Plugins;
    fs::path Settings;
};

TEST_F(ControllerHubTest, LoadsControllerPluginsAndSkipsBrokenOnesWithALogLine) {
    auto hub = LoadHub();
    TcontrollerPluginLoader& loader = hub->PluginLoader();
    ASSERT_EQ(2, loader.Count());
    EXPECT_EQ(Plugin("ctrl_ir.so"), loader.Items(0)->FileName());
    EXPECT_EQ(Plugin("ctrl_serial.so"), loader.Items(1)->FileName());
    const ControllerPluginRecord* record = loader.Items(0)->Record();
    EXPECT_EQ(77u, record->WindowHandle);
    EXPECT_EQ(hub.get(), record->Controller);
    EXPECT_EQ(loader.Items(0), record->HostPlugin);
    EXPECT_EQ(&ControllerHostCallback, record->Callback);
    EXPECT_NE(loader.Items(0)->Record(), loader.Items(1)->Record());  // each copy its own record

    const std::string log = Env.Log();
    EXPECT_NE(std::string::npos, log.find("ctrl_fail.so did not initialise; skipped"));
    EXPECT_NE(std::string::npos, log.find("ctrl_none.so has no GetControllerPlugin; skipped"));
    EXPECT_FALSE(TpluginHandle(Plugin("ctrl_fail.so")).Loaded());  // released again
    EXPECT_EQ("Init,LoadSettings:" + SettingsFile(), TpluginHandle(Plugin("ctrl_ir.so")).Calls());

    // The generated group switches: one per group name, read-only, in group "System".
    ASSERT_TRUE(hub->ActionList().FindByName("Activate Group 'Quiet Room'"));
    EXPECT_TRUE(hub->ActionList().Items(0)->ReadOnly);
    EXPECT_EQ("System", hub->ActionList().Items(0)->Group());
    hub->GroupList().SetString(0, "Lounge");
    EXPECT_FALSE(hub->ActionList().Exists("Activate Group 'Bar'"));
    EXPECT_TRUE(hub->ActionList().Exists("Activate Group 'Lounge'"));
    hub->GroupList().Add("Patio");
    hub->GroupList().Delete(1);
    std::vector<std::string> names;
    hub->ActionList().FillList(names, true);
    EXPECT_EQ((std::vector<std::string>{"Activate Group 'Lounge'", "Activate Group 'Patio'", "BarPlay", "Play",
                                        "Stop"}),
              names);
    EXPECT_FALSE(hub->ActionsModified());  // generated actions are no edit
}

TEST_F(ControllerHubTest, CommandsMapThroughTheCurrentGroupOnTheMainThread) {
    Window.Known = {"actnControlRaiseVolume"};
    auto hub = LoadHub();
    TpluginHandle ir(Plugin("ctrl_ir.so"));
    TpluginHandle serial(Plugin("ctrl_serial.so"));

    ir.Send("PLAY");
    EXPECT_EQ("", Pressed());  // queued for the main thread, even from it
    Env.Queue->ProcessPendingCalls();
    EXPECT_EQ("p", Pressed());

    serial.Send("PLAY");  // the serial box has no map: nothing
    ir.Send("NOTHING");
    ir.Send("BAR");
    Env.Queue->ProcessPendingCalls();
    EXPECT_EQ("Bar", hub->GroupList().CurrentGroup());
    ir.Send("PLAY");     // the group's own mapping (names without regard to case)
    ir.Send("STOP");     // empty in the group: falls back to DEFAULT
    ir.Send("MISSING");  // names no action: nothing, no fallback
    ir.Send("HOME");
    ir.Send("PLAY");
    Env.Queue->ProcessPendingCalls();
    EXPECT_EQ("pBsp", Pressed());
    EXPECT_EQ("Quiet Room", hub->GroupList().CurrentGroup());

    // A name no controller action has runs the main window's action of that name.
    ir.Send("VOL");
    Env.Queue->ProcessPendingCalls();
    EXPECT_EQ((std::vector<std::string>{"actnControlRaiseVolume"}), Window.Ran);

    // The callback hook may rename the command.
    hub->OnControllerCallback = [](Tcontroller*, TcontrollerPlugin*, std::string& command) {
        if (command == "ALIAS") command = "STOP";
    };
    ir.Send("ALIAS");
    Env.Queue->ProcessPendingCalls();
    EXPECT_EQ("pBsps", Pressed());
}

TEST_F(ControllerHubTest, CallbacksFromAForeignThreadRunOnTheMainThreadInOrder) {
    auto hub = LoadHub();
    TpluginHandle ir(Plugin("ctrl_ir.so"));
    ir.SendFromThread({"PLAY", "STOP", "STOP", "PLAY", "BAR", "PLAY"});
    EXPECT_EQ("", Pressed());  // nothing ran on the plug-in's thread
    EXPECT_EQ(6, Env.Queue->ProcessPendingCalls());
    EXPECT_EQ("psspB", Pressed());
}

TEST_F(ControllerHubTest, CloseDownSavesThenShutsDownAndIgnoresLateCallbacks) {
    auto hub = LoadHub();
    TpluginHandle ir(Plugin("ctrl_ir.so"));  // keeps the library mapped after the hub lets go
    ir.Send("PLAY");                         // queued, but the hub goes first
    hub.reset();
    EXPECT_EQ("Init,LoadSettings:" + SettingsFile() + ",SaveSettings:" + SettingsFile() + ",Shutdown", ir.Calls());
    ir.Send("PLAY");
    EXPECT_EQ(1, Env.Queue->ProcessPendingCalls());  // only the one queued before: it finds the hub gone
    EXPECT_EQ("", Pressed());

    // What the plug-ins wrote is kept; the group names follow.
    EXPECT_EQ("[FakeController]\r\nSaved=1\r\n\r\n[GroupNames]\r\nNames=Bar,\"Quiet Room\"\r\n", Read(SettingsFile()));
    // Every plug-in gets its map file, the one that had none too.
    EXPECT_TRUE(fs::exists(Settings / "ctrl_serial.ini"));
    EXPECT_EQ("", Read((Settings / "ctrl_serial.ini").string()));  // its DEFAULT set maps nothing
    const TiniFile map((Settings / "ctrl_ir.ini").string());
    EXPECT_EQ("NoSuchAction", map.ReadString("Bar", "MISSING", ""));
}

// Renamed actions keep their buttons: every plug-in's maps follow, names that trade places
// included, and the map files are written with the new names.
TEST_F(ControllerHubTest, RenamedActionsAreRenamedInThePlugInsMaps) {
    {
        auto hub = LoadHub();
        hub->ActionList().FindByName("Play")->SetName("Start");
        hub->ActionList().FindByName("BarPlay")->SetName("Play");
        hub->ActionList().RenameReferences({{"Play", "Start"}, {"barplay", "Play"}});
        Env.Sender->Keys.clear();
        hub->ProcessCommand("PLAY", hub->PluginLoader().Items(0));  // DEFAULT: Start, key 112
        EXPECT_EQ("p", Pressed());
    }
    const TiniFile map((Settings / "ctrl_ir.ini").string());
    EXPECT_EQ("Start", map.ReadString("DEFAULT", "PLAY", ""));
    EXPECT_EQ("Play", map.ReadString("Bar", "play", ""));
    EXPECT_EQ("NoSuchAction", map.ReadString("Bar", "MISSING", ""));
    EXPECT_EQ("Stop", map.ReadString("DEFAULT", "STOP", ""));
}

TEST_F(ControllerHubTest, DefaultGroupIsCurrentWhenAskedAndNeverStored) {
    {
        auto hub = LoadHub(true);
        EXPECT_EQ("DEFAULT", hub->GroupList().Strings(0));
        EXPECT_EQ("DEFAULT", hub->GroupList().CurrentGroup());
        EXPECT_TRUE(hub->ActionList().Exists("Activate Group 'DEFAULT'"));
    }
    EXPECT_EQ("Bar,\"Quiet Room\"", TiniFile(SettingsFile()).ReadString("GroupNames", "Names", "?"));
    {
        auto hub = LoadHub();
        hub->GroupList().Clear();
    }
    EXPECT_EQ("", TiniFile(SettingsFile()).ReadString("GroupNames", "Names", "?"));
    EXPECT_TRUE(TiniFile(SettingsFile()).ValueExists("GroupNames", "Names"));
}

TEST_F(ControllerHubTest, ADamagedActionsFileLoadsWhatItCanAndStaysUntilTheUserEdits) {
    const std::string damaged =
        "[Play]\ncom0={Key}\"\":\"\":\"112\"\ncom1={Teleport}\"x\"\ncom2=broken\n"
        "[Play]\ncom0={Wait}\n[Stop]\ncom0={Mouse}\"only\":\"three\":\"1\"\n";
    Write(ActionsFile(), damaged);
    {
        auto hub = LoadHub();
        TcontrollerAction* play = hub->ActionList().FindByName("Play");
        ASSERT_TRUE(play);
        EXPECT_EQ(1, play->Commands().Count());
        EXPECT_EQ(1, hub->ActionList().FindByName("Stop")->Commands().Count());
        const std::string log = Env.Log();
        EXPECT_NE(std::string::npos, log.find("controlactions.ini: Action \"Play\", com1: unknown command kind"));
        EXPECT_NE(std::string::npos, log.find("controlactions.ini: Action \"Play\", com2: no command"));
        EXPECT_NE(std::string::npos, log.find("controlactions.ini: Action \"Play\" appears twice"));
        EXPECT_NE(std::string::npos, log.find("controlactions.ini: Action \"Stop\", com0: wrong number"));
        hub->GroupList().Add("New Group");  // group names are no edit of the actions
    }
    EXPECT_EQ(damaged, Read(ActionsFile()));
    {
        auto hub = LoadHub();
        hub->ActionList().FindByName("Stop")->SetDescription("halt");
        ASSERT_TRUE(hub->Save());  // close-down saves before any power-off
        EXPECT_NE(damaged, Read(ActionsFile()));
    }
    const TiniFile saved(ActionsFile());
    EXPECT_EQ("halt", saved.ReadString("Stop", "Description", ""));
    EXPECT_EQ("{Key}\"\":\"\":\"112\"", saved.ReadString("Play", "com0", ""));
    EXPECT_FALSE(saved.SectionExists("Activate Group 'Bar'"));
    for (const auto& entry : fs::directory_iterator(Settings))  // written in one step: no leftovers
        EXPECT_EQ(std::string::npos, entry.path().filename().string().find(".tmp")) << entry.path();
}

// Group names with blanks, commas and quotes survive the settings file.
TEST(GroupNamesText, QuotesWhatNeedsIt) {
    const std::vector<std::string> items{"Bar", "Quiet Room", "a,b", "say \"hi\"", ""};
    EXPECT_EQ("Bar,\"Quiet Room\",\"a,b\",\"say \"\"hi\"\"\",\"\"", CommaText(items));
    EXPECT_EQ(items, SplitCommaText(CommaText(items)));
    EXPECT_TRUE(SplitCommaText("").empty());
}

}  // namespace
}  // namespace tunecrest
