#include "core/library/library_reports.h"

#include <algorithm>

#include "core/library/album_artist_groupings.h"
#include "core/tags/audio_tag.h"
#include "core/base/csv_text.h"
#include "core/base/document_opener.h"
#include "core/base/ini_file.h"
#include "core/tags/media_kinds.h"
#include "core/base/safe_file.h"
#include "core/base/services.h"
#include "core/tags/tag_list.h"
#include "core/base/text_utils.h"

namespace tunecrest {

namespace {

// A line of "=" as long as `text` is in characters.
std::string Underline(const std::string& text) {
    size_t chars = 0;
    for (unsigned char c : text)
        if ((c & 0xC0) != 0x80) ++chars;
    return std::string(chars, '=');
}

std::vector<std::string> ReadCommaText(const std::string& text) {
    std::vector<std::vector<std::string>> rows = ReadCSVRows(text);
    return rows.empty() ? std::vector<std::string>() : std::move(rows[0]);
}

std::string FolderOf(const std::string& fileName) {
    const size_t slash = fileName.rfind('/');
    return slash == std::string::npos ? std::string() : fileName.substr(0, slash + 1);
}

std::string ColumnValue(const TaudioTag& tag, const std::string& column) {
    if (column == "Filename") return tag.Filename().str();
    if (column == "Artist") return tag.Artist();
    if (column == "Title") return tag.Title();
    if (column == "Album") return tag.Album();
    if (column == "Comment") return tag.Comment();
    if (column == "Track Number") return Format("%6.6u", tag.TrackNo());
    if (column == "Index") return Format("%6.6d", tag.TrackIndex());
    if (column == "Year") return tag.Date();
    if (column == "Genre") return tag.GenreString();
    if (column == "Bit Rate") return Format("%ukbps", tag.BitRate());
    if (column == "Duration") return FormatMS(tag.Duration());
    if (column == "Sample Rate") return Format("%uHz", tag.SampleRate());
    if (column == "Channel Mode") return tag.ChannelMode();
    if (column == "Tag Type") return tag.TagType();
    if (column == "Last Modified") {
        const TtimeParts t = DecodeTime(tag.ModDate());
        return FormatShortDate(tag.ModDate()) + "\t" + Format("%2.2d:%2.2d", t.Hour, t.Minute);
    }
    if (column == "Media Type")
        return tag.MediaType() == mkAudio ? "Audio" : tag.MediaType() == mkVideo ? "Video" : "Unknown";
    return "";
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

}  // namespace

// ---- base ---------------------------------------------------------------------------

bool TjukeboxTagReport::Execute(std::string* error) {
    std::string reason;
    bool written = false;
    if (FileName.empty()) reason = "No output file chosen";
    else written = SafeWriteFile(FileName, BuildText(), &reason);
    if (!written) {
        if (reason.empty()) reason = "Cannot write " + FileName;
        if (error) *error = reason;
        return false;
    }
    std::string openError;
    if (!DocumentOpener().OpenDocument(FileName, openError)) LogError(openError);
    return true;
}

void TjukeboxTagReport::Configure() { Prompt().ShowMessage("No configuration is Required", GetName()); }

void TjukeboxTagReport::SaveSettings(TiniFile& ini) const { ini.WriteString(GetName(), "Filename", FolderOf(FileName)); }

void TjukeboxTagReport::LoadSettings(const TiniFile& ini) { FileName = ini.ReadString(GetName(), "Filename", FileName); }

void TjukeboxTagReport::DoProgress(int index, int count) {
    if (OnProgress) OnProgress(this, index, count);
}

// ---- Missing Album Covers -----------------------------------------------------------

std::string TmissingCoversReport::BuildText() {
    std::vector<std::string> lines;
    if (!ArtistList) return "";
    const auto hasCover = CoverFinder ? CoverFinder : [](const TaudioTagAlbum& album) {
        return !album.GetCoverFile("", false).empty();
    };
    const int count = ArtistList->Count();
    for (int i = 0; i < count; ++i) {
        const TaudioTagArtistPtr artist = ArtistList->GetArtist(i);
        bool any = false;
        for (int a = 0; artist && a < artist->Albums().Count(); ++a) {
            const TaudioTagAlbumPtr album = artist->Albums().GetAlbum(a);
            if (!album || hasCover(*album)) continue;
            if (!any) {
                lines.push_back(artist->Title());
                lines.push_back(Underline(artist->Title()));
                any = true;
            }
            const TaudioTagPtr first = album->GetTag(0);
            lines.push_back(Format("    %s [%s]", album->Title().c_str(), first ? first->PathPart().c_str() : ""));
        }
        if (any) lines.emplace_back();
        DoProgress(i, count);
    }
    return JoinLines(lines);
}

// ---- Invalid Tags -------------------------------------------------------------------

std::string TinvalidTagsReport::BuildText() {
    std::vector<std::string> files;
    if (!TrackList) return "";
    const int count = TrackList->Count();
    for (int i = 0; i < count; ++i) {
        const TaudioTagPtr& tag = TrackList->Items()[size_t(i)];
        if (tag->Artist().empty() || tag->Title().empty()) files.push_back(tag->Filename().str());
        DoProgress(i, count);
    }
    std::sort(files.begin(), files.end());
    return JoinLines(files);
}

// ---- Duplicate Tracks ---------------------------------------------------------------

std::string TduplicateTracksReport::BuildText() {
    std::vector<std::string> lines;
    int found = 0;
    const int count = ArtistList ? ArtistList->Count() : 0;
    for (int i = 0; i < count; ++i) {
        const TaudioTagArtistPtr artist = ArtistList->GetArtist(i);
        const auto& tracks = artist ? artist->Items() : std::vector<TaudioTagPtr>{};
        for (size_t a = 0; a < tracks.size(); ++a)
            for (size_t b = a + 1; b < tracks.size(); ++b) {
                const TaudioTag& x = *tracks[a];
                const TaudioTag& y = *tracks[b];
                if (!SameText(x.Title(), y.Title())) continue;
                if (!SameText(x.Album(), y.Album()) && !x.Album().empty() && !y.Album().empty()) continue;
                const std::string heading = x.Artist() + " - " + x.Title();
                lines.push_back(heading);
                lines.push_back(Underline(heading));
                lines.push_back(x.Filename().str());
                lines.push_back(y.Filename().str());
                lines.emplace_back();
                ++found;
            }
        DoProgress(i, count);
    }
    lines.insert(lines.begin(), {"Duplicate Tracks Report: " + std::to_string(found) + " duplicate tracks found.", ""});
    return JoinLines(lines);
}

// ---- Media Library ------------------------------------------------------------------

TmediaLibraryReport::TmediaLibraryReport() : SelectedFields{"Artist", "Album", "Track Number", "Title", "Filename"} {}

std::string TmediaLibraryReport::GetDescription() const {
    return "Creates a CSV (comma delimited text) report of your media library.\r\nSuitable for opening in a "
           "Spreadsheet Programm, or for importing into a Database.";
}

std::vector<std::string> TmediaLibraryReport::AvailableFields(bool withIndex) {
    std::vector<std::string> fields = {"Filename",     "Artist",      "Title",       "Album",         "Comment",
                                       "Track Number", "Year",        "Genre",       "Bit Rate",      "Duration",
                                       "Sample Rate",  "Channel Mode", "Tag Type",   "Last Modified", "Media Type"};
    if (withIndex) fields.push_back("Index");
    return fields;
}

namespace {
TmediaLibraryReport::TcolumnDialog& ColumnDialog() {
    static TmediaLibraryReport::TcolumnDialog dialog;
    return dialog;
}
}  // namespace

void TmediaLibraryReport::SetColumnDialog(TcolumnDialog dialog) { ColumnDialog() = std::move(dialog); }

bool TmediaLibraryReport::TrackListHasIndexes() const {
    if (!TrackList) return false;
    for (const TaudioTagPtr& tag : TrackList->Items())
        if (tag->TrackIndex() != 0) return true;
    return false;
}

void TmediaLibraryReport::Configure() {
    if (ColumnDialog()) ColumnDialog()(*this, AvailableFields(TrackListHasIndexes()));
}

std::string TmediaLibraryReport::BuildText() {
    std::vector<std::string> lines;
    const int count = TrackList ? TrackList->Count() : 0;
    for (int i = 0; i < count; ++i) {
        const TaudioTag& tag = *TrackList->Items()[size_t(i)];
        std::vector<std::string> values;
        for (const std::string& column : SelectedFields) values.push_back(ColumnValue(tag, column));
        for (const std::string& extra : ExtraFields) values.push_back(tag.ExtraFields().Values(extra));
        lines.push_back(JoinCSV(values));
        DoProgress(i, count);
    }
    std::stable_sort(lines.begin(), lines.end(),
                     [](const std::string& a, const std::string& b) { return CompareText(a, b) < 0; });
    std::vector<std::string> heading = SelectedFields;
    heading.insert(heading.end(), ExtraFields.begin(), ExtraFields.end());
    lines.insert(lines.begin(), JoinCSV(heading));
    return JoinLines(lines);
}

void TmediaLibraryReport::SaveSettings(TiniFile& ini) const {
    TjukeboxTagReport::SaveSettings(ini);
    ini.WriteString(GetName(), "SelectedFields", JoinCSV(SelectedFields));
    ini.WriteString(GetName(), "ExtraFields", JoinCSV(ExtraFields));
}

void TmediaLibraryReport::LoadSettings(const TiniFile& ini) {
    TjukeboxTagReport::LoadSettings(ini);
    if (ini.ValueExists(GetName(), "SelectedFields"))
        SelectedFields = ReadCommaText(ini.ReadString(GetName(), "SelectedFields", ""));
    if (ini.ValueExists(GetName(), "ExtraFields"))
        ExtraFields = ReadCommaText(ini.ReadString(GetName(), "ExtraFields", ""));
}

// ---- the list -----------------------------------------------------------------------

void TjukeboxTagReportList::Add(TjukeboxTagReportPtr report) {
    if (!report) return;
    report->OnProgress = [this](TObject*, int index, int count) {
        if (OnProgress) OnProgress(this, index, count);
    };
    Fitems.push_back(std::move(report));
}

TjukeboxTagReportPtr TjukeboxTagReportList::Items(int index) const {
    return index >= 0 && index < Count() ? Fitems[size_t(index)] : nullptr;
}

void TjukeboxTagReportList::GetNames(TmyStringList& names) const {
    names.BeginUpdate();
    names.Clear();
    for (const auto& report : Fitems) names.AddObject(report->GetName(), report);
    names.Sort();
    names.EndUpdate();
}

void TjukeboxTagReportList::LoadSettings(const TiniFile& ini) {
    for (const auto& report : Fitems) report->LoadSettings(ini);
}

void TjukeboxTagReportList::SaveSettings(TiniFile& ini) const {
    for (const auto& report : Fitems) report->SaveSettings(ini);
}

std::unique_ptr<TjukeboxTagReportList> CreateReportList() {
    auto list = std::make_unique<TjukeboxTagReportList>();
    list->Add(std::make_shared<TmediaLibraryReport>());
    list->Add(std::make_shared<TmissingCoversReport>());
    list->Add(std::make_shared<TinvalidTagsReport>());
    list->Add(std::make_shared<TduplicateTracksReport>());
    return list;
}

}  // namespace tunecrest
