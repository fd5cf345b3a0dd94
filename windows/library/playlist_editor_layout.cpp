// The playlist editor's layout kept in the settings: the window's size and place, the
// sizes of its panels (put in place once the window is on screen), the playlist folder
// and the filter.
#include "windows/library/playlist_editor.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSplitter>
#include <algorithm>

#include "core/base/ini_file.h"

namespace tunecrest {

namespace {
// The least a panel of the editor keeps when stored sizes are put in place.
constexpr int kMinPanelSize = 80;
}  // namespace

// The largest window side or offset a stored layout may hold.
constexpr int kMaxStoredSize = 32768;

void TfrmNewPlaylistEditor::LoadSettings(const TiniFile& ini, const std::string& section) {
    const int w = ini.ReadIntegerWithin(section, "Width", width(), 100, kMaxStoredSize);
    const int h = ini.ReadIntegerWithin(section, "Height", height(), 100, kMaxStoredSize);
    resize(w, h);
    const QSize screen =
        QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->size() : QSize(w, h);
    move(ini.ReadIntegerWithin(section, "Left", (screen.width() - width()) / 2, -kMaxStoredSize, kMaxStoredSize),
         ini.ReadIntegerWithin(section, "Top", (screen.height() - height()) / 2, -kMaxStoredSize, kMaxStoredSize));
    // The panel sizes are kept and put in place once the window has its size on screen
    // (a window not shown yet has no panel sizes to share out).
    FpanelSizes.RightPanelWidth = ini.ReadIntegerWithin(section, "RightPanelWidth",
                                                        CurrentPanelSizes().RightPanelWidth, 0, kMaxStoredSize);
    FpanelSizes.TrackListHeight = ini.ReadIntegerWithin(section, "TrackListHeight",
                                                        CurrentPanelSizes().TrackListHeight, 0, kMaxStoredSize);
    FpanelSizes.SelectionHeight = ini.ReadIntegerWithin(section, "PLSelectionHeight",
                                                        CurrentPanelSizes().SelectionHeight, 0, kMaxStoredSize);
    if (isVisible()) ApplyPanelSizes();
    FplaylistFolder = ini.ReadString(section, "PlaylistFolder", FplaylistFolder);
    Ffilter->LoadFromIni(ini, section);
}

void TfrmNewPlaylistEditor::SaveSettings(TiniFile& ini, const std::string& section) const {
    ini.WriteInteger(section, "Width", width());
    ini.WriteInteger(section, "Height", height());
    ini.WriteInteger(section, "Left", x());
    ini.WriteInteger(section, "Top", y());
    const TeditorPanelSizes sizes = CurrentPanelSizes();
    ini.WriteInteger(section, "RightPanelWidth", sizes.RightPanelWidth);
    ini.WriteInteger(section, "TrackListHeight", sizes.TrackListHeight);
    ini.WriteInteger(section, "PLSelectionHeight", sizes.SelectionHeight);
    ini.WriteString(section, "PlaylistFolder", FplaylistFolder);
    Ffilter->SaveToIni(ini, section);
}

TfrmNewPlaylistEditor::TeditorPanelSizes TfrmNewPlaylistEditor::CurrentPanelSizes() const {
    // Until the panels were laid out on screen their sizes are the ones read.
    if (!FpanelsShown) return FpanelSizes;
    return {FmainSplit->sizes().value(1), FleftSplit->sizes().value(1), FrightSplit->sizes().value(0)};
}

void TfrmNewPlaylistEditor::ApplyPanelSizes() {
    // A size of 0 (none read) leaves the panel as the layout made it.
    auto share = [](QSplitter* split, int first, int second, bool secondGiven) {
        const QList<int> sizes = split->sizes();
        const int total = sizes.value(0) + sizes.value(1);
        if (total <= 0) return false;
        // A stored size never squeezes the other panel out of sight.
        const int room = std::max(0, total - std::min(kMinPanelSize, total / 2));
        if (secondGiven) {
            second = std::min(second, room);
            split->setSizes({total - second, second});
        } else {
            first = std::min(first, room);
            split->setSizes({first, total - first});
        }
        return true;
    };
    // The panels have no sizes until the window is laid out on screen: tried again then.
    if (FmainSplit->sizes().value(0) + FmainSplit->sizes().value(1) <= 0) return;
    if (FpanelSizes.RightPanelWidth > 0) share(FmainSplit, 0, FpanelSizes.RightPanelWidth, true);
    if (FpanelSizes.TrackListHeight > 0) share(FleftSplit, 0, FpanelSizes.TrackListHeight, true);
    if (FpanelSizes.SelectionHeight > 0) share(FrightSplit, FpanelSizes.SelectionHeight, 0, false);
    FpanelsShown = true;
}

}  // namespace tunecrest
