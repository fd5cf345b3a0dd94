#pragma once
// The main window as four layers: TfrmBaseJukebox (construction, settings, start-up and
// close-down, player and jukebox events, idle timer), TfrmBaseLocalJukebox (the local
// library), TfrmCustomTunecrest (the player engine and the product title) and
// TfrmTunecrestMain (the window class name). The logic lives in the owned plain
// classes; the window delegates and shows.
#include <QTimer>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "core/jukebox_list.h"
#include "core/jukebox_loader.h"
#include "mainwindow/dialog_entries.h"
#include "mainwindow/display_settings.h"
#include "mainwindow/idle_monitor.h"
#include "mainwindow/jukebox_folders.h"
#include "mainwindow/playback_controller.h"
#include "skin/touch_list_box.h"

class QLabel;

namespace tunecrest {

class TiniFile;
class TfrmAbout2;
class TmySkinButton;
class TmySkinPanel;
class TmySkinScrollBar;
class TtouchListBox;
class TskinnedControl;

// Counts user input on every window of the application for the idle monitor.
class TinputActivityFilter : public QObject {
public:
    explicit TinputActivityFilter(TidleMonitor& monitor) : Fmonitor(monitor) {}
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TidleMonitor& Fmonitor;
};

class TfrmBaseJukebox : public QWidget {
public:
    // `args` are the program's parameters; `programFolder` the folder of the program.
    TfrmBaseJukebox(std::vector<std::string> args, std::string programFolder);
    ~TfrmBaseJukebox() override;

    // The entry routine's operations, in the order it calls them.
    // The progress window that shows the start-up phases (the about box); none by default.
    void SetProgressWindow(TfrmAbout2* window) { Fprogress = window; }
    virtual QWidget* GetProgressForm();
    virtual void ShowProgressText(const std::string& text);
    virtual void ReadDisplaySettings();
    virtual void DoInitialise();
    virtual void HideProgress() {}
    virtual void PostInitialise();
    virtual std::string GetWindowClassName() const { return ""; }
    virtual void AskExitOrShutdown();
    virtual void WriteDisplaySettings();

    // Construction; the constructor of the most derived layer calls it.
    void FormCreate();
    bool Initialised() const { return Finitialised; }
    bool Closing() const { return Fcontroller.Closing(); }

    const TjukeboxFolders& Folders() const { return *Ffolders; }
    TdisplaySettings& Settings() { return Fsettings; }
    TsettingsStore& SettingsStore() { return *FsettingsStore; }
    TcustomlocalJukeboxList* JukeboxList() const { return Flist.get(); }
    TplaybackController& Controller() { return Fcontroller; }
    TidleMonitor& IdleMonitor() { return *FidleMonitor; }
    bool FirstRun() const { return FfirstRun; }
    // The windows built elsewhere; the program may install its own entries.
    void SetDialogEntries(std::unique_ptr<TdialogEntries> entries);
    TdialogEntries& DialogEntries() { return *Fdialogs; }

    // Colours of the skin and scheme: panel, buttons, text (TColor values).
    void ApplySkinColors(uint32_t panel, uint32_t button, uint32_t text);
    // Gives the window's skinned controls the templates of the skin in `folder` (the
    // folder holding skin.usk) and the skin's colours. Returns false, changing nothing,
    // when the folder holds no skin.usk.
    bool LoadSkin(const std::string& folder);
    // The skin the settings name (relative to the root's skins folder), else the
    // "Default" skin shipped beside the program; empty when neither exists.
    std::string SkinFolder() const;
    // The lines the queue list shows, in queue order.
    const std::vector<std::string>& QueueLines() const { return FqueueLines; }

    // Actions.
    void PlayerPlay();
    void PlayerStop();
    void PlayerPause();
    void PlayerNext();
    // The command line of this start or of a later one: files are queued in order.
    virtual void ProcessCommandLine(const std::vector<std::string>& lines);

