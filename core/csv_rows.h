#pragma once
// Reading comma-separated text record by record, for the database import and the
// track-list importer.
#include <string>
#include <string_view>
#include <vector>

namespace tunecrest {

// Walks comma-separated text row by row: a quoted field may hold commas, doubled
// quotes and line breaks; rows end at LF, CR LF or CR.
template <typename Tfn>
inline void ForEachCSVRow(std::string_view text, Tfn&& onRow) {
    std::vector<std::string> row;
    size_t pos = 0;
    const size_t n = text.size();
    while (pos < n) {
        row.clear();
        while (true) {
            std::string field;
            if (pos < n && text[pos] == '"') {
                ++pos;
                while (pos < n) {
                    if (text[pos] == '"') {
                        if (pos + 1 < n && text[pos + 1] == '"') {
                            field += '"';
                            pos += 2;
                            continue;
                        }
                        ++pos;
                        break;
                    }
                    field += text[pos++];
                }
                // Anything between the closing quote and the next comma belongs to the field.
                while (pos < n && text[pos] != ',' && text[pos] != '\r' && text[pos] != '\n') field += text[pos++];
            } else {
                const size_t start = pos;
                while (pos < n && text[pos] != ',' && text[pos] != '\r' && text[pos] != '\n') ++pos;
                field.assign(text.substr(start, pos - start));
            }
            row.push_back(std::move(field));
            if (pos < n && text[pos] == ',') {
                ++pos;
                continue;
            }
            break;
        }
        if (pos < n && text[pos] == '\r') ++pos;
        if (pos < n && text[pos] == '\n') ++pos;
        if (!(row.size() == 1 && row[0].empty())) onRow(row);
    }
}

}  // namespace tunecrest
