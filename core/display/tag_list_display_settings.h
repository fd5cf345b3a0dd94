#pragma once
// How track lists show their tracks: details and track numbers on or off, the text that
// stands for a missing artist, and the sort of tracks without track numbers. The main
// window loads it from its settings, saves it at close-down and repaints on OnChange.
#include <string>

#include "core/base/event_lists.h"
#include "core/tags/tag_list.h"

namespace tunecrest {

class TiniFile;

class TtagListDisplaySettings : public TObject {
  public:
    TNotifyEvent OnChange;

    bool DisplayTrackNumbers() const { return FdisplayTrackNumbers; }
    void SetDisplayTrackNumbers(bool value);
    bool DisplayTrackDetails() const { return FdisplayTrackDetails; }
    void SetDisplayTrackDetails(bool value);
    const std::string& UnknownArtistString() const { return FunknownArtistString; }
    void SetUnknownArtistString(const std::string& value);
    TaudioTagSortType SortNoTrackNumbers() const { return FsortNoTrackNumbers; }
    void SetSortNoTrackNumbers(TaudioTagSortType value);

    // Changes inside a bracket are told once, when the outermost bracket closes.
    void BeginUpdate() { ++FupdateCount; }
    void EndUpdate();

    // Keys "DisplayTrackDetails", "DisplayTrackNumbers", "UnknownArtistString",
    // "SortNoTrackNumbers" (an ordinal; one out of range reads as the default).
    void LoadFromSettings(const TiniFile& ini, const std::string& section);
    void SaveToSettings(TiniFile& ini, const std::string& section) const;

  private:
    void Changed();

    bool FdisplayTrackNumbers = true;
    bool FdisplayTrackDetails = false;
    std::string FunknownArtistString;
    TaudioTagSortType FsortNoTrackNumbers = tstTrackTitle;
    int FupdateCount = 0;
    bool FchangePending = false;
};

}  // namespace tunecrest
