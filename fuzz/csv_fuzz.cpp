// Comma-separated rows from arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/base/csv_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto rows = tunecrest::ReadCSVRows(text);
    std::vector<std::string> fields;
    tunecrest::SplitCSV(text, fields);
    // Writing a row and reading it back must give the same fields.
    for (const auto& row : rows) {
        std::string line;
        tunecrest::JoinCSV(row, line);
        const auto again = tunecrest::ReadCSVRows(line);
        const bool blank = row.size() == 1 && row[0].empty();
        if (!blank && (again.size() != 1 || again[0] != row)) __builtin_trap();
    }
    return 0;
}
