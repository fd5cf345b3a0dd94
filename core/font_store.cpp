#include "core/font_store.h"

#include <cstdio>

#include "core/ini_file.h"
#include "core/shared_utils.h"
#include "core/text_utils.h"

namespace tunecrest {

namespace {

// The desktop palette the system colours stand for, as $00BBGGRR, by display element.
constexpr TColor kSystemPalette[] = {
    RGBColor(0xC8, 0xC8, 0xC8), RGBColor(0x00, 0x00, 0x00), RGBColor(0x99, 0xB4, 0xD1),
    RGBColor(0xBF, 0xCD, 0xDB), RGBColor(0xF0, 0xF0, 0xF0), RGBColor(0xFF, 0xFF, 0xFF),
    RGBColor(0x64, 0x64, 0x64), RGBColor(0x00, 0x00, 0x00), RGBColor(0x00, 0x00, 0x00),
    RGBColor(0x00, 0x00, 0x00), RGBColor(0xB4, 0xB4, 0xB4), RGBColor(0xF4, 0xF7, 0xFC),
    RGBColor(0xAB, 0xAB, 0xAB), RGBColor(0x00, 0x78, 0xD7), RGBColor(0xFF, 0xFF, 0xFF),
    RGBColor(0xF0, 0xF0, 0xF0), RGBColor(0xA0, 0xA0, 0xA0), RGBColor(0x6D, 0x6D, 0x6D),
    RGBColor(0x00, 0x00, 0x00), RGBColor(0x00, 0x00, 0x00), RGBColor(0xFF, 0xFF, 0xFF),
    RGBColor(0x69, 0x69, 0x69), RGBColor(0xE3, 0xE3, 0xE3), RGBColor(0x00, 0x00, 0x00),
    RGBColor(0xFF, 0xFF, 0xE1), RGBColor(0x00, 0x00, 0x00), RGBColor(0x00, 0x66, 0xCC),
    RGBColor(0xB9, 0xD1, 0xEA), RGBColor(0xD7, 0xE4, 0xF2), RGBColor(0x33, 0x99, 0xFF),
    RGBColor(0xF0, 0xF0, 0xF0),
};

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::string Key(std::string_view text) { return MakeAlphaNumName(text); }

template <typename Item>
Item* ClampedItem(const std::vector<std::unique_ptr<Item>>& items, int index) {
    if (items.empty()) return nullptr;
    if (index < 0) index = 0;
    if (index >= int(items.size())) index = int(items.size()) - 1;
    return items[size_t(index)].get();
}

}  // namespace

TColor ColorToRGB(TColor color) {
    if ((uint32_t(color) & 0xFF000000u) == 0xFF000000u) {
        const uint32_t index = uint32_t(color) & 0xFFu;
        return index < std::size(kSystemPalette) ? kSystemPalette[index] : clBlack;
    }
    return TColor(uint32_t(color) & 0x00FFFFFFu);
}

std::string ColorToHTML(TColor color) {
    const TColor rgb = ColorToRGB(color);
    char buf[8];
    std::snprintf(buf, sizeof buf, "#%2.2X%2.2X%2.2X", unsigned(GetRValue(rgb)), unsigned(GetGValue(rgb)),
                  unsigned(GetBValue(rgb)));
    return buf;
}

bool TryHTMLToColor(std::string_view text, TColor& color) {
    if (text.size() == 7 && text[0] == '#') text.remove_prefix(1);
    if (text.size() != 6) return false;
    int d[6];
    for (int i = 0; i < 6; ++i) {
        d[i] = HexDigit(text[size_t(i)]);
        if (d[i] < 0) return false;
    }
    color = RGBColor(uint8_t(d[0] * 16 + d[1]), uint8_t(d[2] * 16 + d[3]), uint8_t(d[4] * 16 + d[5]));
    return true;
}

TColor HTMLToColor(std::string_view text) {
    TColor color = clBlack;
    return TryHTMLToColor(text, color) ? color : clBlack;
}

std::string FontToHTMLTag(const TFont& font) {
    std::string tag = "<font name=\"" + font.Name + "\" color=" + ColorToHTML(font.Color) +
                      " size=" + std::to_string(font.Size) + ">";
    tag += font.Bold ? "<b>" : "</b>";
    tag += font.Underline ? "<u>" : "</u>";
    return tag;
}

// --- fonts -------------------------------------------------------------------------------

void TfontCollection::Assign(const TfontCollection& source) {
    if (&source == this) return;
    std::vector<std::unique_ptr<TfontItem>> copy;
    copy.reserve(source.Fitems.size());
    for (const auto& item : source.Fitems) copy.push_back(std::make_unique<TfontItem>(*item));
    Fitems = std::move(copy);
}

TfontItem& TfontCollection::Add() { return *Fitems.emplace_back(std::make_unique<TfontItem>()); }

void TfontCollection::Delete(int index) {
    if (index >= 0 && index < Count()) Fitems.erase(Fitems.begin() + index);
}

TfontItem* TfontCollection::Items(int index) const { return ClampedItem(Fitems, index); }

TfontItem* TfontCollection::FindByName(std::string_view name) const {
    for (const auto& item : Fitems)
        if (SameText(item->NiceName, name)) return item.get();
    return nullptr;
}

TfontItem* TfontCollection::FindByMask(std::string_view code) const {
    for (const auto& item : Fitems)
        if (SameText(item->Mask, code)) return item.get();
    return nullptr;
}

const TFont* TfontCollection::GetFontByMask(std::string_view code, const TFont* def) const {
    const TfontItem* item = FindByMask(code);
    return item ? &item->font() : def;
}

void TfontCollection::LoadFonts(const TiniFile& ini, const std::string& section) {
    const std::string sec = Key(section);
    for (const auto& item : Fitems) {
        TFont& font = item->FontRef();
        const std::string k = Key(item->NiceName);
        font.Name = ini.ReadString(sec, k + "Name", font.Name);
        font.Color = HTMLToColor(ini.ReadString(sec, k + "Color", ColorToHTML(font.Color)));
        font.Size = ini.ReadInteger(sec, k + "Size", font.Size);
        font.Bold = ini.ReadBool(sec, k + "Bold", font.Bold);
        font.Italic = ini.ReadBool(sec, k + "Italic", font.Italic);
        item->Color =
            HTMLToColor(ini.ReadString(sec, Key(item->NiceName + item->ColorNiceName), ColorToHTML(item->Color)));
    }
}

void TfontCollection::SaveFonts(TiniFile& ini, const std::string& section) const {
    const std::string sec = Key(section);
    for (const auto& item : Fitems) {
        if (item->NiceName.empty()) continue;
        const TFont& font = item->font();
        const std::string k = Key(item->NiceName);
        ini.WriteString(sec, k + "Name", font.Name);
        ini.WriteString(sec, k + "Color", ColorToHTML(font.Color));
        ini.WriteInteger(sec, k + "Size", font.Size);
        ini.WriteBool(sec, k + "Bold", font.Bold);
        ini.WriteBool(sec, k + "Italic", font.Italic);
        if (!item->ColorNiceName.empty())
            ini.WriteString(sec, Key(item->NiceName + item->ColorNiceName), ColorToHTML(item->Color));
    }
}

// --- colours -----------------------------------------------------------------------------

void TcolorCollection::Assign(const TcolorCollection& source) {
    if (&source == this) return;
    std::vector<std::unique_ptr<TcolorItem>> copy;
    copy.reserve(source.Fitems.size());
    for (const auto& item : source.Fitems) copy.push_back(std::make_unique<TcolorItem>(*item));
    Fitems = std::move(copy);
}

TcolorItem& TcolorCollection::Add() { return *Fitems.emplace_back(std::make_unique<TcolorItem>()); }

TcolorItem* TcolorCollection::Items(int index) const { return ClampedItem(Fitems, index); }

TcolorItem* TcolorCollection::FindByName(std::string_view name) const {
    for (const auto& item : Fitems)
        if (SameText(item->NiceName, name)) return item.get();
    return nullptr;
}

void TcolorCollection::LoadColors(const TiniFile& ini, const std::string& section) {
    const std::string sec = Key(section);
    for (const auto& item : Fitems)
        item->color = HTMLToColor(ini.ReadString(sec, Key("color" + item->NiceName), ColorToHTML(item->color)));
}

void TcolorCollection::SaveColors(TiniFile& ini, const std::string& section) const {
    const std::string sec = Key(section);
    for (const auto& item : Fitems)
        if (!item->NiceName.empty()) ini.WriteString(sec, Key("color" + item->NiceName), ColorToHTML(item->color));
}

void TfontContainer::Assign(const TfontContainer& source) {
    if (&source == this) return;
    Fitems.Assign(source.Fitems);
    NiceName = source.NiceName;
    Category = source.Category;
    Fcolors.Assign(source.Fcolors);
}

}  // namespace tunecrest
