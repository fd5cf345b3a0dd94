#include "windows/settings/preferences_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "core/library/album_artist_groupings.h"
#include "core/jukebox/global_prefs.h"
#include "core/library/jukebox_list.h"
#include "core/base/services.h"
#include "core/base/text_utils.h"
#include "skin/modal_runner.h"
#include "windows/editors/editor_form.h"

namespace tunecrest {

namespace {

QSpinBox* Spin(QWidget* parent, const char* name, int low, int high, int step = 1)
{
    auto* box = new QSpinBox(parent);
    box->setObjectName(name);
    box->setRange(low, high);
    box->setSingleStep(step);
    box->setMinimumHeight(kTouchHeight);
    return box;
}

QCheckBox* Box(QWidget* parent, const char* name, const char* caption)
{
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    box->setMinimumHeight(32);
    return box;
}

QComboBox* Combo(QWidget* parent, const char* name, const QStringList& items)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->addItems(items);
    box->setMinimumHeight(kTouchHeight);
    return box;
}

std::string MappingName(const std::string& line) { return line.substr(0, line.find('=')); }

}  // namespace

bool ScreenSaverActive(bool enabled, int coverArtClick) { return enabled || coverArtClick != 0; }

TfrmPreferences::TfrmPreferences(const TprefsRec& rec, const std::string& page, QWidget* parent)
    : QDialog(parent), FhasLibrary(rec.JukeboxList != nullptr)
{
    setObjectName("frmPreferences");
    setWindowTitle("Preferences");
    StyleEditorDialog(*this);
    auto* layout = new QVBoxLayout(this);
    pcPreferences = new QTabWidget(this);
    pcPreferences->setObjectName("pcPreferences");
    layout->addWidget(pcPreferences, 1);
    BuildGeneral();
    BuildScreenSaver();
    BuildArtists();
    AddOkCancelRow(*this, *layout, &btnOK, &btnCancel);
    Fill(rec);
    pcPreferences->setCurrentWidget(SameText(page, "ScreenSaver") && !rec.HideScreenSaverPage ? tsScreenSaver
                                                                                              : tsGeneral);
    resize(900, 680);
}

