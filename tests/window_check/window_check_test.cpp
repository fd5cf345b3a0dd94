// The window check: every window and dialog of the program, opened through its entry
// routine from the running main window (a silent player, the demo library), in both
// shipped skins, on the screen this test program runs on (ctest runs it at 1280x800 and
// at 1920x1080). It fails naming the window and the widget when a window does not fit
// the screen or falls behind the main window, when an enabled control a finger uses is
// under 48 pixels in the direction it is tapped, when a list does not scroll with a swipe,
// when a number can only be nudged with small arrows, or when a label's or button's text
// is wider than its room. Every page of a window with tabs is looked at.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStyle>
#include <QTabWidget>
#include <QTreeWidget>
#include <filesystem>
#include <functional>
#include <iostream>
#include <map>
#include <set>

#include "core/base/services.h"
#include "core/jukebox/jukebox.h"
#include "core/library/jukebox_list.h"
#include "mainwindow/window/main_form.h"
#include "mainwindow/program/qt_dispatcher.h"
#include "mainwindow/entries/window_entries.h"
#include "playback/dshow_player.h"
#include "playback/outside_player_engine.h"
#include "programs/screenshots/demo_library.h"
#include "remote/action_button_pad.h"
#include "remote/controller_hub.h"
#include "remote/program_launcher.h"
#include "skin/modal_runner.h"
#include "skin/skin_button.h"
#include "support/fake_media_player.h"
#include "support/test_application.h"
#include "window_check/touch_rules.h"
#include "windows/dialogs/help_viewer.h"
#include "windows/editors/color_chooser.h"
#include "windows/remote/action_button_pad_form.h"
#include "windows/remote/remote_editors.h"
#include "windows/skinned_prompt.h"

namespace tunecrest {
namespace {

namespace fs = std::filesystem;
using test::TtouchException;
using test::TtouchFault;

// Faults the check lets pass, each with its reason.
const TtouchException kExceptions[] = {
    // The playlist editor opens where it was left (its settings keep its size and place).
    {"Playlist Editor", "the window", "centre", "the editor keeps the place it was left at"},
};

bool Excepted(const std::string& window, const TtouchFault& fault)
{
    for (const TtouchException& e : kExceptions) {
        // A window's name, or the name of one of its pages ("Window (Page)").
        if (std::string(e.Window) != "*" && window.rfind(e.Window, 0) != 0) continue;
        if (fault.Widget.rfind(e.Widget, 0) != 0) continue;
        if (*e.Rule && fault.Rule != e.Rule) continue;
        return true;
    }
    return false;
}

class TcheckForm : public TfrmCustomTunecrest {
public:
    explicit TcheckForm(const std::string& root) : TfrmCustomTunecrest({"-RootFolder=" + root}, root) { FormCreate(); }
    std::string GetWindowClassName() const override { return "Tunecrest Main"; }

protected:
    void CreatePlayer(TcustomMediaPlayer*& player) override { player = new test::FakeMediaPlayer; }
};

std::string WindowName(const QWidget& w)
{
    if (!w.windowTitle().isEmpty()) return w.windowTitle().toStdString();
    return w.objectName().isEmpty() ? w.metaObject()->className() : w.objectName().toStdString();
}

// Presses the button named `name` on `window` as a finger would (a skinned button or a
// push button); false when there is none.
bool Press(QWidget& window, const char* name, const char* within = nullptr)
{
    QWidget* scope = within ? window.findChild<QWidget*>(within) : &window;
    if (!scope) return false;
    for (QWidget* w : scope->findChildren<QWidget*>(name)) {
        if (!w->isEnabled()) continue;
        if (auto* skinned = dynamic_cast<TmySkinButton*>(w)) {
            skinned->Click();
            return true;
        }
        if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            button->click();
            return true;
        }
    }
    ADD_FAILURE() << "no enabled button " << name << " on " << WindowName(window);
    return false;
}

class TwindowCheck;

// Runs each dialog as a look: shown, checked, then whatever the case opens from it,
// then closed with Cancel.
class TlookingRunner : public TmodalRunner {
public:
    explicit TlookingRunner(TwindowCheck& check) : Fcheck(check) {}
    int Run(QDialog& dialog) override;

private:
    TwindowCheck& Fcheck;
};

// A bar's remote control: actions with every kind of command, and three control groups.
struct TsampleRemote {
    Tcontroller Hub;
    TcontrollerAction* Lights;
    TcontrollerAction* Projector;
    TcontrollerAction* Music;

