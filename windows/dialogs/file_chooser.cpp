#include "windows/dialogs/file_chooser.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>

#include <QApplication>
#include <QComboBox>
#include <QGuiApplication>
#include <QLocale>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>
#include <QStyle>
#include <QTimer>

#include "core/display/color_text.h"
#include "core/base/services.h"
#include "core/base/system_services.h"
#include "skin/component_owner.h"
#include "skin/modal_runner.h"
#include "skin/screen_fonts.h"

namespace fs = std::filesystem;

namespace tunecrest {

namespace {

// Rows a finger hits without care; the list's font is larger than the dialog body's.
constexpr int kRowHeight = 56;
constexpr int kEntryRole = Qt::UserRole + 1;  // true for a folder row
constexpr int kNameRole = Qt::UserRole + 2;   // the name's bytes
// A folder read within this time shows at once, without a progress line.
constexpr auto kQuickListing = std::chrono::milliseconds(8);
// Rows added in one turn of the event loop, and the progress line's refresh.
constexpr size_t kRowsPerPiece = 1000;
constexpr int kProgressMs = 100;

QString Q(const std::string& s) { return QString::fromStdString(s); }

QString Count(size_t n) { return QLocale(QLocale::English).toString(qulonglong(n)); }

const char* OkCaption(TchooserKind kind) {
    switch (kind) {
        case TchooserKind::ckOpenFile:
            return "&Open";
        case TchooserKind::ckSaveFile:
            return "&Save";
        case TchooserKind::ckFolder:
            break;
    }
    return "&Choose";
}

}  // namespace

// One reading of a folder on its own thread. The chooser cancels and joins it before it
// reads another folder and before it goes, so the thread never outlives the window.
struct TfrmFileChooser::Tjob {
    std::thread Thread;
    std::atomic<bool> Cancel{false};
    std::atomic<size_t> Read{0};
    std::mutex Mutex;
    std::condition_variable Finished;
    bool Done = false;
    TfolderListing Result;
    QTimer* Progress = nullptr;
};

TfrmFileChooser::TfrmFileChooser(TchooserKind kind, const std::string& caption, const std::string& filter,
                                 const std::string& folder, QWidget* parent)
    : TfrmPlainDialog(caption, parent), Fkind(kind), Ffilters(ParseFileFilter(filter)) {
    setObjectName("frmFileChooser");
    SetSizeable(true);
    FmusicFolder = GetSpecialFolderPath(TspecialFolder::sfMusic);
    FhomeFolder = GetSpecialFolderPath(TspecialFolder::sfHome);
    if (FhomeFolder.empty()) {
        if (const char* home = std::getenv("HOME")) FhomeFolder = home;
    }

    auto* where = new QHBoxLayout();
    where->setSpacing(10);
    lblFolder = MakeLabel(Body(), "");
    lblFolder->setObjectName("lblFolder");
    lblFolder->setFont(ScreenFont(TFont{"Arial", clWindowText, 12, true}));
    lblFolder->setTextFormat(Qt::PlainText);
    lblFolder->setWordWrap(true);
    // A long path wraps; it never widens the dialog past the screen.
    lblFolder->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    where->addWidget(lblFolder, 1);
    btnUp = MakeButton(Body(), "btnUp", "Up");
    btnHome = MakeButton(Body(), "btnHome", "Home");
    btnMusic = MakeButton(Body(), "btnMusic", "Music");
    for (TmySkinButton* b : {btnUp, btnHome, btnMusic}) where->addWidget(b);
    BodyLayout()->addLayout(where);

    lbEntries = CreateComponent<QListWidget>(this, Body());
    lbEntries->setObjectName("lbEntries");
    lbEntries->setFont(ScreenFont(TFont{"Arial", clWindowText, 14, false}));
    lbEntries->setUniformItemSizes(true);
    lbEntries->setIconSize(QSize(28, 28));
    lbEntries->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    lbEntries->setStyleSheet(QStringLiteral("QListWidget::item { min-height: %1px; }").arg(kRowHeight));
    BodyLayout()->addWidget(lbEntries, 1);
    lblStatus = MakeLabel(Body(), "");
    lblStatus->setObjectName("lblStatus");
    lblStatus->setTextFormat(Qt::PlainText);
    lblStatus->setWordWrap(true);
    lblStatus->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    lblStatus->hide();
    BodyLayout()->addWidget(lblStatus);

    auto* bottom = new QHBoxLayout();
    bottom->setSpacing(10);
    lblFileName = MakeLabel(Body(), Fkind == TchooserKind::ckFolder ? "" : "File Name :");
    lblFileName->setObjectName("lblFileName");
    bottom->addWidget(lblFileName);
    edFileName = CreateComponent<QLineEdit>(this, Body());
    edFileName->setObjectName("edFileName");
    edFileName->setMinimumHeight(48);
    bottom->addWidget(edFileName, 2);
    cboFilter = CreateComponent<QComboBox>(this, Body());
    cboFilter->setObjectName("cboFilter");
    cboFilter->setMinimumHeight(48);
    for (const TfileFilterEntry& entry : Ffilters) cboFilter->addItem(Q(entry.Description));
    bottom->addWidget(cboFilter, 1);
    BodyLayout()->addLayout(bottom);
    // Only a save names a file; a folder choice has no masks to choose between.
    lblFileName->setVisible(Fkind == TchooserKind::ckSaveFile);
    edFileName->setVisible(Fkind == TchooserKind::ckSaveFile);
    cboFilter->setVisible(Fkind != TchooserKind::ckFolder && Ffilters.size() > 1);
    UseKeyboardEntry(edFileName, "File Name :");

    AddButtonSpace();
    btnOK = AddButton("btnOK", OkCaption(Fkind));
    btnCancel = AddButton("btnCancel", "&Cancel", mrCancel);
    SetDefaultButton(btnOK);
    SetCancelButton(btnCancel);
    btnOK->OnClick = [this](TObject*) { OkClicked(); };
    btnUp->OnClick = [this](TObject*) { OpenFolder(ChooserParentFolder(Ffolder)); };
    btnHome->OnClick = [this](TObject*) { OpenFolder(FhomeFolder); };
    btnMusic->OnClick = [this](TObject*) { OpenFolder(FmusicFolder); };
    std::error_code ec;
    btnMusic->setVisible(!FmusicFolder.empty() && fs::is_directory(FmusicFolder, ec));
    btnHome->setVisible(!FhomeFolder.empty() && fs::is_directory(FhomeFolder, ec));

    connect(lbEntries, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { EntryClicked(item); });
    connect(lbEntries, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) { EntryActivated(item); });
    connect(cboFilter, &QComboBox::currentIndexChanged, this, [this] { OpenFolder(Ffolder); });
    connect(edFileName, &QLineEdit::textChanged, this, [this] { UpdateOk(); });

