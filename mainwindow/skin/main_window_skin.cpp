#include "mainwindow/skin/main_window_skin.h"

#include <filesystem>

#include "core/jukebox/global_prefs.h"
#include "core/base/safe_file.h"
#include "core/base/services.h"
#include "core/base/text_utils.h"
#include "skin/apply_skin.h"
#include "skin/component_owner.h"
#include "skin/image_list.h"
#include "skin/keyboard.h"
#include "skin/qt_color.h"
#include "skin/skin_button.h"
#include "skin/skin_forms.h"
#include "skin/skin_panel.h"
#include "skin/skin_scroll_bar.h"
#include "skin/touch_list_box.h"

namespace tunecrest {

namespace fs = std::filesystem;

namespace {

std::string FolderOf(const std::string& file) { return fs::path(file).parent_path().string(); }

// The first component of the table of a kind, for the templates the dialogs copy.
const TskinComponent* FirstOfKind(TskinComponentKind kind) {
    for (const TskinComponent& c : MainWindowSkinComponents())
        if (c.Kind == kind) return &c;
    return nullptr;
}

}  // namespace

TmainWindowSkin::TmainWindowSkin(QWidget& window)
    : Fwindow(window), FbuttonColor(DefaultButtonColorValue), FpanelColor(DefaultPanelColorValue) {
    FtemplateBar = std::make_unique<TmySkinScrollBar>();
    FtemplateBar->setObjectName("sbTemplate");
    FtemplateBar->SetupFinished();
}

void SetKeyboardBitmaps(TbitmapContainer& store, const QImage& key, const QImage& backspace) {
    TbitmapCollection items(nullptr);
    if (!key.isNull()) {
        TbitmapItem& item = *items.Add();
        item.SetNiceName(TmainWindowSkin::kKeyboardKeyName);
        item.SetBitmap(key);
        if (!backspace.isNull()) {
            TbitmapItem& glyph = *items.Add();
            glyph.SetNiceName(TmainWindowSkin::kBackspaceName);
            glyph.SetBitmap(backspace);
        }
    }
    store.SetItems(items);
}

void LoadSkinStore(TbitmapContainer& store, const std::string& skinFolder) {
    TskinFile skin;
    skin.LoadFromFile((fs::path(skinFolder) / TskinFile::kFileName).string());
    auto read = [&](const std::string& name) {
        const std::string path = name.empty() ? std::string() : ResolveSkinFile(skinFolder, name);
        return path.empty() ? QImage() : LoadSkinImage(path);
    };
    SetKeyboardBitmaps(store, read(skin.KeyImage()), read(skin.BackspaceImage()));
    const TskinComponent* panel = FirstOfKind(skcPanel);
    if (!panel || store.Items().Count() != 2) return;
    if (const QImage picture = read(skin.Image(panel->Name, SkinImageKey(panel->Kind))); !picture.isNull()) {
        TbitmapItem& item = *store.Items().Add();
        item.SetNiceName(kFormPanelPictureName);
        item.SetBitmap(picture);
    }
}

TmainWindowSkin::~TmainWindowSkin() {
    Falive->store(false);
    Fworker.Wait();
    // The preferences must not keep pointing at what dies with this object.
    TglobalPrefs& prefs = GlobalPrefs();
    prefs.BeginUpdate();
    if (prefs.BitmapContainer() == &Fbitmaps) prefs.SetBitmapContainer(nullptr);
    if (prefs.FontContainer() == &Ffonts.Lists()) prefs.SetFontContainer(nullptr);
    if (prefs.SkinScrollBar() == FtemplateBar.get()) prefs.SetSkinScrollBar(nullptr);
    prefs.EndUpdate();
}

TColor TmainWindowSkin::CaptionColorFor(TColor buttonColor) {
    const QColor face = ToQColor(ColorToRGB(buttonColor));
    return (299 * face.red() + 587 * face.green() + 114 * face.blue()) / 1000 > 140 ? clBlack : clWhite;
}

void TmainWindowSkin::Progress(const std::string& text) {
    if (OnProgress) OnProgress(text);
}

void TmainWindowSkin::SetDefaultSkinFile(const std::string& file) {
    if (file == FdefaultSkinFile && FdefaultRead) return;
    FdefaultSkinFile = file;
    FdefaultRead = false;
    Fdefault.Clear();
    Ffallbacks.clear();
}

std::vector<TskinnedControl*> TmainWindowSkin::SkinnedComponents() const {
    std::vector<TskinnedControl*> controls;
    for (const TskinComponent& c : MainWindowSkinComponents())
        if (auto* s = dynamic_cast<TskinnedControl*>(Component(c))) controls.push_back(s);
    return controls;
}

void TmainWindowSkin::RegisterComponents() {
    for (const TskinComponent& c : MainWindowSkinComponents()) {
        const QString name = QString::fromUtf8(c.Name);
        if (FindComponent(&Fwindow, name)) continue;
        // A component nobody owns yet belongs to the window; one another form made stays
        // with its owner.
        QWidget* w = Fwindow.findChild<QWidget*>(name);
        if (w && !ComponentOwner(w)) InsertComponent(&Fwindow, w);
    }
}

QWidget* TmainWindowSkin::Component(const TskinComponent& c) const {
    const QString name = QString::fromUtf8(c.Name);
    if (auto* w = qobject_cast<QWidget*>(FindComponent(&Fwindow, name))) return w;
    return Fwindow.findChild<QWidget*>(name);
}

const TskinFile& TmainWindowSkin::DefaultSkin() {
    if (!FdefaultRead) {
        FdefaultRead = true;
        std::string error;
        if (!FdefaultSkinFile.empty() && !Fdefault.LoadFromFile(FdefaultSkinFile, &error))
            LogError("Default skin not read: " + error);
    }
    return Fdefault;
}

QImage TmainWindowSkin::DefaultSkinPicture(const std::string& name) {
    if (name.empty() || FdefaultSkinFile.empty()) return QImage();
    const std::string path = ResolveSkinFile(FolderOf(FdefaultSkinFile), name);
    return path.empty() ? QImage() : Fcache.Load(path);
}

QImage TmainWindowSkin::FallbackImage(const TskinComponent& c) {
    if (FdefaultSkinFile.empty()) return QImage();
    const std::string key = UpperCase(c.Name);
    if (auto it = Ffallbacks.find(key); it != Ffallbacks.end()) return it->second;
    // The Default skin's picture for the component, else its shipped bitmap.
    const TskinFile& skin = DefaultSkin();
    QImage image = DefaultSkinPicture(skin.Image(c.Name, SkinImageKey(c.Kind)));
    if (image.isNull() && *c.Bitmap) image = DefaultSkinPicture(skin.Image(c.Bitmap));
    Ffallbacks[key] = image;
    return image;
}

QImage TmainWindowSkin::ReadPicture(const std::string& folder, const std::string& component, const std::string& name,
                                    bool* jpeg) {
    std::string reason;
    const std::string path = ResolveSkinFile(folder, name, &reason);
    QImage image;
    if (!path.empty()) image = Fcache.Load(path, &reason);
    if (image.isNull()) {
        LogError("Skin \"" + FskinFile + "\": the picture of " + component + " " + reason +
                 "; the Default skin's picture is used");
        return QImage();
    }
    if (jpeg) *jpeg = IsJpegFile(path);
    return image;
}

void TmainWindowSkin::ApplyImage(const TskinComponent& c, QWidget* w, const QImage& image,
                                 std::optional<bool> stretch) {
    switch (c.Kind) {
        case skcPanel:
        case skcSplitter:
            if (auto* p = dynamic_cast<TnineSkinControl*>(w)) {
                p->SetSkinBitmap(image);
                p->SetStretchDraw(stretch.value_or(p->DefaultStretchDraw()));
            }
            break;
        case skcButton:
            if (auto* b = dynamic_cast<TmySkinButton*>(w)) {
                b->SetSkinBitmap(image);
                // A button drawn at its picture's size takes that size; a stretch button
                // is sized by the layout.
                const QImage& skinImage = b->EffectiveSkin();
                const int frames = b->IsCheckButton() ? 5 : 3;
                if (!b->IsStretchButton() && !skinImage.isNull() && skinImage.width() >= frames) {
                    const QSize size(skinImage.width() / frames, skinImage.height());
                    if (b->size() != size) b->setFixedSize(size);
                }
            }
            break;
        case skcMultiButton:
            if (auto* m = dynamic_cast<TmySkinMultiButton*>(w)) m->SetSkinBitmap(image);
            break;
        case skcScrollBar:
            if (auto* s = dynamic_cast<TmySkinScrollBar*>(w)) {
                s->SetSkinBitmap(image);
                s->SetStretchDraw(stretch.value_or(s->DefaultStretchDraw()));
                // The bar is as thick as its picture's frames, never thinner than a finger.
                const QImage& skinImage = s->EffectiveSkin();
                if (!skinImage.isNull()) {
                    if (s->Kind() == msbVertical)
                        s->setFixedWidth(std::max(48, skinImage.width() / 3));
                    else
                        s->setFixedHeight(std::max(48, skinImage.height() / 3));
                }
            }
            break;
        case skcListBox:
            if (auto* l = dynamic_cast<TcustomTouchListBox*>(w)) l->SetBackgroundImage(image);
            break;
    }
}

void TmainWindowSkin::LoadSkinImages(const TskinFile& skin, const std::string& folder) {
    Progress("Loading Skin Images...");
    FjpegPictures.clear();
    // The keyboard key: the skin's, else the Default skin's.
    QImage key;
    if (const std::string name = skin.KeyImage(); !name.empty()) key = ReadPicture(folder, "the keyboard key", name, nullptr);
    if (key.isNull() && !FdefaultSkinFile.empty()) key = DefaultSkinPicture(DefaultSkin().KeyImage());
    // Its backspace glyph, likewise; the Default skin's glyph only with the Default key.
    QImage backspace;
    if (const std::string name = skin.BackspaceImage(); !name.empty())
        backspace = ReadPicture(folder, "the backspace key", name, nullptr);
    if (backspace.isNull() && !FdefaultSkinFile.empty()) backspace = DefaultSkinPicture(DefaultSkin().BackspaceImage());
    SetKeyboardBitmaps(Fbitmaps, key, backspace);

    for (const TskinComponent& c : MainWindowSkinComponents()) {
        QWidget* w = Component(c);
        if (!w) continue;
        auto* skinned = dynamic_cast<TskinnedControl*>(w);
        // What the component wears when the skin gives it nothing usable.
        if (skinned) skinned->SetDefaultSkinBitmap(FallbackImage(c));
        const std::string name = skin.Image(c.Name, SkinImageKey(c.Kind));
        QImage image;
        bool jpeg = false;
        if (!name.empty()) image = ReadPicture(folder, c.Name, name, &jpeg);
        if (c.Kind == skcListBox && image.isNull() && !name.empty()) image = FallbackImage(c);
        if (!image.isNull() && c.Kind == skcListBox) FjpegPictures[c.Name] = jpeg;
        ApplyImage(c, w, image, KindHasStretchDraw(c.Kind) ? skin.StretchDraw(c.Name) : std::nullopt);
    }

    // The secondary windows' panels wear the window's panel picture, kept in the store
    // after the keyboard's two bitmaps (which the keys find by place).
    if (const TskinComponent* panel = FirstOfKind(skcPanel); panel && Fbitmaps.Items().Count() == 2) {
        if (auto* p = dynamic_cast<TskinnedControl*>(Component(*panel)); p && !p->EffectiveSkin().isNull()) {
            TbitmapItem& item = *Fbitmaps.Items().Add();
            item.SetNiceName(kFormPanelPictureName);
            item.SetBitmap(p->EffectiveSkin());
        }
    }

    // The template scroll bar the dialogs copy wears the window's scroll bar picture.
    if (const TskinComponent* bar = FirstOfKind(skcScrollBar)) {
        if (auto* s = dynamic_cast<TmySkinScrollBar*>(Component(*bar))) {
            FtemplateBar->BeginUpdate();
            FtemplateBar->SetDefaultSkinBitmap(s->DefaultSkinBitmap());
            FtemplateBar->SetSkinBitmap(s->SkinBitmap());
            FtemplateBar->SetStretchDraw(s->StretchDraw());
            FtemplateBar->EndUpdate();
        }
    }

    if (Ficons) {
        for (size_t i = 0; i < FbuiltInIcons.size(); ++i) Ficons->Restore(int(i), FbuiltInIcons[i]);
        const std::vector<TskinIcon> icons = skin.Icons(Ficons->Count());
        for (size_t i = 0; i < icons.size(); ++i) {
            if (icons[i].FileName.empty()) continue;
            const QImage icon = ReadPicture(folder, "icon " + std::to_string(i), icons[i].FileName, nullptr);
            if (!icon.isNull()) Ficons->Replace(int(i), icon, icons[i].TransparentColor);
        }
    }
}

void TmainWindowSkin::ApplyFonts(const TskinFile& skin) {
    // Each skin starts from the window's defaults, so fonts of the previous skin never
    // stay behind on a skin that does not name them.
    Ffonts.ResetToDefaults();
    for (int i = 0; i < fsCount; ++i) {
        TfontContainer& store = Ffonts.Store(TfontStoreIndex(i));
        skin.LoadFontStore(store);
        SetFontMasks(store);
    }
}

bool TmainWindowSkin::LoadSkin(const std::string& skinFile, std::string* error) {
    TskinFile skin;
    std::string reason;
    const bool ok = skin.LoadFromFile(skinFile, &reason);
    if (!ok) {
        LogError("Skin not loaded: " + reason);
        if (error) *error = reason;
    }
    FskinFile = ok ? skinFile : "";
    Finfo = skin.Info();
    FskinDefaultButton = skin.DefaultButtonColor();
    FskinDefaultPanel = skin.DefaultPanelColor();
    FfontShadows = skin.FontShadows(false);

    // Every control, the keyboard's keys too, rebuilds once, after pictures and colours
    // are both in place; the preferences send one change notice.
    TfrmKeyboard& keyboard = Keyboard();
    std::vector<TskinnedControl*> controls = SkinnedComponents();
    for (int i = 0; i < kKeyboardKeyCount; ++i)
        if (TmySkinButton* key = keyboard.Key(i)) controls.push_back(key);
    GlobalPrefs().BeginUpdate();
    for (TskinnedControl* c : controls) c->BeginUpdate();
    LoadSkinImages(skin, FolderOf(skinFile));
    auto color = [&](std::optional<TColor> value, const char* key, TColor def) {
        if (!value && skin.Ini().ValueExists("Colors", key))
            LogError("Skin \"" + skinFile + "\": " + key + " is no colour; the default is used");
        return value.value_or(def);
    };
    ApplySkin(color(skin.ButtonColor(), "ButtonColor", DefaultButtonColorValue),
              color(skin.PanelColor(), "PanelColor", DefaultPanelColorValue));
    ApplyFonts(skin);
    HandToPreferences(keyboard);
    for (TskinnedControl* c : controls) c->EndUpdate();
    GlobalPrefs().EndUpdate();
    ApplyListAppearance();
    return ok;
}

void TmainWindowSkin::ApplySkin(TColor buttonColor, TColor panelColor) {
    FbuttonColor = buttonColor;
    FpanelColor = panelColor;
    Progress("Applying Skin...");
    const TColor text = CaptionColorFor(buttonColor);
    const TColor checked = DarkenColor(buttonColor, 30);
    SetFormColor(Fwindow, panelColor);
    // Each control rebuilds once, after the table's colours and the window's own.
    const std::vector<TskinnedControl*> controls = SkinnedComponents();
    for (TskinnedControl* c : controls) c->BeginUpdate();
    // Everything the window owns, in creation order; then the table's components that
    // another owner made.
    RegisterComponents();
    ApplySkinToControls(Fwindow, buttonColor, panelColor, checked, text);
    for (const TskinComponent& c : MainWindowSkinComponents()) {
        QWidget* w = Component(c);
        if (ComponentOwner(w) == &Fwindow) continue;
        if (auto* target = dynamic_cast<TskinColorTarget*>(w))
            target->ApplySkinColors(buttonColor, panelColor, checked, text);
    }
    if (OnApplyColors) OnApplyColors(buttonColor, panelColor, text);
    for (TskinnedControl* c : controls) c->EndUpdate();
    FtemplateBar->ApplySkinColors(buttonColor, panelColor, checked, text);
    // The dialogs and the keyboard take the colours too, with one change notice.
    GlobalPrefs().BeginUpdate();
    SetFormSkinColors({buttonColor, panelColor, text});
    GlobalPrefs().EndUpdate();
    if (TfrmKeyboard* keyboard = ExistingKeyboard()) SkinKeyboard(*keyboard, buttonColor, panelColor, text);
    Progress("");
}

void TmainWindowSkin::SetIconList(TimageList* icons) {
    Ficons = icons;
    FbuiltInIcons.clear();
    if (icons)
        for (int i = 0; i < icons->Count(); ++i) FbuiltInIcons.push_back(icons->Image(i));
}

void TmainWindowSkin::HandToPreferences(TfrmKeyboard& keyboard) {
    TglobalPrefs& prefs = GlobalPrefs();
    prefs.BeginUpdate();
    prefs.SetBitmapContainer(&Fbitmaps);
    prefs.SetFontContainer(&Ffonts.Lists());
    prefs.SetSkinScrollBar(FtemplateBar.get());
    // The template button is a key of the shared keyboard, which wears the store's key
    // picture once laid out again (ApplySkin gave it the colours).
    keyboard.LayoutKeys();
    prefs.SetSkinButton(keyboard.Template());
    prefs.EndUpdate();
}

TColor TmainWindowSkin::GetDefaultButtonColor() const { return FskinDefaultButton.value_or(DefaultButtonColorValue); }
TColor TmainWindowSkin::GetDefaultPanelColor() const { return FskinDefaultPanel.value_or(DefaultPanelColorValue); }

std::vector<std::string> TmainWindowSkin::PicturePaths(const std::string& skinFile) const {
    std::vector<std::string> paths;
    TskinFile skin;
    if (!skin.LoadFromFile(skinFile)) return paths;
    const std::string folder = FolderOf(skinFile);
    auto add = [&](const std::string& name) {
        if (name.empty()) return;
        const std::string path = ResolveSkinFile(folder, name);
        if (!path.empty()) paths.push_back(path);
    };
    add(skin.KeyImage());
    for (const TskinComponent& c : MainWindowSkinComponents()) add(skin.Image(c.Name, SkinImageKey(c.Kind)));
    for (const TskinIcon& icon : skin.Icons()) add(icon.FileName);
    return paths;
}

void TmainWindowSkin::ChangeSkin(const std::string& skinFile,
                                 std::function<void(bool ok, const std::string& error)> done) {
    std::weak_ptr<std::atomic<bool>> alive = Falive;
    // The worker only reads files and fills the cache (which is thread-safe); the skin
    // is applied on the main thread.
    Fworker.Run([this, alive, skinFile, done = std::move(done)] {
        for (const std::string& path : PicturePaths(skinFile)) {
            const auto token = alive.lock();
            if (!token || !token->load()) return;
            Fcache.Load(path);
        }
        Dispatcher().Post([this, alive, skinFile, done] {
            const auto token = alive.lock();
            if (!token || !token->load()) return;
            std::string error;
            const bool ok = LoadSkin(skinFile, &error);
            if (done) done(ok, error);
        });
    });
}

bool TmainWindowSkin::SaveLook(std::string* error) {
    if (FskinFile.empty()) {
        if (error) *error = "no skin is loaded";
        return false;
    }
    TskinFile skin;
    if (!skin.LoadFromFile(FskinFile, error)) return false;
    skin.SetButtonColor(FbuttonColor);
    skin.SetPanelColor(FpanelColor);
    for (int i = 0; i < fsCount; ++i) skin.SaveFontStore(Ffonts.Store(TfontStoreIndex(i)));
    return skin.SaveToFile(FskinFile, error);
}

bool TmainWindowSkin::SaveSkin(const std::string& skinFile, std::string* error) {
    const std::string folder = FolderOf(skinFile);
    std::string reason;
    auto fail = [&](const std::string& why) {
        reason = why;
        LogError("Skin not saved: " + why);
        Prompt().ShowMessage("An error occured while saving the skin", "ERROR");
        if (error) *error = why;
        return false;
    };
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) return fail("cannot create " + folder + ": " + ec.message());
    // What the current skin file holds beyond the look (its description, sections
    // other windows keep) is carried over.
    TskinFile skin;
    if (!FskinFile.empty()) skin.LoadFromFile(FskinFile);
    if (skin.Info() == TskinInfo{}) skin.SetInfo(Finfo);
    skin.SetButtonColor(FbuttonColor);
    skin.SetPanelColor(FpanelColor);
    for (int i = 0; i < fsCount; ++i) skin.SaveFontStore(Ffonts.Store(TfontStoreIndex(i)));
    skin.SetFontShadows(FfontShadows);

