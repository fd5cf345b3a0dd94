#include "mainwindow/views/now_playing.h"

#include <filesystem>

#include "core/display/markup_text.h"
#include "core/library/url_list.h"
#include "mainwindow/views/list_display.h"

namespace tunecrest {

namespace {
std::string Tag(const TfontContainer& fonts, int index) {
    const TfontItem* item = fonts.Items().Items(index);
    return item ? item->HTMLTag() : std::string();
}
}  // namespace

bool TnowPlaying::Radio() const {
    if (Track) return Track->MediaType() == kRadioMediaKind;
    return !PlayingURL.empty() && State != psStopped;
}

std::string TnowPlaying::StationAddress() const {
    if (Track && Track->MediaType() == kRadioMediaKind && !Track->Filename().empty()) return Track->Filename().str();
    return PlayingURL;
}

std::string TnowPlaying::Title() const {
    if (Track && Track->MediaType() == kRadioMediaKind && !Track->Title().empty()) return Track->Title();
    return StreamTitle;
}

std::string RadioStationName(const TurlList* stations, const std::string& address) {
    std::string name = stations && !address.empty() ? stations->NameOfURL(address) : std::string();
    return name.empty() ? std::string(kUnknownStation) : name;
}

std::string SongTitleText(const TfontContainer& fonts, const TformatStringContainer& formats,
                          const std::string& idleText, const TnowPlaying& now, const TurlList* stations) {
    const bool active = now.State == psPlaying || now.State == psPaused;
    if (active && now.Radio()) {
        // A station: its name from the list (by the address playing) and the stream's title.
        if (now.Track || now.RadioName.empty()) {
            const std::string station = Tag(fonts, 5) + EscapeMarkup(RadioStationName(stations, now.StationAddress()));
            // Until the stream sends a title there is nothing to put in brackets.
            if (now.Title().empty()) return station;
            return station + Tag(fonts, 7) + " [" + Tag(fonts, 1) + EscapeMarkup(now.Title()) + Tag(fonts, 7) + "]";
        }
        if (!now.StreamTitle.empty())
            return Tag(fonts, 5) + EscapeMarkup(now.RadioName) + Tag(fonts, 7) + " (" + Tag(fonts, 1) +
                   EscapeMarkup(now.StreamTitle) + Tag(fonts, 7) + ")";
        return Tag(fonts, 5) + EscapeMarkup(now.RadioName);
    }
    if (active && now.Track) {
        const TaudioTag& tag = *now.Track;
        const int format = tag.Album().empty()  ? lfSongTitleNoAlbum
                           : tag.TrackNo() > 0 ? lfSongTitleFull
                                                : lfSongTitleNoTrackNumber;
        return TtrackFormat(ConvertLegacyFormat(ListFormat(formats, format)), &fonts.Items()).Format(tag, 2, "");
    }
    return Tag(fonts, 5) + EscapeMarkup(idleText);
}

TtrackTextLines TrackTextLines(const TnowPlaying& now, const TurlList* stations) {
    if (now.State != psStopped && now.Radio()) {
        const std::string address = now.StationAddress();
        std::string station = stations ? stations->NameOfURL(address) : std::string();
        if (station.empty()) station = now.RadioName.empty() ? std::string(kUnknownStation) : now.RadioName;
        return {station, now.Title()};
    }
    if (!now.Track) return {"Nothing playing", "Choose music on the left and add it to the queue"};
    const TaudioTag& t = *now.Track;
    // An untitled track shows its artist, else its file's name.
    std::string title = t.Title();
    if (title.empty()) title = t.Artist();
    if (title.empty()) title = std::string(t.Filename().Name());
    std::string details = t.Artist();
    if (!t.Album().empty()) details += (details.empty() ? "" : "  \u2022  ") + t.Album();
    return {title, details};
}

}  // namespace tunecrest
