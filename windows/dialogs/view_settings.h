#pragma once
// The view settings dialog: which branches the browse tree shows, years or decades, the
// text for a missing artist in the track and queue lists, the sort of albums without
// track numbers, the lists' format strings and the size of the cover-art matrix.
//
// Everything is edited on copies and handed back on OK only, the format strings too:
// "Set Defaults" resets the dialog's copy of the store, so Cancel undoes it as well.
// The store's OnResetDefaults handler is therefore called with that copy as sender and
// must reset the store it is given.
#include <string>
#include <vector>

#include "core/display/browse_tree.h"
#include "core/display/track_format.h"
#include "windows/dialogs/dialog_form.h"

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QRadioButton;
class QSpinBox;
class QTabWidget;

namespace tunecrest {

class TtagListDisplaySettings;

// The cover-art matrix: albums across and down.
struct TcoverMatrixSize {
    int XCount = 4;
    int YCount = 3;
};

class TfrmViewSettings : public TfrmPlainDialog {
public:
    explicit TfrmViewSettings(QWidget* parent = nullptr);

    // The check box of a display mode (nullptr for a mode without one).
    QCheckBox* ModeBox(TtreeviewDisplayModes mode) const;
    void SetModes(TtreeViewDisplayMode modes);
    // The set of checked mode boxes.
    TtreeViewDisplayMode Modes() const;
    // Genre and year boxes follow their parents: enabled only while the parent is
    // checked, unchecked when disabled.
    void ApplyDependencies();

    // The working copy of the format strings and the list showing them.
    TformatStringContainer& Formats() { return Fformats; }
    void FillFormatList();
    void UpdateClick();
    void SetDefaultsClick();

    QTabWidget* pcPages;
    QWidget* tsJukeboxView;
    QWidget* tsTrackList;
    QWidget* tsQueueList;
    QWidget* tsDisplayFormats;
    QWidget* tsCoverArt;
    QGroupBox* rgYearMode;
    QRadioButton* rbYears;
    QRadioButton* rbDecades;
    QLineEdit* edTrackUnknownArtist;
    QCheckBox* cbSortByFilename;
    QLineEdit* edQueueUnknownArtist;
    QListWidget* lbFormats;
    QLineEdit* edFormatString;
    TmySkinButton* btnUpdate;
    TmySkinButton* btnSetDefaults;
    QPlainTextEdit* memoFormatHelp;
    QSpinBox* seHorizontal;
    QSpinBox* seVertical;
    TmySkinButton* btnOK;
    TmySkinButton* btnCancel;

private:
    std::vector<std::pair<TtreeviewDisplayModes, QCheckBox*>> FmodeBoxes;
    TformatStringContainer Fformats;
};

// Returns True on OK. Each argument may be absent (nullptr): without display modes the
// "Jukebox View" page is hidden, without a cover matrix the "Cover Art View" page.
// `yearMode` is 0 for years, 1 for decades.
bool EditViewSettings(TtreeViewDisplayMode* modes, TtagListDisplaySettings* trackList,
                      TtagListDisplaySettings* queueList, int& yearMode, bool showRadio, bool showVideo,
                      TformatStringContainer* formats, TcoverMatrixSize* coverMatrix);

}  // namespace tunecrest
