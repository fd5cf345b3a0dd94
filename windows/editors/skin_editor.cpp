#include "windows/editors/skin_editor.h"

#include <QCheckBox>
#include <QFontComboBox>
#include <QFontDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "core/base/ini_file.h"
#include "core/base/services.h"
#include "core/display/skin_file.h"
#include "core/base/text_utils.h"
#include "skin/color_panels.h"
#include "skin/modal_runner.h"
#include "skin/qt_color.h"
#include "skin/screen_fonts.h"
#include "windows/editors/editor_form.h"

namespace tunecrest {

namespace fs = std::filesystem;

namespace {

// A desktop dialog (the font chooser) in the editor's dress: its lists show dark text on
// the light field colour, not the panel's light text on white.
void DressPicker(QDialog& dialog)
{
    StyleEditorDialog(dialog);
    dialog.setStyleSheet(dialog.styleSheet() +
                         "QListView { background: palette(base); color: palette(text); "
                         "selection-background-color: palette(highlight); selection-color: palette(highlighted-text); }"
                         "QListView::item { min-height: 36px; }");
    dialog.resize(820, 560);
}

constexpr int kStoreRole = Qt::UserRole, kKindRole = Qt::UserRole + 1, kIndexRole = Qt::UserRole + 2;
enum Tkind { kStore = 0, kFont = 1, kColor = 2, kGroup = 3 };

TskinRec ReadSkinRec(const fs::path& file)
{
    TskinRec rec;
    rec.FileName = file.string();
    const std::string folder = file.parent_path().filename().string();
    TiniFile ini(file.string());
    rec.Title = ini.ReadString("Info", "Title", folder);
    if (rec.Title.empty()) rec.Title = folder;
    rec.Description = ini.ReadString("Info", "Description", "");
    rec.Creator = ini.ReadString("Info", "Creator", "");
    return rec;
}

}  // namespace

std::vector<TskinRec> ListSkins(const std::string& skinsFolder)
{
    std::vector<TskinRec> skins;
    std::error_code ec;
    for (fs::directory_iterator it(skinsFolder, ec), end; !ec && it != end; it.increment(ec)) {
        if (!it->is_directory(ec)) continue;
        const fs::path file = it->path() / "skin.usk";
        if (fs::is_regular_file(file, ec)) skins.push_back(ReadSkinRec(file));
    }
    if (std::none_of(skins.begin(), skins.end(), [](const TskinRec& s) { return s.Title == "Default"; })) {
        TskinRec def;
        def.Title = "Default";
        def.FileName = (fs::path(skinsFolder) / "Default" / "skin.usk").string();
        skins.push_back(def);
    }
    std::stable_sort(skins.begin(), skins.end(), [](const TskinRec& a, const TskinRec& b) {
        if ((a.Title == "Default") != (b.Title == "Default")) return a.Title == "Default";
        return CompareText(a.Title, b.Title) < 0;
    });
    return skins;
}

bool IsShippedSkinName(const std::string& name) { return SameText(name, "Default") || SameText(name, "Classic"); }

std::string WhyLookCannotBeKept(const std::string& skinFile)
{
    const std::string last = " To keep them, export the skin under a new name on the page \"Skins\" and load it.";
    if (skinFile.empty()) return "No skin is in use: these colours and fonts last until the program closes." + last;
    const fs::path folder = fs::path(skinFile).parent_path();
    const std::string name = folder.filename().string();
    if (IsShippedSkinName(name))
        return "The skin \"" + name + "\" comes with the program and stays as it came: these colours and fonts " +
               "last until the program closes." + last;
    if (::access(skinFile.c_str(), W_OK) != 0 || ::access(folder.c_str(), W_OK) != 0)
        return "The skin \"" + name + "\" cannot be written: these colours and fonts last until the program " +
               "closes." + last;
    return "";
}

bool ValidSkinExportName(const std::string& name)
{
    if (name.empty() || name == "." || name == ".." || name.size() > 200) return false;
    for (unsigned char c : name)
        if (c < 0x20 || c == 0x7F || std::string_view("/\\:*?\"<>|").find(char(c)) != std::string_view::npos)
            return false;
    // Trailing dots and blanks vanish on some file systems: the folder would not be the name.
    return name.back() != '.' && name.back() != ' ' && name.front() != ' ';
}

TfrmJukeboxSkin::TfrmJukeboxSkin(TskinEditorHost& host, QWidget* parent) : QDialog(parent), Fhost(host)
{
    setObjectName("frmJukeboxSkin");
    setWindowTitle("Skins");
    auto* layout = new QVBoxLayout(this);
    pcSkin = new QTabWidget(this);
    pcSkin->setObjectName("pcSkin");
    layout->addWidget(pcSkin, 1);

    // Page "Colors && Fonts".
    auto* colorsPage = new QWidget();
    colorsPage->setObjectName("tsColorsFonts");
    pcSkin->addTab(colorsPage, "Colors && Fonts");
    auto* colorsLayout = new QGridLayout(colorsPage);
    auto* objectColors = new QGroupBox("Object Colors", colorsPage);
    auto* objectLayout = new QHBoxLayout(objectColors);
    pnlButtonColor = TouchButton(objectColors, "pnlButtonColor", "");
    pnlPanelColor = TouchButton(objectColors, "pnlPanelColor", "");
    btnDefaultButtonColor = TouchButton(objectColors, "btnDefaultButtonColor", "Get Default");
    btnDefaultPanelColor = TouchButton(objectColors, "btnDefaultPanelColor", "Get Default");
    // Both colours on one row: the page has room for the font tree below them.
    objectLayout->addWidget(new QLabel("Button Color :", objectColors));
    objectLayout->addWidget(pnlButtonColor, 1);
    objectLayout->addWidget(btnDefaultButtonColor);
    objectLayout->addSpacing(24);
    objectLayout->addWidget(new QLabel("Panel Color :", objectColors));
    objectLayout->addWidget(pnlPanelColor, 1);
    objectLayout->addWidget(btnDefaultPanelColor);
    colorsLayout->addWidget(objectColors, 0, 0, 1, 2);

    auto* fonts = new QGroupBox("Fonts && Colors", colorsPage);
    auto* fontsLayout = new QGridLayout(fonts);
    tvFonts = new QTreeWidget(fonts);
    tvFonts->setObjectName("tvFonts");
    tvFonts->setHeaderHidden(true);
    tvFonts->setMinimumWidth(260);
    fontsLayout->addWidget(tvFonts, 0, 0);

    // The font and colour attributes share one place of a fixed height: showing them
    // for a selection never makes the window taller than the screen.
    auto* attributes = new QWidget(fonts);
    auto* attributesLayout = new QVBoxLayout(attributes);
    attributesLayout->setContentsMargins(0, 0, 0, 0);
    // Each group's title names what it edits ("Font Attributes : " and the item).
    gbFontAttributes = new QGroupBox("Font Attributes", attributes);
    gbFontAttributes->setObjectName("gbFontAttributes");
    auto* fontLayout = new QGridLayout(gbFontAttributes);
    cboFontName = new QFontComboBox(gbFontAttributes);
    cboFontName->setObjectName("cboFontName");
    cboFontColor = new TmyJvColorComboBox(gbFontAttributes);
    cboFontColor->setObjectName("cboFontColor");
    cbBold = new QCheckBox("Bold", gbFontAttributes);
    cbBold->setObjectName("cbBold");
    cbItalic = new QCheckBox("Italic", gbFontAttributes);
    cbItalic->setObjectName("cbItalic");
    seFontSize = new QSpinBox(gbFontAttributes);
    seFontSize->setObjectName("seFontSize");
    seFontSize->setRange(4, 120);
    btnSelectFont = TouchButton(gbFontAttributes, "btnSelectFont", "Select...");
    for (QWidget* w : {static_cast<QWidget*>(cboFontName), static_cast<QWidget*>(cboFontColor),
                       static_cast<QWidget*>(seFontSize)})
        w->setMinimumHeight(kTouchHeight);
    fontLayout->addWidget(new QLabel("Font Name:", gbFontAttributes), 1, 0);
    fontLayout->addWidget(cboFontName, 1, 1, 1, 3);
    fontLayout->addWidget(new QLabel("Font Color:", gbFontAttributes), 2, 0);
    fontLayout->addWidget(cboFontColor, 2, 1, 1, 3);
    fontLayout->addWidget(cbBold, 3, 0);
    fontLayout->addWidget(cbItalic, 3, 1);
    fontLayout->addWidget(seFontSize, 3, 2);
    fontLayout->addWidget(btnSelectFont, 3, 3);
    attributesLayout->addWidget(gbFontAttributes);

    gbColorAttributes = new QGroupBox("Color Attributes", attributes);
    gbColorAttributes->setObjectName("gbColorAttributes");
    auto* colorLayout = new QHBoxLayout(gbColorAttributes);
    cboColor = new TmyJvColorComboBox(gbColorAttributes);
    cboColor->setObjectName("cboColor");
    cboColor->setMinimumHeight(kTouchHeight);
    colorLayout->addWidget(new QLabel("Color:", gbColorAttributes));
    colorLayout->addWidget(cboColor, 1);
    attributesLayout->addWidget(gbColorAttributes);
    attributesLayout->addStretch(1);
    fontsLayout->addWidget(attributes, 0, 1, 2, 1);
    for (TmyJvColorComboBox* combo : {cboFontColor, cboColor}) {
        combo->SetOptions(coText | coCustomColors);
        combo->SetColorDialogText("Choose a Color...");
        combo->SetColorWidth(36);
        combo->SetMinRowHeight(kTouchHeight);
    }

    // The sample shows the font at its own size, clipped to its place, whatever the size.
    pnlSample = new QLabel("Sample", fonts);
    pnlSample->setObjectName("pnlSample");
    pnlSample->setAlignment(Qt::AlignCenter);
    pnlSample->setFixedHeight(72);
    pnlSample->setMinimumWidth(120);
    pnlSample->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    pnlSample->setAutoFillBackground(true);
    fontsLayout->addWidget(pnlSample, 1, 0);

    // Under the tree and the sample: the set the selection is in, and its defaults.
    auto* currentSet = new QHBoxLayout();
    lblCurrentSet = new QLabel("Current Set: None", fonts);
    lblCurrentSet->setObjectName("lblCurrentSet");
    btnGetDefaults = TouchButton(fonts, "btnGetDefaults", "Get Defaults");
    currentSet->addWidget(lblCurrentSet, 1);
    currentSet->addWidget(btnGetDefaults);
    fontsLayout->addLayout(currentSet, 2, 0, Qt::AlignTop);

    auto* match = new QGroupBox("Font Attributes to Match", fonts);
    auto* matchLayout = new QGridLayout(match);
    btnMatchCurrentSet = TouchButton(match, "btnMatchCurrentSet", "Match Fonts in the Current Set");
    btnMatchAllSets = TouchButton(match, "btnMatchAllSets", "Match All Fonts Sets");
    cbMatchName = new QCheckBox("Font Name", match);
    cbMatchName->setObjectName("cbMatchName");
    cbMatchStyle = new QCheckBox("Style", match);
    cbMatchStyle->setObjectName("cbMatchStyle");
    cbMatchColor = new QCheckBox("Color", match);
    cbMatchColor->setObjectName("cbMatchColor");
    cbMatchSize = new QCheckBox("Size", match);
    cbMatchSize->setObjectName("cbMatchSize");
    matchLayout->addWidget(cbMatchName, 0, 0);
    matchLayout->addWidget(cbMatchStyle, 0, 1);
    matchLayout->addWidget(cbMatchColor, 0, 2);
    matchLayout->addWidget(cbMatchSize, 0, 3);
    matchLayout->addWidget(btnMatchCurrentSet, 1, 0, 1, 2);
    matchLayout->addWidget(btnMatchAllSets, 1, 2, 1, 2);
    fontsLayout->addWidget(match, 2, 1);
    fontsLayout->setRowStretch(0, 1);
    fontsLayout->setColumnStretch(0, 1);
    colorsLayout->addWidget(fonts, 1, 0, 1, 2);
    // Tight margins inside the groups: the page holds two rows of groups on an 800-pixel screen.
    for (QGroupBox* group : colorsPage->findChildren<QGroupBox*>())
        if (group->layout()) group->layout()->setContentsMargins(8, 2, 8, 2);
    colorsLayout->setContentsMargins(6, 6, 6, 6);
    attributes->setFixedHeight(gbFontAttributes->sizeHint().height() + gbColorAttributes->sizeHint().height() +
                               attributesLayout->spacing());

    // Page "Skins".
    auto* skinsPage = new QWidget();
    skinsPage->setObjectName("tsSkins");
    pcSkin->addTab(skinsPage, "Skins");
    auto* skinsLayout = new QGridLayout(skinsPage);
    auto* available = new QGroupBox("Available Skins", skinsPage);
    auto* availableLayout = new QGridLayout(available);
    lbSkins = new QListWidget(available);
    lbSkins->setObjectName("lbSkins");
    btnLoadSkin = TouchButton(available, "btnLoadSkin", "Load Skin");
    mmoDetails = new QPlainTextEdit(available);
    mmoDetails->setObjectName("mmoDetails");
    mmoDetails->setReadOnly(true);
    auto* backup = new QLabel("Export the current skin before loading another one to keep your changes.", available);
    backup->setWordWrap(true);
    availableLayout->addWidget(lbSkins, 0, 0, 3, 1);
    availableLayout->addWidget(btnLoadSkin, 0, 1);
    availableLayout->addWidget(mmoDetails, 1, 1);
    availableLayout->addWidget(backup, 2, 1);
    skinsLayout->addWidget(available, 0, 0, 1, 3);
    skinsLayout->addWidget(new QLabel("Export To :", skinsPage), 1, 0);
    edExportName = new QLineEdit(skinsPage);
    edExportName->setObjectName("edExportName");
    edExportName->setMinimumHeight(kTouchHeight);
    skinsLayout->addWidget(edExportName, 1, 1);
    UseKeyboardEntry(edExportName, "Export To :");
    btnExportSkin = TouchButton(skinsPage, "btnExportSkin", "Export Skin");
    skinsLayout->addWidget(btnExportSkin, 1, 2);
    auto* exportText = new QLabel(QString("This will export the skin to a name that you specify. ") +
                                      "A new folder will be created under the Skins path in your folder " +
                                      "structure with the name you enter here.  You can only use characters that " +
                                      "are valid for filenames.",
                                  skinsPage);
    exportText->setWordWrap(true);
    skinsLayout->addWidget(exportText, 2, 0, 1, 3);

    QBoxLayout* bottom = AddOkCancelRow(*this, *layout, &btnOK, &btnCancel);
    btnApply = TouchButton(this, "btnApply", "&Apply");
    bottom->addWidget(btnApply);
    lblKeepLook = new QLabel(this);
    lblKeepLook->setObjectName("lblKeepLook");
    lblKeepLook->setWordWrap(true);
    bottom->insertWidget(0, lblKeepLook, 10);

    connect(pnlButtonColor, &QPushButton::clicked, this, [this] {
        if (auto c = AskColorValue(this, FbuttonColor)) {
            SetButtonColorValue(*c);
            MarkColors();
        }
    });
    connect(pnlPanelColor, &QPushButton::clicked, this, [this] {
        if (auto c = AskColorValue(this, FpanelColor)) {
            SetPanelColorValue(*c);
            MarkColors();
        }
    });
    connect(btnDefaultButtonColor, &QPushButton::clicked, this, [this] {
        SetButtonColorValue(Fhost.DefaultButtonColor());
        MarkColors();
    });
    connect(btnDefaultPanelColor, &QPushButton::clicked, this, [this] {
        SetPanelColorValue(Fhost.DefaultPanelColor());
        MarkColors();
    });
    connect(tvFonts, &QTreeWidget::currentItemChanged, this, [this] { ShowSelection(); });
    connect(cboFontName, &QFontComboBox::currentFontChanged, this,
            [this](const QFont& f) { FontEdited([&](TFont& t) { t.Name = f.family().toStdString(); }); });
    cboFontColor->OnClick = [this](TObject*) {
        const TColor c = cboFontColor->ColorValue();
        FontEdited([c](TFont& t) { t.Color = c; });
    };
    connect(cboFontColor, &QComboBox::currentIndexChanged, this, [this] {
        const TColor c = cboFontColor->ColorValue();
        FontEdited([c](TFont& t) { t.Color = c; });
    });
    connect(cbBold, &QCheckBox::toggled, this, [this](bool on) { FontEdited([on](TFont& t) { t.Bold = on; }); });
    connect(cbItalic, &QCheckBox::toggled, this, [this](bool on) { FontEdited([on](TFont& t) { t.Italic = on; }); });
    connect(seFontSize, &QSpinBox::valueChanged, this, [this](int v) { FontEdited([v](TFont& t) { t.Size = v; }); });
    connect(btnSelectFont, &QPushButton::clicked, this, [this] {
        TfontItem* item = SelectedFont();
        if (!item) return;
        QFontDialog dialog(ScreenFont(item->font()), this);
        dialog.setObjectName("dlgSelectFont");
        DressPicker(dialog);
        if (!IsOk(RunModal(dialog))) return;
        const QFont chosen = dialog.selectedFont();
        FontEdited([&](TFont& t) {
            t.Name = chosen.family().toStdString();
            t.Size = chosen.pointSize() > 0 ? chosen.pointSize() : t.Size;
            t.Bold = chosen.bold();
            t.Italic = chosen.italic();
            t.Underline = chosen.underline();
        });
        ShowSelection();
    });
    connect(cboColor, &QComboBox::currentIndexChanged, this, [this] {
        if (Fshowing) return;
        const TColor c = cboColor->ColorValue();
        if (TfontItem* font = SelectedFont()) font->Color = c;
        else if (TcolorItem* color = SelectedColor()) color->color = c;
        else return;
        MarkFonts();
        UpdateSample();
    });
    connect(btnGetDefaults, &QPushButton::clicked, this, [this] { LoadFromHost(); });
    connect(btnMatchCurrentSet, &QPushButton::clicked, this, [this] { MatchCurrentSet(); });
    connect(btnMatchAllSets, &QPushButton::clicked, this, [this] { MatchAllSets(); });
    connect(lbSkins, &QListWidget::currentRowChanged, this, [this](int row) {
        mmoDetails->clear();
        if (row < 0 || row >= int(Fskins.size())) return;
        QString text;
        if (!Fskins[size_t(row)].Creator.empty())
            text += QString::fromStdString("Creator : " + Fskins[size_t(row)].Creator + "\n");
        text += QString::fromStdString("Description : " + Fskins[size_t(row)].Description);
        mmoDetails->setPlainText(text);
    });
    connect(btnLoadSkin, &QPushButton::clicked, this, [this] { LoadSkinClicked(); });
    connect(btnExportSkin, &QPushButton::clicked, this, [this] { ExportSkinClicked(); });
    connect(btnApply, &QPushButton::clicked, this, [this] { Apply(); });

    Dress();
    LoadFromHost();
    RefreshSkinList();
    pcSkin->setCurrentIndex(0);
    resize(1000, 720);
}

void TfrmJukeboxSkin::Dress()
{
    // Without the old style sheet first, the style would put back the palette the
    // dialog had under it (the old skin's panel colour) over the new one.
    setStyleSheet(QString());
    StyleEditorDialog(*this);
    SetButtonColorValue(FbuttonColor);
    SetPanelColorValue(FpanelColor);
}

void TfrmJukeboxSkin::ShowKeepNote()
{
    const std::string why = WhyLookCannotBeKept(Fhost.CurrentSkinFile());
    if (why.empty()) {
        const std::string folder = fs::path(Fhost.CurrentSkinFile()).parent_path().filename().string();
        lblKeepLook->setText(QString::fromStdString("Apply and OK keep these colours and fonts in the skin \"" +
                                                    folder + "\"."));
    } else {
        lblKeepLook->setText(QString::fromStdString(why));
    }
}

TfrmJukeboxSkin::~TfrmJukeboxSkin() { *Falive = false; }

void TfrmJukeboxSkin::PaintColorButton(QPushButton* button, TColor color)
{
    const QColor c = ToQColor(ColorToRGB(color));
    button->setStyleSheet(QString("background-color: %1; min-width: 96px;").arg(c.name()));
}

void TfrmJukeboxSkin::SetButtonColorValue(TColor color)
{
    FbuttonColor = color;
    PaintColorButton(pnlButtonColor, color);
}

void TfrmJukeboxSkin::SetPanelColorValue(TColor color)
{
    FpanelColor = color;
    PaintColorButton(pnlPanelColor, color);
}

void TfrmJukeboxSkin::MarkFonts()
{
    Fmodified = true;
    FfontsChanged = true;
}

void TfrmJukeboxSkin::MarkColors()
{
    Fmodified = true;
    FcolorsChanged = true;
}

void TfrmJukeboxSkin::LoadFromHost()
{
    Fstores.clear();
    for (TfontContainer* store : Fhost.FontStores()) {
        if (!store) continue;
        auto copy = std::make_unique<TfontContainer>();
        copy->Assign(*store);
        Fstores.push_back({store, std::move(copy)});
    }
    SetButtonColorValue(Fhost.ButtonColor());
    SetPanelColorValue(Fhost.PanelColor());
    FfontsChanged = FcolorsChanged = Fmodified = false;
    BuildTree();
    ShowKeepNote();
}

void TfrmJukeboxSkin::BuildTree()
{
    tvFonts->clear();
    for (size_t s = 0; s < Fstores.size(); ++s) {
        const TfontContainer& copy = *Fstores[s].Copy;
        auto* top = new QTreeWidgetItem(tvFonts, {QString::fromStdString(copy.NiceName)});
        top->setData(0, kStoreRole, int(s));
        top->setData(0, kKindRole, kStore);
        const auto group = [&](const char* caption, int count, Tkind kind, auto name) {
            if (count == 0) return;
            auto* node = new QTreeWidgetItem(top, {caption});
            node->setData(0, kStoreRole, int(s));
            node->setData(0, kKindRole, kGroup);
            for (int i = 0; i < count; ++i) {
                auto* leaf = new QTreeWidgetItem(node, {QString::fromStdString(name(i))});
                leaf->setData(0, kStoreRole, int(s));
                leaf->setData(0, kKindRole, kind);
                leaf->setData(0, kIndexRole, i);
            }
        };
        group("Fonts", copy.Items().Count(), kFont, [&](int i) { return copy.Items().Items(i)->NiceName; });
        group("Colors", copy.Colors().Count(), kColor, [&](int i) { return copy.Colors().Items(i)->NiceName; });
    }
    tvFonts->expandAll();
    ShowSelection();
}

TfontItem* TfrmJukeboxSkin::SelectedFont() const
{
    const QTreeWidgetItem* item = tvFonts->currentItem();
    if (!item || item->data(0, kKindRole).toInt() != kFont) return nullptr;
    return Fstores[size_t(item->data(0, kStoreRole).toInt())].Copy->Items().Items(item->data(0, kIndexRole).toInt());
}

TcolorItem* TfrmJukeboxSkin::SelectedColor() const
{
    const QTreeWidgetItem* item = tvFonts->currentItem();
    if (!item || item->data(0, kKindRole).toInt() != kColor) return nullptr;
    return Fstores[size_t(item->data(0, kStoreRole).toInt())].Copy->Colors().Items(item->data(0, kIndexRole).toInt());
}

void TfrmJukeboxSkin::SelectItem(int store, bool font, int index)
{
    QTreeWidgetItemIterator it(tvFonts);
    for (; *it; ++it)
        if ((*it)->data(0, kStoreRole).toInt() == store && (*it)->data(0, kKindRole).toInt() == (font ? kFont : kColor) &&
            (*it)->data(0, kIndexRole).toInt() == index) {
            tvFonts->setCurrentItem(*it);
            return;
        }
}

void TfrmJukeboxSkin::ShowSelection()
{
    Fshowing = true;
    TfontItem* font = SelectedFont();
    TcolorItem* color = SelectedColor();
    const QTreeWidgetItem* item = tvFonts->currentItem();
    const TfontContainer* store = item ? Fstores[size_t(item->data(0, kStoreRole).toInt())].Copy.get() : nullptr;
    gbFontAttributes->setVisible(font != nullptr);
    gbColorAttributes->setVisible(color != nullptr || (font && !font->ColorNiceName.empty()));
    lblCurrentSet->setText(QString::fromStdString("Current Set: " + (store ? store->NiceName : std::string("None"))));
    if (font) {
        gbFontAttributes->setTitle(
            QString::fromStdString("Font Attributes : " + store->NiceName + " - " + font->NiceName));
        cboFontName->setCurrentFont(ScreenFont(font->font()));
        cboFontColor->SetColorValue(font->font().Color);
        cbBold->setChecked(font->font().Bold);
        cbItalic->setChecked(font->font().Italic);
        seFontSize->setValue(font->font().Size);
        if (!font->ColorNiceName.empty()) {
            gbColorAttributes->setTitle("Color Attributes : " + QString::fromStdString(font->ColorNiceName));
            cboColor->SetColorValue(font->Color);
        }
    } else if (color) {
        gbColorAttributes->setTitle(QString::fromStdString("Color Attributes : " + color->NiceName));
        cboColor->SetColorValue(color->color);
    }
    Fshowing = false;
    UpdateSample();
}

void TfrmJukeboxSkin::UpdateSample()
{
    TfontItem* font = SelectedFont();
    TcolorItem* color = SelectedColor();
    const QTreeWidgetItem* item = tvFonts->currentItem();
    const TfontContainer* store = item ? Fstores[size_t(item->data(0, kStoreRole).toInt())].Copy.get() : nullptr;
    TColor back = clBlack;
    if (font) back = font->Color;
    if (store && store->Colors().Count() > 0 && store->Colors().Items(0)->NiceName == "Background" &&
        (!font || font->ColorNiceName.empty()))
        back = store->Colors().Items(0)->color;
    if (color) back = color->color;
    // "Sample" in the item's font and colour on its background (set as the label's own
    // style, so the dialog's text colour does not cover it).
    QString style = QString("background: %1;").arg(ToQColor(ColorToRGB(back)).name());
    if (font) {
        style += QString(" color: %1;").arg(ToQColor(ColorToRGB(font->font().Color)).name());
        pnlSample->setFont(ScreenFont(font->font()));
    }
    pnlSample->setStyleSheet(style);
}

void TfrmJukeboxSkin::FontEdited(const std::function<void(TFont&)>& change)
{
    if (Fshowing) return;
    TfontItem* item = SelectedFont();
    if (!item) return;
    TFont font = item->font();
    change(font);
    if (font == item->font()) return;
    item->SetFont(font);
    MarkFonts();
    UpdateSample();
}

namespace {
void MatchFont(TFont& target, const TFont& source, bool name, bool style, bool color, bool size)
{
    if (name) target.Name = source.Name;
    if (size) target.Size = source.Size;
    if (color) target.Color = source.Color;
    if (style) {
        target.Bold = source.Bold;
        target.Italic = source.Italic;
        target.Underline = source.Underline;
    }
}
}  // namespace

void TfrmJukeboxSkin::MatchCurrentSet()
{
    TfontItem* source = SelectedFont();
    if (!source) return;
    const TFont from = source->font();
    TfontCollection& fonts = Fstores[size_t(tvFonts->currentItem()->data(0, kStoreRole).toInt())].Copy->Items();
    for (int i = 0; i < fonts.Count(); ++i) {
        TFont f = fonts.Items(i)->font();
        MatchFont(f, from, cbMatchName->isChecked(), cbMatchStyle->isChecked(), cbMatchColor->isChecked(),
                  cbMatchSize->isChecked());
        fonts.Items(i)->SetFont(f);
    }
    MarkFonts();
}

void TfrmJukeboxSkin::MatchAllSets()
{
    const QTreeWidgetItem* item = tvFonts->currentItem();
    if (!item) return;
    const size_t current = size_t(item->data(0, kStoreRole).toInt());
    const TfontCollection& source = Fstores[current].Copy->Items();
    for (size_t s = 0; s < Fstores.size(); ++s) {
        if (s == current) continue;
        TfontCollection& fonts = Fstores[s].Copy->Items();
        for (int i = 0; i < fonts.Count(); ++i) {
            const TfontItem* match = source.FindByName(fonts.Items(i)->NiceName);
            if (!match || !SameText(match->NiceName, fonts.Items(i)->NiceName)) continue;
            TFont f = fonts.Items(i)->font();
            MatchFont(f, match->font(), cbMatchName->isChecked(), cbMatchStyle->isChecked(),
                      cbMatchColor->isChecked(), cbMatchSize->isChecked());
            fonts.Items(i)->SetFont(f);
        }
    }
    MarkFonts();
}

void TfrmJukeboxSkin::Apply()
{
    const bool changed = FfontsChanged || FcolorsChanged;
    if (FfontsChanged) {
        for (TfcRec& rec : Fstores) rec.Store->Assign(*rec.Copy);
        Fhost.ApplyListAppearance();
        FfontsChanged = false;
    }
    if (FcolorsChanged) Fhost.ApplyColors(FbuttonColor, FpanelColor);
    FcolorsChanged = false;
    if (!changed || !WhyLookCannotBeKept(Fhost.CurrentSkinFile()).empty()) return;
    std::string error;
    if (!Fhost.KeepLook(&error))
        Prompt().ShowMessage("The colours and fonts could not be kept in the skin: " + error, "Skins");
}

void TfrmJukeboxSkin::RefreshSkinList()
{
    Fskins = ListSkins(Fhost.SkinsFolder());
    lbSkins->clear();
    for (const TskinRec& skin : Fskins) lbSkins->addItem(QString::fromStdString(skin.Title));
}

void TfrmJukeboxSkin::LoadSkinClicked()
{
    const int row = lbSkins->currentRow();
    if (row < 0 || row >= int(Fskins.size())) return;
    // The edits belong to the skin being replaced: nothing of them may reach the new one.
    FfontsChanged = FcolorsChanged = false;
    std::weak_ptr<bool> alive = Falive;
    Fhost.SetSkinFile(Fskins[size_t(row)].FileName, [this, alive](bool) {
        const auto token = alive.lock();
        if (!token || !*token) return;
        // The editor wears the new skin's colours too, not the old one's.
        Dress();
        LoadFromHost();
    });
}

void TfrmJukeboxSkin::ExportSkinClicked()
{
    const std::string name = edExportName->text().toStdString();
    if (name.empty()) return;
    if (!ValidSkinExportName(name)) {
        Prompt().ShowMessage("The name you have entered is not valid for filenames.", "Invalid Filename");
        return;
    }
    const fs::path folder = fs::path(Fhost.SkinsFolder()) / name;
    std::error_code ec;
    // The skins that come with the program and the one in use are never replaced.
    if (IsShippedSkinName(name)) {
        Prompt().ShowMessage("The skin \"" + name + "\" comes with the program and cannot be replaced.  "
                             "Please enter another name.",
                             "Export Skin");
        return;
    }
    const std::string current = Fhost.CurrentSkinFile();
    if (!current.empty() && fs::exists(folder, ec) && fs::equivalent(fs::path(current).parent_path(), folder, ec)) {
        Prompt().ShowMessage("The skin \"" + name + "\" is in use and cannot be replaced.  Please enter another name.",
                             "Export Skin");
        return;
    }
    if (fs::exists(folder, ec) &&
        !Prompt().AskYesNo("A skin named \"" + name + "\" already exists.  Do you want to replace it?", "Export Skin",
                           false))
        return;
    fs::create_directories(folder, ec);
    std::string error;
    const std::string skinFile = (folder / TskinFile::kFileName).string();
    if (ec || !Fhost.ExportSkin(skinFile, &error)) {
        if (ec) Prompt().ShowMessage("The folder could not be created: " + ec.message(), "Export Skin");
        return;
    }
    // The new skin is listed under its own name, not under the title of the skin it
    // was made from.
    TskinFile exported;
    if (exported.LoadFromFile(skinFile, &error)) {
        TskinInfo info = exported.Info();
        info.Title = name;
        exported.SetInfo(info);
        if (!exported.SaveToFile(skinFile, &error))
            Prompt().ShowMessage("The skin's title could not be written: " + error, "Export Skin");
    }
    RefreshSkinList();
}

bool EditJukeboxSkin(TskinEditorHost& host)
{
    TfrmJukeboxSkin form(host);
    if (!IsOk(RunModal(form))) return false;
    if (form.Modified() && (form.FontsChanged() || form.ColorsChanged())) form.Apply();
    return true;
}

}  // namespace tunecrest
