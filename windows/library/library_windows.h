#pragma once
// The library windows of the program (playlist editor, stacker window, playlist
// display) and the album picker, as the main window reaches them. Each long-lived
// window is made on first use, bound to the library's jukebox, and from then on follows
// the library's and the jukebox's change events: a new global list rebuilds the trees,
// a changed collection refills it, a changed playlist or stacker refreshes what shows
// it, a newly activated playlist is selected and displayed.
#include <functional>
#include <memory>
#include <string>

#include "core/library/album_artist_groupings.h"
#include "core/display/color.h"

class QWidget;

namespace tunecrest {

class TcustomlocalJukeboxList;
class TcustomMediaPlayer;
class TfrmAbout2;
class TfrmNewPlaylistEditor;
class TfrmPlaylist;
class TfrmStackerList;
class TfontContainer;
class TiniFile;
class TimageList;
class TmySkinScrollBar;

// What the main window hands over when a window is first made.
struct TlibraryWindowsSetup {
    TcustomlocalJukeboxList* Library = nullptr;
    TcustomMediaPlayer* Player = nullptr;
    TfrmAbout2* Progress = nullptr;
    QWidget* Owner = nullptr;
    std::string CartridgeFolder;
    std::string MissingArtist;
    TColor ListColor = clBlack;
    // The stacker window's skin: its fonts and colours, its scroll bars, its node images.
    const TfontContainer* Skin = nullptr;
    const TmySkinScrollBar* ScrollBarSkin = nullptr;
    const TimageList* TreeImages = nullptr;
    // The cartridge actions of the main window; empty ones hide their buttons.
    std::function<void()> AddCartridge, LoadCartridge, SaveCartridge;
};

class TlibraryWindows {
  public:
    explicit TlibraryWindows(std::function<TlibraryWindowsSetup()> setup);
    ~TlibraryWindows();
    TlibraryWindows(const TlibraryWindows&) = delete;
    TlibraryWindows& operator=(const TlibraryWindows&) = delete;

    TfrmNewPlaylistEditor& Editor();
    TfrmStackerList& Stacker();
    TfrmPlaylist& Display();
    bool HasEditor() const { return bool(Feditor); }
    bool HasStacker() const { return bool(Fstacker); }
    bool HasDisplay() const { return bool(Fdisplay); }

    void ShowEditor();
    // The stacker window is shown modally.
    void ShowStacker();
    void ShowDisplay();
    // The layouts of the playlist editor ("PlaylistEditor") and the stacker window
    // ("Stacker"): read at start-up (the windows are made then), written at close.
    void LoadSettings(const TiniFile& ini);
    void SaveSettings(TiniFile& ini) const;
    // The album picker over the library; true only with an album chosen.
    bool ChooseAlbum(bool showCDLists, TaudioTagAlbumPtr& album);

  private:
    void Bind();
    void HookEvents(TcustomlocalJukeboxList& library);

    std::function<TlibraryWindowsSetup()> Fsetup;
    TcustomlocalJukeboxList* Fhooked = nullptr;
    std::shared_ptr<bool> Falive = std::make_shared<bool>(true);
    std::unique_ptr<TfrmNewPlaylistEditor> Feditor;
    std::unique_ptr<TfrmStackerList> Fstacker;
    std::unique_ptr<TfrmPlaylist> Fdisplay;
};

}  // namespace tunecrest
