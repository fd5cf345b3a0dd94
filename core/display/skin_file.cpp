#include "core/display/skin_file.h"

#include <filesystem>

#include "core/display/color_text.h"
#include "core/display/font_store.h"
#include "core/base/safe_file.h"
#include "core/base/text_utils.h"

namespace tunecrest {

namespace {
// Folder entries compared when a name is looked up without regard to case; a skin
// folder holds a few dozen files.
constexpr int kMaxFolderScan = 4096;
}  // namespace

bool TskinFile::LoadFromFile(const std::string& fileName, std::string* error) {
    Fini.Clear();
    std::string text, reason;
    if (!ReadFileBytes(fileName, text, &reason, kMaxSkinFileSize)) {
        if (error) *error = fileName + ": " + reason;
        return false;
    }
    if (!LoadFromText(text, &reason)) {
        if (error) *error = fileName + ": " + reason;
        return false;
    }
    return true;
}

bool TskinFile::LoadFromText(std::string_view text, std::string* error) {
    Fini.Clear();
    if (text.size() > kMaxSkinFileSize) {
        if (error) *error = "the skin file is larger than " + std::to_string(kMaxSkinFileSize) + " bytes";
        return false;
    }
    // A zero byte means a binary file (a bitmap saved under the wrong name, a damaged
    // copy): reading it as settings would only yield noise.
    if (text.find('\0') != std::string_view::npos) {
        if (error) *error = "the skin file is not text";
        return false;
    }
    Fini.SetText(std::string(text));
    return true;
}

bool TskinFile::SaveToFile(const std::string& fileName, std::string* error) const {
    return SafeWriteFile(fileName, Fini.GetText(), error);
}

TskinInfo TskinFile::Info() const {
    return {Fini.ReadString("Info", "Title", ""), Fini.ReadString("Info", "Description", ""),
            Fini.ReadString("Info", "Creator", "")};
}

void TskinFile::SetInfo(const TskinInfo& info) {
    Fini.WriteString("Info", "Title", info.Title);
    Fini.WriteString("Info", "Description", info.Description);
    Fini.WriteString("Info", "Creator", info.Creator);
}

std::optional<TColor> TskinFile::ReadColor(const char* key) const {
    if (!Fini.ValueExists("Colors", key)) return std::nullopt;
    return StringToColor(Trim(Fini.ReadString("Colors", key, "")));
}

void TskinFile::WriteColor(const char* key, TColor color) { Fini.WriteString("Colors", key, ColorToString(color)); }

std::string TskinFile::Image(const std::string& component, const std::string& key) const {
    return Trim(Fini.ReadString(component, key, ""));
}

void TskinFile::SetImage(const std::string& component, const std::string& fileName, const std::string& key) {
    Fini.WriteString(component, key, fileName);
}

std::optional<bool> TskinFile::StretchDraw(const std::string& component) const {
    if (!Fini.ValueExists(component, "StretchDraw")) return std::nullopt;
    return Fini.ReadBool(component, "StretchDraw", false);
}

void TskinFile::SetStretchDraw(const std::string& component, bool value) {
    Fini.WriteBool(component, "StretchDraw", value);
}

std::vector<TskinIcon> TskinFile::Icons(int count) const {
    std::vector<TskinIcon> icons;
    const int limit = std::min(count, kMaxSkinIcons);
    for (int i = 0; i < limit; ++i) {
        const std::string section = "Icon" + std::to_string(i);
        if (!Fini.SectionExists(section)) break;
        TskinIcon icon;
        icon.FileName = Trim(Fini.ReadString(section, "Filename", ""));
        icon.TransparentColor =
            StringToColor(Trim(Fini.ReadString(section, "TransparentColor", ""))).value_or(clFuchsia);
        icons.push_back(std::move(icon));
    }
    return icons;
}

void TskinFile::SetIcon(int index, const TskinIcon& icon) {
    const std::string section = "Icon" + std::to_string(index);
    Fini.WriteString(section, "Filename", icon.FileName);
    Fini.WriteString(section, "TransparentColor", ColorToString(icon.TransparentColor));
}

void TskinFile::LoadFontStore(TfontContainer& store) const {
    store.Items().LoadFonts(Fini, store.NiceName);
    store.Colors().LoadColors(Fini, store.NiceName);
}

void TskinFile::SaveFontStore(const TfontContainer& store) {
    store.Items().SaveFonts(Fini, store.NiceName);
    store.Colors().SaveColors(Fini, store.NiceName);
}

bool IsBareFileName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    return name.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos;
}

std::string ResolveSkinFile(const std::string& folder, const std::string& name, std::string* reason) {
    if (!IsBareFileName(name)) {
        if (reason) *reason = name.empty() ? "no file named" : "\"" + name + "\" is not a file of the skin folder";
        return "";
    }
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path exact = fs::path(folder) / name;
    if (fs::is_regular_file(exact, ec)) return exact.string();
    int seen = 0;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end && seen < kMaxFolderScan; it.increment(ec), ++seen) {
        const std::string entry = it->path().filename().string();
        if (SameText(entry, name) && it->is_regular_file(ec)) return it->path().string();
    }
    if (reason) *reason = "\"" + name + "\" is missing";
    return "";
}

}  // namespace tunecrest
