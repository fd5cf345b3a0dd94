#pragma once
// The settings dialogs of the two player engines: the in-process engine's video output
// (monitor, automatic full screen, sound card) and the outside-player engine's (volume,
// program folder, restart, who plays video, and the same video settings). The engines
// call them through their dialog hooks; InstallPlayerSettingsDialogs sets those hooks.
#include <QDialog>
#include <QPointer>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QFormLayout;
class QGroupBox;
class QLayout;
class QLineEdit;
class QPushButton;
class QScrollBar;
class QTabWidget;
class QWidget;

namespace tunecrest {

class TcustomVideoPlayer;
class TdshowPlayer;
class TwinampMediaPlayer;

// What the video settings offer: the monitors and the audio outputs by name.
struct TvideoDeviceLists {
    std::vector<std::string> Monitors;
    std::vector<std::string> SoundCards;
};

// The system's monitors, and its audio outputs after the entry for the default output
// (the name a video output holds until a card is chosen).
TvideoDeviceLists CurrentVideoDeviceLists();

// What both dialogs share: the monitor, automatic full-screen and sound-card controls
// and the OK and Cancel buttons, made here and laid out by each dialog.
class TplayerSettingsDialog : public QDialog {
  public:
    QComboBox* cboMonitor;
    QCheckBox* cbAutoFullScreen;
    QComboBox* cboVideoSoundCard;
    QPushButton* btnOK;
    QPushButton* btnCancel;

  protected:
    explicit TplayerSettingsDialog(QWidget* parent);

    // The buttons, right-aligned, for the bottom of the dialog.
    QLayout* ButtonRow();
    // The three video controls with their labels, one row each.
    void AddVideoRows(QFormLayout* form);
    void FillLists(const TvideoDeviceLists& lists);
    // Shows the output's choices; without an output the first monitor is selected.
    // A monitor out of the list's range shows the first one.
    void ShowVideoSettings(const TcustomVideoPlayer* video);
    // Hands the choices to the output. A sound card that was not in the list when the
    // dialog opened (nothing selected) leaves the output's card as it is.
    void ApplyVideoSettings(TcustomVideoPlayer& video) const;
    // Runs the OK work; a failure is shown and keeps the dialog open, since no
    // exception may leave the event loop.
    bool ApplySafely(const std::function<void()>& work);
};

// Settings of the in-process engine, created for one showing.
class TfrmDShowPlayer : public TplayerSettingsDialog {
  public:
    explicit TfrmDShowPlayer(QWidget* parent = nullptr);

    // Fills the lists and shows the attached video output's choices.
    void Open(TdshowPlayer& player, const TvideoDeviceLists& lists);
    // OK: every video output of the engine takes the choices, then the dialog closes.
    void accept() override;

  private:
    TdshowPlayer* Fplayer = nullptr;
};

// Settings of the outside-player engine.
class TfrmWinampConfig : public TplayerSettingsDialog {
  public:
    static constexpr const char* kNoPlayer = "No valid player assigned.";
    static constexpr const char* kLocateTitle = "Locate the Winamp Folder";

    explicit TfrmWinampConfig(QWidget* parent = nullptr);

    // Shows the engine's settings; without an engine says so.
    void Open(TwinampMediaPlayer* player, const TvideoDeviceLists& lists);
    // OK: folder, video choice, restart and the video output's settings go to the
    // engine; without an engine says so and changes nothing.
    void accept() override;
    // The "..." button: asks for the folder and puts the answer in the edit.
    void BrowseFolder();

    // Asks for a folder (title, folder to start in); nullopt when cancelled. A folder
    // dialog unless replaced.
    std::function<std::optional<std::string>(const std::string& title, const std::string& start)>
        ChooseFolder;

    QTabWidget* pcSettings;
    QGroupBox* gbPlayer;
    QScrollBar* sbVolume;
    QGroupBox* gbWinamp;
    QLineEdit* edWinampFolder;
    QPushButton* btnBrowse;
    QCheckBox* cbUseWinampVideo;
    QCheckBox* cbAutoRelaunch;
    QGroupBox* gbVideo;

  private:
    void UpdateVideoGroup();

    TwinampMediaPlayer* Fplayer = nullptr;
};

// Makes both engines show these dialogs (modal, over `parent` when it is still there).
// `run` shows a dialog modally (the program's runs it over its window in the skin's look);
// none runs QDialog::exec.
void InstallPlayerSettingsDialogs(QWidget* parent = nullptr, std::function<void(QDialog&)> run = {});

}  // namespace tunecrest
