#include "mainwindow/layout/layout_view_options.h"

#include "core/base/ini_file.h"

namespace tunecrest {

namespace {
int Mode(int value, int highest) { return value < 0 || value > highest ? 0 : value; }
}  // namespace

void TlayoutViewOptions::Read(const TiniFile& ini) {
    StackerVisible = ini.ReadBool("Stacker", "Visible", StackerVisible);
    SongTitleVisible = ini.ReadBool("SongTitle", "Visible", SongTitleVisible);
    VolumeMode = Mode(ini.ReadInteger("VolumeScrollbar", "Mode", 0), 2);
    TimerWidth = ini.ReadIntegerWithin("Geometry", "TimerWidth", TimerWidth, 0, 1000);
    QueueCDButton = ini.ReadBool("View", "QueueCDButton", QueueCDButton);
    SearchButton = ini.ReadBool("View", "SearchButton", SearchButton);
    BackButtonMode = Mode(ini.ReadInteger("BackButton", "Mode", 0), 2);
    BackButton = ini.ReadBool("View", "BackButton", BackButton);
    TrackPositionMode = Mode(ini.ReadInteger("TrackPosScrollbar", "Mode", 0), 1);
    AddGap = ini.ReadBool("View", "AddGap", AddGap);
}

void TlayoutViewOptions::Write(TiniFile& ini) const {
    ini.WriteBool("Stacker", "Visible", StackerVisible);
    ini.WriteBool("SongTitle", "Visible", SongTitleVisible);
    ini.WriteInteger("VolumeScrollbar", "Mode", VolumeMode);
    ini.WriteInteger("TrackPosScrollbar", "Mode", TrackPositionMode);
    ini.WriteInteger("Geometry", "TimerWidth", TimerWidth);
    ini.WriteBool("View", "QueueCDButton", QueueCDButton);
    ini.WriteBool("View", "SearchButton", SearchButton);
    ini.WriteInteger("BackButton", "Mode", BackButtonMode);
    ini.WriteBool("View", "BackButton", BackButton);
    ini.WriteBool("View", "AddGap", AddGap);
}

void TviewOptionsPartyPlay::Update(bool party, const TpartyPlaySettings& settings, TlayoutViewOptions& options) {
    if (party) {
        if (!Fsaved) {
            Fsaved = true;
            FvolumeMode = options.VolumeMode;
            FtrackPositionMode = options.TrackPositionMode;
            FbackButton = options.BackButton;
            FstackerVisible = options.StackerVisible;
        }
        // Applied from the saved options, so a setting switched back off under party play
        // brings its bar back.
        options.StackerVisible = !settings.GetDisableStackerControl();
        options.BackButton = false;
        options.TrackPositionMode = settings.GetDisableTrackSearching() ? 0 : FtrackPositionMode;
        options.VolumeMode = settings.GetDisableVolumeChanging() ? 0 : FvolumeMode;
    } else if (Fsaved) {
        Fsaved = false;
        options.VolumeMode = FvolumeMode;
        options.TrackPositionMode = FtrackPositionMode;
        options.BackButton = FbackButton;
        options.StackerVisible = FstackerVisible;
    }
}

}  // namespace tunecrest