    TsampleRemote()
    {
        TcontrollerActionList& list = Hub.ActionList();
        Lights = list.AddNew();
        Lights->SetName("Lights Up");
        Lights->SetGroup("Stage");
        auto* key = Lights->Commands().AddNew<TsendKeyCommand>();
        key->WindowTitle = "Light Desk";
        key->KeyCode = 0x70;
        Lights->Commands().AddNew<TwaitCommand>()->Seconds = 2;
        auto* click = Lights->Commands().AddNew<TmouseCommand>();
        click->WindowTitle = "Light Desk";
        click->LeftButton = true;
        Lights->Commands().AddNew<TactionCommand>()->ActionName = "Music Loud";
        Music = list.AddNew();
        Music->SetName("Music Loud");
        auto* message = Music->Commands().AddNew<TsendMessageCommand>();
        message->WindowClass = "amplifier";
        message->MessageID = 1024;
        Projector = list.AddNew();
        Projector->SetName("Projector On");
        auto* exec = Projector->Commands().AddNew<TappExecCommand>();
        exec->FileName = "/usr/local/bin/projector";
        exec->Parameters = "--on --input hdmi1";
        Hub.GroupList().Add("Bar");
        Hub.GroupList().Add("Lounge");
    }
};

class TwindowCheck {
public:
    explicit TwindowCheck(const std::string& skin) : Froot("tunecrest-window-check")
    {
        test::App();
        MakeDemoLibrary(Froot.Path());
        Fdispatcher = SetDispatcher(std::make_shared<TqtDispatcher>());
        Fprompt = SetPrompt(std::make_shared<TskinnedPrompt>());
        Fform = std::make_unique<TcheckForm>(Froot.Path());
        InstallWindowEntries(*Fform);
        Fform->LoadSkin((fs::path(TUNECREST_BIN_DIR) / "Skins" / skin).string());
        Fform->Settings().FullScreen = false;
        // Leaving asks first, so the exit question shows and the window stays.
        Fform->Settings().ConfirmExit = true;
        Fform->Settings().ShutdownOnExit = true;
        Fscreen = QGuiApplication::primaryScreen()->availableGeometry();
        Fform->setGeometry(Fscreen);
        Fform->DoInitialise();
        Fform->setAttribute(Qt::WA_DontShowOnScreen, true);
        Fform->show();
        QApplication::processEvents();
    }
    ~TwindowCheck()
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w != Fform.get() && w->isVisible()) w->hide();
        Fform->Controller().SetClosing();
        Fform.reset();
        SetDispatcher(Fdispatcher);
        SetPrompt(Fprompt);
    }

    TcheckForm& Form() { return *Fform; }
    const QRect& Screen() const { return Fscreen; }
    TcustomlocalJukeboxList& Library() { return *Fform->JukeboxList(); }
    TsampleRemote& Remote() { return Fremote; }

    // Looks at `window` as shown now, every page of its tabs in turn.
    void Look(QWidget& window)
    {
        const std::string name = WindowName(window);
        Fseen.insert(&window);
        Looked.push_back(name);
        LookOnce(window, name);
        for (QTabWidget* tabs : window.findChildren<QTabWidget*>()) {
            if (!tabs->isVisibleTo(&window)) continue;
            const int shown = tabs->currentIndex();
            for (int i = 0; i < tabs->count(); ++i) {
                if (i == shown || !tabs->isTabVisible(i) || !tabs->isTabEnabled(i)) continue;
                tabs->setCurrentIndex(i);
                QApplication::processEvents();
                LookOnce(window, name + " (" + tabs->tabText(i).remove('&').toStdString() + ")");
            }
            tabs->setCurrentIndex(shown);
        }
    }

    // Runs `open` (an action or an entry routine); every dialog it runs is looked at by
    // the runner, and every other window it leaves shown is looked at and hidden.
    void Open(const std::function<void()>& open)
    {
        auto runner = std::make_shared<TlookingRunner>(*this);
        TmodalRunnerScope scope{runner};
        const size_t before = Looked.size();
        open();
        QApplication::processEvents();
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w == Fform.get() || !w->isVisible() || Fseen.count(w) || qobject_cast<QMenu*>(w)) continue;
            Look(*w);
            w->hide();
        }
        Fseen.clear();
        Then.clear();
        if (Looked.size() == before) Faults.push_back("(nothing opened) " + Fcase);
    }
    void Run(const char* action)
    {
        Open([&] { EXPECT_TRUE(Fform->Actions().ExecuteByName(action)) << action; });
    }
    void SetCase(const std::string& name) { Fcase = name; }

    // What to do in a dialog (by object name or title) before it closes: open the
    // windows it leads to.
    std::map<std::string, std::function<void(QDialog&)>> Then;
    std::vector<std::string> Faults, Looked;

