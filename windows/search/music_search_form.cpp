#include "windows/search/music_search_form.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "core/library/jukebox_list.h"
#include "core/base/services.h"
#include "core/base/system_services.h"
#include "core/tags/tag_list_importers.h"
#include "core/base/text_utils.h"
#include "skin/modal_runner.h"
#include "windows/editors/editor_form.h"
#include "windows/search/media_scan.h"

namespace tunecrest {

namespace {

constexpr const char* kCdRefused = "You cannot add a CD to the scan list, CD-Roms are scanned automatically.";
constexpr const char* kAudioHelp = "%a : Artist\r\n%b : Album\r\n";
constexpr const char* kVideoHelp = "%t : Title\r\n%n : Track #\r\n%g : Genre";

// The editors' touch-sized buttons.
QPushButton* Button(QWidget* parent, const char* name, const char* caption) {
    return TouchButton(parent, name, caption);
}

QCheckBox* Check(QWidget* parent, const char* name, const char* caption) {
    auto* c = new QCheckBox(caption, parent);
    c->setObjectName(name);
    return c;
}

QLabel* Note(QWidget* parent, const QString& text) {
    auto* l = new QLabel(text, parent);
    l->setWordWrap(true);
    QFont f = l->font();
    f.setPointSizeF(f.pointSizeF() * 0.9);
    l->setFont(f);
    return l;
}

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

bool OnCdDrive(const std::string& folder) {
    for (const std::string& drive : SystemServices().ListCDDrives())
        if (!drive.empty() && folder.rfind(drive, 0) == 0) return true;
    return false;
}

}  // namespace

TfrmMusicSearch::TfrmMusicSearch(QWidget* parent) : QDialog(parent) {
    setObjectName("frmMusicSearch");
    setWindowTitle("Media Search");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    // Dressed for touch as the other editors: the skin's colours, finger-sized buttons,
    // rows and tabs, and the masks typed on the on-screen keyboard.
    StyleEditorDialog(*this);
    auto* layout = new QVBoxLayout(this);
    pcMain = new QTabWidget(this);
    pcMain->setObjectName("pcMain");
    layout->addWidget(pcMain, 1);

    // Media Search page.
    tsMediaSearch = new QWidget();
    tsMediaSearch->setObjectName("tsMediaSearch");
    auto* search = new QVBoxLayout(tsMediaSearch);
    tcFolders = new QTabBar(tsMediaSearch);
    tcFolders->setObjectName("tcFolders");
    tcFolders->addTab("Audio Folders");
    tcFolders->addTab("Video Folders");
    tcFolders->setMinimumHeight(kTouchHeight);
    search->addWidget(tcFolders);
    auto* folderRow = new QHBoxLayout();
    clbFolders = new QListWidget(tsMediaSearch);
    clbFolders->setObjectName("clbFolders");
    clbFolders->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    folderRow->addWidget(clbFolders, 1);
    auto* folderButtons = new QVBoxLayout();
    btnAdd = Button(tsMediaSearch, "btnAdd", "&Add");
    btnDelete = Button(tsMediaSearch, "btnDelete", "&Delete");
    btnClear = Button(tsMediaSearch, "btnClear", "&Clear");
    folderButtons->addWidget(btnAdd);
    folderButtons->addWidget(btnDelete);
    folderButtons->addWidget(btnClear);
    folderButtons->addStretch(1);
    folderRow->addLayout(folderButtons);
    search->addLayout(folderRow, 1);
    auto* scanRow = new QHBoxLayout();
    btnScanAll = Button(tsMediaSearch, "btnScanAll", "Scan All");
    btnScanSelected = Button(tsMediaSearch, "btnScanSelected", "Scan Selected");
    btnScanSubFolder = Button(tsMediaSearch, "btnScanSubFolder", "Scan Sub Folder");
    scanRow->addWidget(btnScanAll);
    scanRow->addWidget(btnScanSelected);
    scanRow->addWidget(btnScanSubFolder);
    search->addLayout(scanRow);
    cbAdvanced = Check(tsMediaSearch, "cbAdvanced", "Show Advanced Options");
    search->addWidget(cbAdvanced);
    gbOptions = new QGroupBox("Options", tsMediaSearch);
    gbOptions->setObjectName("gbOptions");
    auto* options = new QGridLayout(gbOptions);
    cbRemoveMissing = Check(gbOptions, "cbRemoveMissing", "Remove Missing Files");
    cbFullRescan = Check(gbOptions, "cbFullRescan", "Full Rescan *");
    cbCloseWhenFinished = Check(gbOptions, "cbCloseWhenFinished", "Close when finished");
    options->addWidget(cbRemoveMissing, 0, 0);
    options->addWidget(
        Note(gbOptions, " (use this if you have removed or moved files in your Music Folders)"), 0, 1);
    options->addWidget(cbFullRescan, 1, 0);
    options->addWidget(Note(gbOptions, " (use this if you have removed paths from your Music Folders List)"),
                       1, 1);
    options->addWidget(cbCloseWhenFinished, 2, 0);
    options->addWidget(Note(gbOptions, "* The full rescan applies only to \"Scan All\"."), 2, 1);
    search->addWidget(gbOptions);
    pcMain->addTab(tsMediaSearch, "Media Search");

    // File Masks page.
    tsFileMasks = new QWidget();
    tsFileMasks->setObjectName("tsFileMasks");
    auto* masks = new QVBoxLayout(tsFileMasks);
    gbAudioMask = new QGroupBox("Audio Folders Scan Mask", tsFileMasks);
    gbAudioMask->setObjectName("gbAudioMask");
    auto* audio = new QGridLayout(gbAudioMask);
    cbUseAudioMask =
        Check(gbAudioMask, "cbUseAudioMask", "Use File Mask for Untagged Files in the Audio Folders List");
    edAudioMask = new QLineEdit(gbAudioMask);
    edAudioMask->setObjectName("edAudioMask");
    UseKeyboardEntry(edAudioMask, "Audio Folders Scan Mask");
    cbAlbumFromParent = Check(gbAudioMask, "cbAlbumFromParent", "Get Album From Parent Folder");
    cbArtistFromParent = Check(gbAudioMask, "cbArtistFromParent", "Get Artist From Parent Folder");
    cbOverrideTags =
        Check(gbAudioMask, "cbOverrideTags", "Always use File Mask, even for tagged audio files");
    audio->addWidget(cbUseAudioMask, 0, 0, 1, 2);
    audio->addWidget(edAudioMask, 1, 0);
    audio->addWidget(Note(gbAudioMask, QString(kAudioHelp).replace("\r\n", "\n") +
                                           QString(kVideoHelp).replace("\r\n", "\n")),
                     1, 1, 4, 1);
    audio->addWidget(cbAlbumFromParent, 2, 0);
    audio->addWidget(cbArtistFromParent, 3, 0);
    audio->addWidget(cbOverrideTags, 4, 0);
    audio->addWidget(
        Note(gbAudioMask,
             "With both parent-folder options the album comes from the parent folder and the artist "
             "from the album's parent folder; with only \"Get Artist From Parent Folder\" the artist "
             "comes from the immediate parent folder."),
        5, 0, 1, 2);
    masks->addWidget(gbAudioMask);
    gbVideoMask = new QGroupBox("Video Folders Scan Mask", tsFileMasks);
    gbVideoMask->setObjectName("gbVideoMask");
    auto* video = new QGridLayout(gbVideoMask);
    video->addWidget(new QLabel("Mask to use for files in the Video Folders List", gbVideoMask), 0, 0);
    edVideoMask = new QLineEdit(gbVideoMask);
    edVideoMask->setObjectName("edVideoMask");
    UseKeyboardEntry(edVideoMask, "Video Folders Scan Mask");
    video->addWidget(edVideoMask, 1, 0);
    video->addWidget(Note(gbVideoMask, QString(kVideoHelp).replace("\r\n", "\n")), 0, 1, 3, 1);
    cbGenreFromParent = Check(gbVideoMask, "cbGenreFromParent", "Get Genre From Parent Folder");
    video->addWidget(cbGenreFromParent, 2, 0);
    masks->addWidget(gbVideoMask);
    masks->addStretch(1);
    pcMain->addTab(tsFileMasks, "File Masks");

    // Scan page.
    tsScan = new QWidget();
    tsScan->setObjectName("tsScan");
    auto* scan = new QVBoxLayout(tsScan);
    gbSearching = new QGroupBox("Searching ...", tsScan);
    gbSearching->setObjectName("gbSearching");
    auto* searching = new QVBoxLayout(gbSearching);
    lblCurrentDir = new QLabel("Current Dir :", gbSearching);
    lblCurrentDir->setObjectName("lblCurrentDir");
    lblNewFiles = new QLabel("New Files Found : 0", gbSearching);
    lblNewFiles->setObjectName("lblNewFiles");
    lblModifiedFiles = new QLabel("Modified Files Found : 0", gbSearching);
    lblModifiedFiles->setObjectName("lblModifiedFiles");
    lblAction = new QLabel("Action : None", gbSearching);
    lblAction->setObjectName("lblAction");
    lblProgress = new QLabel("Progress : 0/0", gbSearching);
    lblProgress->setObjectName("lblProgress");
    pbScan = new QProgressBar(gbSearching);
    pbScan->setObjectName("pbScan");
    pbScan->setRange(0, 1);
    pbScan->setValue(0);
    btnStop = Button(gbSearching, "btnStop", "Stop Scan");
    for (QWidget* w : std::initializer_list<QWidget*>{lblCurrentDir, lblNewFiles, lblModifiedFiles, lblAction,
                                                      lblProgress, pbScan})
        searching->addWidget(w);
    searching->addWidget(btnStop, 0, Qt::AlignHCenter);
    scan->addWidget(gbSearching);
    scan->addStretch(1);
    pcMain->addTab(tsScan, "Scan");

    // Imports page.
    tsImports = new QWidget();
    tsImports->setObjectName("tsImports");
    auto* imports = new QVBoxLayout(tsImports);
    tcImports = new QTabBar(tsImports);
    tcImports->setObjectName("tcImports");
    tcImports->addTab("Audio Files");
    tcImports->addTab("Video Files");
    tcImports->setMinimumHeight(kTouchHeight);
    imports->addWidget(tcImports);
    imports->addWidget(new QLabel("Files to Import", tsImports));
    auto* importRow = new QHBoxLayout();
    lbImports = new QListWidget(tsImports);
    lbImports->setObjectName("lbImports");
    importRow->addWidget(lbImports, 1);
    auto* importButtons = new QVBoxLayout();
    btnAddFile = Button(tsImports, "btnAddFile", "&Add File");
    btnDeleteFile = Button(tsImports, "btnDeleteFile", "&Delete File");
    importButtons->addWidget(btnAddFile);
    importButtons->addWidget(btnDeleteFile);
    importButtons->addStretch(1);
    importRow->addLayout(importButtons);
    imports->addLayout(importRow, 1);
    pcMain->addTab(tsImports, "Imports");

    auto* bottom = new QHBoxLayout();
    bottom->addStretch(1);
    btnClose = Button(this, "btnClose", "&Close");
    btnClose->setMinimumWidth(96);
    bottom->addWidget(btnClose);
    layout->addLayout(bottom);

    // Folders and import files are chosen through the program's prompt (the touch
    // chooser on the screen).
    ChooseFolder = [](const std::string& title, const std::string& start) {
        return Prompt().ChooseFolder(title, start);
    };
    ChooseFiles = [](const std::string& title, const std::string& filter) {
        return Prompt().ChooseOpenFiles(title, filter, "");
    };

    connect(tcFolders, &QTabBar::currentChanged, this, [this] { FillFolders(); });
    connect(tcImports, &QTabBar::currentChanged, this, [this] { FillImports(); });
    connect(btnAdd, &QPushButton::clicked, this, [this] { AddFolder(); });
    connect(btnDelete, &QPushButton::clicked, this, [this] { DeleteFolder(); });
    connect(btnClear, &QPushButton::clicked, this, [this] { ClearFolders(); });
    connect(btnScanAll, &QPushButton::clicked, this, [this] { RunScan(TscanChoice::All); });
    connect(btnScanSelected, &QPushButton::clicked, this, [this] { RunScan(TscanChoice::Selected); });
    connect(btnScanSubFolder, &QPushButton::clicked, this, [this] { RunScan(TscanChoice::SubFolder); });
    connect(cbAdvanced, &QCheckBox::toggled, this, [this](bool on) { SetAdvanced(on); });
    connect(btnStop, &QPushButton::clicked, this, [this] { StopScan(); });
    connect(btnAddFile, &QPushButton::clicked, this, [this] { AddImportFiles(); });
    connect(btnDeleteFile, &QPushButton::clicked, this, [this] { DeleteImportFile(); });
    connect(btnClose, &QPushButton::clicked, this, [this] {
        ApplyOptions();
        done(mrOk);
    });
    SetAdvanced(false);
    btnStop->setEnabled(false);
    resize(900, 640);
}

TfrmMusicSearch::~TfrmMusicSearch() = default;

void TfrmMusicSearch::BindLibrary(TcustomJukeboxList* library) {
    Flibrary = library;
    Fscan.reset();
    if (!library) return;
    Fscan = std::make_unique<TmediaScan>(*library);
    Fscan->OnProgress = [this](const TmediaScanProgress& p) { ShowProgress(p); };
    Fscan->OnFinished = [this](bool completed) { ScanDone(completed); };
    const bool video = library->VideoSupport();
    pcMain->setTabVisible(pcMain->indexOf(tsFileMasks), true);
    gbVideoMask->setVisible(video);
    tcFolders->setTabVisible(1, video);
    tcImports->setTabVisible(1, video);
    if (!video) {
        tcFolders->setCurrentIndex(0);
        tcImports->setCurrentIndex(0);
    }
    const TaudioTagList& global = library->GlobalList();
    const TaudioTagList& videoList = library->VideoList();
    edAudioMask->setText(Q(global.AudioFileMask()));
    edVideoMask->setText(Q(videoList.VideoFileMask()));
    cbUseAudioMask->setChecked(global.UseAudioFileMask());
    cbAlbumFromParent->setChecked(global.AlbumFromParentFolder());
    cbArtistFromParent->setChecked(global.ArtistFromParentFolder());
    cbOverrideTags->setChecked(global.OverrideTagInfo());
    cbGenreFromParent->setChecked(videoList.AlbumFromParentFolder());
    FillFolders();
    FillImports();
}

void TfrmMusicSearch::SetAdvanced(bool advanced) {
    if (cbAdvanced->isChecked() != advanced) cbAdvanced->setChecked(advanced);
    btnScanSelected->setVisible(advanced);
    btnScanSubFolder->setVisible(advanced);
    gbOptions->setVisible(advanced);
    btnScanAll->setText(advanced ? "Scan All" : "Run Scan");
    cbFullRescan->setChecked(!advanced);
    cbCloseWhenFinished->setChecked(true);
    cbRemoveMissing->setChecked(false);
}

bool TfrmMusicSearch::Advanced() const {
    return cbAdvanced->isChecked();
}

void TfrmMusicSearch::ApplyOptions() {
    if (!Flibrary) return;
    TaudioTagList& global = Flibrary->GlobalList();
    const std::string audioMask = edAudioMask->text().toStdString();
    global.SetUseAudioFileMask(cbUseAudioMask->isChecked());
    global.SetUseVideoFileMask(true);
    global.SetVideoFileMask(audioMask);
    global.SetAudioFileMask(audioMask);
    global.SetAlbumFromParentFolder(cbAlbumFromParent->isChecked());
    global.SetArtistFromParentFolder(cbArtistFromParent->isChecked());
    global.SetOverrideTagInfo(cbOverrideTags->isChecked());
    TaudioTagList& video = Flibrary->VideoList();
    const std::string videoMask = edVideoMask->text().toStdString();
    video.SetUseAudioFileMask(false);
    video.SetUseVideoFileMask(true);
    video.SetVideoFileMask(videoMask);
    video.SetAudioFileMask(videoMask);
    video.SetAlbumFromParentFolder(cbGenreFromParent->isChecked());
    video.SetArtistFromParentFolder(false);
}

bool TfrmMusicSearch::VideoTab() const {
    return tcFolders->currentIndex() == 1;
}

TmyStringList* TfrmMusicSearch::CurrentFolders() const {
    if (!Flibrary) return nullptr;
    return VideoTab() ? &Flibrary->VideoFolders() : &Flibrary->AudioFolders();
}

TmyStringList* TfrmMusicSearch::CurrentImports() const {
    if (!Flibrary) return nullptr;
    return tcImports->currentIndex() == 1 ? &Flibrary->VideoImportList() : &Flibrary->AudioImportList();
}

void TfrmMusicSearch::FillFolders() {
    clbFolders->clear();
    const TmyStringList* folders = CurrentFolders();
    if (!folders) return;
    for (int i = 0; i < folders->Count(); ++i) {
        auto* item = new QListWidgetItem(Q(folders->Strings(i)), clbFolders);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
}

void TfrmMusicSearch::FillImports() {
    lbImports->clear();
    if (const TmyStringList* files = CurrentImports())
        for (int i = 0; i < files->Count(); ++i) lbImports->addItem(Q(files->Strings(i)));
}

void TfrmMusicSearch::AddFolder() {
    TmyStringList* folders = CurrentFolders();
    if (!folders || !ChooseFolder) return;
    const auto folder = ChooseFolder(VideoTab() ? "Choose a Video Folder" : "Choose an Audio Folder", "");
    if (!folder || folder->empty()) return;
    if (OnCdDrive(*folder)) {
        Prompt().ShowMessage(kCdRefused, "Media Search");
        return;
    }
    folders->Add(*folder);
    FillFolders();
}

void TfrmMusicSearch::DeleteFolder() {
    TmyStringList* folders = CurrentFolders();
    const int row = clbFolders->currentRow();
    if (!folders || row < 0 || row >= folders->Count()) return;
    folders->Delete(row);
    FillFolders();
}

void TfrmMusicSearch::ClearFolders() {
    if (TmyStringList* folders = CurrentFolders()) folders->Clear();
    FillFolders();
}

void TfrmMusicSearch::AddImportFiles() {
    TmyStringList* files = CurrentImports();
    if (!files || !ChooseFiles) return;
    const auto importers = CreateImporterList();
    for (const std::string& file : ChooseFiles("Files to Import", importers->FileFilter())) files->Add(file);
    FillImports();
}

void TfrmMusicSearch::DeleteImportFile() {
    TmyStringList* files = CurrentImports();
    const int row = lbImports->currentRow();
    if (!files || row < 0 || row >= files->Count()) return;
    files->Delete(row);
    FillImports();
}

bool TfrmMusicSearch::Scanning() const {
    return Fscan && Fscan->Running();
}

bool TfrmMusicSearch::RunScan(TscanChoice choice) {
    ApplyOptions();
    if (!Flibrary || Scanning()) return false;
    const TmyStringList* folders = CurrentFolders();
    TmediaScanRequest request;
    request.Video = VideoTab();
    request.RemoveMissing = cbRemoveMissing->isChecked();
    switch (choice) {
        case TscanChoice::All:
            for (int i = 0; i < folders->Count(); ++i) request.Folders.push_back(folders->Strings(i));
            request.FullRescan = cbFullRescan->isChecked();
            break;
        case TscanChoice::Selected:
            for (int i = 0; i < clbFolders->count() && i < folders->Count(); ++i)
                if (clbFolders->item(i)->checkState() == Qt::Checked)
                    request.Folders.push_back(folders->Strings(i));
            break;
        case TscanChoice::SubFolder: {
            const int row = clbFolders->currentRow();
            if (row < 0 || row >= folders->Count() || !ChooseFolder) return false;
            const auto folder = ChooseFolder("Choose Folder", folders->Strings(row));
            if (!folder || folder->empty()) return false;
            request.Folders.push_back(*folder);
            break;
        }
    }
    FscanFinished = false;
    SetScanView(true);
    if (!Fscan->Start(request)) {
        SetScanView(false);
        return false;
    }
    return true;
}

void TfrmMusicSearch::StopScan() {
    if (Fscan) Fscan->Stop();
    btnStop->setEnabled(false);
}

void TfrmMusicSearch::SetScanView(bool scanning) {
    for (QWidget* page : {tsMediaSearch, tsFileMasks, tsImports})
        pcMain->setTabVisible(pcMain->indexOf(page), !scanning);
    pcMain->setTabVisible(pcMain->indexOf(tsScan), true);
    if (scanning) pcMain->setCurrentWidget(tsScan);
    for (QPushButton* b : {btnAdd, btnDelete, btnClear, btnScanAll, btnScanSelected, btnScanSubFolder,
                           btnAddFile, btnDeleteFile, btnClose})
        b->setEnabled(!scanning);
    btnStop->setEnabled(scanning && FallowStop);
    lblCurrentDir->setText("Current Dir :");
    lblNewFiles->setText("New Files Found : 0");
    lblModifiedFiles->setText("Modified Files Found : 0");
    lblAction->setText("Action : None");
    lblProgress->setText("Progress : 0/0");
    pbScan->setRange(0, 1);
    pbScan->setValue(0);
    if (!scanning) pcMain->setCurrentWidget(tsMediaSearch);
}

void TfrmMusicSearch::ShowProgress(const TmediaScanProgress& p) {
    // The folder is shortened in the middle to fit the group.
    const QFontMetrics metrics(lblCurrentDir->font());
    const int room =
        gbSearching->width() - lblCurrentDir->x() - 10 - metrics.horizontalAdvance("Current Dir : ");
    lblCurrentDir->setText("Current Dir : " +
                           metrics.elidedText(Q(p.Folder), Qt::ElideMiddle, std::max(40, room)));
    lblNewFiles->setText(QString("New Files Found : %1").arg(p.NewFiles));
    lblModifiedFiles->setText(QString("Modified Files Found : %1").arg(p.ModifiedFiles));
    if (!p.Action.empty()) lblAction->setText(Q("Action : " + p.Action));
    pbScan->setRange(0, std::max(1, p.Max));
    pbScan->setValue(std::clamp(p.Position, 0, std::max(1, p.Max)));
    lblProgress->setText(Q(Format("Progress : %d/%d", p.Position, p.Max)));
}

void TfrmMusicSearch::ScanDone(bool completed) {
    FlastCompleted = completed;
    FscanFinished = true;
    SetScanView(false);
    if (FrunningAutomatically) {
        if (completed && FautoVideoPending) {
            FautoVideoPending = false;
            tcFolders->setCurrentIndex(1);
            if (RunScan(TscanChoice::All)) return;
        }
        FrunningAutomatically = false;
        CloseWhenFree();
        return;
    }
    if (cbCloseWhenFinished->isChecked()) CloseWhenFree();
}

void TfrmMusicSearch::CloseWhenFree() {
    if (isVisible()) done(FlastCompleted ? mrOk : mrCancel);
}

void TfrmMusicSearch::RunAutomatically() {
    if (!Flibrary || Scanning()) return;
    FrunningAutomatically = true;
    FautoVideoPending = Flibrary->VideoSupport();
    tcFolders->setCurrentIndex(0);
    if (!RunScan(TscanChoice::All)) {
        FrunningAutomatically = false;
        CloseWhenFree();
    }
}

void TfrmMusicSearch::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (FautoRun) {
        FautoRun = false;
        QTimer::singleShot(0, this, [this] { RunAutomatically(); });
    }
}

void TfrmMusicSearch::closeEvent(QCloseEvent* e) {
    // A running scan keeps the window open: Stop Scan ends it first.
    if (Scanning()) {
        e->ignore();
        return;
    }
    QDialog::closeEvent(e);
}

void TfrmMusicSearch::reject() {
    if (Scanning()) return;
    QDialog::reject();
}

bool ShowMediaSearch(TcustomJukeboxList* library, bool allowStop, bool fullRescan) {
    if (!library) return false;
    TfrmMusicSearch form;
    form.BindLibrary(library);
    form.SetAdvanced(false);
    form.cbFullRescan->setChecked(fullRescan);
    form.SetAllowStop(allowStop);
    form.SetAutoRun(true);
    RunModal(form);
    // A runner that returned early (a test, a closed parent) leaves no scan behind.
    if (form.Scanning()) form.StopScan();
    return form.ScanFinished() && form.LastScanCompleted();
}

void EditMediaSearchOptions(TcustomJukeboxList* library, bool& advanced, bool* scanCompleted) {
    if (scanCompleted) *scanCompleted = false;
    if (!library) return;
    TfrmMusicSearch form;
    form.BindLibrary(library);
    form.SetAdvanced(advanced);
    form.SetAllowStop(true);
    RunModal(form);
    if (form.Scanning()) form.StopScan();
    advanced = form.Advanced();
    if (scanCompleted) *scanCompleted = form.ScanFinished() && form.LastScanCompleted();
}

}  // namespace tunecrest
