// Query-rule text in the desktop dialect from arbitrary bytes. The rewrite must end in a
// text or in the system's Exception, never a crash; the output need not be valid SQL. The
// same bytes also go through the dialect's date literals and, split at the first zero
// byte into pattern and value, its LIKE.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/date_time.h"
#include "core/exceptions.h"
#include "core/jet_sql_dialect.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        (void)tunecrest::TranslateJetSql(text);
    } catch (const tunecrest::Exception&) {
    }
    tunecrest::TDateTime date = 0;
    (void)tunecrest::ParseJetDate(text, date);
    const size_t split = text.find('\0');
    if (split != std::string_view::npos) {
        bool matched = false;
        std::string error;
        (void)tunecrest::JetLike(text.substr(0, split), text.substr(split + 1), matched, &error);
    }
    return 0;
}
