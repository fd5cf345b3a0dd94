#include "core/base/csv_text.h"

#include <cstdint>
#include <cstring>

#include "core/base/text_utils.h"

namespace tunecrest {

namespace {

// Writes one field's text into `out`, reusing its storage. Runs between quotes are
// copied whole, so a long field costs one copy.
void UnquoteCSVFieldInto(std::string_view field, std::string& out) {
    out.clear();
    // A quoted field keeps its inner text exactly (spaces included).
    std::string_view trimmed = field;
    while (!trimmed.empty() && (trimmed.front() == ' ')) trimmed.remove_prefix(1);
    while (!trimmed.empty() && (trimmed.back() == ' ')) trimmed.remove_suffix(1);
    if (trimmed.size() >= 2 && trimmed.front() == '"' && trimmed.back() == '"') {
        // A quote is kept; the second of a doubled pair is dropped.
        const std::string_view inner = trimmed.substr(1, trimmed.size() - 2);
        size_t start = 0;
        while (true) {
            const size_t quote = inner.find('"', start);
            if (quote == std::string_view::npos) break;
            out.append(inner.substr(start, quote + 1 - start));
            start = quote + 1;
            if (start < inner.size() && inner[start] == '"') ++start;
        }
        out.append(inner.substr(start));
        return;
    }
    // Unquoted (or written by an older exporter that doubled quotes without enclosing
    // them): a doubled quote is one quote, a single quote is dropped.
    size_t start = 0;
    while (true) {
        const size_t quote = trimmed.find('"', start);
        if (quote == std::string_view::npos) break;
        out.append(trimmed.substr(start, quote - start));
        if (quote + 1 < trimmed.size() && trimmed[quote + 1] == '"') {
            out += '"';
            start = quote + 2;
        } else {
            start = quote + 1;
        }
    }
    out.append(trimmed.substr(start));
}

}  // namespace

std::string UnquoteCSVField(std::string_view field) {
    std::string out;
    UnquoteCSVFieldInto(field, out);
    return out;
}

namespace {

// The position of the first comma, CR or LF at or after `pos` (the text's size when
// none). Eight bytes are tested at a time: a byte equal to one of the three turns the
// word's test non-zero, and only then is the word looked at byte by byte.
size_t UnquotedEnd(std::string_view text, size_t pos) {
    constexpr uint64_t kOnes = 0x0101010101010101ull, kHighs = 0x8080808080808080ull;
    const auto hasZeroByte = [](uint64_t v) { return (v - kOnes) & ~v & kHighs; };
    const char* data = text.data();
    const size_t size = text.size();
    while (pos + 8 <= size) {
        uint64_t word;
        std::memcpy(&word, data + pos, 8);
        if (hasZeroByte(word ^ (kOnes * ',')) | hasZeroByte(word ^ (kOnes * '\n')) |
            hasZeroByte(word ^ (kOnes * '\r')))
            break;
        pos += 8;
    }
    while (pos < size && data[pos] != ',' && data[pos] != '\n' && data[pos] != '\r') ++pos;
    return pos;
}

// Reads one field starting at `pos`; leaves `pos` on the comma or line end that ends it.
size_t FieldEnd(std::string_view text, size_t pos) {
    size_t i = pos;
    while (i < text.size() && text[i] == ' ') ++i;
    if (i < text.size() && text[i] == '"') {
        ++i;
        while (true) {
            const size_t quote = text.find('"', i);
            if (quote == std::string_view::npos) return text.size();
            i = quote + 1;
            if (i < text.size() && text[i] == '"') {
                ++i;
                continue;
            }
            break;
        }
    }
    return UnquotedEnd(text, i);
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
        if (fields == row.size()) row.emplace_back();
        UnquoteCSVFieldInto(text.substr(pos, end - pos), row[fields]);
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