void TfrmPreferences::BuildGeneral()
{
    tsGeneral = new QWidget();
    tsGeneral->setObjectName("tsGeneral");
    pcPreferences->addTab(tsGeneral, "General");
    auto* grid = new QGridLayout(tsGeneral);

    gbCoverArt = new QGroupBox("Cover Art", tsGeneral);
    gbCoverArt->setObjectName("gbCoverArt");
    auto* cover = new QGridLayout(gbCoverArt);
    edCoverArtFolder = new QLineEdit(gbCoverArt);
    edCoverArtFolder->setObjectName("edCoverArtFolder");
    edCoverArtFolder->setMinimumHeight(kTouchHeight);
    UseKeyboardEntry(edCoverArtFolder, "Cover Art Folder:");
    btnCoverArtFolder = TouchButton(gbCoverArt, "btnCoverArtFolder", "...");
    btnCoverArtFolder->setMinimumWidth(kTouchHeight);
    cbCoverArtFolderFirst = Box(gbCoverArt, "cbCoverArtFolderFirst", "Check the Cover Art Folder First");
    cbOnlyCoverArtFolder = Box(gbCoverArt, "cbOnlyCoverArtFolder", "Only Check the Cover Art Folder");
    cover->addWidget(new QLabel("Cover Art Folder:", gbCoverArt), 0, 0, 1, 2);
    cover->addWidget(edCoverArtFolder, 1, 0);
    cover->addWidget(btnCoverArtFolder, 1, 1);
    cover->addWidget(cbCoverArtFolderFirst, 2, 0, 1, 2);
    cover->addWidget(cbOnlyCoverArtFolder, 3, 0, 1, 2);
    grid->addWidget(gbCoverArt, 0, 0);
    connect(btnCoverArtFolder, &QPushButton::clicked, this,
            [this] { ChooseFolder(edCoverArtFolder, "Choose a folder"); });

    gbExit = new QGroupBox("Exit", tsGeneral);
    gbExit->setObjectName("gbExit");
    auto* exit = new QVBoxLayout(gbExit);
    cbConfirmExit = Box(gbExit, "cbConfirmExit", "Confirm Appliction Exit");
    cbShutdownOnExit = Box(gbExit, "cbShutdownOnExit", "Enable Shutdown on Exit");
    cbDefaultToShutdown = Box(gbExit, "cbDefaultToShutdown", "Default to Shutdown");
    for (QCheckBox* b : {cbConfirmExit, cbShutdownOnExit, cbDefaultToShutdown}) exit->addWidget(b);
    grid->addWidget(gbExit, 0, 1);
    // Each lower box only means something while the one above it is checked.
    connect(cbConfirmExit, &QCheckBox::toggled, this, [this](bool on) {
        if (!on) {
            cbShutdownOnExit->setChecked(false);
            cbDefaultToShutdown->setChecked(false);
        }
        cbShutdownOnExit->setEnabled(on);
    });
    connect(cbShutdownOnExit, &QCheckBox::toggled, this, [this](bool on) { cbDefaultToShutdown->setEnabled(on); });

    gbKeyboards = new QGroupBox("On-Screen Keyboards", tsGeneral);
    gbKeyboards->setObjectName("gbKeyboards");
    auto* keys = new QFormLayout(gbKeyboards);
    cbKeyboardsOn = Box(gbKeyboards, "cbKeyboardsOn", "Enable On-Screen Keyboards");
    seKeySize = Spin(gbKeyboards, "seKeySize", 10, 100);
    keys->addRow(cbKeyboardsOn);
    keys->addRow("Key Size:", seKeySize);
    grid->addWidget(gbKeyboards, 1, 0);

    gbInterface = new QGroupBox("Interface", tsGeneral);
    gbInterface->setObjectName("gbInterface");
    auto* ui = new QFormLayout(gbInterface);
    cbTrackMouse = Box(gbInterface, "cbTrackMouse", "Auto Track Mouse in Selection Views");
    seMenuHeight = Spin(gbInterface, "seMenuHeight", 16, 60);
    cbHideCursorWithMenu = Box(gbInterface, "cbHideCursorWithMenu", "Hide the Cursor with the Menu");
    cbSingleClickMultiSelect = Box(gbInterface, "cbSingleClickMultiSelect", "Single Click Multi-Select");
    seClickDelay = Spin(gbInterface, "seClickDelay", 100, 2000, 25);
    ui->addRow(cbTrackMouse);
    ui->addRow("Menu Height:", seMenuHeight);
    ui->addRow(cbHideCursorWithMenu);
    ui->addRow(cbSingleClickMultiSelect);
    ui->addRow("Click Delay (ms):", seClickDelay);
    // The interface group is the tallest: it takes the right column beside both lower
    // groups, so the page fits an 800-pixel screen.
    grid->addWidget(gbInterface, 1, 1, 2, 1);

    gbBackButton = new QGroupBox("Back Button", tsGeneral);
    gbBackButton->setObjectName("gbBackButton");
    auto* back = new QVBoxLayout(gbBackButton);
    cboBackButton = Combo(gbBackButton, "cboBackButton",
                          {"Add Previous Track to the Queue", "Restart the Current Track",
                           "Add Previous Track to the Top of the Queue"});
    back->addWidget(cboBackButton);
    grid->addWidget(gbBackButton, 2, 0);
    grid->setRowStretch(3, 1);
}

