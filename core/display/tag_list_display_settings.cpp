#include "core/display/tag_list_display_settings.h"

#include "core/base/ini_file.h"

namespace tunecrest {

void TtagListDisplaySettings::Changed() {
    if (FupdateCount > 0) {
        FchangePending = true;
        return;
    }
    FchangePending = false;
    if (OnChange) OnChange(this);
}

void TtagListDisplaySettings::EndUpdate() {
    if (FupdateCount > 0) --FupdateCount;
    if (FupdateCount == 0 && FchangePending) Changed();
}

void TtagListDisplaySettings::SetDisplayTrackNumbers(bool value) {
    FdisplayTrackNumbers = value;
    Changed();
}

void TtagListDisplaySettings::SetDisplayTrackDetails(bool value) {
    FdisplayTrackDetails = value;
    Changed();
}

void TtagListDisplaySettings::SetUnknownArtistString(const std::string& value) {
    FunknownArtistString = value;
    Changed();
}

void TtagListDisplaySettings::SetSortNoTrackNumbers(TaudioTagSortType value) {
    FsortNoTrackNumbers = value;
    Changed();
}

void TtagListDisplaySettings::LoadFromSettings(const TiniFile& ini, const std::string& section) {
    BeginUpdate();
    SetDisplayTrackDetails(ini.ReadBool(section, "DisplayTrackDetails", false));
    SetDisplayTrackNumbers(ini.ReadBool(section, "DisplayTrackNumbers", true));
    SetUnknownArtistString(ini.ReadString(section, "UnknownArtistString", ""));
    const int sort = ini.ReadInteger(section, "SortNoTrackNumbers", tstTrackTitle);
    SetSortNoTrackNumbers(sort >= tstTitle && sort <= tstCaption ? TaudioTagSortType(sort) : tstTrackTitle);
    EndUpdate();
}

void TtagListDisplaySettings::SaveToSettings(TiniFile& ini, const std::string& section) const {
    ini.WriteBool(section, "DisplayTrackDetails", FdisplayTrackDetails);
    ini.WriteBool(section, "DisplayTrackNumbers", FdisplayTrackNumbers);
    ini.WriteString(section, "UnknownArtistString", FunknownArtistString);
    ini.WriteInteger(section, "SortNoTrackNumbers", int(FsortNoTrackNumbers));
}

}  // namespace tunecrest
