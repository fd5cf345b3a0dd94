#include "core/csv_text.h"

#include "core/text_utils.h"

namespace tunecrest {

std::string UnquoteCSVField(std::string_view field) {
    // A quoted field keeps its inner text exactly (spaces included).
    std::string_view trimmed = field;
    while (!trimmed.empty() && (trimmed.front() == ' ')) trimmed.remove_prefix(1);
    while (!trimmed.empty() && (trimmed.back() == ' ')) trimmed.remove_suffix(1);
    if (trimmed.size() >= 2 && trimmed.front() == '"' && trimmed.back() == '"') {
        std::string out;
        const std::string_view inner = trimmed.substr(1, trimmed.size() - 2);
        for (size_t i = 0; i < inner.size(); ++i) {
            out += inner[i];
            if (inner[i] == '"' && i + 1 < inner.size() && inner[i + 1] == '"') ++i;
        }
        return out;
    }
    // Unquoted (or written by an older exporter that doubled quotes without enclosing
    // them): a doubled quote is one quote, a single quote is dropped.
    std::string out;
    for (size_t i = 0; i < trimmed.size(); ++i) {
        if (trimmed[i] != '"') {
            out += trimmed[i];
        } else if (i + 1 < trimmed.size() && trimmed[i + 1] == '"') {
            out += '"';
            ++i;
        }
    }
    return out;
}

namespace {
// Reads one field starting at `pos`; leaves `pos` on the comma or line end that ends it.
size_t FieldEnd(std::string_view text, size_t pos) {
    size_t i = pos;
    while (i < text.size() && text[i] == ' ') ++i;
    if (i < text.size() && text[i] == '"') {
        ++i;
        while (i < text.size()) {
            if (text[i] == '"') {
                if (i + 1 < text.size() && text[i + 1] == '"') {
                    i += 2;
                    continue;
                }
                ++i;
                break;
            }
            ++i;
        }
    }
    while (i < text.size() && text[i] != ',' && text[i] != '\n' && text[i] != '\r') ++i;
    return i;
}
}  // namespace

void SplitCSV(std::string_view line, std::vector<std::string>& list) {
    list.clear();
    if (line.empty()) return;
    size_t pos = 0;
    while (true) {
        size_t end = FieldEnd(line, pos);
        // Within one row a line break is part of the field.
        while (end < line.size() && line[end] != ',') end = FieldEnd(line, end + 1);
        list.push_back(UnquoteCSVField(line.substr(pos, end - pos)));
        if (end >= line.size()) break;
        pos = end + 1;
        if (pos == line.size()) {
            list.emplace_back();
            break;
        }
    }
}

void JoinCSV(const std::vector<std::string>& list, std::string& line) { line = JoinCSV(list); }

bool ReadCSVRow(std::string_view text, size_t& pos, std::vector<std::string>& row) {
    size_t fields = 0;
    while (true) {
        const size_t end = FieldEnd(text, pos);
        if (fields < row.size())
            row[fields] = UnquoteCSVField(text.substr(pos, end - pos));
        else
            row.push_back(UnquoteCSVField(text.substr(pos, end - pos)));
        ++fields;
        pos = end;
        if (pos < text.size() && text[pos] == ',') {
            ++pos;
            continue;
        }
        break;
    }
    row.resize(fields);
    bool ended = false;
    if (pos < text.size() && text[pos] == '\r') {
        ++pos;
        ended = pos < text.size();
    }
    if (pos < text.size() && text[pos] == '\n') {
        ++pos;
        ended = true;
    }
    return ended;
}

std::vector<std::vector<std::string>> ReadCSVRows(std::string_view text) {
    std::vector<std::vector<std::string>> rows;
    size_t pos = 0;
    while (pos < text.size()) {
        std::vector<std::string> row;
        ReadCSVRow(text, pos, row);
        if (!(row.size() == 1 && row[0].empty())) rows.push_back(std::move(row));
    }
    return rows;
}

void GetCSVHeader(std::string& header) {
    static const std::vector<std::string> kColumns = {
        "Filename", "PathPart",    "FilePart",   "ExtPart",  "AlbumPath", "Title",     "Artist",     "Album",
        "Comment",  "TagDate",     "GenreID",    "GenreString", "TrackNo", "BitRate",  "Duration",   "SampleRate",
        "Channels", "ChannelMode", "MediaType",  "TagType",  "TrackIndex", "ModDate",  "ExtraFields", "PlaylistName"};
    header = JoinCSV(kColumns);
}

}  // namespace tunecrest
