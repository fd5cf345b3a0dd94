// The local and product layers of the main window: the player choice and its first-run
// question, the pitch and tempo links, stacker cartridges in the Cartridges folder, new
// discs found by the CD refresh, and the alarm clock switching play on and off.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/base/ini_file.h"
#include "core/base/services.h"
#include "core/base/system_services.h"
#include "core/tags/tagger_loader.h"
#include "mainwindow/main_form.h"
#include "mainwindow/qt_dispatcher.h"
#include "playback/shifters.h"
#include "support/fake_media_player.h"
#include "support/media_files.h"
#include "support/pump_events.h"
#include "support/recording_prompt.h"
#include "support/temp_dir.h"
#include "support/test_application.h"

namespace tunecrest {
namespace {

using test::Pump;

// A pitch and tempo link that records what it was asked.
class TfakeShifter : public Tshifter {
  public:
    TfakeShifter(std::string name, std::vector<std::string>& calls, bool& active)
        : Fname(std::move(name)), Fcalls(calls), Factive(active) {}
    void SetPitch(double) override { Fcalls.push_back(Fname + " pitch"); }
    void SetTempo(double) override { Fcalls.push_back(Fname + " tempo"); }
    bool Connected() override { return Factive; }
    void Reset() override { Fcalls.push_back(Fname + " reset"); }
    void PitchUp() override { Fcalls.push_back(Fname + " pitch up"); }
    void TempoUp() override { Fcalls.push_back(Fname + " tempo up"); }
    void TempoDown() override { Fcalls.push_back(Fname + " tempo down"); }
    void ResetTempo() override { Fcalls.push_back(Fname + " tempo reset"); }

  private:
    std::string Fname;
    std::vector<std::string>& Fcalls;
    bool& Factive;
};

class TtestForm : public TfrmCustomTunecrest {
  public:
    TtestForm(std::vector<std::string> args, std::string outsidePlayer = "")
        : TfrmCustomTunecrest(std::move(args), "/nonexistent/"), FoutsidePlayer(std::move(outsidePlayer)) {
        FormCreate();
    }
    test::FakeMediaPlayer* Fake = nullptr;
    std::vector<std::string> ShifterCalls;
    bool PacemakerActive = false, AutomationActive = false;

  protected:
    // The choice is made as the product makes it; the fake plays whatever was chosen.
    void CreatePlayer(TcustomMediaPlayer*& player) override {
        ChoosePlayerType();
        player = Fake = new test::FakeMediaPlayer;
    }
    std::string FindOutsidePlayer() const override { return FoutsidePlayer; }
    std::unique_ptr<Tshifter> CreatePacemakerLink() override {
        return std::make_unique<TfakeShifter>("window", ShifterCalls, PacemakerActive);
    }
    std::unique_ptr<Tshifter> CreateAutomationLink() override {
        return std::make_unique<TfakeShifter>("automation", ShifterCalls, AutomationActive);
    }

