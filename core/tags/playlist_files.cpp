#include "core/tags/playlist_files.h"

#include <cerrno>
#include <filesystem>

#include "core/base/csv_text.h"
#include "core/tags/playlist_text.h"
#include "core/base/safe_file.h"
#include "core/base/services.h"

namespace tunecrest {

namespace {
// Larger playlists than this are not exchange files but damage.
constexpr uint64_t kMaxPlaylistBytes = uint64_t(256) << 20;

bool Write(const std::string& fileName, const std::string& text, std::string* error) {
    std::string reason;
    if (SafeWriteFile(fileName, text, &reason)) return true;
    LogError(reason);
    if (error) *error = reason;
    return false;
}

// The file an export appends to. A missing file is fine (the export starts it); a file
// that exists but cannot be read is an error: writing would replace what it holds.
bool ReadExisting(const std::string& fileName, std::string& text, std::string* error) {
    text.clear();
    std::string reason;
    int code = 0;
    if (ReadFileBytes(fileName, text, &reason, kMaxPlaylistBytes, &code) || code == ENOENT) return true;
    reason = "Cannot append to " + fileName + ": " + reason;
    LogError(reason);
    if (error) *error = reason;
    return false;
}

}  // namespace

bool ExportM3U(TaudioTagList& list, const std::string& fileName, bool append, bool dummyEntry, bool extended,
               std::string* error) {
    std::vector<std::string> lines;
    std::string existing;
    if (append) {
        if (!ReadExisting(fileName, existing, error)) return false;
        lines = SplitLines(existing);
    }
    if (extended) {
        if (lines.empty() || lines[0] != kExtM3UHeader) lines.insert(lines.begin(), std::string(kExtM3UHeader));
        if (dummyEntry) {
            lines.insert(lines.begin() + 1, ExtInfLine(0, "Dummy Entry"));
            lines.insert(lines.begin() + 2, "DoesNotExist");
        }
    }
    for (const auto& tag : list.Items()) {
        // A file name holding a line break cannot be one M3U line; writing it would add
        // entries nobody chose.
        const std::string fileName = tag->Filename().str();
        if (HoldsLineBreak(fileName)) {
            LogError("Playlist export skips a file name holding a line break: " + tag->Filename());
            continue;
        }
        if (extended) lines.push_back(ExtInfLine(tag->Duration(), M3UEntryName(tag->Artist(), tag->Title())));
        lines.push_back(fileName);
    }
    std::string text;
    for (const auto& line : lines) text += line + "\n";
    if (!Write(fileName, text, error)) return false;
    list.SetFilename(fileName);
    return true;
}

bool LoadFromPlaylistFile(TaudioTagList& list, const std::string& fileName, bool keep, std::string* error) {
    std::string text;
    if (!ReadFileBytes(fileName, text, error, kMaxPlaylistBytes)) return false;
    const std::string folder = std::filesystem::path(fileName).parent_path().string();
    const std::vector<std::string> names = ParsePlaylistEntries(text, folder);
    list.BeginUpdate();
    list.AddFiles(names, keep);
    list.SetFilename(fileName);
    list.EndUpdate();
    return true;
}

bool ExportCSV(const TaudioTagList& list, const std::string& fileName, bool append, const std::string& playlistName,
               std::string* error) {
    std::string text;
    std::error_code ec;
    const bool appending = append && std::filesystem::exists(fileName, ec);
    if (appending && !ReadExisting(fileName, text, error)) return false;
    if (!appending) {
        GetCSVHeader(text);
        text += "\n";
    } else if (!text.empty() && text.back() != '\n') {
        text += "\n";
    }
    const std::string quotedName = QuoteCSVField(playlistName);
    for (const auto& tag : list.Items()) {
        tag->GetCSVRow(text);
        text += "," + quotedName + "\n";
    }
    return Write(fileName, text, error);
}

}  // namespace tunecrest
