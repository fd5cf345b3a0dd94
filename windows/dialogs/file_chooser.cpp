#include "windows/dialogs/file_chooser.h"

#include <filesystem>

#include <QApplication>
#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>
#include <QStyle>

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

QString Q(const std::string& s) { return QString::fromStdString(s); }

const char* OkCaption(TchooserKind kind) {
    switch (kind) {
        case TchooserKind::ckOpenFile:
        case TchooserKind::ckOpenFiles:
            return "&Open";
        case TchooserKind::ckSaveFile:
            return "&Save";
        case TchooserKind::ckFolder:
            break;
    }
    return "&Choose";
}

}  // namespace

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
    // Several files: each touch on a file marks or unmarks it.
    if (Fkind == TchooserKind::ckOpenFiles) lbEntries->setSelectionMode(QAbstractItemView::MultiSelection);

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

void TfrmFileChooser::OpenFolder(const std::string& folder) {
    if (folder.empty()) return;
    Ffolder = ChooserStartFolder(folder, "", "");
    lblFolder->setText(Q(Ffolder));
    lbEntries->clear();
    const QIcon folderIcon = style()->standardIcon(QStyle::SP_DirIcon);
    const QIcon fileIcon = style()->standardIcon(QStyle::SP_FileIcon);
    for (const TchooserEntry& entry : ListFolderEntries(Ffolder, Masks(), Fkind == TchooserKind::ckFolder)) {
        auto* item = new QListWidgetItem(entry.Folder ? folderIcon : fileIcon, Q(entry.Name), lbEntries);
        item->setData(kEntryRole, entry.Folder);
        item->setSizeHint(QSize(0, kRowHeight));
        if (entry.Folder) {
            QFont bold = lbEntries->font();
            bold.setBold(true);
            item->setFont(bold);
        }
    }
    btnUp->setEnabled(Ffolder != "/");
    UpdateOk();
}

void TfrmFileChooser::EntryClicked(QListWidgetItem* item) {
    if (!item) return;
    const std::string name = item->text().toStdString();
    // One touch opens a folder: a finger has no double click to spare.
    if (item->data(kEntryRole).toBool()) {
        OpenFolder((fs::path(Ffolder) / name).string());
        return;
    }
    if (Fkind == TchooserKind::ckSaveFile) edFileName->setText(item->text());
    UpdateOk();
}

void TfrmFileChooser::EntryActivated(QListWidgetItem* item) {
    // Enter or a double click on a file takes it at once (the folder already opened).
    if (!item || item->data(kEntryRole).toBool()) return;
    if (Fkind == TchooserKind::ckOpenFiles) {
        item->setSelected(true);  // with the files marked before it
        OkClicked();
        return;
    }
    if (Fkind == TchooserKind::ckSaveFile) edFileName->setText(item->text());
    lbEntries->setCurrentItem(item);
    OkClicked();
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
            ok = !SaveChoiceFile(Ffolder, edFileName->text().toStdString(), Masks()).empty();
            break;
        case TchooserKind::ckFolder:
            break;
        case TchooserKind::ckOpenFiles:
            ok = !MarkedFiles().empty();
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
            chosen = (fs::path(Ffolder) / item->text().toStdString()).string();
            break;
        }
        case TchooserKind::ckSaveFile: {
            chosen = SaveChoiceFile(Ffolder, edFileName->text().toStdString(), Masks());
            if (chosen.empty()) return;
            // A typed folder name opens that folder, as a touch on its row does.
            std::error_code ec;
            const std::string typed = SaveChoiceFile(Ffolder, edFileName->text().toStdString(), {});
            if (fs::is_directory(typed, ec) || fs::is_directory(chosen, ec)) {
                OpenFolder(fs::is_directory(typed, ec) ? typed : chosen);
                edFileName->clear();
                return;
            }
            if (fs::exists(chosen, ec) &&
                !Prompt().AskYesNo(fs::path(chosen).filename().string() +
                                       " already exists.  Do you want to replace it?",
                                   windowTitle().toStdString(), false))
                return;
            break;
        }
        case TchooserKind::ckFolder:
            chosen = Ffolder;
            break;
        case TchooserKind::ckOpenFiles:
            FchosenFiles = MarkedFiles();
            if (FchosenFiles.empty()) return;
            chosen = FchosenFiles.front();
            break;
    }
    Fchosen = chosen;
    if (Fkind != TchooserKind::ckOpenFiles) FchosenFiles = {chosen};
    done(mrOk);
}

std::vector<std::string> TfrmFileChooser::MarkedFiles() const {
    std::vector<std::string> files;
    for (int i = 0; i < lbEntries->count(); ++i) {
        const QListWidgetItem* item = lbEntries->item(i);
        if (item->isSelected() && !item->data(kEntryRole).toBool())
            files.push_back((fs::path(Ffolder) / item->text().toStdString()).string());
    }
    return files;
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

std::vector<std::string> ChooseFilesToOpen(const std::string& title, const std::string& filter,
                                           const std::string& folder) {
    TfrmFileChooser form(TchooserKind::ckOpenFiles, title, filter, folder, QApplication::activeWindow());
    if (!IsOk(RunModal(form))) return {};
    return form.ChosenFiles();
}

}  // namespace tunecrest
