// The main window's settings: read at start-up and again after the preferences, written at
// close and after a change the owner makes; the preferences dialog's side of them and what
// they change on the window; the skin they name, its colours, and the window's size and place.
#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPalette>
#include <QScreen>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>

#include "core/base/ini_file.h"
#include "core/base/services.h"
#include "core/display/color_text.h"
#include "core/jukebox/global_prefs.h"
#include "mainwindow/settings/general_settings.h"
#include "mainwindow/views/cover_matrix.h"
#include "mainwindow/window/main_form.h"
#include "mainwindow/window/main_form_guard.h"
#include "mainwindow/layout/main_layout.h"
#include "mainwindow/skin/main_window_skin.h"
#include "mainwindow/window/idle_monitor.h"
#include "skin/apply_skin.h"
#include "skin/keyboard.h"
#include "skin/paint_regions.h"
#include "skin/touch_list_box.h"
#include "skin/display_controls.h"
#include "skin/qt_color.h"
#include "skin/skin_colors.h"
#include "skin/skinned_control.h"

namespace tunecrest {

namespace {

// Starts the screen saver from a click (1) or a double click (2) on the picture it
// watches; 0 lets every click through.
class TcoverClickStarter : public QObject {
public:
    TcoverClickStarter(QObject* parent, std::function<void()> start) : QObject(parent), Fstart(std::move(start)) {}
    int Action = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const bool single = Action == 1 && event->type() == QEvent::MouseButtonRelease;
        const bool twice = Action == 2 && event->type() == QEvent::MouseButtonDblClick;
        if ((single || twice) && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            Fstart();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> Fstart;
};

}  // namespace

void TfrmBaseJukebox::SetTrackMouse(bool on)
{
    Fsettings.TrackMouse = on;
    if (!Flayout) return;
    for (TcustomTouchListBox* list : {static_cast<TcustomTouchListBox*>(Flayout->Tree),
                                      static_cast<TcustomTouchListBox*>(Flayout->TrackList),
                                      static_cast<TcustomTouchListBox*>(Flayout->QueueList)})
        if (list) list->TrackMouse = on;
    for (TpaintRegionContainer* matrix : {Flayout->CoverMatrix, Flayout->ArtistCoverMatrix})
        if (matrix) matrix->SetTrackMouse(on);
}

void TfrmBaseJukebox::SetCoverArtClickAction(int action)
{
    Fsettings.CoverArtClick = std::clamp(action, 0, 2);
    if (!Flayout || !Flayout->NowPlayingCover) return;
    QLabel* cover = Flayout->NowPlayingCover;
    auto* starter = cover->findChild<TcoverClickStarter*>(QString(), Qt::FindDirectChildrenOnly);
    if (!starter) {
        starter = new TcoverClickStarter(cover, [this] { StartScreenSaver(); });
        cover->installEventFilter(starter);
    }
    starter->Action = Fsettings.CoverArtClick;
}

void TfrmBaseJukebox::SetCoverArtFolderFirst(bool on)
{
    Fsettings.CoverArtUseFolderDefault = on;
    if (!Flayout) return;
    Flayout->CoverFileFirst = on;
    Flayout->Covers().CoverFileFirst = on;
    Flayout->ArtistCovers().CoverFileFirst = on;
}

void TfrmBaseJukebox::PreferencesChanged()
{
    // Keys are square: the keyboard is kKeyboardColumns keys wide.
    const int size = std::max(1, GlobalPrefs().KeySize());
    if (TfrmKeyboard* keyboard = ExistingKeyboard(); keyboard && keyboard->KeyboardWidth() != size * kKeyboardColumns)
        keyboard->SetKeySize(size);
}

void TfrmBaseJukebox::GetGeneralSettings(TprefsRec& rec)
{
    ReadGeneralSettings(Fsettings, JukeboxList(), rec);
    // The base window has no back button; the product layout has, with its three actions.
    rec.HideBackButtonGroup = dynamic_cast<TfrmCustomTunecrest*>(this) == nullptr;
    rec.BackButtonAction = FviewOptions.BackButtonMode;
}

void TfrmBaseJukebox::SetGeneralSettings(TprefsRec& rec)
{
    WriteGeneralSettings(rec, Fsettings);
    SetCoverArtFolderFirst(rec.CoverArtFolderFirst);
    SetCoverArtClickAction(rec.CoverArtClick);
    SetTrackMouse(rec.TrackMouse);
    SetMenuSize(rec.MenuHeight);
    if (dynamic_cast<TfrmCustomTunecrest*>(this) && rec.BackButtonAction >= 0 && rec.BackButtonAction <= 2)
        FviewOptions.BackButtonMode = rec.BackButtonAction;

    FidleMonitor->SetTimeout(Fsettings.ScreenSaverTimeout);
    FidleMonitor->SetDisableDuringVideo(Fsettings.DisableScreenSaverDuringVideoPlayback);
    FidleMonitor->SetEnabled(Fsettings.ScreenSaverEnabled);
    Fcontroller.DisableSaverDuringVideo = Fsettings.DisableScreenSaverDuringVideoPlayback;

    if (rec.JukeboxList && rec.MappingsChanged) {
        rec.JukeboxList->ArtistList().ApplyMappings();
        // The tree and the covers show the artists under their new names.
        BuildTreeView();
        RefreshCoversList();
    }
    UpdateCheckMarks();
    FsettingsStore->MarkChanged();
    WriteDisplaySettings();
}

std::vector<TskinnedControl*> TfrmBaseJukebox::SkinnedControls() const {
    return Flayout ? Flayout->SkinnedControls() : std::vector<TskinnedControl*>{};
}

void TfrmBaseJukebox::ApplySkinColors(uint32_t panel, uint32_t button, uint32_t text) {
    const QColor back = ToQColor(TColor(panel));
    const QColor face = ToQColor(TColor(button));
    const QColor fore = ToQColor(TColor(text));
    // Text on the panel must stand out from it: black or white where the scheme's text
    // colour (chosen for the buttons) would not.
    auto luma = [](const QColor& c) { return (299 * c.red() + 587 * c.green() + 114 * c.blue()) / 1000; };
    const QColor panelText = std::abs(luma(fore) - luma(back)) >= 110 ? fore
                             : luma(back) > 128                       ? QColor(Qt::black)
                                                                      : QColor(Qt::white);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, back);
    pal.setColor(QPalette::Base, back.darker(125));
    pal.setColor(QPalette::WindowText, panelText);
    pal.setColor(QPalette::Text, panelText);
    pal.setColor(QPalette::Button, face);
    pal.setColor(QPalette::ButtonText, fore);
    pal.setColor(QPalette::Highlight, face);
    setPalette(pal);
    const TColor checkedFont = DarkenColor(TColor(button), 30);
    for (TskinnedControl* c : SkinnedControls())
        if (auto* target = dynamic_cast<TskinColorTarget*>(c))
            target->ApplySkinColors(TColor(button), TColor(panel), checkedFont, TColor(text));
    ApplyMenuColors(TColor(panel), TColor(text));
    // The timer is opaque: its digits in the panel's text colour on the panel's colour.
    if (Flayout && Flayout->Timer) {
        TFont font = Flayout->Timer->Font();
        font.Color = FromQColor(panelText);
        Flayout->Timer->SetFont(font);
        Flayout->Timer->SetBackColor(TColor(panel));
    }
}

bool TfrmBaseJukebox::LoadSkin(const std::string& folder) {
    const std::filesystem::path base(folder);
    std::error_code ec;
    if (folder.empty() || !std::filesystem::is_regular_file(base / TskinFile::kFileName, ec)) return false;
    Fskin->SetDefaultSkinFile(GetDefaultSkinFile());
    return Fskin->LoadSkin((base / TskinFile::kFileName).string());
}

std::string TfrmBaseJukebox::GetSkinsFolder() const { return Ffolders ? Ffolders->SkinsFolder() : ""; }

std::string TfrmBaseJukebox::GetDefaultSkinFile() const {
    std::error_code ec;
    for (const auto& skins : {std::filesystem::path(GetSkinsFolder()), std::filesystem::path(ShippedFolders().SkinsFolder())}) {
        if (skins.empty()) continue;
        const auto file = skins / "Default" / TskinFile::kFileName;
        if (std::filesystem::is_regular_file(file, ec)) return file.string();
    }
    return "";
}

void TfrmBaseJukebox::SetSkinFile(const std::string& name,
                                  std::function<void(bool ok, const std::string& error)> done) {
    std::error_code ec;
    std::filesystem::path file = std::filesystem::path(GetSkinsFolder()) / name;
    if (name.empty() || !std::filesystem::is_regular_file(file, ec)) file = GetDefaultSkinFile();
    if (file.empty()) {
        if (done) done(false, "There is no skin to load.");
        return;
    }
    const auto relative = file.lexically_relative(GetSkinsFolder());
    Fsettings.SkinFile = relative.empty() || *relative.begin() == ".." ? file.string() : relative.string();
    Fskin->SetDefaultSkinFile(GetDefaultSkinFile());
    Fskin->ChangeSkin(file.string(), std::move(done));
}

std::string TfrmBaseJukebox::SkinFolder() const {
    std::error_code ec;
    if (!Fsettings.SkinFile.empty()) {
        const auto named = std::filesystem::path(Ffolders->SkinsFolder()) / Fsettings.SkinFile;
        if (std::filesystem::is_regular_file(named, ec)) return named.parent_path().string();
    }
    const auto shipped = std::filesystem::path(ShippedFolders().SkinsFolder()) / "Default";
    if (std::filesystem::is_regular_file(shipped / "skin.usk", ec)) return shipped.string();
    return "";
}

void TfrmBaseJukebox::ReadDisplaySettings() {
    ReloadPlayerSettings();
    TiniFile ini = FsettingsStore->Open();
    ReadPreferences(ini);
}

void TfrmBaseJukebox::ReadPreferences(const TiniFile& ini) {
    Fsettings.Read(ini);
    SetSongTitleScroll(Fsettings.SongTitleScroll);
    if (Flayout) {
        Flayout->Keys.Read(ini);
        Flayout->FormatStrings.LoadFromSettings(ini, kFormatStringsSection);
        Flayout->TrackListDisplay.LoadFromSettings(ini, "TrackListDisplaySettings");
        Flayout->QueueListDisplay.LoadFromSettings(ini, "QueueListDisplaySettings");
        Flayout->CoverAcross = Fsettings.CoverArtMatrixHorizontal;
        Flayout->CoverDown = Fsettings.CoverArtMatrixVertical;
        Flayout->Lists().ShowTrackDetails = Fsettings.ShowTrackDetails;
        Flayout->Lists().ExtendedTrackDetails = Fsettings.ExtendedTrackDetails;
        FbrowseNodes = uint32_t(Fsettings.ViewJukeboxList);
        Flayout->Browse().Viewer().SetDisplayMode(TtreeViewDisplayMode(FbrowseNodes));
    }
    SetTrackMouse(Fsettings.TrackMouse);
    SetMenuSize(Fsettings.MenuSize);
    SetCoverArtClickAction(Fsettings.CoverArtClick);
    SetCoverArtFolderFirst(Fsettings.CoverArtUseFolderDefault);
    GlobalPrefs().LoadFromIni(ini);
    FidleMonitor->SetTimeout(Fsettings.ScreenSaverTimeout);
    FidleMonitor->SetDisableDuringVideo(Fsettings.DisableScreenSaverDuringVideoPlayback);
    FidleMonitor->SetEnabled(Fsettings.ScreenSaverEnabled);
    Fcontroller.DisableSaverDuringVideo = Fsettings.DisableScreenSaverDuringVideoPlayback;
    if (Flist) {
        Flist->SetRandomPlayActive(Fsettings.RandomPlayEnabled);
        Flist->SetStackerActive(Fsettings.StackerEnabled);
        Flist->SetQueueNoDuplicates(Fsettings.NoQueueDuplications);
    }
    {
        // A skin the settings name that is gone, or is no regular file, is not loaded: say so.
        std::error_code ec;
        const auto named = std::filesystem::path(Ffolders->SkinsFolder()) / Fsettings.SkinFile;
        if (!Fsettings.SkinFile.empty() && !std::filesystem::is_regular_file(named, ec))
            LogError("Skin \"" + named.string() + "\" is missing or no file; the Default skin is used");
    }
    LoadSkin(SkinFolder());
    ApplyGeometry();
    ReadViewOptions(ini);
    Factions->ReadShortcuts(ini);
    FpartyPlay.LoadFromIni(ini, "PartyPlay");
    // Party play set to start with the program needs no password; a later reading of the
    // settings leaves the switch as the person left it.
    if (!Finitialised && FpartyPlay.GetStartInPartyPlay()) Fguards->StartInPartyPlay();
    else Fguards->UpdateActionStates();
    ReadRemoteSettings(ini);
    ApplyWindowSettings();
}

void TfrmBaseJukebox::ApplyGeometry() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1280, 800);
    Tgeometry stored = Fsettings.Geometry;
    // Without a stored size (a first run) the window takes the size its layout is made
    // for, as far as the screen allows: 800 x 600 cut the labels of the three columns.
    if (!Fsettings.GeometrySized) {
        stored.Width = Fsettings.Geometry.Width = std::min(kFirstRunWidth, area.width());
        stored.Height = Fsettings.Geometry.Height = std::min(kFirstRunHeight, area.height());
    }
    if (Fsettings.GeometryCentred) {
        stored.Left = (area.width() - stored.Width) / 2;
        stored.Top = (area.height() - stored.Height) / 2;
    }
    // A centred window is written back where it was shown, so it comes back there.
    if (Fsettings.GeometryCentred) {
        Fsettings.Geometry.Left = stored.Left;
        Fsettings.Geometry.Top = stored.Top;
        Fsettings.GeometryCentred = false;
    }
    const Tgeometry g = ClampGeometry(stored, area.width(), area.height());
    FnormalBounds = QRect(area.x() + g.Left, area.y() + g.Top, g.Width, g.Height);
    FplacingWindow = true;
    setGeometry(FnormalBounds);
    if (Fsettings.FullScreen) setWindowState(windowState() | Qt::WindowFullScreen);
    else setWindowState(windowState() & ~Qt::WindowFullScreen);
    FplacingWindow = false;
}