void TfrmPreferences::BuildScreenSaver()
{
    tsScreenSaver = new QWidget();
    tsScreenSaver->setObjectName("tsScreenSaver");
    pcPreferences->addTab(tsScreenSaver, "Screen Saver");
    auto* layout = new QVBoxLayout(tsScreenSaver);
    // Two settings to a row, so the page fits an 800-pixel screen.
    auto* top = new QGridLayout();
    cbScreenSaverEnabled = Box(tsScreenSaver, "cbScreenSaverEnabled", "Enable Screen Saver");
    seTimeout = Spin(tsScreenSaver, "seTimeout", 0, 60);
    cboCoverArtClick = Combo(tsScreenSaver, "cboCoverArtClick", {"Never", "On Single Click", "On Double Click"});
    // Beside the screen saver's switch, where it can always be set (a window without a
    // back button hides the back-button group), on the row the switch has anyway.
    cbScreenSaverOffDuringVideo =
        Box(tsScreenSaver, "cbScreenSaverOffDuringVideo", "Disable Screen Saver during Video Playback");
    top->addWidget(cbScreenSaverEnabled, 0, 0, 1, 2);
    top->addWidget(cbScreenSaverOffDuringVideo, 0, 2, 1, 2);
    top->addWidget(new QLabel("Start after (minutes):", tsScreenSaver), 1, 0);
    top->addWidget(seTimeout, 1, 1);
    top->addWidget(new QLabel("Start from the Cover Art:", tsScreenSaver), 1, 2);
    top->addWidget(cboCoverArtClick, 1, 3);
    top->setColumnStretch(1, 1);
    top->setColumnStretch(3, 1);
    layout->addLayout(top);

    gbScreenSaverSettings = new QGroupBox("Screen Saver Settings", tsScreenSaver);
    gbScreenSaverSettings->setObjectName("gbScreenSaverSettings");
    auto* settings = new QGridLayout(gbScreenSaverSettings);
    seCoverArtSize = Spin(gbScreenSaverSettings, "seCoverArtSize", 0, 1000, 10);
    seCoverArtSize->setSpecialValueText("Full Screen");
    cboSaverType = Combo(gbScreenSaverSettings, "cboSaverType", {"Cover Art Images", "Slide Show"});
    cbShowClock = Box(gbScreenSaverSettings, "cbShowClock", "Show Clock");
    settings->addWidget(new QLabel("Screen Saver Type:", gbScreenSaverSettings), 0, 0);
    settings->addWidget(cboSaverType, 0, 1);
    settings->addWidget(new QLabel("Cover Art Size:", gbScreenSaverSettings), 0, 2);
    settings->addWidget(seCoverArtSize, 0, 3);
    settings->addWidget(cbShowClock, 1, 0, 1, 4);
    settings->setColumnStretch(1, 1);
    settings->setColumnStretch(3, 1);
    layout->addWidget(gbScreenSaverSettings);

    pnlSlideShowFolder = new QGroupBox("Slide Show", tsScreenSaver);
    pnlSlideShowFolder->setObjectName("pnlSlideShowFolder");
    auto* folder = new QGridLayout(pnlSlideShowFolder);
    cbUseRandomImages =
        Box(pnlSlideShowFolder, "cbUseRandomImages", "Show a Slide Show when there is no Cover Art");
    edRandomImagesFolder = new QLineEdit(pnlSlideShowFolder);
    edRandomImagesFolder->setObjectName("edRandomImagesFolder");
    edRandomImagesFolder->setMinimumHeight(kTouchHeight);
    UseKeyboardEntry(edRandomImagesFolder, "Pictures Folder:");
    btnRandomImagesFolder = TouchButton(pnlSlideShowFolder, "btnRandomImagesFolder", "...");
    btnRandomImagesFolder->setMinimumWidth(kTouchHeight);
    folder->addWidget(cbUseRandomImages, 0, 0, 1, 3);
    folder->addWidget(new QLabel("Pictures Folder:", pnlSlideShowFolder), 1, 0);
    folder->addWidget(edRandomImagesFolder, 1, 1);
    folder->addWidget(btnRandomImagesFolder, 1, 2);
    folder->setColumnStretch(1, 1);
    gbSlideShow = new QGroupBox(pnlSlideShowFolder);
    gbSlideShow->setObjectName("gbSlideShow");
    auto* slides = new QHBoxLayout(gbSlideShow);
    slides->setContentsMargins(8, 2, 8, 2);
    seSlideTime = Spin(gbSlideShow, "seSlideTime", 1, 60);
    cboSlideTimeUnit = Combo(gbSlideShow, "cboSlideTimeUnit", {"Seconds", "Minutes"});
    slides->addWidget(new QLabel("Change the picture every", gbSlideShow));
    slides->addWidget(seSlideTime);
    slides->addWidget(cboSlideTimeUnit);
    slides->addStretch(1);
    folder->addWidget(gbSlideShow, 2, 0, 1, 3);
    layout->addWidget(pnlSlideShowFolder);
    layout->addStretch(1);
    connect(btnRandomImagesFolder, &QPushButton::clicked, this,
            [this] { ChooseFolder(edRandomImagesFolder, "Choose Folder"); });
    connect(cbScreenSaverEnabled, &QCheckBox::toggled, this, [this] { UpdateScreenSaverControls(); });
    connect(cboCoverArtClick, &QComboBox::currentIndexChanged, this, [this] { UpdateScreenSaverControls(); });
    connect(cboSaverType, &QComboBox::currentIndexChanged, this, [this] { UpdateScreenSaverControls(); });
    connect(cbUseRandomImages, &QCheckBox::toggled, this, [this] { UpdateScreenSaverControls(); });
}

