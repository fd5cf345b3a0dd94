#pragma once
// The search behind the touch song search window, without the window: the search and
// file-type modes with their captions, the search itself (re-run on every change of the
// typed text) and the queue operations the window hands the chosen tracks to.
#include <cstdint>
#include <string>
#include <vector>

#include "core/audio_tag.h"

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
    // finds nothing, and so does a text that is not a number in the index mode.
    void Search(const std::string& text);
    const std::vector<TaudioTagPtr>& Results() const { return Fresults; }
    void ClearResults() { Fresults.clear(); }

    // The row template of the current mode ("<far><ar>..." or "<fti><ti>..."), with the
    // album in brackets when the track has one.
    std::string RowFormat(const TaudioTag& tag) const;

  private:
    void SearchTitles(const std::string& upper, uint32_t mask);
    void SearchGroups(const std::string& upper, uint32_t mask, bool artists);
    void SearchIndex(const std::string& text, uint32_t mask);

    TcustomJukeboxList* Flibrary = nullptr;
    int FsearchMode = ssmTitle;
    int FfileTypeMode = sftAll;
    std::vector<TaudioTagPtr> Fresults;
};

}  // namespace tunecrest