    // A requested file name (a previous choice) fills the name of a save.
    if (Fkind == TchooserKind::ckSaveFile && !folder.empty() && !fs::is_directory(folder, ec) &&
        fs::path(folder).has_filename())
        edFileName->setText(Q(fs::path(folder).filename().string()));
    OpenFolder(ChooserStartFolder(folder, FmusicFolder, FhomeFolder));

    // As large as the screen allows, up to a comfortable size.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1280, 800);
    resize(std::min(960, area.width() - 40), std::min(720, area.height() - 40));
}

TfrmFileChooser::~TfrmFileChooser() { StopListing(); }

void TfrmFileChooser::ApplySkin() {
    TfrmPlainDialog::ApplySkin();
    if (!cboFilter) return;  // the base's constructor: the combo does not exist yet
    const TformSkinColors skin = FormSkinColors();
    const TdialogColors c = DialogColors(skin);
    auto css = [](TColor color) { return QString::fromStdString(ColorToHTML(ColorToRGB(color))); };
    cboFilter->setStyleSheet(
        QStringLiteral("QComboBox { min-height: 48px; padding: 0 12px; background: %1; color: %2;"
                       " border: 1px solid %3; border-radius: 6px; }"
                       "QComboBox::drop-down { width: 40px; border: none; }"
                       "QComboBox QAbstractItemView { background: %1; color: %2;"
                       " selection-background-color: %4; selection-color: %5; }"
                       "QComboBox QAbstractItemView::item { min-height: 48px; }")
            .arg(css(c.Field), css(c.FieldText), css(c.Border), css(skin.ColorA), css(c.SelectedText)));
}

const std::vector<std::string>& TfrmFileChooser::Masks() const {
    const int index = std::clamp(cboFilter->currentIndex(), 0, int(Ffilters.size()) - 1);
    return Ffilters[size_t(index)].Masks;
}

