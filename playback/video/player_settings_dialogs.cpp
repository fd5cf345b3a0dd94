#include "playback/video/player_settings_dialogs.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <algorithm>
#include <exception>

#include "core/jukebox/media_player.h"
#include "core/base/services.h"
#include "playback/dshow_player.h"
#include "playback/graph_utils.h"
#include "playback/outside_player_engine.h"
#include "playback/video/filter_graph_panel.h"

namespace tunecrest {

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

void FillCombo(QComboBox* combo, const std::vector<std::string>& items) {
    combo->clear();
    for (const auto& item : items) combo->addItem(Q(item));
}

}  // namespace

TvideoDeviceLists CurrentVideoDeviceLists() {
    TvideoDeviceLists lists;
    lists.Monitors = GetMonitorList();
    lists.SoundCards.push_back(TcustomVideoPlayer::kDefaultAudioDevice);
    for (auto& name : GetAudioRendererNames())
        if (name != TcustomVideoPlayer::kDefaultAudioDevice) lists.SoundCards.push_back(std::move(name));
    return lists;
}

// ---------------------------------------------------------------------------------------
// Shared controls

TplayerSettingsDialog::TplayerSettingsDialog(QWidget* parent)
    : QDialog(parent),
      cboMonitor(new QComboBox(this)),
      cbAutoFullScreen(new QCheckBox("Auto Full Screen", this)),
      cboVideoSoundCard(new QComboBox(this)),
      btnOK(new QPushButton("&OK", this)),
      btnCancel(new QPushButton("&Cancel", this)) {
    cboMonitor->setObjectName("cboMonitor");
    cbAutoFullScreen->setObjectName("cbAutoFullScreen");
    cboVideoSoundCard->setObjectName("cboVideoSoundCard");
    btnOK->setObjectName("btnOK");
    btnOK->setDefault(true);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

QLayout* TplayerSettingsDialog::ButtonRow() {
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(btnOK);
    row->addWidget(btnCancel);
    return row;
}

void TplayerSettingsDialog::AddVideoRows(QFormLayout* form) {
    form->addRow("Full Screen Monitor:", cboMonitor);
    form->addRow(QString(), cbAutoFullScreen);
    form->addRow("Video Sound Card", cboVideoSoundCard);
}

void TplayerSettingsDialog::FillLists(const TvideoDeviceLists& lists) {
    FillCombo(cboMonitor, lists.Monitors);
    FillCombo(cboVideoSoundCard, lists.SoundCards);
}

void TplayerSettingsDialog::ShowVideoSettings(const TcustomVideoPlayer* video) {
    if (!video) {
        cboMonitor->setCurrentIndex(0);
        return;
    }
    cbAutoFullScreen->setChecked(video->GetAutoFullScreen());
    const int monitor = video->GetMonitor();
    cboMonitor->setCurrentIndex(monitor >= 0 && monitor < cboMonitor->count() ? monitor : 0);
    cboVideoSoundCard->setCurrentIndex(
        cboVideoSoundCard->findText(Q(video->AudioDevice()), Qt::MatchExactly));
}

void TplayerSettingsDialog::ApplyVideoSettings(TcustomVideoPlayer& video) const {
    video.SetAutoFullScreen(cbAutoFullScreen->isChecked());
    video.SetMonitor(std::max(0, cboMonitor->currentIndex()));
    if (cboVideoSoundCard->currentIndex() >= 0)
        video.SetAudioDevice(cboVideoSoundCard->currentText().toStdString());
}

bool TplayerSettingsDialog::ApplySafely(const std::function<void()>& work) {
    try {
        work();
        return true;
    } catch (const std::exception& e) {
        LogError(e.what());
        Prompt().ShowMessage(e.what(), windowTitle().toStdString());
        return false;
    }
}

// ---------------------------------------------------------------------------------------
// In-process engine

TfrmDShowPlayer::TfrmDShowPlayer(QWidget* parent) : TplayerSettingsDialog(parent) {
    setWindowTitle("DirectShow Player");

    auto* form = new QFormLayout;
    AddVideoRows(form);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(ButtonRow());
}

void TfrmDShowPlayer::Open(TdshowPlayer& player, const TvideoDeviceLists& lists) {
    Fplayer = &player;
    FillLists(lists);
    ShowVideoSettings(player.VideoPlayer());
}

void TfrmDShowPlayer::accept() {
    if (Fplayer && !ApplySafely([this] {
            for (int i = 0; i < Fplayer->VideoPlayerCount(); ++i)
                ApplyVideoSettings(Fplayer->VideoPlayers(i));
        }))
        return;
    QDialog::accept();
}

// ---------------------------------------------------------------------------------------
// Outside-player engine

TfrmWinampConfig::TfrmWinampConfig(QWidget* parent) : TplayerSettingsDialog(parent) {
    setWindowTitle("Winamp Player");
    ChooseFolder = [](const std::string& title, const std::string& start) {
        return Prompt().ChooseFolder(title, start);
    };

    pcSettings = new QTabWidget(this);
    auto* page = new QWidget;
    auto* pageLayout = new QVBoxLayout(page);

    gbPlayer = new QGroupBox("Player Settings", page);
    sbVolume = new QScrollBar(Qt::Horizontal, gbPlayer);
    sbVolume->setRange(0, 255);
    auto* playerLayout = new QFormLayout(gbPlayer);
    playerLayout->addRow("Volume: ", sbVolume);
    // The volume follows the bar at once, not only on OK.
    connect(sbVolume, &QScrollBar::valueChanged, this, [this](int value) {
        if (Fplayer) Fplayer->SetVolume(uint8_t(value));
    });

    gbWinamp = new QGroupBox("Winamp Settings", page);
    edWinampFolder = new QLineEdit(gbWinamp);
    btnBrowse = new QPushButton("...", gbWinamp);
    connect(btnBrowse, &QPushButton::clicked, this, [this] { BrowseFolder(); });
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(edWinampFolder);
    folderRow->addWidget(btnBrowse);
    cbUseWinampVideo = new QCheckBox("Use Winamp for Video Playback", gbWinamp);
    connect(cbUseWinampVideo, &QCheckBox::toggled, this, [this] { UpdateVideoGroup(); });
    cbAutoRelaunch = new QCheckBox("Automatically Restart Winamp if it crashes", gbWinamp);
    auto* winampLayout = new QVBoxLayout(gbWinamp);
    winampLayout->addWidget(new QLabel("Winamp Folder :", gbWinamp));
    winampLayout->addLayout(folderRow);
    winampLayout->addWidget(new QLabel("* This needs to specify the location of Winamp.EXE", gbWinamp));
    winampLayout->addWidget(cbUseWinampVideo);
    winampLayout->addWidget(cbAutoRelaunch);

    gbVideo = new QGroupBox("Video Settings", page);
    AddVideoRows(new QFormLayout(gbVideo));

    pageLayout->addWidget(gbPlayer);
    pageLayout->addWidget(gbWinamp);
    pageLayout->addWidget(gbVideo);
    pageLayout->addStretch();
    pcSettings->addTab(page, "General Settings");

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pcSettings);
    layout->addLayout(ButtonRow());
    UpdateVideoGroup();
}