private:
    void LookOnce(QWidget& window, const std::string& name)
    {
        const QWidget* owner = &window == Fform.get() ? nullptr : Fform.get();
        for (const TtouchFault& fault : test::TouchFaults(window, Fscreen, owner)) {
            if (Excepted(name, fault)) continue;
            const std::string line = name + ": " + fault.Widget + ": [" + fault.Rule + "] " + fault.Text;
            if (Freported.insert(line).second) Faults.push_back(line);
        }
    }

    TsceneFolder Froot;
    std::shared_ptr<TmainThreadDispatcher> Fdispatcher;
    std::shared_ptr<Tprompt> Fprompt;
    std::unique_ptr<TcheckForm> Fform;
    TsampleRemote Fremote;
    QRect Fscreen;
    std::set<QWidget*> Fseen;
    std::set<std::string> Freported;
    std::string Fcase;
};

int TlookingRunner::Run(QDialog& dialog)
{
    dialog.setResult(mrNone);
    dialog.setAttribute(Qt::WA_DontShowOnScreen, true);
    dialog.show();
    QApplication::processEvents();
    Fcheck.Look(dialog);
    for (const std::string& key : {dialog.objectName().toStdString(), dialog.windowTitle().toStdString()}) {
        auto then = Fcheck.Then.find(key);
        if (then == Fcheck.Then.end()) continue;
        auto step = std::move(then->second);
        Fcheck.Then.erase(then);
        step(dialog);
        break;
    }
    dialog.hide();
    return mrCancel;
}

struct TwindowCase {
    const char* Name;
    std::function<void(TwindowCheck&)> Open;
};

// Every menu of the menu bar and of the window's popup, and each menu under them, as it
// opens: all of it fits the screen's height (a menu taller than the screen shows only a
// part, with scroll arrows a finger can hardly hit) and its items are a finger high. A
// menu's height is measured item by item, after its items were brought up to date (its
// own size is already cut to the screen).
void LookAtMenus(TwindowCheck& c, QMenu& menu, const std::string& path)
{
    emit menu.aboutToShow();
    menu.ensurePolished();
    const std::string name = path + menu.title().remove('&').toStdString();
    c.Looked.push_back("menu " + name);
    const int frame = menu.style()->pixelMetric(QStyle::PM_MenuPanelWidth, nullptr, &menu) +
                      menu.style()->pixelMetric(QStyle::PM_MenuVMargin, nullptr, &menu);
    int height = 2 * frame;
    for (QAction* a : menu.actions()) {
        if (!a->isVisible()) continue;
        const int item = menu.actionGeometry(a).height();
        height += item;
        if (a->isSeparator()) continue;
        if (item < test::kFingerSize)
            c.Faults.push_back("menu " + name + ": item \"" + a->text().toStdString() + "\": [size] is " +
                               std::to_string(item) + " px high (needs 48)");
        if (QMenu* sub = a->menu()) LookAtMenus(c, *sub, name + " > ");
    }
    if (height > c.Screen().height())
        c.Faults.push_back("menu " + name + ": [fit] is " + std::to_string(height) + " px high, the screen " +
                           std::to_string(c.Screen().height()));
}

