#pragma once
// The preferences dialog ("Preferences") on a settings record: pages "General" (cover
// art, exit, on-screen keyboards, interface, back button), "ScreenSaver" and "Artists"
// (artist name mappings). The keyboard and click settings go straight to the global
// preferences and the mappings to the library's artist grouping, both on OK only.
#include <QDialog>
#include <string>

#include "windows/settings/prefs_rec.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;
class QTabWidget;

namespace tunecrest {

// Whether the screen saver settings are usable: the saver is enabled or a cover-art
// click starts it.
bool ScreenSaverActive(bool enabled, int coverArtClick);

class TfrmPreferences : public QDialog {
public:
    TfrmPreferences(const TprefsRec& rec, const std::string& page, QWidget* parent = nullptr);

    // The controls into `rec` (OK's work on the record).
    void ReadInto(TprefsRec& rec) const;
    // Enables the screen saver controls after the enable box, the click choice, the
    // type and the no-cover-art box.
    void UpdateScreenSaverControls();
    bool MappingsEdited() const { return FmappingsEdited; }
    std::vector<std::string> MappingLines() const;
    void AddStandardMap();
    void AddCustomMap();
    void EditMap();

    QTabWidget* pcPreferences;
    QWidget *tsGeneral, *tsScreenSaver, *tsArtists;
    // General
    QGroupBox* gbCoverArt;
    QLineEdit* edCoverArtFolder;
    QPushButton* btnCoverArtFolder;
    QCheckBox *cbCoverArtFolderFirst, *cbOnlyCoverArtFolder;
    QGroupBox* gbExit;
    QCheckBox *cbConfirmExit, *cbShutdownOnExit, *cbDefaultToShutdown;
    QGroupBox* gbKeyboards;
    QCheckBox* cbKeyboardsOn;
    QSpinBox* seKeySize;
    QGroupBox* gbInterface;
    QCheckBox *cbTrackMouse, *cbHideCursorWithMenu, *cbSingleClickMultiSelect;
    QSpinBox *seMenuHeight, *seClickDelay;
    QGroupBox* gbBackButton;
    QComboBox* cboBackButton;
    QCheckBox* cbScreenSaverOffDuringVideo;
    // ScreenSaver
    QCheckBox* cbScreenSaverEnabled;
    QSpinBox* seTimeout;
    QComboBox* cboCoverArtClick;
    QGroupBox* gbScreenSaverSettings;
    QSpinBox* seCoverArtSize;
    QComboBox* cboSaverType;
    QCheckBox* cbUseRandomImages;
    QGroupBox* pnlSlideShowFolder;
    QLineEdit* edRandomImagesFolder;
    QPushButton* btnRandomImagesFolder;
    QGroupBox* gbSlideShow;
    QSpinBox* seSlideTime;
    QComboBox* cboSlideTimeUnit;
    QCheckBox* cbShowClock;
    // Artists
    QListWidget *lbArtists, *lbMappings;
    QPushButton *btnStandardMap, *btnCustomMap, *btnEditMap, *btnDeleteMap, *btnClearMaps;
    QCheckBox *cbNoDuplicates, *cbMapThe;
    QPushButton *btnOK, *btnCancel;

private:
    void BuildGeneral();
    void BuildScreenSaver();
    void BuildArtists();
    void Fill(const TprefsRec& rec);
    void ChooseFolder(QLineEdit* edit, const char* title);

    bool FhasLibrary;
    bool FmappingsEdited = false;
};

// Opens the dialog on `rec` at `page` ("ScreenSaver", any letter case, or the general
// page). OK writes the record, the global preferences and (when edited) the library's
// mappings; True for OK.
bool ShowPreferences(TprefsRec& rec, const std::string& page);

}  // namespace tunecrest
