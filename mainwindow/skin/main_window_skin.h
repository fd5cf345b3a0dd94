#pragma once
// Skins on the main window: reads a skin folder's skin.usk through TskinFile and gives
// every component of the skin component table its bitmap, recolours the window with
// the skin's two colours, loads the four font stores and hands the shared resources to
// the preferences (bitmap store, font store, template button and scroll bar, the
// dialogs' colours). It also writes the current look back as a skin folder.
//
// A picture a skin names but that is missing or damaged is replaced by the Default
// skin's picture for that component, and the log says so; a component the skin does
// not name wears the Default skin's picture too (its built-in look). Pictures are
// decoded once and cached; ChangeSkin decodes a new skin's pictures on a worker and
// applies them on the main thread, so switching skins never stalls the playing screen.
#include <QPointer>
#include <QWidget>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "core/base/background_worker.h"
#include "core/display/color.h"
#include "core/display/skin_file.h"
#include "mainwindow/skin/skin_component_table.h"
#include "mainwindow/skin/skin_font_stores.h"
#include "skin/bitmap_container.h"
#include "skin/skin_pictures.h"

namespace tunecrest {

class TimageList;
class TmySkinScrollBar;
class TskinnedControl;
class TfrmKeyboard;

// The keyboard's bitmap store as the keys read it: the key picture first, then the
// backspace glyph (only beside a key picture). The main window fills its store this way.
void SetKeyboardBitmaps(TbitmapContainer& store, const QImage& key, const QImage& backspace);
// The bitmap store of the skin in `skinFolder` (its skin.usk) as the main window makes it:
// the keyboard's two bitmaps, then the forms' panel picture (the window's first panel's).
void LoadSkinStore(TbitmapContainer& store, const std::string& skinFolder);

class TmainWindowSkin {
public:
    // The name of the keyboard key picture in the bitmap store and in a written skin.
    static constexpr const char* kKeyboardKeyName = "KeyboardKey";
    static constexpr const char* kKeyboardKeyFile = "KeyboardKey_Image.bmp";
    // The backspace key's glyph: the store's second bitmap.
    static constexpr const char* kBackspaceName = "KeyboardBackspace";
    static constexpr const char* kBackspaceFile = "KeyboardBackspace_Image.bmp";

    explicit TmainWindowSkin(QWidget& window);
    ~TmainWindowSkin();
    TmainWindowSkin(const TmainWindowSkin&) = delete;
    TmainWindowSkin& operator=(const TmainWindowSkin&) = delete;

    // The skin whose pictures stand in for missing or damaged ones (and for components
    // a skin does not name). Empty: components without a picture keep their own.
    void SetDefaultSkinFile(const std::string& file);
    const std::string& DefaultSkinFile() const { return FdefaultSkinFile; }
    // The colours used when a skin gives none (or no skin can be read).
    TColor DefaultButtonColorValue = RGBColor(78, 88, 104);
    TColor DefaultPanelColorValue = RGBColor(30, 34, 40);

    // Reads `skinFile` and applies it. False, with a reason, when the file cannot be
    // read: the window then takes the Default skin's pictures and the default colours.
    bool LoadSkin(const std::string& skinFile, std::string* error = nullptr);
    // Decodes the skin's pictures on a worker thread, then applies the skin on the main
    // thread (through the dispatcher) and calls `done` with LoadSkin's result.
    void ChangeSkin(const std::string& skinFile, std::function<void(bool ok, const std::string& error)> done);
    // True while a ChangeSkin decodes.
    bool Changing() const { return Fworker.Busy(); }
    // Blocks until pending decoding is done (close-down and tests).
    void WaitForWorker() { Fworker.Wait(); }

    // Recolours every component with the two colours and hands them to the preferences.
    void ApplySkin(TColor buttonColor, TColor panelColor);

    // Writes the current look into `skinFile` and the pictures beside it, creating the
    // folder. On failure shows "An error occured while saving the skin" titled "ERROR",
    // stops, and returns false with the reason.
    bool SaveSkin(const std::string& skinFile, std::string* error = nullptr);
    // Writes the two colours and the four font stores into the skin file in use (its
    // pictures stay as they are), so the look the skin editor set is the skin's from now
    // on. False with a reason when there is no skin file or it cannot be written.
    bool SaveLook(std::string* error = nullptr);