    Progress("Saving Skin Images...");
    auto write = [&](const std::string& name, const QImage& image) {
        std::string why;
        if (!SaveSkinImage((fs::path(folder) / name).string(), image, &why)) {
            reason = why;
            return false;
        }
        return true;
    };
    if (const TbitmapItem* key = Fbitmaps.Items().FindByName(kKeyboardKeyName); key && !key->Bitmap().isNull()) {
        if (!write(kKeyboardKeyFile, key->Bitmap())) return fail(reason);
        skin.SetKeyImage(kKeyboardKeyFile);
    }
    if (const TbitmapItem* glyph = Fbitmaps.Items().FindByName(kBackspaceName); glyph && !glyph->Bitmap().isNull()) {
        if (!write(kBackspaceFile, glyph->Bitmap())) return fail(reason);
        skin.SetBackspaceImage(kBackspaceFile);
    }
    for (const TskinComponent& c : MainWindowSkinComponents()) {
        QWidget* w = Component(c);
        if (!w) continue;
        if (c.Kind == skcListBox) {
            auto* list = dynamic_cast<TcustomTouchListBox*>(w);
            if (!list || list->BackgroundImage().isNull()) continue;
            auto it = FjpegPictures.find(c.Name);
            const std::string name = SkinImageFileName(c, it != FjpegPictures.end() && it->second);
            if (!write(name, list->BackgroundImage())) return fail(reason);
            skin.SetImage(c.Name, name, "BackImage");
            continue;
        }
        auto* skinned = dynamic_cast<TskinnedControl*>(w);
        if (!skinned || skinned->EffectiveSkin().isNull()) continue;
        const std::string name = SkinImageFileName(c);
        if (!write(name, skinned->EffectiveSkin())) return fail(reason);
        skin.SetImage(c.Name, name);
        if (auto* p = dynamic_cast<TnineSkinControl*>(w)) skin.SetStretchDraw(c.Name, p->StretchDraw());
        if (auto* s = dynamic_cast<TmySkinScrollBar*>(w)) skin.SetStretchDraw(c.Name, s->StretchDraw());
    }
    if (Ficons) {
        for (int i = 0; i < Ficons->Count(); ++i) {
            const std::string name = "icons" + std::to_string(i) + "_image.bmp";
            if (!write(name, Ficons->Image(i))) return fail(reason);
            skin.SetIcon(i, {name, Ficons->TransparentColor(i)});
        }
    }
    // Pictures that sections carried over name (the shipped skins' templates, icons
    // without an icon list here) come along, so the new folder is a whole skin.
    const std::string source = FskinFile.empty() ? "" : FolderOf(FskinFile);
    if (!source.empty() && !fs::equivalent(source, folder, ec)) {
        for (const std::string& section : skin.Ini().ReadSections())
            for (const char* key : {"Image", "BackImage", "Filename", "KeyImage", "BackspaceImage"}) {
                const std::string name = skin.Image(section, key);
                if (name.empty() || !ResolveSkinFile(folder, name).empty()) continue;
                const std::string from = ResolveSkinFile(source, name);
                if (from.empty()) continue;
                std::string bytes;
                if (!ReadFileBytes(from, bytes, &reason, uint64_t(kMaxSkinImageBytes)) ||
                    !SafeWriteFile((fs::path(folder) / name).string(), bytes, &reason))
                    return fail(reason);
            }
    }
    if (!skin.SaveToFile(skinFile, &reason)) return fail(reason);
    Progress("");
    return true;
}

}  // namespace tunecrest
