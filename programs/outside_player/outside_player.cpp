#include "programs/outside_player/outside_player.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <vector>

#include "core/base/services.h"
#include "platform/outside_player_messages.h"

namespace tunecrest {

namespace {

// playbin's "flags": decode and show video, and subtitles.
constexpr guint kPlayFlagVideo = 1u << 0;
constexpr guint kPlayFlagText = 1u << 2;

bool IsAddress(const std::string& entry) {
    return entry.find("://") != std::string::npos;
}

// The title shown for an entry until its tags give a better one.
std::string NameOf(const std::string& entry) {
    if (IsAddress(entry)) return entry;
    return std::filesystem::path(entry).stem().string();
}

std::string UriOf(const std::string& entry) {
    if (IsAddress(entry)) return entry;
    gchar* uri = gst_filename_to_uri(entry.c_str(), nullptr);
    if (!uri) return {};
    std::string result(uri);
    g_free(uri);
    return result;
}

// Tests select sinks that need no sound card or display; a fake sink keeps real time.
GstElement* SinkFromEnvironment(const char* variable) {
    const char* name = std::getenv(variable);
    if (!name || !*name) return nullptr;
    GstElement* sink = gst_element_factory_make(name, nullptr);
    if (!sink) {
        std::cerr << "tunecrest-outside-player: no sink element \"" << name << "\"\n";
        return nullptr;
    }
    if (g_object_class_find_property(G_OBJECT_GET_CLASS(sink), "sync"))
        g_object_set(sink, "sync", TRUE, nullptr);
    return sink;
}

// A sink that opens on this machine: made, and brought to READY (where a display sink
// connects to its display). Null when the element is missing or cannot start.
GstElement* WorkingSink(const char* name) {
    GstElement* sink = gst_element_factory_make(name, nullptr);
    if (!sink) return nullptr;
    gst_object_ref_sink(sink);
    const bool works = gst_element_set_state(sink, GST_STATE_READY) != GST_STATE_CHANGE_FAILURE;
    gst_element_set_state(sink, GST_STATE_NULL);
    if (!works) {
        gst_object_unref(sink);
        return nullptr;
    }
    return sink;
}

std::string EnvironmentText(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

}  // namespace

GstElement* ChooseVideoSink(std::string& why) {
    // Only sinks that draw into a window of the desktop in use: one chosen by rank alone
    // may take over the console (kmssink) or fail in its own code (dfbvideosink), which
    // ends the player on every video.
    std::vector<const char*> candidates;
    if (!EnvironmentText("WAYLAND_DISPLAY").empty()) candidates = {"waylandsink", "glimagesink"};
    if (!EnvironmentText("DISPLAY").empty())
        for (const char* name : {"xvimagesink", "ximagesink", "glimagesink"}) candidates.push_back(name);
    for (const char* name : candidates) {
        if (GstElement* sink = WorkingSink(name)) {
            why = std::string("videos show through ") + name;
            return sink;
        }
    }
    why = candidates.empty() ? "no display to show videos on" : "no video output works with this display";
    why += " (DISPLAY \"" + EnvironmentText("DISPLAY") + "\", WAYLAND_DISPLAY \"" +
           EnvironmentText("WAYLAND_DISPLAY") + "\"); videos play as sound only";
    return nullptr;
}

namespace {

std::string TagString(const GstTagList* tags, const char* tag) {
    gchar* value = nullptr;
    if (!gst_tag_list_get_string(tags, tag, &value) || !value) return {};
    std::string result(value);
    g_free(value);
    return result;
}

}  // namespace

ToutsidePlayer::ToutsidePlayer(const std::string& className) : Fwindow(className, className, true) {
    Fplaybin = gst_element_factory_make("playbin", nullptr);
    if (!Fplaybin) {
        std::cerr << "tunecrest-outside-player: GStreamer has no playbin\n";
        return;
    }
    gst_object_ref_sink(Fplaybin);
    if (GstElement* audio = SinkFromEnvironment("TUNECREST_AUDIO_SINK"))
        g_object_set(Fplaybin, "audio-sink", audio, nullptr);
    if (GstElement* video = SinkFromEnvironment("TUNECREST_VIDEO_SINK")) {
        g_object_set(Fplaybin, "video-sink", video, nullptr);
    } else {
        std::string why;
        if (GstElement* sink = ChooseVideoSink(why)) {
            g_object_set(Fplaybin, "video-sink", sink, nullptr);
            gst_object_unref(sink);
        } else {
            // Sound only: the pictures are not shown, nor even decoded. A sink of its own
            // keeps playbin from trying the others by rank, which is what fails.
            guint flags = 0;
            g_object_get(Fplaybin, "flags", &flags, nullptr);
            g_object_set(Fplaybin, "flags", flags & ~(kPlayFlagVideo | kPlayFlagText), nullptr);
            if (GstElement* none = gst_element_factory_make("fakesink", nullptr))
                g_object_set(Fplaybin, "video-sink", none, nullptr);
        }
        std::cerr << "tunecrest-outside-player: " << why << "\n";
    }
    g_object_set(Fplaybin, "volume", 1.0, nullptr);
    Fwindow.SetMessageHandler([this](uint32_t msg, WPARAM w, LPARAM l) { return OnMessage(msg, w, l); });
    Fwindow.SetCopyDataHandler(
        [this](uint64_t data, const std::string& bytes) { return OnCopyData(data, bytes); });
}

ToutsidePlayer::~ToutsidePlayer() {
    Fwindow.SetMessageHandler(nullptr);
    Fwindow.SetCopyDataHandler(nullptr);
    if (Fplaybin) {
        gst_element_set_state(Fplaybin, GST_STATE_NULL);
        gst_object_unref(Fplaybin);
    }
}

bool ToutsidePlayer::IsOpen() const {
    return Fplaybin && Fwindow.IsOpen();
}

void ToutsidePlayer::OpenPlaylist(const std::vector<std::string>& entries) {
    Fplaylist = entries;
    Fposition = 0;
    if (Fplaylist.empty()) {
        StopPlayback();
        UpdateTitle();
    } else {
        PlayEntry(0);
    }
}

void ToutsidePlayer::Run(TqueueDispatcher& dispatcher, const volatile std::sig_atomic_t& stop) {
    GstBus* bus = gst_element_get_bus(Fplaybin);
    while (!Fquit && !stop) {
        dispatcher.WaitAndProcess(10);
        while (GstMessage* message = gst_bus_pop(bus)) {
            HandleBusMessage(message);
            gst_message_unref(message);
        }
    }
    gst_object_unref(bus);
    StopPlayback();
}

LRESULT ToutsidePlayer::OnMessage(uint32_t msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_COMMAND) return OnCommand(wParam);
    if (msg == WM_USER) return OnUser(wParam, lParam);
    if (msg == WM_CLOSE) Fquit = true;
    return 0;
}

LRESULT ToutsidePlayer::OnCopyData(uint64_t data, const std::string& bytes) {
    if (data != kPlayerCopyDataAddFile) return 0;
    // The block is a zero-terminated name; anything after the zero is not part of it.
    const std::string name = bytes.substr(0, bytes.find('\0'));
    if (name.empty()) return 0;
    Fplaylist.push_back(name);
    UpdateTitle();
    return 0;
}

LRESULT ToutsidePlayer::OnCommand(WPARAM command) {
    switch (command) {
        case kPlayerCommandClose:
            Fquit = true;
            break;
        case kPlayerCommandPlay:
            if (Fstate == Tstate::Paused)
                SetPaused(false);
            else if (Fposition < Fplaylist.size())
                PlayEntry(Fposition);  // from the start, also when it was playing
            break;
        case kPlayerCommandPause:
            if (Fstate != Tstate::Stopped) SetPaused(Fstate == Tstate::Playing);
            break;
        case kPlayerCommandStop:
            StopPlayback();
            break;
        case kPlayerCommandNext:
            // While stopped, only the list position moves; playing, the next entry starts.
            if (Fposition + 1 < Fplaylist.size()) {
                ++Fposition;
                if (Fstate == Tstate::Stopped)
                    UpdateTitle();
                else
                    PlayEntry(Fposition);
            }
            break;
        default:
            break;
    }
    return 0;
}

LRESULT ToutsidePlayer::OnUser(WPARAM argument, LPARAM code) {
    switch (code) {
        case kPlayerClearList:
            // What plays goes on playing; only the list is emptied.
            Fplaylist.clear();
            Fposition = 0;
            UpdateTitle();
            return 0;
        case kPlayerGetState:
            return Fstate == Tstate::Playing  ? kPlayerStatePlaying
                   : Fstate == Tstate::Paused ? kPlayerStatePaused
                                              : kPlayerStateStopped;
        case kPlayerGetTime:
            if (argument == 0) return Fstate == Tstate::Stopped ? 0 : PositionMs();
            if (argument == 1) {
                gint64 duration = 0;
                if (FlengthMs <= 0 && Fstate != Tstate::Stopped &&
                    gst_element_query_duration(Fplaybin, GST_FORMAT_TIME, &duration) && duration > 0)
                    FlengthMs = duration / GST_MSECOND;
                return (FlengthMs + 500) / 1000;  // whole seconds, rounded
            }
            return 0;
        case kPlayerSeek:
            if (Fstate == Tstate::Stopped || argument < 0) return -1;
            return gst_element_seek_simple(Fplaybin, GST_FORMAT_TIME,
                                           GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_KEY_UNIT),
                                           gint64(argument) * GST_MSECOND)
                       ? 0
                       : -1;
        case kPlayerSetListPosition:
            if (argument >= 0 && size_t(argument) < Fplaylist.size()) {
                Fposition = size_t(argument);
                UpdateTitle();
            }
            return 0;
        case kPlayerVolume:
            if (argument == kPlayerVolumeQuery) return Fvolume;
            Fvolume = int(std::clamp<WPARAM>(argument, 0, 255));
            g_object_set(Fplaybin, "volume", Fvolume / 255.0, nullptr);
            return 0;
        case kPlayerGetListLength:
            return LRESULT(Fplaylist.size());
        case kPlayerGetListPosition:
            return LRESULT(Fposition);
        case kPlayerSetShuffle:
        case kPlayerSetRepeat:
            // This player always plays its list in order, once.
            return 0;
        default:
            return 0;
    }
}

