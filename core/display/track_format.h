#pragma once
// The track display format language: a format string of field tags (<TI>, <AR>, <DU>,
// <TN>, <AL>, <GE>, <CO>, <X:name>) and font tags (<FTI>, <FAR>, <FCH>, <FDU>, <FTN>, <FAL>,
// <FGE>, <FCO>, <FXT>) becomes a markup line for the caption painter. Tag names match in
// any letter case as a prefix: the one character after the name is skipped and the rest
// up to ">" is kept as text ("<TI, >" is the title and a blank). Every value is inserted
// with its "<", ">" and "&" escaped, so no track text is ever read as markup. Also the
// named format-string store ("FormatStrings" section of the settings) and the captions
// of group rows.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/event_lists.h"
#include "core/display/font_store.h"

namespace tunecrest {

class TaudioTag;
class TglobalPrefs;
class TiniFile;

// Old format strings kept percent codes: %1 artist, %2 title, %3 album, %4 year, %5 genre,
// %6 track number, %9 comment, %t duration (case-sensitive).
std::string ConvertLegacyFormat(std::string_view text);

// The inline font tag of a font-tag code: the font of the store's item whose Mask is the
// code, else of its first item; empty when there is no store or it holds no font.
std::string FontTagForCode(const TfontCollection* fonts, std::string_view code);

// A format string read once and applied to many tracks. Field tags are filled at their
// first occurrence only; font tags, when resolved, at every occurrence.
class TtrackFormat {
  public:
    // `fonts` null: the field pass alone (font tags stay in the text as written).
    // Otherwise the font tags are resolved through the store as it is now.
    TtrackFormat(std::string_view format, const TfontCollection* fonts);

    // Appends the line of `tag` to `out`. `width` is the track number's zero-padded width
    // (0 to 20); an empty artist shows `unknownArtist`.
    void Format(const TaudioTag& tag, int width, std::string_view unknownArtist, std::string& out) const;
    std::string Format(const TaudioTag& tag, int width, std::string_view unknownArtist) const;
    // The format shows extra fields (<X:name>).
    bool HasExtraFields() const { return FextraCount > 0; }

  private:
    enum class Tkind { Literal, Title, Artist, Duration, TrackNo, Album, Genre, Comment, Extra };
    struct Tsegment {
        Tkind Kind;
        std::string Text;  // literal text, the trailing text of a field, or an extra field's name
    };
    void AddLiteral(std::string_view text);

    bool FfontsResolved;
    std::vector<Tsegment> Fsegments;
    std::string FextraFont;  // FXT's tag, or "<X:" in the field pass
    std::string FextraEnd;   // after an extra field's value: "" or ">"
    std::string FlineEnd;    // added once per extra field at the end of the line
    int FextraCount = 0;
};

std::string FormatTagFields(const TaudioTag& tag, std::string_view format, int width,
                            std::string_view unknownArtist);
// The field pass, then the font pass with the font store of `prefs`.
std::string FormatTagFonts(const TaudioTag& tag, std::string_view format, const TglobalPrefs& prefs,
                           int width, std::string_view unknownArtist);
// Keep the result in the tag's cached display text, from where the list painters read it.
void SetTagDisplayText(TaudioTag& tag, std::string_view format, const TglobalPrefs& prefs, int width,
                       std::string_view unknownArtist);
void SetTagPlainText(TaudioTag& tag, std::string_view format, int width, std::string_view unknownArtist);

// Captions of the group rows of browse trees and group lists. The item font is the store's
// item 1 for a selected row, else item 0. Names are escaped; suffixes are markup.
std::string ArtistAlbumsCaption(const TfontCollection* fonts, std::string_view name, int albums,
                                bool selected, std::string_view suffix);
std::string ArtistAlbumsTracksCaption(const TfontCollection* fonts, std::string_view name, int albums,
                                      int tracks, bool selected, std::string_view suffix);
std::string ArtistOwnFontCaption(const TfontCollection* fonts, std::string_view name, int albums, int tracks,
                                 bool showAlbums, std::string_view suffix);
std::string AlbumCaption(const TfontCollection* fonts, std::string_view name, int tracks, int64_t seconds,
                         std::string_view suffix);
// fontIndex < 0: the FAR font; otherwise the store's item of that index (the last when too large).
std::string TrackListCaption(const TfontCollection* fonts, std::string_view name, int tracks, int64_t seconds,
                             bool showDuration, int fontIndex);
std::string GroupCaption(const TfontCollection* fonts, std::string_view name, std::string_view extra,
                         bool selected);

// --- the format-string store -----------------------------------------------------------

class TformatStringItem {
  public:
    std::string formatString;
    std::string NiceName;
    std::string DisplayName() const { return NiceName; }
    void Assign(const TformatStringItem& source) { *this = source; }
};

class TformatStringCollection {
  public:
    TformatStringCollection() = default;
    TformatStringCollection(const TformatStringCollection& other) { Assign(other); }
    TformatStringCollection& operator=(const TformatStringCollection& other) {
        Assign(other);
        return *this;
    }
    void Assign(const TformatStringCollection& source);
    int Count() const { return int(Fitems.size()); }
    TformatStringItem& Add();
    TformatStringItem& Add(std::string niceName, std::string formatString);
    void Clear() { Fitems.clear(); }
    // nullptr when out of range.
    TformatStringItem* Items(int index) const;

  private:
    std::vector<std::unique_ptr<TformatStringItem>> Fitems;
};

class TformatStringContainer : public TObject {
  public:
    TNotifyEvent OnResetDefaults;

    TformatStringCollection& Items() { return Fitems; }
    const TformatStringCollection& Items() const { return Fitems; }
    void SetItems(const TformatStringCollection& value) { Fitems.Assign(value); }

    // One key per item: the letters and digits of its NiceName; a missing key keeps the
    // current string.
    void LoadFromSettings(const TiniFile& ini, const std::string& section);
    void SaveToSettings(TiniFile& ini, const std::string& section) const;
    void ResetDefaults();

  private:
    TformatStringCollection Fitems;
};

// The section of settings.ini that keeps the main window's format strings.
inline constexpr const char* kFormatStringsSection = "FormatStrings";

}  // namespace tunecrest
