#pragma once
// The skin's named fonts and colours, and the colour text form "#RRGGBB" that the stores
// and the inline font tags use. Fonts are plain descriptions here (name, colour, size,
// styles); the skin library turns them into screen fonts when it draws.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/display/color.h"
#include "core/display/color_text.h"
#include "core/base/event_lists.h"

namespace tunecrest {

class TiniFile;

struct TFont {
    std::string Name = "Tahoma";
    TColor Color = clWindowText;
    int Size = 8;  // points
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;

    bool operator==(const TFont&) const = default;
};

// The inline font tag: <font name="NAME" color=#RRGGBB size=N> then "<b>" or "</b>", then
// "<u>" or "</u>". The italic state is not part of the tag.
std::string FontToHTMLTag(const TFont& font);

class TfontItem {
  public:
    const TFont& font() const { return Ffont; }
    void SetFont(const TFont& value) { Ffont = value; }
    TFont& FontRef() { return Ffont; }
    std::string NiceName;
    std::string ColorNiceName;
    TColor Color = clBlack;
    std::string Mask;

    std::string HTMLTag() const { return FontToHTMLTag(Ffont); }
    std::string DisplayName() const { return NiceName; }
    void Assign(const TfontItem& source) { *this = source; }

  private:
    TFont Ffont;
};

class TfontCollection {
  public:
    TfontCollection() = default;
    TfontCollection(const TfontCollection& other) { Assign(other); }
    TfontCollection& operator=(const TfontCollection& other) {
        Assign(other);
        return *this;
    }
    void Assign(const TfontCollection& source);

    int Count() const { return int(Fitems.size()); }
    TfontItem& Add();
    void Clear() { Fitems.clear(); }
    void Delete(int index);
    // The index is clamped to the last item; nullptr when the collection is empty.
    TfontItem* Items(int index) const;

    // First item whose name (or font-tag code) equals the text, ASCII letters folded.
    TfontItem* FindByName(std::string_view name) const;
    TfontItem* FindByMask(std::string_view code) const;
    // The font of FindByMask(code), else `def`.
    const TFont* GetFontByMask(std::string_view code, const TFont* def) const;

    void LoadFonts(const TiniFile& ini, const std::string& section);
    void SaveFonts(TiniFile& ini, const std::string& section) const;

  private:
    std::vector<std::unique_ptr<TfontItem>> Fitems;
};

class TcolorItem {
  public:
    TColor color = clBlack;
    std::string NiceName;
    std::string DisplayName() const { return NiceName; }
    void Assign(const TcolorItem& source) { *this = source; }
};

class TcolorCollection {
  public:
    TcolorCollection() = default;
    TcolorCollection(const TcolorCollection& other) { Assign(other); }
    TcolorCollection& operator=(const TcolorCollection& other) {
        Assign(other);
        return *this;
    }
    void Assign(const TcolorCollection& source);

    int Count() const { return int(Fitems.size()); }
    TcolorItem& Add();
    void Clear() { Fitems.clear(); }
    // The index is clamped to the last item; nullptr when the collection is empty.
    TcolorItem* Items(int index) const;
    TcolorItem* FindByName(std::string_view name) const;

    void LoadColors(const TiniFile& ini, const std::string& section);
    void SaveColors(TiniFile& ini, const std::string& section) const;

  private:
    std::vector<std::unique_ptr<TcolorItem>> Fitems;
};

class TfontContainer : public TObject {
  public:
    TfontCollection& Items() { return Fitems; }
    const TfontCollection& Items() const { return Fitems; }
    void SetItems(const TfontCollection& value) { Fitems.Assign(value); }
    TcolorCollection& Colors() { return Fcolors; }
    const TcolorCollection& Colors() const { return Fcolors; }
    void SetColors(const TcolorCollection& value) { Fcolors.Assign(value); }
    std::string NiceName;
    std::string Category;

    void Assign(const TfontContainer& source);

  private:
    TfontCollection Fitems;
    TcolorCollection Fcolors;
};

}  // namespace tunecrest
