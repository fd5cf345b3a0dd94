#pragma once
// The windows the main window opens that are built elsewhere (preferences, tips, song
// search, playlist editor and display, screen saver, the pick-one question). Each entry
// has a default that says plainly the window is not available yet, or answers without
// a person; the program replaces entries as those windows arrive.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/library/album_artist_groupings.h"

class QWidget;

namespace tunecrest {

class TcustomJukeboxList;
class TformatStringContainer;
class TtagListDisplaySettings;
class TmediaScan;
class TcountdownPanel;
class TactionButtonPad;
class TappLauncherList;
class TiniFile;

class TdialogEntries {
public:
    virtual ~TdialogEntries() = default;
    // The default message of an entry whose window does not exist yet.
    static std::string NotAvailableText(const std::string& window);

    virtual void ShowPreferences(const std::string& page);
    virtual void ShowTips();
    virtual void ShowAbout();
    virtual void ShowSongSearch(int mode);
    virtual void ShowPlaylistEditor();
    virtual void ShowPlaylistDisplay();
    // The stacker window (modal), and the album picker: true only with an album chosen.
    virtual void ShowStackerList();
    virtual bool ChooseAlbum(bool showCDLists, TaudioTagAlbumPtr& album);
    // The screen saver: shown, visible, closed. The default has none.
    virtual bool HasScreenSaver() { return false; }
    virtual void ShowScreenSaver() {}
    virtual bool ScreenSaverVisible() { return false; }
    virtual void CloseScreenSaver() {}
    virtual void ShowHelp();
    virtual void ShowShortcutList();
    // The view settings, applied on OK.
    virtual void ShowViewSettings();
    // The internet-radio stations of the library.
    virtual void EditInternetRadio();
    // The library changed: the playlist editor and stacker windows show it again.
    virtual void RefreshLibraryViews() {}
    // The windows that keep their own sections of settings.ini ("PlaylistEditor",
    // "Stacker") read them at start-up and write them at close.
    virtual void LoadWindowSettings(const TiniFile& ini) { (void)ini; }
    virtual void SaveWindowSettings(TiniFile& ini) { (void)ini; }
    // The action button pad on the actions of `pad`.
    virtual void ShowActionButtonPad(TactionButtonPad& pad);
    // The programs started at start-up or at close, under `caption`; true when the user
    // confirmed changes.
    virtual bool EditLaunchers(TappLauncherList& list, const std::string& caption);
    // Pick one of `items` under `caption`; -1 when cancelled. The default asks yes/no
    // about the preselected item through the installed prompt.
    virtual int SelectString(const std::string& caption, const std::vector<std::string>& items, int selected);

    // The media scan window: scans the library's audio folders (a full rescan empties the
    // library first) and closes. `status` gets progress texts, `finished` runs on the
    // main thread when the scan is over (also when stopped). The default scans on a
    // worker thread with its progress in `status` and never holds the screen
    // (default_media_scan.cpp); the scan window replaces it.
    virtual void ShowMediaSearch(TcustomJukeboxList& library, bool allowStop, bool fullRescan,
                                 std::function<void(const std::string&)> status, std::function<void()> finished);
    // The scan window as the options dialog of the media folders; `advanced` in and out is
    // its "Show Advanced Options". Answers whether a scan run in the window completed.
    // The default says the window is not available and answers false.
    virtual bool EditMediaSearchOptions(TcustomJukeboxList& library, bool& advanced);
    // A countdown the person may cancel before a scheduled action: `done` gets 1 when the
    // time ran out or "Run Now" was pressed, 2 for "Cancel". The default is a small skinned
    // panel over `owner` driven by a timer, never a nested event loop (countdown.cpp).
    virtual void StartCountdown(QWidget* owner, int totalMs, const std::string& caption,
                                const std::string& groupCaption, const std::string& message,
                                std::function<void(int)> done);
    // The play history of the jukebox, and the reports of the library (their settings in
    // `reportsIni`, their files in `reportsFolder`).
    virtual void ShowHistory(TcustomJukeboxList& library);
    // The figures of the library and the jukebox ("Information").
    virtual void ShowJukeboxInfo(TcustomJukeboxList& library);
    virtual void ShowReports(TcustomJukeboxList& library, const std::string& reportsFolder,
                             const std::string& reportsIni);
    // The tag-reader plug-in folder dialog: `folder` comes back as the loader's folder
    // after whatever the dialog did.
    virtual void ConfigurePlugins(std::string& folder);
    // The view settings dialog on the tree's display modes, both list display settings,
    // the year mode (0 years, 1 decades), the format strings and the cover matrix's cells
    // across and down; true on OK, with the arguments changed.
    virtual bool EditViewSettings(uint32_t* modes, TtagListDisplaySettings* trackList,
                                  TtagListDisplaySettings* queueList, int& yearMode, TformatStringContainer* formats,
                                  int& across, int& down);
    // The clock of the default countdown, in milliseconds; tests install their own.
    std::function<int64_t()> CountdownClock;

protected:
    std::shared_ptr<TmediaScan> Fscan;
    std::shared_ptr<TcountdownPanel> Fcountdown;
};

}  // namespace tunecrest
