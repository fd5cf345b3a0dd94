// The jukebox in a bar, on the real window with the real engine playing into a silent sink:
// every way a guest may try to leave party play or undo what it locks (closing the window,
// keys, every shortcut, every command message, a second start with each switch, the
// on-screen keyboard), credits from the keypad and their charge, and the owner setting it
// all up from the screen.
#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QCheckBox>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <algorithm>
#include <deque>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <tuple>

#include "core/jukebox/global_prefs.h"
#include "core/base/ini_file.h"
#include "core/jukebox/party_play_credits.h"
#include "core/display/tree_nodes.h"
#include "core/base/services.h"
#include "core/tags/tag_list_files.h"
#include "core/tags/tagger_loader.h"
#include "mainwindow/actions/action_table.h"
#include "mainwindow/window/main_form.h"
#include "mainwindow/party_play/party_play_form.h"
#include "mainwindow/entries/window_entries.h"
#include "mainwindow/layout/main_layout.h"
#include "platform/window_messages.h"
#include "skin/modal_runner.h"
#include "skin/skin_button.h"
#include "skin/small_dialogs.h"
#include "skin/touch_list_box.h"
#include "support/keyboard_typing.h"
#include "support/tags.h"
#include "support/temp_dir.h"
#include "support/test_application.h"
#include "support/tree_find.h"
#include "support/user_input.h"
#include "windows/password_entry.h"
#include "windows/skinned_prompt.h"