void TfrmPreferences::BuildArtists()
{
    tsArtists = new QWidget();
    tsArtists->setObjectName("tsArtists");
    pcPreferences->addTab(tsArtists, "Artists");
    auto* grid = new QGridLayout(tsArtists);
    lbArtists = new QListWidget(tsArtists);
    lbArtists->setObjectName("lbArtists");
    lbMappings = new QListWidget(tsArtists);
    lbMappings->setObjectName("lbMappings");
    grid->addWidget(new QLabel("Artists:", tsArtists), 0, 0);
    grid->addWidget(new QLabel("Mappings:", tsArtists), 0, 2);
    grid->addWidget(lbArtists, 1, 0, 6, 1);
    btnStandardMap = TouchButton(tsArtists, "btnStandardMap", "Add Standard &Map");
    btnCustomMap = TouchButton(tsArtists, "btnCustomMap", "Add &Custom Map");
    btnEditMap = TouchButton(tsArtists, "btnEditMap", "&Edit");
    btnDeleteMap = TouchButton(tsArtists, "btnDeleteMap", "&Delete");
    btnClearMaps = TouchButton(tsArtists, "btnClearMaps", "&Clear");
    int row = 1;
    for (QPushButton* b : {btnStandardMap, btnCustomMap, btnEditMap, btnDeleteMap, btnClearMaps})
        grid->addWidget(b, row++, 1);
    grid->addWidget(lbMappings, 1, 2, 6, 1);
    cbNoDuplicates = Box(tsArtists, "cbNoDuplicates", "No Duplicates");
    cbMapThe = Box(tsArtists, "cbMapThe", "Show \"The Band\" as \"Band, The\"");
    grid->addWidget(cbNoDuplicates, 7, 0);
    grid->addWidget(cbMapThe, 7, 2);
    connect(btnStandardMap, &QPushButton::clicked, this, [this] { AddStandardMap(); });
    connect(btnCustomMap, &QPushButton::clicked, this, [this] { AddCustomMap(); });
    connect(btnEditMap, &QPushButton::clicked, this, [this] { EditMap(); });
    connect(btnDeleteMap, &QPushButton::clicked, this, [this] {
        if (QListWidgetItem* item = lbMappings->currentItem()) {
            delete item;
            FmappingsEdited = true;
        }
    });
    connect(btnClearMaps, &QPushButton::clicked, this, [this] {
        lbMappings->clear();
        FmappingsEdited = true;
    });
}

