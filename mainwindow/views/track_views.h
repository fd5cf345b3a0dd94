#pragma once
// The track list and the queue list of the main window: two touch lists painted from
// the rows list_display makes, in the list fonts and colours of the skin's "Lists" store,
// with a row icon, and the track details as a hover hint.
#include <QObject>
#include <string>
#include <vector>

#include "mainwindow/views/list_display.h"

class QPainter;
class QRect;

namespace tunecrest {

class TimageList;
class TtouchListBox;
class TtouchTreeView;
class TtagListDisplaySettings;

// The row icons, by their place in the shared icon list.
enum TlistIcon : int {
    liFolder = 0,
    liEmpty = 2,
    liFolderSelected = 3,  // the selected node of the library windows' trees
    liFolderOpen = 4,
    liAlbum = 5,
    liAlbumOpen = 6,
    liPlaylist = 7,
    liActivePlaylist = 8,
    liTrack = 10,
    liVideo = 11,
    liArtistAlbum = 12,  // a cartridge of one album artist in the stacker list
    liKaraoke = 13,
    liStation = 14
};
// The shared list icons, drawn from code once; given to the global preferences as their
// image list when they have none.
TimageList& ListIcons();
// The icon of a track row by its media kind, or of a station row.
int TrackIcon(const TaudioTag* tag);

// A row's text that ran `width` pixels into `textRect` and is wider than it fades out into
// the row's background `back` at the right edge instead of stopping mid-letter.
void FadeOverflow(QPainter& canvas, const QRect& textRect, int width, TColor back);

// The height of a list row for `font`: the height of "Yy" with room around it, and never
// below a finger's 48 pixels.
int ListRowHeight(const TFont& font);

class TtrackListViews : public QObject {
  public:
    TtrackListViews(TtouchListBox& tracks, TtouchListBox& queue, const TfontContainer& fonts,
                    const TformatStringContainer& formats, const TtagListDisplaySettings& trackSettings,
                    const TtagListDisplaySettings& queueSettings);
    ~TtrackListViews() override;

    TtouchListBox& TrackList() { return Ftracks; }
    TtouchListBox& QueueList() { return Fqueue; }

    // The display mode the rows are chosen under (the browse tree's).
    TtreeViewDisplayMode DisplayMode = 0;
    // Hover hints only while on; the extended lines and the index line as asked.
    bool ShowTrackDetails = false;
    bool ExtendedTrackDetails = false;
    bool ShowIndexes = false;
    bool KeepTrackCount = false;

    // What the track list shows: the node's rows (nothing for nullptr), or an album's.
    void ShowNode(const TmyNode* node);
    void ShowAlbum(const TaudioTagAlbumPtr& album);
    void ClearTracks();
    // The rows shown are formatted again (fonts or settings changed).
    void RefreshTracks();
    const TtrackRows& Rows() const { return Frows; }
    // The queue rows after a queue change.
    void RefreshQueue(const TaudioTagList& queue);
    const TqueueRows& Queue() const { return FqueueRows; }

    // The tracks of the selected rows of the track list, in row order.
    std::vector<TaudioTagPtr> SelectedTracks() const;
    // The selected station (name and address); false when the list shows no stations or
    // none is selected.
    bool SelectedStation(std::string& name, std::string& url) const;
    // The hint of a row of either list; empty with track details off or outside the rows.
    std::string HintAt(const TtouchListBox& list, int row) const;

    // List font 0 and the colours from the store; row heights follow the font.
    void ApplyListAppearance();
    void PaintRow(const TtouchListBox& list, int index, const QRect& rect, QPainter& canvas, bool selected);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    TlistContext Context(const TtagListDisplaySettings& settings) const;
    void SetRows(TtrackRows rows);

    TtouchListBox& Ftracks;
    TtouchListBox& Fqueue;
    const TfontContainer& Ffonts;
    const TformatStringContainer& Fformats;
    const TtagListDisplaySettings& FtrackSettings;
    const TtagListDisplaySettings& FqueueSettings;
    TtrackRows Frows;
    TqueueRows FqueueRows;
};

}  // namespace tunecrest
