#pragma once
// The media search window: the library's audio and video folders, the file masks for
// untagged files, the lists of files to import, and the scan with its progress. It runs
// as a scan window that scans at once and closes (ShowMediaSearch) or as an options
// dialog (EditMediaSearchOptions). The scan itself runs on a worker (TmediaScan); the
// window only shows its progress and can stop it, which leaves the library unchanged.
#include <QDialog>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTabBar;
class QTabWidget;

namespace tunecrest {

class TcustomJukeboxList;
class TmediaScan;
class TmyStringList;
struct TmediaScanProgress;

enum class TscanChoice { All, Selected, SubFolder };

class TfrmMusicSearch : public QDialog {
  public:
    explicit TfrmMusicSearch(QWidget* parent = nullptr);
    ~TfrmMusicSearch() override;

    // Fills the controls from the library (the video page and tabs only with video support).
    void BindLibrary(TcustomJukeboxList* library);
    // Advanced shows "Scan Selected", "Scan Sub Folder" and the options and clears "Full
    // Rescan"; simple hides them and checks it. Both check "Close when finished".
    void SetAdvanced(bool advanced);
    bool Advanced() const;
    void SetAllowStop(bool allow) { FallowStop = allow; }
    void SetAutoRun(bool on) { FautoRun = on; }
    // The mask settings from the controls into the library's lists.
    void ApplyOptions();
    // Starts a scan of the folder tab's kind; false when none started.
    bool RunScan(TscanChoice choice);
    void StopScan();
    bool Scanning() const;
    // The audio scan, then (unless stopped) the video scan; then the window closes.
    void RunAutomatically();
    bool ScanFinished() const { return FscanFinished; }
    bool LastScanCompleted() const { return FlastCompleted; }
    TmediaScan* Scan() const { return Fscan.get(); }

    // Folder and import list operations.
    void AddFolder();
    void DeleteFolder();
    void ClearFolders();
    void AddImportFiles();
    void DeleteImportFile();

    // Where folders and files are chosen; tests replace them.
    std::function<std::optional<std::string>(const std::string& title, const std::string& start)>
        ChooseFolder;
    std::function<std::vector<std::string>(const std::string& title, const std::string& filter)> ChooseFiles;

    QTabWidget* pcMain;
    QWidget* tsMediaSearch;
    QWidget* tsFileMasks;
    QWidget* tsScan;
    QWidget* tsImports;
    QTabBar* tcFolders;
    QListWidget* clbFolders;
    QPushButton* btnAdd;
    QPushButton* btnDelete;
    QPushButton* btnClear;
    QPushButton* btnScanAll;
    QPushButton* btnScanSelected;
    QPushButton* btnScanSubFolder;
    QCheckBox* cbAdvanced;
    QGroupBox* gbOptions;
    QCheckBox* cbRemoveMissing;
    QCheckBox* cbFullRescan;
    QCheckBox* cbCloseWhenFinished;
    QGroupBox* gbAudioMask;
    QCheckBox* cbUseAudioMask;
    QLineEdit* edAudioMask;
    QCheckBox* cbAlbumFromParent;
    QCheckBox* cbArtistFromParent;
    QCheckBox* cbOverrideTags;
    QGroupBox* gbVideoMask;
    QLineEdit* edVideoMask;
    QCheckBox* cbGenreFromParent;
    QGroupBox* gbSearching;
    QLabel* lblCurrentDir;
    QLabel* lblNewFiles;
    QLabel* lblModifiedFiles;
    QLabel* lblAction;
    QLabel* lblProgress;
    QProgressBar* pbScan;
    QPushButton* btnStop;
    QTabBar* tcImports;
    QListWidget* lbImports;
    QPushButton* btnAddFile;
    QPushButton* btnDeleteFile;
    QPushButton* btnClose;

  protected:
    void closeEvent(QCloseEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void reject() override;

  private:
    bool VideoTab() const;
    TmyStringList* CurrentFolders() const;
    TmyStringList* CurrentImports() const;
    void FillFolders();
    void FillImports();
    void SetScanView(bool scanning);
    void ShowProgress(const TmediaScanProgress& progress);
    void ScanDone(bool completed);
    void CloseWhenFree();

    TcustomJukeboxList* Flibrary = nullptr;
    std::unique_ptr<TmediaScan> Fscan;
    bool FallowStop = true;
    bool FautoRun = false;
    bool FrunningAutomatically = false;
    bool FautoVideoPending = false;
    bool FscanFinished = false;
    bool FlastCompleted = false;
};

// Scans the audio folders, then the video folders, with the simple options, and closes.
// `allowStop` enables "Stop Scan"; `fullRescan` replaces the lists by what the scan finds
// (the simple options' default) instead of adding to them. True when every scan completed.
bool ShowMediaSearch(TcustomJukeboxList* library, bool allowStop, bool fullRescan = true);
// The options dialog; `advanced` in and out is the state of "Show Advanced Options".
// `scanCompleted`, when given, tells whether the last scan run in the window completed.
void EditMediaSearchOptions(TcustomJukeboxList* library, bool& advanced, bool* scanCompleted = nullptr);

}  // namespace tunecrest
