#pragma once
// The program's dialog entries: the windows of the windows/ folder behind the main
// window's entry points. Each window that exists overrides its entry here; the rest keep
// the defaults of TdialogEntries ("not available yet").
#include <memory>
#include <string>
#include <vector>

#include "mainwindow/dialog_entries.h"
#include "windows/dialogs/help_viewer.h"
#include "windows/dialogs/shortcut_list.h"

namespace tunecrest {

class TfrmBaseJukebox;
class TlibraryWindows;
class TactionList;
class TfrmTunecrestAbout2;

class TwindowEntries : public TdialogEntries {
public:
    explicit TwindowEntries(TfrmBaseJukebox& form);
    ~TwindowEntries() override;

    // The preferences on the "General" or "ScreenSaver" page; OK applies them.
    void ShowPreferences(const std::string& page) override;
    // The screen saver, set up from the window's "ScreenSaver" settings and player.
    bool HasScreenSaver() override { return true; }
    void ShowScreenSaver() override;
    bool ScreenSaverVisible() override;
    void CloseScreenSaver() override;

    // The countdown dialog, shown modally; its answer goes to `done`.
    void StartCountdown(QWidget* owner, int totalMs, const std::string& caption, const std::string& groupCaption,
                        const std::string& message, std::function<void(int)> done) override;
    void ShowReports(TcustomJukeboxList& library, const std::string& reportsFolder,
                     const std::string& reportsIni) override;
    void ConfigurePlugins(std::string& folder) override;
    bool EditViewSettings(uint32_t* modes, TtagListDisplaySettings* trackList, TtagListDisplaySettings* queueList,
                          int& yearMode, TformatStringContainer* formats, int& across, int& down) override;
    void ShowActionButtonPad(TactionButtonPad& pad) override;
    bool EditLaunchers(TappLauncherList& list, const std::string& caption) override;
    void ShowPlaylistEditor() override;
    void ShowPlaylistDisplay() override;
    void ShowStackerList() override;
    bool ChooseAlbum(bool showCDLists, TaudioTagAlbumPtr& album) override;
    TlibraryWindows& LibraryWindows() { return *FlibraryWindows; }

    void ShowTips() override;
    // The playlist editor's and the stacker window's layouts.
    void LoadWindowSettings(const TiniFile& ini) override;
    void SaveWindowSettings(TiniFile& ini) override;
    void ShowHelp() override;
    void ShowShortcutList() override;
    void ShowViewSettings() override;
    void EditInternetRadio() override;
    TmyHH& Help() { return *Fhelp; }
    // The touch song search; the next search starts in the mode the last one ended in.
    void ShowSongSearch(int mode) override;
    // The media search window scanning at once, the history list and the information.
    void ShowMediaSearch(TcustomJukeboxList& library, bool allowStop, bool fullRescan,
                         std::function<void(const std::string&)> status, std::function<void()> finished) override;
    bool EditMediaSearchOptions(TcustomJukeboxList& library, bool& advanced) override;
    void ShowHistory(TcustomJukeboxList& library) override;
    void ShowJukeboxInfo(TcustomJukeboxList& library) override;
    // The skinned pick-one list; the answer is the index of the picked item.
    int SelectString(const std::string& caption, const std::vector<std::string>& items, int selected) override;
    // The about box of the program, made on first use.
    void ShowAbout() override;
    TfrmTunecrestAbout2* AboutBox() const { return Fabout.get(); }

protected:
    TfrmBaseJukebox& Form() { return Fform; }

private:
    TfrmBaseJukebox& Fform;
    std::unique_ptr<TlibraryWindows> FlibraryWindows;
    std::unique_ptr<TmyHH> Fhelp;
    std::unique_ptr<TfrmTunecrestAbout2> Fabout;
};

// Every action with a shortcut or a command message, as the shortcut list shows them.
std::vector<TshortcutEntry> ShortcutEntries(TactionList& actions);
// The help file: "tunecrest.html" in the root's Docs folder, else in the shipped one.
std::string HelpFileName(const std::string& docsFolder, const std::string& shippedDocsFolder);

// Installs the program's entries on `form`, gives core its windows, and runs the
// entries from the actions that open them when nothing else handles those actions.
void InstallWindowEntries(TfrmBaseJukebox& form);

}  // namespace tunecrest