std::string TfrmFileChooser::EntryName(const QListWidgetItem* item) {
    if (!item) return {};
    return item->data(kNameRole).toByteArray().toStdString();
}

bool TfrmFileChooser::Listing() const { return Fjob != nullptr || FpendingNext < Fpending.size(); }

void TfrmFileChooser::StopListing() {
    if (Fjob) {
        Fjob->Cancel = true;
        if (Fjob->Thread.joinable()) Fjob->Thread.join();
        delete Fjob->Progress;
        Fjob.reset();
    }
    Fpending.clear();
    FpendingNext = 0;
}

void TfrmFileChooser::OpenFolder(const std::string& folder) {
    if (folder.empty()) return;
    StopListing();
    const uint64_t generation = ++Fgeneration;
    Ffolder = ChooserStartFolder(folder, "", "");
    lblFolder->setText(Q(ShownName(Ffolder)));
    lbEntries->clear();
    FpickedShown.clear();
    FpickedName.clear();
    lblStatus->hide();
    btnUp->setEnabled(Ffolder != "/");
    UpdateOk();

    auto job = std::make_shared<Tjob>();
    Fjob = job;
    job->Thread = std::thread([this, job, generation, folder = Ffolder, masks = Masks(),
                               foldersOnly = Fkind == TchooserKind::ckFolder] {
        TfolderListing result = ReadFolderEntries(folder, masks, foldersOnly, [&job](size_t read) {
            job->Read = read;
            return !job->Cancel;
        });
        {
            std::lock_guard lock(job->Mutex);
            job->Result = std::move(result);
            job->Done = true;
        }
        job->Finished.notify_all();
        // The window's own event queue; the window joins this thread before it goes.
        QMetaObject::invokeMethod(this, [this, generation] { ListingDone(generation); }, Qt::QueuedConnection);
    });
    bool done = false;
    {
        std::unique_lock lock(job->Mutex);
        done = job->Finished.wait_for(lock, kQuickListing, [&] { return job->Done; });
    }
    if (done) {
        ListingDone(generation);
        return;
    }
    // A large or slow folder: its count so far shows while it is read.
    ShowStatus("Reading the folder...", true);
    job->Progress = new QTimer(this);
    connect(job->Progress, &QTimer::timeout, this,
            [this, job] { ShowStatus("Reading the folder... " + Count(job->Read) + " entries", true); });
    job->Progress->start(kProgressMs);
}

void TfrmFileChooser::ShowStatus(const QString& text, bool progress) {
    lblStatus->setText(text);
    lblStatus->show();
    FstatusIsProgress = progress;
}

void TfrmFileChooser::ListingDone(uint64_t generation) {
    if (generation != Fgeneration || !Fjob) return;  // another folder was opened since
    std::shared_ptr<Tjob> job = std::move(Fjob);
    job->Thread.join();
    delete job->Progress;
    Fpending = std::move(job->Result.Entries);
    FpendingNext = 0;
    if (!job->Result.Readable) ShowStatus("This folder cannot be read: " + Q(job->Result.Error), false);
    AddRows(generation);
}

void TfrmFileChooser::AddRows(uint64_t generation) {
    if (generation != Fgeneration) return;
    const QIcon folderIcon = style()->standardIcon(QStyle::SP_DirIcon);
    const QIcon fileIcon = style()->standardIcon(QStyle::SP_FileIcon);
    QFont bold = lbEntries->font();
    bold.setBold(true);
    const size_t end = std::min(Fpending.size(), FpendingNext + kRowsPerPiece);
    for (; FpendingNext < end; ++FpendingNext) {
        const TchooserEntry& entry = Fpending[FpendingNext];
        // Made whole before the list takes it: a change to a row already in the list is
        // announced to the view, and that costs more the longer the list is.
        // Each value a row holds costs when a folder of many is left, so a file row holds its
        // text, icon and name; the rows' height is the list's (all rows are alike).
        auto* item = new QListWidgetItem(entry.Folder ? folderIcon : fileIcon, Q(ShownName(entry.Name)));
        item->setData(kNameRole, QByteArray::fromStdString(entry.Name));
        if (entry.Folder) {
            item->setData(kEntryRole, true);
            item->setFont(bold);
        }
        lbEntries->addItem(item);
    }
    if (FpendingNext < Fpending.size()) {
        if (FstatusIsProgress || lblStatus->isHidden())
            ShowStatus("Listing the folder... " + Count(FpendingNext) + " of " + Count(Fpending.size()) + " entries",
                       true);
        QTimer::singleShot(0, this, [this, generation] { AddRows(generation); });
        return;
    }
    Fpending.clear();
    FpendingNext = 0;
    // The progress line goes; a reason why the folder cannot be read stays.
    if (FstatusIsProgress) lblStatus->hide();
    UpdateOk();
}

