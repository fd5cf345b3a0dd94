// Track display formats from arbitrary bytes. The input is a format string, a NUL, then
// the track's title, artist, album, genre, comment and one extra field line, one per line.
// Formatting never fails, legacy codes are all converted, and the values of any track
// come out of a line literally: no value is ever read as markup.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/tags/audio_tag.h"
#include "core/jukebox/global_prefs.h"
#include "core/display/markup_text.h"
#include "core/base/text_utils.h"
#include "core/display/track_format.h"

using namespace tunecrest;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t nul = input.find('\0');
    const std::string format = input.substr(0, nul);
    std::vector<std::string> values =
        nul == std::string::npos ? std::vector<std::string>{} : SplitString(input.substr(nul + 1), '\n');
    values.resize(6);

    TaudioTag tag;
    tag.SetTitle(values[0]);
    tag.SetArtist(values[1]);
    tag.SetAlbum(values[2]);
    tag.SetGenreString(values[3]);
    tag.SetComment(values[4]);
    if (!values[5].empty()) tag.ExtraFields().Add(values[5]);
    tag.SetTrackNo(uint32_t(size * 7919));
    tag.SetDuration(uint32_t(size * 104729));

    TfontContainer fonts;
    for (const char* code : {"FCH", "FTI", "FAR", "FXT"}) {
        TfontItem& item = fonts.Items().Add();
        item.Mask = code;
        item.FontRef().Name = code;
    }
    TglobalPrefs prefs;
    prefs.SetFontContainer(&fonts);

    const std::string converted = ConvertLegacyFormat(format);
    for (const char* code : {"%1", "%2", "%3", "%4", "%5", "%6", "%9", "%t"})
        if (converted.find(code) != std::string::npos) std::abort();
    const int width = int(size % 5);
    (void)FormatTagFields(tag, converted, width, "?");
    const std::string line = FormatTagFonts(tag, converted, prefs, width, "?");
    TmarkupParser parser;
    parser.Parse(line, TFont{}, [](std::string_view, const TFont&) {});

    const std::string fields =
        FormatTagFonts(tag, "<FTI><TI>|<FAR><AR>|<AL>|<GE>|<CO><FCH>", prefs, width, "?");
    const std::string expected = values[0] + "|" + (values[1].empty() ? "?" : values[1]) + "|" + values[2] +
                                 "|" + values[3] + "|" + values[4];
    if (StripHTMLTags(fields) != expected) std::abort();
    return 0;
}
