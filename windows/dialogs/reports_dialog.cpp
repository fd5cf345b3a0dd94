#include "windows/dialogs/reports_dialog.h"

#include <filesystem>

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>

#include "core/library/album_artist_groupings.h"
#include "core/base/ini_file.h"
#include "core/library/jukebox_list.h"
#include "core/base/services.h"
#include "core/base/string_lists.h"
#include "core/base/text_utils.h"
#include "skin/component_owner.h"
#include "skin/modal_runner.h"
#include "skin/skin_button.h"

namespace fs = std::filesystem;

namespace tunecrest {

namespace {

std::string FileNamePart(const std::string& path) { return fs::path(path).filename().string(); }

std::string InFolder(const std::string& folder, const std::string& name) { return (fs::path(folder) / name).string(); }

std::string DefaultOutput(const TjukeboxTagReport& report, const std::string& reportsFolder)
{
    return InFolder(reportsFolder, report.GetName() + "." + report.GetDefaultExtension());
}

}  // namespace

std::string ChosenReportOutput(const TjukeboxTagReport& report, const std::string& reportsFolder)
{
    const std::string name = FileNamePart(report.FileName);
    return name.empty() ? DefaultOutput(report, reportsFolder) : InFolder(reportsFolder, name);
}

std::string RunReportOutput(const TjukeboxTagReport& report, const std::string& reportsFolder)
{
    const fs::path output(report.FileName);
    std::error_code ec;
    if (output.filename().empty() || !fs::is_directory(output.parent_path(), ec))
        return DefaultOutput(report, reportsFolder);
    return report.FileName;
}

TfrmReports::TfrmReports(QWidget* parent) : TfrmPlainDialog("Reports", parent), Freports(CreateReportList())
{
    setObjectName("frmReports");
    auto* grid = new QGridLayout();
    grid->setHorizontalSpacing(12);
    grid->addWidget(MakeLabel(Body(), "Available Reports"), 0, 0);
    grid->addWidget(MakeLabel(Body(), "Description"), 0, 1, 1, 2);
    lbReports = CreateComponent<QListWidget>(this, Body());
    lbReports->setObjectName("lbReports");
    lbReports->setFixedWidth(280);
    grid->addWidget(lbReports, 1, 0, 5, 1);
    memoDescription = CreateComponent<QPlainTextEdit>(this, Body());
    memoDescription->setObjectName("memoDescription");
    memoDescription->setReadOnly(true);
    grid->addWidget(memoDescription, 1, 1, 1, 2);
    grid->addWidget(MakeLabel(Body(), "Output File"), 2, 1, 1, 2);
    edOutputFile = CreateComponent<QLineEdit>(this, Body());
    edOutputFile->setObjectName("edOutputFile");
    edOutputFile->setReadOnly(true);
    grid->addWidget(edOutputFile, 3, 1);
    btnBrowse = MakeButton(Body(), "btnBrowse", "...", 72);
    grid->addWidget(btnBrowse, 3, 2);
    auto* actions = new QHBoxLayout();
    btnConfigure = MakeButton(Body(), "btnConfigure", "Con&figure", 150);
    btnRun = MakeButton(Body(), "btnRun", "&Run Report", 150);
    actions->addWidget(btnConfigure);
    actions->addWidget(btnRun);
    actions->addStretch(1);
    grid->addLayout(actions, 4, 1, 1, 2);
    auto* progress = new QHBoxLayout();
    pbProgress = CreateComponent<QProgressBar>(this, Body());
    pbProgress->setObjectName("pbProgress");
    pbProgress->setTextVisible(false);
    lblProgress = MakeLabel(Body(), "0/0");
    lblProgress->setObjectName("lblProgress");
    lblProgress->setMinimumWidth(110);
    progress->addWidget(pbProgress, 1);
    progress->addWidget(lblProgress);
    grid->addLayout(progress, 5, 1, 1, 2);
    grid->setColumnStretch(1, 1);
    BodyLayout()->addLayout(grid);
    btnClose = AddCloseButton("&Close");

    QObject::connect(lbReports, &QListWidget::currentRowChanged, this, [this] { ReportClicked(); });
    btnBrowse->OnClick = [this](TObject*) { BrowseClick(); };
    btnConfigure->OnClick = [this](TObject*) { ConfigureClick(); };
    btnRun->OnClick = [this](TObject*) { RunClick(); };
    Freports->OnProgress = [this](TObject*, int index, int count) { Progress(index, count); };
    resize(820, 520);
}

void TfrmReports::SetLibrary(TcustomJukeboxList* library, const std::string& reportsFolder)
{
    Flibrary = library;
    FreportsFolder = reportsFolder;
}

void TfrmReports::showEvent(QShowEvent* e)
{
    pbProgress->hide();
    lblProgress->hide();
    if (Flibrary) {
        for (int i = 0; i < Freports->Count(); ++i) {
            const TjukeboxTagReportPtr report = Freports->Items(i);
            report->ArtistList = &Flibrary->ArtistList();
            report->TrackList = &Flibrary->GlobalList();
        }
    }
    TmyStringList names;
    Freports->GetNames(names);
    const QSignalBlocker block(lbReports);
    lbReports->clear();
    for (int i = 0; i < names.Count(); ++i) {
        lbReports->addItem(QString::fromStdString(names.Strings(i)));
    }
    lbReports->setCurrentRow(-1);
    UpdateControls();
    TfrmPlainDialog::showEvent(e);
}

TjukeboxTagReportPtr TfrmReports::Selected() const
{
    const int row = lbReports->currentRow();
    if (row < 0) return nullptr;
    const std::string name = lbReports->item(row)->text().toStdString();
    for (int i = 0; i < Freports->Count(); ++i)
        if (Freports->Items(i)->GetName() == name) return Freports->Items(i);
    return nullptr;
}

void TfrmReports::ReportClicked()
{
    if (const TjukeboxTagReportPtr report = Selected(); report && Flibrary)
        report->FileName = ChosenReportOutput(*report, FreportsFolder);
    UpdateControls();
}

void TfrmReports::UpdateControls()
{
    const TjukeboxTagReportPtr report = Selected();
    btnConfigure->setEnabled(report != nullptr);
    btnRun->setEnabled(report != nullptr && !Frunning);
    edOutputFile->setEnabled(report != nullptr);
    btnBrowse->setEnabled(report != nullptr && Flibrary);
    edOutputFile->setText(report ? QString::fromStdString(FileNamePart(report->FileName)) : QString());
    memoDescription->setPlainText(report ? QString::fromStdString(report->GetDescription()) : QString());
}

void TfrmReports::BrowseClick()
{
    const TjukeboxTagReportPtr report = Selected();
    if (!report || !Flibrary) return;
    // The first description of the report's filter ("CSV Files (*.csv)").
    const std::string filter = report->GetFileFilter().substr(0, report->GetFileFilter().find('|'));
    std::optional<std::string> chosen = Prompt().ChooseSaveFile("Report Output File", filter, FreportsFolder);
    if (!chosen || chosen->empty()) return;
    if (fs::path(*chosen).extension().empty()) chosen->append(1, '.').append(report->GetDefaultExtension());
    report->FileName = *chosen;
    UpdateControls();
}

void TfrmReports::ConfigureClick()
{
    if (const TjukeboxTagReportPtr report = Selected()) report->Configure();
}

void TfrmReports::RunClick()
{
    const TjukeboxTagReportPtr report = Selected();
    if (!report || Frunning) return;
    report->FileName = RunReportOutput(*report, FreportsFolder);
    UpdateControls();
    pbProgress->setRange(0, 0);
    pbProgress->show();
    lblProgress->show();
    Frunning = true;
    btnRun->setEnabled(false);
    btnClose->setEnabled(false);
    std::string error;
    const bool written = report->Execute(&error);
    Frunning = false;
    pbProgress->hide();
    lblProgress->hide();
    btnClose->setEnabled(true);
    UpdateControls();
    if (!written) Prompt().ShowMessage(error, "Reports");
}

void TfrmReports::Progress(int index, int count)
{
    pbProgress->setRange(0, count);
    pbProgress->setValue(index + 1);
    lblProgress->setText(QString::fromStdString(Format("%d/%d", index + 1, count)));
    // Repaint the progress while the report runs; touches wait until it has finished.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TfrmReports::done(int result)
{
    if (Frunning) return;  // a close request waits for the report
    TfrmPlainDialog::done(result);
}

void ShowReports(TcustomJukeboxList* library, const std::string& reportsFolder, const std::string& settingsFile)
{
    TfrmReports form;
    form.SetLibrary(library, reportsFolder);
    std::unique_ptr<TiniFile> ini;
    if (!settingsFile.empty()) {
        ini = std::make_unique<TiniFile>(settingsFile);
        form.Reports().LoadSettings(*ini);
    }
    RunModal(form);
    if (ini) {
        form.Reports().SaveSettings(*ini);
        std::string error;
        if (!ini->UpdateFile(&error)) LogError(error);
    }
}

}  // namespace tunecrest
