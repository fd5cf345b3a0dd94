#include "windows/dialogs/view_settings.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include "core/display/tag_list_display_settings.h"
#include "skin/component_owner.h"
#include "skin/modal_runner.h"
#include "skin/skin_button.h"

namespace tunecrest {

namespace {

struct TmodeBoxDef {
    const char* Caption;
    TtreeviewDisplayModes Mode;
};

// The boxes of the "Jukebox View" page in their order on the page.
constexpr TmodeBoxDef kModeBoxes[] = {
    {"Artists", dmArtists},
    {"Tracks", dmTitles},
    {"Albums", dmAlbums},
    {"Playlists", dmPlaylists},
    {"Compilations", dmCompilations},
    {"No Artist", dmInvalid},
    {"Genres", dmGenres},
    {"Videos", dmVideo},
    {"Show Artist/Tracks in a Sub Node", dmArtistsInSubNode},
    {"Genre Artists", dmGenreArtists},
    {"Genre Albums", dmGenreAlbums},
    {"Internet Radio Stations", dmRadioStations},
    {"Years", dmYears},
    {"Year Artists", dmYearArtists},
    {"Year Albums", dmYearAlbums},
    {"Don't use Letter Nodes", dmNoLetters},
};

// The mode boxes carry the mode's ordinal plus 10 as their tag.
constexpr int kModeTagOffset = 10;

const char* const kFormatHelp =
    "Format strings build each track line from tags:\n"
    "  <TI> title   <AR> artist   <AL> album   <DU> duration\n"
    "  <TN> track number   <GE> genre   <CO> comment\n"
    "  <X:name> the extra tag field \"name\"\n"
    "Font tags switch to a font of the skin's font store:\n"
    "  <FTI> <FAR> <FAL> <FDU> <FTN> <FGE> <FCO> <FXT>, and <FCH> back to the line's font.\n"
    "Text after a tag name and one skipped character is kept: <TI, > is the title and a blank.";

QWidget* Page(QObject* owner, QTabWidget* tabs, const char* name, const char* caption)
{
    auto* page = CreateComponent<QWidget>(owner, tabs);
    page->setObjectName(name);
    tabs->addTab(page, caption);
    return page;
}

QLineEdit* Edit(QObject* owner, QWidget* parent, const char* name)
{
    auto* edit = CreateComponent<QLineEdit>(owner, parent);
    edit->setObjectName(name);
    return edit;
}

}  // namespace

TfrmViewSettings::TfrmViewSettings(QWidget* parent) : TfrmPlainDialog("Jukebox List View Settings", parent)
{
    setObjectName("frmViewSettings");
    pcPages = CreateComponent<QTabWidget>(this, Body());
    pcPages->setObjectName("pcPages");
    BodyLayout()->addWidget(pcPages);

    // Jukebox View: the mode boxes in two columns, the year mode beside them.
    tsJukeboxView = Page(this, pcPages, "tsJukeboxView", "Jukebox View");
    auto* grid = new QGridLayout(tsJukeboxView);
    grid->setContentsMargins(14, 10, 14, 10);
    grid->setVerticalSpacing(0);
    const int perColumn = 8;
    int index = 0;
    for (const TmodeBoxDef& def : kModeBoxes) {
        auto* box = CreateComponent<QCheckBox>(this, tsJukeboxView);
        box->setText(def.Caption);
        box->setObjectName(QString("cbMode%1").arg(int(def.Mode)));
        box->setProperty("tag", int(def.Mode) + kModeTagOffset);
        grid->addWidget(box, index % perColumn, index / perColumn);
        FmodeBoxes.emplace_back(def.Mode, box);
        ++index;
        if (def.Mode == dmGenres || def.Mode == dmGenreArtists || def.Mode == dmYears || def.Mode == dmYearArtists)
            QObject::connect(box, &QCheckBox::clicked, this, [this] { ApplyDependencies(); });
    }
    rgYearMode = CreateComponent<QGroupBox>(this, tsJukeboxView);
    rgYearMode->setObjectName("rgYearMode");
    rgYearMode->setTitle("Year View Mode");
    auto* yearLayout = new QVBoxLayout(rgYearMode);
    rbYears = CreateComponent<QRadioButton>(this, rgYearMode);
    rbYears->setText("Years");
    rbDecades = CreateComponent<QRadioButton>(this, rgYearMode);
    rbDecades->setText("Decades");
    yearLayout->addWidget(rbYears);
    yearLayout->addWidget(rbDecades);
    grid->addWidget(rgYearMode, 0, 2, 3, 1, Qt::AlignTop);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);

