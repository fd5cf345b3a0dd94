// The window check: every window and dialog of the program, opened through its entry
// routine from the running main window (a silent player, the demo library), in both
// shipped skins, on the screen this test program runs on (ctest runs it at 1280x800 and
// at 1920x1080). It fails naming the window and the widget when a window does not fit
// the screen or falls behind the main window, when an enabled control a finger uses is
// under 48 pixels in the direction it is tapped, when a list does not scroll with a swipe,
// when a number can only be nudged with small arrows, or when a label's or button's text
// is wider than its room.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QScreen>
#include <QTabWidget>
#include <filesystem>
#include <functional>
#include <map>
#include <set>

#include "core/base/services.h"
#include "core/jukebox/jukebox.h"
#include "core/library/jukebox_list.h"
#include "mainwindow/main_form.h"
#include "mainwindow/qt_dispatcher.h"
#include "mainwindow/window_entries.h"
#include "programs/screenshots/demo_library.h"
#include "skin/modal_runner.h"
#include "skin/touch_list_box.h"
#include <QScroller>
#include "support/fake_media_player.h"
#include "support/pump_events.h"
#include "support/test_application.h"
#include "window_check/touch_rules.h"
#include "windows/skinned_prompt.h"

namespace tunecrest {
namespace {

namespace fs = std::filesystem;
using test::TtouchException;
using test::TtouchFault;

// Faults the check lets pass, each with its reason.
const TtouchException kExceptions[] = {
    {"*", "", "", ""},  // placeholder so the list is never empty
};

bool Excepted(const std::string& window, const TtouchFault& fault)
{
    for (const TtouchException& e : kExceptions) {
        if (!*e.Reason) continue;
        if (std::string(e.Window) != "*" && window != e.Window) continue;
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

// The main window of the check and what it found.
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

class TwindowCheck {
public:
    TwindowCheck(const std::string& skin) : Froot("tunecrest-window-check")
    {
        test::App();
        MakeDemoLibrary(Froot.Path());
        Fdispatcher = SetDispatcher(std::make_shared<TqtDispatcher>());
        Fprompt = SetPrompt(std::make_shared<TskinnedPrompt>());
        Fform = std::make_unique<TcheckForm>(Froot.Path());
        InstallWindowEntries(*Fform);
        Fform->LoadSkin((fs::path(TUNECREST_BIN_DIR) / "Skins" / skin).string());
        Fform->Settings().FullScreen = false;
        Fscreen = QGuiApplication::primaryScreen()->availableGeometry();
        Fform->setGeometry(Fscreen);
        Fform->DoInitialise();
        Fform->setAttribute(Qt::WA_DontShowOnScreen, true);
        Fform->show();
        QApplication::processEvents();
    }
    ~TwindowCheck()
    {
        Fform->Controller().SetClosing();
        Fform.reset();
        SetDispatcher(Fdispatcher);
        SetPrompt(Fprompt);
    }

    TcheckForm& Form() { return *Fform; }

    // Looks at `window` as shown now.
    void Look(QWidget& window)
    {
        const std::string name = WindowName(window);
        Fseen.insert(&window);
        Looked.push_back(name);
        for (const TtouchFault& fault : test::TouchFaults(window, Fscreen, &window == Fform.get() ? nullptr : Fform.get()))
            if (!Excepted(name, fault))
                Faults.push_back(name + ": " + fault.Widget + ": [" + fault.Rule + "] " + fault.Text);
    }

    // Runs `open` (an action or an entry routine); every dialog it runs is looked at by
    // the runner, and every other window it leaves shown is looked at and hidden.
    void Open(const std::function<void()>& open)
    {
        auto runner = std::make_shared<TlookingRunner>(*this);
        TmodalRunnerScope scope{runner};
        open();
        QApplication::processEvents();
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w == Fform.get() || !w->isVisible() || Fseen.count(w)) continue;
            Look(*w);
            w->hide();
        }
        Fseen.clear();
    }
    void Run(const char* action)
    {
        Open([&] { EXPECT_TRUE(Fform->Actions().ExecuteByName(action)) << action; });
    }

    // What to do in a dialog (by object name or title) before it closes: open the
    // windows it leads to.
    std::map<std::string, std::function<void(QDialog&)>> Then;
    std::vector<std::string> Faults, Looked;

private:
    TsceneFolder Froot;
    std::shared_ptr<TmainThreadDispatcher> Fdispatcher;
    std::shared_ptr<Tprompt> Fprompt;
    std::unique_ptr<TcheckForm> Fform;
    QRect Fscreen;
    std::set<QWidget*> Fseen;
};

int TlookingRunner::Run(QDialog& dialog)
{
    dialog.setResult(mrNone);
    dialog.setAttribute(Qt::WA_DontShowOnScreen, true);
    if (getenv("WCDEBUG")) std::cout << "before show " << dialog.windowTitle().toStdString() << " " << dialog.width() << "x" << dialog.height() << " min " << dialog.minimumSizeHint().height() << " hint " << dialog.sizeHint().height() << "\n";
    dialog.show();
    if (getenv("WCDEBUG")) std::cout << "after show " << dialog.width() << "x" << dialog.height() << " min " << dialog.minimumSizeHint().height() << " hint " << dialog.sizeHint().height() << "\n";
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

const std::vector<TwindowCase>& Cases()
{
    static const std::vector<TwindowCase> cases = {
        {"MainWindow", [](TwindowCheck& c) { c.Look(c.Form()); }},
        {"PartyPlayOptions", [](TwindowCheck& c) { c.Run("actnPartyPlayConfigure"); }},
        {"Tips", [](TwindowCheck& c) { c.Run("actnHelpTips"); }},
        {"Shortcuts", [](TwindowCheck& c) { c.Run("actnViewShortcutList"); }},
        {"InternetRadio", [](TwindowCheck& c) { c.Run("actnSettingsInternetRadio"); }},
        {"ViewSettings", [](TwindowCheck& c) { c.Run("actnViewOptions"); }},
        {"Reports", [](TwindowCheck& c) { c.Run("actnReportsRun"); }},
        {"TagPlugins", [](TwindowCheck& c) { c.Run("actnSettingsPlugins"); }},
        {"PluginFolder", [](TwindowCheck& c) { c.Run("actnSettingsConfigurePlugins"); }},
        {"Alarms", [](TwindowCheck& c) { c.Run("actnSettingsAlarmClock"); }},
        {"Slots", [](TwindowCheck& c) { c.Run("actnSettingsEditSlots"); }},
        {"RandomPlayFilters", [](TwindowCheck& c) { c.Run("actnRandomPlayFilters"); }},
        {"Skins", [](TwindowCheck& c) { c.Run("actnSettingsSkins"); }},
        {"PreferencesGeneral", [](TwindowCheck& c) { c.Run("actnSettingsGeneral"); }},
        {"PreferencesScreenSaver", [](TwindowCheck& c) { c.Run("actnSettingsScreenSaver"); }},
        {"Information", [](TwindowCheck& c) { c.Run("actnFileInformation"); }},
        {"History", [](TwindowCheck& c) { c.Run("actnReportsShowHistory"); }},
        {"MediaFolders", [](TwindowCheck& c) { c.Run("actnSettingsMediaFolders"); }},
        {"SongSearch", [](TwindowCheck& c) { c.Run("actnSearch"); }},
        {"PlaylistEditor", [](TwindowCheck& c) { c.Run("actnPlaylistsShowEditor"); }},
        {"PlaylistDisplay", [](TwindowCheck& c) { c.Run("actnPlaylistsShow"); }},
        {"Stacker", [](TwindowCheck& c) { c.Run("actnStackerConfigure"); }},
        {"About", [](TwindowCheck& c) { c.Run("actnHelpAbout"); }},
        {"QueueClear", [](TwindowCheck& c) { c.Run("actnQueueClear"); }},
        {"Actions", [](TwindowCheck& c) { c.Run("actnSettingsActions"); }},
        {"LaunchAtStart", [](TwindowCheck& c) { c.Run("actnFileLaunchAtStart"); }},
        {"ActionButtonPad", [](TwindowCheck& c) { c.Run("actnViewShowActionButtonPad"); }},
        {"PlayerSettings", [](TwindowCheck& c) { c.Run("actnSettingsPlayer"); }},
        {"Exit", [](TwindowCheck& c) { c.Run("actnFileExit"); }},
    };
    return cases;
}

class WindowCheck : public ::testing::TestWithParam<const char*> {};

TEST_P(WindowCheck, EveryWindowIsMadeForAFinger)
{
    TwindowCheck check(GetParam());
    for (const TwindowCase& c : Cases()) {
        SCOPED_TRACE(c.Name);
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