    // The lists take their fonts and colours from the font stores again (after the skin
    // editor changed a store).
    void ApplyListAppearance() {
        if (OnApplyListAppearance) OnApplyListAppearance();
    }

    const std::string& SkinFile() const { return FskinFile; }
    TColor ButtonColor() const { return FbuttonColor; }
    TColor PanelColor() const { return FpanelColor; }
    bool FontShadows() const { return FfontShadows; }
    // The skin author's reset colours of the current skin ("DefaultButtonColor" and
    // "DefaultPanelColor"), else the default values.
    TColor GetDefaultButtonColor() const;
    TColor GetDefaultPanelColor() const;
    const TskinInfo& Info() const { return Finfo; }

    TmainWindowFontStores& FontStores() { return Ffonts; }
    TbitmapContainer& Bitmaps() { return Fbitmaps; }
    TmySkinScrollBar* TemplateScrollBar() const { return FtemplateBar.get(); }
    TskinImageCache& ImageCache() { return Fcache; }
    // The list icons a skin may replace ("Icon0", ...); none by default.
    // The list icons a skin's "Icon" sections replace; each skin starts from the icons
    // the list holds now (kept here), so a skin without icons shows the built-in ones.
    void SetIconList(TimageList* icons);

    // The window's own part: its palette from the colours (button, panel, text) and its
    // lists' fonts and colours from the font stores. Progress texts go to OnProgress.
    std::function<void(TColor buttonColor, TColor panelColor, TColor textColor)> OnApplyColors;
    std::function<void()> OnApplyListAppearance;
    std::function<void(const std::string& text)> OnProgress;

    // Black or white, whichever stands out from the button colour: the caption colour.
    static TColor CaptionColorFor(TColor buttonColor);

private:
    struct Tfallback {
        QImage Image;
        bool Jpeg = false;
    };
    QWidget* Component(const TskinComponent& c) const;
    // The table's components that have no owner become the window's, in table order, so
    // walks over what the window owns (ApplySkinToControls) reach them.
    void RegisterComponents();
    std::vector<TskinnedControl*> SkinnedComponents() const;
    // The Default skin file, read once per file.
    const TskinFile& DefaultSkin();
    // A picture of the Default skin's folder; null when it has none of that name.
    QImage DefaultSkinPicture(const std::string& name);
    // The Default skin's picture of a component (by its section, else its shipped
    // bitmap's section), looked up once per Default skin file.
    QImage FallbackImage(const TskinComponent& c);
    void LoadSkinImages(const TskinFile& skin, const std::string& folder);
    // The picture `name` of the skin in `folder`; a null image, logged, when it is
    // missing, damaged or outside the folder.
    QImage ReadPicture(const std::string& folder, const std::string& component, const std::string& name, bool* jpeg);
    void ApplyImage(const TskinComponent& c, QWidget* w, const QImage& image, std::optional<bool> stretch);
    void ApplyFonts(const TskinFile& skin);
    void HandToPreferences(TfrmKeyboard& keyboard);
    void Progress(const std::string& text);
    std::vector<std::string> PicturePaths(const std::string& skinFile) const;

    QWidget& Fwindow;
    std::string FskinFile, FdefaultSkinFile;
    TskinFile Fdefault;
    bool FdefaultRead = false;
    std::map<std::string, QImage> Ffallbacks;  // upper-cased section -> picture
    TColor FbuttonColor, FpanelColor;
    bool FfontShadows = false;
    TskinInfo Finfo;
    std::optional<TColor> FskinDefaultButton, FskinDefaultPanel;
    std::map<std::string, bool> FjpegPictures;  // component -> its picture came from a JPEG
    TmainWindowFontStores Ffonts;
    TbitmapContainer Fbitmaps;
    std::unique_ptr<TmySkinScrollBar> FtemplateBar;
    TimageList* Ficons = nullptr;  // not owned
    std::vector<QImage> FbuiltInIcons;
    TskinImageCache Fcache;
    TbackgroundWorker Fworker;
    std::shared_ptr<std::atomic<bool>> Falive = std::make_shared<std::atomic<bool>>(true);
};

}  // namespace tunecrest