void TfrmPreferences::Fill(const TprefsRec& rec)
{
    edCoverArtFolder->setText(QString::fromStdString(rec.CoverArtFolder));
    cbCoverArtFolderFirst->setChecked(rec.CoverArtFolderFirst);
    cbOnlyCoverArtFolder->setChecked(rec.OnlyCoverArtFolder);
    cbConfirmExit->setChecked(rec.ConfirmExit);
    cbShutdownOnExit->setChecked(rec.ConfirmExit && rec.ShutdownOnExit);
    cbDefaultToShutdown->setChecked(rec.ConfirmExit && rec.ShutdownOnExit && rec.DefaultToShutdown);
    cbShutdownOnExit->setEnabled(rec.ConfirmExit);
    cbDefaultToShutdown->setEnabled(cbShutdownOnExit->isChecked());
    cbKeyboardsOn->setChecked(rec.KeyboardsOn);
    seKeySize->setValue(rec.KeySize);
    cbTrackMouse->setChecked(rec.TrackMouse);
    seMenuHeight->setValue(rec.MenuHeight);
    cbHideCursorWithMenu->setChecked(rec.HideCursorWithMenu);
    cbSingleClickMultiSelect->setChecked(GlobalPrefs().SingleClickMultiSelect());
    seClickDelay->setValue(GlobalPrefs().SingleClickMultiSelectDelay());
    cboBackButton->setCurrentIndex(rec.BackButtonAction >= 0 && rec.BackButtonAction < 3 ? rec.BackButtonAction : 0);
    cbScreenSaverOffDuringVideo->setChecked(rec.ScreenSaverOffDuringVideo);
    cbScreenSaverEnabled->setChecked(rec.ScreenSaverEnabled);
    seTimeout->setValue(rec.ScreenSaverTimeout);
    cboCoverArtClick->setCurrentIndex(std::clamp(rec.CoverArtClick, 0, 2));
    seCoverArtSize->setValue(rec.CoverArtSize);
    cboSaverType->setCurrentIndex(rec.SlideShow ? 1 : 0);
    cbUseRandomImages->setChecked(rec.UseRandomImages);
    edRandomImagesFolder->setText(QString::fromStdString(rec.RandomImagesFolder));
    seSlideTime->setValue(rec.SlideTime);
    cboSlideTimeUnit->setCurrentIndex(rec.SlideTimeUnit == 0 ? 0 : 1);
    cbShowClock->setChecked(rec.ShowClock);
    cbNoDuplicates->setChecked(rec.NoMappingDuplicates);
    cbMapThe->setChecked(rec.MapThe);

    // The parts the window hides.
    gbCoverArt->setVisible(!rec.HideCoverArtGroup);
    gbExit->setVisible(!rec.HideExitGroup);
    gbKeyboards->setVisible(!rec.HideKeyboardsGroup);
    gbInterface->setVisible(!rec.HideInterfaceGroup);
    gbBackButton->setVisible(!rec.HideBackButtonGroup);
    cboBackButton->setVisible(!rec.HideBackButtonGroup);
    pcPreferences->setTabVisible(pcPreferences->indexOf(tsScreenSaver), !rec.HideScreenSaverPage);
    pnlSlideShowFolder->setVisible(!rec.HideSlideShowPanels);

    // Artists and mappings need the library; without one that page is shown but greyed
    // and its values are left as the record has them.
    if (TcustomJukeboxList* library = rec.JukeboxList) {
        for (const std::string& name : library->ArtistList().GetTitles())
            if (name != "[Compilations]" && name != "[Not Tagged]") lbArtists->addItem(QString::fromStdString(name));
        const TmyStringList& mappings = library->ArtistList().Mappings();
        for (int i = 0; i < mappings.Count(); ++i) lbMappings->addItem(QString::fromStdString(mappings.Strings(i)));
    }
    tsArtists->setEnabled(FhasLibrary);
    UpdateScreenSaverControls();
}

void TfrmPreferences::UpdateScreenSaverControls()
{
    const bool active = ScreenSaverActive(cbScreenSaverEnabled->isChecked(), cboCoverArtClick->currentIndex());
    gbScreenSaverSettings->setEnabled(active);
    pnlSlideShowFolder->setEnabled(active);
    seTimeout->setEnabled(cbScreenSaverEnabled->isChecked());
    gbSlideShow->setEnabled(active && (cboSaverType->currentIndex() == 1 || cbUseRandomImages->isChecked()));
}

void TfrmPreferences::ChooseFolder(QLineEdit* edit, const char* title)
{
    if (auto folder = Prompt().ChooseFolder(title, edit->text().toStdString())) edit->setText(QString::fromStdString(*folder));
}

std::vector<std::string> TfrmPreferences::MappingLines() const
{
    std::vector<std::string> lines;
    for (int i = 0; i < lbMappings->count(); ++i) lines.push_back(lbMappings->item(i)->text().toStdString());
    return lines;
}

void TfrmPreferences::AddStandardMap()
{
    QListWidgetItem* artist = lbArtists->currentItem();
    if (!artist) return;
    lbMappings->addItem(artist->text() + "=");
    FmappingsEdited = true;
}

namespace {
// The mapped name of an artist; a blank answer asks for the default mapping.
std::optional<std::string> AskMappedName(const std::string& artist, const std::string& value)
{
    TtextRequest request;
    request.Title = "Mapping for " + artist;
    request.Caption = "Enter Mapped Name (leave blank for default mapping of LastName, FirstName)";
    request.Initial = value;
    request.AllowBlank = true;
    return Prompt().AskTextEntry(request);
}
}  // namespace