    // Track List and Queue List.
    tsTrackList = Page(this, pcPages, "tsTrackList", "Track List");
    auto* trackLayout = new QVBoxLayout(tsTrackList);
    trackLayout->setContentsMargins(14, 14, 14, 14);
    trackLayout->addWidget(MakeLabel(tsTrackList, "Unknown Artist String : "));
    edTrackUnknownArtist = Edit(this, tsTrackList, "edTrackUnknownArtist");
    trackLayout->addWidget(edTrackUnknownArtist);
    cbSortByFilename = CreateComponent<QCheckBox>(this, tsTrackList);
    cbSortByFilename->setObjectName("cbSortByFilename");
    cbSortByFilename->setText("If track numbers are not available then sort tracks (for albums) by their FILENAME.");
    trackLayout->addWidget(cbSortByFilename);
    trackLayout->addStretch(1);
    tsQueueList = Page(this, pcPages, "tsQueueList", "Queue List");
    auto* queueLayout = new QVBoxLayout(tsQueueList);
    queueLayout->setContentsMargins(14, 14, 14, 14);
    queueLayout->addWidget(MakeLabel(tsQueueList, "Unknown Artist String : "));
    edQueueUnknownArtist = Edit(this, tsQueueList, "edQueueUnknownArtist");
    queueLayout->addWidget(edQueueUnknownArtist);
    queueLayout->addStretch(1);

    // Display Formats.
    tsDisplayFormats = Page(this, pcPages, "tsDisplayFormats", "Display Formats");
    auto* formatGrid = new QGridLayout(tsDisplayFormats);
    formatGrid->setContentsMargins(14, 10, 14, 10);
    lbFormats = CreateComponent<QListWidget>(this, tsDisplayFormats);
    lbFormats->setObjectName("lbFormats");
    lbFormats->setMaximumWidth(300);
    formatGrid->addWidget(lbFormats, 0, 0, 4, 1);
    formatGrid->addWidget(MakeLabel(tsDisplayFormats, "Format String:"), 0, 1, 1, 2);
    edFormatString = Edit(this, tsDisplayFormats, "edFormatString");
    formatGrid->addWidget(edFormatString, 1, 1, 1, 2);
    btnUpdate = MakeButton(tsDisplayFormats, "btnUpdate", "Update", 140);
    btnSetDefaults = MakeButton(tsDisplayFormats, "btnSetDefaults", "Set Defaults", 160);
    auto* formatButtons = new QHBoxLayout();
    formatButtons->addWidget(btnUpdate);
    formatButtons->addWidget(btnSetDefaults);
    formatButtons->addStretch(1);
    formatGrid->addLayout(formatButtons, 2, 1, 1, 2);
    memoFormatHelp = CreateComponent<QPlainTextEdit>(this, tsDisplayFormats);
    memoFormatHelp->setObjectName("memoFormatHelp");
    memoFormatHelp->setReadOnly(true);
    memoFormatHelp->setPlainText(kFormatHelp);
    formatGrid->addWidget(memoFormatHelp, 3, 1, 1, 2);
    formatGrid->setColumnStretch(1, 1);
    btnUpdate->OnClick = [this](TObject*) { UpdateClick(); };
    btnSetDefaults->OnClick = [this](TObject*) { SetDefaultsClick(); };
    QObject::connect(lbFormats, &QListWidget::currentRowChanged, this, [this](int row) {
        if (const TformatStringItem* item = Fformats.Items().Items(row))
            edFormatString->setText(QString::fromStdString(item->formatString));
    });

    // Cover Art View.
    tsCoverArt = Page(this, pcPages, "tsCoverArt", "Cover Art View");
    auto* coverLayout = new QFormLayout(tsCoverArt);
    coverLayout->setContentsMargins(14, 14, 14, 14);
    seHorizontal = CreateComponent<QSpinBox>(this, tsCoverArt);
    seHorizontal->setObjectName("seHorizontal");
    seVertical = CreateComponent<QSpinBox>(this, tsCoverArt);
    seVertical->setObjectName("seVertical");
    for (QSpinBox* spin : {seHorizontal, seVertical}) {
        spin->setRange(1, 50);
        spin->setMinimumWidth(140);
    }
    coverLayout->addRow("Horizontal Albums:", seHorizontal);
    coverLayout->addRow("Vertical Albums:", seVertical);

    UseKeyboardEntry(edTrackUnknownArtist, "Unknown Artist String");
    UseKeyboardEntry(edQueueUnknownArtist, "Unknown Artist String");
    UseKeyboardEntry(edFormatString, "Format String");

    AddOkCancel(btnOK, btnCancel, false);
    resize(860, 640);
}

QCheckBox* TfrmViewSettings::ModeBox(TtreeviewDisplayModes mode) const
{
    for (const auto& [boxMode, box] : FmodeBoxes)
        if (boxMode == mode) return box;
    return nullptr;
}

void TfrmViewSettings::SetModes(TtreeViewDisplayMode modes)
{
    for (const auto& [mode, box] : FmodeBoxes) box->setChecked(InDisplayMode(modes, mode));
    ApplyDependencies();
}

