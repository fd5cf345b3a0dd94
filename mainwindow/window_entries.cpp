#include "mainwindow/window_entries.h"

#include <QApplication>
#include <algorithm>
#include <filesystem>
#include <memory>

#include "core/library/genre_year_groupings.h"
#include "core/jukebox/global_prefs.h"
#include "core/jukebox/jukebox.h"
#include "core/jukebox/jukebox_slots.h"
#include "core/database/query_rules.h"
#include "core/base/services.h"
#include "core/tags/tag_list_rules.h"
#include "core/tags/tagger_loader.h"
#include "mainwindow/general_settings.h"
#include "mainwindow/list_display.h"
#include "mainwindow/track_views.h"
#include "mainwindow/main_form.h"
#include "mainwindow/song_search_queue.h"
#include "skin/modal_runner.h"
#include "skin/small_dialogs.h"
#include "mainwindow/skin_editor_host.h"
#include "playback/video/player_settings_dialogs.h"
#include "windows/about_box.h"
#include "windows/dialogs/countdown.h"
#include "windows/dialogs/dialog_hooks.h"
#include "windows/dialogs/reports_dialog.h"
#include "windows/dialogs/tag_plugins.h"
#include "windows/dialogs/tip_dialog.h"
#include "windows/dialogs/url_list_editor.h"
#include "windows/dialogs/view_settings.h"
#include "windows/editors/editor_form.h"
#include "windows/editors/rule_editor.h"
#include "windows/editors/slot_editors.h"
#include "windows/library/jukebox_info.h"
#include "windows/library/library_windows.h"
#include "windows/library/playlist_editor.h"
#include "windows/remote/action_button_pad_form.h"
#include "windows/remote/remote_editors.h"
#include "windows/search/history_window.h"
#include "windows/search/music_search_form.h"
#include "windows/search/song_search_form.h"
#include "windows/settings/preferences_dialog.h"
#include "windows/settings/screen_saver.h"

