#pragma once
// Comma-separated text as the exports and the importer use it. A field is enclosed in
// double quotes (with its quotes doubled) when it holds a comma, a double quote, a line
// break or leading or trailing spaces; readers honour line breaks inside quotes.
#include <string>
#include <string_view>
#include <vector>

#include "core/base/text_utils.h"  // QuoteCSVField, JoinCSV

namespace tunecrest {

// One field as written: removes the enclosing quotes and undoubles inner ones. A field
// that was not quoted is trimmed; a doubled quote in it stands for one quote.
std::string UnquoteCSVField(std::string_view field);
// Splits one row into its fields (unquoted). A comma at the very end gives a last, empty field.
void SplitCSV(std::string_view line, std::vector<std::string>& list);
// Joins fields into one row, quoting each (the row comes back through `line`).
void JoinCSV(const std::vector<std::string>& list, std::string& line);
// Splits a whole text into rows of fields; line breaks inside quoted fields belong to
// the field. Rows end at LF, CR LF or CR; a final line break adds no empty row.
std::vector<std::vector<std::string>> ReadCSVRows(std::string_view text);
// Reads the row that starts at `pos` into `row` (cleared first, its strings reused)
// and moves `pos` past the row's line break. True when the row ended at a line break
// that lies wholly inside `text` (a CR as the last byte may still be followed by its
// LF), so a reader that gets the text in pieces knows when it needs more.
bool ReadCSVRow(std::string_view text, size_t& pos, std::vector<std::string>& row);
// The header row of the track export.
void GetCSVHeader(std::string& header);

}  // namespace tunecrest
