#include "core/display/track_format.h"

#include <array>
#include <optional>

#include "core/tags/audio_tag.h"
#include "core/jukebox/global_prefs.h"
#include "core/base/ini_file.h"
#include "core/display/markup_text.h"
#include "core/base/shared_utils.h"
#include "core/base/text_utils.h"

namespace tunecrest {

namespace {

// Field tags in the order the field pass fills them.
constexpr std::array<std::string_view, 7> kFieldTags = {"TI", "AR", "DU", "TN", "AL", "GE", "CO"};
// Font tags in the order the font pass resolves them; "X" stands for FXT.
constexpr std::array<std::string_view, 10> kFontTags = {"FTI", "FAR", "FCH", "FDU", "FTN",
                                                        "FAL", "FGE", "FCO", "X",   "FXT"};
constexpr int kMaxTrackNoWidth = 20;

// The trailing text of a tag found at `open` whose name has `nameLen` characters and whose
// ">" is at `close`: one character after the name is skipped.
std::string_view Trailing(std::string_view text, size_t open, size_t nameLen, size_t close) {
    const size_t start = open + 1 + nameLen + 1;
    return start < close ? text.substr(start, close - start) : std::string_view{};
}

void AppendNumber(std::string& out, uint64_t value, int minDigits) {
    char digits[24];
    int n = 0;
    do {
        digits[n++] = char('0' + value % 10);
        value /= 10;
    } while (value);
    for (int i = n; i < minDigits; ++i) out += '0';
    while (n) out += digits[--n];
}

// "%d:%2.2d" of minutes and seconds.
void AppendMinutesSeconds(std::string& out, uint64_t seconds) {
    AppendNumber(out, seconds / 60, 1);
    out += ':';
    AppendNumber(out, seconds % 60, 2);
}

std::string Plural(int count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

const TfontCollection* FontsOf(const TglobalPrefs& prefs) {
    const TfontContainer* container = prefs.FontContainer();
    return container ? &container->Items() : nullptr;
}

std::string ItemFontTag(const TfontCollection* fonts, int index) {
    const TfontItem* item = fonts ? fonts->Items(index) : nullptr;
    return item ? item->HTMLTag() : std::string();
}

}  // namespace

std::string ConvertLegacyFormat(std::string_view text) {
    static constexpr std::array<std::pair<char, std::string_view>, 8> kCodes = {{
        {'1', "<FAR><AR><FCH>"},
        {'2', "<FTI><TI><FCH>"},
        {'3', "<FAL><AL><FCH>"},
        {'4', "<FYR><YR><FCH>"},
        {'5', "<FGE><GE><FCH>"},
        {'6', "<FTN><TN><FCH>"},
        {'9', "<FCOM><CO><FCH>"},
        {'t', "<FDU><DU><FCH>"},
    }};
    std::string result(text);
    if (result.find('%') == std::string::npos) return result;
    // The replacements hold no "%", so one pass per code replaces every occurrence.
    for (const auto& [code, replacement] : kCodes) {
        std::string next;
        next.reserve(result.size());
        size_t pos = 0;
        for (size_t hit = result.find('%'); hit != std::string::npos; hit = result.find('%', hit + 1)) {
            if (hit + 1 >= result.size() || result[hit + 1] != code) continue;
            next.append(result, pos, hit - pos);
            next += replacement;
            pos = hit + 2;
            ++hit;
        }
        next.append(result, pos, std::string::npos);
        result = std::move(next);
    }
    return result;
}

std::string FontTagForCode(const TfontCollection* fonts, std::string_view code) {
    if (!fonts || fonts->Count() == 0) return {};
    return FontToHTMLTag(*fonts->GetFontByMask(code, &fonts->Items(0)->font()));
}

// --- the compiled format -----------------------------------------------------------------

void TtrackFormat::AddLiteral(std::string_view text) {
    if (text.empty()) return;
    if (!Fsegments.empty() && Fsegments.back().Kind == Tkind::Literal)
        Fsegments.back().Text += text;
    else
        Fsegments.push_back({Tkind::Literal, std::string(text)});
}

TtrackFormat::TtrackFormat(std::string_view format, const TfontCollection* fonts) : FfontsResolved(fonts) {
    std::array<std::string, kFontTags.size()> fontTags;
    if (fonts)
        for (size_t i = 0; i < kFontTags.size(); ++i)
            fontTags[i] = FontTagForCode(fonts, kFontTags[i] == "X" ? "FXT" : kFontTags[i]);
    if (fonts) {
        FextraFont = fontTags[9];
        FlineEnd = fontTags[2];
    } else {
        FextraFont = "<X:";
        FextraEnd = ">";
        FlineEnd = "<FCH>";
    }

    bool used[kFieldTags.size()] = {};
    size_t pos = 0;
    while (pos < format.size()) {
        const size_t open = format.find('<', pos);
        if (open == std::string_view::npos) break;
        AddLiteral(format.substr(pos, open - pos));
        pos = open;
        const std::string_view rest = format.substr(open + 1);
        // A tag is filled only when its ">" follows; with none left, the rest is text.
        const size_t close = format.find('>', open);
        if (close == std::string_view::npos) break;

        bool done = false;
        for (size_t i = 0; i < kFieldTags.size() && !done; ++i) {
            if (used[i] || !StartsText(kFieldTags[i], rest)) continue;
            used[i] = true;
            Fsegments.push_back({Tkind(int(Tkind::Title) + int(i)),
                                 std::string(Trailing(format, open, kFieldTags[i].size(), close))});
            done = true;
        }
        if (!done && rest.starts_with("X:")) {
            Fsegments.push_back({Tkind::Extra, std::string(format.substr(open + 3, close - open - 3))});
            ++FextraCount;
            done = true;
        }
        for (size_t i = 0; fonts && i < kFontTags.size() && !done; ++i) {
            if (!StartsText(kFontTags[i], rest)) continue;
            AddLiteral(fontTags[i]);
            AddLiteral(Trailing(format, open, kFontTags[i].size(), close));
            done = true;
        }
        if (done) {
            pos = close + 1;
        } else {
            // Not one of ours: the "<" stays and the text after it is searched on.
            AddLiteral("<");
            pos = open + 1;
        }
    }
    if (pos < format.size()) AddLiteral(format.substr(pos));
}

void TtrackFormat::Format(const TaudioTag& tag, int width, std::string_view unknownArtist,
                          std::string& out) const {
    width = width < 0 ? 0 : width > kMaxTrackNoWidth ? kMaxTrackNoWidth : width;
    for (const Tsegment& segment : Fsegments) {
        switch (segment.Kind) {
            case Tkind::Literal:
                out += segment.Text;
                continue;
            case Tkind::Title:
                AppendEscapedMarkup(out, tag.Title());
                break;
            case Tkind::Artist:
                AppendEscapedMarkup(out,
                                    tag.Artist().empty() ? unknownArtist : std::string_view(tag.Artist()));
                break;
            case Tkind::Duration:
                AppendMinutesSeconds(out, tag.Duration());
                break;
            case Tkind::TrackNo:
                AppendNumber(out, tag.TrackNo(), width);
                break;
            case Tkind::Album:
                AppendEscapedMarkup(out, tag.Album());
                break;
            case Tkind::Genre:
                AppendEscapedMarkup(out, tag.GenreString());
                break;
            case Tkind::Comment:
                AppendEscapedMarkup(out, tag.Comment());
                break;
            case Tkind::Extra:
                out += FextraFont;
                if (tag.ExtraFields().Count() > 0)
                    AppendEscapedMarkup(out, tag.ExtraFields().Values(segment.Text));
                out += FextraEnd;
                continue;
        }
        out += segment.Text;  // the trailing text of a field tag
    }
    for (int i = 0; i < FextraCount; ++i) out += FlineEnd;
}

std::string TtrackFormat::Format(const TaudioTag& tag, int width, std::string_view unknownArtist) const {
    std::string out;
    Format(tag, width, unknownArtist, out);
    return out;
}

namespace {

// The last format read, kept with the font codes and fonts it was resolved with, so that
// formatting a whole list one tag at a time reads the format string once. The fonts are
// compared on every use, so a changed store is never served stale tags.
class TformatCache {
  public:
    const TtrackFormat& Get(std::string_view format, const TfontCollection* fonts) {
        if (!Fcompiled || Fformat != format || FhasFonts != (fonts != nullptr) || !SameFonts(fonts)) {
            Fcompiled.emplace(format, fonts);
            Fformat.assign(format);
            FhasFonts = fonts != nullptr;
            Ffonts.clear();
            for (int i = 0; fonts && i < fonts->Count(); ++i)
                Ffonts.emplace_back(fonts->Items(i)->Mask, fonts->Items(i)->font());
        }
        return *Fcompiled;
    }

