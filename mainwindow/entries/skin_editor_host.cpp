#include "mainwindow/entries/skin_editor_host.h"

#include "mainwindow/window/main_form.h"
#include "mainwindow/skin/main_window_skin.h"

namespace tunecrest {

std::vector<TfontContainer*> TmainWindowSkinHost::FontStores()
{
    std::vector<TfontContainer*> stores;
    for (int i = 0; i < fsCount; ++i) stores.push_back(&Fform.Skin().FontStores().Store(TfontStoreIndex(i)));
    return stores;
}

TColor TmainWindowSkinHost::ButtonColor() const { return Fform.Skin().ButtonColor(); }
TColor TmainWindowSkinHost::PanelColor() const { return Fform.Skin().PanelColor(); }
TColor TmainWindowSkinHost::DefaultButtonColor() const { return Fform.Skin().GetDefaultButtonColor(); }
TColor TmainWindowSkinHost::DefaultPanelColor() const { return Fform.Skin().GetDefaultPanelColor(); }
std::string TmainWindowSkinHost::SkinsFolder() const { return Fform.GetSkinsFolder(); }

void TmainWindowSkinHost::SetSkinFile(const std::string& file, std::function<void(bool ok)> done)
{
    Fform.SetSkinFile(file, [done = std::move(done)](bool ok, const std::string&) {
        if (done) done(ok);
    });
}

bool TmainWindowSkinHost::ExportSkin(const std::string& skinFile, std::string* error)
{
    return Fform.Skin().SaveSkin(skinFile, error);
}

std::string TmainWindowSkinHost::CurrentSkinFile() const { return Fform.Skin().SkinFile(); }

bool TmainWindowSkinHost::KeepLook(std::string* error) { return Fform.Skin().SaveLook(error); }

void TmainWindowSkinHost::ApplyListAppearance()
{
    if (Fform.Skin().OnApplyListAppearance) Fform.Skin().OnApplyListAppearance();
}

void TmainWindowSkinHost::ApplyColors(TColor buttonColor, TColor panelColor)
{
    Fform.Skin().ApplySkin(buttonColor, panelColor);
}

}  // namespace tunecrest
