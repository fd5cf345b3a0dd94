// A tagger plug-in for the tests. It reads its own settings from the file beside it with
// ".conf" in place of ".so" (so one build serves as several plug-ins under other names),
// and reads "media" files that are text: one Field=value line per tag value. A file
// holding the line FAIL is refused; THROW makes the reader throw; "Gate=<path>" holds the
// reader until that file exists (at most ten seconds), so a test can act while a scan is
// busy. Every ReadFile call is counted (FakeTaggerReadCount).
#include <dlfcn.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "plugins/tagger_plugin.h"

namespace {

struct Tstate {
    std::string Description = "Fake Tagger";
    std::string Types = "Fake Files";
    std::vector<std::string> Extensions{"fake"};
    bool NullRecord = false;
    bool NoReader = false;
    // Values of the file last read.
    std::string Artist, Title, Album, Comment, Date, Genre, TagType;
    std::vector<std::pair<std::string, std::string>> Extra;
    int ReadCount = 0;
    std::string LastSettingsFile;
    std::string LastFile;
};

Tstate State;
TtaggerRecord Record;

const char* Artist(int32_t) { return State.Artist.c_str(); }
const char* Title(int32_t) { return State.Title.c_str(); }
const char* Album(int32_t) { return State.Album.c_str(); }
const char* Comment(int32_t) { return State.Comment.c_str(); }
const char* Date(int32_t) { return State.Date.c_str(); }
const char* Genre(int32_t) { return State.Genre.c_str(); }
const char* TagType(int32_t) { return State.TagType.c_str(); }

void CopyOut(const std::string& text, char* buffer, size_t size) {
    if (!buffer || size == 0) return;
    const size_t n = std::min(text.size(), size - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = 0;
}

int32_t ExtraFieldCount() { return int32_t(State.Extra.size()); }
void GetExtraField(int32_t index, char* name, size_t nameSize, char* value, size_t valueSize, int32_t* number) {
    if (index < 0 || size_t(index) >= State.Extra.size()) return;
    CopyOut(State.Extra[size_t(index)].first, name, nameSize);
    CopyOut(State.Extra[size_t(index)].second, value, valueSize);
    if (number) *number = index;
}

int32_t ExtensionCount() { return int32_t(State.Extensions.size()); }
void GetExtension(int32_t index, char* buffer, size_t size) {
    if (index >= 0 && size_t(index) < State.Extensions.size()) CopyOut(State.Extensions[size_t(index)], buffer, size);
}

std::vector<std::string> Split(const std::string& s, char sep) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start <= s.size()) {
        const size_t pos = s.find(sep, start);
        const std::string part = s.substr(start, pos == std::string::npos ? std::string::npos : pos - start);
        if (!part.empty()) out.push_back(part);
        if (pos == std::string::npos) break;
        start = pos + 1;
    }
    return out;
}

int32_t ReadFile(const char* fileName) {
    ++State.ReadCount;
    State.LastFile = fileName ? fileName : "";
    std::ifstream in(State.LastFile);
    if (!in) return 0;
    State.Artist = State.Title = State.Album = State.Comment = State.Date = State.Genre = "";
    State.TagType = "Fake";
    State.Extra.clear();
    Record.TrackNo = Record.BitRate = Record.Duration = Record.SampleRate = Record.Channels = 0;
    Record.GenreID = 255;
    Record.MediaType = TAGGER_MEDIA_AUDIO;
    std::string line;
    while (std::getline(in, line)) {
        if (line == "FAIL") return 0;
        if (line == "THROW") throw std::runtime_error("fake tagger failure");
        if (line.rfind("Gate=", 0) == 0) {
            for (int waited = 0; waited < 1000 && !std::ifstream(line.substr(5)); ++waited) usleep(10000);
            continue;
        }
        const size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        auto number = [&] { return intptr_t(std::atol(value.c_str())); };
        if (key == "Artist") State.Artist = value;
        else if (key == "Title") State.Title = value;
        else if (key == "Album") State.Album = value;
        else if (key == "Comment") State.Comment = value;
        else if (key == "Date") State.Date = value;
        else if (key == "Genre") State.Genre = value;
        else if (key == "TagType") State.TagType = value;
        else if (key == "TrackNo") Record.TrackNo = number();
        else if (key == "GenreID") Record.GenreID = number();
        else if (key == "BitRate") Record.BitRate = number();
        else if (key == "Duration") Record.Duration = number();
        else if (key == "SampleRate") Record.SampleRate = number();
        else if (key == "Channels") Record.Channels = number();
        else if (key == "MediaType") Record.MediaType = number();
        else State.Extra.emplace_back(key, value);
    }
    return 1;
}

void Init(intptr_t, void*) {}
void Finalise() {}
void Configure(uintptr_t) {}
void LoadSettings(const char* file) { State.LastSettingsFile = file ? file : ""; }
void SaveSettings(const char*) {}

// Reads "<this library without .so>.conf".
void ReadConfiguration() {
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&ReadConfiguration), &info) || !info.dli_fname) return;
    std::string path = info.dli_fname;
    if (path.size() > 3 && path.ends_with(".so")) path.resize(path.size() - 3);
    std::ifstream in(path + ".conf");
    std::string line;
    while (std::getline(in, line)) {
        const size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        if (key == "Description") State.Description = value;
        else if (key == "Types") State.Types = value;
        else if (key == "Extensions") State.Extensions = Split(value, ',');
        else if (key == "Version") Record.Version = std::atol(value.c_str());
        else if (key == "SupportFlags") Record.SupportFlags = uintptr_t(std::atol(value.c_str()));
        else if (key == "MediaFlags") Record.MediaFlags = uintptr_t(std::atol(value.c_str()));
        else if (key == "NullRecord") State.NullRecord = value == "1";
        else if (key == "NoReader") State.NoReader = value == "1";
    }
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) TtaggerRecord* GetTagger(void) {
    Record = TtaggerRecord{};
    Record.Version = TAGGER_VERSION(1, 2);
    Record.SupportFlags = 1;
    Record.MediaFlags = TAGGER_MEDIA_AUDIO | TAGGER_MEDIA_VIDEO;
    ReadConfiguration();
    if (State.NullRecord) return nullptr;
    Record.Description = State.Description.c_str();
    Record.SupportedFileTypes = State.Types.c_str();
    Record.Artist = Artist;
    Record.Title = Title;
    Record.Album = Album;
    Record.Comment = Comment;
    Record.Date = Date;
    Record.GenreString = Genre;
    Record.TagType = TagType;
    Record.ExtraFieldCount = ExtraFieldCount;
    Record.GetExtraField = GetExtraField;
    Record.Configure = Configure;
    Record.Init = Init;
    Record.ReadFile = State.NoReader ? nullptr : ReadFile;
    Record.Finalise = Finalise;
    Record.LoadSettings = LoadSettings;
    Record.SaveSettings = SaveSettings;
    Record.ExtensionCount = ExtensionCount;
    Record.GetExtension = GetExtension;
    return &Record;
}

__attribute__((visibility("default"))) int FakeTaggerReadCount(void) { return State.ReadCount; }
__attribute__((visibility("default"))) void FakeTaggerResetCount(void) { State.ReadCount = 0; }
__attribute__((visibility("default"))) const char* FakeTaggerSettingsFile(void) {
    return State.LastSettingsFile.c_str();
}

}
