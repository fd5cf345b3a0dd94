#pragma once
// Reports over the library, each writing a text or CSV file and then opening it with
// the desktop's application: "Media Library" (CSV of chosen columns), "Missing Album
// Covers", "Invalid Tags" and "Duplicate Tracks". Each keeps its output file name
// (the media-library report also its columns) in the reports settings file.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/base/string_lists.h"

namespace tunecrest {

class TiniFile;
class TaudioTagList;
class TaudioTagAlbum;
class TaudioTagArtistList;

inline constexpr const char* kReportsSettingsFile = "reports.ini";

using TreportProgressEvent = std::function<void(TObject* Sender, int Index, int Count)>;

class TjukeboxTagReport : public TObject {
public:
    virtual std::string GetDescription() const = 0;
    virtual std::string GetName() const = 0;
    virtual std::string GetFileFilter() const = 0;
    virtual std::string GetDefaultExtension() const = 0;
    // Writes the output file and opens it. False with a reason when the file cannot
    // be written; a document that cannot be opened is logged only.
    bool Execute(std::string* error = nullptr);
    // The report's text, as Execute writes it.
    virtual std::string BuildText() = 0;
    // Shows "No configuration is Required"; the media-library report's column window
    // belongs to the interface.
    virtual void Configure();
    // "Filename" in the report's section: the folder of the output file is saved, and
    // read back as the output file name.
    virtual void SaveSettings(TiniFile& ini) const;
    virtual void LoadSettings(const TiniFile& ini);

    // Set by the caller.
    const TaudioTagArtistList* ArtistList = nullptr;
    const TaudioTagList* TrackList = nullptr;
    std::string FileName;
    TreportProgressEvent OnProgress;
    // Whether a cover picture is found for an album; by default its first track's cover file.
    std::function<bool(const TaudioTagAlbum&)> CoverFinder;

protected:
    void DoProgress(int index, int count);
};
using TjukeboxTagReportPtr = std::shared_ptr<TjukeboxTagReport>;

class TmediaLibraryReport : public TjukeboxTagReport {
public:
    TmediaLibraryReport();
    std::string GetDescription() const override;
    std::string GetName() const override { return "Media Library"; }
    std::string GetFileFilter() const override { return "CSV Files (*.csv)|*.csv|All Files (*.*)|*.*"; }
    std::string GetDefaultExtension() const override { return "csv"; }
    std::string BuildText() override;
    // The column window on this report, offering "Index" too when the track list keeps
    // track indexes; nothing happens until the interface installs the window.
    void Configure() override;
    void SaveSettings(TiniFile& ini) const override;
    void LoadSettings(const TiniFile& ini) override;

    // The columns a user can choose; "Index" too when the track list keeps track indexes.
    static std::vector<std::string> AvailableFields(bool withIndex);
    // Whether any track of the track list carries a track index.
    bool TrackListHasIndexes() const;
    std::vector<std::string> SelectedFields;
    std::vector<std::string> ExtraFields;

    // The column window: edits the report's selected and extra fields from `available`.
    using TcolumnDialog = std::function<void(TmediaLibraryReport& report, const std::vector<std::string>& available)>;
    static void SetColumnDialog(TcolumnDialog dialog);
};

// The plain-text reports.
class TtextReport : public TjukeboxTagReport {
public:
    std::string GetFileFilter() const override { return "Text Files (*.txt)|*.txt|All Files (*.*)|*.*"; }
    std::string GetDefaultExtension() const override { return "txt"; }
};

class TmissingCoversReport : public TtextReport {
public:
    std::string GetDescription() const override {
        return "Creates a list of albums for which an album cover cannot be located.";
    }
    std::string GetName() const override { return "Missing Album Covers"; }
    std::string BuildText() override;
};

class TinvalidTagsReport : public TtextReport {
public:
    std::string GetDescription() const override {
        return "Creates a list of those files that are not correctly tagged (no Artist or no Title).";
    }
    std::string GetName() const override { return "Invalid Tags"; }
    std::string BuildText() override;
};

class TduplicateTracksReport : public TtextReport {
public:
    std::string GetDescription() const override { return "Creates a list of files that have matching Artist and Title"; }
    std::string GetName() const override { return "Duplicate Tracks"; }
    std::string BuildText() override;
};

class TjukeboxTagReportList : public TObject {
public:
    // Routes the report's progress to the list's.
    void Add(TjukeboxTagReportPtr report);
    int Count() const { return int(Fitems.size()); }
    // nullptr outside the list.
    TjukeboxTagReportPtr Items(int index) const;
    // The report names, sorted, each with its report as object.
    void GetNames(TmyStringList& names) const;
    void LoadSettings(const TiniFile& ini);
    void SaveSettings(TiniFile& ini) const;

    TreportProgressEvent OnProgress;

private:
    std::vector<TjukeboxTagReportPtr> Fitems;
};

// A list holding the four reports.
std::unique_ptr<TjukeboxTagReportList> CreateReportList();

}  // namespace tunecrest
