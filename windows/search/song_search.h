#pragma once
// The search behind the touch song search window, without the window: the search and
// file-type modes with their captions, the search itself (re-run on every change of the
// typed text) and the queue operations the window hands the chosen tracks to.
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/library/tag_list_list.h"
#include "core/tags/audio_tag.h"

namespace tunecrest {

class TcustomJukeboxList;
class TmyStringList;

enum TsongSearchMode : int { ssmTitle = 0, ssmArtist = 1, ssmAlbum = 2, ssmIndex = 3 };
enum TsongFileTypeMode : int { sftAll = 0, sftAudio = 1, sftKaraoke = 2, sftVideo = 3 };

// "Title", "Artist", "Album", "Index".
const char* SongSearchModeCaption(int mode);
// "Search  All", "Search Audio", "Search Karaoke", "Search Video".
const char* SongFileTypeCaption(int mode);
// The media kinds a file-type mode lets through.
uint32_t SongFileTypeMask(int mode);
// Whether the library's global list keeps track index numbers (a track carries one, as a
// scan gives every track its place): the search offers its "Index" mode only then.
bool LibraryKeepsTrackIndexes(TcustomJukeboxList& library);

// The queue the window adds to. The program's implementation goes through the main
// window's guarded queue operations (credits, the queue limit, party play).
class TsongSearchQueue {
  public:
    virtual ~TsongSearchQueue() = default;
    // Queues the tracks in order; answers how many the queue took.
    virtual int AddTracks(const std::vector<TaudioTagPtr>& tracks) = 0;
    // Whether "Play Now" may cut the playing track (the next-control guard).
    virtual bool CanPlayNow() const = 0;
    // The track to the head of the queue and the player on to it; false when refused.
    virtual bool PlayNow(const TaudioTagPtr& track) = 0;
};

class TsongSearch {
  public:
    TcustomJukeboxList* Library() const { return Flibrary; }
    // Binding a library clears the results.
    void SetLibrary(TcustomJukeboxList* library);
    // Track-number mode exists only while the global list keeps track index numbers.
    bool UseTrackIndex = false;

    int SearchMode() const { return FsearchMode; }
    // Out-of-range modes (or the index mode without track numbers) become Title.
    void SetSearchMode(int mode);
    int FileTypeMode() const { return FfileTypeMode; }
    void SetFileTypeMode(int mode);
    int SearchModeCount() const { return UseTrackIndex ? 4 : 3; }
    int FileTypeModeCount() const;
    // One step on, wrapping to the first mode after the last one allowed.
    void NextSearchMode() { SetSearchMode((FsearchMode + 1) % SearchModeCount()); }
    void NextFileTypeMode() { SetFileTypeMode((FfileTypeMode + 1) % FileTypeModeCount()); }

    // Runs the search for `text` in the current modes; an empty text or no library
    // finds nothing, and so does a text that is not a number in the index mode. Names
    // match without regard to case and with their letters' accents left aside ("gelees"
    // finds "Bulles gelées"; see SearchFolded).
    // While the text grows (the new text holds the last one) in the same modes and the
    // library has not changed, only the last result is searched again; otherwise the
    // whole library is. Either way the result is the same.
    void Search(const std::string& text);
    // The results, made into tracks only when asked for (a list shows a few rows).
    int ResultCount() const;
    TaudioTagPtr Result(int index) const;
    // Every result as a track.
    std::vector<TaudioTagPtr> Results() const;
    void ClearResults();
    // The library has changed since the last search: its results may name tracks no longer
    // there (those rows are none) until the text is searched again.
    bool ResultsStale() const;
    // Whether the last search narrowed the one before it instead of reading the library.
    bool LastSearchNarrowed() const { return Fnarrowed; }
    // Makes the searches' folded copies of the library's titles, artists and albums now
    // (the window does it when shown, so that the first key does not; a large library's
    // on several threads); later searches make them again when the library has changed
    // since.
    void PrepareIndex();
    // Makes those copies a run at a time, the one the current mode searches first, until
    // `deadline` has passed (at least one run); true once all three are current. A window
    // calls it between its other work, so that no part of it holds the screen long; a
    // change of the library between two calls begins the changed copies again.
    bool PrepareIndexSome(std::chrono::steady_clock::time_point deadline);
    // Whether the current mode can search without making a copy first.
    bool IndexReady() const;

    // The row template of the current mode ("<far><ar>..." or "<fti><ti>..."), with the
    // album in brackets when the track has one.
    std::string RowFormat(const TaudioTag& tag) const;

  private:
    struct TtitleIndex;
    struct TgroupIndex;
    bool IndexCurrent() const;
    // A track of the title index; null once the library has changed since it was made.
    TaudioTagPtr IndexTrack(uint32_t track) const;
    const TaudioTagListList& Groups(bool artists) const;
    bool GroupIndexCurrent(bool artists) const;
    // The folded names of the artists (or albums), made when first searched.
    const TgroupIndex& GroupIndex(bool artists);
    bool MakeTitlesSome(std::chrono::steady_clock::time_point deadline);
    void UseTitleIndex(std::shared_ptr<TtitleIndex> index);
    bool MakeGroupsSome(bool artists, std::chrono::steady_clock::time_point deadline);
    void SearchTitles(const std::string& folded, uint32_t mask, bool narrow);
    void SearchGroups(const std::string& folded, uint32_t mask, bool artists, bool narrow);
    void SearchIndex(const std::string& text, uint32_t mask);

    TcustomJukeboxList* Flibrary = nullptr;
    int FsearchMode = ssmTitle;
    int FfileTypeMode = sftAll;
    // Tracks found by the number search.
    std::vector<TaudioTagPtr> Fresults;
    // The title search: the library's titles folded into one block, the places in it of
    // the titles found (before the once-per-file rule) and of the results.
    std::shared_ptr<TtitleIndex> Findex;
    std::vector<uint32_t> FtitleMatches;
    std::vector<uint32_t> FtitleSpare;  // room for the next matches
    std::vector<uint32_t> FtitleResults;
    bool FtitleResultsAreMatches = true;  // no file twice: the results are the matches
    bool FtitleSearch = false;            // the last search was a title search
    // The artist and album searches: the groups whose names held the last text, in order,
    // and their tracks as the results, made into tracks only when asked for. Each group
    // gives its tracks of the media mask: all of them (FgroupTracks empty), or those at the
    // places FgroupTracks lists; FgroupEnds[i] is the count of results up to group i.
    std::shared_ptr<TgroupIndex> Fartists, Falbums;
    // The copies being made a run at a time (PrepareIndexSome).
    std::shared_ptr<TtitleIndex> FtitleMaking;
    std::shared_ptr<TgroupIndex> FartistsMaking, FalbumsMaking;
    std::vector<int> FgroupMatches;
    std::vector<TaudioTagListPtr> FgroupLists;
    std::vector<uint32_t> FgroupEnds;
    std::vector<uint32_t> FgroupTracks;
    bool FgroupSearch = false;
    // What the last search was, to tell whether the next one may narrow it.
    std::string FlastFolded;
    int FlastMode = -1;
    int FlastFileType = -1;
    uint64_t FlastGlobalChanges = 0;
    uint64_t FlastVideoChanges = 0;
    bool Fnarrowed = false;
};

}  // namespace tunecrest