void TfrmBaseJukebox::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    NoteNormalBounds();
}

void TfrmBaseJukebox::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    NoteNormalBounds();
    FitMenuBar();
}

void TfrmBaseJukebox::NoteNormalBounds() {
    // Only a shown window in its normal state moved or sized by someone else than the
    // program counts; full screen and minimised are states, not places.
    if (FplacingWindow || !isVisible() || (windowState() & (Qt::WindowFullScreen | Qt::WindowMaximized |
                                                            Qt::WindowMinimized)) != 0)
        return;
    const QRect bounds = geometry();
    if (bounds == FnormalBounds || !bounds.isValid()) return;
    FnormalBounds = bounds;
    // The geometry written is the window's own now (the values read are written only as
    // long as nobody moved or sized the window).
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const QPoint origin = screen ? screen->availableGeometry().topLeft() : QPoint();
    Fsettings.Geometry = Tgeometry{bounds.x() - origin.x(), bounds.y() - origin.y(), bounds.width(), bounds.height()};
    Fsettings.GeometrySized = true;
}

void TfrmBaseJukebox::PlaceNormalBounds() {
    // Leaving full screen: back to the bounds the window had before it, whatever the
    // window system kept (a window made anew while full screen, by Always on Top, would
    // otherwise keep the size of the screen at some offset).
    if (!FnormalBounds.isValid() || IsFullScreen()) return;
    FplacingWindow = true;
    setGeometry(FnormalBounds);
    FplacingWindow = false;
}

