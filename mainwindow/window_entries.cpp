#include "mainwindow/window_entries.h"

#include <filesystem>

#include <QApplication>

#include "core/genre_year_groupings.h"
#include "core/tagger_loader.h"
#include "mainwindow/main_form.h"
#include "windows/dialogs/countdown.h"
#include "windows/dialogs/dialog_hooks.h"
#include "windows/dialogs/reports_dialog.h"
#include "windows/dialogs/tag_plugins.h"
#include "windows/dialogs/tip_dialog.h"
#include "windows/dialogs/url_list_editor.h"
#include "windows/dialogs/view_settings.h"
#include "windows/library/library_windows.h"
#include "windows/remote/action_button_pad_form.h"
#include "windows/remote/remote_editors.h"

namespace tunecrest {

namespace {
constexpr const char* kHelpFile = "tunecrest.html";

std::string ApplicationTitle() { return QCoreApplication::applicationName().toStdString(); }
}  // namespace

std::string HelpFileName(const std::string& docsFolder, const std::string& programFolder)
{
    const std::filesystem::path own = std::filesystem::path(docsFolder) / kHelpFile;
    std::error_code ec;
    if (std::filesystem::is_regular_file(own, ec)) return own.string();
    return (std::filesystem::path(programFolder) / "Docs" / kHelpFile).string();
}

std::vector<TshortcutEntry> ShortcutEntries(TactionList& actions)
{
    std::vector<TshortcutEntry> entries;
    for (int i = 0; i < actions.Count(); ++i) {
        const Taction& action = actions[i];
        entries.push_back({action.Category, action.Caption, action.ShortCut, action.MessageID ? action.WParam : 0});
    }
    return entries;
}

TwindowEntries::TwindowEntries(TfrmBaseJukebox& form) : Fform(form), Fhelp(std::make_unique<TmyHH>())
{
    Fhelp->SetFileName(HelpFileName(form.Folders().DocsFolder(), QCoreApplication::applicationDirPath().toStdString()));
    Fhelp->HookHelp();
    FlibraryWindows = std::make_unique<TlibraryWindows>([this] {
        TlibraryWindowsSetup setup;
        setup.Library = Fform.JukeboxList();
        setup.Player = Fform.Controller().Player();
        setup.Owner = &Fform;
        setup.CartridgeFolder = Fform.Folders().CartridgesFolder();
        return setup;
    });
}

TwindowEntries::~TwindowEntries() = default;

void TwindowEntries::ShowTips()
{
    TdisplaySettings& settings = Form().Settings();
    TmyTipDialog dialog;
    GetTipTexts(dialog.Tips, ApplicationTitle());
    dialog.Image = DefaultTipImage();
    dialog.SetTipNo(settings.LastTipNo);
    dialog.ShowAtStart = settings.ShowTipsAtStartup;
    dialog.Execute();
    if (settings.LastTipNo != dialog.TipNo() || settings.ShowTipsAtStartup != dialog.ShowAtStart)
        Form().SettingsStore().MarkChanged();
    settings.LastTipNo = dialog.TipNo();
    settings.ShowTipsAtStartup = dialog.ShowAtStart;
}

void TwindowEntries::ShowHelp() { Fhelp->ShowHelp(); }

void TwindowEntries::ShowShortcutList()
{
    ShowShortcuts(ShortcutEntries(Form().Actions()), Form().GetWindowClassName());
}

void TwindowEntries::ShowViewSettings()
{
    TdisplaySettings& settings = Form().Settings();
    TcustomlocalJukeboxList* library = Form().JukeboxList();
    TtreeViewDisplayMode modes = TtreeViewDisplayMode(settings.ViewJukeboxList);
    TcoverMatrixSize matrix{settings.CoverArtMatrixHorizontal, settings.CoverArtMatrixVertical};
    int yearMode = library && library->YearList().Mode == ymDecades ? 1 : 0;
    const bool video = library && library->VideoSupport();
    if (!EditViewSettings(&modes, nullptr, nullptr, yearMode, true, video, nullptr, &matrix)) return;
    settings.ViewJukeboxList = int(modes);
    settings.CoverArtMatrixHorizontal = matrix.XCount;
    settings.CoverArtMatrixVertical = matrix.YCount;
    if (library) library->YearList().Mode = yearMode == 1 ? ymDecades : ymYears;
    Form().SettingsStore().MarkChanged();
}

void TwindowEntries::EditInternetRadio()
{
    if (TcustomlocalJukeboxList* library = Form().JukeboxList()) EditURLs(&library->URLList());
}

void TwindowEntries::ShowReports()
{
    tunecrest::ShowReports(Form().JukeboxList(), Form().Folders().ReportsFolder(), Form().Folders().ReportsFileName());
}

void TwindowEntries::ConfigureTagPlugins()
{
    std::string folder = TaggerLoader().PluginFolder();
    ConfigurePlugins(folder, TaggerLoader());
}

int TwindowEntries::RunCountdown(int totalMs, const std::string& caption, const std::string& groupCaption,
                                 const std::string& message)
{
    return tunecrest::RunCountdown(totalMs, caption, groupCaption, message);
}

void TwindowEntries::ShowActionButtonPad(TactionButtonPad& pad) { tunecrest::ShowActionButtonPad(pad); }

bool TwindowEntries::EditLaunchers(TappLauncherList& list, const std::string& caption) {
    return EditAppLauncherList(list, caption);
}

void TwindowEntries::ShowPlaylistEditor() { FlibraryWindows->ShowEditor(); }
void TwindowEntries::ShowPlaylistDisplay() { FlibraryWindows->ShowDisplay(); }
void TwindowEntries::ShowStackerList() { FlibraryWindows->ShowStacker(); }
bool TwindowEntries::ChooseAlbum(bool showCDLists, TaudioTagAlbumPtr& album) {
    return FlibraryWindows->ChooseAlbum(showCDLists, album);
}

void InstallWindowEntries(TfrmBaseJukebox& form)
{
    form.SetDialogEntries(std::make_unique<TwindowEntries>(form));
    // The remote-control actions' Edit operations open their dialogs.
    InstallRemoteEditors();
    InstallDialogHooks();
    // The actions that only open one of these windows run it, unless the window binds them.
    auto bind = [&form](const char* name, void (TdialogEntries::*entry)()) {
        Taction* action = form.Actions().Find(name);
        if (action && !action->OnExecute)
            action->OnExecute = [&form, entry](Taction&) { (form.DialogEntries().*entry)(); };
    };
    bind("actnHelpTips", &TdialogEntries::ShowTips);
    bind("actnViewShortcutList", &TdialogEntries::ShowShortcutList);
    bind("actnViewOptions", &TdialogEntries::ShowViewSettings);
    bind("actnSettingsInternetRadio", &TdialogEntries::EditInternetRadio);
}

}  // namespace tunecrest