// The menu bar shown: every menu's title on it, none put away behind the bar's small
// extension button.
void LookAtMenuBar(TwindowCheck& c, QMenuBar& bar)
{
    for (QAction* a : bar.actions()) {
        if (!a->isVisible()) continue;
        const QRect item = bar.actionGeometry(a);
        if (item.isEmpty() || !bar.rect().contains(item))
            c.Faults.push_back("menu bar: \"" + a->text().remove('&').toStdString() +
                               "\": [fit] does not fit the bar (" + std::to_string(bar.sizeHint().width()) +
                               " px wanted, " + std::to_string(bar.width()) + " px shown)");
    }
}

void QueueSome(TwindowCheck& c)
{
    for (const char* title : {"Lighthouse", "Barn Lights", "Paper Hearts"})
        if (TaudioTagPtr tag = FindTrack(c.Library().GlobalList(), title)) c.Library().AddToQueue(*tag);
}

const std::vector<TwindowCase>& Cases()
{
    static const std::vector<TwindowCase> cases = {
        // The main window and its views, also under party play.
        {"MainWindow", [](TwindowCheck& c) { c.Look(c.Form()); }},
        {"MainWindowCovers",
         [](TwindowCheck& c) {
             c.Form().Actions().ExecuteByName("actnViewCoverArtView");
             QApplication::processEvents();
             c.Look(c.Form());
             c.Form().Actions().ExecuteByName("actnViewJukeboxlistView");
         }},
        {"MainWindowPartyPlay",
         [](TwindowCheck& c) {
             QueueSome(c);
             c.Form().PartyPlaySettings().SetHidePlayControls(true);
             c.Form().SetPartyPlay(true);
             QApplication::processEvents();
             c.Look(c.Form());
             c.Form().SetPartyPlay(false);
         }},
        {"Menus",
         [](TwindowCheck& c) {
             c.Form().Actions().ExecuteByName("actnViewMainMenu");
             QApplication::processEvents();
             if (c.Form().MainMenuBar()->isVisible()) LookAtMenuBar(c, *c.Form().MainMenuBar());
             else c.Faults.push_back("(the menu bar did not show)");
             c.Form().Actions().ExecuteByName("actnViewMainMenu");
             QApplication::processEvents();
             for (QAction* a : c.Form().MainMenuBar()->actions())
                 if (QMenu* menu = a->menu()) LookAtMenus(c, *menu, "bar: ");
             for (QAction* a : c.Form().MainPopupMenu()->actions())
                 if (QMenu* menu = a->menu()) LookAtMenus(c, *menu, "popup: ");
         }},
        // Settings and editors.
        {"PartyPlayOptions", [](TwindowCheck& c) { c.Run("actnPartyPlayConfigure"); }},
        {"Tips", [](TwindowCheck& c) { c.Run("actnHelpTips"); }},
        {"Shortcuts", [](TwindowCheck& c) { c.Run("actnViewShortcutList"); }},
        {"InternetRadio", [](TwindowCheck& c) { c.Run("actnSettingsInternetRadio"); }},
        {"ViewSettings", [](TwindowCheck& c) { c.Run("actnViewOptions"); }},
        {"Reports",
         [](TwindowCheck& c) {
             c.Then["Reports"] = [](QDialog& d) {
                 auto* list = d.findChild<QListWidget*>("lbReports");
                 for (int i = 0; list && i < list->count(); ++i)
                     if (list->item(i)->text().contains("Media Library")) list->setCurrentRow(i);
                 Press(d, "btnConfigure");
             };
             c.Run("actnReportsRun");
         }},
        {"TagPlugins", [](TwindowCheck& c) { c.Run("actnSettingsPlugins"); }},
        {"PluginFolder", [](TwindowCheck& c) { c.Run("actnSettingsConfigurePlugins"); }},
        {"Alarms", [](TwindowCheck& c) { c.Run("actnSettingsAlarmClock"); }},
        {"Slots",
         [](TwindowCheck& c) {
             c.Then["Slot Allocations"] = [](QDialog& d) { Press(d, "btnAdd"); };
             c.Run("actnSettingsEditSlots");
         }},
        {"RandomPlayFilters",
         [](TwindowCheck& c) {
             c.Then["Random Play Filters"] = [](QDialog& d) {
                 Press(d, "cbGenres");
                 Press(d, "btnAdd", "gbGenres");
             };
             c.Run("actnRandomPlayFilters");
         }},
        {"Skins", [](TwindowCheck& c) { c.Run("actnSettingsSkins"); }},
        {"PreferencesGeneral", [](TwindowCheck& c) { c.Run("actnSettingsGeneral"); }},
        {"PreferencesScreenSaver", [](TwindowCheck& c) { c.Run("actnSettingsScreenSaver"); }},
        // The library windows.
        {"PlaylistEditor", [](TwindowCheck& c) { c.Run("actnPlaylistsShowEditor"); }},
        {"PlaylistDisplay", [](TwindowCheck& c) { c.Run("actnPlaylistsShow"); }},
        {"Stacker", [](TwindowCheck& c) { c.Run("actnStackerConfigure"); }},
        {"ChooseCD",
         [](TwindowCheck& c) {
             c.Open([&] {
                 TaudioTagAlbumPtr album;
                 c.Form().DialogEntries().ChooseAlbum(false, album);
             });
         }},
        // Searches, history and information.
        {"SongSearch", [](TwindowCheck& c) { c.Run("actnSearch"); }},
        {"MediaFolders", [](TwindowCheck& c) { c.Run("actnSettingsMediaFolders"); }},
        {"History", [](TwindowCheck& c) { c.Run("actnReportsShowHistory"); }},
        {"Information", [](TwindowCheck& c) { c.Run("actnFileInformation"); }},
        // The small dialogs and the entry windows.
        {"QueueClear",
         [](TwindowCheck& c) {
             QueueSome(c);
             c.Run("actnQueueClear");
         }},
        {"Message", [](TwindowCheck& c) {
             c.Open([] {
                 Prompt().ShowMessage("The cartridge could not be loaded: the file /srv/jukebox/Cartridges/Friday "
                                      "Night.cartridge is damaged and was left as it was.",
                                      "Load Cartridge");
             });
         }},
        {"SelectString",
         [](TwindowCheck& c) {
             c.Open([&] {
                 c.Form().DialogEntries().SelectString(
                     "Select a Zone from below ...",
                     {"Patio", "Bar", "Lounge", "Dance Floor", "Garden", "Party Room", "Office", "Kitchen"}, 2);
             });
         }},
        {"Exit", [](TwindowCheck& c) { c.Run("actnFileExit"); }},
        {"TextEntry",
         [](TwindowCheck& c) {
             c.Open([] { Prompt().AskText("Make Playlist", "Name of the new playlist", "Friday Night"); });
         }},
        {"Password", [](TwindowCheck& c) { c.Open([] { Prompt().CheckPassword("secret", "Enter the password"); }); }},
        {"Countdown",
         [](TwindowCheck& c) {
             c.Open([&] {
                 c.Form().DialogEntries().StartCountdown(&c.Form(), 15000, "Scheduled Media Scan",
                                                         "Tunecrest Audio System Media Scan",
                                                         "Tunecrest Audio System has received a Full Rescan request, "
                                                         "you can skip the media scan at this time by clicking "
                                                         "\"Cancel\" in:",
                                                         [](int) {});
             });
         }},
        {"OpenFile",
         [](TwindowCheck& c) {
             c.Open([&] { Prompt().ChooseOpenFile("Load Playlist", "Playlists|*.m3u", c.Library().DataFolder()); });
         }},
        {"SaveFile",
         [](TwindowCheck& c) {
             c.Open([&] { Prompt().ChooseSaveFile("Save Playlist", "Playlists|*.m3u", c.Library().DataFolder()); });
         }},
        {"ChooseFolder",
         [](TwindowCheck& c) { c.Open([&] { Prompt().ChooseFolder("Audio Folder", c.Library().DataFolder()); }); }},
        {"OpenFiles",
         [](TwindowCheck& c) {
             c.Open([&] { Prompt().ChooseOpenFiles("Files to Import", "CSV Files|*.csv", c.Library().DataFolder()); });
         }},
        {"SelectColor", [](TwindowCheck& c) { c.Open([] { ChooseColor(nullptr, RGBColor(74, 109, 168)); }); }},
        {"HelpInside",
         [](TwindowCheck& c) {
             c.Open([] { ShowHelpInside((fs::path(TUNECREST_BIN_DIR) / "Docs" / "tunecrest.html").string()); });
         }},
        {"About", [](TwindowCheck& c) { c.Run("actnHelpAbout"); }},
        // The engines' own settings, as the player's "Configure" opens them.
        {"PlayerSettings",
         [](TwindowCheck& c) {
             TdshowPlayer inProcess;
             c.Open([&] { inProcess.ShowConfig(); });
             TwinampMediaPlayer outside;
             c.Open([&] { outside.ShowConfig(); });
         }},
        {"ScreenSaver", [](TwindowCheck& c) { c.Open([&] { c.Form().DialogEntries().ShowScreenSaver(); }); }},
        // Remote control and programs.
        {"Actions", [](TwindowCheck& c) { c.Open([&] { EditActions(c.Remote().Hub.ActionList()); }); }},
        {"Action", [](TwindowCheck& c) { c.Open([&] { EditAction(*c.Remote().Lights); }); }},
        {"CommandKind",
         [](TwindowCheck& c) {
             c.Open([] {
                 std::string kind;
                 ChooseCommandType(kind);
             });
         }},
        {"SelectAction",
         [](TwindowCheck& c) { c.Open([&] { SelectAction(c.Remote().Hub.ActionList(), c.Remote().Lights); }); }},
        {"Commands",
         [](TwindowCheck& c) {
             for (int i = 0; i < 4; ++i) c.Open([&] { EditCommand(*c.Remote().Lights->Commands().Items(i)); });
             c.Open([&] { EditCommand(*c.Remote().Music->Commands().Items(0)); });
             c.Open([&] { EditCommand(*c.Remote().Projector->Commands().Items(0)); });
         }},
        {"PadList",
         [](TwindowCheck& c) {
             c.Open([&] {
                 TactionButtonPad pad(&c.Remote().Hub.ActionList());
                 pad.SetNames({"Lights Up", "Music Loud", "Projector On"});
                 EditActionList(pad);
             });
         }},
        {"Launchers",
         [](TwindowCheck& c) {
             c.Then["Launch on Open"] = [](QDialog& d) { Press(d, "btnAdd"); };
             c.Run("actnFileLaunchAtStart");
         }},
    };
    return cases;
}

class WindowCheck : public ::testing::TestWithParam<const char*> {};

TEST_P(WindowCheck, EveryWindowIsMadeForAFinger)
{
    TwindowCheck check(GetParam());
    for (const TwindowCase& c : Cases()) {
        SCOPED_TRACE(c.Name);
        check.SetCase(c.Name);
        c.Open(check);
    }
    for (const std::string& fault : check.Faults) ADD_FAILURE() << fault;
    std::string looked;
    for (const std::string& name : check.Looked) looked += name + "; ";
    std::cout << check.Looked.size() << " windows looked at: " << looked << "\n";
}

INSTANTIATE_TEST_SUITE_P(Skins, WindowCheck, ::testing::Values("Default", "Classic"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
}  // namespace tunecrest