TtreeViewDisplayMode TfrmViewSettings::Modes() const
{
    TtreeViewDisplayMode modes = 0;
    for (const auto& [mode, box] : FmodeBoxes)
        if (box->isChecked()) modes |= DisplayModeBit(mode);
    return modes;
}

void TfrmViewSettings::ApplyDependencies()
{
    auto follow = [](QWidget* child, bool enabled) {
        child->setEnabled(enabled);
        if (!enabled)
            if (auto* box = qobject_cast<QCheckBox*>(child)) box->setChecked(false);
    };
    // In dependency order, so a parent unchecked here disables its own children too.
    follow(ModeBox(dmGenreArtists), ModeBox(dmGenres)->isChecked());
    follow(ModeBox(dmGenreAlbums), ModeBox(dmGenreArtists)->isChecked());
    follow(ModeBox(dmYearArtists), ModeBox(dmYears)->isChecked());
    follow(ModeBox(dmYearAlbums), ModeBox(dmYearArtists)->isChecked());
    follow(rgYearMode, ModeBox(dmYears)->isChecked());
}

void TfrmViewSettings::FillFormatList()
{
    const int row = lbFormats->currentRow();
    const QSignalBlocker block(lbFormats);
    lbFormats->clear();
    for (int i = 0; i < Fformats.Items().Count(); ++i)
        lbFormats->addItem(QString::fromStdString(Fformats.Items().Items(i)->DisplayName()));
    if (row >= 0 && row < lbFormats->count()) lbFormats->setCurrentRow(row);
}

void TfrmViewSettings::UpdateClick()
{
    if (TformatStringItem* item = Fformats.Items().Items(lbFormats->currentRow()))
        item->formatString = edFormatString->text().toStdString();
}

void TfrmViewSettings::SetDefaultsClick()
{
    Fformats.ResetDefaults();
    FillFormatList();
    if (const TformatStringItem* item = Fformats.Items().Items(lbFormats->currentRow()))
        edFormatString->setText(QString::fromStdString(item->formatString));
}

bool EditViewSettings(TtreeViewDisplayMode* modes, TtagListDisplaySettings* trackList,
                      TtagListDisplaySettings* queueList, int& yearMode, bool showRadio, bool showVideo,
                      TformatStringContainer* formats, TcoverMatrixSize* coverMatrix)
{
    TfrmViewSettings form;
    QTabWidget* pages = form.pcPages;
    if (!modes) pages->setTabVisible(pages->indexOf(form.tsJukeboxView), false);
    else form.SetModes(*modes);
    form.ModeBox(dmVideo)->setVisible(showVideo);
    form.ModeBox(dmRadioStations)->setVisible(showRadio);
    if (trackList) {
        form.edTrackUnknownArtist->setText(QString::fromStdString(trackList->UnknownArtistString()));
        form.cbSortByFilename->setChecked(trackList->SortNoTrackNumbers() == tstTrackFilename);
    } else {
        pages->setTabVisible(pages->indexOf(form.tsTrackList), false);
    }
    if (queueList) form.edQueueUnknownArtist->setText(QString::fromStdString(queueList->UnknownArtistString()));
    else pages->setTabVisible(pages->indexOf(form.tsQueueList), false);
    if (formats) {
        form.Formats().SetItems(formats->Items());
        form.Formats().OnResetDefaults = formats->OnResetDefaults;
        form.FillFormatList();
    } else {
        pages->setTabVisible(pages->indexOf(form.tsDisplayFormats), false);
    }
    (yearMode == 1 ? form.rbDecades : form.rbYears)->setChecked(true);
    if (coverMatrix) {
        form.seHorizontal->setValue(coverMatrix->XCount);
        form.seVertical->setValue(coverMatrix->YCount);
    } else {
        pages->setTabVisible(pages->indexOf(form.tsCoverArt), false);
    }

    if (!IsOk(RunModal(form))) return false;

    if (trackList) {
        trackList->BeginUpdate();
        trackList->SetUnknownArtistString(form.edTrackUnknownArtist->text().toStdString());
        trackList->SetSortNoTrackNumbers(form.cbSortByFilename->isChecked() ? tstTrackFilename : tstTrackTitle);
        trackList->EndUpdate();
    }
    if (queueList) queueList->SetUnknownArtistString(form.edQueueUnknownArtist->text().toStdString());
    if (formats) formats->SetItems(form.Formats().Items());
    if (coverMatrix) {
        coverMatrix->XCount = form.seHorizontal->value();
        coverMatrix->YCount = form.seVertical->value();
    }
    // Kinds without a box on the page (track numbers) keep their state.
    TtreeViewDisplayMode shown = 0;
    for (const TmodeBoxDef& def : kModeBoxes) shown |= DisplayModeBit(def.Mode);
    if (modes) *modes = (*modes & ~shown) | form.Modes();
    yearMode = form.rbDecades->isChecked() ? 1 : 0;
    return true;
}

}  // namespace tunecrest