namespace tunecrest {
namespace {

// The person at the screen: the password window is the real one (through the dialog
// runner below) or answered with `Typed`; messages and questions are noted.
class TbarPrompt : public Tprompt {
public:
    bool CheckPassword(const std::string& password, const std::string& prompt) override {
        Prompts.push_back(prompt);
        if (RealWindow) return ::tunecrest::CheckPassword(password, prompt);
        return password.empty() || PasswordMatches(password, Typed);
    }
    void ShowMessage(const std::string& text, const std::string& title) override {
        Messages.push_back(title + "|" + text);
    }
    bool AskYesNo(const std::string& text, const std::string&, bool) override {
        Messages.push_back("?|" + text);
        return false;
    }
    std::optional<std::string> AskText(const std::string&, const std::string& caption,
                                       const std::string&) override {
        Messages.push_back("text|" + caption);
        return Typed;
    }
    std::optional<std::string> AskTextEntry(const TtextRequest& request) override {
        if (RealWindow) return TskinnedPrompt().AskTextEntry(request);
        return Tprompt::AskTextEntry(request);
    }
    std::string Typed;
    bool RealWindow = false;
    std::vector<std::string> Prompts, Messages;
};

// Runs each dialog with the next scripted answer; a dialog nobody scripted is noted and
// closed with Cancel at once, as a guest who walks away from it.
class TbarRunner : public TmodalRunner {
public:
    using Tanswer = std::function<void(QDialog&)>;
    void Push(Tanswer answer) { Fanswers.push_back(std::move(answer)); }
    int Run(QDialog& dialog) override {
        Names.push_back(dialog.objectName().toStdString());
        if (Fanswers.empty()) return mrCancel;
        dialog.setResult(mrNone);
        dialog.show();
        QCoreApplication::processEvents();
        Tanswer answer = std::move(Fanswers.front());
        Fanswers.pop_front();
        answer(dialog);
        QCoreApplication::processEvents();
        if (dialog.isVisible()) {
            ADD_FAILURE() << "dialog left open: " << dialog.objectName().toStdString();
            dialog.hide();
            return mrNone;
        }
        return dialog.result();
    }
    int Pending() const { return int(Fanswers.size()); }
    std::vector<std::string> Names;

private:
    std::deque<Tanswer> Fanswers;
};

struct BarRig {
    test::TempDir dir;
    std::string root;
    std::shared_ptr<TbarPrompt> prompt = std::make_shared<TbarPrompt>();
    std::shared_ptr<Tprompt> previous;
    std::shared_ptr<TbarRunner> runner = std::make_shared<TbarRunner>();
    TmodalRunnerScope scope{runner};
    BarRig() {
        test::App();
        root = (dir.Path() / "root").string() + "/";
        std::filesystem::create_directories(root + "Data");
        std::filesystem::create_directories(root + "Settings");
        // A generated library of one album with three tracks, and a second album.
        TaudioTagList list;
        list.Add(test::MakeLibraryTag("/m/Abba/Gold/1.mp3", "Abba", "Dancing Queen", "Gold", "Pop", "1992", 1));
        list.Add(test::MakeLibraryTag("/m/Abba/Gold/2.mp3", "Abba", "Waterloo", "Gold", "Pop", "1992", 2));
        list.Add(test::MakeLibraryTag("/m/Abba/Gold/3.mp3", "Abba", "Mamma Mia", "Gold", "Pop", "1992", 3));
        list.Add(test::MakeLibraryTag("/m/Beatles/Abbey/1.mp3", "Beatles", "Something", "Abbey Road", "Rock",
                                      "1969", 1));
        EXPECT_TRUE(SaveTagListToFile(list, root + "Data/jukebox.dat", false));
        setenv("TUNECREST_AUDIO_SINK", "fakesink", 1);
        TaggerLoader().SetPluginFolder((std::filesystem::path(TUNECREST_BIN_DIR) / "TagPlugins").string());
        GlobalPrefs().SetOnScreenKeyboardsEnabled(true);
        previous = SetPrompt(prompt);
    }
    ~BarRig() {
        SetPrompt(previous);
        TaggerLoader().SetPluginFolder("");
    }
    void Seed(const std::string& text) {
        std::ofstream(root + "Settings/settings.ini")
            << "[Geometry]\nWidth=1280\nHeight=800\nFullScreen=0\n[RandomPlay]\nEnabled=0\n" << text;
    }
    // The program's window, as main() builds it: entries installed, settings read, started.
    std::unique_ptr<TfrmTunecrestMain> Open(std::vector<std::string> extra = {}) {
        std::vector<std::string> args = {"-RootFolder=" + root};
        args.insert(args.end(), extra.begin(), extra.end());
        auto form = std::make_unique<TfrmTunecrestMain>(args, TUNECREST_BIN_DIR);
        InstallWindowEntries(*form);
        form->ReadDisplaySettings();
        form->DoInitialise();
        form->show();
        return form;
    }
};

TmyNode* FindTitled(TmyNodeList& nodes, const std::string& title) {
    return test::FindNode(nodes, [&](TmyNode* node) {
        auto* list = node->DataAs<TaudioTagList>();
        return list && list->Title() == title && !node->DataAs<TaudioTagCategory>();
    });
}

// Shows the album's tracks in the track list, as a tap on its node does.
void ChooseAlbum(TfrmTunecrestMain& form, const std::string& title) {
    TmyNode* node = FindTitled(form.Layout().Tree->Nodes(), title);
    ASSERT_NE(node, nullptr) << title;
    node->ExpandParents();
    form.Layout().Tree->RebuildVisible();
    form.Layout().Tree->SelectNode(node, false);
}

std::vector<std::string> QueueTitles(TfrmTunecrestMain& form) {
    std::vector<std::string> titles;
    auto& queue = form.JukeboxList()->Jukebox()->Queue();
    for (int i = 0; i < queue.Count(); ++i) titles.push_back(queue.GetTag(i)->Title());
    return titles;
}

// What party play locks, as the owner left it; after every guest attempt it must hold.
struct Tlocked {
    TpartyPlaySettings settings;
    int volume = 0;
    bool repeat = false;
    static Tlocked Of(TfrmTunecrestMain& form) {
        return {form.PartyPlaySettings(), form.PlayerVolume(), form.Actions().Get("actnControlRepeatPlay").Checked};
    }
};

void ExpectLocked(TfrmTunecrestMain& form, const Tlocked& before, const std::string& attempt) {
    SCOPED_TRACE(attempt);
    EXPECT_TRUE(form.PartyPlayEnabled());
    EXPECT_FALSE(form.Closing());
    EXPECT_FALSE(form.IsMainMenuVisible());
    EXPECT_FALSE(form.isMinimized());
    EXPECT_TRUE(form.IsFullScreen());
    EXPECT_TRUE(form.PartyPlaySettings() == before.settings);
    EXPECT_EQ(form.PlayerVolume(), before.volume);
    EXPECT_EQ(form.Actions().Get("actnControlRepeatPlay").Checked, before.repeat);
}

// The queue as the owner left it (playing takes tracks from it, so it is set again before
// each queue edit a guest tries), the second row focused.
const std::vector<std::string> kQueue = {"Dancing Queen", "Waterloo", "Mamma Mia"};
void SetQueue(TfrmTunecrestMain& form) {
    form.Guards().QueueClear(true, true);
    TaudioTagList& global = form.JukeboxList()->GlobalList();
    for (const std::string& title : kQueue)
        for (int i = 0; i < global.Count(); ++i)
            if (global.GetTag(i)->Title() == title) form.JukeboxList()->AddToQueue(*global.GetTag(i));
    form.Layout().QueueList->SetItemIndex(1);
}

TEST(PartyPlayBar, NoGuestInputLeavesPartyPlayOrUndoesWhatItLocks) {
    BarRig r;
    r.Seed("[PartyPlay]\nPassword=Secret\nDisabledApplicationClose=1\n"
           "[Preferences]\nConfirmExit=1\nShutdownOnExit=1\n");
    auto form = r.Open();
    // Half volume, so both volume keys would have room to change it.
    form->PlayerSetVolume(128);
    ASSERT_EQ(form->PlayerVolume(), 128);
    r.prompt->Typed = "Secret";
    ASSERT_TRUE(form->SetPartyPlay(true));
    r.prompt->Typed = "guess";
    r.prompt->Prompts.clear();
    const Tlocked before = Tlocked::Of(*form);
    ASSERT_TRUE(form->IsFullScreen());

    // The window manager's close and Alt+F4 (which the window manager turns into a close).
    QCloseEvent closeEvent;
    QCoreApplication::sendEvent(form.get(), &closeEvent);
    EXPECT_FALSE(closeEvent.isAccepted());
    ExpectLocked(*form, before, "close event");
    // The keys of a guest reach the widget that has the focus: the queue list, touched last
    // (needs the touch list to pass on keys it does not use; its ListKey once kept every key).
    test::TapRow(*form->Layout().QueueList, 0);
    test::PressKey(*form, Qt::Key_F4, Qt::AltModifier);
    EXPECT_FALSE(form->close());
    ExpectLocked(*form, before, "Alt+F4");
    for (auto [key, mods] : {std::pair{Qt::Key_Escape, Qt::KeyboardModifiers()},
                             std::pair{Qt::Key_Q, Qt::KeyboardModifiers(Qt::ControlModifier)}}) {
        test::PressKey(*form, key, mods);
        ExpectLocked(*form, before, QKeySequence(key | mods).toString().toStdString());
    }

    // Every shortcut of the table (the volume keys among them), with the focus on each list
    // a guest may have touched.
    for (TcustomTouchListBox* list : {static_cast<TcustomTouchListBox*>(form->Layout().Tree),
                                      static_cast<TcustomTouchListBox*>(form->Layout().TrackList),
                                      static_cast<TcustomTouchListBox*>(form->Layout().QueueList)}) {
        list->setFocus(Qt::MouseFocusReason);
        for (const TactionDef& def : MainActionTable()) {
            if (!*def.ShortCut) continue;
            test::PressKeys(*form, QKeySequence(QString::fromUtf8(def.ShortCut)));
            QCoreApplication::processEvents();
            ExpectLocked(*form, before, std::string(def.Name) + " " + def.ShortCut);
        }
    }
    // Every command number, Exit (100), Minimize (101) and Full Screen (102) among them.
    for (const TactionDef& def : MainActionTable()) {
        if (def.Message == 0) continue;
        form->WndProcComponent().WndProc(WM_USER, WPARAM(def.Message), 1);
        ExpectLocked(*form, before, std::string(def.Name) + " message " + std::to_string(def.Message));
    }
    // The queue edits of the guard table, by key and by number, change nothing.
    for (auto [name, keys, message] : {std::tuple{"delete", "Ctrl+D", 303}, std::tuple{"up", "Ctrl+U", 301},
                                       std::tuple{"down", "Ctrl+W", 302}, std::tuple{"top", "", 300},
                                       std::tuple{"clear", "", 304}, std::tuple{"previous", "", 305}}) {
        for (bool byKey : {true, false}) {
            if (byKey && !*keys) continue;
            SetQueue(*form);
            if (byKey) {
                test::TapRow(*form->Layout().QueueList, 1);
                test::PressKeys(*form, QKeySequence(QString::fromUtf8(keys)));
            } else {
                form->WndProcComponent().WndProc(WM_USER, WPARAM(message), 0);
            }
            EXPECT_EQ(QueueTitles(*form), kQueue) << name << (byKey ? " key" : " message");
        }
    }
    // A second start with each switch and item of the command line.
    for (const char* line : {"RootFolder=/tmp/", "PlayerType=WINAMP", "NOCLASS", "creditmode", "ActivateSlot=1",
                             "ActivatePlaylist=Gold", "Message=100", "Message=101", "Message=102", "Message=7",
                             "RunScan", "RunScanAtStartup", "RunScanAndExit"}) {
        form->RunRemoteCommandLine({line});
        QCoreApplication::processEvents();
        ExpectLocked(*form, before, std::string("second start ") + line);
    }
    // No window the owner keeps for himself opened, and no exit question was put: the
    // Exit command is refused before it asks.
    for (const std::string& name : r.runner->Names) {
        EXPECT_NE(name, "frmPreferences");
        EXPECT_NE(name, "frmPartyPlay2");
        EXPECT_NE(name, "frmSkinnedSelectString");
    }
    // The only question was the main menu's password, each time answered wrongly.
    for (const std::string& asked : r.prompt->Prompts) EXPECT_EQ(asked, "Enter the password to Show the Main Menu...");
    EXPECT_FALSE(r.prompt->Prompts.empty()) << "Ctrl+Alt+M asks for the password";

    // The on-screen keyboard: a guest types a guess into the password window.
    r.prompt->RealWindow = true;
    r.runner->Push([](QDialog& d) {
        auto& w = dynamic_cast<TfrmPassword2&>(d);
        EXPECT_TRUE(w.isAncestorOf(&Keyboard()));
        test::TypeOnKeyboard("letmeout");
        test::Press(w.btnOK);
        EXPECT_TRUE(w.isVisible()) << "a wrong password keeps the window open";
        test::Press(w.btnCancel);
    });
    form->RunAction("actnPartyPlayEnabled");
    EXPECT_EQ(r.runner->Pending(), 0);
    ExpectLocked(*form, before, "on-screen keyboard");
    EXPECT_EQ(r.prompt->Prompts.back(), "Enter the password to Disable Party Play Mode...");

    // Only the password lets the owner out: party play off, then the window may close.
    r.prompt->RealWindow = false;
    r.prompt->Typed = "secret";
    ASSERT_TRUE(form->SetPartyPlay(false));
    QCloseEvent ownerClose;
    QCoreApplication::sendEvent(form.get(), &ownerClose);
    EXPECT_TRUE(ownerClose.isAccepted());
    EXPECT_TRUE(form->Closing());
}

TEST(PartyPlayBar, TheExitQuestionOffersExitAndShutDownWithTheDefaultPreselected) {
    BarRig r;
    r.Seed("[Preferences]\nConfirmExit=1\nShutdownOnExit=1\nDefaultToShutdown=1\n");
    auto form = r.Open();
    // The skinned pick-one list, shut down preselected; the owner picks a plain exit.
    r.runner->Push([](QDialog& d) {
        auto& pick = dynamic_cast<TfrmSkinnedSelectString&>(d);
        EXPECT_EQ(pick.lblSelectZone->text(), "What do you want to do?");
        EXPECT_EQ(pick.Strings(), (std::vector<std::string>{"Exit Tunecrest Audio System Professional",
                                                              "Shut Down the computer"}));
        EXPECT_EQ(pick.Selected(), "Shut Down the computer");
        pick.lbStringList->SetItemIndex(0);
        test::Press(pick.btnOK);
    });
    form->RunAction("actnFileExit");
    EXPECT_EQ(r.runner->Names, (std::vector<std::string>{"frmSkinnedSelectString"}));
    EXPECT_TRUE(form->Closing());
    EXPECT_FALSE(form->ShutdownRequested());

    // Confirmed as it stands: the preselected shut down.
    BarRig second;
    second.Seed("[Preferences]\nConfirmExit=1\nShutdownOnExit=1\nDefaultToShutdown=1\n");
    auto other = second.Open();
    second.runner->Push([](QDialog& d) { test::Press(dynamic_cast<TfrmSkinnedSelectString&>(d).btnOK); });
    other->RunAction("actnFileExit");
    EXPECT_TRUE(other->Closing());
    EXPECT_TRUE(other->ShutdownRequested());
}

TEST(PartyPlayBar, CancellingTheExitQuestionKeepsTheJukeboxRunning) {
    BarRig r;
    r.Seed("[Preferences]\nConfirmExit=1\nShutdownOnExit=0\n");
    auto form = r.Open();
    r.runner->Push([](QDialog& d) {
        auto& pick = dynamic_cast<TfrmSkinnedSelectString&>(d);
        EXPECT_EQ(pick.Strings(), (std::vector<std::string>{"Exit Tunecrest Audio System Professional"}));
        EXPECT_EQ(pick.Selected(), "Exit Tunecrest Audio System Professional");
        test::Press(pick.btnCancel);
    });
    form->RunAction("actnFileExit");
    EXPECT_FALSE(form->Closing());
    EXPECT_FALSE(form->ShutdownRequested());
}

TEST(PartyPlayBar, CreditsPayOnlyForTracksTheQueueTookAndComeFromTheKeypad) {
    BarRig r;
    r.Seed("[PartyPlay]\nEnabledCreditMode=1\nQueueLimit=1\n");
    auto form = r.Open({"-creditmode"});
    ASSERT_TRUE(form->SetPartyPlay(true));
    QLabel* credits = form->findChild<QLabel*>("lblCredits");
    ASSERT_NE(credits, nullptr);
    EXPECT_TRUE(credits->isVisible()) << "credit mode shows the credits";

    // Keypad credits: 5 from the keypad's 5 on the focused track list.
    test::TapRow(*form->Layout().TrackList, 0);
    test::PressKey(*form, Qt::Key_5, Qt::KeypadModifier);
    EXPECT_EQ(form->Guards().Credits(), CreditsAfterKey(0, TcreditKey::ckDigit, 5));
    EXPECT_EQ(credits->text(), "Credits: 5");

    // Limit 1, 5 credits, 3 rows chosen: one queued, one credit spent, the status says 1.
    ChooseAlbum(*form, "Gold");
    for (int i = 0; i < 3; ++i) form->Layout().TrackList->SetSelected(i, true);
    test::Press(form->findChild<TmySkinButton*>("btnQueue"));
    EXPECT_EQ(QueueTitles(*form), (std::vector<std::string>{"Dancing Queen"}));
    EXPECT_EQ(form->Guards().Credits(), 4);
    EXPECT_EQ(credits->text(), "Credits: 4");
    EXPECT_EQ(form->Layout().StatusLine->text().toStdString(),
              "Added 1 Track to the Queue: the queue is full (1 Track)");
    EXPECT_EQ(form->JukeboxList()->PopularList().Count(), 1) << "only the queued track counts as requested";

    // The other keypad keys, each as CreditsAfterKey says.
    struct {
        Qt::Key Key;
        TcreditKey Kind;
        int Digit;
    } keys[] = {{Qt::Key_0, TcreditKey::ckDigit, 0},
                {Qt::Key_9, TcreditKey::ckDigit, 9},
                {Qt::Key_Plus, TcreditKey::ckPlus, 0},
                {Qt::Key_Minus, TcreditKey::ckMinus, 0},
                {Qt::Key_Period, TcreditKey::ckDecimal, 0},
                {Qt::Key_Minus, TcreditKey::ckMinus, 0}};
    for (const auto& k : keys) {
        const int expected = CreditsAfterKey(form->Guards().Credits(), k.Kind, k.Digit);
        test::PressKey(*form, k.Key, Qt::KeypadModifier);
        EXPECT_EQ(form->Guards().Credits(), expected) << int(k.Key);
        EXPECT_EQ(credits->text().toStdString(), "Credits: " + std::to_string(expected));
    }
    EXPECT_EQ(form->Guards().Credits(), 0) << "the decimal point takes all, minus at 0 stays 0";
    // The main row's digits are no credits.
    test::PressKey(*form, Qt::Key_5);
    EXPECT_EQ(form->Guards().Credits(), 0);

    // Outside credit mode the display goes and a key release clears the credits.
    test::PressKey(*form, Qt::Key_3, Qt::KeypadModifier);
    ASSERT_EQ(form->Guards().Credits(), 3);
    r.prompt->Typed = "";
    ASSERT_TRUE(form->SetPartyPlay(false));
    EXPECT_FALSE(credits->isVisible());
    test::PressKey(*form, Qt::Key_3, Qt::KeypadModifier);
    EXPECT_EQ(form->Guards().Credits(), 0);
}

TEST(PartyPlayBar, TheOwnerConfiguresPartyPlayFromTheScreen) {
    BarRig r;
    r.Seed("[PartyPlay]\nPassword=Secret\n");
    auto form = r.Open({"-creditmode"});
    const TpartyPlaySettings before = form->PartyPlaySettings();

    // A wrong password opens nothing.
    r.prompt->Typed = "nope";
    form->RunAction("actnPartyPlayConfigure");
    EXPECT_EQ(r.prompt->Prompts, (std::vector<std::string>{"Enter the Password to configure Party Play Mode..."}));
    EXPECT_TRUE(r.runner->Names.empty());

    // Cancel changes nothing, whatever was ticked.
    r.prompt->Typed = "secret";
    r.runner->Push([](QDialog& d) {
        d.findChild<QCheckBox*>("cbDisableStopControl")->setChecked(false);
        d.findChild<QSpinBox*>("speQueueLimit")->setValue(3);
        d.findChild<QPushButton*>("btnCancel")->click();
    });
    form->RunAction("actnPartyPlayConfigure");
    EXPECT_EQ(r.runner->Names, (std::vector<std::string>{"frmPartyPlay2"}));
    EXPECT_TRUE(form->PartyPlaySettings() == before);

    // OK stores: the product's boxes and the credit-mode box are offered and taken.
    r.runner->Push([](QDialog& d) {
        for (const char* name : {"cbDisableTrackSearching", "cbDisableVolumeChange", "cbEnableCreditMode"})
            EXPECT_TRUE(d.findChild<QCheckBox*>(name)->isVisibleTo(&d)) << name;
        EXPECT_FALSE(d.findChild<QCheckBox*>("cbDisableKeyboardShortcuts")->isVisibleTo(&d));
        d.findChild<QCheckBox*>("cbDisableVolumeChange")->setChecked(false);
        d.findChild<QCheckBox*>("cbEnableCreditMode")->setChecked(true);
        d.findChild<QCheckBox*>("cbStartInPartyPlay")->setChecked(true);
        d.findChild<QSpinBox*>("speQueueLimit")->setValue(3);
        d.findChild<QLineEdit*>("edtCurrentPassword")->setText("Secret");
        d.findChild<QLineEdit*>("edtNewPassword")->setText("Bar2");
        d.findChild<QLineEdit*>("edtConfirmPassword")->setText("Bar2");
        d.findChild<QPushButton*>("btnSetPassword")->click();
        d.findChild<QPushButton*>("btnOK")->click();
    });
    form->RunAction("actnPartyPlayConfigure");
    EXPECT_EQ(r.runner->Pending(), 0);
    const TpartyPlaySettings& now = form->PartyPlaySettings();
    EXPECT_FALSE(now.GetDisableVolumeChanging());
    EXPECT_TRUE(now.GetEnabledCreditMode());
    EXPECT_EQ(now.GetQueueLimit(), 3);
    EXPECT_EQ(now.GetPassword(), "Bar2");
    // Stored at once, so the bar's set-up survives a power cut.
    const TiniFile ini(r.root + "Settings/settings.ini");
    EXPECT_EQ(ini.ReadString("PartyPlay", "Password", ""), "Bar2");
    EXPECT_EQ(ini.ReadInteger("PartyPlay", "QueueLimit", 0), 3);
    EXPECT_TRUE(ini.ReadBool("PartyPlay", "StartInPartyPlay", false));
    // The new password switches party play on; the queue limit holds.
    r.prompt->Typed = "bar2";
    ASSERT_TRUE(form->SetPartyPlay(true));
    EXPECT_EQ(form->JukeboxList()->Jukebox()->Queue().Max(), 3);
}

TEST(PartyPlayBar, TheOwnerSetsThePasswordByTouch) {
    BarRig r;
    r.Seed("");
    auto form = r.Open();
    r.prompt->Typed = "Tap1";
    r.runner->Push([](QDialog& d) {
        d.findChild<QTabWidget*>("pcPages")->setCurrentIndex(2);
        for (const char* name : {"edtNewPassword", "edtConfirmPassword"}) {
            auto* edit = d.findChild<QLineEdit*>(name);
            QTest::mouseClick(edit, Qt::LeftButton, {}, edit->rect().center());
            EXPECT_EQ(edit->text(), "Tap1") << name;
        }
        d.findChild<QPushButton*>("btnSetPassword")->click();
        d.findChild<QPushButton*>("btnOK")->click();
    });
    form->RunAction("actnPartyPlayConfigure");
    EXPECT_EQ(r.runner->Pending(), 0);
    EXPECT_EQ(r.prompt->Messages, (std::vector<std::string>{"text|Enter the new password...",
                                                             "text|Enter the new password again..."}));
    EXPECT_EQ(form->PartyPlaySettings().GetPassword(), "Tap1");
}

TEST(PartyPlayBar, ANewPasswordIsTypedMaskedAndCanBeRemovedByTouch) {
    BarRig r;
    r.Seed("[PartyPlay]\nPassword=OLD1\n");
    auto form = r.Open();
    r.prompt->RealWindow = true;
    auto tap = [](QDialog& d, const char* name) {
        auto* edit = d.findChild<QLineEdit*>(name);
        QTest::mouseClick(edit, Qt::LeftButton, {}, edit->rect().center());
    };
    // The entry window for each field: masked, on a screen guests can see.
    auto typeMasked = [&r](const std::string& text) {
        r.runner->Push([text](QDialog& entry) {
            auto& w = dynamic_cast<TfrmPassword2&>(entry);
            EXPECT_EQ(w.edPassword->echoMode(), QLineEdit::Password);
            test::TypeOnKeyboard(text);
            test::Press(w.btnOK);
        });
    };
    typeMasked("OLD1");  // the password check that opens the settings
    r.runner->Push([&](QDialog& d) {
        d.findChild<QTabWidget*>("pcPages")->setCurrentIndex(2);
        typeMasked("OLD1");
        tap(d, "edtCurrentPassword");
        typeMasked("TAP2");
        tap(d, "edtNewPassword");
        typeMasked("TAP2");
        tap(d, "edtConfirmPassword");
        d.findChild<QPushButton*>("btnSetPassword")->click();
        EXPECT_EQ(d.findChild<QPushButton*>("btnSetPassword")->text(), "Change Password");
        // Removing it: the new fields are left blank, which the entry takes as an answer.
        typeMasked("TAP2");
        tap(d, "edtCurrentPassword");
        typeMasked("");
        tap(d, "edtNewPassword");
        typeMasked("");
        tap(d, "edtConfirmPassword");
        d.findChild<QPushButton*>("btnSetPassword")->click();
        EXPECT_EQ(d.findChild<QPushButton*>("btnSetPassword")->text(), "Set Password");
        d.findChild<QPushButton*>("btnOK")->click();
    });
    form->RunAction("actnPartyPlayConfigure");
    EXPECT_EQ(r.runner->Pending(), 0);
    EXPECT_EQ(r.prompt->Messages, std::vector<std::string>{});  // no "Blank Entry"
    EXPECT_EQ(form->PartyPlaySettings().GetPassword(), "");
}

TEST(PartyPlayBar, GuestsSeeOnlyWhatTheyMayUseAndARefusedTouchIsAnswered) {
    BarRig r;
    r.Seed("[PartyPlay]\nDisableQueueControls=0\nDisableQueueMove=1\n");
    auto form = r.Open();
    auto visible = [&form](const char* name) { return form->findChild<QWidget*>(name)->isVisible(); };
    for (const char* name : {"btnStop", "btnNext", "btnQueueAll", "btnQueueUp", "btnQueueDown", "btnQueueDelete"})
        EXPECT_TRUE(visible(name)) << name;
    ASSERT_TRUE(form->SetPartyPlay(true));
    // The default settings hide Stop, Next and Queue All; the move setting hides Up and Down.
    for (const char* name : {"btnStop", "btnNext", "btnQueueAll", "btnQueueUp", "btnQueueDown"})
        EXPECT_FALSE(visible(name)) << name;
    EXPECT_TRUE(visible("btnPlay"));
    EXPECT_TRUE(visible("btnQueue"));
    EXPECT_TRUE(visible("btnQueueDelete"));

    // Hidden play controls take the play buttons, never the owner's party-play button.
    form->PartyPlaySettings().SetHidePlayControls(true);
    form->Guards().UpdateActionStates();
    EXPECT_FALSE(visible("btnPlay"));
    EXPECT_TRUE(visible("btnMenu"));
    form->PartyPlaySettings().SetHidePlayControls(false);
    form->Guards().UpdateActionStates();
    EXPECT_TRUE(visible("btnPlay"));

    // All queue controls disabled: the queue's edit buttons go.
    form->PartyPlaySettings().SetDisableQueueControls(true);
    form->Guards().UpdateActionStates();
    EXPECT_FALSE(visible("btnQueueDelete"));

    // The internet-radio node leaves the tree under party play and comes back after.
    ASSERT_TRUE(form->SetPartyPlay(false));
    EXPECT_TRUE(visible("btnQueueDelete"));
    EXPECT_TRUE(visible("btnStop"));
    const uint32_t radio = uint32_t(DisplayModeBit(dmRadioStations));
    form->SetBrowseDisplayMode(form->BrowseDisplayMode() | radio);
    ASSERT_TRUE(form->SetPartyPlay(true));
    EXPECT_EQ(form->BrowseDisplayMode() & radio, 0u);
    ASSERT_TRUE(form->SetPartyPlay(false));
    EXPECT_NE(form->BrowseDisplayMode() & radio, 0u);

    // A touch that party play refuses says so instead of leaving an old status up.
    form->PartyPlaySettings().SetDisableQueueControls(true);
    form->PartyPlaySettings().SetDisableQueueMove(false);
    ASSERT_TRUE(form->SetPartyPlay(true));
    // Refused by its state (a button a skin still shows) and refused by its guard.
    for (const char* action : {"actnControlStop", "actnStackerEnabled"}) {
        form->Layout().StatusLine->setText("Added 1 Track to the Queue");
        form->Layout().RunAction(action);
        EXPECT_EQ(form->Layout().StatusLine->text().toStdString(), "Not available in Party Play Mode") << action;
    }
    EXPECT_FALSE(form->JukeboxList()->Jukebox()->Stacker().Active());
    form->Layout().StatusLine->setText("");
    test::Press(form->findChild<TmySkinButton*>("btnPlay"));
    EXPECT_EQ(form->Layout().StatusLine->text().toStdString(), "") << "Play is never refused";
}

TEST(PartyPlayBar, TheMainMenuAsksNoPasswordWhenItsFlagIsOff) {
    BarRig r;
    r.Seed("[PartyPlay]\nPassword=Secret\n[MainMenu]\nPasswordProtected=0\nVisible=0\n");
    auto form = r.Open();
    // The key pressed while the browse tree, touched last, has the focus
    // (needs the touch list to pass on keys it does not use; its ListKey once kept every key).
    test::TapRow(*form->Layout().Tree, 0);
    test::PressKey(*form, Qt::Key_M, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_TRUE(form->IsMainMenuVisible());
    EXPECT_TRUE(r.prompt->Prompts.empty());
    test::PressKey(*form, Qt::Key_M, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_FALSE(form->IsMainMenuVisible());
    // With the flag on the same key asks first.
    form->RunAction("actnSettingsMenuByPassword");
    r.prompt->Typed = "wrong";
    test::PressKey(*form, Qt::Key_M, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_FALSE(form->IsMainMenuVisible());
    EXPECT_EQ(r.prompt->Prompts, (std::vector<std::string>{"Enter the password to Show the Main Menu..."}));
}

TEST(PartyPlayBar, ThePartyPlayWindowFollowsTheQueueWhileItIsOpen) {
    BarRig r;
    r.Seed("");
    auto form = r.Open();
    r.runner->Push([&form](QDialog& d) {
        auto* list = d.findChild<QListWidget*>("lbQueue");
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(list->count(), 0);
        // A track queued meanwhile (a guest at the song search) shows on the page.
        TaudioTagList& global = form->JukeboxList()->GlobalList();
        form->JukeboxList()->AddToQueue(*global.GetTag(0));
        EXPECT_EQ(list->count(), 1);
        d.findChild<QPushButton*>("btnCancel")->click();
    });
    form->RunAction("actnPartyPlayConfigure");
    EXPECT_EQ(r.runner->Pending(), 0);
}

}  // namespace
}  // namespace tunecrest
