#include "mainwindow/window/dialog_entries.h"

#include "core/base/services.h"

namespace tunecrest {

std::string TdialogEntries::NotAvailableText(const std::string& window) {
    return "The " + window + " window is not available yet.";
}

void TdialogEntries::ShowPreferences(const std::string&) {
    Prompt().ShowMessage(NotAvailableText("Preferences"), "Tunecrest Audio System");
}
void TdialogEntries::ShowTips() { Prompt().ShowMessage(NotAvailableText("Tips"), "Tunecrest Audio System"); }
void TdialogEntries::ShowAbout() { Prompt().ShowMessage(NotAvailableText("About"), "Tunecrest Audio System"); }
void TdialogEntries::ShowSongSearch(int) {
    Prompt().ShowMessage(NotAvailableText("Song Search"), "Tunecrest Audio System");
}
void TdialogEntries::ShowPlaylistEditor() {
    Prompt().ShowMessage(NotAvailableText("Playlist Editor"), "Tunecrest Audio System");
}
void TdialogEntries::ShowPlaylistDisplay() {
    Prompt().ShowMessage(NotAvailableText("Playlist"), "Tunecrest Audio System");
}

void TdialogEntries::ShowHelp() { Prompt().ShowMessage(NotAvailableText("Help"), "Tunecrest Audio System"); }
void TdialogEntries::ShowShortcutList() {
    Prompt().ShowMessage(NotAvailableText("Shortcut List"), "Tunecrest Audio System");
}
void TdialogEntries::ShowViewSettings() {
    Prompt().ShowMessage(NotAvailableText("View Settings"), "Tunecrest Audio System");
}
void TdialogEntries::EditInternetRadio() {
    Prompt().ShowMessage(NotAvailableText("Internet Radio Stations"), "Tunecrest Audio System");
}
void TdialogEntries::ShowHistory(TcustomJukeboxList&) {
    Prompt().ShowMessage(NotAvailableText("History List"), "Tunecrest Audio System");
}
void TdialogEntries::ShowJukeboxInfo(TcustomJukeboxList&) {
    Prompt().ShowMessage(NotAvailableText("Information"), "Tunecrest Audio System");
}
void TdialogEntries::ShowReports(TcustomJukeboxList&, const std::string&, const std::string&) {
    Prompt().ShowMessage(NotAvailableText("Reports"), "Tunecrest Audio System");
}

bool TdialogEntries::EditMediaSearchOptions(TcustomJukeboxList&, bool&) {
    Prompt().ShowMessage(NotAvailableText("Media Search"), "Tunecrest Audio System");
    return false;
}

bool TdialogEntries::EditViewSettings(uint32_t*, TtagListDisplaySettings*, TtagListDisplaySettings*, int&,
                                      TformatStringContainer*, int&, int&) {
    Prompt().ShowMessage(NotAvailableText("View Settings"), "Tunecrest Audio System");
    return false;
}

void TdialogEntries::ConfigurePlugins(std::string&) {
    Prompt().ShowMessage(NotAvailableText("Tag Read Plugins Configuration"), "Tunecrest Audio System");
}

void TdialogEntries::ShowStackerList() {
    Prompt().ShowMessage(NotAvailableText("Stacker"), "Tunecrest Audio System");
}
bool TdialogEntries::ChooseAlbum(bool, TaudioTagAlbumPtr& album) {
    album.reset();
    Prompt().ShowMessage(NotAvailableText("Choose CD"), "Tunecrest Audio System");
    return false;
}
void TdialogEntries::ShowActionButtonPad(TactionButtonPad&) {
    Prompt().ShowMessage(NotAvailableText("Action Button Pad"), "Tunecrest Audio System");
}
bool TdialogEntries::EditLaunchers(TappLauncherList&, const std::string& caption) {
    Prompt().ShowMessage(NotAvailableText(caption), "Tunecrest Audio System");
    return false;
}

int TdialogEntries::SelectString(const std::string& caption, const std::vector<std::string>& items, int selected) {
    if (selected < 0 || selected >= int(items.size())) return -1;
    return Prompt().AskYesNo(items[size_t(selected)] + "?", caption, true) ? selected : -1;
}

}  // namespace tunecrest
