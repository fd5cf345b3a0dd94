#pragma once
// Short media files made by the tests themselves with GStreamer's encoders
// (gst-launch-1.0), so no sample file is ever shipped or downloaded.
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>

namespace tunecrest::test {

enum class TmediaFormat { Wav, Mp3, OggVorbis, Opus, Flac, M4a, Wma, Mp4Video, MkvVideo, AviVideo, MpegVideo };

inline std::string QuoteForShell(const std::string& s) {
    std::string out = "'";
    for (char c : s) out += (c == '\'') ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// Writes `seconds` of a test tone (and test picture for video) to `path`, untagged
// (tests that need tags write them with TagLib). Returns false when the machine
// cannot encode the format.
inline bool MakeMediaFile(const std::string& path, TmediaFormat format, double seconds = 1.0) {
    const int audioBuffers = std::max(1, int(seconds * 44100 / 1024));
    const std::string audio = "audiotestsrc num-buffers=" + std::to_string(audioBuffers) +
                              " samplesperbuffer=1024 ! audio/x-raw,rate=44100,channels=2 ! audioconvert";
    const int videoFrames = std::max(1, int(seconds * 10));
    const std::string video = "videotestsrc num-buffers=" + std::to_string(videoFrames) +
                              " ! video/x-raw,width=160,height=120,framerate=10/1 ! videoconvert";
    std::string pipeline;
    const std::string sink = " ! filesink location=" + QuoteForShell(path);
    switch (format) {
        case TmediaFormat::Wav: pipeline = audio + " ! wavenc" + sink; break;
        case TmediaFormat::Mp3: pipeline = audio + " ! lamemp3enc ! xingmux" + " ! id3v2mux" + sink; break;
        case TmediaFormat::OggVorbis: pipeline = audio + " ! vorbisenc" + " ! oggmux" + sink; break;
        case TmediaFormat::Opus:
            pipeline = audio + " ! audioresample ! opusenc" + " ! oggmux" + sink;
            break;
        case TmediaFormat::Flac: pipeline = audio + " ! flacenc" + sink; break;
        case TmediaFormat::M4a: pipeline = audio + " ! avenc_aac" + " ! mp4mux" + sink; break;
        case TmediaFormat::Wma: pipeline = audio + " ! avenc_wmav2" + " ! asfmux" + sink; break;
        case TmediaFormat::Mp4Video:
            pipeline = video + " ! x264enc ! mp4mux name=m" + sink + " " + audio + " ! avenc_aac ! m.";
            break;
        case TmediaFormat::MkvVideo:
            pipeline = video + " ! x264enc ! matroskamux name=m" + sink + " " + audio + " ! vorbisenc ! m.";
            break;
        case TmediaFormat::AviVideo:
            pipeline = video + " ! avenc_mpeg4 ! avimux name=m" + sink + " " + audio + " ! lamemp3enc ! m.";
            break;
        case TmediaFormat::MpegVideo:
            pipeline = video + " ! x264enc ! h264parse ! mpegtsmux name=m" + sink;
            break;
    }
    const std::string command = "gst-launch-1.0 -q " + pipeline + " >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0 && std::filesystem::exists(path) &&
           std::filesystem::file_size(path) > 0;
}

}  // namespace tunecrest::test
