#include "core/display/font_store.h"

#include "core/base/ini_file.h"
#include "core/base/shared_utils.h"
#include "core/base/text_utils.h"

namespace tunecrest {

namespace {

std::string Key(std::string_view text) {
    return MakeAlphaNumName(text);
}

template <typename Item>
Item* ClampedItem(const std::vector<std::unique_ptr<Item>>& items, int index) {
    if (items.empty()) return nullptr;
    if (index < 0) index = 0;
    if (index >= int(items.size())) index = int(items.size()) - 1;
    return items[size_t(index)].get();
}

}  // namespace

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

TfontItem& TfontCollection::Add() {
    return *Fitems.emplace_back(std::make_unique<TfontItem>());
}

void TfontCollection::Delete(int index) {
    if (index >= 0 && index < Count()) Fitems.erase(Fitems.begin() + index);
}

TfontItem* TfontCollection::Items(int index) const {
    return ClampedItem(Fitems, index);
}

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
        item->Color = HTMLToColor(
            ini.ReadString(sec, Key(item->NiceName + item->ColorNiceName), ColorToHTML(item->Color)));
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

TcolorItem& TcolorCollection::Add() {
    return *Fitems.emplace_back(std::make_unique<TcolorItem>());
}

TcolorItem* TcolorCollection::Items(int index) const {
    return ClampedItem(Fitems, index);
}

TcolorItem* TcolorCollection::FindByName(std::string_view name) const {
    for (const auto& item : Fitems)
        if (SameText(item->NiceName, name)) return item.get();
    return nullptr;
}

void TcolorCollection::LoadColors(const TiniFile& ini, const std::string& section) {
    const std::string sec = Key(section);
    for (const auto& item : Fitems)
        item->color =
            HTMLToColor(ini.ReadString(sec, Key("color" + item->NiceName), ColorToHTML(item->color)));
}

void TcolorCollection::SaveColors(TiniFile& ini, const std::string& section) const {
    const std::string sec = Key(section);
    for (const auto& item : Fitems)
        if (!item->NiceName.empty())
            ini.WriteString(sec, Key("color" + item->NiceName), ColorToHTML(item->color));
}

void TfontContainer::Assign(const TfontContainer& source) {
    if (&source == this) return;
    Fitems.Assign(source.Fitems);
    NiceName = source.NiceName;
    Category = source.Category;
    Fcolors.Assign(source.Fcolors);
}

}  // namespace tunecrest