namespace tunecrest {

bool TwindowEntries::EditViewSettings(uint32_t* modes, TtagListDisplaySettings* trackList,
                                      TtagListDisplaySettings* queueList, int& yearMode,
                                      TformatStringContainer* formats, int& across, int& down) {
    TtreeViewDisplayMode shown = modes ? TtreeViewDisplayMode(*modes) : 0;
    TcoverMatrixSize matrix{across, down};
    TcustomlocalJukeboxList* library = Form().JukeboxList();
    const bool video = library && library->VideoSupport();
    if (!tunecrest::EditViewSettings(modes ? &shown : nullptr, trackList, queueList, yearMode, true, video, formats,
                                     &matrix))
        return false;
    if (modes) *modes = uint32_t(shown);
    across = matrix.XCount;
    down = matrix.YCount;
    return true;
}

namespace {
constexpr const char* kHelpFile = "tunecrest.html";
}  // namespace

std::string HelpFileName(const std::string& docsFolder, const std::string& shippedDocsFolder)
{
    const std::filesystem::path own = std::filesystem::path(docsFolder) / kHelpFile;
    std::error_code ec;
    if (std::filesystem::is_regular_file(own, ec)) return own.string();
    return (std::filesystem::path(shippedDocsFolder) / kHelpFile).string();
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

void TwindowEntries::StartCountdown(QWidget*, int totalMs, const std::string& caption,
                                    const std::string& groupCaption, const std::string& message,
                                    std::function<void(int)> done) {
    const int result = RunCountdown(totalMs, caption, groupCaption, message);
    if (done) done(result);
}

void TwindowEntries::ShowReports(TcustomJukeboxList& library, const std::string& reportsFolder,
                                 const std::string& reportsIni) {
    ::tunecrest::ShowReports(&library, reportsFolder, reportsIni);
}

void TwindowEntries::ConfigurePlugins(std::string& folder) { ::tunecrest::ConfigurePlugins(folder, TaggerLoader()); }

void TwindowEntries::ShowActionButtonPad(TactionButtonPad& pad) { tunecrest::ShowActionButtonPad(pad); }

bool TwindowEntries::EditLaunchers(TappLauncherList& list, const std::string& caption) {
    return EditAppLauncherList(list, caption);
}

void TwindowEntries::ShowPlaylistEditor()
{
    // Apply Filters edits the editor's own filter, with the library's filter sets.
    FlibraryWindows->Editor().SetFilterEditor([this](TtagListRules& filter) {
        std::string noQuery;
        return EditTagListRules(filter, Fform.JukeboxList(), 1, noQuery, nullptr);
    });
    FlibraryWindows->ShowEditor();
}
void TwindowEntries::ShowPlaylistDisplay() { FlibraryWindows->ShowDisplay(); }
void TwindowEntries::ShowStackerList() { FlibraryWindows->ShowStacker(); }
bool TwindowEntries::ChooseAlbum(bool showCDLists, TaudioTagAlbumPtr& album) {
    return FlibraryWindows->ChooseAlbum(showCDLists, album);
}

void InstallWindowEntries(TfrmBaseJukebox& form)
{
    form.SetDialogEntries(std::make_unique<TwindowEntries>(form));
    // Every dialog opens centred over the window and stays above it.
    SetDialogOwner(&form);
    // The remote-control actions' Edit operations open their dialogs.
    InstallRemoteEditors();
    // The player's own settings dialog ("Audio Player"), run as every dialog is: over the
    // window, in the skin's look.
    InstallPlayerSettingsDialogs(&form, [](QDialog& dialog) {
        StyleEditorDialog(dialog);
        RunModal(dialog);
    });
    // The settings commands whose windows live here (a handler bound elsewhere stays).
    const auto bind = [&form](const char* name, std::function<void()> run) {
        Taction* action = form.Actions().Find(name);
        if (action && !action->OnExecute) action->OnExecute = [run](Taction&) { run(); };
    };
    bind("actnSettingsGeneral", [&form] { form.DialogEntries().ShowPreferences("General"); });
    bind("actnSettingsScreenSaver", [&form] { form.DialogEntries().ShowPreferences("ScreenSaver"); });
    bind("actnSettingsAlarmClock", [&form] {
        if (auto* list = form.JukeboxList()) Prompt().EditAlarms(list->Jukebox()->Alarms());
    });
    bind("actnRandomPlayFilters", [&form] {
        auto* list = form.JukeboxList();
        if (!list) return;
        TcustomJukebox& jukebox = *list->Jukebox();
        std::string active = jukebox.UseDBQueryRule ? jukebox.DBQueryRule().RuleName : std::string();
        if (!EditTagListRules(jukebox.Filter(), list, 1, active, &list->DBRules())) return;
        // The random list follows the new filter or query rule at once.
        jukebox.UseDBQueryRule = !active.empty();
        jukebox.SelectDBQueryRule(active);
        jukebox.RefillRandomList();
    });
    bind("actnSettingsSkins", [&form] {
        TmainWindowSkinHost host(form);
        EditJukeboxSkin(host);
    });
    bind("actnSearch", [&form] { form.DialogEntries().ShowSongSearch(0); });
    bind("actnFileInformation", [&form] {
        if (auto* list = form.JukeboxList()) form.DialogEntries().ShowJukeboxInfo(*list);
    });
    bind("actnSettingsEditSlots", [&form] {
        if (auto* list = form.JukeboxList()) list->Jukebox()->Slots().Edit();
    });
    // Core's plug-in list and report columns, and the actions that only open a dialog.
    InstallDialogHooks();
    bind("actnHelpTips", [&form] { form.DialogEntries().ShowTips(); });
    bind("actnViewShortcutList", [&form] { form.DialogEntries().ShowShortcutList(); });
    bind("actnViewOptions", [&form] { form.DialogEntries().ShowViewSettings(); });
    bind("actnSettingsInternetRadio", [&form] { form.DialogEntries().EditInternetRadio(); });
}

TwindowEntries::TwindowEntries(TfrmBaseJukebox& form) : Fform(form), Fhelp(std::make_unique<TmyHH>())
{
    Fhelp->SetFileName(HelpFileName(form.Folders().DocsFolder(), form.ShippedFolders().DocsFolder()));
    Fhelp->HookHelp();
    FlibraryWindows = std::make_unique<TlibraryWindows>([this] {
        TlibraryWindowsSetup setup;
        setup.Library = Fform.JukeboxList();
        setup.Player = Fform.Controller().Player();
        setup.Owner = &Fform;
        setup.CartridgeFolder = Fform.Folders().CartridgesFolder();
        setup.Progress = Fform.ProgressWindow();
        // The stacker's cartridge buttons run the window's own cartridge actions.
        auto run = [this](const char* action) { return [this, action] { Fform.RunAction(action); }; };
        setup.AddCartridge = run("actnStackerAddCartridge");
        setup.LoadCartridge = run("actnStackerLoadCartridge");
        setup.SaveCartridge = run("actnStackerSaveCartridge");
        // The stacker window wears the skin's list fonts and colours, its scroll bar and
        // the lists' node images.
        TfontContainer& lists = Fform.Skin().FontStores().Lists();
        setup.Skin = &lists;
        setup.ListColor = ListColor(lists, lcBackground);
        setup.ScrollBarSkin = Fform.Skin().TemplateScrollBar();
        setup.TreeImages = &ListIcons();
        if (Fform.HasLayout()) setup.MissingArtist = Fform.Layout().TrackListDisplay.UnknownArtistString();
        return setup;
    });
    // A slot edited on its own takes its choices from this window's library.
    SetSlotEditorJukebox([this]() -> const TcustomJukebox* {
        return Fform.JukeboxList() ? Fform.JukeboxList()->Jukebox() : nullptr;
    });
}

TwindowEntries::~TwindowEntries() { SetSlotEditorJukebox({}); }

void TwindowEntries::ShowScreenSaver()
{
    TfrmScreenSaver& saver = ScreenSaverForm();
    const TdisplaySettings& s = Form().Settings();
    saver.SetPlayer(Form().Controller().Player());
    // The skin's screen saver fonts; the saver's own when the skin gives none.
    const TfontContainer* fonts = &Form().Skin().FontStores().ScreenSaver();
    saver.SetFontContainer(fonts->Items().Count() > 0 ? fonts : &DefaultScreenSaverFonts());
    saver.SetApplicationTitle(qApp->applicationName().toStdString());
    saver.SetImageScale(s.ImageSize);
    saver.UseRandomImages = s.UseRandomImages;
    saver.RandomImagesFolder = s.RandomImagesFolder;
    saver.UseMinutes = s.UseMinutes;
    saver.SetSlideShow(s.SlideShow);
    saver.SetSlideShowInterval(s.SlideShowTimeout);
    saver.SetShowClock(s.ShowClock);
    saver.TrackSource = [this] { return Form().Controller().CurrentTrack(); };
    saver.UpdateTrackDisplay(Form().Controller().CurrentTrack(), "", 1, s.CoverArtFolder);
    KeepAboveOwner(saver);
    saver.ShowSaver();
}

void TwindowEntries::ShowPreferences(const std::string& page)
{
    TprefsRec rec;
    GetGeneralSettings(Form(), rec);
    if (tunecrest::ShowPreferences(rec, page)) SetGeneralSettings(Form(), rec);
}

void TwindowEntries::ShowTips()
{
    TdisplaySettings& settings = Form().Settings();
    TmyTipDialog dialog;
    GetTipTexts(dialog.Tips, qApp->applicationName().toStdString());
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

void TwindowEntries::LoadWindowSettings(const TiniFile& ini) { FlibraryWindows->LoadSettings(ini); }

void TwindowEntries::SaveWindowSettings(TiniFile& ini) { FlibraryWindows->SaveSettings(ini); }

void TwindowEntries::ShowShortcutList()
{
    ShowShortcuts(ShortcutEntries(Form().Actions()), Form().GetWindowClassName());
}

void TwindowEntries::ShowViewSettings()
{
    // One road for the menu, the action and this entry: the window edits and applies.
    Form().ShowViewOptions();
}

void TwindowEntries::EditInternetRadio()
{
    if (TcustomlocalJukeboxList* library = Form().JukeboxList()) EditURLs(&library->URLList());
}

bool TwindowEntries::ScreenSaverVisible() { return ScreenSaverFormExists() && ScreenSaverForm().isVisible(); }

void TwindowEntries::CloseScreenSaver()
{
    if (ScreenSaverFormExists()) ScreenSaverForm().CloseSaver();
}

void TwindowEntries::ShowSongSearch(int mode) {
    TcustomlocalJukeboxList* list = Form().JukeboxList();
    if (!list) return;
    TguardedSongQueue queue(*list, Form().Guards());
    queue.PlayNext = [this] { Form().PlayerNext(); };
    queue.ShowStatus = [this](const std::string& text) { Form().ShowStatus(text); };
    // The search mode the person left is kept in the settings for the next run too.
    tunecrest::ShowSongSearch(list, &queue, mode, Form().Settings().SongSearchMode);
}

void TwindowEntries::ShowMediaSearch(TcustomJukeboxList& library, bool allowStop, bool fullRescan,
                                     std::function<void(const std::string&)> status, std::function<void()> finished) {
    // The window shows the scan's progress itself; the caller hears when it is over.
    (void)status;
    tunecrest::ShowMediaSearch(&library, allowStop, fullRescan);
    if (finished) finished();
}

bool TwindowEntries::EditMediaSearchOptions(TcustomJukeboxList& library, bool& advanced) {
    bool scanned = false;
    tunecrest::EditMediaSearchOptions(&library, advanced, &scanned);
    return scanned;
}

void TwindowEntries::ShowHistory(TcustomJukeboxList& library) {
    tunecrest::ShowHistory(dynamic_cast<TcustomlocalJukeboxList*>(&library));
}

void TwindowEntries::ShowJukeboxInfo(TcustomJukeboxList& library) {
    tunecrest::ShowJukeboxInfo(dynamic_cast<TcustomlocalJukeboxList*>(&library));
}

int TwindowEntries::SelectString(const std::string& caption, const std::vector<std::string>& items,
                                 int selected) {
    const std::string preselected = selected >= 0 && selected < int(items.size()) ? items[size_t(selected)] : "";
    std::string picked;
    bool ok = false;
    tunecrest::SelectString(&items, caption, preselected, picked, ok);
    if (!ok) return -1;
    const auto found = std::find(items.begin(), items.end(), picked);
    return found == items.end() ? -1 : int(found - items.begin());
}

void TwindowEntries::ShowAbout() {
    if (!Fabout) Fabout = std::make_unique<TfrmTunecrestAbout2>();
    if (Fabout->isVisible()) return;
    KeepAboveOwner(*Fabout);
    Fabout->ShowAbout();
}

}  // namespace tunecrest