    // The path to power off after close, set by the exit question.
    bool ShutdownRequested() const { return FshutdownRequested; }

protected:
    virtual void CreateFolders();
    virtual void CreateJukeboxList(std::unique_ptr<TcustomlocalJukeboxList>& list) { (void)list; }
    virtual void CreatePlayer(TcustomMediaPlayer*& player) { (void)player; }
    virtual void ReadPreferences(const TiniFile& ini);
    virtual void WritePreferences(TiniFile& ini);
    virtual void RefreshNowPlaying();
    virtual void QueueChanged();
    virtual void UpdateSongTitle();
    virtual void StartScreenSaver();
    void SetInitialised(bool on);
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void FormClose();
    // Runs one construction step; a failure is reported with the step's text and
    // construction goes on.
    template <typename Step>
    void Guard(const char* text, Step step);

    std::vector<std::string> Fargs;
    std::string FprogramFolder;
    bool FfirstRun = false;
    bool FiniExistedAtStartup = false;

private:
    void BuildLayout();
    std::vector<TskinnedControl*> SkinnedControls() const;
    void PaintQueueRow(int index, const QRect& rect, QPainter& canvas, TtouchListItemState state);
    void ApplyGeometry();
    void ScanWhenEmpty();

    std::unique_ptr<TjukeboxFolders> Ffolders;
    std::unique_ptr<TsettingsStore> FsettingsStore;
    TdisplaySettings Fsettings;
    std::unique_ptr<TcustomlocalJukeboxList> Flist;
    TcustomJukeboxListEvents FlistEvents;
    TcustomJukeboxLoader Floader;
    TplaybackController Fcontroller;
    std::unique_ptr<TidleMonitor> FidleMonitor;
    std::unique_ptr<TinputActivityFilter> FactivityFilter;
    std::unique_ptr<TdialogEntries> Fdialogs;
    TfrmAbout2* Fprogress = nullptr;
    QTimer FssTimer;
    QTimer FnextWait;
    bool Finitialised = false;
    bool FcloseAllowed = false;
    bool FshutdownRequested = false;
    bool FformClosed = false;
    QLabel* FnowPlaying = nullptr;
    QLabel* FstatusLine = nullptr;
    TmySkinPanel* FtopPanel = nullptr;
    TmySkinPanel* FbuttonPanel = nullptr;
    TtouchListBox* FqueueList = nullptr;
    TmySkinScrollBar* FqueueBar = nullptr;
    TmySkinButton* FplayButton = nullptr;
    TmySkinButton* FstopButton = nullptr;
    TmySkinButton* FnextButton = nullptr;
    std::vector<std::string> FqueueLines;
};

class TfrmBaseLocalJukebox : public TfrmBaseJukebox {
public:
    using TfrmBaseJukebox::TfrmBaseJukebox;
    void DoInitialise() override;

protected:
    void CreateFolders() override;
    void CreateJukeboxList(std::unique_ptr<TcustomlocalJukeboxList>& list) override;
    bool FlocalReady = false;
};

class TfrmCustomTunecrest : public TfrmBaseLocalJukebox {
public:
    using TfrmBaseLocalJukebox::TfrmBaseLocalJukebox;
    void DoInitialise() override;
    virtual std::string GetProductTitle() const { return "Tunecrest Audio System Professional"; }
    // "DSHOW" or "WINAMP": the command-line switch, else "PlayerType" of "Player".
    std::string PlayerType() const { return FplayerType; }

protected:
    void CreatePlayer(TcustomMediaPlayer*& player) override;
    std::string FplayerType = "DSHOW";
};

class TfrmTunecrestMain : public TfrmCustomTunecrest {
public:
    TfrmTunecrestMain(std::vector<std::string> args, std::string programFolder);
    std::string GetWindowClassName() const override { return "Tunecrest Main"; }
};

}  // namespace tunecrest