  private:
    std::string FoutsidePlayer;
};

// Answers the file dialogs with set names.
class TfilePrompt : public test::TrecordingPrompt {
  public:
    std::optional<std::string> ChooseOpenFile(const std::string&, const std::string&,
                                              const std::string& folder) override {
        Folders.push_back(folder);
        return OpenFile;
    }
    std::optional<std::string> ChooseSaveFile(const std::string&, const std::string&,
                                              const std::string& folder) override {
        Folders.push_back(folder);
        return SaveFile;
    }
    std::optional<std::string> OpenFile, SaveFile;
    std::vector<std::string> Folders;
};

// One "disc" mounted at a folder of the test.
class TfakeDrives : public TsystemServices {
  public:
    std::vector<std::string> ListCDDrives() override { return Roots; }
    bool GetVolumeSerial(const std::string& root, uint32_t& serial) override {
        if (std::find(Roots.begin(), Roots.end(), root) == Roots.end() || !DiscIn) return false;
        serial = 0x1234ABCD;
        return true;
    }
    std::vector<std::string> Roots;
    bool DiscIn = true;
};

struct Rig {
    test::TempDir dir;
    std::string root;
    std::shared_ptr<TfilePrompt> prompt = std::make_shared<TfilePrompt>();
    std::shared_ptr<Tprompt> previous;
    Rig() {
        test::App();
        root = dir.File("root");
        std::filesystem::create_directories(root + "/Settings");
        TaggerLoader().SetPluginFolder((std::filesystem::path(TUNECREST_BIN_DIR) / "TagPlugins").string());
        previous = SetPrompt(prompt);
    }
    ~Rig() {
        SetPrompt(previous);
        TaggerLoader().SetPluginFolder("");
    }
    void Seed(const std::string& text) { std::ofstream(root + "/Settings/settings.ini") << text; }
    std::string StoredType() const {
        return TiniFile(root + "/Settings/settings.ini").ReadString("Player", "PlayerType", "");
    }
    bool Asked() const {
        for (const auto& q : prompt->Questions)
            if (q.rfind("This is the first time that you have run Tunecrest Audio System\r\n\r\n", 0) == 0)
                return true;
        return false;
    }
};

TEST(ProductLayer, PlayerChoiceFromTheSwitchTheFirstRunQuestionOrTheSettings) {
    {
        // The switch wins: no question even on a first run with an outside player.
        Rig r;
        TtestForm form({"-RootFolder=" + r.root, "-PlayerType=winamp"}, "/opt/player");
        EXPECT_EQ(form.PlayerType(), "WINAMP");
        EXPECT_FALSE(r.Asked());
        EXPECT_EQ(r.StoredType(), "WINAMP");
        EXPECT_TRUE(r.prompt->Messages.empty()) << "no restart message at start-up";
    }
    {
        // First run without an outside player: no question, the in-process engine.
        Rig r;
        TtestForm form({"-RootFolder=" + r.root});
        EXPECT_EQ(form.PlayerType(), "DSHOW");
        EXPECT_FALSE(r.Asked());
        EXPECT_EQ(r.StoredType(), "DSHOW");
    }
    {
        // First run with one: asked once; Yes picks it.
        Rig r;
        TtestForm form({"-RootFolder=" + r.root}, "/opt/player");
        EXPECT_TRUE(r.Asked());
        EXPECT_EQ(form.PlayerType(), "WINAMP");
        EXPECT_EQ(r.StoredType(), "WINAMP");
        // Changing it later tells the person to restart, once per change.
        form.SetPlayerType("DSHOW");
        EXPECT_EQ(r.StoredType(), "DSHOW");
        ASSERT_EQ(r.prompt->Messages.size(), 1u);
        EXPECT_EQ(
            r.prompt->Messages[0],
            "Close Application|You must close and restart Tunecrest Audio System Professional for this setting "
            "change to take effect.");
        EXPECT_EQ(form.PlayerType(), "WINAMP") << "the running engine stays until the restart";
        form.SetPlayerType("dshow");
        EXPECT_EQ(r.prompt->Messages.size(), 1u);
    }
    {
        // Later starts read the stored type without asking.
        Rig r;
        r.Seed("[Player]\nPlayerType=WINAMP\n");
        TtestForm form({"-RootFolder=" + r.root}, "/opt/player");
        EXPECT_FALSE(r.Asked());
        EXPECT_EQ(form.PlayerType(), "WINAMP");
        EXPECT_FALSE(form.CreditModeVisible());
    }
    Rig r;
    TtestForm form({"-RootFolder=" + r.root, "-CreditMode"});
    EXPECT_TRUE(form.CreditModeVisible());
}

TEST(LocalLayer, PitchAndTempoGoToTheActiveLinkWindowProgramFirst) {
    Rig r;
    r.Seed("[Geometry]\nFullScreen=0\n");
    TtestForm form({"-RootFolder=" + r.root});
    form.ReadDisplaySettings();
    form.DoInitialise();
    form.RunAction("actnPacemakerPitchRaise");
    EXPECT_TRUE(form.ShifterCalls.empty()) << "neither link active: nothing";
    form.AutomationActive = true;
    form.RunAction("actnPacemakerTempoRaise");
    form.RunAction("actnPacemakerTempoReset");
    form.PacemakerActive = true;
    form.RunAction("actnPacemakerPitchRaise");
    form.RunAction("actnPacemakerPitchReset");
    form.RunAction("actnPacemakerTempoLower");
    EXPECT_EQ(form.ShifterCalls,
              (std::vector<std::string>{"automation tempo up", "automation tempo reset", "window pitch up",
                                        "window reset", "window tempo down"}));
}

// The plug-in folder dialog as a script: it offers the folder it was given and hands back another.
class TpluginEntries : public TdialogEntries {
  public:
    void ConfigurePlugins(std::string& folder) override {
        Offered.push_back(folder);
        folder = Answer;
    }
    std::vector<std::string> Offered;
    std::string Answer;
};

TEST(LocalLayer, ThePluginFolderDialogChangesTheTagReadersFolder) {
    Rig r;
    r.Seed("[Geometry]\nFullScreen=0\n");
    TtestForm form({"-RootFolder=" + r.root});
    form.ReadDisplaySettings();
    form.DoInitialise();
    auto entries = std::make_unique<TpluginEntries>();
    TpluginEntries& dialog = *entries;
    form.SetDialogEntries(std::move(entries));
    const std::string shipped = TaggerLoader().PluginFolder();
    const std::string other = r.dir.File("readers") + "/";
    std::filesystem::create_directories(other);
    dialog.Answer = shipped;
    form.RunAction("actnSettingsPlugins");
    EXPECT_EQ(TaggerLoader().PluginFolder(), shipped) << "unchanged";
    dialog.Answer = other;
    form.RunAction("actnSettingsConfigurePlugins");
    EXPECT_EQ(TaggerLoader().PluginFolder(), other);
    EXPECT_EQ(dialog.Offered, (std::vector<std::string>{shipped, shipped}));
    // Kept in the settings and taken again at the next start.
    form.WriteDisplaySettings();
    EXPECT_EQ(TiniFile(r.root + "/Settings/settings.ini").ReadString("Paths", "TagReaders", ""), other);
    TaggerLoader().SetPluginFolder(shipped);
    form.ReadDisplaySettings();
    EXPECT_EQ(TaggerLoader().PluginFolder(), other);
}

TEST(LocalLayer, CartridgesLiveInTheCartridgesFolder) {
    Rig r;
    r.Seed("[Geometry]\nFullScreen=0\n");
    TtestForm form({"-RootFolder=" + r.root});
    form.ReadDisplaySettings();
    form.DoInitialise();
    auto& stacker = form.JukeboxList()->Jukebox()->Stacker();
    const std::string cartridges = form.Folders().CartridgesFolder();
    r.prompt->SaveFile = cartridges + "evening";
    form.RunAction("actnStackerSaveCartridge");
    EXPECT_TRUE(std::filesystem::exists(cartridges + "evening.ctg")) << "the extension is added";
    r.prompt->OpenFile = cartridges + "evening.ctg";
    form.RunAction("actnStackerAddCartridge");
    form.RunAction("actnStackerLoadCartridge");
    EXPECT_EQ(stacker.Count(), 0);
    ASSERT_EQ(r.prompt->Folders.size(), 3u);
    for (const auto& f : r.prompt->Folders) EXPECT_EQ(f, cartridges);
    // A damaged cartridge is refused with a message.
    std::ofstream(cartridges + "bad.ctg") << "not a cartridge";
    r.prompt->OpenFile = cartridges + "bad.ctg";
    form.RunAction("actnStackerLoadCartridge");
    ASSERT_FALSE(r.prompt->Messages.empty());
    EXPECT_EQ(r.prompt->Messages.back(), "Error|Cannot load the cartridge " + cartridges + "bad.ctg");
}

TEST(LocalLayer, ANewDiscIsScannedOnAWorkerAndJoinsTheLibrary) {
    Rig r;
    r.Seed("[Geometry]\nFullScreen=0\n");
    const std::string disc = r.dir.File("disc") + "/";
    std::filesystem::create_directories(disc);
    ASSERT_TRUE(test::MakeMediaFile(disc + "track01.wav", test::TmediaFormat::Wav, 0.3));
    auto drives = std::make_shared<TfakeDrives>();
    drives->Roots = {disc};
    auto oldServices = SetSystemServices(drives);
    InstallQtDispatcher();
    {
        TtestForm form({"-RootFolder=" + r.root});
        form.ReadDisplaySettings();
        form.DoInitialise();
        auto* list = form.JukeboxList();

        // Under party play the refresh is refused: nothing asked.
        ASSERT_TRUE(form.SetPartyPlay(true));
        form.RunAction("actnFileRefreshCDs");
        EXPECT_TRUE(r.prompt->Questions.empty());
        ASSERT_TRUE(form.SetPartyPlay(false));

        r.prompt->Answer = true;
        form.RunAction("actnFileRefreshCDs");
        ASSERT_EQ(r.prompt->Questions.size(), 1u);
        EXPECT_EQ(r.prompt->Questions[0],
                  "The CD in drive " + disc +
                      " has not been scanned before.\r\rDo you wish to scan it for Mp3 files?");
        const std::string saved = form.Folders().DataFolder() + "1234ABCD.dat";
        ASSERT_TRUE(
            Pump([&] { return std::filesystem::exists(saved) && list->GlobalList().Count() == 1; }, 10000));
        EXPECT_EQ(list->GlobalList().GetTag(0)->Filename(), disc + "track01.wav");

        // A known disc is not asked about again; its tracks are not added twice.
        form.RunAction("actnFileRefreshCDs");
        EXPECT_EQ(r.prompt->Questions.size(), 1u);
        Pump([] { return false; }, 200);
        EXPECT_EQ(list->GlobalList().Count(), 1);
    }
    SetDispatcher(nullptr);
    SetSystemServices(oldServices);
}

TEST(LocalLayer, AlarmsSwitchPlayOnAndOffButNotWhileClosing) {
    Rig r;
    r.Seed("[Geometry]\nFullScreen=0\n[Preferences]\nConfirmExit=0\n");
    TtestForm form({"-RootFolder=" + r.root});
    form.ReadDisplaySettings();
    form.DoInitialise();
    auto& events = form.Controller().JukeboxEvents();
    auto count = [&](const char* call) {
        return std::count(form.Fake->Calls.begin(), form.Fake->Calls.end(), call);
    };
    events.OnOnAlarm(nullptr, nullptr);
    EXPECT_EQ(count("Play"), 1);
    events.OnOffAlarm(nullptr, nullptr);
    EXPECT_EQ(count("Stop"), 1);
    form.close();
    events.OnOnAlarm(nullptr, nullptr);
    events.OnOffAlarm(nullptr, nullptr);
    EXPECT_EQ(count("Play"), 1);
    EXPECT_EQ(count("Stop"), 1);
}

}  // namespace
}  // namespace tunecrest