void ToutsidePlayer::PlayEntry(size_t index) {
    Fposition = index;
    const std::string& entry = Fplaylist[index];
    gst_element_set_state(Fplaybin, GST_STATE_NULL);
    FplayingTitle = NameOf(entry);
    FlengthMs = 0;
    Fstate = Tstate::Playing;
    UpdateTitle();
    const std::string uri = UriOf(entry);
    g_object_set(Fplaybin, "uri", uri.c_str(), nullptr);
    if (uri.empty() || gst_element_set_state(Fplaybin, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        // The bus may say why; either way this entry is skipped.
        std::cerr << "tunecrest-outside-player: cannot play " << entry << "\n";
        Advance();
    }
}

void ToutsidePlayer::StopPlayback() {
    if (Fplaybin) gst_element_set_state(Fplaybin, GST_STATE_NULL);
    Fstate = Tstate::Stopped;
    UpdateTitle();
}

void ToutsidePlayer::SetPaused(bool paused) {
    gst_element_set_state(Fplaybin, paused ? GST_STATE_PAUSED : GST_STATE_PLAYING);
    Fstate = paused ? Tstate::Paused : Tstate::Playing;
}

void ToutsidePlayer::Advance() {
    if (Fposition + 1 < Fplaylist.size())
        PlayEntry(Fposition + 1);
    else
        StopPlayback();
}

void ToutsidePlayer::HandleBusMessage(GstMessage* message) {
    switch (GST_MESSAGE_TYPE(message)) {
        case GST_MESSAGE_EOS:
            if (Fstate != Tstate::Stopped) Advance();
            break;
        case GST_MESSAGE_ERROR: {
            GError* error = nullptr;
            gst_message_parse_error(message, &error, nullptr);
            std::cerr << "tunecrest-outside-player: " << (error ? error->message : "playback failed") << "\n";
            if (error) g_error_free(error);
            if (Fstate != Tstate::Stopped) Advance();
            break;
        }
        case GST_MESSAGE_TAG: {
            GstTagList* tags = nullptr;
            gst_message_parse_tag(message, &tags);
            const std::string title = TagString(tags, GST_TAG_TITLE);
            const std::string artist = TagString(tags, GST_TAG_ARTIST);
            gst_tag_list_unref(tags);
            if (!title.empty()) {
                FplayingTitle = artist.empty() ? title : artist + " - " + title;
                UpdateTitle();
            }
            break;
        }
        case GST_MESSAGE_DURATION_CHANGED:
            FlengthMs = 0;
            break;
        default:
            break;
    }
}

int64_t ToutsidePlayer::PositionMs() const {
    gint64 position = 0;
    if (!gst_element_query_position(Fplaybin, GST_FORMAT_TIME, &position) || position < 0) return 0;
    return position / GST_MSECOND;
}

void ToutsidePlayer::UpdateTitle() {
    std::string title;
    if (Fstate != Tstate::Stopped)
        title = FplayingTitle;
    else if (Fposition < Fplaylist.size())
        title = NameOf(Fplaylist[Fposition]);
    if (title.empty()) {
        Fwindow.SetTitle(Fwindow.ClassName());
        return;
    }
    Fwindow.SetTitle(std::to_string(Fposition + 1) + ". " + title + kOutsidePlayerTitleSuffix);
}

std::vector<std::string> ReadPlaylistFile(const std::string& path) {
    std::vector<std::string> entries;
    std::ifstream in(path, std::ios::binary);
    const auto folder = std::filesystem::path(path).parent_path();
    std::string line;
    bool first = true;
    while (std::getline(in, line)) {
        if (first && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
        first = false;
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
            line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        if (IsAddress(line) || std::filesystem::path(line).is_absolute())
            entries.push_back(line);
        else
            entries.push_back((folder / line).string());
    }
    return entries;
}

}  // namespace tunecrest