void TfrmWinampConfig::UpdateVideoGroup() {
    gbVideo->setEnabled(!cbUseWinampVideo->isChecked());
}

void TfrmWinampConfig::Open(TwinampMediaPlayer* player, const TvideoDeviceLists& lists) {
    Fplayer = player;
    FillLists(lists);
    if (!player) {
        ShowVideoSettings(nullptr);
        Prompt().ShowMessage(kNoPlayer, windowTitle().toStdString());
        return;
    }
    {
        // Showing the volume is no change of it.
        const QSignalBlocker blocker(sbVolume);
        sbVolume->setValue(player->GetVolume());
    }
    edWinampFolder->setText(Q(player->GetWinampFolder()));
    cbUseWinampVideo->setChecked(!player->UsesDShowVideo());
    cbAutoRelaunch->setChecked(player->AutoRelaunch);
    UpdateVideoGroup();
    ShowVideoSettings(player->VideoPlayer());
}

void TfrmWinampConfig::BrowseFolder() {
    if (!ChooseFolder) return;
    if (const auto folder = ChooseFolder(kLocateTitle, edWinampFolder->text().toStdString()))
        edWinampFolder->setText(Q(*folder));
}

void TfrmWinampConfig::accept() {
    if (!Fplayer) {
        Prompt().ShowMessage(kNoPlayer, windowTitle().toStdString());
        QDialog::reject();
        return;
    }
    const bool applied = ApplySafely([this] {
        Fplayer->WinampPath = edWinampFolder->text().toStdString();
        Fplayer->SetUseDShowVideo(!cbUseWinampVideo->isChecked());
        Fplayer->AutoRelaunch = cbAutoRelaunch->isChecked();
        if (TcustomVideoPlayer* video = Fplayer->VideoPlayer()) ApplyVideoSettings(*video);
    });
    if (applied) QDialog::accept();
}

// ---------------------------------------------------------------------------------------

void InstallPlayerSettingsDialogs(QWidget* parent, std::function<void(QDialog&)> run) {
    const QPointer<QWidget> owner(parent);
    if (!run) run = [](QDialog& dialog) { dialog.exec(); };
    TdshowPlayer::SetConfigDialog([owner, run](TdshowPlayer& player) {
        TfrmDShowPlayer dialog(owner.data());
        dialog.Open(player, CurrentVideoDeviceLists());
        run(dialog);
    });
    TwinampMediaPlayer::SetConfigDialog([owner, run](TwinampMediaPlayer& player) {
        TfrmWinampConfig dialog(owner.data());
        dialog.Open(&player, CurrentVideoDeviceLists());
        run(dialog);
    });
}

}  // namespace tunecrest