void TfrmBaseJukebox::WritePreferences(TiniFile& ini) {
    CollectWindowSettings();
    Fsettings.Write(ini);
    if (Flayout) {
        Flayout->Keys.Write(ini);
        WriteViewOptions(ini);
        Flayout->FormatStrings.SaveToSettings(ini, kFormatStringsSection);
        Flayout->TrackListDisplay.SaveToSettings(ini, "TrackListDisplaySettings");
        Flayout->QueueListDisplay.SaveToSettings(ini, "QueueListDisplaySettings");
    }
    GlobalPrefs().SaveToIni(ini);
    Factions->WriteShortcuts(ini);
    FpartyPlay.SaveToIni(ini, "PartyPlay");
    WriteRemoteSettings(ini);
    // The five object sections, each on its own so one failure does not stop the rest.
    Guard("Error saving Player", [&] {
        if (auto* p = Fcontroller.Player()) p->SaveSettings(ini, "Player");
    });
    Guard("Error saving Jukebox", [&] {
        if (Flist) Flist->SaveSettings(ini, "Jukebox");
    });
    Guard("Error saving PlaylistEditor and Stacker", [&] { Fdialogs->SaveWindowSettings(ini); });
}

void TfrmBaseJukebox::WriteDisplaySettings() {
    TiniFile ini = FsettingsStore->Open();
    WritePreferences(ini);
    std::string error;
    if (!FsettingsStore->Save(ini, &error)) LogError("settings.ini was not written: " + error);
}

void TfrmBaseJukebox::ReloadPlayerSettings() {
    if (auto* p = Fcontroller.Player()) p->LoadSettings(FsettingsStore->Open(), "Player");
}

}  // namespace tunecrest
