#pragma once
// What the main window's lists show, without a widget: the format strings and the list
// font store with their defaults, the rows of the track list for a chosen browse-tree
// node, the rows of the queue, the hover hints, the captions of the browse tree's nodes
// and the album list of the cover views with its paging. The views in track_views,
// browse_views and cover_matrix only paint what these give.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/library/album_artist_groupings.h"
#include "core/display/browse_tree.h"
#include "core/display/font_store.h"
#include "core/display/track_format.h"
#include "mainwindow/skin/skin_font_stores.h"

namespace tunecrest {

class TcustomJukeboxList;
class TmyNode;
class TurlList;
class TtagListDisplaySettings;

// The eight format strings by index.
enum TlistFormat : int {
    lfAlphabeticalTrackList = 0,
    lfArtistTrackList = 1,
    lfGenres = 2,
    lfTrackNumbers = 3,
    lfQueueList = 4,
    lfSongTitleFull = 5,
    lfSongTitleNoTrackNumber = 6,
    lfSongTitleNoAlbum = 7
};
inline constexpr int kListFormatCount = 8;
// The format of the tracks under "[Videos]".
inline constexpr const char* kVideoTrackFormat = "%2 <FDU:[>%t<FDU:]>";

// Puts back the eight format strings with their names and defaults.
void ResetFormatStrings(TformatStringContainer& formats);
// The format of that index; the default when the store has no such entry.
std::string ListFormat(const TformatStringContainer& formats, int index);

// The list store's fonts by index and its colours by index.
enum TlistFont : int {
    lfnHeading = 0,
    lfnSubHeading,
    lfnArtist,
    lfnAlbum,
    lfnTitle,
    lfnDetails,
    lfnTrackIndex,
    lfnGenre,
    lfnComment,
    lfnCharacters,
    lfnExtraFields
};
// The colours by index are the list store's (TlistStoreColor, skin_font_stores.h).
// The font or colour of the store by index; a plain default when the store is short.
TFont ListFont(const TfontContainer& store, int index);
TColor ListColor(const TfontContainer& store, int index);

// What the track list shows.
struct TtrackRows {
    // The node's list (kept alive while shown); null when a URL list or nothing is shown.
    std::shared_ptr<TObject> Source;
    const TurlList* Urls = nullptr;
    std::string Format;  // the format the rows were made with
    int FontIndex = lfnAlbum;
    int HintMode = 0;
    bool Playlist = false;
    bool ShowNumbers = false;
    bool NumberByPosition = false;
    bool MultiSelect = true;
    // The rows in display order; the track list never reorders the library's own lists.
    std::vector<TaudioTagPtr> Tracks;
    int Count() const;
    // The markup text of a row (empty outside the rows), made when asked for: a list of a
    // hundred thousand tracks paints the few rows on screen, and keeps no text of the others.
    std::string Text(int index) const;
    // What the texts are made with (FormatTrackRows): the format read once, the width of
    // the numbers and the text of a missing artist; with numbers by position, each row's
    // place in the list before the rows were put in the order of their texts.
    std::shared_ptr<const TtrackFormat> Compiled;
    int NumberWidth = 0;
    std::string UnknownArtist;
    std::vector<uint32_t> Places;
};

// The library and settings the rows are made with.
struct TlistContext {
    const TformatStringContainer* Formats = nullptr;
    const TfontContainer* Fonts = nullptr;
    const TtagListDisplaySettings* Settings = nullptr;
    TtreeViewDisplayMode DisplayMode = 0;
};

// The rows for the chosen node (nullptr: nothing).
TtrackRows ChooseTrackRows(const TmyNode* node, const TlistContext& context);
// The rows of an album chosen in the cover matrix.
TtrackRows ChooseAlbumRows(const TaudioTagAlbumPtr& album, const TlistContext& context);
// Reads the rows' format and numbering again, then puts the rows in the order of their
// texts (without regard to case); a large list's texts are made on several threads, and
// dropped once ordered.
void FormatTrackRows(TtrackRows& rows, const TlistContext& context);
// Formats `tracks` with `format` (numbered first when `numbered`), the numbers being the
// position + 1 or the track number; texts in `texts`, the order unchanged.
void FormatTrackRows(const std::vector<TaudioTagPtr>& tracks, const std::string& format, bool numbered,
                     bool byPosition, const TlistContext& context, std::vector<std::string>& texts);
// The queue rows: format 4 (numbered with format 3 when track numbers are on); numbers
// by position unless `keepTrackCount`, then by the numbers they had (`previous`, keyed by
// track) so moved entries keep theirs.
struct TqueueRows {
    std::vector<TaudioTagPtr> Tracks;
    std::vector<std::string> Texts;
    std::vector<int> Numbers;
};
TqueueRows MakeQueueRows(const TaudioTagList& queue, const TlistContext& context, bool keepTrackCount,
                         const TqueueRows* previous);
// The markup of a station row: the name, escaped, in list font 2.
std::string StationRowText(const TfontContainer& fonts, const std::string& name);

// The queue heading: "Up Next" and the queue's track count and total duration.
std::string QueueHeaderText(const TfontContainer& fonts, int count, uint64_t seconds);
// The stacker panel's line: the stacker's state ("Empty", "Inactive", a cartridge name;
// empty while the stacker is off), escaped, in list font 5.
std::string StackerTitleText(const TfontContainer& fonts, const std::string& state);
// The track list heading: "Track List" and the name of what it shows (an artist, an album
// with its artist, a genre), followed by " : " when there is a name.
std::string TrackListHeaderText(const TfontContainer& fonts, const TObject* shown);
// A duration as the lists show it: "m:ss", or "h:mm:ss" from an hour.
std::string DurationText(uint64_t seconds);

// The hover hint of a track ("Index : ", "File : ", ... lines joined by CR).
std::string TrackHintText(const TaudioTag& tag, bool showIndex, bool extended);
// The hover hint of a station row.
std::string StationHintText(const std::string& url);

// The markup caption of a browse-tree node: fixed nodes with their counts, artists with
// their albums, albums with their tracks, playlists, genres and years.
std::string NodeCaption(const TmyNode& node, TcustomJukeboxList* library, const TfontContainer* fonts,
                        bool selected);

// --- the cover views --------------------------------------------------------------------

// The albums the cover matrix shows.
using TcoverAlbums = std::vector<TaudioTagAlbumPtr>;
// Mode 1: every album of the library, by name without regard to case, names beginning
// with "[" last (among themselves by their sort text).
TcoverAlbums AllCoverAlbums(TcustomJukeboxList& library);
// Mode 2: the shown artist's albums; for the "[Compilations]" node the compilation
// entry's albums; else none.
TcoverAlbums ArtistCoverAlbums(const TmyNode* selected, TcustomJukeboxList& library);
// The first shown index clamped as the matrix pages: beyond the last album 0; below 0
// the start of the last full page, never negative.
int ClampFirstCover(int first, int count, int regions);
// The page (its first index) holding the first album whose upper-cased name begins with
// `ch`; -1 when none does.
int CoverPageForChar(const TcoverAlbums& albums, char ch, int regions);
// The two caption lines of a cover: the album's artist as the covers list names it, and
// the album name.
std::string CoverArtistLine(const TaudioTagAlbum& album);

}  // namespace tunecrest
