#pragma once
// The windows the main window opens that are built elsewhere (preferences, tips, song
// search, playlist editor and display, screen saver, the pick-one question). Each entry
// has a default that says plainly the window is not available yet, or answers without
// a person; the program replaces entries as those windows arrive.
#include <string>
#include <vector>

#include "core/album_artist_groupings.h"

namespace tunecrest {

class TactionButtonPad;
class TappLauncherList;

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
    virtual void ShowReports();
    // The tag-reader plug-in folder.
    virtual void ConfigureTagPlugins();
    // A scheduled action that a person may skip within `totalMs`: 1 runs it, 2 skips it.
    // The default asks nobody and runs it.
    virtual int RunCountdown(int totalMs, const std::string& caption, const std::string& groupCaption,
                             const std::string& message);
    // The action button pad on the actions of `pad`.
    virtual void ShowActionButtonPad(TactionButtonPad& pad);
    // The programs started at start-up or at close, under `caption`; true when the user
    // confirmed changes.
    virtual bool EditLaunchers(TappLauncherList& list, const std::string& caption);
    // Pick one of `items` under `caption`; -1 when cancelled. The default asks yes/no
    // about the preselected item through the installed prompt.
    virtual int SelectString(const std::string& caption, const std::vector<std::string>& items, int selected);
};

}  // namespace tunecrest