  private:
    bool SameFonts(const TfontCollection* fonts) const {
        if (!fonts) return Ffonts.empty();
        if (fonts->Count() != int(Ffonts.size())) return false;
        for (int i = 0; i < fonts->Count(); ++i) {
            const TfontItem& item = *fonts->Items(i);
            if (item.Mask != Ffonts[size_t(i)].first || !(item.font() == Ffonts[size_t(i)].second))
                return false;
        }
        return true;
    }

    std::optional<TtrackFormat> Fcompiled;
    std::string Fformat;
    bool FhasFonts = false;
    std::vector<std::pair<std::string, TFont>> Ffonts;
};

const TtrackFormat& CachedFormat(std::string_view format, const TfontCollection* fonts) {
    thread_local TformatCache cache;
    return cache.Get(format, fonts);
}

}  // namespace

std::string FormatTagFields(const TaudioTag& tag, std::string_view format, int width,
                            std::string_view unknownArtist) {
    return CachedFormat(format, nullptr).Format(tag, width, unknownArtist);
}

std::string FormatTagFonts(const TaudioTag& tag, std::string_view format, const TglobalPrefs& prefs,
                           int width, std::string_view unknownArtist) {
    static const TfontCollection kNoFonts;
    const TfontCollection* fonts = FontsOf(prefs);
    return CachedFormat(format, fonts ? fonts : &kNoFonts).Format(tag, width, unknownArtist);
}

void SetTagDisplayText(TaudioTag& tag, std::string_view format, const TglobalPrefs& prefs, int width,
                       std::string_view unknownArtist) {
    tag.SetCaption(FormatTagFonts(tag, format, prefs, width, unknownArtist));
}

void SetTagPlainText(TaudioTag& tag, std::string_view format, int width, std::string_view unknownArtist) {
    tag.SetCaption(FormatTagFields(tag, format, width, unknownArtist));
}

// --- group rows ----------------------------------------------------------------------------

std::string ArtistAlbumsCaption(const TfontCollection* fonts, std::string_view name, int albums,
                                bool selected, std::string_view suffix) {
    return ItemFontTag(fonts, selected ? 1 : 0) + EscapeMarkup(name) + " " + FontTagForCode(fonts, "FDU") +
           "(" + Plural(albums, "Album", "Albums") + std::string(suffix) + ")";
}

std::string ArtistAlbumsTracksCaption(const TfontCollection* fonts, std::string_view name, int albums,
                                      int tracks, bool selected, std::string_view suffix) {
    std::string s =
        ItemFontTag(fonts, selected ? 1 : 0) + EscapeMarkup(name) + " " + FontTagForCode(fonts, "FDU") + "(";
    if (albums > 0) s += Plural(albums, "Album", "Albums") + ", ";
    return s + Plural(tracks, "Track", "Tracks") + std::string(suffix) + ")";
}

std::string ArtistOwnFontCaption(const TfontCollection* fonts, std::string_view name, int albums, int tracks,
                                 bool showAlbums, std::string_view suffix) {
    std::string s =
        FontTagForCode(fonts, "FAR") + EscapeMarkup(name) + " " + FontTagForCode(fonts, "FDU") + "(";
    if (showAlbums && albums > 0) s += Plural(albums, "Album", "Albums") + ", ";
    return s + Plural(tracks, "Track", "Tracks") + std::string(suffix) + ")";
}

std::string AlbumCaption(const TfontCollection* fonts, std::string_view name, int tracks, int64_t seconds,
                         std::string_view suffix) {
    std::string s = FontTagForCode(fonts, "FAL") + EscapeMarkup(name) + " " + FontTagForCode(fonts, "FDU") +
                    "(" + Plural(tracks, "Track", "Tracks") + " [";
    AppendMinutesSeconds(s, uint64_t(seconds < 0 ? 0 : seconds));
    return s + std::string(suffix) + "])";
}

std::string TrackListCaption(const TfontCollection* fonts, std::string_view name, int tracks, int64_t seconds,
                             bool showDuration, int fontIndex) {
    std::string s = (fontIndex < 0 ? FontTagForCode(fonts, "FAR") : ItemFontTag(fonts, fontIndex)) +
                    EscapeMarkup(name) + " " + FontTagForCode(fonts, "FDU") + "(" +
                    Plural(tracks, "Track", "Tracks");
    if (showDuration) {
        const uint64_t total = uint64_t(seconds < 0 ? 0 : seconds);
        s += " [";
        AppendNumber(s, total / 3600, 1);
        s += ':';
        AppendNumber(s, total / 60 % 60, 2);
        s += ':';
        AppendNumber(s, total % 60, 2);
        s += "]";
    }
    return s + ")";
}

std::string GroupCaption(const TfontCollection* fonts, std::string_view name, std::string_view extra,
                         bool selected) {
    std::string s = ItemFontTag(fonts, selected ? 1 : 0) + EscapeMarkup(name) + " ";
    if (!extra.empty()) s += FontTagForCode(fonts, "FDU") + std::string(extra);
    return s;
}

// --- the format-string store ------------------------------------------------------------

void TformatStringCollection::Assign(const TformatStringCollection& source) {
    if (&source == this) return;
    std::vector<std::unique_ptr<TformatStringItem>> copy;
    for (const auto& item : source.Fitems) copy.push_back(std::make_unique<TformatStringItem>(*item));
    Fitems = std::move(copy);
}

TformatStringItem& TformatStringCollection::Add() {
    return *Fitems.emplace_back(std::make_unique<TformatStringItem>());
}

TformatStringItem& TformatStringCollection::Add(std::string niceName, std::string formatString) {
    TformatStringItem& item = Add();
    item.NiceName = std::move(niceName);
    item.formatString = std::move(formatString);
    return item;
}

TformatStringItem* TformatStringCollection::Items(int index) const {
    return index >= 0 && index < Count() ? Fitems[size_t(index)].get() : nullptr;
}

void TformatStringContainer::LoadFromSettings(const TiniFile& ini, const std::string& section) {
    for (int i = 0; i < Fitems.Count(); ++i) {
        TformatStringItem& item = *Fitems.Items(i);
        item.formatString = ini.ReadString(section, MakeAlphaNumName(item.NiceName), item.formatString);
    }
}

void TformatStringContainer::SaveToSettings(TiniFile& ini, const std::string& section) const {
    for (int i = 0; i < Fitems.Count(); ++i) {
        const TformatStringItem& item = *Fitems.Items(i);
        ini.WriteString(section, MakeAlphaNumName(item.NiceName), item.formatString);
    }
}

void TformatStringContainer::ResetDefaults() {
    if (OnResetDefaults) OnResetDefaults(this);
}

}  // namespace tunecrest