void TfrmPreferences::AddCustomMap()
{
    QListWidgetItem* artist = lbArtists->currentItem();
    if (!artist) return;
    const std::string name = artist->text().toStdString();
    const auto answer = AskMappedName(name, "");
    if (!answer) return;
    lbMappings->addItem(QString::fromStdString(name + "=" + *answer));
    FmappingsEdited = true;
}

void TfrmPreferences::EditMap()
{
    QListWidgetItem* item = lbMappings->currentItem();
    if (!item) return;
    const std::string line = item->text().toStdString();
    const std::string name = MappingName(line);
    const std::string value = line.size() > name.size() ? line.substr(name.size() + 1) : std::string();
    const auto answer = AskMappedName(name, value);
    if (!answer) return;
    item->setText(QString::fromStdString(name + "=" + *answer));
    FmappingsEdited = true;
}

void TfrmPreferences::ReadInto(TprefsRec& rec) const
{
    rec.CoverArtFolder = edCoverArtFolder->text().toStdString();
    rec.CoverArtFolderFirst = cbCoverArtFolderFirst->isChecked();
    rec.OnlyCoverArtFolder = cbOnlyCoverArtFolder->isChecked();
    rec.ScreenSaverEnabled = cbScreenSaverEnabled->isChecked();
    rec.ScreenSaverTimeout = seTimeout->value();
    rec.CoverArtSize = seCoverArtSize->value() / 10 * 10;
    rec.UseRandomImages = cbUseRandomImages->isChecked();
    rec.RandomImagesFolder = edRandomImagesFolder->text().toStdString();
    rec.SlideShow = cboSaverType->currentIndex() == 1;
    rec.SlideTime = seSlideTime->value();
    rec.SlideTimeUnit = uint8_t(cboSlideTimeUnit->currentIndex() == 0 ? 0 : 1);
    rec.ShowClock = cbShowClock->isChecked();
    rec.CoverArtClick = cboCoverArtClick->currentIndex();
    rec.ConfirmExit = cbConfirmExit->isChecked();
    rec.ShutdownOnExit = cbShutdownOnExit->isChecked();
    rec.DefaultToShutdown = cbDefaultToShutdown->isChecked();
    rec.KeyboardsOn = cbKeyboardsOn->isChecked();
    rec.KeySize = seKeySize->value();
    rec.BackButtonAction = cboBackButton->currentIndex();
    rec.TrackMouse = cbTrackMouse->isChecked();
    rec.MenuHeight = seMenuHeight->value();
    rec.HideCursorWithMenu = cbHideCursorWithMenu->isChecked();
    rec.ScreenSaverOffDuringVideo = cbScreenSaverOffDuringVideo->isChecked();
    if (FhasLibrary) {
        rec.MappingsChanged = FmappingsEdited || rec.NoMappingDuplicates != cbNoDuplicates->isChecked() ||
                              rec.MapThe != cbMapThe->isChecked();
        rec.NoMappingDuplicates = cbNoDuplicates->isChecked();
        rec.MapThe = cbMapThe->isChecked();
    }
}

bool ShowPreferences(TprefsRec& rec, const std::string& page)
{
    TfrmPreferences form(rec, page);
    if (!IsOk(RunModal(form))) return false;
    form.ReadInto(rec);
    TglobalPrefs& prefs = GlobalPrefs();
    prefs.BeginUpdate();
    prefs.SetKeySize(rec.KeySize);
    prefs.SetOnScreenKeyboardsEnabled(rec.KeyboardsOn);
    prefs.SetSingleClickMultiSelect(form.cbSingleClickMultiSelect->isChecked());
    prefs.SetSingleClickMultiSelectDelay(form.seClickDelay->value() / 25 * 25);
    prefs.EndUpdate();
    if (rec.JukeboxList && form.MappingsEdited()) {
        TaudioTagArtistList& artists = rec.JukeboxList->ArtistList();
        artists.SetMappings(form.MappingLines());
        artists.ApplyMappings();
        std::string error;
        if (!artists.MappingListFile().empty() && !artists.SaveMappings(&error))
            Prompt().ShowMessage("The artist mappings could not be saved: " + error, "Preferences");
    }
    return true;
}

}  // namespace tunecrest
