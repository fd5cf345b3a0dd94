#pragma once
// What the tests of the running window's actions share: a prompt that answers every
// question, the rig (the product window from a root of its own, a library of generated
// files, scripted dialogs), the checks that a window opens and that a toggle flips, and
// the cases of each menu that the action test runs on one window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QTest>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/base/services.h"
#include "core/tags/tagger_loader.h"
#include "mainwindow/window/main_form.h"
#include "mainwindow/program/qt_dispatcher.h"
#include "mainwindow/entries/window_entries.h"
#include "mainwindow/layout/main_layout.h"
#include "skin/touch_list_box.h"
#include "skin/modal_runner.h"
#include "skin/small_dialogs.h"
#include "support/media_files.h"
#include "support/scripted_modal_runner.h"
#include "support/tags.h"
#include "support/temp_dir.h"
#include "support/test_application.h"
#include "support/user_input.h"

namespace tunecrest::test::window_actions {

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

inline std::string Name(const TaudioTagPtr& tag) {
    return tag ? std::filesystem::path(tag->Filename().str()).filename().string() : "(none)";
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
        // Work handed to the main thread runs in the event loop, as in the program.
        InstallQtDispatcher();
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
        SetDispatcher(nullptr);
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
    // A row of the album; the album is shown again when a library change emptied the list.
    TaudioTagPtr Row(int row) {
        if (form->Layout().Lists().Rows().Tracks.empty()) ShowAlbum();
        return form->Layout().Lists().Rows().Tracks.at(size_t(row));
    }
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


// Runs `action`; the window named `name` must open (modal or not) and is closed again.
inline void ExpectWindow(Rig& r, const std::string& action, const std::string& name) {
    auto runner = std::make_shared<test::TscriptedModalRunner>();
    TmodalRunnerScope scope(runner);
    runner->Push([](QDialog& d) { d.done(mrCancel); });
    ASSERT_TRUE(r.Run(action)) << action;
    if (!runner->Names.empty()) {
        EXPECT_EQ(runner->Names.front(), name) << action;
        return;
    }
    QWidget* shown = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->objectName() == QString::fromStdString(name)) shown = w;
    EXPECT_NE(shown, nullptr) << action << " shows " << name;
    if (shown) shown->hide();
}

// Runs a toggle and checks that `state` flipped, that the check mark shows it, and that a
// second run flips it back.
inline void ExpectToggle(Rig& r, const std::string& action, const std::function<bool()>& state) {
    const bool before = state();
    ASSERT_TRUE(r.Run(action)) << action;
    EXPECT_NE(state(), before) << action;
    EXPECT_EQ(r.Checked(action), state()) << action << " check mark";
    r.Run(action);
    EXPECT_EQ(state(), before) << action;
    EXPECT_EQ(r.Checked(action), state()) << action << " check mark";
}

struct Tcase {
    std::vector<std::string> Actions;
    std::function<void(Rig&)> Check;
};

// The cases of each menu, in the order the action test runs them on one window: a case
// may rely on what the cases before it left.
void AddControlCases(std::vector<Tcase>& c);
void AddFileCases(std::vector<Tcase>& c);
void AddFocusCases(std::vector<Tcase>& c);
void AddPartyPlayCases(std::vector<Tcase>& c);
void AddPlaylistCases(std::vector<Tcase>& c);
void AddQueueCases(std::vector<Tcase>& c);
void AddRandomPlayCases(std::vector<Tcase>& c);
void AddSettingsCases(std::vector<Tcase>& c);
void AddSlotCases(std::vector<Tcase>& c);
void AddStackerCases(std::vector<Tcase>& c);
void AddVideoCases(std::vector<Tcase>& c);
void AddViewCases(std::vector<Tcase>& c);
void AddLocalLibraryCases(std::vector<Tcase>& c);

}  // namespace tunecrest::test::window_actions
