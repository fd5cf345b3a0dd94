#pragma once
// The description file of a skin, skin.usk: INI text beside the skin's bitmaps.
//
//   [Info]       Title, Description, Creator
//   [Colors]     ButtonColor, PanelColor (the two recolouring colours),
//                DefaultButtonColor, DefaultPanelColor (the author's reset colours)
//   [Settings]   FontShadows (captions drawn with shadows)
//   [Keyboard]   KeyImage (the on-screen keyboard's key bitmap), BackspaceImage (the
//                glyph of its backspace key, drawn on $FF00FF)
//   [<component name>]   Image, StretchDraw; BackImage for a list box's picture
//   [Icon0], [Icon1] ... Filename, TransparentColor (the list icons)
//   [<font store name>]  the font store's own keys ("Lists", "Screen Saver", ...)
//
// Colours are written as colour names or "$" and eight hex digits. File names are bare
// names, resolved in the skin's own folder; a name that would reach outside it is never
// followed. The file is held as an INI image, so sections this reader does not know
// survive a rewrite unchanged.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/display/color.h"
#include "core/base/ini_file.h"

namespace tunecrest {

class TfontContainer;

// Larger skin files are refused unread: a real one is a few kilobytes.
constexpr uint64_t kMaxSkinFileSize = 1u << 20;
// Icon sections read at most (the list icons are a handful).
constexpr int kMaxSkinIcons = 256;

struct TskinInfo {
    std::string Title, Description, Creator;
    bool operator==(const TskinInfo&) const = default;
};

struct TskinIcon {
    std::string FileName;
    TColor TransparentColor = clFuchsia;
    bool operator==(const TskinIcon&) const = default;
};

class TskinFile {
public:
    static constexpr const char* kFileName = "skin.usk";

    TskinFile() = default;
    // Reads the file. False with a reason (the image left empty) when it is missing,
    // unreadable, no regular file, larger than kMaxSkinFileSize or not text.
    bool LoadFromFile(const std::string& fileName, std::string* error = nullptr);
    // Parses skin text; false with a reason (the image left empty) for text that holds
    // zero bytes or exceeds kMaxSkinFileSize.
    bool LoadFromText(std::string_view text, std::string* error = nullptr);
    // The file as the writer writes it ("\r\n" line ends, one blank line between sections).
    std::string GetText() const { return Fini.GetText(); }
    // Writes through SafeWriteFile; the folder must exist.
    bool SaveToFile(const std::string& fileName, std::string* error = nullptr) const;
    void Clear() { Fini.Clear(); }

    TskinInfo Info() const;
    void SetInfo(const TskinInfo& info);

    // A colour of "Colors"; nullopt when the key is missing or its text is no colour.
    std::optional<TColor> ButtonColor() const { return ReadColor("ButtonColor"); }
    std::optional<TColor> PanelColor() const { return ReadColor("PanelColor"); }
    std::optional<TColor> DefaultButtonColor() const { return ReadColor("DefaultButtonColor"); }
    std::optional<TColor> DefaultPanelColor() const { return ReadColor("DefaultPanelColor"); }
    void SetButtonColor(TColor c) { WriteColor("ButtonColor", c); }
    void SetPanelColor(TColor c) { WriteColor("PanelColor", c); }
    void SetDefaultButtonColor(TColor c) { WriteColor("DefaultButtonColor", c); }
    void SetDefaultPanelColor(TColor c) { WriteColor("DefaultPanelColor", c); }

    bool FontShadows(bool def = false) const { return Fini.ReadBool("Settings", "FontShadows", def); }
    void SetFontShadows(bool value) { Fini.WriteBool("Settings", "FontShadows", value); }

    std::string KeyImage() const { return Fini.ReadString("Keyboard", "KeyImage", ""); }
    void SetKeyImage(const std::string& fileName) { Fini.WriteString("Keyboard", "KeyImage", fileName); }
    std::string BackspaceImage() const { return Fini.ReadString("Keyboard", "BackspaceImage", ""); }
    void SetBackspaceImage(const std::string& fileName) { Fini.WriteString("Keyboard", "BackspaceImage", fileName); }

    // The picture file named for a component ("Image", or "BackImage" for list boxes);
    // empty when the section or key is missing. Section names match without regard to
    // case. The name is returned as written: resolve it with ResolveSkinFile.
    std::string Image(const std::string& component, const std::string& key = "Image") const;
    void SetImage(const std::string& component, const std::string& fileName, const std::string& key = "Image");
    // "StretchDraw" of the component; nullopt when the key is missing.
    std::optional<bool> StretchDraw(const std::string& component) const;
    void SetStretchDraw(const std::string& component, bool value);

    // The icon sections "Icon0", "Icon1", ... up to the first missing one, at most
    // `count` (and never more than kMaxSkinIcons).
    std::vector<TskinIcon> Icons(int count = kMaxSkinIcons) const;
    void SetIcon(int index, const TskinIcon& icon);

    // The font store's section (its NiceName): its fonts and colours, each keeping its
    // current value where the file has none.
    void LoadFontStore(TfontContainer& store) const;
    void SaveFontStore(const TfontContainer& store);

    const TiniFile& Ini() const { return Fini; }
    TiniFile& Ini() { return Fini; }

private:
    std::optional<TColor> ReadColor(const char* key) const;
    void WriteColor(const char* key, TColor color);

    TiniFile Fini;
};

// True for a name that stays inside the skin folder: not empty, no folder separator
// ("/" or "\"), not "." or "..", no zero byte.
bool IsBareFileName(std::string_view name);

// The file `name` of a skin file stands for in `folder`: the exact name when it exists,
// else the one entry of the folder whose name matches without regard to case (skins
// are copied between file systems that ignore case and ones that do not). Empty, with
// a reason, when the name is not bare or nothing matches.
std::string ResolveSkinFile(const std::string& folder, const std::string& name, std::string* reason = nullptr);

}  // namespace tunecrest
