#pragma once
// What the now-playing area says, without a widget: the song-title banner's markup (the
// idle text, a track in one of the three now-playing formats, or an internet-radio
// station with its stream title) and the two lines of the track text beside the cover.
#include <string>

#include "core/tags/audio_tag.h"
#include "core/display/font_store.h"
#include "core/jukebox/media_player.h"
#include "core/display/track_format.h"

namespace tunecrest {

class TurlList;

// The media kind of an internet-radio entry.
inline constexpr uint32_t kRadioMediaKind = 4;
inline constexpr const char* kUnknownStation = "Unknown Internet Radio Station";

// What is playing, as the window knows it.
struct TnowPlaying {
    TmediaPlayState State = psStopped;
    TaudioTagPtr Track;       // the current track; a stream's entry has media kind 4
    std::string PlayingURL;   // the address of the stream playing (empty: none)
    std::string StreamTitle;  // the title the stream sends
    std::string RadioName;    // the station last chosen from the list
    // A station plays: its entry is the current track, or the player plays an address.
    bool Radio() const;
    // The station's address: the entry's file name, else the address playing.
    std::string StationAddress() const;
    // The stream's title: the entry's title, else what the stream sent.
    std::string Title() const;
};

// The station of an address in the station list, or "Unknown Internet Radio Station".
std::string RadioStationName(const TurlList* stations, const std::string& address);

// The banner's markup: font 5 and `idleText`, or while playing or paused the track in
// format 5 (album and track number), 6 (album) or 7 (no album); a station as font 5,
// its name, font 7, " [", font 1, the title, font 7, "]"; a stream without an entry but
// with a title as the chosen station's name and " (" title ")". Values are escaped.
std::string SongTitleText(const TfontContainer& fonts, const TformatStringContainer& formats,
                          const std::string& idleText, const TnowPlaying& now, const TurlList* stations);

// The two lines of the track text: title and details ("Nothing playing" when idle; the
// station and its stream title for a station).
struct TtrackTextLines {
    std::string Title, Details;
};
TtrackTextLines TrackTextLines(const TnowPlaying& now, const TurlList* stations);

}  // namespace tunecrest
