#pragma once
// The reports dialog: picks one of the library reports, lets it configure itself,
// chooses its output file and runs it with a progress display. The reports keep their
// output folder (and the media-library report its columns) in the reports settings file.
#include <memory>
#include <string>

#include "core/library/library_reports.h"
#include "windows/dialogs/dialog_form.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;

namespace tunecrest {

class TcustomJukeboxList;

// The output file a report gets when it is chosen: the reports folder and the file-name
// part of its current output, or, without one, its name and default extension there.
std::string ChosenReportOutput(const TjukeboxTagReport& report, const std::string& reportsFolder);
// The output a report runs into: its own, unless that has no file-name part or its folder
// does not exist; then its name with its own default extension in the reports folder.
std::string RunReportOutput(const TjukeboxTagReport& report, const std::string& reportsFolder);

class TfrmReports : public TfrmPlainDialog {
public:
    explicit TfrmReports(QWidget* parent = nullptr);

    void SetLibrary(TcustomJukeboxList* library, const std::string& reportsFolder);
    TjukeboxTagReportList& Reports() { return *Freports; }
    // The report of the selected row (nullptr without one).
    TjukeboxTagReportPtr Selected() const;
    bool Running() const { return Frunning; }

    void ReportClicked();
    void BrowseClick();
    void ConfigureClick();
    void RunClick();

    QListWidget* lbReports;
    QPlainTextEdit* memoDescription;
    QLineEdit* edOutputFile;
    TmySkinButton* btnBrowse;
    TmySkinButton* btnConfigure;
    TmySkinButton* btnRun;
    QProgressBar* pbProgress;
    QLabel* lblProgress;
    TmySkinButton* btnClose;

protected:
    void showEvent(QShowEvent* e) override;
    void done(int result) override;

private:
    void UpdateControls();
    void Progress(int index, int count);

    std::unique_ptr<TjukeboxTagReportList> Freports;
    TcustomJukeboxList* Flibrary = nullptr;
    std::string FreportsFolder;
    bool Frunning = false;
};

// Shows the dialog over `library`; `settingsFile` (may be empty) keeps the reports'
// settings between runs.
void ShowReports(TcustomJukeboxList* library, const std::string& reportsFolder, const std::string& settingsFile);

}  // namespace tunecrest