void TfrmFileChooser::EntryClicked(QListWidgetItem* item) {
    if (!item) return;
    const std::string name = EntryName(item);
    // One touch opens a folder: a finger has no double click to spare.
    if (item->data(kEntryRole).toBool()) {
        OpenFolder((fs::path(Ffolder) / name).string());
        return;
    }
    if (Fkind == TchooserKind::ckSaveFile) {
        FpickedShown = item->text().toStdString();
        FpickedName = name;
        edFileName->setText(item->text());
    }
    UpdateOk();
}

void TfrmFileChooser::EntryActivated(QListWidgetItem* item) {
    // Enter or a double click on a file takes it at once (the folder already opened).
    if (!item || item->data(kEntryRole).toBool()) return;
    if (Fkind == TchooserKind::ckSaveFile) {
        FpickedShown = item->text().toStdString();
        FpickedName = EntryName(item);
        edFileName->setText(item->text());
    }
    lbEntries->setCurrentItem(item);
    OkClicked();
}

std::string TfrmFileChooser::TypedName() const {
    const std::string text = edFileName->text().toStdString();
    return !FpickedName.empty() && text == FpickedShown ? FpickedName : text;
}

void TfrmFileChooser::UpdateOk() {
    bool ok = true;
    switch (Fkind) {
        case TchooserKind::ckOpenFile: {
            const QListWidgetItem* item = lbEntries->currentItem();
            ok = item && item->isSelected() && !item->data(kEntryRole).toBool();
            break;
        }
        case TchooserKind::ckSaveFile:
            ok = !SaveChoiceFile(Ffolder, TypedName(), Masks()).empty();
            break;
        case TchooserKind::ckFolder:
            break;
    }
    btnOK->setEnabled(ok);
}

void TfrmFileChooser::OkClicked() {
    std::string chosen;
    switch (Fkind) {
        case TchooserKind::ckOpenFile: {
            const QListWidgetItem* item = lbEntries->currentItem();
            if (!item || item->data(kEntryRole).toBool()) return;
            chosen = (fs::path(Ffolder) / EntryName(item)).string();
            break;
        }
        case TchooserKind::ckSaveFile: {
            chosen = SaveChoiceFile(Ffolder, TypedName(), Masks());
            if (chosen.empty()) return;
            // A typed folder name opens that folder, as a touch on its row does.
            std::error_code ec;
            const std::string typed = SaveChoiceFile(Ffolder, TypedName(), {});
            if (fs::is_directory(typed, ec) || fs::is_directory(chosen, ec)) {
                OpenFolder(fs::is_directory(typed, ec) ? typed : chosen);
                edFileName->clear();
                return;
            }
            if (fs::exists(chosen, ec) &&
                !Prompt().AskYesNo(ShownName(fs::path(chosen).filename().string()) +
                                       " already exists.  Do you want to replace it?",
                                   windowTitle().toStdString(), false))
                return;
            break;
        }
        case TchooserKind::ckFolder:
            chosen = Ffolder;
            break;
    }
    Fchosen = chosen;
    done(mrOk);
}

namespace {
std::optional<std::string> RunChooser(TchooserKind kind, const std::string& title, const std::string& filter,
                                      const std::string& folder) {
    TfrmFileChooser form(kind, title, filter, folder, QApplication::activeWindow());
    if (!IsOk(RunModal(form)) || form.Chosen().empty()) return std::nullopt;
    return form.Chosen();
}
}  // namespace

std::optional<std::string> ChooseFileToOpen(const std::string& title, const std::string& filter,
                                            const std::string& folder) {
    return RunChooser(TchooserKind::ckOpenFile, title, filter, folder);
}

std::optional<std::string> ChooseFileToSave(const std::string& title, const std::string& filter,
                                            const std::string& folder) {
    return RunChooser(TchooserKind::ckSaveFile, title, filter, folder);
}

std::optional<std::string> ChooseFolderName(const std::string& title, const std::string& folder) {
    return RunChooser(TchooserKind::ckFolder, title, "", folder);
}

}  // namespace tunecrest
